#include "itempanel/itempanelmodel.h"
#include "itempanel/tilepanel.h"
#include "../datafile.h"
#include "common/langstrings.h"
#include "recordset/recordset.h"
#include "common/schema.h"
#include "common/zrerror.h"
#include "search/zrsearchx.h"
#include "searchfixture.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLineEdit>
#include <QTreeView>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace zr;
using zr::test::statusList;
using zr::test::TestSchema;

namespace {

// Answers the control's list requests as a container does.
void answerLists(zrSearchX &search)
{
    QObject::connect(&search, &zrSearchX::ListSourceRequest, &search,
                     [](bool &, const QString &source, Recordset &result, bool) {
                         if (source == QLatin1String("SYS_StudentStatus"))
                             result = statusList();
                     });
}

bool selectByCaption(ItemPanelModel *panel, const QString &rowKey, const QString &caption)
{
    const QStringList captions = panel->data(panel->indexOf(rowKey), ItemPanelModel::ChoiceCaptionsRole).toStringList();
    const int position = captions.indexOf(caption);
    return position >= 0 && panel->selectChoiceAt(rowKey, position);
}

// Advanced criterion in a test row: "caption|operator code|value1|value2"; list values by caption.
bool addAdvanced(zrSearchX &search, const QString &criterion)
{
    const QStringList parts = criterion.split(QLatin1Char('|'));
    ItemPanelModel *panel = search.advancedPanel();
    if (!parts.value(0).isEmpty())
        selectByCaption(panel, QStringLiteral("fields"), parts.value(0));
    if (!parts.value(1).isEmpty())
        panel->setValue(QStringLiteral("operators"), parts.value(1)); // the operators' choices are keyed by code
    for (int i : {2, 3}) {
        const QString key = i == 2 ? QStringLiteral("value1") : QStringLiteral("value2");
        if (parts.value(i).isEmpty())
            continue;
        if (panel->kind(key) == ItemPanelModel::Kind::ChoiceRow)
            selectByCaption(panel, key, parts.value(i));
        else
            panel->editValue(key, parts.value(i));
    }
    const int before = search.criteriaModel()->rowCount();
    panel->clickItem(QStringLiteral("addcrit"));
    return search.criteriaModel()->rowCount() == before + 1;
}

// Simple criterion in a test row: "field=value"; list values by caption.
void setSimple(zrSearchX &search, const QString &criterion)
{
    const QString key = criterion.section(QLatin1Char('='), 0, 0);
    const QString value = criterion.section(QLatin1Char('='), 1);
    ItemPanelModel *panel = search.fieldsPanel();
    if (panel->kind(key) == ItemPanelModel::Kind::ChoiceRow)
        QVERIFY(selectByCaption(panel, key, value));
    else
        QVERIFY(panel->editValue(key, value));
}

} // namespace

