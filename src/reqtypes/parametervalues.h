#pragma once

#include "recordset/recordset.h"
#include "reqtypes/requirementvalue.h"
#include "zrreq_export.h"

#include <QString>

#include <optional>

namespace zr {

class ItemPanelModel;
struct SheetContext;
struct ParameterRow;

/// Moves the stored values of the requirement in the visible row `row` (0-based) of `rows` into
/// its parameter rows (built by CreateConstraint): choices selected by code,
/// entry and picker texts, code lists kept hidden behind their names, option
/// texts, type 80's teaching periods shown with their names, type 10's column
/// with its value rows. A stored value that can not be read never throws: a
/// choice code that is not offered leaves the row unselected, a code list
/// that names no known code loads as an empty row with no codes. Errors of
/// the recordset (a missing field) and of the code tables are thrown.
/// Returns the value the rows now show (RequirementValue::toSheet).
ZRREQ_EXPORT RequirementValue LoadConstraintValues(ItemPanelModel &panel, const Recordset &rows, int row,
                                                   const SheetContext &sheet);

/// Writes the parameter rows of the requirement in the visible row `row` of `rows` back
/// into its fields: codes of the selected choices (NULL when none), texts
/// with "" as NULL, the hidden code lists, option flags as a number, the
/// minimum number as the count of codes when it is empty or "0", type 80's
/// teaching periods with their ids, type 130's categories cleared by operator
/// 100, type 10's column and values (and its header caption), and `coneval`
/// = `expression` ("" and nothing as NULL). Fields whose value does not
/// change are not written. Does not accept the changes (no batch update).
/// Neither routine reads or moves the cursor of `rows`.
ZRREQ_EXPORT void StoreConstraintValues(ItemPanelModel &panel, Recordset &rows, int row, const SheetContext &sheet,
                                        const std::optional<QString> &expression);

/// Writes `value` into the visible row `row` of `rows` (RequirementValue::writeTo)
/// and shows on its sheet in `panel` what was stored: type 130's categories
/// cleared by operator 100, type 10's header caption by its column.
ZRREQ_EXPORT void StoreValue(ItemPanelModel &panel, const RequirementValue &value, Recordset &rows, int row);

/// The code of the choice selected on the choice row `field` of requirement
/// `ocID` (its key after "KI" + ocID + ","); "" when none is selected.
ZRREQ_EXPORT QString SelectedChoiceCode(const ItemPanelModel &panel, qint32 ocID, const QString &field);

/// The value of parameter row `row` of requirement `ocID` as it is stored
/// and checked: the selected code of a choice row, the hidden codes of a
/// code-list or totals row, type 10's value (trimmed for its number
/// columns), the shown text of any other row.
ZRREQ_EXPORT QString ParameterRowText(const ItemPanelModel &panel, qint32 ocID, const ParameterRow &row);

/// The number of ","-separated items of a code list; 0 for "".
ZRREQ_EXPORT int CodeCount(const QString &codes);

/// A list of years and teaching periods ("2000-1,2001") with each period id
/// replaced by its description from `terms` (SYS_terms: termID, termDesc).
/// Elements without a period, with more than one "-", or with a period the
/// table does not have, stay as they are.
ZRREQ_EXPORT QString TeachingPeriodsToNames(const Recordset &terms, const QString &periods);
/// The reverse: period descriptions ("2000-ΧΕΙΜ") replaced by their ids.
ZRREQ_EXPORT QString TeachingPeriodsToIds(const Recordset &terms, const QString &periods);

} // namespace zr
