#include "languageswitch.h"

#include "langstrings.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace zr {

void SwitchLanguage(int languageId)
{
    StringService::instance().setLanguageId(languageId);
    InitLanguage(languageId);
    const QList<QWidget *> widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets) {
        QEvent event(QEvent::LanguageChange);
        QCoreApplication::sendEvent(widget, &event);
    }
}

} // namespace zr
