#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>

#include <vector>

class QPainter;
class QRect;

namespace zr {

/// One-line texts of item rows, shaped once per text and font and drawn from
/// then on: a view repaints the same captions on every hover, scroll, edit and
/// reload, and shaping them each time cost more than loading the set.
class ShapedTexts
{
public:
    /// Draws text in rect in one colour, aligned and elided as asked.
    void draw(QPainter *painter, const QRect &rect, const QString &text, const QFont &font, const QColor &color,
              Qt::Alignment alignment, Qt::TextElideMode elide);

private:
    const QStaticText &shaped(const QString &text, const QFont &font);

    struct OneFont
    {
        QFont font;
        QHash<QString, QStaticText> texts;
    };
    std::vector<OneFont> m_fonts;
};

} // namespace zr
