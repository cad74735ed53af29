#include "passedcourses.h"

namespace zr::audit {

namespace {

bool isPassing(const CourseResult &result)
{
    return result.exemption || (result.grade && *result.grade >= PassingGrade);
}

// True when `candidate` should decide the course instead of `current`: a
// higher grade, or the same grade earlier.
bool decidesBefore(const CourseResult &candidate, const CourseResult &current)
{
    const double a = candidate.grade.value_or(-1);
    const double b = current.grade.value_or(-1);
    if (a != b)
        return a > b;
    if (candidate.year != current.year)
        return candidate.year < current.year;
    return candidate.examPeriod.value_or(0) < current.examPeriod.value_or(0);
}

} // namespace

const PassedCourse *StudentDigest::passedCourse(qint32 courseId) const
{
    const auto it = passedIndex.constFind(courseId);
    return it == passedIndex.constEnd() ? nullptr : &passed.at(*it);
}

StudentDigest DigestRecord(const StudentRecord &record, bool explain)
{
    StudentDigest digest;
    digest.record = &record;
    digest.explain = explain;
    QList<const CourseResult *> deciding;
    for (const CourseResult &result : record.results) {
        if (!isPassing(result))
            continue;
        const auto it = digest.passedIndex.constFind(result.courseId);
        if (it == digest.passedIndex.constEnd()) {
            digest.passedIndex.insert(result.courseId, int(deciding.size()));
            deciding << &result;
        } else if (decidesBefore(result, *deciding.at(*it))) {
            deciding[*it] = &result;
        }
    }
    digest.passed.reserve(deciding.size());
    for (const CourseResult *result : std::as_const(deciding)) {
        PassedCourse course;
        course.courseId = result->courseId;
        course.grade = result->grade;
        course.exemption = result->exemption;
        course.year = result->year;
        course.examPeriod = result->examPeriod;
        course.teachingPeriod = result->teachingPeriod;
        course.course = &result->course;
        digest.passed << course;
    }
    const QVariant semester = record.student.value(QStringLiteral("exam_ID"));
    bool ok = false;
    const double value = semester.toDouble(&ok);
    if (!semester.isNull() && ok)
        digest.semester = value;
    return digest;
}

} // namespace zr::audit
