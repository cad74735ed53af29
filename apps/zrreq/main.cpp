#include "cli/auditreportoutput.h"
#include "cli/clicommon.h"
#include "cli/commandhelp.h"
#include "cli/commands.h"
#include "mainwindow.h"
#include "sethistorywindow.h"
#include "startarguments.h"
#include "studentcard.h"

#include "common/langstrings.h"
#include "common/startup.h"
#include "preview/reportpdf.h"
#include "jsonschema.h"
#include "qemserver.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSettings>
#include <QTimer>

#include <memory>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // The language chosen last time speaks the help, the errors, the subcommands and the window, unless --lang says.
    QCoreApplication::setOrganizationName(QStringLiteral("Zerith"));
    QCoreApplication::setApplicationName(QStringLiteral("zrreq"));
    const int saved = QSettings().value(QStringLiteral("language"), zr::LangGreek).toInt();
    zr::StringService::instance().setLanguageId(zr::app::cli::LanguageOfArguments(arguments, saved));
    // Help and wrong arguments are answered without a window, so without a display.
    zr::app::WindowArguments start;
    if (const int done = zr::app::CheckStartArguments(arguments, &start); done >= 0)
        return done;

    // Subcommands run on the editor without widgets: no window, no display platform.
    if (argc > 1) {
        const QString name = QString::fromLocal8Bit(argv[1]);
        if (const zr::app::cli::Command command = zr::app::cli::FindCommand(name)) {
            zr::app::cli::QuietQtMessages();
            // Laying a PDF out takes fonts, which only a GUI application has; the offscreen
            // platform gives them without a display, which no subcommand needs.
            const bool pdf = zr::app::cli::WantsReportPdf(arguments);
            if (pdf)
                qputenv("QT_QPA_PLATFORM", "offscreen");
            const std::unique_ptr<QCoreApplication> app(pdf ? new QGuiApplication(argc, argv)
                                                            : new QCoreApplication(argc, argv));
            if (pdf)
                zr::app::cli::SetReportPdfWriter(&zr::WriteReportPdf);
            zr::Main();
            zr::server::RegisterServer();
            return command(QCoreApplication::arguments());
        }
    }

    QApplication app(argc, argv);
    // Handed to the string service before start-up adopts it.
    zr::StringService::instance().setLanguageId(start.language >= 0 ? start.language : saved);
    zr::Main();
    zr::server::RegisterServer();

    zr::app::MainWindow window(start.server);
    window.show();
    window.loadObjects();
    window.selectFirstProgramme();
    QWidget *pictured = &window;
    if (start.student != 0) {
        auto *card = new zr::app::StudentCard(start.server, std::make_shared<const zr::server::JsonSchema>(),
                                              start.student, &window);
        card->show();
        pictured = card;
    }
    if (start.history) {
        if (QWidget *history = window.showHistory())
            pictured = history;
    }
    if (!start.screenshot.isEmpty()) {
        // Give the window time to load and paint before the picture is taken.
        QTimer::singleShot(1500, &window, [&] {
            pictured->grab().save(start.screenshot);
            QApplication::quit();
        });
    }
    return app.exec();
}
