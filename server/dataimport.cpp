#include "dataimport.h"

#include "common/langstrings.h"
#include "common/schema.h"
#include "common/zrerror.h"
#include "database.h"
#include "jsonrecords.h"
#include "servererrors.h"

#include <QFile>
#include <QScopeGuard>
#include <QFileInfo>
#include <QSqlQuery>

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
    QString key;
    for (const qsizetype scope : kind.columns.at(c).scopeAt) {
        key += values.at(scope).toString();
        key += KeySeparator;
    }
    return key + values.at(c).toString();
}

bool sameValue(const QVariant &a, const QVariant &b)
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
bool isStreamed(const DataKind &kind)
{
    return !kind.idColumn.isEmpty();
}

// The column naming the row a streamed row belongs to (a result's student): the stored rows of
// one owner are few and read together. Rows without one (a student) are looked up one by one.
qsizetype ownerColumn(const DataKind &kind)
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
quint32 packedPlace(qint32 file, qint64 line)
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
QString tableKeyOf(const DataKind &kind, const QVariantList &table)
{
    QString key;
    for (qsizetype c = 0; c < kind.columns.size(); ++c)
        if (kind.columns.at(c).key && !kind.columns.at(c).column.isEmpty()) {
            key += table.at(c).toString();
            key += KeySeparator;
        }
    return key;
}

const QString Source = QStringLiteral("DataImport");

} // namespace

struct DataImport::Streamed
{
    qint64 nextId = 0;
    qint64 firstNewId = 0;
    PlaceOfId places;
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

DataImport::DataImport(std::shared_ptr<Database> db) : m_db(std::move(db)) {}

DataImport::~DataImport() = default;

bool DataImport::addFile(const QString &path, QString *error, const QString &kindName,
                         const CsvDialect &dialect)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        if (error)
            *error = file->errorString();
        return false;
    }
    addFile(std::move(file), QFileInfo(path).fileName(), kindName, dialect);
    return true;
}

void DataImport::addFile(std::unique_ptr<QIODevice> device, const QString &fileName,
                         const QString &kindName, const CsvDialect &dialect)
{
    forgetWorkedOut();
    m_checked = false;
    RecordSource records(device.get(), fileName, dialect);
    CsvRecord header;
    if (!records.next(header))
        return;
    // Named, or named by the file (courses.csv), or told by the header.
    const QString named = !kindName.isEmpty()                           ? kindName
                          : !records.kind().isEmpty()                    ? records.kind()
                                                                          : QFileInfo(fileName).completeBaseName();
    const DataKind *kind = FindDataKind(named);
    if (!kind && kindName.isEmpty())
        kind = kindOfHeader(header.fields, fileName);
    if (!kind)
        return;
    // A column is named by its place in a CSV file, by its member's name in a JSON one.
    const auto label = [&](qsizetype i) {
        return records.isJson() ? header.fields.at(i) : QString::number(i + 1);
    };
    // Which of the kind's columns each of the file's columns is.
    FileColumns columns{fileName, {}, QStringList(kind->columns.size()), header.fields.size(), {}};
    for (qsizetype i = 0; i < header.fields.size(); ++i) {
        const QString cell = header.fields.at(i).trimmed();
        const auto found = std::find_if(kind->columns.begin(), kind->columns.end(),
                                        [&](const DataColumn &c) { return namesColumn(cell, c); });
        if (found == kind->columns.end())
            m_problems << message(StrUnknownColumn, {fileName, label(i), cell, kind->shownName()});
        else
            columns.labels[found - kind->columns.begin()] = label(i);
        columns.place << int(found - kind->columns.begin());
    }
    bool complete = true;
    for (qsizetype c = 0; c < kind->columns.size(); ++c) {
        if (kind->columns.at(c).required && !columns.place.contains(int(c))) {
            m_problems << message(StrMissingColumn, {fileName, kind->columns.at(c).name});
            complete = false;
        }
    }
    if (!complete || columns.place.contains(int(kind->columns.size())))
        return;
    // A reference is a code, whatever the table stores for it.
    const SchemaTable &table = m_db->knownTable(kind->table, Source);
    for (const DataColumn &column : kind->columns)
        columns.described << (column.refersTo.isEmpty() ? table.column(column.column) : nullptr);
    m_columns.insert(fileName, columns);
    KindRows &rows = m_kinds[kind->name];
    rows.read = true;
    if (isStreamed(*kind)) { // read when the import is worked out
        const qint32 number = qint32(m_streamed.size());
        m_streamed.push_back(StreamedFile{std::move(device), dialect, kind, columns, number});
        return;
    }
    readStored(*kind, rows);
    for (CsvRecord record; records.next(record);) {
        Row row;
        if (!readRecord(*kind, columns, record, row, m_problems))
            continue;
        const QString key = keyOf(*kind, row.values);
        rows.named.insert(key);
        if (const auto first = rows.byKey.constFind(key); first != rows.byKey.constEnd()) {
            const Row &earlier = rows.rows.at(*first);
            m_problems << message(StrDuplicateKey,
                                  {fileName, QString::number(record.line), shown(key),
                                   earlier.file, QString::number(earlier.line)});
            continue;
        }
        rows.byKey.insert(key, rows.rows.size());
        rows.rows << row;
    }
}

