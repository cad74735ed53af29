#include "dataimport.h"

#include "common/langstrings.h"
#include "common/schema.h"
#include "common/zrerror.h"
#include "database.h"
#include "jsonrecords.h"
#include "servererrors.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace zr::server {

namespace {

enum : qint32 {
    StrUnknownColumn = 65002, // "%1, line 1, column %2: no column «%3» in a file of %4"
    StrMissingColumn = 65003, // "%1: the column «%2» is missing"
    StrUnknownKind = 65004,  // "%1: its columns do not say what it holds; name it with --kind (%2)"
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
};

QString message(qint32 id, const QStringList &values)
{
    return ReplaceParams(GetLangString(id), values);
}

// Whether a header cell names `column`, by its English or its Greek name.
bool namesColumn(const QString &cell, const DataColumn &column)
{
    return column.inFiles() && (cell.trimmed().compare(column.name, Qt::CaseInsensitive) == 0 ||
           cell.trimmed().compare(column.greek, Qt::CaseInsensitive) == 0);
}

bool isYes(const QString &text)
{
    static const QStringList yes{QStringLiteral("1"),    QStringLiteral("-1"),
                                 QStringLiteral("yes"),  QStringLiteral("ναι"),
                                 QStringLiteral("true"), QStringLiteral("x")};
    return yes.contains(text, Qt::CaseInsensitive);
}

bool isNo(const QString &text)
{
    static const QStringList no{QStringLiteral("0"), QStringLiteral("no"), QStringLiteral("όχι"),
                                QStringLiteral("false")};
    return no.contains(text, Qt::CaseInsensitive);
}

// Codes joined into a key; a separator no code holds.
constexpr QChar KeySeparator = u'\x1f';

QString keyOf(const DataKind &kind, const QVariantList &values)
{
    QStringList parts;
    for (qsizetype i = 0; i < kind.columns.size(); ++i)
        if (kind.columns.at(i).key)
            parts << values.at(i).toString();
    return parts.join(KeySeparator);
}

// A key as messages show it.
QString shown(QString key)
{
    return key.replace(KeySeparator, u'/');
}

qsizetype columnIndex(const DataKind &kind, const QString &name)
{
    for (qsizetype c = 0; c < kind.columns.size(); ++c)
        if (kind.columns.at(c).name == name)
            return c;
    return -1;
}

// The key of the row a reference column of `values` names: its scope's codes, then its own.
QString referredKey(const DataKind &kind, qsizetype c, const QVariantList &values)
{
    QStringList codes;
    for (const QString &scope : kind.columns.at(c).scope)
        codes << values.at(columnIndex(kind, scope)).toString();
    codes << values.at(c).toString();
    return codes.join(KeySeparator);
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    bool numbers = false, other = false;
    const double x = a.toDouble(&numbers), y = b.toDouble(&other);
    return numbers && other ? x == y : a.toString() == b.toString();
}

} // namespace

DataImport::DataImport(std::shared_ptr<Database> db) : m_db(std::move(db)) {}

const DataKind *DataImport::kindOfHeader(const QStringList &header, const QString &fileName)
{
    QStringList names;
    const DataKind *fitting = nullptr;
    int fits = 0;
    for (const DataKind &kind : DataKinds()) {
        names << kind.shownName();
        const bool named = std::all_of(header.begin(), header.end(), [&](const QString &cell) {
            return std::any_of(kind.columns.begin(), kind.columns.end(),
                               [&](const DataColumn &c) { return namesColumn(cell, c); });
        });
        const bool complete =
            std::all_of(kind.columns.begin(), kind.columns.end(), [&](const DataColumn &c) {
                return !c.required ||
                       std::any_of(header.begin(), header.end(),
                                   [&](const QString &cell) { return namesColumn(cell, c); });
            });
        if (named && complete) {
            fitting = &kind;
            ++fits;
        }
    }
    // Columns several kinds have (a department, a code, a title) tell nothing.
    if (fits == 1)
        return fitting;
    m_problems << message(StrUnknownKind, {fileName, names.join(QStringLiteral(", "))});
    return nullptr;
}

