#include "mainwindow.h"

#include "common/langstrings.h"
#include "common/startup.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zerith"));
    QApplication::setApplicationName(QStringLiteral("zrreq"));

    // The language chosen last time is handed to the string service before start-up adopts it.
    const int language = QSettings().value(QStringLiteral("language"), zr::LangGreek).toInt();
    zr::StringService::instance().setLanguageId(language);
    zr::Main();

    zr::app::MainWindow window;
    window.show();
    return app.exec();
}
