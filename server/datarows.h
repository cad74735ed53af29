#pragma once

// What the parts of a data import share: how rows, keys and messages are written, and the state
// of a kind streamed from its files. Not installed: the import's own.

#include "common/langstrings.h"
#include "csvreader.h"
#include "database.h"
#include "dataimport.h"
#include "datakinds.h"
#include "jsonrecords.h"

#include <QHash>
#include <QIODevice>
#include <QSet>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace zr::server::datarows {

enum : qint32 {
    StrUnknownColumn = 65002, // "%1, line 1, column %2: no column «%3» in a file of %4"
    StrMissingColumn = 65003, // "%1, line 1: the column «%2» is missing"
    StrUnknownKind =
        65004, // "%1, line 1: its columns do not say what it holds; name it with --kind (%2)"
    StrNotANumber = 65005,   // "%1, line %2, column %3: «%4» is not a number"
    StrNotWhole = 65006,     // "%1, line %2, column %3: «%4» is not a whole number"
    StrRequired = 65007,     // "%1, line %2, column %3: a value is required"
    StrTooLong = 65008,      // "%1, line %2, column %3: «%4» is longer than %5 characters"
    StrDuplicateKey = 65009, // "%1, line %2: %3 is already at %4, line %5"
    StrUnknownCode = 65010,  // "%1, line %2, column %3: no %4 has the code «%5»"
    StrFieldCount = 65011,   // "%1, line %2: %3 fields where the header has %4"
    StrOutside = 65016,      // "%1, line %2, column %3: «%4» is outside %5 to %6"
    StrNotYesOrNo = 65017,   // "%1, line %2, column %3: «%4» is neither yes nor no"
    StrStillNamed = 65018,   // "%1 «%2» cannot be removed: %3 of %4 still name it"
    StrTwice = 65025,        // "%1, line 1, column %2: the column «%3» is already column %4"
};

inline QString message(qint32 id, const QStringList &values)
{
    return ReplaceParams(GetLangString(id), values);
}

// Whether a header cell names `column`, by its English or its Greek name.
inline bool namesColumn(const QString &cell, const DataColumn &column)
{
    return column.inFiles() && (cell.trimmed().compare(column.name, Qt::CaseInsensitive) == 0 ||
                                cell.trimmed().compare(column.greek, Qt::CaseInsensitive) == 0);
}

inline bool isYes(const QString &text)
{
    static const QStringList yes{QStringLiteral("1"),    QStringLiteral("-1"),
                                 QStringLiteral("yes"),  QStringLiteral("ναι"),
                                 QStringLiteral("true"), QStringLiteral("x")};
    return yes.contains(text, Qt::CaseInsensitive);
}

inline bool isNo(const QString &text)
{
    static const QStringList no{QStringLiteral("0"), QStringLiteral("no"), QStringLiteral("όχι"),
                                QStringLiteral("false")};
    return no.contains(text, Qt::CaseInsensitive);
}

// Codes joined into a key; a separator no code holds.
inline constexpr QChar KeySeparator = u'\x1f';

inline QString keyOf(const DataKind &kind, const QVariantList &values)
{
    QString key;
    bool first = true;
    for (qsizetype i = 0; i < kind.columns.size(); ++i)
        if (kind.columns.at(i).key) {
            if (!first)
                key += KeySeparator;
            key += values.at(i).toString();
            first = false;
        }
    return key;
}

// A key as messages show it.
inline QString shown(QString key)
{
    return key.replace(KeySeparator, u'/');
}

inline qsizetype columnIndex(const DataKind &kind, const QString &name)
{
    for (qsizetype c = 0; c < kind.columns.size(); ++c)
        if (kind.columns.at(c).name == name)
            return c;
    return -1;
}

// The key of the row a reference column of `values` names: its scope's codes, then its own.
inline QString referredKey(const DataKind &kind, qsizetype c, const QVariantList &values)
{
    QString key;
    for (const qsizetype scope : kind.columns.at(c).scopeAt) {
        key += values.at(scope).toString();
        key += KeySeparator;
    }
    return key + values.at(c).toString();
}

inline bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    bool numbers = false, other = false;
    const double x = a.toDouble(&numbers), y = b.toDouble(&other);
    return numbers && other ? x == y : a.toString() == b.toString();
}

// A file's records, CSV or JSON alike.
class RecordSource
{
public:
    RecordSource(QIODevice *device, const QString &name, const CsvDialect &dialect)
    {
        if (IsJsonDataFile(device, name))
            m_json.emplace(device, name);
        else
            m_csv.emplace(device, name, dialect);
    }
    bool next(CsvRecord &record) { return m_json ? m_json->next(record) : m_csv->next(record); }
    bool isJson() const { return m_json.has_value(); }
    QString kind() const { return m_json ? m_json->kind() : QString(); }

private:
    std::optional<CsvReader> m_csv;
    std::optional<JsonRecords> m_json;
};

