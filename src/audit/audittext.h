#pragma once

#include "common/langstrings.h"

#include <QStringList>

namespace zr::audit {

// String ids of the audit's texts (data/strings.tsv).
enum AuditString : qint32 {
    StrMeasured = 63200,        // "%1 %2, needed %3"
    StrCredits = 63201,
    StrCourses = 63202,
    StrHours = 63203,
    StrEcts = 63204,
    StrProjects = 63205,
    StrPracticums = 63206,
    StrSubjects = 63207,        // "%1 %2 from %3 of %4 subjects, needed %5 from %6"
    StrShort = 63208,           // "; none from: %1"
    StrListed = 63209,          // "passed %1 of the %2 listed courses with grade %3, needed %4"
    StrListedNone = 63210,      // "passed %1 of the %2 listed courses, needed none"
    StrAll = 63211,
    StrMissing = 63212,         // "; missing: %1"
    StrAboveLimit = 63213,      // "semester of study %1, checked up to semester %2"
    StrBelowLimit = 63214,      // "semester of study %1, checked from semester %2"
    StrNoSubstitutions = 63215,
    StrTextbooks = 63216,
    StrAverage = 63217,         // "average %1 over %2 courses, needed ≥ %3"
    StrOtherTypes = 63218,
    StrNoGradedCourse = 63219,
    StrEnrolmentIgnored = 63220,
    StrEnrolledBefore = 63221,
    StrNotEnrolledBefore = 63222,
    StrEnrolledIn = 63223,
    StrNotEnrolledIn = 63224,
    StrCategoryOneOf = 63225,
    StrCategoryNoneOf = 63226,
    StrCategorySame = 63227,
    StrCategoryOther = 63228,
    StrNeverEnrolled = 63229,
    StrNoCategory = 63230,
    StrNoValue = 63231,         // "%1: no value"
    StrBetween = 63232,         // "from %1 to %2"
    StrExcepted = 63233,
    StrCategoryNone = 63234,
    StrNoCurrentPeriod = 63235,
    StrNotNeeded = 63236,       // "; not needed: the other branch is met"
    StrCountedHere = 63237,     // "; counted here and nowhere else: %1"
    StrClaimsBestEffort = 63238,
    // Errors of a set that can not be checked.
    StrBadExpression = 63240,
    StrUnknownToken = 63241,
    StrNoValueToCheck = 63242,
    StrUnknownType = 63243,
    StrEmptySet = 63244,
    StrNoValueToCheckNamed = 63245,
};

// Error numbers of a set the audit refuses.
enum AuditError : qint32 {
    ErrBadExpression = 10350,
    ErrUnknownToken = 10351,
    ErrNoValueToCheck = 10352,
    ErrUnknownType = 10353,
    ErrEmptySet = 10354,
};

/// The localised text `id` with `args` in %1, %2 ...
inline QString AuditText(qint32 id, const QStringList &args = {})
{
    return args.isEmpty() ? GetLangString(id) : ReplaceParams(GetLangString(id), args);
}

} // namespace zr::audit
