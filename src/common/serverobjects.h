#pragma once

#include "common/studentrecordrows.h"
#include "zrreq_export.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

namespace zr {

// The recordset sits a floor above; callers of these interfaces include it.
class Recordset;

/// The error a server throws for a save that started from an older version
/// of what it changes: someone saved it since.
constexpr qint32 ErrStoredSetChanged = 31018;

/// Base of the host's server objects. An object is created by class name
/// through CreateServerObject and owned by its caller, who releases it
/// after use. Every call is synchronous; failures throw ZrError.
class ZRREQ_EXPORT ServerObject
{
public:
    virtual ~ServerObject();
    /// The class name the object was created by ("cDepartment" ...).
    virtual QString className() const = 0;
};

/// Code tables of the department.
class ZRREQ_EXPORT cDepartment : public ServerObject
{
public:
    static QString staticClassName() { return QStringLiteral("cDepartment"); }
    QString className() const override { return staticClassName(); }

    /// The rows of look-up table `tableName` that match `filter` (a condition
    /// on the table's own columns, empty for all), in key order.
    virtual Recordset getTextList(const QString &tableName, const QString &filter) = 0;
};

/// Requirement rows and their descriptions.
class ZRREQ_EXPORT cContraints : public ServerObject
{
public:
    static QString staticClassName() { return QStringLiteral("cContraints"); }
    QString className() const override { return staticClassName(); }

    /// The stored requirements of one set (object kind, context, object id,
    /// curriculum id; an empty objID or secobjID does not restrict), each with
    /// every requirement field plus `contype`, `conshortdesc` and `condesc`.
    virtual Recordset LoadConstraintsWithDescription(QVariant &conobject, QVariant &contypeID,
                                                     QVariant &objID, QVariant &secobjID) = 0;
    /// The degree requirements that apply to a student, with descriptions:
    /// the individual regulation when the student has one (`individual` is
    /// set true), otherwise the programme's for the student's curriculum.
    /// `omitted` is not used; `mode` 1 returns every requirement field.
    /// `version`, when given, receives the version of the student's own
    /// degree set, read with the rows (0 when it was never saved).
    virtual Recordset LoadStudPtyxConstraints(const QString &sessionID, qint32 studentId, bool &individual,
                                              const QVariant &omitted = QVariant(), qint16 mode = 1,
                                              qint64 *version = nullptr) = 0;
    /// Deletes the student's individual regulation; when `reload` is true
    /// returns the requirements that apply afterwards (the programme's).
    /// With `version` (at least 0) the regulation must still be at that
    /// version, or nothing is deleted and ZrError 31018 says who saved it
    /// since; `version` then receives the version the removal made.
    virtual Recordset DeleteStudPtyxConstraints(const QString &sessionID, qint32 studentId, bool reload,
                                                qint64 *version = nullptr) = 0;

    // Host side: loading and saving whole requirement recordsets.

    /// The hierarchical requirement recordset of one object: one parent row
    /// (`conobject`, `objID`, `secobjID` and the object's keys `prID`,
    /// `progrspoud_ID`, `depID`, `courseID`, `department_ID`, `student_ID`,
    /// `title`) whose chapter field `QEMObjectConstraint` holds every
    /// requirement row of the object in every context.
    /// Kinds: 1, 11 programme (objectId = prID), 3 course group of a
    /// programme (prID, secondary = dgID), 4 course of a programme (prID,
    /// secondary = courseID), 8 student (student_ID), 13 department (depID),
    /// 14 course of a department (courseID).
    virtual Recordset LoadObjectConstraints(qint32 conobject, const QVariant &objectId,
                                            const QVariant &secondaryId = QVariant()) = 0;
    /// Saves the pending changes of a requirement recordset (hierarchical or
    /// the child rows alone) in one transaction: new rows get new positive
    /// ids, "[%-n]" tokens in coneval become the new ids, modified rows are
    /// updated and deleted rows deleted. On success the recordset holds the
    /// saved rows with no pending change; on failure nothing is stored, the
    /// recordset is left as it was and ZrError is thrown.
    virtual void SaveConstraints(Recordset &constraints) = 0;
};

/// Courses of the departments.
class ZRREQ_EXPORT cCourses : public ServerObject
{
public:
    static QString staticClassName() { return QStringLiteral("cCourses"); }
    QString className() const override { return staticClassName(); }

