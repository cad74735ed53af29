#include "coursesobject.h"

#include "filterparser.h"

namespace zr::server {

Recordset CoursesObject::LoadCourses(QString &filter, const QString &orderBy, qint16 mode)
{
    const QString source = QStringLiteral("cCourses.LoadCourses");
    const SchemaTable &table = m_db->knownTable(QStringLiteral("QEMCourses"), source);
    const BoundFilter where = parseFilter(filter, table, m_db->dialect(), source);
    const QString order = orderBy.trimmed().isEmpty() ? table.keyColumn : checkedOrderBy(orderBy, table, source);
    const QStringList columns = mode == 0 ? QStringList{QStringLiteral("courseID"), QStringLiteral("coursecode"),
                                                       QStringLiteral("title")}
                                          : QStringList();
    return m_db->select(table, columns, where.sql, where.values, order, source);
}

} // namespace zr::server
