#include "../datafile.h"
#include "../reqtypes/sheetfixture.h"
#include "dialogfixture.h"
#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "common/zrerror.h"
#include "dialogs/coursetypetotalsmodel.h"
#include "dialogs/frmcoursetypes.h"
#include "dialogs/frmcustsettings.h"
#include "dialogs/frmmaxgradesettings.h"
#include "itempanel/tilepanel.h"
#include "reqtypes/coursetypetotals.h"
#include "reqtypes/customoptions.h"
#include "reqtypes/optionstext.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QTableView>
#include <QTreeView>
#include <QtTest>

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

// The dialogs of a requirement's parameters. The options: decoding, the use_coeff/max_grade
// interlock, the checks on OK and the encoding. The course-type totals: the stored text, the
// working list and the caller's encoding. Each without a window and through its dialog.
class tst_ParameterDialogs : public QObject
{
    Q_OBJECT

    // Each entry in position order, joined by |: a check box X checked, . unchecked (x and ,
    // when disabled), a number field its text.
    static QString optionsState(const CustomOptions &options)
    {
        QStringList state;
        for (const OptionEntry &entry : options.entries()) {
            const bool on = options.isChecked(entry.key), enabled = options.isEnabled(entry.key);
            state << (!entry.isCheckBox ? options.value(entry.key).toString()
                      : on ? QString(enabled ? "X" : "x") : QString(enabled ? "." : ","));
        }
        return state.join(QLatin1Char('|'));
    }

    struct OptionsOutcome
    {
        QVariant value;
        bool cancelled = false;
    };

    // Runs the options dialog (CustomSettings) with `act` driving the open dialog.
    OptionsOutcome runOptions(int type, const QVariant &stored, const std::function<void(frmCustSettings *)> &act)
    {
        frmCustSettings dialog;
        OptionsOutcome outcome{stored};
        zr::test::whenModal<frmCustSettings>(this, [&act](frmCustSettings *open) {
            QAbstractItemModelTester tester(panelModel(open), QAbstractItemModelTester::FailureReportingMode::QtTest);
            act(open);
        });
        dialog.CustomSettings(type, outcome.value, outcome.cancelled);
        return outcome;
    }

    static ItemPanelModel *panelModel(QWidget *dialog)
    {
        auto *panel = dialog->findChild<TilePanel *>(QStringLiteral("smSettings"));
        return panel ? panel->model() : nullptr;
    }

    struct TotalsOutcome
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

    // Runs a totals dialog (Select_CourseTypeTotals) over the sample course types with `act` driving the open dialog.
    TotalsOutcome runTotals(const QString &which, const QString &stored,
                      const std::function<void(CourseTypeTotalsDialog *, QTableView *)> &act)
    {
        auto dialog = makeDialog(which);
        TotalsOutcome outcome;
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

    QStringList m_messages; // texts of the message boxes shown

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }
    void init() { m_messages.clear(); }

    // Stored options: what decoding shows and what OK writes back.
    void decodesAndReencodes_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-decodes-and-reencodes.tsv")); }
    void decodesAndReencodes()
    {
        QFETCH(int, type);
        QFETCH(QVariant, stored);
        QFETCH(QString, state);
        QFETCH(QString, encoded);
        const CustomOptions options = CustomOptions::decode(type, stored);
        QCOMPARE(optionsState(options), state);
        options.check(QStringLiteral("test"));
        QCOMPARE(options.encode(), encoded);
    }

    // Edited fields: the first failing field names its message; whole numbers encode.
    void checksAndEncodesEditedLimits_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-checks-and-encodes-edited-limits.tsv")); }
    void checksAndEncodesEditedLimits()
    {
        QFETCH(QString, greater);
        QFETCH(QString, less);
        QFETCH(int, message);
        QFETCH(QString, encoded);
        CustomOptions options = CustomOptions::decode(100, QStringLiteral("6"));
        QVERIFY(options.setValue("excludePtyxStudents", greater));
        QVERIFY(options.setValue("excludeStudents", less));
        try {
            options.check(QStringLiteral("frmCustSettings.cmdOK_Click"));
            QCOMPARE(options.encode(), encoded);
            QCOMPARE(0, message);
        } catch (const ZrError &e) {
            QCOMPARE(e.number, CustomOptions::CheckErrorNumber);
            QCOMPARE(e.description, GetLangString(message));
        }
    }