void DataImport::addFile(QIODevice *device, const QString &fileName, const QString &kindName,
                         const CsvDialect &dialect)
{
    m_checked = false;
    // A JSON file gives the same records a CSV file would.
    std::optional<CsvReader> csv;
    std::optional<JsonRecords> json;
    if (IsJsonDataFile(device, fileName))
        json.emplace(device, fileName);
    else
        csv.emplace(device, fileName, dialect);
    const auto next = [&](CsvRecord &record) {
        return json ? json->next(record) : csv->next(record);
    };
    CsvRecord header;
    if (!next(header))
        return;
    // Named, or named by the file (courses.csv), or told by the header.
    const QString named = !kindName.isEmpty() ? kindName
                          : json && !json->kind().isEmpty() ? json->kind()
                                                             : QFileInfo(fileName).completeBaseName();
    const DataKind *kind = FindDataKind(named);
    if (!kind && kindName.isEmpty())
        kind = kindOfHeader(header.fields, fileName);
    if (!kind)
        return;
    // A column is named by its place in a CSV file, by its member's name in a JSON one.
    const auto label = [&](qsizetype i) {
        return json ? header.fields.at(i) : QString::number(i + 1);
    };
    // Which of the kind's columns each of the file's columns is.
    QList<int> place;
    QStringList &labels = m_columnLabels[fileName];
    labels = QStringList(kind->columns.size());
    for (qsizetype i = 0; i < header.fields.size(); ++i) {
        const QString cell = header.fields.at(i).trimmed();
        const auto found = std::find_if(kind->columns.begin(), kind->columns.end(),
                                        [&](const DataColumn &c) { return namesColumn(cell, c); });
        if (found == kind->columns.end())
            m_problems << message(StrUnknownColumn,
                                  {fileName, label(i), cell, kind->shownName()});
        else
            labels[found - kind->columns.begin()] = label(i);
        place << int(found - kind->columns.begin());
    }
    bool complete = true;
    for (qsizetype c = 0; c < kind->columns.size(); ++c) {
        if (kind->columns.at(c).required && !place.contains(int(c))) {
            m_problems << message(StrMissingColumn, {fileName, kind->columns.at(c).name});
            complete = false;
        }
    }
    if (!complete || place.contains(int(kind->columns.size())))
        return;

    KindRows &rows = m_kinds[kind->name];
    rows.read = true;
    readStored(*kind, rows);
    const SchemaTable &table = m_db->knownTable(kind->table, QStringLiteral("DataImport"));
    for (CsvRecord record; next(record);) {
        const QString line = QString::number(record.line);
        if (record.fields.size() != header.fields.size()) {
            m_problems << message(StrFieldCount,
                                  {fileName, line, QString::number(record.fields.size()),
                                   QString::number(header.fields.size())});
            continue;
        }
        Row row{fileName, record.line, QVariantList(kind->columns.size()),
                QList<bool>(kind->columns.size(), false)};
        bool good = true;
        for (qsizetype i = 0; i < record.fields.size(); ++i) {
            const DataColumn &column = kind->columns.at(place.at(i));
            // A reference is a code, whatever the table stores for it.
            const SchemaColumn *described =
                column.refersTo.isEmpty() ? table.column(column.column) : nullptr;
            const QString text = record.fields.at(i).trimmed();
            const QStringList where{fileName, line, label(i), text};
            QVariant value;
            if (text.isEmpty() && column.required) {
                m_problems << message(StrRequired, where);
            } else if (text.isEmpty() && column.defaulted) {
                continue; // not given: the stored value, or the table's default, stays
            } else if (text.isEmpty()) {
                if (column.flag) // an empty yes-or-no is a no
                    value = 0;
            } else if (column.flag) {
                if (isYes(text) || isNo(text))
                    value = isYes(text) ? -1 : 0;
                else
                    m_problems << message(StrNotYesOrNo, where);
            } else if (described && described->isNumeric()) {
                const std::optional<double> number = SpreadsheetNumber(text);
                if (!number)
                    m_problems << message(StrNotANumber, where);
                else if (described->sqlType == SqlType::Integer &&
                         (*number != std::floor(*number) || std::fabs(*number) > 9.0e15))
                    m_problems << message(StrNotWhole, where);
                else if (column.most > column.least &&
                         (*number < column.least || *number > column.most))
                    m_problems << message(StrOutside,
                                          where + QStringList{QString::number(column.least),
                                                              QString::number(column.most)});
                else
                    value = described->sqlType == SqlType::Integer ? QVariant(qint64(*number))
                                                                   : QVariant(*number);
            } else if (described && described->definedSize > 0 &&
                       text.size() > described->definedSize) {
                m_problems << message(StrTooLong,
                                      where + QStringList{QString::number(described->definedSize)});
            } else {
                value = text;
            }
            good = good && (text.isEmpty() ? !column.required : !value.isNull());
            row.values[place.at(i)] = value;
            row.given[place.at(i)] = true;
        }
        if (!good)
            continue;
        for (qsizetype c = 0; c < kind->columns.size(); ++c) {
            const DataColumn &column = kind->columns.at(c);
            if (!column.otherwise.isEmpty() && row.values.at(c).isNull())
                row.values[c] = row.values.at(columnIndex(*kind, column.otherwise));
        }
        const QString key = keyOf(*kind, row.values);
        rows.named.insert(key);
        if (const auto first = rows.byKey.constFind(key); first != rows.byKey.constEnd()) {
            const Row &earlier = rows.rows.at(*first);
            m_problems << message(StrDuplicateKey, {fileName, line, shown(key), earlier.file,
                                                    QString::number(earlier.line)});
            continue;
        }
        rows.byKey.insert(key, rows.rows.size());
        rows.rows << row;
    }
}

