#pragma once

#include "reqtypes/requirementvalue.h"
#include "zrreq_export.h"

#include <QString>
#include <QVariant>

namespace zr {

class ItemPanelModel;
struct SheetContext;

// The sheet shows a requirement's value and hands back what the user types:
// values live in RequirementValue, the list only draws them.

/// Shows `shown` (a ShownValue) on the sheet rows of its requirement, built
/// by CreateConstraint: choices selected by code, code lists kept hidden
/// behind their names, option texts, teaching periods with their names,
/// type 10's column with its value rows and the header naming it; rows
/// whose use depends on other values enabled or not. Throws the code tables' ZrError.
ZRREQ_EXPORT void ShowValue(ItemPanelModel &panel, const RequirementValue &shown, const SheetContext &sheet);

/// After the user edited row `field`: shows the other parameters that
/// changed from `before` to `after`, the edited options row's text, type
/// 10's value rows for a new column, and the rows' states.
ZRREQ_EXPORT void ShowEdit(ItemPanelModel &panel, const RequirementValue &before, const RequirementValue &after,
                           const QString &field, const SheetContext &sheet);

/// What the user gave the row `key` of a requirement of type `typeId`, in
/// its stored form (StoredFromText; type 10's number columns trimmed).
ZRREQ_EXPORT QVariant EditedValue(const ItemPanelModel &panel, const QString &key, int typeId,
                                  const SheetContext &sheet);

/// Sets the enabled state of the rows whose use depends on other values
/// (DependentRowStates) without changing any value.
ZRREQ_EXPORT void ShowRowStates(ItemPanelModel &panel, const RequirementValue &value);

/// What writing `value` into its row shows: a minimum as written (counted),
/// type 10's header named by its column and its saved id.
ZRREQ_EXPORT void ShowStored(ItemPanelModel &panel, const RequirementValue &value);

/// The code of the choice selected on the choice row `field` of requirement
/// `ocID`; "" when none is selected.
ZRREQ_EXPORT QString SelectedChoiceCode(const ItemPanelModel &panel, qint32 ocID, const QString &field);

} // namespace zr
