#pragma once

#include "common/studentrecordrows.h"
#include "zrreq_export.h"

#include <QList>
#include <QVariantMap>

#include <optional>

namespace zr {

/// A course as the student's programme gives it (the programme's course
/// list over the course's own row). Empty optionals are unknown or none.
struct ZRREQ_EXPORT CourseAttributes
{
    std::optional<qint32> courseType;   ///< ctypeID
    std::optional<qint32> semester;     ///< semID
    std::optional<qint32> group;        ///< dgID, the course group of the programme
    std::optional<qint32> mode;         ///< categoryID, the course mode (χαρακτηρισμός)
    std::optional<qint32> sector;       ///< sectorID
    std::optional<qint32> subject;      ///< areaID, the subject (γνωστικό αντικείμενο)
    std::optional<double> credits;
    std::optional<double> hours;
    std::optional<double> ects;
    std::optional<double> coefficient;  ///< weight in the degree grade
    bool inDegreeGrade = false;         ///< counts in the degree grade; false outside the programme's list

    bool operator==(const CourseAttributes &other) const;
    bool operator!=(const CourseAttributes &other) const { return !(*this == other); }
};

/// One examination of a course, or a course recognised without one.
struct ZRREQ_EXPORT CourseResult
{
    qint32 courseId = 0;
    qint32 year = 0;                        ///< academic year by its first calendar year (2023 is 2023-24)
    std::optional<qint32> examPeriod;       ///< epID
    std::optional<qint32> teachingPeriod;   ///< termID
    std::optional<double> grade;            ///< 0 to 10; none for an exemption without a grade
    bool exemption = false;
    CourseAttributes course;

    bool operator==(const CourseResult &other) const;
    bool operator!=(const CourseResult &other) const { return !(*this == other); }
};

/// A course a student enrolled in for a teaching period.
struct ZRREQ_EXPORT CourseEnrolment
{
    qint32 courseId = 0;
    qint32 year = 0;
    std::optional<qint32> teachingPeriod;   ///< termID
    std::optional<qint32> classCategory;    ///< sectcatID, the class group category

    bool operator==(const CourseEnrolment &other) const;
    bool operator!=(const CourseEnrolment &other) const { return !(*this == other); }
};

struct ZRREQ_EXPORT StudentProject
{
    std::optional<qint32> typeId;           ///< a project type of SYS_ERGASIA_TYPE
    bool completed = false;
    std::optional<double> credits;
    std::optional<double> ects;

    bool operator==(const StudentProject &other) const;
    bool operator!=(const StudentProject &other) const { return !(*this == other); }
};

struct ZRREQ_EXPORT StudentPracticum
{
    bool completed = false;

    bool operator==(const StudentPracticum &other) const { return completed == other.completed; }
    bool operator!=(const StudentPracticum &other) const { return !(*this == other); }
};

/// One student's academic record, as requirements are checked against it:
/// the student's own data, every course result, enrolment, project and
/// practicum in the order they were stored, and two flags that decide which
/// requirements apply. A plain value; it is read from a server
/// (cStudent::LoadStudentRecord, WalkStudentRecords) or from a student file.
struct ZRREQ_EXPORT StudentRecord
{
    /// The student's columns of v_students by name; "student_ID" at least.
    QVariantMap student;
    QList<CourseResult> results;
    QList<CourseEnrolment> enrolments;
    QList<StudentProject> projects;
    QList<StudentPracticum> practicums;
    /// Excepted from the requirement set the record was read for.
    bool excepted = false;
    /// Checked against the student's own degree requirements (individual regulation).
    bool regulation = false;

    qint32 studentId() const;
    /// The registration number (spec_aem); "" when the record has none.
    QString registration() const;
    /// "lastname firstname", as far as the record has them.
    QString name() const;

    /// The largest credits, hours, ECTS or weighting coefficient a course or project may carry.
    static constexpr double MaxCourseFigure = 1000;
    /// The record of the rows a server hands over. Throws ZrError 10314 naming
    /// the first figure that is negative, infinite or above its maximum (a
    /// grade above 10, another figure above MaxCourseFigure).
    static StudentRecord fromRows(const StudentRecordRows &rows);
    /// The rows of the record, as a server would hand them over.
    StudentRecordRows toRows() const;

    bool operator==(const StudentRecord &other) const;
    bool operator!=(const StudentRecord &other) const { return !(*this == other); }
};

} // namespace zr
