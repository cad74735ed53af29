#include "dataimport.h"
#include "roles.h"
#include "datarows.h"

#include "common/zrerror.h"
#include "servererrors.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <climits>
#include <cmath>

namespace zr::server {

using namespace datarows;

namespace {
constexpr qint32 StrOnlyAdminImports = 62053; // "Only an administrator may import data ..."
} // namespace

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
    const QString named = !kindName.isEmpty()         ? kindName
                          : !records.kind().isEmpty() ? records.kind()
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
        qsizetype at = found - kind->columns.begin();
        if (found == kind->columns.end()) {
            m_problems << message(StrUnknownColumn, {fileName, label(i), cell, kind->shownName()});
        } else if (!columns.labels.at(at).isEmpty()) {
            // Which of two would count is anyone's guess: neither does.
            m_problems << message(StrTwice, {fileName, label(i), cell, columns.labels.at(at)});
            at = kind->columns.size();
        } else {
            columns.labels[at] = label(i);
        }
        columns.place << int(at);
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
                                  {fileName, QString::number(record.line), shown(key), earlier.file,
                                   QString::number(earlier.line)});
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
            else if (column.most > column.least &&
                     (*number < column.least || *number > column.most))
                refuse(StrOutside, {QString::number(column.least), QString::number(column.most)});
            else
                value = described->sqlType == SqlType::Integer ? QVariant(qint64(*number))
                                                               : QVariant(*number);
        } else if (described && described->definedSize > 0 &&
                   text.size() > described->definedSize) {
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
                                 QVariantList *table, QList<Memo> *memo)
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
        if (table && memo && isStreamed(referredKind)) {
            const Memo &last = (*memo)[c];
            bool same = last.id.isValid() && last.codes.size() == column.scopeAt.size() + 1;
            for (qsizetype k = 0; same && k < column.scopeAt.size(); ++k)
                same = last.codes.at(k) == row.values.at(column.scopeAt.at(k));
            if (same && last.codes.constLast() == row.values.at(c)) {
                (*table)[c] = last.id;
                continue;
            }
        }
        const QString code = referredKey(kind, c, row.values);
        if (isStreamed(referredKind)) {
            if (const QVariant id = streamedId(referredKind, code); id.isValid()) {
                if (table)
                    (*table)[c] = id;
                if (memo) {
                    Memo &last = (*memo)[c];
                    last.codes.clear();
                    for (const qsizetype scope : column.scopeAt)
                        last.codes << row.values.at(scope);
                    last.codes << row.values.at(c);
                    last.id = id;
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
            if (!added && !differs(kind, row, row.values, *stored)) {
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
    // Even a plan writes (and rolls back): it is an administrator's, as the database has it.
    Roles::refuseUnlessAdministrator(*m_db, StrOnlyAdminImports, Source);
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
                m_db->execControl(
                    QStringLiteral("PRAGMA cache_size = %1").arg(cacheSize.toLongLong()), Source);
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
    // The last word on cancelling comes before anything is committed.
    if (progress && !progress(total, total))
        return cancelled();
    m_planned = true;
    if (commit) {
        if (const QStringList refused = problems(); !refused.isEmpty() && !m_skipBad)
            throw ZrError(ErrDataFileRefused, Source, refused.join(u'\n'));
        writing.commit();
        m_applied = true;
    }
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
