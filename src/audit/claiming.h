#pragma once

#include "audit/audittrace.h"
#include "audit/passedcourses.h"
#include "audit/preparedrequirement.h"

#include <QList>
#include <QSet>

namespace zr::audit {

/// Search steps before the choice of where each course counts settles for the best found.
constexpr qint64 ClaimStepBound = 200000;

/// Where each passed course counts among the requirements marked to count their courses nowhere else.
struct ClaimAssignment
{
    /// For each requirement in list order, the courses it counts alone, in the order they were
    /// passed; empty for one not marked, or one that can take none of the student's courses.
    QList<QList<qint32>> claimed;
    /// For each of the student's passed courses (in the digest's order), the requirement it was
    /// given to (its place in the list); -1 for one no marked requirement counts.
    QList<int> ownerOfPassed;
    /// Whether the search proved the choice best; false when it stopped at its bound.
    bool exact = true;
    qint64 steps = 0;
};

/// Whether any requirement of `set` is marked to count its courses nowhere else.
bool HasClaims(const PreparedSet &set);

/// Gives each of the student's courses that marked requirements would count to exactly one of
/// them: the choice that makes the set met when any does, else the one that meets the most marked
/// requirements, then the earliest in list order; a course goes to the earliest requirement that
/// serves as well. `fixed` holds the verdicts of the requirements not marked (those of marked ones
/// are ignored). Exact within `bound` search steps; past it, the best choice found by then.
ClaimAssignment AssignClaims(const PreparedSet &set, const StudentDigest &student, const QList<RequirementTrace> &fixed,
                             qint64 bound = ClaimStepBound);

/// Every requirement of `set` checked against `student`, the marked ones each over the courses
/// given to it; `assignment`, when given, receives where each course was counted.
QList<RequirementTrace> EvaluateWithClaims(const PreparedSet &set, const StudentDigest &student,
                                           ClaimAssignment *assignment = nullptr);

} // namespace zr::audit