// The values of one record in the kind's columns, or false with its refusals added.
bool DataImport::readRecord(const DataKind &kind, const FileColumns &columns,
                            const CsvRecord &record, Row &row, QStringList &problems)
{
    if (record.fields.size() != columns.fields) {
        problems << message(StrFieldCount, {columns.file, QString::number(record.line),
                                            QString::number(record.fields.size()),
                                            QString::number(columns.fields)});
        return false;
    }
    // The row's lists are used again, row after row, without being made anew: the file's
    // columns are all set below, the others only by a stand-in.
    row.file = columns.file;
    row.line = record.line;
    row.refused = false;
    if (row.values.size() != kind.columns.size()) {
        row.values = QVariantList(kind.columns.size());
        row.given = QList<bool>(kind.columns.size(), false);
    } else {
        for (qsizetype c = 0; c < kind.columns.size(); ++c)
            if (!kind.columns.at(c).otherwise.isEmpty())
                row.values[c] = QVariant();
    }
    bool good = true;
    for (qsizetype i = 0; i < record.fields.size(); ++i) {
        const int c = columns.place.at(i);
        const DataColumn &column = kind.columns.at(c);
        const SchemaColumn *described = columns.described.at(c);
        const QString text = record.fields.at(i).trimmed();
        const auto refuse = [&](qint32 id, const QStringList &more = {}) {
            problems << message(id, QStringList{columns.file, QString::number(record.line),
                                                columns.labels.at(c), text} +
                                        more);
            good = false;
        };
        QVariant value;
        if (text.isEmpty() && column.required) {
            refuse(StrRequired);
        } else if (text.isEmpty() && column.defaulted) {
            // Not given: the stored value, or the table's default, stays.
            row.values[c] = QVariant();
            row.given[c] = false;
            continue;
        } else if (text.isEmpty()) {
            if (column.flag) // an empty yes-or-no is a no
                value = 0;
        } else if (column.flag) {
            if (isYes(text) || isNo(text))
                value = isYes(text) ? -1 : 0;
            else
                refuse(StrNotYesOrNo);
        } else if (described && described->isNumeric()) {
            const std::optional<double> number = SpreadsheetNumber(text);
            if (!number)
                refuse(StrNotANumber);
            else if (described->sqlType == SqlType::Integer &&
                     (*number != std::floor(*number) || std::fabs(*number) > 9.0e15))
                refuse(StrNotWhole);
            else if (column.most > column.least && (*number < column.least || *number > column.most))
                refuse(StrOutside, {QString::number(column.least), QString::number(column.most)});
            else
                value = described->sqlType == SqlType::Integer ? QVariant(qint64(*number))
                                                               : QVariant(*number);
        } else if (described && described->definedSize > 0 && text.size() > described->definedSize) {
            refuse(StrTooLong, {QString::number(described->definedSize)});
        } else {
            value = text;
        }
        row.values[c] = value;
        row.given[c] = true;
    }
    if (!good)
        return false;
    for (qsizetype c = 0; c < kind.columns.size(); ++c) {
        const DataColumn &column = kind.columns.at(c);
        if (!column.otherwise.isEmpty() && row.values.at(c).isNull())
            row.values[c] = row.values.at(columnIndex(kind, column.otherwise));
    }
    return true;
}

