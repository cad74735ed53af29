// The requirements editor in a window of its own: the degree requirements of
// programme 1 from the embedded sample database. "--quit" closes it at once.
#include <common/createserverobject.h>
#include <common/startup.h>
#include <qemserver.h>
#include <requirements/zrrequirements.h>

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    zr::Main();
    zr::server::RegisterServer();

    auto constraints = zr::CreateServerObjectAs<zr::cContraints>(QStringLiteral("zrQEMSvr"), QString());
    zr::zrRequirements editor;
    editor.setConstrType(103);  // degree
    editor.setAppliesTo(1);     // programme
    editor.setRsConstraints(constraints->LoadObjectConstraints(1, 1));
    editor.show();

    if (app.arguments().contains(QStringLiteral("--quit")))
        QTimer::singleShot(0, &app, [&] { app.exit(editor.rsConstraints().isEmpty() ? 1 : 0); });
    return app.exec();
}
