#pragma once

// Filling list controls and the item panel's choice rows from recordsets.

#include "zrwidgets_export.h"
#include "recordset/recordset.h"

#include <QString>
#include <QVariant>

class QAbstractItemView;
class QComboBox;

namespace zr {

class ItemPanelModel;

/// A working copy (CreateRSDuplicate) of the rows selected in `grid`, whose
/// model is a RecordsetModel (directly or behind proxy models). Multi-row
/// selection modes take every selected row; single selection the current row.
/// Nothing when the grid shows no rows or nothing is selected. The grid's
/// recordset and its position are not changed.
ZRWIDGETS_EXPORT Recordset GetSelectedRows(const QAbstractItemView *grid);

/// Options of FillChoices.
enum FillChoicesFlag {
    FillNoFlags = 0,
    /// Adds a last choice "browse" (caption: string 20034) that the caller
    /// answers by opening a selection dialog.
    FillAddBrowse = 0x1,
    /// Codes are made of parts joined by points ("1.2.3"): each choice is
    /// indented one step per point and its tag holds the parent code ("1.2").
    FillDottedCodes = 0x2,
};

/// Adds one choice per row of `recordset` to the choice row `rowKey` of
/// `panel`: key "K"+id, caption the text field (empty for NULL), style
/// ItemStyle::Choice. Nothing happens when the recordset is empty. Ends with
/// SelectChoice(`selectKey`) when `selectKey` is not null. Walks a clone.
ZRWIDGETS_EXPORT void FillChoices(ItemPanelModel *panel, const QString &rowKey, const Recordset &recordset,
                              const QString &idField, const QString &textField,
                              const QVariant &selectKey = QVariant(), int flags = FillNoFlags);

/// Selects a choice of the choice row `rowKey`: a text key selects the choice
/// "K"+key, a number the choice at that 1-based position. When that fails,
/// `secondKey` (if not null) is tried the same way. True when a choice was
/// selected; the row's value is then the choice's key.
ZRWIDGETS_EXPORT bool SelectChoice(ItemPanelModel *panel, const QString &rowKey, const QVariant &key,
                               const QVariant &secondKey = QVariant());

/// Clears `combo` and adds one item per row of `recordset` (walked from its
/// first row, left at EOF): the text field's value as text, the id field's
/// value as a 32-bit integer item data. Selects the first item when
/// `selectFirst`, otherwise none.
ZRWIDGETS_EXPORT void FillCombo(QComboBox *combo, const Recordset &recordset, const QString &textField,
                            const QString &idField, bool selectFirst);

} // namespace zr