// Whether every code of `row` names a row of its kind that is, or will be, stored; with
// `table`, what the table holds for each column (the id a code names, where there is one).
bool DataImport::referencesKnown(const DataKind &kind, const Row &row, QStringList &problems,
                                 QVariantList *table)
{
    bool known = true;
    if (table) {
        table->resize(kind.columns.size());
        for (qsizetype c = 0; c < kind.columns.size(); ++c)
            (*table)[c] = row.values.at(c);
    }
    for (qsizetype c = 0; c < kind.columns.size(); ++c) {
        const DataColumn &column = kind.columns.at(c);
        if (!column.copiedFrom.isEmpty() && table)
            (*table)[c] = tableValue(kind, c, row.values);
        if (column.refersTo.isEmpty() || row.values.at(c).isNull()) // empty names nothing
            continue;
        const DataKind &referredKind = *FindDataKind(column.refersTo);
        // A row names what the row before it named, mostly (a student's results follow each other).
        if (table && isStreamed(referredKind)) {
            Memo &memo = m_memo[c];
            bool same = memo.id.isValid() && memo.codes.size() == column.scopeAt.size() + 1;
            for (qsizetype k = 0; same && k < column.scopeAt.size(); ++k)
                same = memo.codes.at(k) == row.values.at(column.scopeAt.at(k));
            if (same && memo.codes.constLast() == row.values.at(c)) {
                (*table)[c] = memo.id;
                continue;
            }
        }
        const QString code = referredKey(kind, c, row.values);
        if (isStreamed(referredKind)) {
            if (const QVariant id = streamedId(referredKind, code); id.isValid()) {
                if (table) {
                    (*table)[c] = id;
                    Memo &memo = m_memo[c];
                    memo.codes.clear();
                    for (const qsizetype scope : column.scopeAt)
                        memo.codes << row.values.at(scope);
                    memo.codes << row.values.at(c);
                    memo.id = id;
                }
                continue;
            }
        } else if (const KindRows &referred = m_kinds[column.refersTo];
                   referred.byKey.contains(code) ||
                   (referred.stored.contains(code) && !referred.removed.contains(code))) {
            continue;
        }
        problems << message(StrUnknownCode,
                            {row.file, QString::number(row.line),
                             m_columns.value(row.file).labels.value(c),
                             FindDataKind(column.refersTo)->shownName(), shown(code)});
        known = false;
    }
    return known;
}

// The id of the stored row of a streamed kind that `code` names, read from the database (rows
// this import wrote included) and remembered a while; invalid when there is none.
QVariant DataImport::streamedId(const DataKind &kind, const QString &code)
{
    if (const auto found = m_idCache[kind.name].constFind(code);
        found != m_idCache[kind.name].constEnd())
        return *found;
    const auto remember = [&](const QVariant &id) {
        QHash<QString, QVariant> &known = m_idCache[kind.name];
        if (known.size() > 8192) // a cache, not a copy of the table
            known.clear();
        known.insert(code, id);
        return id;
    };
    const QStringList parts = code.split(KeySeparator);
    QVariantList values(kind.columns.size());
    qsizetype at = 0;
    for (qsizetype c = 0; c < kind.columns.size(); ++c)
        if (kind.columns.at(c).key && !parts.value(at++).isEmpty())
            values[c] = parts.value(at - 1);
    QStringList where;
    QVariantList bound;
    for (qsizetype c = 0; c < kind.columns.size(); ++c) {
        const DataColumn &column = kind.columns.at(c);
        if (!column.key || column.column.isEmpty())
            continue;
        QVariant value = values.at(c);
        if (!column.refersTo.isEmpty() && !value.isNull() &&
            isStreamed(*FindDataKind(column.refersTo)))
            if (value = streamedId(*FindDataKind(column.refersTo), referredKey(kind, c, values));
                !value.isValid())
                return remember(QVariant());
        where << column.column + (value.isNull() ? QStringLiteral(" IS NULL") : QStringLiteral(" = ?"));
        if (!value.isNull())
            bound << value;
    }
    QSqlQuery &query = m_db->exec(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                                      .arg(kind.idColumn, kind.table, where.join(QStringLiteral(" AND "))),
                                  bound, Source);
    return remember(query.next() ? query.value(0) : QVariant());
}

// The code of the stored row of a streamed kind with id `id`, as a file names it.
QString DataImport::codeOf(const DataKind &kind, const QVariant &id)
{
    QStringList columns;
    for (const DataColumn &column : kind.columns)
        if (column.key && !column.column.isEmpty())
            columns << column.column;
    QSqlQuery &query = m_db->exec(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                      .arg(columns.join(u','), kind.table, kind.idColumn),
                                  {id}, Source);
    if (!query.next())
        return {};
    QVariantList stored;
    for (int i = 0; i < columns.size(); ++i)
        stored << query.value(i);
    QVariantList values(kind.columns.size());
    int at = 0;
    for (qsizetype c = 0; c < kind.columns.size(); ++c) {
        const DataColumn &column = kind.columns.at(c);
        if (!column.key || column.column.isEmpty())
            continue;
        const QVariant value = stored.at(at++);
        if (column.refersTo.isEmpty() || !isStreamed(*FindDataKind(column.refersTo))) {
            values[c] = value.isNull() ? QVariant() : value;
            continue;
        }
        // The referred row's code: its scope's, then its own.
        const QStringList codes = codeOf(*FindDataKind(column.refersTo), value).split(KeySeparator);
        for (qsizetype k = 0; k < column.scopeAt.size(); ++k)
            values[column.scopeAt.at(k)] = codes.value(k);
        values[c] = codes.value(column.scopeAt.size());
    }
    return keyOf(kind, values);
}

