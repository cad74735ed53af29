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
};

/// Checks the stored expression of each curriculum in `set`'s expression map
/// against the requirement rows: 20019 names the first requirement missing
/// from it (through `captionOf`), 20020 reports a deleted requirement still in
/// it. Empty expressions pass (they stand for the default one). Failures are
/// logged with source "ValidateExpression" and thrown as ZrError. Returns true.
ZRREQ_EXPORT bool ValidateExpression(const RequirementSet &set, const ExpressionChecks &checks,
                                     const std::function<QString(qint32 ocID)> &captionOf);

/// Throws 30260 when the current curriculum's expression still holds a
/// requirement token after the tokens of the rows that are not deleted are
/// taken out of it.
ZRREQ_EXPORT void CheckNoUnknownTokens(const RequirementSet &set);

/// The scholarship context allows one grade-average requirement (type 80 or
/// 90) at most; throws 20014 otherwise. Other contexts pass.
ZRREQ_EXPORT void CheckScholarshipRule(const RequirementSet &set);

} // namespace zr
