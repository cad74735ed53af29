#include "zrrequirements_p.h"

#include "common/notifyonchange.h"
#include "itempanel/tilepanel.h"

#include <QPlainTextEdit>

// The look a host gives the control, forwarded to its child widgets.

namespace zr {

QString zrRequirements::SmCaption() const
{
    return d->smRequirements->caption();
}

void zrRequirements::setSmCaption(const QString &caption)
{
    const NotifyOnChange notify(this, "SmCaption");
    d->smRequirements->setCaption(caption);
}

int zrRequirements::SmBorderStyle() const
{
    return d->smRequirements->borderStyle();
}

void zrRequirements::setSmBorderStyle(int style)
{
    const NotifyOnChange notify(this, "SmBorderStyle");
    d->smRequirements->setBorderStyle(style);
}

int zrRequirements::SmCaptionStyle() const
{
    return d->smRequirements->captionStyle();
}

void zrRequirements::setSmCaptionStyle(int style)
{
    const NotifyOnChange notify(this, "SmCaptionStyle");
    d->smRequirements->setCaptionStyle(style);
}

int zrRequirements::SmCaptionAlignment() const
{
    return d->smRequirements->captionAlignment();
}

void zrRequirements::setSmCaptionAlignment(int alignment)
{
    const NotifyOnChange notify(this, "SmCaptionAlignment");
    d->smRequirements->setCaptionAlignment(alignment);
}

int zrRequirements::SmEdgeStyle() const
{
    return d->smRequirements->edgeStyle();
}

void zrRequirements::setSmEdgeStyle(int style)
{
    const NotifyOnChange notify(this, "SmEdgeStyle");
    d->smRequirements->setEdgeStyle(style);
}

int zrRequirements::SmScrollBarStyle() const
{
    return d->smRequirements->scrollBarStyle();
}

void zrRequirements::setSmScrollBarStyle(int style)
{
    const NotifyOnChange notify(this, "SmScrollBarStyle");
    d->smRequirements->setScrollBarStyle(style);
}

QColor zrRequirements::TextBackcolor() const
{
    return d->txtInfo->palette().color(QPalette::Base);
}

void zrRequirements::setTextBackcolor(const QColor &color)
{
    const NotifyOnChange notify(this, "TextBackcolor");
    QPalette palette = d->txtInfo->palette();
    palette.setColor(QPalette::Base, color);
    d->txtInfo->setPalette(palette);
}

QColor zrRequirements::TextForeColor() const
{
    return d->txtInfo->palette().color(QPalette::Text);
}

void zrRequirements::setTextForeColor(const QColor &color)
{
    const NotifyOnChange notify(this, "TextForeColor");
    QPalette palette = d->txtInfo->palette();
    palette.setColor(QPalette::Text, color);
    d->txtInfo->setPalette(palette);
}

bool zrRequirements::TextBold() const
{
    return d->txtInfo->font().bold();
}

void zrRequirements::setTextBold(bool bold)
{
    const NotifyOnChange notify(this, "TextBold");
    QFont font = d->txtInfo->font();
    font.setBold(bold);
    d->txtInfo->setFont(font);
}

QFont zrRequirements::Font() const
{
    return d->fontSet ? d->font : font();
}

void zrRequirements::setControlFont(const QFont &font)
{
    const NotifyOnChange notify(this, "Font");
    d->font = font;
    d->fontSet = true;
    // Qt hands a widget's font down to its children.
    setFont(font);
}

} // namespace zr
