#include "whatif.h"

#include <QHash>

namespace zr {

namespace {

// What a course is of itself, whichever programme lists it.
CourseAttributes ownAttributes(const CourseAttributes &listed)
{
    CourseAttributes own;
    own.mode = listed.mode;
    own.sector = listed.sector;
    own.subject = listed.subject;
    own.credits = listed.credits;
    own.hours = listed.hours;
    own.ects = listed.ects;
    return own;
}

} // namespace

StudentRecord RecordInProgramme(const StudentRecord &record, const QList<CatalogCourse> &catalog,
                                QList<qint32> *outside)
{
    QHash<qint32, const CatalogCourse *> listed;
    for (const CatalogCourse &course : catalog)
        listed.insert(course.courseId, &course);
    StudentRecord counted = record;
    QList<qint32> notListed;
    const auto note = [&notListed](qint32 courseId) {
        if (!notListed.contains(courseId))
            notListed << courseId;
    };
    for (CourseResult &result : counted.results) {
        if (const CatalogCourse *course = listed.value(result.courseId)) {
            result.course = course->attributes;
        } else {
            result.course = ownAttributes(result.course);
            note(result.courseId);
        }
    }
    for (const CourseEnrolment &enrolment : std::as_const(counted.enrolments)) {
        if (!listed.contains(enrolment.courseId))
            note(enrolment.courseId);
    }
    if (outside)
        *outside = notListed;
    return counted;
}

} // namespace zr
