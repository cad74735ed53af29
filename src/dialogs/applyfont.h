#pragma once

#include "zrwidgets_export.h"

#include <QString>

class QWidget;

namespace zr {

/// Character set the dialogs are given with their font (Greek).
constexpr int GreekCharset = 161;

/// Gives `widget` and, through font inheritance, its child controls the font
/// `fontName` at `pointSize`. Controls that set a size or weight of their own
/// keep it. `charset` is accepted for the callers' sake: Qt picks the script
/// of each text itself. An empty name or a size not above 0 leaves that part alone.
ZRWIDGETS_EXPORT void ApplyFont(QWidget *widget, const QString &fontName, qreal pointSize,
                            int charset = GreekCharset);

} // namespace zr
