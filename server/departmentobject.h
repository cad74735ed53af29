#pragma once

#include "qemobject.h"
#include "common/serverobjects.h"

namespace zr::server {

/// The rows of the code table `tableName` that `filter` (the server's filter
/// language) lets through, ordered by its key: what getTextList answers.
Recordset CodeTable(Database &db, const QString &tableName, const QString &filter, const QString &source);

/// cDepartment over the reference database.
class DepartmentObject : public cDepartment, private QemObject
{
public:
    explicit DepartmentObject(std::shared_ptr<Database> db) : QemObject(std::move(db)) {}
    Recordset getTextList(const QString &tableName, const QString &filter) override;
};

} // namespace zr::server