class TestZrSearchX : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitLanguage(LangGreek); }

    void findBuildsWhereStatement_data() { zr::test::addDataRows(QFINDTESTDATA("data/zrsearchx-find-builds-where-statement.tsv")); }

    void findBuildsWhereStatement()
    {
        QFETCH(QString, view);
        QFETCH(bool, andCombination);
        QFETCH(bool, exact);
        QFETCH(QStringList, simple);
        QFETCH(QStringList, advanced);
        QFETCH(QString, tableWhere);
        QFETCH(QString, then);
        QFETCH(QString, expected);

        TestSchema schema;
        schema.students.whereText = tableWhere;
        zrSearchX search;
        answerLists(search);
        search.Init(&schema, QStringLiteral("v_students"));
        QAbstractItemModelTester fieldsTester(search.fieldsPanel());
        QAbstractItemModelTester criteriaTester(search.criteriaModel());
        for (const QString &criterion : simple)
            setSimple(search, criterion);
        for (const QString &criterion : advanced)
            QVERIFY2(addAdvanced(search, criterion), qPrintable(criterion + QLatin1String(": ") + search.message()));
        search.setAndCombination(andCombination);
        search.setExactMatch(exact);
        search.setCurrentView(view);
        if (then == u"delete the first") {
            auto *grid = search.findChild<QTableView *>(QStringLiteral("gxCriteria"));
            grid->setCurrentIndex(grid->model()->index(0, zrSearchX::ColOperDescr));
            search.advancedPanel()->clickItem(QStringLiteral("delcrit"));
        } else if (then == u"clear") {
            QSignalSpy cleared(&search, &zrSearchX::Cleared);
            search.buttonsPanel()->clickItem(QStringLiteral("clear"));
            QCOMPARE(cleared.count(), 1);
            QVERIFY(!search.isExactMatch());
        }

        QStringList emitted;
        connect(&search, &zrSearchX::Search, &search, [&](QString &where) { emitted << where; });
        search.buttonsPanel()->clickItem(QStringLiteral("find"));
        QCOMPARE(emitted, QStringList{expected});
        QCOMPARE(search.WhereStatement(), expected);
    }

    void addCriterionChecksInOrder_data() { zr::test::addDataRows(QFINDTESTDATA("data/zrsearchx-add-criterion-checks-in-order.tsv")); }

    void addCriterionChecksInOrder()
    {
        QFETCH(QString, criterion);
        QFETCH(int, messageId);
        QFETCH(QString, shownValue1);

        TestSchema schema;
        zrSearchX search;
        answerLists(search);
        search.Init(&schema, QString(), zrSearchX::AdvancedView);
        QCOMPARE(search.CurrentView(), QStringLiteral("advanced"));
        QAbstractItemModelTester tester(search.advancedPanel());
        const bool added = addAdvanced(search, criterion);
        QCOMPARE(added, messageId == 0);
        ItemPanelModel *panel = search.advancedPanel();
        if (messageId != 0) {
            const QString expectedMessage = messageId == 61080
                ? ReplaceParams(GetLangString(messageId), {criterion.section('|', 2, 2), criterion.section('|', 0, 0)})
                : GetLangString(messageId);
            QCOMPARE(search.message(), expectedMessage);
            // A refused criterion leaves the entries as the user left them.
            if (!criterion.section('|', 0, 0).isEmpty())
                QVERIFY(!panel->value(QStringLiteral("fields")).isNull());
            return;
        }
        QVERIFY(search.message().isEmpty());
        QAbstractItemModel *grid = search.criteriaModel();
        QCOMPARE(grid->index(0, zrSearchX::ColValue1Descr).data().toString(), shownValue1);
        QCOMPARE(grid->index(0, zrSearchX::ColField).data().toString(), criterion.section('|', 0, 0));
        QCOMPARE(grid->index(0, zrSearchX::ColOperator).data().toInt(), criterion.section('|', 1, 1).toInt());
        // The entries are emptied for the next criterion.
        QVERIFY(panel->value(QStringLiteral("fields")).isNull());
        QVERIFY(panel->value(QStringLiteral("operators")).isNull());
        QVERIFY(panel->value(QStringLiteral("value1")).isNull());
    }

    void keysRunCommands_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("searches");
        QTest::addColumn<int>("clears");

        QTest::newRow("F3 finds") << int(Qt::Key_F3) << int(Qt::NoModifier) << 1 << 0;
        QTest::newRow("Alt+K clears") << int(Qt::Key_K) << int(Qt::AltModifier) << 0 << 1;
        QTest::newRow("plain A is typing") << int(Qt::Key_A) << int(Qt::NoModifier) << 0 << 0;
        QTest::newRow("Enter finds") << int(Qt::Key_Return) << int(Qt::NoModifier) << 1 << 0;
        QTest::newRow("Enter of the keypad finds") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 1 << 0;
    }

    void keysRunCommands()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, searches);
        QFETCH(int, clears);

        TestSchema schema;
        zrSearchX search;
        answerLists(search);
        search.Init(&schema, QString());
        search.show();
        search.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&search));
        QWidget *fields = search.findChild<QWidget *>(QStringLiteral("smFields"));
        QVERIFY(fields);
        fields->setFocus();
        int searched = 0;
        connect(&search, &zrSearchX::Search, &search, [&](QString &) { ++searched; });
        QSignalSpy cleared(&search, &zrSearchX::Cleared);
        QTest::keyClick(fields, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(searched, searches);
        QCOMPARE(cleared.count(), clears);
    }

    // A criterion's value is typed where it is clicked: one click opens its box.
    void oneClickOpensACriterionsValue()
    {
        TestSchema schema;
        zrSearchX search;
        answerLists(search);
        search.Init(&schema, QStringLiteral("v_students"));
        search.resize(600, 500);
        search.show();
        QVERIFY(QTest::qWaitForWindowExposed(&search));
        auto *view = search.findChild<TilePanel *>(QStringLiteral("smFields"))->treeView();
        ItemPanelModel *panel = search.fieldsPanel();
        const QString typed = QStringLiteral("lastname");
        QCOMPARE(panel->kind(typed), ItemPanelModel::Kind::Entry);
        const QRect cell = view->visualRect(panel->indexOf(typed, ItemPanelModel::ValueColumn));
        QVERIFY(view->viewport()->rect().contains(cell.center()));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTRY_VERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Ath"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(panel->value(typed).toString(), QStringLiteral("Ath"));
    }

    void listSourcesComeFromTheContainer_data() { zr::test::addDataRows(QFINDTESTDATA("data/zrsearchx-list-sources-come-from-the-container.tsv")); }

    void listSourcesComeFromTheContainer()
    {
        QFETCH(QString, listSource);
        QFETCH(QString, expectedSource);
        QFETCH(bool, expectedQuery);

        TestSchema schema;
        schema.students.columns[4].listSource = listSource;
        zrSearchX search;
        QStringList sources;
        bool query = !expectedQuery;
        connect(&search, &zrSearchX::ListSourceRequest, &search,
                [&](bool &, const QString &source, Recordset &result, bool isQuery) {
                    sources << source;
                    query = isQuery;
                    result = statusList();
                });
        search.Init(&schema, QString());
        QCOMPARE(sources, QStringList{expectedSource});
        QCOMPARE(query, expectedQuery);
        const QStringList captions = search.fieldsPanel()
                                         ->data(search.fieldsPanel()->indexOf(QStringLiteral("statusID")),
                                                ItemPanelModel::ChoiceCaptionsRole)
                                         .toStringList();
        QCOMPARE(captions, (QStringList{QString(), "Ενεργός", "Σε αναστολή", "Διαγραμμένος"}));
    }

    void initFailsWithSchemaError_data() { zr::test::addDataRows(QFINDTESTDATA("data/zrsearchx-init-fails-with-schema-error.tsv")); }

    void initFailsWithSchemaError()
    {
        QFETCH(bool, withSchema);
        QFETCH(QString, table);
        QFETCH(bool, listThrows);

        TestSchema schema;
        zrSearchX search;
        connect(&search, &zrSearchX::ListSourceRequest, &search, [&](bool &, const QString &, Recordset &result, bool) {
            if (listThrows)
                throw ZrError(462, QStringLiteral("cDepartment"), QStringLiteral("server gone"));
            result = statusList();
        });
        try {
            search.Init(withSchema ? &schema : nullptr, table);
            QFAIL("Init succeeded");
        } catch (const ZrError &error) {
            QCOMPARE(error.number, 30021);
        }
    }
};

QTEST_MAIN(TestZrSearchX)
#include "tst_zrsearchx.moc"