// Stored rows are held as a file gives them: a reference by the codes of the row it names.
void DataImport::readStored(const DataKind &kind, KindRows &rows)
{
    if (rows.storedRead)
        return;
    rows.storedRead = true;
    QStringList columns;
    QList<qsizetype> from;
    for (qsizetype c = 0; c < kind.columns.size(); ++c) {
        const DataColumn &column = kind.columns.at(c);
        if (!column.refersTo.isEmpty() && column.refersTo != kind.name)
            readStored(*FindDataKind(column.refersTo), m_kinds[column.refersTo]);
        if (!column.column.isEmpty()) {
            columns << column.column;
            from << c;
        }
    }
    if (!kind.idColumn.isEmpty())
        columns << kind.idColumn;
    QSqlQuery &query =
        m_db->exec(QStringLiteral("SELECT %1 FROM %2").arg(columns.join(u','), kind.table), {},
                   QStringLiteral("DataImport"));
    while (query.next()) {
        QVariantList values(kind.columns.size());
        // A null as nothing: PostgreSQL's null number would read as "0" in a key.
        for (qsizetype i = 0; i < from.size(); ++i)
            if (const QVariant value = query.value(int(i)); !value.isNull())
                values[from.at(i)] = value;
        for (qsizetype c = 0; c < kind.columns.size(); ++c) {
            const DataColumn &column = kind.columns.at(c);
            const KindRows &referred = m_kinds[column.refersTo];
            if (column.refersTo.isEmpty() || FindDataKind(column.refersTo)->idColumn.isEmpty() ||
                values.at(c).isNull())
                continue;
            // The codes of the row the id names: its scope's, then its own.
            const QStringList codes =
                referred.keyOfId.value(values.at(c).toString()).split(KeySeparator);
            for (qsizetype k = 0; k < column.scope.size(); ++k)
                values[columnIndex(kind, column.scope.at(k))] = codes.value(k);
            values[c] = codes.value(column.scope.size());
        }
        const QString key = keyOf(kind, values);
        rows.stored.insert(key, values);
        if (!kind.idColumn.isEmpty()) {
            rows.ids.insert(key, query.value(int(columns.size() - 1)));
            rows.keyOfId.insert(query.value(int(columns.size() - 1)).toString(), key);
        }
    }
}

