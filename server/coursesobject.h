#pragma once

#include "qemobject.h"
#include "common/serverobjects.h"

namespace zr::server {

/// cCourses over the reference database.
class CoursesObject : public cCourses, private QemObject
{
public:
    explicit CoursesObject(std::shared_ptr<Database> db) : QemObject(std::move(db)) {}
    Recordset LoadCourses(QString &filter, const QString &orderBy, qint16 mode) override;
};

} // namespace zr::server
