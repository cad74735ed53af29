#pragma once

#include "qemobject.h"
#include "common/serverobjects.h"

namespace zr::server {

/// cStudent over the reference database.
class StudentObject : public cStudent, private QemObject
{
public:
    explicit StudentObject(std::shared_ptr<Database> db) : QemObject(std::move(db)) {}
    Recordset LoadExcludedStudents(const QVariant &objectId, qint32 objectKind, qint32 context, qint32 extraKey,
                                   qint64 *version = nullptr) override;
    QVariant SaveExcludedStudent(const QString &sessionID, const QString &studentIds, const QVariant &objectId,
                                 qint32 objectKind, qint32 context, qint32 extraKey, qint32 mode,
                                 qint64 *version = nullptr) override;
    Recordset LoadStudents(const QString &filter) override;
    Recordset LoadStudConstraints(const QString &sessionID, qint32 studentId) override;
    QVariant SaveStudConstraints(const QString &sessionID, Recordset &editSet) override;
    StudentRecordRows LoadStudentRecord(qint32 studentId, const RecordScope &scope) override;
    qint64 WalkStudentRecords(qint32 programmeId, qint32 curriculumId, const RecordScope &scope,
                              const StudentRecordVisitor &visit, const StudentRangeSource &ranges = {}) override;
};

} // namespace zr::server