    /// Courses (QEMCourses) matching `filter`, ordered by `orderBy` (column
    /// names, optionally ASC/DESC). `mode` 1 gives every column, 0 only
    /// courseID, coursecode and title.
    virtual Recordset LoadCourses(QString &filter, const QString &orderBy, qint16 mode) = 0;
};

/// Programmes of studies.
class ZRREQ_EXPORT cDepPrograms : public ServerObject
{
public:
    static QString staticClassName() { return QStringLiteral("cDepPrograms"); }
    QString className() const override { return staticClassName(); }

    /// Courses of programme `programId` (QEMDepProgramCourses; 0 for every
    /// programme) matching `filter`, ordered by `orderBy`. `mode` as LoadCourses.
    virtual Recordset GetRSProgramCourses(qint32 programId, qint16 mode, const QString &orderBy,
                                          const QString &filter) = 0;
};

/// Students, their exceptions and their individual regulations.
class ZRREQ_EXPORT cStudent : public ServerObject
{
public:
    static QString staticClassName() { return QStringLiteral("cStudent"); }
    QString className() const override { return staticClassName(); }

    /// Students excepted from the requirements of an object (a null objectId
    /// matches exceptions stored without one), with the v_students columns.
    /// `version`, when given, receives the list's version, read with it.
    virtual Recordset LoadExcludedStudents(const QVariant &objectId, qint32 objectKind, qint32 context,
                                           qint32 extraKey, qint64 *version = nullptr) = 0;
    /// Adds (`mode` 0) or removes (`mode` 1) the students of `studentIds`
    /// ("12,45,101") to or from the exceptions of an object; students already
    /// in the wanted state are left alone. Returns the number of rows changed.
    /// With `version` (at least 0) the list must still be at that version, or
    /// nothing changes and ZrError 31018 says who changed it since; `version`
    /// then receives the list's version after the change.
    virtual QVariant SaveExcludedStudent(const QString &sessionID, const QString &studentIds,
                                         const QVariant &objectId, qint32 objectKind, qint32 context,
                                         qint32 extraKey, qint32 mode, qint64 *version = nullptr) = 0;
    /// Students (v_students) matching `filter`, by last and first name.
    virtual Recordset LoadStudents(const QString &filter) = 0;
    /// The student's individual requirement set for editing: the
    /// hierarchical recordset of LoadObjectConstraints for kind 8, whose
    /// parent row also carries `department_ID` and `progrspoud_ID`.
    virtual Recordset LoadStudConstraints(const QString &sessionID, qint32 studentId) = 0;
    /// Saves an edited individual set (as SaveConstraints) and marks the
    /// student as having an individual regulation; `editSet` is replaced by
    /// the saved set.
    virtual QVariant SaveStudConstraints(const QString &sessionID, Recordset &editSet) = 0;

    /// The academic record of one student, read for the requirement set
    /// `scope`. Throws ZrError when there is no such student.
    virtual StudentRecordRows LoadStudentRecord(qint32 studentId, const RecordScope &scope) = 0;
    /// Called with each record of a walk; returning false ends the walk.
    /// The record is only valid during the call.
    using StudentRecordVisitor = std::function<bool(const StudentRecordRows &record)>;
    /// Gives the next range of students a walk reads; none ends the walk.
    using StudentRangeSource = std::function<std::optional<StudentIdRange>()>;
    /// Reads the records of every student of programme `programmeId` (and of
    /// curriculum `curriculumId` when it is not 0) in student_ID order, one
    /// student at a time, and hands each to `visit`. Never holds more than a
    /// bounded batch of rows, whatever the number of students. Returns the
    /// number of records handed over. With `ranges`, only the students of
    /// each range it gives are read, range after range, until it gives none.
    virtual qint64 WalkStudentRecords(qint32 programmeId, qint32 curriculumId, const RecordScope &scope,
                                      const StudentRecordVisitor &visit, const StudentRangeSource &ranges = {}) = 0;
};

} // namespace zr
