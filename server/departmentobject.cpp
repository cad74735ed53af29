#include "departmentobject.h"

#include "filterparser.h"

namespace zr::server {

Recordset CodeTable(Database &db, const QString &tableName, const QString &filter, const QString &source)
{
    const SchemaTable &table = db.knownTable(tableName, source);
    const BoundFilter where = parseFilter(filter, table, db.dialect(), source);
    return db.select(table, {}, where.sql, where.values, table.keyColumn, source);
}

Recordset DepartmentObject::getTextList(const QString &tableName, const QString &filter)
{
    return CodeTable(*m_db, tableName, filter, QStringLiteral("cDepartment.getTextList"));
}

} // namespace zr::server
