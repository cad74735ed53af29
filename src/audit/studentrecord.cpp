#include "studentrecord.h"

#include "common/langstrings.h"
#include "common/zrerror.h"

#include <cmath>

namespace zr {

using namespace RecordColumns;

namespace {

// Ids and years: a NULL where a server has none to give is 0.
qint32 whole(double v)
{
    return RecordRows::isNull(v) ? 0 : qint32(v);
}

std::optional<qint32> optionalInt(double v)
{
    return RecordRows::isNull(v) ? std::nullopt : std::optional<qint32>(qint32(v));
}

std::optional<double> optionalDouble(double v)
{
    return RecordRows::isNull(v) ? std::nullopt : std::optional<double>(v);
}

// Flags are stored -1 (yes) and 0 (no).
bool flag(double v)
{
    return !RecordRows::isNull(v) && v != 0;
}

double cell(const std::optional<qint32> &v)
{
    return v ? double(*v) : RecordRows::null();
}

double cell(const std::optional<double> &v)
{
    return v ? *v : RecordRows::null();
}

double cell(bool v)
{
    return v ? -1 : 0;
}

constexpr qint32 ErrOutOfRange = 10314;
constexpr qint32 StrOutOfRange = 63007;

// A figure of a record: NULL, or a finite number from 0 to `max`; refused naming the field as a student file does.
void checkFigure(const StudentRecordRows &rows, const RecordRows &table, const char *tableName, int row, int column,
                 const char *field, double max)
{
    const double v = table.value(row, column);
    if (RecordRows::isNull(v) || (std::isfinite(v) && v >= 0 && v <= max))
        return;
    const int id = int(rows.studentColumns.indexOf(QStringLiteral("student_ID")));
    throw ZrError(ErrOutOfRange, QStringLiteral("StudentRecord"),
                  ReplaceParams(GetLangString(StrOutOfRange),
                                {id < 0 ? QString() : rows.student.value(id).toString(),
                                 QStringLiteral("%1[%2].%3").arg(QLatin1String(tableName)).arg(row).arg(QLatin1String(field)),
                                 QString::number(v), QString::number(max)}));
}

void checkFigures(const StudentRecordRows &rows)
{
    const struct
    {
        int column;
        const char *field;
        double max;
    } results[] = {{ResultGrade, "grade", 10},
                   {ResultCredits, "credits", StudentRecord::MaxCourseFigure},
                   {ResultHours, "hours", StudentRecord::MaxCourseFigure},
                   {ResultEcts, "ects", StudentRecord::MaxCourseFigure},
                   {ResultCoefficient, "coefficient", StudentRecord::MaxCourseFigure}};
    for (int i = 0; i < rows.results.rowCount(); ++i) {
        for (const auto &f : results)
            checkFigure(rows, rows.results, "results", i, f.column, f.field, f.max);
    }
    for (int i = 0; i < rows.projects.rowCount(); ++i) {
        checkFigure(rows, rows.projects, "projects", i, ProjectCredits, "credits", StudentRecord::MaxCourseFigure);
        checkFigure(rows, rows.projects, "projects", i, ProjectEcts, "ects", StudentRecord::MaxCourseFigure);
    }
}

} // namespace

bool CourseAttributes::operator==(const CourseAttributes &o) const
{
    return courseType == o.courseType && semester == o.semester && group == o.group && mode == o.mode
        && sector == o.sector && subject == o.subject && credits == o.credits && hours == o.hours && ects == o.ects
        && coefficient == o.coefficient && inDegreeGrade == o.inDegreeGrade;
}

bool CourseResult::operator==(const CourseResult &o) const
{
    return courseId == o.courseId && year == o.year && examPeriod == o.examPeriod
        && teachingPeriod == o.teachingPeriod && grade == o.grade && exemption == o.exemption && course == o.course;
}

bool CourseEnrolment::operator==(const CourseEnrolment &o) const
{
    return courseId == o.courseId && year == o.year && teachingPeriod == o.teachingPeriod
        && classCategory == o.classCategory;
}

bool StudentProject::operator==(const StudentProject &o) const
{
    return typeId == o.typeId && completed == o.completed && credits == o.credits && ects == o.ects;
}

bool StudentRecord::operator==(const StudentRecord &o) const
{
    return student == o.student && results == o.results && enrolments == o.enrolments && projects == o.projects
        && practicums == o.practicums && excepted == o.excepted && regulation == o.regulation;
}

qint32 StudentRecord::studentId() const
{
    return student.value(QStringLiteral("student_ID")).toInt();
}

QString StudentRecord::registration() const
{
    return student.value(QStringLiteral("spec_aem")).toString();
}

QString StudentRecord::name() const
{
    return QStringList{student.value(QStringLiteral("lastname")).toString(),
                       student.value(QStringLiteral("firstname")).toString()}
        .join(QLatin1Char(' '))
        .trimmed();
}

StudentRecord StudentRecord::fromRows(const StudentRecordRows &rows)
{
    checkFigures(rows);
    StudentRecord record;
    for (int i = 0; i < rows.studentColumns.size() && i < rows.student.size(); ++i)
        record.student.insert(rows.studentColumns.at(i), rows.student.at(i));
    const RecordRows &r = rows.results;
    record.results.reserve(r.rowCount());
    for (int i = 0; i < r.rowCount(); ++i) {
        CourseResult result;
        result.courseId = whole(r.value(i, ResultCourse));
        result.year = whole(r.value(i, ResultYear));
        result.examPeriod = optionalInt(r.value(i, ResultExamPeriod));
        result.teachingPeriod = optionalInt(r.value(i, ResultTeachingPeriod));
        result.grade = optionalDouble(r.value(i, ResultGrade));
        result.exemption = flag(r.value(i, ResultExemption));
        CourseAttributes &c = result.course;
        c.courseType = optionalInt(r.value(i, ResultCourseType));
        c.semester = optionalInt(r.value(i, ResultSemester));
        c.group = optionalInt(r.value(i, ResultGroup));
        c.mode = optionalInt(r.value(i, ResultMode));
        c.sector = optionalInt(r.value(i, ResultSector));
        c.subject = optionalInt(r.value(i, ResultSubject));
        c.credits = optionalDouble(r.value(i, ResultCredits));
        c.hours = optionalDouble(r.value(i, ResultHours));
        c.ects = optionalDouble(r.value(i, ResultEcts));
        c.coefficient = optionalDouble(r.value(i, ResultCoefficient));
        c.inDegreeGrade = flag(r.value(i, ResultInDegreeGrade));
        record.results.append(result);
    }
    const RecordRows &e = rows.enrolments;
    for (int i = 0; i < e.rowCount(); ++i)
        record.enrolments.append(CourseEnrolment{whole(e.value(i, EnrolmentCourse)), whole(e.value(i, EnrolmentYear)),
                                  optionalInt(e.value(i, EnrolmentTeachingPeriod)),
                                  optionalInt(e.value(i, EnrolmentClassCategory))});
    const RecordRows &p = rows.projects;
    for (int i = 0; i < p.rowCount(); ++i)
        record.projects.append(StudentProject{optionalInt(p.value(i, ProjectType)), flag(p.value(i, ProjectCompleted)),
                                optionalDouble(p.value(i, ProjectCredits)), optionalDouble(p.value(i, ProjectEcts))});
    const RecordRows &t = rows.practicums;
    for (int i = 0; i < t.rowCount(); ++i)
        record.practicums.append(StudentPracticum{flag(t.value(i, PracticumCompleted))});
    record.excepted = rows.excepted;
    record.regulation = rows.regulation;
    return record;
}

StudentRecordRows StudentRecord::toRows() const
{
    StudentRecordRows rows;
    for (auto it = student.constBegin(); it != student.constEnd(); ++it) {
        rows.studentColumns.append(it.key());
        rows.student.append(it.value());
    }
    for (const CourseResult &r : results) {
        const CourseAttributes &c = r.course;
        rows.results.cells += {double(r.courseId), double(r.year), cell(r.examPeriod), cell(r.teachingPeriod),
                               cell(r.grade), cell(r.exemption), cell(c.courseType), cell(c.semester),
                               cell(c.group), cell(c.mode), cell(c.sector), cell(c.subject),
                               cell(c.credits), cell(c.hours), cell(c.ects), cell(c.coefficient),
                               cell(c.inDegreeGrade)};
    }
    for (const CourseEnrolment &e : enrolments)
        rows.enrolments.cells += {double(e.courseId), double(e.year), cell(e.teachingPeriod), cell(e.classCategory)};
    for (const StudentProject &p : projects)
        rows.projects.cells += {cell(p.typeId), cell(p.completed), cell(p.credits), cell(p.ects)};
    for (const StudentPracticum &t : practicums)
        rows.practicums.cells += cell(t.completed);
    rows.excepted = excepted;
    rows.regulation = regulation;
    return rows;
}

} // namespace zr