bool DataImport::differs(const Row &row, const QVariantList &stored) const
{
    for (qsizetype i = 0; i < row.values.size(); ++i)
        if (row.given.at(i) && !sameValue(row.values.at(i), stored.at(i)))
            return true;
    return false;
}

void DataImport::setPrune(bool prune)
{
    m_prune = prune;
    m_checked = false;
}

void DataImport::setSkipBad(bool skip)
{
    m_skipBad = skip;
}

// Codes that name rows of another kind are looked for once every file is read, in the
// kinds' order, so that a row naming a refused row is refused too.
void DataImport::check()
{
    if (m_checked)
        return;
    m_checked = true;
    m_checkProblems.clear();
    for (const DataKind &kind : DataKinds()) {
        const auto rows = m_kinds.find(kind.name);
        if (rows == m_kinds.end())
            continue;
        rows->byKey.clear();
        for (qsizetype i = 0; i < rows->rows.size(); ++i) {
            rows->rows[i].refused = false;
            rows->byKey.insert(keyOf(kind, rows->rows.at(i).values), i);
        }
        rows->removed.clear();
        if (m_prune && rows->read)
            for (auto stored = rows->stored.cbegin(); stored != rows->stored.cend(); ++stored)
                if (!rows->named.contains(stored.key()))
                    rows->removed.insert(stored.key());
    }
    for (const DataKind &kind : DataKinds()) {
        checkReferences(kind);
        checkRemovals(kind);
    }
}

void DataImport::checkReferences(const DataKind &kind)
{
    const auto rows = m_kinds.find(kind.name);
    if (rows == m_kinds.end())
        return;
    for (qsizetype c = 0; c < kind.columns.size(); ++c) {
        const DataColumn &column = kind.columns.at(c);
        if (column.refersTo.isEmpty())
            continue;
        KindRows &referred = m_kinds[column.refersTo];
        readStored(*FindDataKind(column.refersTo), referred);
        for (Row &row : rows->rows) {
            if (row.refused || row.values.at(c).isNull()) // a reference left empty names nothing
                continue;
            const QString code = referredKey(kind, c, row.values);
            if (referred.byKey.contains(code) ||
                (referred.stored.contains(code) && !referred.removed.contains(code)))
                continue;
            m_checkProblems << message(StrUnknownCode, {row.file, QString::number(row.line),
                                                        m_columnLabels.value(row.file).value(c),
                                                        FindDataKind(column.refersTo)->shownName(),
                                                        shown(code)});
            row.refused = true;
            rows->byKey.remove(keyOf(kind, row.values));
        }
    }
}

// A stored row that pruning would remove must not be named by a stored row that stays.
void DataImport::checkRemovals(const DataKind &kind)
{
    KindRows &pruned = m_kinds[kind.name];
    if (pruned.removed.isEmpty())
        return;
    QSet<QString> kept;
    for (const DataKind &other : DataKinds()) {
        for (qsizetype c = 0; c < other.columns.size(); ++c) {
            if (other.columns.at(c).refersTo != kind.name)
                continue;
            KindRows &naming = m_kinds[other.name];
            readStored(other, naming);
            QHash<QString, qint64> named;
            for (auto stored = naming.stored.cbegin(); stored != naming.stored.cend(); ++stored)
                if (!naming.removed.contains(stored.key()) && !stored->at(c).isNull())
                    if (const QString code = referredKey(other, c, *stored);
                        pruned.removed.contains(code))
                        ++named[code];
            for (auto it = named.cbegin(); it != named.cend(); ++it) {
                m_checkProblems << message(StrStillNamed, {kind.shownName(), shown(it.key()),
                                                           QString::number(it.value()),
                                                           other.shownName()});
                kept.insert(it.key());
            }
        }
    }
    pruned.removed -= kept; // left as they are when refused rows are skipped
}

