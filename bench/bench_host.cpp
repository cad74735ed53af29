// The host's window with the requirements editor, started in a fresh process
// each time:
//  1. cold start to a shown, loaded editor (the degree requirements of the
//     sample programme) against a process that shows a bare Qt window (wall
//     time from start to exit);
//  2. peak resident memory with the generated 3,000-requirement set loaded
//     against the same process on the same programme with an empty set.
// The parent process runs itself as the child ("child bare" or
// "child host <server> <programme>"); a child prints what it measured.

#include "benchutil.h"

#include "common/createserverobject.h"
#include "common/serverobjects.h"
#include "common/startup.h"
#include "common/zrerror.h"
#include "database.h"
#include "jsonschema.h"
#include "largevolume.h"
#include "qemserver.h"
#include "reqtypes/typecatalog.h"
#include "requirements/zrrequirements.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>

using namespace zr;
using namespace zr::server;

namespace {

constexpr int Runs = 7;

// The host's window as the host builds it: a main window whose editor is set
// up with the host's properties and loaded with one object's requirements
// from the server, then shown and painted.
int runHost(const QString &server, int programme)
{
    QApplication::setOrganizationName(QStringLiteral("Zerith"));
    QApplication::setApplicationName(QStringLiteral("zrreq-bench"));
    zr::Main();
    RegisterServer();
    QMainWindow window;
    auto *editor = new zrRequirements(&window);
    window.setCentralWidget(editor);
    window.resize(1280, 800);
    window.show();
    try {
        auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), server);
        const Recordset set = constraints->LoadObjectConstraints(KindProgramme, programme);
        editor->setServerName(server);
        editor->setSessionID(QStringLiteral("zrreq"));
        editor->setConstrType(CtxDegree);
        editor->setAppliesTo(KindProgramme);
        editor->setShowExclusions(true);
        editor->setOSchema(std::make_shared<const JsonSchema>());
        editor->setRsConstraints(set);
    } catch (const ZrError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description));
        return 3;
    }
    QCoreApplication::processEvents();
    window.repaint();
    const int rows = editor->rsConstraints().isNull() ? -1 : editor->rsConstraints().recordCount();
    std::printf("peak %lld\nrows %d\n", static_cast<long long>(bench::peakRssKb()), rows);
    return 0;
}

int runChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (qstrcmp(argv[2], "host") == 0 && argc >= 5)
        return runHost(QString::fromLocal8Bit(argv[3]), QByteArray(argv[4]).toInt());
    QWidget window;
    window.resize(1280, 800);
    window.show();
    QCoreApplication::processEvents();
    window.repaint();
    std::printf("peak %lld\n", static_cast<long long>(bench::peakRssKb()));
    return 0;
}

struct ChildRun
{
    qint64 wallNs = 0;
    qint64 peakKb = 0;
    int rows = -1;
};

ChildRun spawn(const QStringList &arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("child")} + arguments);
    child.waitForFinished(120000);
    ChildRun run;
    run.wallNs = timer.nsecsElapsed();
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        std::fprintf(stderr, "child %s failed (%d)\n", qPrintable(arguments.join(QLatin1Char(' '))), child.exitCode());
        return run;
    }
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        if (line.startsWith("peak "))
            run.peakKb = line.mid(5).toLongLong();
        else if (line.startsWith("rows "))
            run.rows = line.mid(5).toInt();
    }
    return run;
}

qint64 median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 3 && qstrcmp(argv[1], "child") == 0)
        return runChild(argc, argv);

    QCoreApplication app(argc, argv);
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const auto run = [&](const char *part) { return only.isEmpty() || only == QLatin1String(part); };
    QTemporaryDir dir;
    // The children keep their log and settings out of the user's folders.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
    RegisterServer();
    bool ok = true;

    if (run("start")) {
        // The embedded sample database, made before the first start.
        qputenv("ZRREQ_DATABASE", QFile::encodeName(dir.path() + QStringLiteral("/sample.db")));
        Database::open(QString());
        Database::closeAll();
        const QStringList host{QStringLiteral("host"), QString(), QStringLiteral("1")};
        std::vector<qint64> bare, started;
        int rows = -1;
        for (int round = 0; round <= Runs; ++round) {
            const ChildRun b = spawn({QStringLiteral("bare")});
            const ChildRun h = spawn(host);
            rows = h.rows;
            if (round == 0)
                continue;
            bare.push_back(b.wallNs);
            started.push_back(h.wallNs);
        }
        if (rows <= 0)
            std::fprintf(stderr, "the host showed no requirements (%d)\n", rows);
        ok &= bench::report(QStringLiteral("host: cold start to loaded editor (%1 rows) / bare Qt window").arg(rows),
                            median(bare), median(started), 2.0);
    }

    if (run("memory")) {
        LargeVolume sizes; // 10,000 courses, 50,000 students, 3,000 requirements
        const QString big = QStringLiteral("sqlite://") + dir.path() + QStringLiteral("/big.db");
        GenerateLargeVolume(*Database::open(big), sizes);
        sizes.requirements = 0;
        const QString empty = QStringLiteral("sqlite://") + dir.path() + QStringLiteral("/empty.db");
        GenerateLargeVolume(*Database::open(empty), sizes);
        Database::closeAll();
        const QString programme = QString::number(LargeVolumeKeys::programme);
        std::vector<qint64> emptyKb, bigKb;
        int rows = -1, emptyRows = -1;
        for (int round = 0; round < 5; ++round) {
            const ChildRun e = spawn({QStringLiteral("host"), empty, programme});
            const ChildRun b = spawn({QStringLiteral("host"), big, programme});
            emptyKb.push_back(e.peakKb);
            bigKb.push_back(b.peakKb);
            rows = b.rows;
            emptyRows = e.rows;
        }
        if (rows != 3000 || emptyRows != 0)
            std::fprintf(stderr, "unexpected sets: %d and %d rows\n", rows, emptyRows);
        ok &= bench::reportAmount(QStringLiteral("host: peak memory with 3000 requirements / empty set"),
                                  median(emptyKb), median(bigKb), "kB", 3.0);
    }
    return ok ? 0 : 2;
}
