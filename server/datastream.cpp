// The kinds an import streams from their files (students, courses, results ...): each row is
// checked, matched with its stored row and written as it is read, and nothing of it is held.
#include "dataimport.h"
#include "datarows.h"

#include <QSqlQuery>

#include <climits>

namespace zr::server {

using namespace datarows;

// The id of the stored row of a streamed kind that `code` names, read from the database (rows
// this import wrote included) and remembered a while; invalid when there is none.
QVariant DataImport::streamedId(const DataKind &kind, const QString &code)
{
    if (const auto found = m_idCache[kind.name].constFind(code);
        found != m_idCache[kind.name].constEnd())
        return *found;
    const auto remember = [&](const QVariant &id) {
        rememberId(kind, code, id);
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
        where << column.column +
                     (value.isNull() ? QStringLiteral(" IS NULL") : QStringLiteral(" = ?"));
        if (!value.isNull())
            bound << value;
    }
    QSqlQuery &query =
        m_db->exec(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                       .arg(kind.idColumn, kind.table, where.join(QStringLiteral(" AND "))),
                   bound, Source);
    return remember(query.next() ? query.value(0) : QVariant());
}

// A cache, not a copy of the table: on SQLite a look-up costs little and memory stays flat; on
// PostgreSQL each is a round trip, and the ids of a whole import's students are worth keeping.
void DataImport::rememberId(const DataKind &kind, const QString &code, const QVariant &id)
{
    QHash<QString, QVariant> &known = m_idCache[kind.name];
    if (known.size() > 8192 && m_db->dialect() == SqlDialect::SQLite)
        known.clear();
    known.insert(code, id);
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
    QSqlQuery &query =
        m_db->exec(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                       .arg(column.column, referred.table, referred.idColumn),
                   {streamedId(referred, referredKey(kind, reference, values))}, Source);
    return query.next() ? query.value(0) : QVariant();
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
        (owner < 0 ? QString()
                   : QStringLiteral(" WHERE %1 = ?").arg(kind.columns.at(owner).column));
    // A row without an owner is looked up by its key; a statement per set of empty key columns.
    QHash<quint64, QString> lookups;
    const auto byKey = [&](quint64 nulls) -> const QString & {
        QString &sql = lookups[nulls];
        if (sql.isEmpty()) {
            QStringList where;
            for (qsizetype c = 0; c < kind.columns.size(); ++c)
                if (kind.columns.at(c).key && !kind.columns.at(c).column.isEmpty())
                    where << kind.columns.at(c).column + (nulls & (quint64(1) << c)
                                                              ? QStringLiteral(" IS NULL")
                                                              : QStringLiteral(" = ?"));
            sql = fellows + QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
        }
        return sql;
    };

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
                        .arg(kind.table,
                             columns.mid(0, columns.size() - 1).join(QStringLiteral(" = ?, ")),
                             kind.idColumn);
        return sql;
    };
    struct Pending
    {
        QVariantList values;
        int rows = 0;
    };
    // PostgreSQL takes added rows through COPY, many at a time; SQLite 64 to a statement.
    const bool copying = m_db->dialect() == SqlDialect::PostgreSQL;
    const int BatchRows = copying ? 2048 : 64;
    QHash<quint64, Pending> pending; // added rows not yet written, by their columns
    QHash<QString, qint64> pendingKeys;
    // A whole batch in one statement; the rest of a file's rows one by one.
    const auto flush = [&](quint64 written, Pending &batch) {
        if (copying && batch.rows > 0) {
            QStringList columns;
            for (qsizetype c = 0; c < kind.columns.size(); ++c)
                if (written & (quint64(1) << c))
                    columns << kind.columns.at(c).column;
            m_db->copyRows(kind.table, columns << kind.idColumn, batch.values, Source);
        } else if (batch.rows == BatchRows) {
            m_db->write(statement(written, BatchRows), batch.values, Source);
        } else {
            const qsizetype width = batch.values.size() / std::max(batch.rows, 1);
            for (int r = 0; r < batch.rows; ++r)
                m_db->write(statement(written, 1), batch.values.mid(r * width, width), Source);
        }
        batch = Pending();
        if (std::all_of(pending.cbegin(), pending.cend(),
                        [](const Pending &p) { return p.rows == 0; }))
            pendingKeys.clear();
    };
    Row row;
    QVariantList table;
    QList<Memo> memo(kind.columns.size()); // per column, what the row before named
    while (records.next(record)) {
        if (!onward(file.device->pos() - read))
            return false;
        read = file.device->pos();
        if (!readRecord(kind, file.columns, record, row, m_streamProblems) ||
            !referencesKnown(kind, row, m_streamProblems, &table, &memo))
            continue;
        const QString tableKey = tableKeyOf(kind, table);
        // The stored rows it may be: its owner's, or the one row of its key.
        QVariantList match;
        quint64 nulls = 0; // the key columns left empty, which the statement asks IS NULL
        if (owner >= 0) {
            match << table.at(owner);
        } else {
            for (qsizetype c = 0; c < kind.columns.size(); ++c)
                if (kind.columns.at(c).key && !kind.columns.at(c).column.isEmpty()) {
                    if (table.at(c).isNull())
                        nulls |= quint64(1) << c;
                    else
                        match << table.at(c);
                }
        }
        const QString &lookup = owner >= 0 ? fellows : byKey(nulls);
        if (owner < 0 || !state.ownerRead || match.constFirst() != state.owner) {
            state.fellows.clear();
            state.owner = match.value(0);
            state.ownerRead = true;
            // An owner this import added, met for the first time, has no rows stored yet.
            const qint64 ownerId = state.owner.toLongLong();
            const bool fresh =
                owner >= 0 && ownerId > state.lastFreshOwner &&
                ownerId >= m_firstNewId.value(kind.columns.at(owner).refersTo, LLONG_MAX);
            if (fresh)
                state.lastFreshOwner = ownerId;
            QSqlQuery *query = fresh ? nullptr : &m_db->exec(lookup, match, Source);
            while (query && query->next()) {
                QVariantList values = tableValuesOf(kind, *query);
                const QString fellowKey = tableKeyOf(kind, values);
                state.fellows.insert(
                    fellowKey,
                    {std::move(values), query->value(int(stored.size() - 1)).toLongLong()});
            }
        }
        const auto fellow = state.fellows.find(tableKey);
        const auto waiting = pendingKeys.constFind(tableKey);
        const bool added = fellow == state.fellows.end() && waiting == pendingKeys.constEnd();
        const qint64 id = added                           ? state.nextId
                          : fellow != state.fellows.end() ? fellow->id
                                                          : *waiting;
        quint32 &place = state.places[id];
        if (place != 0) {
            m_streamProblems << message(
                StrDuplicateKey,
                {file.columns.file, QString::number(record.line), shown(keyOf(kind, row.values)),
                 m_streamed.at(place >> 24).columns.file, QString::number(place & 0xFFFFFF)});
            continue;
        }
        place = packedPlace(file.number, record.line);
        if (!added && !differs(kind, row, table, fellow->values)) {
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
            if (isNamed(kind))                // for the rows that will name it
                rememberId(kind, keyOf(kind, row.values), id);
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
                    m_streamProblems
                        << message(StrStillNamed, {kind.shownName(), shown(codeOf(kind, id)),
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

} // namespace zr::server
