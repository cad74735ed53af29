#include "cli/clicommon.h"
#include "cli/commands.h"
#include "mainwindow.h"
#include "studentcard.h"

#include "common/langstrings.h"
#include "common/startup.h"
#include "jsonschema.h"
#include "qemserver.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>
#include <QTimer>
#include <memory>

int main(int argc, char *argv[])
{
    // Subcommands run without a window; those that load the editor keep it offscreen.
    if (argc > 1) {
        const QString name = QString::fromLocal8Bit(argv[1]);
        if (const zr::app::cli::Command command = zr::app::cli::FindCommand(name)) {
            zr::app::cli::QuietQtMessages();
            std::unique_ptr<QCoreApplication> app;
            if (zr::app::cli::NeedsWidgets(name)) {
                if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                    qputenv("QT_QPA_PLATFORM", "offscreen");
                app = std::make_unique<QApplication>(argc, argv);
            } else {
                app = std::make_unique<QCoreApplication>(argc, argv);
            }
            zr::Main();
            zr::server::RegisterServer();
            return command(QCoreApplication::arguments());
        }
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zerith"));
    QApplication::setApplicationName(QStringLiteral("zrreq"));

    // The language chosen last time is handed to the string service before start-up adopts it.
    const int language = QSettings().value(QStringLiteral("language"), zr::LangGreek).toInt();
    zr::StringService::instance().setLanguageId(language);
    zr::Main();
    zr::server::RegisterServer();

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption server(QStringLiteral("server"),
                                    QStringLiteral("Database server: empty for the embedded sample database, "
                                                   "or postgresql://user@host:port/dbname."),
                                    QStringLiteral("url"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save a picture of the window to <file> and quit."),
                                        QStringLiteral("file"));
    const QCommandLineOption student(QStringLiteral("student"),
                                     QStringLiteral("Open the card of student <id>; with --screenshot the picture "
                                                    "is of the card."),
                                     QStringLiteral("id"));
    parser.addOption(server);
    parser.addOption(screenshot);
    parser.addOption(student);
    parser.process(app);

    zr::app::MainWindow window(parser.value(server));
    window.show();
    window.loadObjects();
    window.selectFirstProgramme();
    QWidget *pictured = &window;
    if (parser.isSet(student)) {
        auto *card = new zr::app::StudentCard(parser.value(server), std::make_shared<const zr::server::JsonSchema>(),
                                              parser.value(student).toInt(), &window);
        card->show();
        pictured = card;
    }
    if (parser.isSet(screenshot)) {
        // Give the window time to load and paint before the picture is taken.
        QTimer::singleShot(1500, &window, [&] {
            pictured->grab().save(parser.value(screenshot));
            QApplication::quit();
        });
    }
    return app.exec();
}
