#pragma once

#include "recordset/recordset.h"
#include "zrreq_export.h"

#include <QString>

#include <functional>

namespace zr {

class RequirementValue;
struct SheetContext;

/// How the messages about one requirement name it: by its caption, or, when
/// another requirement of the list reads the same, by `distinct` (asked only
/// for a failure, since finding the look-alikes walks the list).
struct ZRREQ_EXPORT RequirementNaming
{
    QString caption;
    std::function<QString()> distinct; ///< unset: the caption alone
};

/// Checks requirement `value` against the rules of its type, in their fixed
/// order, reading its parameters as the sheet shows them: a parameter the
/// value lacks reads as empty, teaching periods by their names. The rows
/// are named by their sheet captions. The fields' defined sizes of the
/// requirement recordset `rows` bound the code lists (its cursor is not
/// read). The first failed rule is logged and thrown as a ZrError (the
/// rule's number, "ValidateInput", the formatted message). Nothing is changed.
/// Type 10's values go through ValidateStudent unless the column offers a
/// list of values: a listed value is a code, not typed text.
/// The period lists of type 80 are matched against the sheet's cached code
/// tables; without them no period can match.
ZRREQ_EXPORT void ValidateInput(const RequirementValue &value, const RequirementNaming &naming, const Recordset &rows,
                                const SheetContext &sheet);
/// ValidateInput without the log: for a check the user did not ask for (a pane
/// that follows the edits), whose refusal is shown, not recorded.
ZRREQ_EXPORT void CheckInput(const RequirementValue &value, const RequirementNaming &naming, const Recordset &rows,
                             const SheetContext &sheet);

/// Refuses a requirement whose row (`read`, the value as its row holds it)
/// keeps in a choice, a code list or a list of courses something that is no
/// code (RequirementValue::unreadableCodes): its sheet would show it as empty
/// and write it back as NULL. Throws ZrError 20029 naming the field (logged);
/// sets FailedField.
ZRREQ_EXPORT void CheckStoredCodes(const RequirementValue &read, const RequirementNaming &naming);

/// What a check found that does not stop a save: the message's number, the
/// row it is about and the message.
struct ZRREQ_EXPORT ValidationWarning
{
    qint32 number = 0;
    QString field;
    QString description;
};

/// Checks the codes the requirement `shown` (as its sheet shows it; `read`
/// as its row holds it) names against its code tables (UnknownCodes). A
/// main list (`conselobjIDs`) the sheet shows empty because none of its
/// codes is known is refused before the rule asking for one code: ZrError
/// 20030 for a course group of another programme, 20031 for another code,
/// naming the first (logged; sets FailedField). Other unknown codes, kept
/// in a list or dropped from a filter, and type 30's courses the programme
/// does not teach, come back as warnings (20030, 20031, 20032).
ZRREQ_EXPORT QList<ValidationWarning> CheckCodesKnown(const RequirementValue &shown, const RequirementValue &read,
                                                      const RequirementNaming &naming, const SheetContext &sheet);

/// The rules of a student column (type 10) for one value: `value` shown on
/// the row captioned `label` of the requirement captioned `requirement`.
/// Throws ZrError with source "ValidateStudent". Dates are read as
/// yyyy-MM-dd, d/M/yyyy (also with "-" or "."), or the Greek short format.
ZRREQ_EXPORT void ValidateStudent(const QString &column, const QString &value, const QString &label,
                                  const QString &requirement);

/// The checks of a list of years and exam periods ("2000-1,2001") against
/// SYS_ExamPeriod (epID), and of years and teaching periods ("2000-ΧΕΙΜ")
/// against SYS_terms (termDesc). An empty list passes; throws ZrError.
ZRREQ_EXPORT void CheckExamPeriods(const QString &list, const QString &rowCaption, const QString &requirement,
                                   const Recordset &examPeriods);
ZRREQ_EXPORT void CheckTeachingPeriods(const QString &list, const QString &rowCaption, const QString &requirement,
                                       const Recordset &terms);

/// True when `text` is a number not below zero (digits with at most one
/// decimal separator, "," or "."; no sign, no exponent); `lengthRule` "=4"
/// asks for exactly four characters, "" for any length.
ZRREQ_EXPORT bool IsPositiveNumber(const QString &text, const QString &lengthRule = QString());

} // namespace zr
