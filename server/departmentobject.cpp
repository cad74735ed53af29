#include "departmentobject.h"

#include "filterparser.h"

namespace zr::server {

Recordset DepartmentObject::getTextList(const QString &tableName, const QString &filter)
{
    const QString source = QStringLiteral("cDepartment.getTextList");
    const SchemaTable &table = m_db->knownTable(tableName, source);
    const BoundFilter where = parseFilter(filter, table, m_db->dialect(), source);
    return m_db->select(table, {}, where.sql, where.values, table.keyColumn, source);
}

} // namespace zr::server
