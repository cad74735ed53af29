#include "itempanel/itempanelmodel.h"
#include "../datafile.h"
#include "common/langstrings.h"
#include "recordset/recordset.h"
#include "common/schema.h"
#include "common/zrerror.h"
#include "search/frmselfromlist.h"
#include "search/zrsearchx.h"
#include "searchfixture.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeView>
#include <QTest>
#include <QTimer>

using namespace zr;
using zr::test::TestSchema;

namespace {

// Students 1..count: "AEM<n>", lastname from a short cycle, alternating gender.
Recordset students(int count)
{
    Recordset rs({makeField(QStringLiteral("student_ID"), adInteger), makeField(QStringLiteral("spec_aem"), adVarWChar, 20),
                  makeField(QStringLiteral("lastname"), adVarWChar, 100), makeField(QStringLiteral("gender"), adVarWChar, 1),
                  makeField(QStringLiteral("statusID"), adInteger)});
    const QStringList names = {QStringLiteral("Παπαδόπουλος"), QStringLiteral("O'Brien"), QStringLiteral("Νικολάου")};
    for (int i = 1; i <= count; ++i) {
        rs.addNew();
        rs.setValue(0, i);
        rs.setValue(1, QStringLiteral("AEM%1").arg(i));
        rs.setValue(2, names.at((i - 1) % names.size()));
        rs.setValue(3, i % 2 ? QStringLiteral("Α") : QStringLiteral("Θ"));
        rs.setValue(4, 1 + i % 2);
    }
    rs.updateBatch();
    rs.moveFirst();
    return rs;
}

SelectRsOptions studentOptions(const TestSchema &schema)
{
    SelectRsOptions options;
    options.schema = &schema;
    options.tableName = QStringLiteral("v_students");
    options.layoutName = QStringLiteral("selectStudents");
    options.idField = QStringLiteral("student_ID");
    options.displayField = QStringLiteral("spec_aem");
    options.requestName = QStringLiteral("students");
    options.title = QStringLiteral("Επιλογή φοιτητών");
    return options;
}

// Courses 1..n of semesters `semesters` (an invalid value leaves the semester empty), all of course type `kind`.
Recordset courses(const QVariantList &semesters, int kind = 0)
{
    Recordset rs({makeField(QStringLiteral("courseID"), adInteger), makeField(QStringLiteral("coursecode"), adVarWChar, 20),
                  makeField(QStringLiteral("semID"), adInteger), makeField(QStringLiteral("coursetype"), adInteger)});
    for (int i = 0; i < semesters.size(); ++i) {
        rs.addNew();
        rs.setValue(0, i + 1);
        rs.setValue(1, QStringLiteral("ΜΑΘ%1").arg(i + 1));
        if (semesters.at(i).isValid())
            rs.setValue(2, semesters.at(i));
        rs.setValue(3, kind);
    }
    rs.updateBatch();
    rs.moveFirst();
    return rs;
}

// Triggers the toolbar's entry for grouping by `field`.
bool groupBy(frmSelFromList &dialog, const QString &field)
{
    auto *group = dialog.findChild<QAction *>(QStringLiteral("group"));
    if (!group || !group->menu())
        return false;
    for (QAction *entry : group->menu()->actions()) {
        if (entry->objectName() == QStringLiteral("group:") + field) {
            entry->trigger();
            return true;
        }
    }
    return false;
}

// Each group row as "heading|ids of its rows".
QStringList groupsOf(const QTreeView *tree)
{
    QStringList groups;
    const QAbstractItemModel *model = tree->model();
    for (int g = 0; g < model->rowCount(); ++g) {
        const QModelIndex group = model->index(g, 0);
        QStringList ids;
        for (int r = 0; r < model->rowCount(group); ++r)
            ids << model->index(r, 0, group).data().toString();
        groups << group.data().toString() + QLatin1Char('|') + ids.join(QLatin1Char(','));
    }
    return groups;
}

// The status line for a list of `count` (not 1) records.
QString statusFor(int count)
{
    return ReplaceParams(GetLangString(count ? 20574 : 20572), {QString::number(count)});
}

} // namespace