QList<QStringList> DataImport::storedRows(const DataKind &kind)
{
    KindRows &rows = m_kinds[kind.name];
    readStored(kind, rows);
    QList<QStringList> all;
    for (const QVariantList &values : std::as_const(rows.stored)) {
        QStringList fields;
        for (qsizetype c = 0; c < kind.columns.size(); ++c) {
            const QVariant &value = values.at(c);
            if (!kind.columns.at(c).inFiles())
                continue;
            if (kind.columns.at(c).flag)
                fields << (value.toInt() != 0 ? QStringLiteral("yes") : QStringLiteral("no"));
            else if (value.typeId() == QMetaType::Double)
                fields << QString::number(value.toDouble(), 'g', 15);
            else
                fields << value.toString();
        }
        all << fields;
    }
    std::sort(all.begin(), all.end());
    return all;
}

QStringList DataImport::problems()
{
    check();
    return m_problems + m_checkProblems;
}

QList<DataKindChanges> DataImport::changes()
{
    check();
    constexpr qsizetype shownRows = 3;
    QList<DataKindChanges> all;
    for (const DataKind &kind : DataKinds()) {
        const auto rows = m_kinds.constFind(kind.name);
        if (rows == m_kinds.constEnd() || (rows->rows.isEmpty() && rows->removed.isEmpty()))
            continue;
        DataKindChanges counted;
        counted.kind = kind.shownName();
        for (const Row &row : rows->rows) {
            if (row.refused)
                continue;
            const QString key = keyOf(kind, row.values);
            const auto stored = rows->stored.constFind(key);
            const bool added = stored == rows->stored.constEnd();
            if (!added && !differs(row, *stored)) {
                ++counted.unchanged;
                continue;
            }
            ++(added ? counted.added : counted.changed);
            if (counted.firstRows.size() < shownRows)
                counted.firstRows << QStringLiteral("%1 %2:%3 %4")
                                         .arg(QChar(added ? u'+' : u'~'))
                                         .arg(row.file)
                                         .arg(row.line)
                                         .arg(shown(key));
        }
        counted.removed = rows->removed.size();
        QStringList removed(rows->removed.cbegin(), rows->removed.cend());
        removed.sort();
        for (const QString &key : removed.mid(0, shownRows))
            counted.firstRows << QStringLiteral("- %1").arg(shown(key));
        all << counted;
    }
    return all;
}

// What the table holds for column `c`: the id of the row a code names where that kind has
// ids, the named row's own value for a copied column, else the value itself.
QVariant DataImport::tableValue(const DataKind &kind, qsizetype c, const QVariantList &values)
{
    const DataColumn &column = kind.columns.at(c);
    if (!column.copiedFrom.isEmpty()) {
        const qsizetype reference = columnIndex(kind, column.copiedFrom);
        const DataKind &referred = *FindDataKind(kind.columns.at(reference).refersTo);
        const KindRows &rows = m_kinds[referred.name];
        const QString key = referredKey(kind, reference, values);
        qsizetype from = 0;
        while (referred.columns.at(from).column != column.column)
            ++from;
        if (const auto row = rows.byKey.constFind(key);
            row != rows.byKey.constEnd() && rows.rows.at(*row).given.at(from))
            return rows.rows.at(*row).values.at(from);
        return rows.stored.value(key).value(from);
    }
    if (!column.refersTo.isEmpty() && !FindDataKind(column.refersTo)->idColumn.isEmpty())
        return m_kinds[column.refersTo].ids.value(referredKey(kind, c, values));
    return values.at(c);
}

void DataImport::remove(const DataKind &kind, const QString &key)
{
    const QString source = QStringLiteral("DataImport");
    const KindRows &rows = m_kinds[kind.name];
    if (!kind.idColumn.isEmpty()) {
        m_db->write(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(kind.table, kind.idColumn),
                    {rows.ids.value(key)}, source);
        return;
    }
    QStringList where;
    QVariantList values;
    const QVariantList stored = rows.stored.value(key);
    for (qsizetype c = 0; c < kind.columns.size(); ++c)
        if (kind.columns.at(c).key && !kind.columns.at(c).column.isEmpty()) {
            where << kind.columns.at(c).column + QStringLiteral(" = ?");
            values << stored.at(c);
        }
    m_db->write(QStringLiteral("DELETE FROM %1 WHERE %2")
                    .arg(kind.table, where.join(QStringLiteral(" AND "))),
                values, source);
}

