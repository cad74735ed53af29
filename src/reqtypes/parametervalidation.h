#pragma once

#include "recordset/recordset.h"
#include "zrreq_export.h"

#include <QString>

namespace zr {

class ItemPanelModel;
struct SheetContext;

/// Checks the parameter rows of requirement `ocID` (type `typeId`) against
/// the rules of its type, in their fixed order, reading the values the rows
/// show. The fields' defined sizes of the requirement recordset `rows`
/// bound the code lists (its cursor is not read). The first failed rule is logged and thrown as
/// a ZrError (the rule's number, "ValidateInput", the formatted message
/// naming the requirement by its caption). Nothing is changed.
/// Type 10's values go through ValidateStudent unless they were picked from
/// the column's list (a choice row): a listed value is a code, not typed text.
/// The period lists of type 80 are matched against the sheet's cached code
/// tables; without them no period can match.
ZRREQ_EXPORT void ValidateInput(const ItemPanelModel &panel, qint32 ocID, int typeId, const Recordset &rows,
                                const SheetContext &sheet);

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
