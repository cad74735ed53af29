#include "applyfont.h"

#include <QWidget>

namespace zr {

void ApplyFont(QWidget *widget, const QString &fontName, qreal pointSize, int charset)
{
    Q_UNUSED(charset)
    if (!widget)
        return;
    QFont font = widget->font();
    if (!fontName.isEmpty())
        font.setFamily(fontName);
    if (pointSize > 0)
        font.setPointSizeF(pointSize);
    widget->setFont(font);
}

} // namespace zr
