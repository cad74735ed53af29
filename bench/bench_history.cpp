// The history of a large set: a 3,000-requirement set saved 100 times (an
// import, then 99 saves that change 30 requirements each), on SQLite.
//  1. listing its versions against loading the set, as the host does both;
//  2. opening the host's history window (its list of versions and the
//     difference the newest save made, shown first) against loading the set;
//  3. writing version 50 as a file against writing the current version as
//     one (an export): a kept version is kept as rows, and both write them alike.
// Times are CPU times of the thread (the database works in it).

#include "benchutil.h"
#include "scholarshipfile.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "database.h"
#include "qemserver.h"
#include "requirements/requirementfile.h"
#include "requirements/setversion.h"
#include "requirementstore.h"
#include "setversionstore.h"
#include "sethistorywindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace zr;
using namespace zr::server;

namespace {

using bench::Kind;
using bench::Programme;
using bench::Scholarship;
constexpr int Requirements = 3000;
constexpr int Versions = 100;
const QString Source = QStringLiteral("bench_history");

Recordset load(cContraints &constraints)
{
    return constraints.LoadObjectConstraints(Kind, Programme);
}

// Saves `version`: 30 requirements get a new value.
void saveVersion(cContraints &constraints, int version)
{
    Recordset parent = load(constraints);
    parent.moveFirst();
    Recordset rows = parent.chapter(u"QEMObjectConstraint").clone();
    rows.setFilter(QStringLiteral("contypeID = %1").arg(Scholarship));
    rows.moveFirst();
    for (int i = 0; i < 30 && !rows.eof(); ++i, rows.moveNext()) {
        rows.setValue(u"conoptval1", QString::number((version * 7 + i) % 60 + 1));
    }
    constraints.SaveConstraints(parent);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    InitLanguage(LangEnglish);
    RegisterServer();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("history.db"));
    const QString server = QStringLiteral("sqlite://") + file;
    auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), server);
    {
        Recordset parent = load(*constraints);
        ImportRequirementRows(ReadRequirementFile(bench::scholarshipFileText(Requirements)), parent, Kind, Scholarship);
        constraints->SaveConstraints(parent);
    }
    for (int version = 2; version <= Versions; ++version)
        saveVersion(*constraints, version);

    auto db = Database::open(server);
    const QString key = RequirementSetKey(Kind, Programme, Scholarship, QString());
    SetVersionStore versions(*db, Source);
    if (versions.history(key).size() != Versions || versions.of(key).number != Versions)
        qFatal("the set was not saved %d times", Versions);
    std::printf("database with %d versions of %d requirements: %lld kB\n", Versions, Requirements,
                static_cast<long long>(QFileInfo(file).size() / 1024));

    int listed = 0;
    const auto [loadNs, listNs] = bench::medianCpuPair([&] { load(*constraints); },
                                                       [&] { listed = int(versions.history(key).size()); });
    QString firstDifference;
    const auto [loadAgainNs, openNs] = bench::medianCpuPair([&] { load(*constraints); }, [&] {
        const app::SetHistoryWindow window(server, key, QString());
        firstDifference = window.differenceText();
    });
    qint64 bytes = 0;
    const auto [currentNs, versionNs] = bench::medianCpuPair(
        [&] { RequirementStore(*db).versionFile(key, Versions, Source); },
        [&] { bytes = RequirementStore(*db).versionFile(key, Versions / 2, Source).size(); });
    // The newest save changed 30 requirements: the window shows their fields.
    bool ok = listed == Versions && firstDifference.count(QStringLiteral(" → ")) == 30;
    ok &= bench::report(QStringLiteral("history: list 100 versions of 3,000 requirements / load the set"), loadNs,
                        listNs, 0.1);
    ok &= bench::report(QStringLiteral("history: open the history window (100 versions, newest difference) / load the set"),
                        loadAgainNs, openNs, 3.0);
    ok &= bench::report(QStringLiteral("history: version 50 as a file (%1 kB) / the current version").arg(bytes / 1024),
                        currentNs, versionNs, 1.5);
    Database::closeAll();
    return ok ? 0 : 1;
}
