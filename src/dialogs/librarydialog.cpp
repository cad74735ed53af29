#include "librarydialog.h"

#include "common/notifyonchange.h"
#include "dialogs/applyfont.h"

#include <QApplication>
#include <QEvent>

namespace zr {

LibraryDialog::LibraryDialog(QWidget *parent) : QDialog(parent), m_font(QApplication::font()) {}

LibraryDialog::~LibraryDialog() = default;

QFont LibraryDialog::frmFont() const
{
    return m_font;
}

void LibraryDialog::setFrmFont(const QFont &font)
{
    const NotifyOnChange notify(this, "FrmFont");
    m_font = font;
    ApplyFont(this, font.family(), font.pointSizeF(), GreekCharset);
}

void LibraryDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}

} // namespace zr
