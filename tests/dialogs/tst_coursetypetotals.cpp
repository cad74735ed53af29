#include "common/langstrings.h"
#include "../datafile.h"
#include "dialogfixture.h"
#include "../reqtypes/sheetfixture.h"
#include "recordset/recordset.h"
#include "common/zrerror.h"
#include "reqtypes/coursetypetotals.h"
#include "dialogs/coursetypetotalsmodel.h"
#include "dialogs/frmcoursetypes.h"
#include "dialogs/frmmaxgradesettings.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <functional>
#include <memory>

using namespace zr;

namespace {

// The course-type lookup list as the editor caches it, in the server's order (not by id).
Recordset courseTypes()
{
    return zr::test::codeTable("ctypeID", {"ctypedesc", "ctypeabbr"},
                               {{5, "Υποχρεωτικό", "Υ"}, {3, "Κατ' επιλογήν", "ΚΕ"}, {7, "Ελεύθερο", "ΕΛ"}, {1, "Πρακτική", "ΠΡ"}});
}

// "id:count" for the checked rows of a working list, in its order ("id:" when cnt is null).
QString checkedRows(const Recordset &rs)
{
    QStringList out;
    const int sel = rs.fieldIndex(u"sel");
    const int cnt = rs.fieldIndex(u"cnt");
    const int id = rs.fieldIndex(u"ctypeID");
    for (int row = 0; row < rs.recordCount(); ++row) {
        if (rs.valueAt(row, sel).toInt() == -1)
            out << rs.valueAt(row, id).toString() + ':' + rs.valueAt(row, cnt).toString();
    }
    return out.join(' ');
}

} // namespace

// The stored course-type totals, the working list of the totals dialogs and
// the caller's encoding, without a window and through the two dialogs.
class tst_CourseTypeTotals : public QObject
{
    Q_OBJECT


    struct Outcome
    {
        Recordset result;
        bool cancelled = false;
    };

    static std::unique_ptr<CourseTypeTotalsDialog> makeDialog(const QString &which)
    {
        if (which == "min")
            return std::make_unique<frmCourseTypes>();
        return std::make_unique<frmMaxGradeSettings>();
    }

    // Runs Select_CourseTypeTotals over the sample course types with `act` driving the open dialog.
    Outcome runDialog(const QString &which, const QString &stored,
                      const std::function<void(CourseTypeTotalsDialog *, QTableView *)> &act)
    {
        auto dialog = makeDialog(which);
        Outcome outcome;
        zr::test::whenModal<CourseTypeTotalsDialog>(this, [&act](CourseTypeTotalsDialog *open) {
            auto *grid = open->findChild<QTableView *>(QStringLiteral("gxCourseTypes"));
            QVERIFY(grid);
            QAbstractItemModelTester tester(grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
            act(open, grid);
        });
        outcome.result = dialog->Select_CourseTypeTotals(courseTypes(), stored, true, outcome.cancelled);
        return outcome;
    }

    // Opens the editor of the number column of `row`, types `text` and ends with `key`.
    static void typeCount(QTableView *grid, int row, const QString &text, Qt::Key key = Qt::Key_Return)
    {
        const QModelIndex index = grid->model()->index(row, CourseTypeTotalsModel::CountColumn);
        grid->setCurrentIndex(index);
        grid->edit(index);
        auto *editor = grid->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->selectAll();
        if (text.isEmpty())
            QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, text);
        if (key != Qt::Key_unknown)
            QTest::keyClick(editor, key);
    }

