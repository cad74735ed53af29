#pragma once

#include "qemobject.h"
#include "common/serverobjects.h"

namespace zr::server {

/// cDepartment over the reference database.
class DepartmentObject : public cDepartment, private QemObject
{
public:
    explicit DepartmentObject(std::shared_ptr<Database> db) : QemObject(std::move(db)) {}
    Recordset getTextList(const QString &tableName, const QString &filter) override;
};

} // namespace zr::server
