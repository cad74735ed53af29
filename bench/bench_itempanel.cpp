// Rebuilding the requirement list: 3,000 requirement blocks of 22 items each
// (header, 13 parameter rows, 8 choices), first paint included, against
// filling the same keys, captions and values into a vector of structs.

#include "benchutil.h"

#include "itempanel/itempanelmodel.h"
#include "itempanel/tilepanel.h"

#include <QApplication>
#include <QTreeView>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

namespace Style = zr::ItemStyle;

constexpr int Blocks = 3000;

struct Param
{
    QString field;
    QString caption;
    int style;
    QString value;
    QStringList choiceCodes; // choice rows only
};

// One block as the course-type requirement builds it; 14 rows + 8 choices = 22 items.
std::vector<Param> blockTemplate()
{
    const QStringList ops = {"0", "3", "4", "5"};
    const QStringList totals = {"0", "1", "2", "3"};
    return {
        {"conselobjIDs", "Course types", Style::Picker, "Compulsory, Elective", {}},
        {"conoptval6", "Total to", Style::ChoiceRow, "", totals},
        {"conoperator", "Operator", Style::ChoiceRow, "", ops},
        {"conoptval1", "Value 1", Style::Entry, "120", {}},
        {"conoptval2", "Value 2", Style::Entry, "", {}},
        {"conoptval4", "Minimum", Style::Entry, "0", {}},
        {"conoptval7", "Course exception", Style::Picker, "", {}},
        {"conoptval8", "Course type exception", Style::Picker, "", {}},
        {"conoptval9", "Course modes", Style::Picker, "", {}},
        {"conoptval10", "Course sectors", Style::Picker, "", {}},
        {"conoptval11", "Subjects", Style::Picker, "", {}},
        {"conoptval5", "Options", Style::Picker, "", {}},
        {"conoptval12", "Average course types", Style::Picker, "", {}},
    };
}

struct FlatRow
{
    QString key;
    QString caption;
    int style;
    QVariant value;
};

void fillFloor(std::vector<FlatRow> &rows, const std::vector<Param> &params)
{
    rows.clear();
    rows.reserve(size_t(Blocks) * 22);
    for (int b = 1; b <= Blocks; ++b) {
        const QString id = QString::number(-b);
        const QString group = QLatin1Char('I') + id;
        rows.push_back({group, QStringLiteral("Course types"), Style::Header, QVariant()});
        for (const Param &p : params) {
            const QString key = group + QLatin1Char(',') + p.field;
            rows.push_back({key, p.caption, p.style, p.value});
            for (const QString &code : p.choiceCodes)
                rows.push_back({QLatin1String("KI") + id + QLatin1Char(',') + code, code, Style::Choice, QVariant()});
        }
    }
}

void fillPanel(zr::TilePanel &panel, const std::vector<Param> &params)
{
    zr::ItemPanelModel &m = *panel.model();
    panel.setRedraw(false);
    m.clear();
    for (int b = 1; b <= Blocks; ++b) {
        const QString id = QString::number(-b);
        const QString group = QLatin1Char('I') + id;
        m.addItem(group, QStringLiteral("Course types"), Style::Header);
        for (const Param &p : params) {
            const QString key = group + QLatin1Char(',') + p.field;
            m.addItem(key, p.caption, p.style, group);
            if (p.choiceCodes.isEmpty()) {
                m.setValue(key, p.value);
            } else {
                for (const QString &code : p.choiceCodes)
                    m.addChoice(key, QLatin1String("KI") + id + QLatin1Char(',') + code, code);
                m.selectChoiceAt(key, 0);
            }
        }
    }
    panel.setRedraw(true);
}

// CPU time of this thread: on a machine shared with builds, wall time mostly
// measures the other processes; both the floor and the panel are timed alike.
qint64 threadNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

qint64 medianOf(std::vector<qint64> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const std::vector<Param> params = blockTemplate();
    std::vector<FlatRow> rows;
    zr::TilePanel panel;
    panel.resize(600, 800);
    panel.show();
    QApplication::processEvents();

    // Floor and panel alternate within each round, so that a busy machine slows both alike.
    std::vector<qint64> floorTimes, rebuildTimes, expandTimes;
    constexpr int Rounds = 11;
    for (int round = 0; round <= Rounds; ++round) {
        qint64 start = threadNs();
        fillFloor(rows, params);
        const qint64 floorNs = threadNs() - start;

        start = threadNs();
        fillPanel(panel, params);
        panel.grab(); // the first paint of the rebuilt list
        const qint64 rebuildNs = threadNs() - start;

        start = threadNs();
        panel.expandAll();
        panel.grab();
        const qint64 expandNs = threadNs() - start;
        panel.collapseAll();

        if (round == 0)
            continue; // warm-up
        floorTimes.push_back(floorNs);
        rebuildTimes.push_back(rebuildNs);
        expandTimes.push_back(expandNs);
    }
    if (panel.model()->itemCount() != Blocks * 14 || rows.size() != size_t(Blocks) * 22) {
        std::fprintf(stderr, "unexpected item count %d / %zu\n", panel.model()->itemCount(), rows.size());
        return 1;
    }
    const qint64 floorNs = medianOf(floorTimes);

    bool ok = zr::bench::report("item panel: rebuild 3000 blocks x 22 items + first paint", floorNs,
                                medianOf(rebuildTimes), 2.5);
    ok &= zr::bench::report("item panel: expand all 3000 blocks + paint", floorNs, medianOf(expandTimes), 2.0);
    return ok ? 0 : 2;
}
