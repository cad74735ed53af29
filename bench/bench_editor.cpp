// The requirements editor at scale, on generated databases served by the
// reference server:
//  1. loading a 3,000-requirement degree set (sheets, values, descriptions,
//     first paint) against building the same keys, captions and values into
//     a vector of plain structs; 300 against 3,000 requirements;
//  2. ValidateRecords plus UpdateRecordset, 300 against 3,000 requirements;
//  3. switching between curricula of 300 requirements each (ten in one
//     programme) against loading one curriculum's set;
//  4. opening the expression wizard on 3,000 requirements (to its first
//     paint) against the server's own LoadConstraintsWithDescription;
//  5. trying the 300-requirement set on screen on one student (the try pane's
//     check: the shown values prepared and evaluated) next to one repaint.
// Times are the thread's CPU time (see bench::medianCpuPair).

#include "benchutil.h"

#include "audit/auditcodesource.h"
#include "audit/auditset.h"
#include "common/createserverobject.h"
#include "reqtypes/requirementvalue.h"
#include "common/langstrings.h"
#include "itempanel/itempanelmodel.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "itempanel/tilepanel.h"
#include "database.h"
#include "jsonschema.h"
#include "largevolume.h"
#include "qemserver.h"
#include "requirements/zrrequirements.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QTimer>
#include <QHash>
#include <QTemporaryDir>

#include <optional>
#include <vector>

using namespace zr;
using namespace zr::server;

namespace {

constexpr int Degree = 103;
constexpr int ProgrammeKind = 1;

// A database with the sample department and a generated one of these sizes.
QString makeDatabase(const QTemporaryDir &dir, const QString &name, const LargeVolume &sizes)
{
    const QString server = QStringLiteral("sqlite://") + dir.path() + QLatin1Char('/') + name;
    GenerateLargeVolume(*Database::open(server), sizes);
    return server;
}

Recordset loadObject(const QString &server)
{
    auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), server);
    return constraints->LoadObjectConstraints(ProgrammeKind, LargeVolumeKeys::programme);
}

// An editor set up as the host sets it up, in a shown window.
struct Editor
{
    explicit Editor(const QString &server)
    {
        static const auto schema = std::make_shared<const JsonSchema>();
        widget.setServerName(server);
        widget.setSessionID(QStringLiteral("bench"));
        widget.setConstrType(Degree);
        widget.setAppliesTo(ProgrammeKind);
        widget.setShowExclusions(true);
        widget.setOSchema(schema);
        widget.setCurrentCurriculum(LargeVolumeKeys::curriculum);
        widget.resize(900, 700);
        widget.show();
        QCoreApplication::processEvents();
        QObject::connect(&widget, &zrRequirements::ErrorOccurred, [](int number, const QString &text, const QString &) {
            std::fprintf(stderr, "editor error %d: %s\n", number, qPrintable(text));
        });
    }

    void load(const Recordset &parent)
    {
        widget.setRsConstraints(parent);
        widget.repaint(); // the first paint of the loaded list
    }

    ItemPanelModel &list() { return *widget.findChild<TilePanel *>(QStringLiteral("smRequirements"))->model(); }
    ItemPanelModel &commands() { return *widget.findChild<TilePanel *>(QStringLiteral("smButtons"))->model(); }
    QComboBox &curricula() { return *widget.findChild<QComboBox *>(QStringLiteral("cbOrient")); }

    zrRequirements widget;
};

// What a hand-written loader holds for one parameter row.
struct FlatRow
{
    QString key;
    QString caption;
    QVariant value;
    QString text;
};

// The rows of each requirement type as the editor built them: the header's
// caption, then field name and caption per parameter row.
struct Sheet
{
    QString header;
    std::vector<std::pair<QString, QString>> rows;
};

QHash<int, Sheet> sheetsOf(ItemPanelModel &list, const Recordset &rows)
{
    QHash<int, Sheet> sheets;
    for (Recordset r = rows.clone(); !r.eof(); r.moveNext()) {
        const int type = r.value(u"conID").toInt();
        if (sheets.contains(type))
            continue;
        const QString group = QStringLiteral("I") + r.value(u"ocID").toString();
        Sheet sheet{list.caption(group), {}};
        for (const QString &key : list.keys(group))
            sheet.rows.emplace_back(key.mid(key.indexOf(QLatin1Char(',')) + 1), list.caption(key));
        sheets.insert(type, sheet);
    }
    return sheets;
}

