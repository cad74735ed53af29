#pragma once

#include "audit/studentrecord.h"

#include <QHash>
#include <QList>

#include <optional>

namespace zr::audit {

/// A course the student passed, counted once: its best passing grade and the
/// result that gave it (the earliest of equal ones) fixing its year and periods.
struct PassedCourse
{
    qint32 courseId = 0;
    std::optional<double> grade;    ///< none for an exemption without a grade
    bool exemption = false;         ///< the deciding result is an exemption
    qint32 year = 0;
    std::optional<qint32> examPeriod;
    std::optional<qint32> teachingPeriod;
    const CourseAttributes *course = nullptr; ///< points into the record
};

/// What every rule reads from one student's record, worked out once per student.
struct StudentDigest
{
    const StudentRecord *record = nullptr;
    QList<PassedCourse> passed;        ///< in the order of each course's first result
    QHash<qint32, int> passedIndex;    ///< courseID -> index in `passed`
    std::optional<double> semester;    ///< exam_ID, the semester of study
    /// Whether the rules say what they measured and what is missing; without it, verdicts alone.
    bool explain = true;
    /// Where requirements count their courses nowhere else: for each passed course, the
    /// requirement it was given to (-1 none), and the requirement reading the digest. A course
    /// given to another is not the reader's.
    const QList<int> *ownerOfPassed = nullptr;
    int reader = -1;

    const PassedCourse *passedCourse(qint32 courseId) const;
    /// Whether `course` (one of `passed`) was given to a requirement other than the reader.
    bool givenElsewhere(const PassedCourse &course) const
    {
        if (!ownerOfPassed)
            return false;
        const int owner = ownerOfPassed->at(&course - passed.constData());
        return owner >= 0 && owner != reader;
    }
};

/// The digest of `record`, which must outlive it.
StudentDigest DigestRecord(const StudentRecord &record, bool explain = true);

/// The lowest passing grade on the 0 to 10 scale.
constexpr double PassingGrade = 5.0;

} // namespace zr::audit
