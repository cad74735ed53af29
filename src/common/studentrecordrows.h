#pragma once

#include "zrreq_export.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <cmath>
#include <limits>

namespace zr {

/// Rows of one table of a student's record, as a server hands them over:
/// the values of every row one after the other, `width` values a row, in
/// the order of the table's columns (below). Every value of these tables is
/// a number (ids, years, grades, amounts, flags -1 and 0); NULL is NaN.
struct ZRREQ_EXPORT RecordRows
{
    int width = 0;
    QList<double> cells;

    int rowCount() const { return width > 0 ? int(cells.size() / width) : 0; }
    double value(int row, int column) const { return cells.at(qsizetype(row) * width + column); }
    static double null() { return std::numeric_limits<double>::quiet_NaN(); }
    static bool isNull(double value) { return std::isnan(value); }
};

/// The columns of a student record's tables, as the server delivers them.
namespace RecordColumns {
/// Course results, each with the attributes of its course in the student's programme.
enum Result {
    ResultCourse, ResultYear, ResultExamPeriod, ResultTeachingPeriod, ResultGrade, ResultExemption,
    ResultCourseType, ResultSemester, ResultGroup, ResultMode, ResultSector, ResultSubject,
    ResultCredits, ResultHours, ResultEcts, ResultCoefficient, ResultInDegreeGrade, ResultWidth
};
enum Enrolment { EnrolmentCourse, EnrolmentYear, EnrolmentTeachingPeriod, EnrolmentClassCategory, EnrolmentWidth };
enum Project { ProjectType, ProjectCompleted, ProjectCredits, ProjectEcts, ProjectWidth };
enum Practicum { PracticumCompleted, PracticumWidth };
} // namespace RecordColumns

/// One student's academic record as plain rows, the way cStudent reads it:
/// the student's columns of v_students, course results (with their course's
/// type, semester, group, mode, sector, subject, credits, hours, ECTS,
/// coefficient and whether it counts in the degree grade), course
/// enrolments, projects and practicums, each in the order they were stored.
/// Flags are -1 (yes) and 0 (no) as the database keeps them; years are
/// academic years by their first calendar year; grades are 0 to 10.
struct ZRREQ_EXPORT StudentRecordRows
{
    QStringList studentColumns;   ///< v_students' column names, in the view's order
    QVariantList student;         ///< the student's value of each of them
    RecordRows results{RecordColumns::ResultWidth, {}};
    RecordRows enrolments{RecordColumns::EnrolmentWidth, {}};
    RecordRows projects{RecordColumns::ProjectWidth, {}};
    RecordRows practicums{RecordColumns::PracticumWidth, {}};
    /// The student is excepted from the requirement set the record was read for.
    bool excepted = false;
    /// The student is checked against his own degree requirements (individual regulation).
    bool regulation = false;
};

/// The requirement set a record is read for: a student excepted from its
/// object and context (QEMExcludedStudents) has `excepted` set. A kind of 0
/// reads no exception.
struct ZRREQ_EXPORT RecordScope
{
    qint32 objectKind = 0;
    QVariant objectId;            ///< null matches exceptions stored without an object
    qint32 context = 0;
    qint32 extraKey = 0;
};

/// The students of a walk by id, `first` to `last` inclusive: a slice of a
/// programme that one connection reads while another reads the next.
struct ZRREQ_EXPORT StudentIdRange
{
    qint64 first = std::numeric_limits<qint64>::min();
    qint64 last = std::numeric_limits<qint64>::max();

};

} // namespace zr