class TestFrmSelFromList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitLanguage(LangGreek); }

    // The filter the caller receives: the base filter narrowed by the search pane's statement, the table's own text included.
    void searchAsksWithCombinedFilter_data() { zr::test::addDataRows(QFINDTESTDATA("data/frmselfromlist-search-asks-with-combined-filter.tsv")); }

    void searchAsksWithCombinedFilter()
    {
        QFETCH(QString, baseFilter);
        QFETCH(QString, tableWhere);
        QFETCH(QString, lastname);
        QFETCH(QString, expected);

        TestSchema schema;
        schema.students.whereText = tableWhere;
        frmSelFromList dialog;
        QStringList requests;
        connect(&dialog, &frmSelFromList::DataRequest, &dialog,
                [&](const QString &name, const QString &filter, Recordset &result) {
                    requests << name + QLatin1Char('|') + filter;
                    result = students(3);
                });
        SelectRsOptions options = studentOptions(schema);
        options.baseFilter = baseFilter;
        dialog.setup(options);
        zrSearchX *search = dialog.findChild<zrSearchX *>(QStringLiteral("zrSearch1"));
        QVERIFY(search);
        if (!lastname.isEmpty())
            QVERIFY(search->fieldsPanel()->editValue(QStringLiteral("lastname"), lastname));
        search->buttonsPanel()->clickItem(QStringLiteral("find"));
        QCOMPARE(requests, QStringList{QStringLiteral("students|") + expected});
        QCOMPARE(dialog.listModel()->rowCount(), 3);
    }

    // What the caller answers decides the list and the status line; an error keeps the dialog open.
    void dataRequestAnswerFillsList_data()
    {
        QTest::addColumn<int>("answerRows"); // -1: no recordset, -2: throws
        QTest::addColumn<int>("expectedRows");
        QTest::addColumn<QString>("expectedStatus");
        QTest::addColumn<bool>("expectMessage");

        QTest::newRow("no recordset") << -1 << 0 << statusFor(0) << false;
        QTest::newRow("many records") << 1234 << 1234 << statusFor(1234) << false;
        QTest::newRow("server error keeps the list") << -2 << 5 << statusFor(5) << true;
    }

    void dataRequestAnswerFillsList()
    {
        QFETCH(int, answerRows);
        QFETCH(int, expectedRows);
        QFETCH(QString, expectedStatus);
        QFETCH(bool, expectMessage);

        TestSchema schema;
        frmSelFromList dialog;
        connect(&dialog, &frmSelFromList::DataRequest, &dialog, [&](const QString &, const QString &, Recordset &result) {
            if (answerRows == -2)
                throw ZrError(462, QStringLiteral("cStudent.LoadStudents"), QStringLiteral("Ο διακομιστής δεν απαντά"));
            if (answerRows >= 0)
                result = students(answerRows);
        });
        SelectRsOptions options = studentOptions(schema);
        options.list = students(5);
        dialog.setup(options);
        QAbstractItemModelTester tester(dialog.listModel());
        QCOMPARE(dialog.statusText(), statusFor(5));
        dialog.show();

        QString shownMessage;
        QTimer::singleShot(0, &dialog, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shownMessage = box->text();
                box->reject();
            }
        });
        dialog.search(QString());
        QCOMPARE(dialog.listModel()->rowCount(), expectedRows);
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("smStatus"))->text(), expectedStatus);
        QCOMPARE(shownMessage, expectMessage ? QStringLiteral("Ο διακομιστής δεν απαντά") : QString());
        QVERIFY(dialog.isVisible());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void choosingAndCancelling_data() { zr::test::addDataRows(QFINDTESTDATA("data/frmselfromlist-choosing-and-cancelling.tsv")); }

    void choosingAndCancelling()
    {
        QFETCH(bool, multi);
        QFETCH(QString, currentValue);
        QFETCH(QStringList, rows);
        QFETCH(bool, searchAfter);
        QFETCH(bool, accept);
        QFETCH(QString, keys);
        QFETCH(QStringList, texts);

        TestSchema schema;
        frmSelFromList dialog;
        connect(&dialog, &frmSelFromList::DataRequest, &dialog,
                [](const QString &, const QString &, Recordset &result) { result = students(10); });
        SelectRsOptions options = studentOptions(schema);
        options.list = students(6);
        options.multiSelect = multi;
        options.currentValue = currentValue;
        options.displayTemplate = QStringLiteral("[%spec_aem%] %lastname%");
        dialog.setup(options);
        for (const QString &row : rows)
            dialog.setChosen(row.toInt(), true);
        if (searchAfter)
            dialog.search(QString());
        accept ? dialog.accept() : dialog.reject();

        const SelectRsResult result = dialog.outcome();
        QCOMPARE(result.cancelled, !accept);
        QCOMPARE(result.keysText, keys);
        QCOMPARE(result.texts, texts);
        QCOMPARE(result.records.isNull(), keys.isEmpty());
        if (!result.records.isNull()) {
            QStringList ids;
            Recordset chosen = result.records;
            for (chosen.moveFirst(); !chosen.eof(); chosen.moveNext())
                ids << chosen.value(u"student_ID").toString();
            QCOMPARE(ids.join(QLatin1Char(',')), keys);
        }
    }

    void listCodesAreAskedForOnce()
    {
        TestSchema schema;
        frmSelFromList dialog;
        QStringList asked;
        connect(&dialog, &frmSelFromList::ListSourceRequest, &dialog,
                [&](bool &, const QString &source, Recordset &result, bool isQuery) {
                    asked << source + (isQuery ? QStringLiteral("?") : QString());
                    result = zr::test::statusList();
                });
        connect(&dialog, &frmSelFromList::DataRequest, &dialog,
                [](const QString &, const QString &, Recordset &result) { result = students(4); });
        SelectRsOptions options = studentOptions(schema);
        options.list = students(2);
        dialog.setup(options);
        dialog.search(QString());
        dialog.search(QString());
        // Once for the search pane's choices, once for the list's texts.
        QCOMPARE(asked, (QStringList{"SYS_StudentStatus", "SYS_StudentStatus"}));
        QCOMPARE(dialog.listModel()->index(0, 4).data().toString(), QStringLiteral("Σε αναστολή"));
        QCOMPARE(dialog.listModel()->index(1, 4).data().toString(), QStringLiteral("Ενεργός"));
        QCOMPARE(dialog.listModel()->index(1, 4).data(Qt::EditRole).toInt(), 1);
    }

    void courseKindsAreNamed_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("two kinds, the table named in any case") << "qemdepprogramcourses" << 6
                                   << GetLangString(20569) + QStringLiteral(", ") + GetLangString(20570);
        QTest::newRow("other lists show the code") << "QEMCourses" << 4 << "4";
    }

    void courseKindsAreNamed()
    {
        QFETCH(QString, table);
        QFETCH(int, kind);
        QFETCH(QString, shown);

        frmSelFromList dialog;
        SelectRsOptions options;
        options.list = courses({1}, kind);
        options.tableName = table;
        options.idField = QStringLiteral("courseID");
        dialog.setup(options);
        QCOMPARE(dialog.listModel()->index(0, 3).data().toString(), shown);
    }

    // One group per distinct shown value, in natural order, with its rows in list order, whether the
    // caller or the user chose the column; a new answer is grouped alike and the last choice goes back.
    void grouping_data()
    {
        zr::test::addDataRows(QFINDTESTDATA("data/frmselfromlist-grouping.tsv"));
        QTest::newRow("numbers by value, empty last")
            << QString() << false << "semID" << "semID" << true
            << QStringList{"Εξάμηνο: 2 (1)|4", "Εξάμηνο: 9 (1)|2", "Εξάμηνο: 10 (2)|1,5",
                           "Εξάμηνο: " + GetLangString(61600) + " (1)|3"};
    }

    void grouping()
    {
        QFETCH(QString, given);
        QFETCH(bool, listLater);
        QFETCH(QString, regroup);
        QFETCH(QString, returned);
        QFETCH(bool, courseList);
        QFETCH(QStringList, groups);

        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.groupBy = given;
        const Recordset list = courseList ? courses({10, 9, QVariant(), 2, 10}) : students(7);
        if (courseList) {
            options.tableName = QStringLiteral("QEMDepProgramCourses");
            options.idField = QStringLiteral("courseID");
        }
        if (!listLater)
            options.list = list;
        dialog.setup(options);
        dialog.show();
        if (listLater)
            dialog.setList(list);
        if (!regroup.isEmpty())
            QVERIFY(groupBy(dialog, regroup));
        auto *tree = dialog.findChild<QTreeView *>(QStringLiteral("groupedList"));
        for (int search = 0; search < 2; ++search) {
            QCOMPARE(tree->isVisible(), !returned.isEmpty());
            if (!returned.isEmpty()) {
                QAbstractItemModelTester tester(tree->model());
                QCOMPARE(groupsOf(tree), groups);
            }
            dialog.setList(list);
        }
        dialog.accept();
        QCOMPARE(dialog.outcome().groupBy, returned);
    }

    // The same records come back whichever view they were chosen in.
    void choosingInEveryView_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<bool>("multi");
        QTest::addColumn<QString>("keys");

        QTest::newRow("table, single") << "table" << false << "5";
        for (const QString view : {"groups", "cards"}) {
            QTest::addRow("%s, check boxes", qPrintable(view)) << view << true << "2,5";
            QTest::addRow("%s, single", qPrintable(view)) << view << false << "5";
        }
    }

    void choosingInEveryView()
    {
        QFETCH(QString, view);
        QFETCH(bool, multi);
        QFETCH(QString, keys);

        TestSchema schema;
        frmSelFromList dialog;
        SelectRsOptions options = studentOptions(schema);
        options.list = students(6);
        options.multiSelect = multi;
        dialog.setup(options);
        dialog.resize(900, 600);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        if (view == QLatin1String("groups"))
            QVERIFY(groupBy(dialog, QStringLiteral("gender")));
        if (view == QLatin1String("cards"))
            dialog.findChild<QAction *>(QStringLiteral("cards"))->trigger();
        auto *shown = qobject_cast<QAbstractItemView *>(
            dialog.findChild<QStackedWidget *>(QStringLiteral("listViews"))->currentWidget());
        QVERIFY(shown);

        // The view's index of the student `id`, in the column the view shows first.
        const auto indexOf = [shown](int id) {
            const auto *cards = qobject_cast<QListView *>(shown);
            const QModelIndexList hits = shown->model()->match(shown->model()->index(0, 0), Qt::DisplayRole, QString::number(id), 1,
                                                               Qt::MatchFixedString | Qt::MatchRecursive);
            return hits.isEmpty() ? QModelIndex() : hits.first().siblingAtColumn(cards ? cards->modelColumn() : 1);
        };
        // Chosen last row first: the answer still comes in list order.
        const QStringList ids = keys.split(QLatin1Char(','));
        for (auto id = ids.crbegin(); id != ids.crend(); ++id) {
            const QModelIndex index = indexOf(id->toInt());
            QVERIFY(index.isValid());
            const QRect rect = shown->visualRect(index);
            QVERIFY(!rect.isEmpty());
            if (!multi) {
                QTest::mouseClick(shown->viewport(), Qt::LeftButton, {}, rect.center());
            } else if (view == QLatin1String("cards")) {
                // The card's own check box, at its top left corner.
                const int box = shown->style()->pixelMetric(QStyle::PM_IndicatorWidth);
                QTest::mouseClick(shown->viewport(), Qt::LeftButton, {}, rect.topLeft() + QPoint(10 + box / 2, 10 + box / 2));
            } else {
                // Space checks the rows selected under the groups.
                QTest::mouseClick(shown->viewport(), Qt::LeftButton, {}, rect.center());
                QTest::keyClick(shown, Qt::Key_Space);
            }
        }
        dialog.accept();
        QCOMPARE(dialog.outcome().keysText, keys);
    }

};

QTEST_MAIN(TestFrmSelFromList)
#include "tst_frmselfromlist.moc"