    // The number column as shown, row by row: "5:2 3: ..." ("*" after a checked row's id).
    static QString gridState(const QAbstractItemModel *model)
    {
        QStringList rows;
        for (int row = 0; row < model->rowCount(); ++row) {
            const bool checked = model->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
            rows << QString::number(row) + (checked ? "*" : "") + ':'
                    + model->index(row, CourseTypeTotalsModel::CountColumn).data().toString();
        }
        return rows.join(' ');
    }

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    // A stored text and the items it reads as, "id=count" each.
    void parsesStoredTotals_data() { zr::test::addDataRows(QFINDTESTDATA("data/coursetypetotals-parses-stored-totals.tsv")); }
    void parsesStoredTotals()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QStringList items;
        for (const CourseTypeTotal &total : ParseCourseTypeTotals(stored))
            items << QStringLiteral("%1=%2").arg(total.typeId).arg(total.count);
        QCOMPARE(items.join(QLatin1Char(' ')), expected);
    }

    void buildsWorkingList()
    {
        Recordset types = courseTypes();
        types.moveNext(); // the caller's position must survive
        const Recordset working = BuildCourseTypesWorkingList(types, true);
        QCOMPARE(types.absolutePosition(), 2);
        QCOMPARE(working.recordCount(), 5);
        QStringList ids;
        for (int row = 0; row < working.recordCount(); ++row)
            ids << working.valueAt(row, 0).toString();
        QCOMPARE(ids, QStringList({"5", "3", "7", "1", "-1"}));
        QVERIFY(!working.hasPendingChanges());
        QVERIFY(!working.sharesRowsWith(types));

        const Recordset noTotal = BuildCourseTypesWorkingList(types, false);
        QCOMPARE(noTotal.recordCount(), 4);

        // No list at all is the recordset's error, raised to the caller.
        QVERIFY_THROWS_EXCEPTION(ZrError, BuildCourseTypesWorkingList(Recordset(), true));
    }

    // Stored totals applied to the working list, then read back as the dialog's
    // result (working-list order) and encoded as the editor stores it.
    void roundTripsTotals_data() { zr::test::addDataRows(QFINDTESTDATA("data/coursetypetotals-round-trips-totals.tsv")); }
    void roundTripsTotals()
    {
        QFETCH(QString, stored);
        QFETCH(QString, checked);
        QFETCH(QString, encoded);
        Recordset working = BuildCourseTypesWorkingList(courseTypes(), true);
        ApplyCourseTypeTotals(working, stored, QStringLiteral("test"));
        QVERIFY(!working.isFiltered());
        QCOMPARE(working.recordCount(), 5);
        QCOMPARE(checkedRows(working), checked);

        const Recordset result = CheckedCourseTypes(working);
        QCOMPARE(result.fieldCount(), working.fieldCount());
        QCOMPARE(checkedRows(result), checked);
        QCOMPARE(result.recordCount(), checked.isEmpty() ? 0 : int(checked.count(' ')) + 1);
        QCOMPARE(EncodeCourseTypeTotals(result), encoded);
    }

    void refusesUnknownCourseType()
    {
        Recordset working = BuildCourseTypesWorkingList(courseTypes(), true);
        try {
            ApplyCourseTypeTotals(working, QStringLiteral("3;1#42;2"), QStringLiteral("frmCourseTypes.Select"));
            QFAIL("a course type missing from the list was accepted");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, 61100);
            QVERIFY(e.description.contains(QStringLiteral("42")));
        }
        QVERIFY(!working.isFiltered());
        QCOMPARE(working.recordCount(), 5);

        // Without the all-types row, -1 is just as unknown.
        Recordset noTotal = BuildCourseTypesWorkingList(courseTypes(), false);
        QVERIFY_THROWS_EXCEPTION(ZrError, ApplyCourseTypeTotals(noTotal, QStringLiteral("-1;3"), QString()));
    }


    // Open with a stored value, act on the grid as the user does, leave the dialog,
    // and check what the caller stores. Rows: 0 type 5, 1 type 3, 2 type 7, 3 type 1, 4 all types.
    void dialogReturnsCheckedRows_data() { zr::test::addDataRows(QFINDTESTDATA("data/coursetypetotals-dialog-returns-checked-rows.tsv")); }
    void dialogReturnsCheckedRows()
    {
        QFETCH(QString, which);
        QFETCH(QString, stored);
        QFETCH(QString, opened);
        QFETCH(QStringList, actions);
        QFETCH(QString, close);
        QFETCH(bool, cancelled);
        QFETCH(QString, encoded);
        QString shown;
        const Outcome outcome = runDialog(which, stored, [&](CourseTypeTotalsDialog *dialog, QTableView *grid) {
            QAbstractItemModel *model = grid->model();
            shown = gridState(model);
            QVERIFY(!(model->flags(model->index(0, 1)) & Qt::ItemIsEditable));
            for (const QString &action : actions) {
                const QStringList part = action.split(' ');
                const int row = part[1].toInt();
                if (part[0] == "check" || part[0] == "uncheck") {
                    QVERIFY(model->setData(model->index(row, 0), part[0] == "check" ? Qt::Checked : Qt::Unchecked,
                                           Qt::CheckStateRole));
                } else if (part[0] == "space") {
                    grid->setCurrentIndex(model->index(row, 0));
                    QTest::keyClick(grid, Qt::Key_Space);
                } else if (part[0] == "type") {
                    typeCount(grid, row, part[2]);
                } else if (part[0] == "pending") {
                    typeCount(grid, row, part[2], Qt::Key_unknown);
                } else if (part[0] == "escape-edit") {
                    typeCount(grid, row, part[2], Qt::Key_Escape);
                    QVERIFY(dialog->isVisible());
                }
            }
            zr::test::leaveDialog(dialog, close, grid);
            QVERIFY(!dialog->isVisible());
        });
        QCOMPARE(shown, opened);
        QCOMPARE(outcome.cancelled, cancelled);
        QCOMPARE(outcome.result.isNull(), cancelled);
        if (!cancelled) {
            QCOMPARE(outcome.result.fieldCount(), 5);
            QCOMPARE(outcome.result.field(3).name, QStringLiteral("sel"));
            QCOMPARE(EncodeCourseTypeTotals(outcome.result), encoded);
        }
    }

    // What the dialog cannot take is said in it: a stored count that does
    // not read (shown as 0) and a typed one that is refused.
    void unreadableCountsAreNamed_data() { zr::test::addDataRows(QFINDTESTDATA("data/coursetypetotals-unreadable-counts-are-named.tsv")); }
    void unreadableCountsAreNamed()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, named);
        QString note;
        runDialog(QStringLiteral("min"), stored, [&](CourseTypeTotalsDialog *dialog, QTableView *grid) {
            if (!typed.isEmpty())
                typeCount(grid, 1, typed);
            // The view hands a typed value over once its editor has closed.
            if (!typed.isEmpty())
                QTRY_VERIFY(!grid->findChild<QLineEdit *>() || !grid->findChild<QLineEdit *>()->isVisible());
            note = zr::test::noteOf(dialog);
        });
        if (named.isEmpty())
            QCOMPARE(note, QString());
        else
            QVERIFY2(note.contains(QStringLiteral("«") + named + QStringLiteral("»")), qPrintable(note));
    }
};

QTEST_MAIN(tst_CourseTypeTotals)
#include "tst_coursetypetotals.moc"