    // A sequence of user clicks ("+key" checks, "-key" unchecks), which of them the
    // options accepted (a disabled box refuses), and the boxes after them.
    void interlocksUseCoeffAndMaxGrade_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-interlocks-use-coeff-and-max-grade.tsv")); }
    void interlocksUseCoeffAndMaxGrade()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, clicks);
        QFETCH(QString, accepted);
        QFETCH(QString, state);
        QFETCH(QString, encoded);
        CustomOptions options = CustomOptions::decode(90, stored);
        QString got;
        for (const QString &click : clicks)
            got += options.setValue(click.mid(1), click.startsWith(QLatin1Char('+')) ? 1 : 0) ? 'y' : 'n';
        QCOMPARE(got, accepted);
        QCOMPARE(optionsState(options), state);
        options.check(QStringLiteral("test"));
        QCOMPARE(options.encode(), encoded);
    }

    // Clicks can never check both; values set around the interlock are stopped on OK.
    // (Either flag alone passes the check: see the decoded-flags rows.)
    void refusesWeightedMaximumAverage()
    {
        CustomOptions options(80);
        QVERIFY(options.setValue("use_coeff", 1, CustomOptions::Interlock::Skip));
        QVERIFY(options.setValue("max_grade", 1, CustomOptions::Interlock::Skip));
        try {
            options.check(QStringLiteral("frmCustSettings.cmdOK_Click"));
            QFAIL("a weighted maximum average passed the check");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, 10000);
            QCOMPARE(e.description, GetLangString(20555));
        }
    }

    // Edits made as the user makes them ("key=value", refused by a disabled entry),
    // then how the dialog is left, and what the caller gets back.
    void dialogReturnsEncodedOptions_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-dialog-returns-encoded-options.tsv")); }
    void dialogReturnsEncodedOptions()
    {
        QFETCH(int, type);
        QFETCH(QString, stored);
        QFETCH(QStringList, edits);
        QFETCH(QString, close);
        QFETCH(bool, cancelled);
        QFETCH(QString, value);
        const OptionsOutcome outcome = runOptions(type, stored, [&](frmCustSettings *dialog) {
            ItemPanelModel *model = panelModel(dialog);
            for (const QString &edit : edits) {
                QString key = edit.section('=', 0, 0);
                const QString text = edit.section('=', 1);
                if (key.startsWith('@')) {
                    key.remove(0, 1);
                    QVERIFY(model->setValue(key, text.toInt()));
                    continue;
                }
                QVERIFY(model->contains(key));
                if (model->kind(key) == ItemPanelModel::Kind::CheckBox)
                    model->setData(model->indexOf(key, ItemPanelModel::ValueColumn),
                                   text == "1" ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
                else
                    model->editValue(key, text);
            }
            zr::test::leaveDialog(dialog, close, dialog->findChild<QTreeView *>());
            QVERIFY(!dialog->isVisible());
        });
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(outcome.cancelled, cancelled);
        QCOMPARE(outcome.value.toString(), value);
    }

    // A failed check shows its message, keeps the dialog open, and the corrected value goes through.
    void dialogShowsFailedCheckAndStaysOpen_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-dialog-shows-failed-check-and-stays-open.tsv")); }
    void dialogShowsFailedCheckAndStaysOpen()
    {
        QFETCH(int, type);
        QFETCH(QString, stored);
        QFETCH(QStringList, before);
        QFETCH(int, message);
        QFETCH(QStringList, fix);
        QFETCH(QString, value);
        bool stayedOpen = false;
        const OptionsOutcome outcome = runOptions(type, stored, [&](frmCustSettings *dialog) {
            ItemPanelModel *model = panelModel(dialog);
            for (const QString &edit : before)
                model->setValue(edit.section('=', 0, 0), edit.section('=', 1));
            zr::test::answerMessages(this, {IdOk}, &m_messages);
            dialog->accept();
            stayedOpen = dialog->isVisible();
            for (const QString &edit : fix)
                model->setValue(edit.section('=', 0, 0), edit.section('=', 1));
            QTest::mouseClick(dialog->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        });
        QVERIFY(stayedOpen);
        QCOMPARE(m_messages, QStringList{GetLangString(message)});
        QCOMPARE(LastError().number, 10000);
        QVERIFY(!outcome.cancelled);
        QCOMPARE(outcome.value.toString(), value);
    }

    // A stored value the dialog cannot read is named in it, not dropped unseen.
    void unreadableStoredOptionsAreNamed_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-unreadable-stored-options-are-named.tsv")); }
    void unreadableStoredOptionsAreNamed()
    {
        QFETCH(int, type);
        QFETCH(QString, stored);
        QFETCH(QString, named);
        QString note;
        runOptions(type, stored, [&](frmCustSettings *dialog) { note = zr::test::noteOf(dialog); });
        if (named.isEmpty())
            QCOMPARE(note, QString());
        else
            QVERIFY2(note.contains(QStringLiteral("«") + named + QStringLiteral("»")), qPrintable(note));
    }

    void describesOptions_data() { zr::test::addDataRows(QFINDTESTDATA("data/customsettings-describes-options.tsv")); }
    void describesOptions()
    {
        QFETCH(int, type);
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QCOMPARE(OptionsText(type, stored), expected);
    }

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
        const TotalsOutcome outcome = runTotals(which, stored, [&](CourseTypeTotalsDialog *dialog, QTableView *grid) {
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
        runTotals(QStringLiteral("min"), stored, [&](CourseTypeTotalsDialog *dialog, QTableView *grid) {
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

QTEST_MAIN(tst_ParameterDialogs)
#include "tst_parameterdialogs.moc"