// The kinds whose rows have ids (students, courses, results ...): streamed from their files,
// never held. The code tables (departments, course types ...) are small and held.
inline bool isStreamed(const DataKind &kind)
{
    return !kind.idColumn.isEmpty();
}

// Whether rows of other kinds name rows of `kind` (a student, but no result).
inline bool isNamed(const DataKind &kind)
{
    static const QSet<QString> named = [] {
        QSet<QString> names;
        for (const DataKind &each : DataKinds())
            for (const DataColumn &column : each.columns)
                if (!column.refersTo.isEmpty())
                    names.insert(column.refersTo);
        return names;
    }();
    return named.contains(kind.name);
}

// The column naming the row a streamed row belongs to (a result's student): the stored rows of
// one owner are few and read together. Rows without one (a student) are looked up one by one.
inline qsizetype ownerColumn(const DataKind &kind)
{
    for (qsizetype c = 0; c < kind.columns.size(); ++c) {
        const DataColumn &column = kind.columns.at(c);
        if (column.key && !column.refersTo.isEmpty() && !column.column.isEmpty() &&
            isStreamed(*FindDataKind(column.refersTo)))
            return c;
    }
    return -1;
}

// Where a row was first met: the streamed file's number and the line, in 32 bits.
inline quint32 packedPlace(qint32 file, qint64 line)
{
    return quint32(file) << 24 | quint32(std::min<qint64>(line, 0xFFFFFF));
}

// The place each id was first met on in this import, four bytes an id in blocks for the ids a
// database hands out: millions of rows are checked for duplicates without holding them.
class PlaceOfId
{
public:
    quint32 &operator[](qint64 id)
    {
        if (id < 0 || id >= DenseLimit)
            return m_sparse[id];
        const size_t block = size_t(id) / BlockSize;
        if (block >= m_blocks.size())
            m_blocks.resize(block + 1);
        if (!m_blocks[block])
            m_blocks[block] = std::make_unique<quint32[]>(BlockSize); // zeroed
        return m_blocks[block][size_t(id) % BlockSize];
    }

private:
    static constexpr qint64 DenseLimit = qint64(1) << 28;
    static constexpr size_t BlockSize = 65536;
    std::vector<std::unique_ptr<quint32[]>> m_blocks;
    QHash<qint64, quint32> m_sparse;
};

// The key of a row in the table's own values (ids for references), as stored rows give it.
inline QString tableKeyOf(const DataKind &kind, const QVariantList &table)
{
    QString key;
    for (qsizetype c = 0; c < kind.columns.size(); ++c)
        if (kind.columns.at(c).key && !kind.columns.at(c).column.isEmpty()) {
            key += table.at(c).toString();
            key += KeySeparator;
        }
    return key;
}

inline const QString Source = QStringLiteral("DataImport");

// The table columns of `kind` in order, then its id.
inline QStringList tableColumns(const DataKind &kind)
{
    QStringList columns;
    for (const DataColumn &column : kind.columns)
        if (!column.column.isEmpty())
            columns << column.column;
    if (!kind.idColumn.isEmpty())
        columns << kind.idColumn;
    return columns;
}

// A stored row in the kind's columns, as the table holds it, from `query`'s columns in the order
// tableColumns() gives them. A null is nothing: PostgreSQL's null number would read as "0".
inline QVariantList tableValuesOf(const DataKind &kind, const QSqlQuery &query)
{
    QVariantList values(kind.columns.size());
    int at = 0;
    for (qsizetype c = 0; c < kind.columns.size(); ++c)
        if (!kind.columns.at(c).column.isEmpty())
            if (const QVariant value = query.value(at++); !value.isNull())
                values[c] = value;
    return values;
}

// Next free id of `kind`, the table locked against other writers handing out ids.
inline qint64 nextIdOf(Database &db, const DataKind &kind)
{
    db.lockForNewIds(kind.table, Source);
    QSqlQuery &last = db.exec(
        QStringLiteral("SELECT MAX(%1) FROM %2").arg(kind.idColumn, kind.table), {}, Source);
    return (last.next() ? last.value(0).toLongLong() : 0) + 1;
}

} // namespace zr::server::datarows

namespace zr::server {

struct DataImport::Streamed
{
    qint64 nextId = 0;
    qint64 firstNewId = 0;
    datarows::PlaceOfId places;
    QVariant owner;
    bool ownerRead = false;
    qint64 lastFreshOwner = -1; // new owners come in the order they were added, mostly
    struct Fellow
    {
        QVariantList values; // in the kind's columns, as the table holds them
        qint64 id = 0;
    };
    QHash<QString, Fellow> fellows; // the stored rows of the owner, by key
    DataKindChanges counted;
};

} // namespace zr::server