// The floor: walk the same rows, and for each requirement build its header
// and parameter rows with their captions, stored values and value texts.
void buildFlat(std::vector<FlatRow> &out, const Recordset &rows, const QHash<int, Sheet> &sheets)
{
    out.clear();
    Recordset r = rows.clone();
    r.setFilter(rows.filter());
    for (; !r.eof(); r.moveNext()) {
        const QString group = QStringLiteral("I") + r.value(u"ocID").toString();
        const Sheet &sheet = sheets[r.value(u"conID").toInt()];
        out.push_back({group, sheet.header, QVariant(), QString()});
        for (const auto &[field, caption] : sheet.rows) {
            const QVariant value = r.hasField(field) ? r.value(field) : QVariant();
            out.push_back({group + QLatin1Char(',') + field, caption, value, value.toString()});
        }
    }
}

struct LoadFigures
{
    qint64 floorNs;
    qint64 loadNs;
    int items;
};

LoadFigures measureLoad(const QString &server)
{
    Editor editor(server);
    const Recordset parent = loadObject(server);
    editor.load(parent); // fills the code-table cache as a host's first load does
    const Recordset rows = editor.widget.rsConstraints();
    const QHash<int, Sheet> sheets = sheetsOf(editor.list(), rows);
    std::vector<FlatRow> flat;
    const auto [floorNs, loadNs] = bench::medianCpuPair([&] { buildFlat(flat, rows, sheets); },
                                                        [&] { editor.load(parent); });
    return {floorNs, loadNs, editor.list().itemCount()};
}

// ValidateRecords and UpdateRecordset on a loaded set; each round writes the
// list back into the rows again.
void save(Editor &editor)
{
    try {
        if (!editor.widget.ValidateRecords())
            std::fprintf(stderr, "a requirement failed validation\n");
        editor.widget.UpdateRecordset();
    } catch (const ZrError &error) {
        std::fprintf(stderr, "save failed: %d %s\n", error.number, qPrintable(error.description));
    }
}

