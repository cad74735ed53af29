#include "itempanel/shapedtexts.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace zr {

namespace {
// Bounds on what is kept: a panel shows a few fonts (plain, bold headers) and at
// most some thousands of distinct captions and values.
constexpr qsizetype MaxFonts = 4;
constexpr qsizetype MaxTextsPerFont = 8192;
} // namespace

const QStaticText &ShapedTexts::shaped(const QString &text, const QFont &font)
{
    auto slot = std::find_if(m_fonts.begin(), m_fonts.end(), [&](const OneFont &f) { return f.font == font; });
    if (slot == m_fonts.end()) {
        if (qsizetype(m_fonts.size()) >= MaxFonts)
            m_fonts.erase(m_fonts.begin());
        m_fonts.push_back({font, {}});
        slot = m_fonts.end() - 1;
    }
    auto found = slot->texts.constFind(text);
    if (found != slot->texts.constEnd())
        return *found;
    if (slot->texts.size() >= MaxTextsPerFont)
        slot->texts.clear();
    QStaticText shapedText(text);
    shapedText.setTextFormat(Qt::PlainText); // a caption such as "<5" is text, never markup
    shapedText.prepare(QTransform(), font);
    return *slot->texts.insert(text, shapedText);
}

void ShapedTexts::draw(QPainter *painter, const QRect &rect, const QString &text, const QFont &font,
                       const QColor &color, Qt::Alignment alignment, Qt::TextElideMode elide)
{
    if (text.isEmpty() || rect.width() <= 0)
        return;
    const QStaticText *line = &shaped(text, font);
    if (line->size().width() > rect.width() && elide != Qt::ElideNone)
        line = &shaped(QFontMetrics(font).elidedText(text, elide, rect.width()), font);
    const QRect placed = QStyle::alignedRect(painter->layoutDirection(), alignment, line->size().toSize(), rect);
    painter->save();
    painter->setFont(font);
    painter->setPen(color);
    if (line->size().width() > rect.width())
        painter->setClipRect(rect, Qt::IntersectClip);
    painter->drawStaticText(placed.topLeft(), *line);
    painter->restore();
}

} // namespace zr
