#include "previewicons.h"

#include <QPainter>
#include <QPainterPath>

namespace zr {

namespace {

// An open book: the programme's regulation.
void drawProgramme(QPainter &p, qreal s)
{
    p.setPen(QPen(QColor(0x1f, 0x4e, 0x8c), s / 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xdd, 0xe8, 0xf6));
    QPainterPath left;
    left.moveTo(s * 0.5, s * 0.25);
    left.cubicTo(s * 0.38, s * 0.16, s * 0.2, s * 0.16, s * 0.08, s * 0.22);
    left.lineTo(s * 0.08, s * 0.82);
    left.cubicTo(s * 0.2, s * 0.76, s * 0.38, s * 0.76, s * 0.5, s * 0.85);
    left.closeSubpath();
    p.drawPath(left);
    QPainterPath right;
    right.moveTo(s * 0.5, s * 0.25);
    right.cubicTo(s * 0.62, s * 0.16, s * 0.8, s * 0.16, s * 0.92, s * 0.22);
    right.lineTo(s * 0.92, s * 0.82);
    right.cubicTo(s * 0.8, s * 0.76, s * 0.62, s * 0.76, s * 0.5, s * 0.85);
    right.closeSubpath();
    p.drawPath(right);
    p.setPen(QPen(QColor(0x1f, 0x4e, 0x8c), s / 24));
    for (qreal y : {0.36, 0.48, 0.6}) {
        p.drawLine(QPointF(s * 0.17, s * y), QPointF(s * 0.41, s * (y + 0.03)));
        p.drawLine(QPointF(s * 0.59, s * (y + 0.03)), QPointF(s * 0.83, s * y));
    }
}

// A student's head and shoulders on a page: an individual regulation.
void drawIndividual(QPainter &p, qreal s)
{
    p.setPen(QPen(QColor(0x8a, 0x4b, 0x08), s / 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xfb, 0xe7, 0xc6));
    p.drawRoundedRect(QRectF(s * 0.14, s * 0.08, s * 0.72, s * 0.84), s * 0.08, s * 0.08);
    p.setBrush(QColor(0xd9, 0x7b, 0x17));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(s * 0.5, s * 0.38), s * 0.13, s * 0.13);
    QPainterPath body;
    body.moveTo(s * 0.26, s * 0.8);
    body.cubicTo(s * 0.28, s * 0.56, s * 0.72, s * 0.56, s * 0.74, s * 0.8);
    body.closeSubpath();
    p.drawPath(body);
}

} // namespace

QPixmap PreviewIcon(int resourceId, int size, qreal devicePixelRatio)
{
    if (resourceId != 101 && resourceId != 102)
        return QPixmap();
    QPixmap pixmap(qRound(size * devicePixelRatio), qRound(size * devicePixelRatio));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (resourceId == 101)
        drawProgramme(painter, size);
    else
        drawIndividual(painter, size);
    return pixmap;
}

} // namespace zr