// The small and the large set saved in turns, round by round, so that a busy
// moment of the shared machine falls on both; the median of many rounds.
std::pair<qint64, qint64> measureSaves(const QString &smallServer, const QString &bigServer)
{
    Editor small(smallServer);
    small.load(loadObject(smallServer));
    Editor big(bigServer);
    big.load(loadObject(bigServer));
    return bench::medianCpuPair([&] { save(small); }, [&] { save(big); }, 21);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitLanguage(LangGreek);
    RegisterServer();
    // An argument picks one part (load, load300, load3000, switch ...), for profiling.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const auto run = [&](const char *part) { return only.isEmpty() || only == QLatin1String(part); };
    QTemporaryDir dir;
    bool ok = true;

    LargeVolume sizes;
    sizes.students = 200; // the editor never lists students

    std::optional<LoadFigures> small, big;
    if (run("load") || run("load300")) {
        sizes.requirements = 300;
        small = measureLoad(makeDatabase(dir, QStringLiteral("small.db"), sizes));
        ok &= bench::report(QStringLiteral("editor: load 300 requirements + paint / structs"), small->floorNs,
                            small->loadNs, 3.0);
    }
    if (run("load") || run("load3000")) {
        sizes.requirements = 3000;
        big = measureLoad(makeDatabase(dir, QStringLiteral("big.db"), sizes));
        ok &= bench::report(QStringLiteral("editor: load 3000 requirements (%1 items) + paint / structs").arg(big->items),
                            big->floorNs, big->loadNs, 1.5);
    }
    if (small && big)
        ok &= bench::report(QStringLiteral("editor: load 3000 / load 300 requirements (linear: 10x)"), small->loadNs,
                            big->loadNs, 11.0);

    if (run("save")) {
        sizes.requirements = 300;
        const QString smallServer = makeDatabase(dir, QStringLiteral("save300.db"), sizes);
        sizes.requirements = 3000;
        const auto [small, big] = measureSaves(smallServer, makeDatabase(dir, QStringLiteral("save3000.db"), sizes));
        ok &= bench::report(QStringLiteral("editor: validate + write back 3000 / 300 requirements (linear: 10x)"),
                            small, big, 11.0);
    }

    if (run("wizard")) {
        sizes.requirements = 3000;
        const QString server = makeDatabase(dir, QStringLiteral("wizard.db"), sizes);
        Editor editor(server);
        editor.load(loadObject(server));
        auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), server);
        int described = 0;
        int shown = 0;
        const auto [floorNs, wizardNs] = bench::medianCpuPair(
            [&] {
                QVariant kind = ProgrammeKind, context = Degree, object = QString::number(LargeVolumeKeys::programme),
                         curriculum = QString::number(LargeVolumeKeys::curriculum);
                described = constraints->LoadConstraintsWithDescription(kind, context, object, curriculum).recordCount();
            },
            [&] {
                // The wizard is modal: once it is up, paint it and cancel it.
                QTimer::singleShot(0, [&] {
                    if (auto *wizard = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                        wizard->repaint();
                        shown = 1;
                        wizard->reject();
                    }
                });
                shown = 0;
                editor.commands().clickItem(QStringLiteral("coneval"));
            });
        if (described != 3000 || shown != 1)
            std::fprintf(stderr, "unexpected wizard run: %d described, wizard shown %d\n", described, shown);
        ok &= bench::report(QStringLiteral("editor: open expression wizard on 3000 / LoadConstraintsWithDescription"),
                            floorNs, wizardNs, 2.0);
    }

    if (run("switch")) {
        sizes.requirements = 300;
        sizes.curricula = 10;
        sizes.curriculumSets = 10;
        const QString server = makeDatabase(dir, QStringLiteral("curricula.db"), sizes);
        Editor editor(server);
        const Recordset parent = loadObject(server);
        editor.load(parent);
        QComboBox &chooser = editor.curricula();
        if (chooser.count() != 10 || editor.widget.rsConstraints().recordCount() != 300) {
            std::fprintf(stderr, "unexpected set: %d curricula, %d rows\n", chooser.count(),
                         editor.widget.rsConstraints().recordCount());
            return 1;
        }
        int next = 0;
        const auto [loadNs, switchNs] = bench::medianCpuPair(
            [&] {
                // Loading one curriculum: the host assigns the set again.
                editor.load(parent);
            },
            [&] {
                next = (chooser.currentIndex() + 1) % chooser.count();
                chooser.setCurrentIndex(next);
                Q_EMIT chooser.activated(next);
                editor.widget.repaint();
            });
        if (editor.widget.rsConstraints().recordCount() != 300)
            std::fprintf(stderr, "after switching: %d rows\n", editor.widget.rsConstraints().recordCount());
        ok &= bench::report(QStringLiteral("editor: switch curriculum (10 x 300) / load one curriculum"), loadNs,
                            switchNs, 1.5);
    }
    if (run("try")) {
        sizes.requirements = 300;
        const QString server = makeDatabase(dir, QStringLiteral("try.db"), sizes);
        Editor editor(server);
        editor.load(loadObject(server));
        const AuditCodes codes = LoadAuditCodes(*CreateServerObjectAs<cDepartment>(QStringLiteral("zrQEMSvr"), server),
                                                LargeVolumeKeys::department());
        StudentRecord record;
        CreateServerObjectAs<cStudent>(QStringLiteral("zrQEMSvr"), server)
            ->WalkStudentRecords(LargeVolumeKeys::programme, LargeVolumeKeys::curriculum, {},
                                 [&](const StudentRecordRows &rows) {
                                     record = StudentRecord::fromRows(rows);
                                     return record.results.size() < 30; // a student well into his studies
                                 });
        int checked = 0;
        const auto [paintNs, tryNs] = bench::medianCpuPair(
            [&] { editor.widget.repaint(); },
            [&] {
                checked = int(AuditSet::prepare(editor.widget.shownValues(), editor.widget.expression(), codes)
                                  .evaluate(record)
                                  .requirements.size());
            });
        if (checked != 300)
            std::fprintf(stderr, "tried %d requirements\n", checked);
        // Reported, not judged: the pane checks 250 ms after the last edit, so typing never waits for it.
        bench::report(QStringLiteral("try pane: check 300 requirements on one student / one editor repaint"), paintNs,
                      tryNs, 1e9);
    }
    return ok ? 0 : 2;
}
