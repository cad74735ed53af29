#pragma once

#include <QPixmap>

namespace zr {

/// Header pictures of the student preview: 101 the programme's regulation,
/// 102 a student's individual regulation; a null pixmap for other ids.
/// Drawn at `size` device-independent pixels for the screen's pixel ratio.
QPixmap PreviewIcon(int resourceId, int size = 32, qreal devicePixelRatio = 1.0);

} // namespace zr