// A stored row as a file gives it, from `query`'s columns from `firstColumn` on (the kind's
// table columns in order): a reference by the codes of the row it names.
QVariantList DataImport::codesOf(const DataKind &kind, const QSqlQuery &query,
                                 qsizetype firstColumn)
{
    QVariantList values(kind.columns.size());
    int at = int(firstColumn);
    for (qsizetype c = 0; c < kind.columns.size(); ++c) {
        if (kind.columns.at(c).column.isEmpty())
            continue;
        // A null as nothing: PostgreSQL's null number would read as "0" in a key.
        if (const QVariant value = query.value(at++); !value.isNull())
            values[c] = value;
    }
    for (qsizetype c = 0; c < kind.columns.size(); ++c) {
        const DataColumn &column = kind.columns.at(c);
        if (column.refersTo.isEmpty() || FindDataKind(column.refersTo)->idColumn.isEmpty() ||
            values.at(c).isNull())
            continue;
        // The codes of the row the id names: its scope's, then its own.
        const KindRows &referred = m_kinds[column.refersTo];
        const QString id = values.at(c).toString();
        const QStringList codes =
            referred.keyOfId.value(id).split(KeySeparator);
        for (qsizetype k = 0; k < column.scope.size(); ++k)
            values[columnIndex(kind, column.scope.at(k))] = codes.value(k);
        values[c] = codes.value(column.scope.size());
    }
    return values;
}

// The table columns of `kind` in order, then its id.
static QStringList tableColumns(const DataKind &kind)
{
    QStringList columns;
    for (const DataColumn &column : kind.columns)
        if (!column.column.isEmpty())
            columns << column.column;
    if (!kind.idColumn.isEmpty())
        columns << kind.idColumn;
    return columns;
}

