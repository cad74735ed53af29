#pragma once

#include "zrwidgets_export.h"

#include <QFont>
#include <QString>

class QWidget;

namespace zr {

class ItemPanelModel;
class Schema;
struct PickerContext;
struct SheetContext;

/// Opens the picker of parameter row `key` of a requirement of type `conID`
/// (a list, the options or a course-type totals dialog) and, when the user
/// confirms a choice, writes it into the row: the value, and for rows that
/// show names the codes kept behind them. `info` receives the text for the
/// editor's help box. Returns whether the row changed. Throws ZrError.
ZRWIDGETS_EXPORT bool RunRowPicker(ItemPanelModel &list, const QString &key, int conID, const SheetContext &sheet,
                               const PickerContext &context, const QString &serverName, const Schema *schema,
                               const QFont &font, QWidget *owner, QString *info);

/// Empties the picker row `key` (its shown text and the codes behind it), as
/// the pickers set a row, so the change is an edit of the user's. False, and
/// nothing done, for a row that is no picker, is disabled or is empty already.
ZRWIDGETS_EXPORT bool ClearPickerRow(ItemPanelModel &list, const QString &key);

} // namespace zr
