#include "qemserver.h"

#include "constraintsobject.h"
#include "coursesobject.h"
#include "database.h"
#include "departmentobject.h"
#include "largevolume.h"
#include "programsobject.h"
#include "serverinfo.h"
#include "studentobject.h"
#include "common/createserverobject.h"
#include "common/zrerror.h"

namespace zr::server {

namespace {

class QemBackend : public ServerBackend
{
public:
    QString libraryName() const override { return server::libraryName(); }

    std::unique_ptr<ServerObject> create(const QString &className, const QString &serverName) override
    {
        const QString name = className.toLower();
        const bool known = name == QLatin1String("cdepartment") || name == QLatin1String("ccontraints")
            || name == QLatin1String("ccourses") || name == QLatin1String("cdepprograms")
            || name == QLatin1String("cstudent");
        if (!known)
            throw ZrError(429, libraryName() + QLatin1Char('.') + className, QString());
        std::shared_ptr<Database> db = Database::open(serverName);
        if (name == QLatin1String("cdepartment"))
            return std::make_unique<DepartmentObject>(db);
        if (name == QLatin1String("ccontraints"))
            return std::make_unique<ConstraintsObject>(db);
        if (name == QLatin1String("ccourses"))
            return std::make_unique<CoursesObject>(db);
        if (name == QLatin1String("cdepprograms"))
            return std::make_unique<ProgramsObject>(db);
        return std::make_unique<StudentObject>(db);
    }
};

} // namespace

void RegisterServer()
{
    RegisterServerBackend(std::make_shared<QemBackend>());
}

void InitDatabase(const QString &serverName, int largeStudents)
{
    std::shared_ptr<Database> db = Database::open(serverName, Database::Opening::Initialize);
    db->initialize(true);
    if (largeStudents > 0)
        GenerateLargeVolume(*db, LargeVolume::forStudents(largeStudents));
}

} // namespace zr::server