// Stored rows are held as a file gives them: a reference by the codes of the row it names.
void DataImport::readStored(const DataKind &kind, KindRows &rows)
{
    if (rows.storedRead)
        return;
    rows.storedRead = true;
    for (const DataColumn &column : kind.columns)
        if (!column.refersTo.isEmpty() && column.refersTo != kind.name)
            readStored(*FindDataKind(column.refersTo), m_kinds[column.refersTo]);
    const QStringList columns = tableColumns(kind);
    QSqlQuery &query = m_db->exec(
        QStringLiteral("SELECT %1 FROM %2").arg(columns.join(u','), kind.table), {}, Source);
    while (query.next()) {
        const QVariantList values = codesOf(kind, query, 0);
        const QString key = keyOf(kind, values);
        rows.stored.insert(key, values);
        if (!kind.idColumn.isEmpty()) {
            const QVariant id = query.value(int(columns.size() - 1));
            rows.ids.insert(key, id);
            rows.keyOfId.insert(id.toString(), key);
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
    forgetWorkedOut();
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
        if (m_prune && rows->read && !isStreamed(kind))
            for (auto stored = rows->stored.cbegin(); stored != rows->stored.cend(); ++stored)
                if (!rows->named.contains(stored.key()))
                    rows->removed.insert(stored.key());
    }
    // The held kinds (code tables) name only held kinds; streamed rows are checked as they are
    // written.
    for (const DataKind &kind : DataKinds()) {
        if (!m_kinds.contains(kind.name))
            continue;
        for (const DataColumn &column : kind.columns)
            if (const DataKind *referred = FindDataKind(column.refersTo);
                referred && !isStreamed(*referred))
                readStored(*referred, m_kinds[column.refersTo]);
        if (isStreamed(kind))
            continue;
        checkReferences(kind);
        checkRemovals(kind);
    }
}

void DataImport::checkReferences(const DataKind &kind)
{
    const auto rows = m_kinds.find(kind.name);
    if (rows == m_kinds.end())
        return;
    for (Row &row : rows->rows) {
        if (row.refused || referencesKnown(kind, row, m_checkProblems))
            continue;
        row.refused = true;
        rows->byKey.remove(keyOf(kind, row.values));
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
            QHash<QString, qint64> named;
            if (isStreamed(other)) {
                // Counted by the database: a streamed kind's rows are never held.
                for (const QString &key : std::as_const(pruned.removed)) {
                    const QVariant stored = kind.idColumn.isEmpty()
                                                ? QVariant(key.section(KeySeparator, -1))
                                                : pruned.ids.value(key);
                    QSqlQuery &count = m_db->exec(
                        QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?")
                            .arg(other.table, other.columns.at(c).column),
                        {stored}, Source);
                    if (count.next() && count.value(0).toLongLong() > 0)
                        named.insert(key, count.value(0).toLongLong());
                }
            } else {
                KindRows &naming = m_kinds[other.name];
                readStored(other, naming);
                for (auto stored = naming.stored.cbegin(); stored != naming.stored.cend(); ++stored)
                    if (!naming.removed.contains(stored.key()) && !stored->at(c).isNull())
                        if (const QString code = referredKey(other, c, *stored);
                            pruned.removed.contains(code))
                            ++named[code];
            }
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
    workOut({}, false);
    return m_problems + m_checkProblems + m_streamProblems;
}

QList<DataKindChanges> DataImport::changes()
{
    workOut({}, false);
    constexpr qsizetype shownRows = 3;
    QList<DataKindChanges> all;
    for (const DataKind &kind : DataKinds()) {
        if (isStreamed(kind)) {
            if (m_streamedChanges.contains(kind.name))
                all << m_streamedChanges.value(kind.name);
            continue;
        }
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

// What the table holds for column `c` of a row whose references are known: for a copied column
// the value of the row its reference names (a programme's course keeps its course's title), else
// the value itself.
QVariant DataImport::tableValue(const DataKind &kind, qsizetype c, const QVariantList &values)
{
    const DataColumn &column = kind.columns.at(c);
    if (column.copiedFrom.isEmpty())
        return values.at(c);
    const qsizetype reference = columnIndex(kind, column.copiedFrom);
    const DataKind &referred = *FindDataKind(kind.columns.at(reference).refersTo);
    QSqlQuery &query = m_db->exec(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                      .arg(column.column, referred.table, referred.idColumn),
                                  {streamedId(referred, referredKey(kind, reference, values))},
                                  Source);
    return query.next() ? query.value(0) : QVariant();
}

void DataImport::remove(const DataKind &kind, const QString &key)
{
    const KindRows &rows = m_kinds[kind.name];
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
                values, Source);
}

// Next free id of `kind`, the table locked against other writers handing out ids.
static qint64 nextIdOf(Database &db, const DataKind &kind)
{
    db.lockForNewIds(kind.table, Source);
    QSqlQuery &last = db.exec(
        QStringLiteral("SELECT MAX(%1) FROM %2").arg(kind.idColumn, kind.table), {}, Source);
    return (last.next() ? last.value(0).toLongLong() : 0) + 1;
}

// Writes the rows held of `kind` (a code table, keyed by its codes): additions and changes.
bool DataImport::writeKept(const DataKind &kind, const std::function<bool(qint64)> &onward)
{
    const auto found = m_kinds.find(kind.name);
    if (found == m_kinds.end())
        return true;
    KindRows &rows = *found;
    for (const Row &row : std::as_const(rows.rows)) {
        const QString key = keyOf(kind, row.values);
        const auto stored = rows.stored.constFind(key);
        if (row.refused || (stored != rows.stored.constEnd() && !differs(row, *stored)))
            continue;
        QStringList columns, keys;
        QVariantList values, keyValues;
        for (qsizetype c = 0; c < kind.columns.size(); ++c) {
            const DataColumn &column = kind.columns.at(c);
            if (column.column.isEmpty() || (!column.key && !row.given.at(c) && column.inFiles()))
                continue;
            const QVariant value = tableValue(kind, c, row.values);
            if (column.key && stored != rows.stored.constEnd() && value.isNull()) {
                keys << column.column + QStringLiteral(" IS NULL");
                continue;
            }
            (column.key ? keys : columns)
                << column.column + (column.key ? QStringLiteral(" = ?") : QString());
            (column.key ? keyValues : values) << value;
        }
        if (stored != rows.stored.constEnd()) {
            for (QString &column : columns)
                column += QStringLiteral(" = ?");
            m_db->write(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                            .arg(kind.table, columns.join(QStringLiteral(", ")),
                                 keys.join(QStringLiteral(" AND "))),
                        values + keyValues, Source);
        } else {
            for (QString &column : keys)
                column.chop(4); // " = ?"
            columns += keys;
            values += keyValues;
            m_db->write(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(kind.table, columns.join(u','),
                                 QStringList(columns.size(), QStringLiteral("?")).join(u',')),
                        values, Source);
        }
        if (!onward(1))
            return false;
    }
    return true;
}

// Writes the rows of one streamed file as they are read: each is checked, matched with the
// stored rows of its owner (read when the owner changes) and added or changed.
bool DataImport::stream(StreamedFile &file, Streamed &state,
                        const std::function<bool(qint64)> &onward)
{
    const DataKind &kind = *file.kind;
    const qsizetype owner = ownerColumn(kind);
    const QStringList stored = tableColumns(kind);
    const QString fellows =
        QStringLiteral("SELECT %1 FROM %2").arg(stored.join(u','), kind.table) +
        (owner < 0 ? QString() : QStringLiteral(" WHERE %1 = ?").arg(kind.columns.at(owner).column));

    file.device->seek(0);
    RecordSource records(file.device.get(), file.columns.file, file.dialect);
    CsvRecord record;
    if (!records.next(record)) // the header
        return true;
    qint64 read = file.device->pos();
    // The statement for a set of columns, and whether it adds `rows` rows or changes one.
    QHash<QPair<quint64, int>, QString> statements;
    const auto statement = [&](quint64 written, int rows) -> const QString & {
        QString &sql = statements[{written, rows}];
        if (!sql.isEmpty())
            return sql;
        QStringList columns;
        for (qsizetype c = 0; c < kind.columns.size(); ++c)
            if (written & (quint64(1) << c))
                columns << kind.columns.at(c).column;
        columns << kind.idColumn;
        const QString row =
            u'(' + QStringList(columns.size(), QStringLiteral("?")).join(u',') + u')';
        sql = written >> 63
                  ? QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                        .arg(kind.table, columns.join(u','), QStringList(rows, row).join(u','))
                  : QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                        .arg(kind.table, columns.mid(0, columns.size() - 1).join(QStringLiteral(" = ?, ")),
                             kind.idColumn);
        return sql;
    };
    struct Pending
    {
        QVariantList values;
        int rows = 0;
    };
    constexpr int BatchRows = 64;
    QHash<quint64, Pending> pending; // added rows not yet written, by their columns
    QHash<QString, qint64> pendingKeys;
    // A whole batch in one statement; the rest of a file's rows one by one.
    const auto flush = [&](quint64 written, Pending &batch) {
        if (batch.rows == BatchRows) {
            m_db->write(statement(written, BatchRows), batch.values, Source);
        } else {
            const qsizetype width = batch.values.size() / std::max(batch.rows, 1);
            for (int r = 0; r < batch.rows; ++r)
                m_db->write(statement(written, 1), batch.values.mid(r * width, width), Source);
        }
        batch = Pending();
        if (std::all_of(pending.cbegin(), pending.cend(), [](const Pending &p) { return p.rows == 0; }))
            pendingKeys.clear();
    };
    Row row;
    QVariantList table;
    m_memo = QList<Memo>(kind.columns.size());
    while (records.next(record)) {
        if (!onward(file.device->pos() - read))
            return false;
        read = file.device->pos();
        if (!readRecord(kind, file.columns, record, row, m_streamProblems) ||
            !referencesKnown(kind, row, m_streamProblems, &table))
            continue;
        const QString tableKey = tableKeyOf(kind, table);
        // The stored rows it may be: its owner's, or the one row of its key.
        QVariantList match;
        QString lookup = fellows;
        if (owner >= 0) {
            match << table.at(owner);
        } else {
            QStringList where;
            for (qsizetype c = 0; c < kind.columns.size(); ++c)
                if (kind.columns.at(c).key && !kind.columns.at(c).column.isEmpty()) {
                    where << kind.columns.at(c).column +
                                 (table.at(c).isNull() ? QStringLiteral(" IS NULL") : QStringLiteral(" = ?"));
                    if (!table.at(c).isNull())
                        match << table.at(c);
                }
            lookup += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
        }
        if (owner < 0 || !state.ownerRead || match.constFirst() != state.owner) {
            state.fellows.clear();
            state.owner = match.value(0);
            state.ownerRead = true;
            // An owner this import added, met for the first time, has no rows stored yet.
            const qint64 ownerId = state.owner.toLongLong();
            const bool fresh = owner >= 0 && ownerId > state.lastFreshOwner &&
                               ownerId >= m_firstNewId.value(kind.columns.at(owner).refersTo, LLONG_MAX);
            if (fresh)
                state.lastFreshOwner = ownerId;
            QSqlQuery *query = fresh ? nullptr : &m_db->exec(lookup, match, Source);
            while (query && query->next()) {
                QVariantList values(kind.columns.size());
                int at = 0;
                for (qsizetype c = 0; c < kind.columns.size(); ++c)
                    if (!kind.columns.at(c).column.isEmpty())
                        if (const QVariant value = query->value(at++); !value.isNull())
                            values[c] = value;
                const QString fellowKey = tableKeyOf(kind, values);
                state.fellows.insert(fellowKey, {std::move(values), query->value(at).toLongLong()});
            }
        }
        const auto fellow = state.fellows.find(tableKey);
        const auto waiting = pendingKeys.constFind(tableKey);
        const bool added = fellow == state.fellows.end() && waiting == pendingKeys.constEnd();
        const qint64 id = added ? state.nextId
                          : fellow != state.fellows.end() ? fellow->id
                                                          : *waiting;
        quint32 &place = state.places[id];
        if (place != 0) {
            m_streamProblems << message(StrDuplicateKey,
                                        {file.columns.file, QString::number(record.line),
                                         shown(keyOf(kind, row.values)),
                                         m_streamed.at(place >> 24).columns.file,
                                         QString::number(place & 0xFFFFFF)});
            continue;
        }
        place = packedPlace(file.number, record.line);
        const auto differs = [&] {
            for (qsizetype c = 0; c < kind.columns.size(); ++c)
                if (row.given.at(c) && !kind.columns.at(c).column.isEmpty() &&
                    !sameValue(table.at(c), fellow->values.at(c)))
                    return true;
            return false;
        };
        if (!added && !differs()) {
            ++state.counted.unchanged;
            continue;
        }
        // The statement for the columns this row gives, made once per set of columns.
        quint64 written = added ? quint64(1) << 63 : 0;
        QVariantList values;
        for (qsizetype c = 0; c < kind.columns.size(); ++c) {
            const DataColumn &column = kind.columns.at(c);
            if (!column.column.isEmpty() &&
                (row.given.at(c) || (added && (column.key || !column.inFiles())))) {
                written |= quint64(1) << c;
                values << table.at(c);
            }
        }
        values << id;
        if (added) {
            // Added rows go in batches: one statement a row costs more than reading the row.
            Pending &batch = pending[written];
            batch.values.append(std::move(values));
            if (++batch.rows == BatchRows)
                flush(written, batch);
            pendingKeys.insert(tableKey, id); // met again, it is a duplicate
            ++state.nextId;
            if (pendingKeys.size() > 4 * BatchRows) // rows of many sets of columns
                for (auto other = pending.begin(); other != pending.end(); ++other)
                    flush(other.key(), *other);
        } else {
            m_db->write(statement(written, 1), values, Source);
        }
        ++(added ? state.counted.added : state.counted.changed);
        if (state.counted.firstRows.size() < 3)
            state.counted.firstRows << QStringLiteral("%1 %2:%3 %4")
                                           .arg(QChar(added ? u'+' : u'~'))
                                           .arg(file.columns.file)
                                           .arg(record.line)
                                           .arg(shown(keyOf(kind, row.values)));
    }
    for (auto batch = pending.begin(); batch != pending.end(); ++batch)
        flush(batch.key(), *batch);
    return onward(file.device->pos() - read);
}

// Removes the stored rows of a streamed kind that no file row named, unless a row that stays
// names them. Kinds are pruned from the last: the rows that name others go first.
bool DataImport::pruneStreamed(const DataKind &kind, Streamed &state,
                               const std::function<bool(qint64)> &onward)
{
    if (const auto rows = m_kinds.constFind(kind.name);
        !m_prune || rows == m_kinds.constEnd() || !rows->read)
        return true;
    std::vector<qint64> unnamed;
    {
        QSqlQuery &ids = m_db->exec(
            QStringLiteral("SELECT %1 FROM %2").arg(kind.idColumn, kind.table), {}, Source);
        while (ids.next())
            if (const qint64 id = ids.value(0).toLongLong();
                id < state.firstNewId && state.places[id] == 0)
                unnamed.push_back(id);
    }
    for (const qint64 id : unnamed) {
        bool named = false;
        for (const DataKind &other : DataKinds())
            for (const DataColumn &column : other.columns) {
                if (column.refersTo != kind.name || column.column.isEmpty())
                    continue;
                QSqlQuery &count = m_db->exec(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?")
                                                  .arg(other.table, column.column),
                                              {id}, Source);
                if (const qint64 rows = count.next() ? count.value(0).toLongLong() : 0; rows > 0) {
                    m_streamProblems << message(StrStillNamed,
                                                {kind.shownName(), shown(codeOf(kind, id)),
                                                 QString::number(rows), other.shownName()});
                    named = true;
                }
            }
        if (named)
            continue;
        if (state.counted.firstRows.size() < 6)
            state.counted.firstRows << QStringLiteral("- %1").arg(shown(codeOf(kind, id)));
        m_db->write(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(kind.table, kind.idColumn),
                    {id}, Source);
        ++state.counted.removed;
        if (!onward(0))
            return false;
    }
    return true;
}

// Writes the whole import in one transaction, committed only by apply() and only when no row
// was refused (or refused rows are skipped): the plan is what was written and rolled back.
bool DataImport::workOut(const DataProgress &progress, bool commit)
{
    if (m_applied || (m_planned && !commit))
        return true;
    forgetWorkedOut();
    check();
    // Rows held count one each, streamed files by their bytes.
    qint64 total = 0, done = 0, nextTold = 0;
    for (const DataKind &kind : DataKinds())
        if (const auto rows = m_kinds.constFind(kind.name); rows != m_kinds.constEnd())
            total += rows->rows.size() + rows->removed.size();
    for (const StreamedFile &file : m_streamed)
        total += file.device->size();
    const auto onward = [&](qint64 step) {
        done += step;
        if (!progress || done < nextTold)
            return true;
        nextTold = done + std::max<qint64>(1, total / 200); // told at most 200 times
        return progress(done, total);
    };
    if (progress && !progress(0, total))
        return false;
    Database::Transaction writing(*m_db, Database::Transaction::Write, Source);
    // Streamed rows are written once and not read again: a few MB of SQLite's page cache
    // keep an import's memory the same for millions of rows as for thousands.
    QVariant cacheSize;
    if (m_db->dialect() == SqlDialect::SQLite) {
        QSqlQuery &size = m_db->exec(QStringLiteral("PRAGMA cache_size"), {}, Source);
        cacheSize = size.next() ? size.value(0) : QVariant();
        m_db->execControl(QStringLiteral("PRAGMA cache_size = -4096"), Source);
    }
    const auto restoreCache = qScopeGuard([&] {
        try {
            if (cacheSize.isValid())
                m_db->execControl(QStringLiteral("PRAGMA cache_size = %1").arg(cacheSize.toLongLong()),
                                  Source);
        } catch (const ZrError &) {
            // The cache is only a matter of speed.
        }
    });
    const auto cancelled = [this] {
        forgetWorkedOut();
        return false;
    };
    for (const DataKind &kind : DataKinds())
        if (!isStreamed(kind) && !writeKept(kind, onward))
            return cancelled();
    std::vector<std::pair<const DataKind *, Streamed>> streamed;
    for (const DataKind &kind : DataKinds()) {
        if (const auto rows = m_kinds.constFind(kind.name);
            !isStreamed(kind) || rows == m_kinds.constEnd() || !rows->read)
            continue;
        streamed.emplace_back(&kind, Streamed());
        Streamed &state = streamed.back().second;
        state.counted.kind = kind.shownName();
        state.nextId = state.firstNewId = nextIdOf(*m_db, kind);
        m_firstNewId.insert(kind.name, state.firstNewId);
        for (StreamedFile &file : m_streamed)
            if (file.kind == &kind && !stream(file, state, onward))
                return cancelled();
    }
    for (auto kind = streamed.rbegin(); kind != streamed.rend(); ++kind) {
        if (!pruneStreamed(*kind->first, kind->second, onward))
            return cancelled();
        m_streamedChanges.insert(kind->first->name, kind->second.counted);
    }
    // Rows that name others go first.
    for (auto kind = DataKinds().crbegin(); kind != DataKinds().crend(); ++kind)
        for (const QString &key : std::as_const(m_kinds[kind->name].removed)) {
            remove(*kind, key);
            if (!onward(1))
                return cancelled();
        }
    m_planned = true;
    if (commit) {
        if (const QStringList refused = problems(); !refused.isEmpty() && !m_skipBad)
            throw ZrError(ErrDataFileRefused, Source, refused.join(u'\n'));
        writing.commit();
        m_applied = true;
    }
    if (progress)
        progress(total, total);
    return true;
}

void DataImport::forgetWorkedOut()
{
    m_planned = false;
    m_idCache.clear(); // it knew the ids of rows rolled back
    m_firstNewId.clear();
    m_streamedChanges.clear();
    m_streamProblems.clear();
}

bool DataImport::apply(const DataProgress &progress)
{
    return workOut(progress, true);
}

} // namespace zr::server
