#pragma once

#include "zrreq_export.h"

#include <QString>

#include <functional>

namespace zr {

class RequirementSet;

/// What the expression check looks at.
struct ExpressionChecks
{
    /// Every requirement of the set must appear in its curriculum's expression (20019).
    bool missing = true;
    /// No requirement deleted since the last save may appear (20020).
    bool deleted = true;
    /// Every curriculum visited since the load, not only the current one.
    bool allCurricula = true;
    /// The expression must read as requirements joined by AND, OR, NOT and parentheses (10100).
    bool wellFormed = true;
};

/// Checks the stored expression of each curriculum in `set`'s expression map
/// against the requirement rows: 10100 quotes where a malformed expression
/// goes wrong, 20019 names the first requirement missing from it (its
/// caption through `captionOf` and its place in the list), 20020 reports the
/// deleted requirements still in it, naming them. Empty expressions pass
/// (they stand for the default one). Failures are logged with source
/// "ValidateExpression" and thrown as ZrError. Returns true.
/// Where ValidateExpression found its problem: the curriculum whose
/// expression it is and, for a missing requirement, that requirement.
struct ExpressionFailure
{
    qint32 curriculum = 0;
    qint32 ocID = 0;
};

ZRREQ_EXPORT bool ValidateExpression(const RequirementSet &set, const ExpressionChecks &checks,
                                     const std::function<QString(qint32 ocID)> &captionOf,
                                     ExpressionFailure *failure = nullptr);

/// Throws 30260 when the current curriculum's expression still holds a
/// requirement token after the tokens of the rows that are not deleted are
/// taken out of it.
ZRREQ_EXPORT void CheckNoUnknownTokens(const RequirementSet &set);

/// Throws 10102 for the first requirement of the context, in any
/// curriculum, whose type is not one of the thirteen.
ZRREQ_EXPORT void CheckKnownTypes(const RequirementSet &set);

/// The scholarship context allows one grade-average requirement (type 80 or
/// 90) at most; throws 20014 otherwise. Other contexts pass.
ZRREQ_EXPORT void CheckScholarshipRule(const RequirementSet &set);

} // namespace zr