bool DataImport::apply(const DataProgress &progress)
{
    if (const QStringList refused = problems(); !refused.isEmpty() && !m_skipBad)
        throw ZrError(ErrDataFileRefused, QStringLiteral("DataImport"), refused.join(u'\n'));
    qint64 total = 0, done = 0;
    for (const DataKindChanges &kindChanges : changes())
        total += kindChanges.added + kindChanges.changed + kindChanges.removed;
    // Told every so many rows, not each: the answer may repaint a window.
    const auto onward = [&] {
        ++done;
        return !progress || (done % 256 != 0 && done != total) || progress(done, total);
    };
    const auto cancelled = [this] {
        m_kinds.clear(); // the ids handed out are rolled back with the rest
        m_checked = false;
        return false;
    };
    if (progress && !progress(0, total))
        return cancelled();
    const QString source = QStringLiteral("DataImport");
    Database::Transaction tx(*m_db, Database::Transaction::Write, source);
    for (const DataKind &kind : DataKinds()) {
        const auto rows = m_kinds.constFind(kind.name);
        if (rows == m_kinds.constEnd())
            continue;
        qint64 nextId = 0;
        if (!kind.idColumn.isEmpty()) {
            m_db->lockForNewIds(kind.table, source);
            QSqlQuery &last =
                m_db->exec(QStringLiteral("SELECT MAX(%1) FROM %2").arg(kind.idColumn, kind.table),
                           {}, source);
            nextId = (last.next() ? last.value(0).toLongLong() : 0) + 1;
        }
        for (const Row &row : rows->rows) {
            const QString key = keyOf(kind, row.values);
            const auto stored = rows->stored.constFind(key);
            if (row.refused || (stored != rows->stored.constEnd() && !differs(row, *stored)))
                continue;
            QStringList columns, keys;
            QVariantList values, keyValues;
            for (qsizetype c = 0; c < kind.columns.size(); ++c) {
                const DataColumn &column = kind.columns.at(c);
                if (column.column.isEmpty() ||
                    (!column.key && !row.given.at(c) && column.inFiles()))
                    continue;
                const QVariant value = tableValue(kind, c, row.values);
                if (column.key && stored != rows->stored.constEnd() && value.isNull()) {
                    keys << column.column + QStringLiteral(" IS NULL");
                    continue;
                }
                (column.key ? keys : columns)
                    << column.column + (column.key ? QStringLiteral(" = ?") : QString());
                (column.key ? keyValues : values) << value;
            }
            if (stored != rows->stored.constEnd()) {
                for (QString &column : columns)
                    column += QStringLiteral(" = ?");
                m_db->write(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                .arg(kind.table, columns.join(QStringLiteral(", ")),
                                     keys.join(QStringLiteral(" AND "))),
                            values + keyValues, source);
            } else {
                for (QString &column : keys)
                    column.chop(4); // " = ?"
                columns += keys;
                values += keyValues;
                if (!kind.idColumn.isEmpty()) {
                    columns << kind.idColumn;
                    values << nextId;
                    m_kinds[kind.name].ids.insert(key, nextId++);
                }
                m_db->write(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(kind.table, columns.join(u','),
                                     QStringList(columns.size(), QStringLiteral("?")).join(u',')),
                            values, source);
            }
            if (!onward())
                return cancelled();
        }
    }
    // Rows that name others go first.
    for (auto kind = DataKinds().crbegin(); kind != DataKinds().crend(); ++kind)
        for (const QString &key : std::as_const(m_kinds[kind->name].removed)) {
            remove(*kind, key);
            if (!onward())
                return cancelled();
        }
    tx.commit();
    m_kinds.clear();
    m_checked = false;
    return true;
}

} // namespace zr::server
