#pragma once

#include "zrreq_export.h"

#include <QString>

namespace zr {

class ItemPanelModel;
struct SheetContext;

/// Brings a requirement's sheet in line after the user changed the value of
/// the row `key` of a requirement of type `typeId`. An options row: its
/// description becomes the text of its option string. Type 10, column row: the
/// header names the chosen column and the operator and value rows are rebuilt
/// for it. Type 130, answer or operator row: the answer yes empties and locks
/// operator and categories, no unlocks them; operator 100 answers no and
/// empties and locks the categories, operators 0 and 2 unlock them. Returns
/// whether the change was one of these. Throws the code tables' ZrError.
ZRREQ_EXPORT bool AdjustSheetAfterChange(ItemPanelModel &panel, int typeId, const QString &key,
                                         const SheetContext &sheet);

/// Sets the enabled state of the rows whose use depends on other rows'
/// values (type 130) without changing any value; for loaded sheets.
ZRREQ_EXPORT void ApplyRowStates(ItemPanelModel &panel, int typeId, qint32 ocID);

} // namespace zr
