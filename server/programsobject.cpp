#include "programsobject.h"

#include "filterparser.h"

namespace zr::server {

Recordset ProgramsObject::GetRSProgramCourses(qint32 programId, qint16 mode, const QString &orderBy,
                                              const QString &filter)
{
    const QString source = QStringLiteral("cDepPrograms.GetRSProgramCourses");
    const SchemaTable &table = m_db->knownTable(QStringLiteral("QEMDepProgramCourses"), source);
    BoundFilter where = parseFilter(filter, table, m_db->dialect(), source);
    if (programId > 0) {
        where.sql = where.sql.isEmpty() ? QStringLiteral("prID = ?")
                                        : QStringLiteral("prID = ? AND (") + where.sql + QLatin1Char(')');
        where.values.prepend(programId);
    }
    const QString order = orderBy.trimmed().isEmpty() ? table.keyColumn : checkedOrderBy(orderBy, table, source);
    const QStringList columns = mode == 0 ? QStringList{QStringLiteral("courseID"), QStringLiteral("coursecode"),
                                                       QStringLiteral("title")}
                                          : QStringList();
    return m_db->select(table, columns, where.sql, where.values, order, source);
}

} // namespace zr::server
