// The code tables an import holds (departments, course types ...): read whole, checked
// against each other, written as their codes say.
#include "dataimport.h"
#include "datarows.h"

#include <QSqlQuery>

namespace zr::server {

using namespace datarows;

// A stored row as a file gives it, from `query`'s columns (the kind's table columns in order):
// a reference by the codes of the row it names.
QVariantList DataImport::codesOf(const DataKind &kind, const QSqlQuery &query)
{
    QVariantList values = tableValuesOf(kind, query);
    for (qsizetype c = 0; c < kind.columns.size(); ++c) {
        const DataColumn &column = kind.columns.at(c);
        if (column.refersTo.isEmpty() || FindDataKind(column.refersTo)->idColumn.isEmpty() ||
            values.at(c).isNull())
            continue;
        // The codes of the row the id names: its scope's, then its own.
        const KindRows &referred = m_kinds[column.refersTo];
        const QString id = values.at(c).toString();
        const QStringList codes = referred.keyOfId.value(id).split(KeySeparator);
        for (qsizetype k = 0; k < column.scopeAt.size(); ++k)
            values[column.scopeAt.at(k)] = codes.value(k);
        values[c] = codes.value(column.scopeAt.size());
    }
    return values;
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
        const QVariantList values = codesOf(kind, query);
        const QString key = keyOf(kind, values);
        rows.stored.insert(key, values);
        if (!kind.idColumn.isEmpty()) {
            const QVariant id = query.value(int(columns.size() - 1));
            rows.ids.insert(key, id);
            rows.keyOfId.insert(id.toString(), key);
        }
    }
}

// Whether `values`, the file row `row` gives (as codes, or as the table holds them), differ from
// `stored` in a column the file gives.
bool DataImport::differs(const DataKind &kind, const Row &row, const QVariantList &values,
                         const QVariantList &stored)
{
    for (qsizetype c = 0; c < kind.columns.size(); ++c)
        if (row.given.at(c) && !kind.columns.at(c).column.isEmpty() &&
            !sameValue(values.at(c), stored.at(c)))
            return true;
    return false;
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
                    // A held kind's rows are stored by their code.
                    const QVariant stored = key.section(KeySeparator, -1);
                    QSqlQuery &count =
                        m_db->exec(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?")
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
                m_checkProblems << message(StrStillNamed,
                                           {kind.shownName(), shown(it.key()),
                                            QString::number(it.value()), other.shownName()});
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
        if (row.refused ||
            (stored != rows.stored.constEnd() && !differs(kind, row, row.values, *stored)))
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

} // namespace zr::server
