#pragma once

#include "qemobject.h"
#include "common/serverobjects.h"

namespace zr::server {

/// cDepPrograms over the reference database.
class ProgramsObject : public cDepPrograms, private QemObject
{
public:
    explicit ProgramsObject(std::shared_ptr<Database> db) : QemObject(std::move(db)) {}
    Recordset GetRSProgramCourses(qint32 programId, qint16 mode, const QString &orderBy,
                                  const QString &filter) override;
};

} // namespace zr::server
