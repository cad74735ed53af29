#include "../reqtypes/sheetfixture.h"
#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "recordset/recordsetutils.h"
#include "itempanel/tilepanel.h"
#include "requirementfixture.h"
#include "recordset/lookupcache.h"
#include "reqtypes/requirementkeys.h"
#include "requirements/zrrequirements.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace zr;
using namespace zr::test;

// The editor with real sheets: values loaded into them, edits kept, adjustments made.
class tst_RequirementSheets : public QObject
{
    Q_OBJECT

    static Recordset curricula()
    {
        return codeTable("orID", {"ordescription"}, {{1, "Κατεύθυνση 1"}, {2, "Κατεύθυνση 2"}});
    }

    std::unique_ptr<zrRequirements> makeControl(int kind, int context)
    {
        auto control = std::make_unique<zrRequirements>();
        control->lookups().setFetcher([](const QString &table, const QString &) {
            return table == QLatin1String("QEMDPOrientation") ? curricula() : sampleTable(table);
        });
        control->setOSchema(std::make_shared<StudentSchema>());
        control->setConstrType(context);
        control->setAppliesTo(kind);
        return control;
    }

    static ItemPanelModel *listOf(zrRequirements &control)
    {
        return control.findChild<TilePanel *>(QStringLiteral("smRequirements"))->model();
    }

    static Recordset rowOf(zrRequirements &control, int ocID)
    {
        Recordset rows = control.rsConstraints().clone();
        rows.find(QStringLiteral("ocID = %1").arg(ocID), 0, Recordset::SearchForward, Recordset::StartFirst);
        return rows;
    }

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    void loadFillsEveryRowAndSelectionShowsHelp()
    {
        auto control = makeControl(1, 103);
        control->setRsConstraints(hierarchicalSet({
            {11, 103, 1, 7, "1", 40, {{"conselobjIDs", "-1,3"}, {"conoptval6", "3"}, {"conoperator", 8}, {"conoptval1", "300"}}},
            {12, 103, 1, 7, "1", 10, {{"conselobjIDs", "statusID"}, {"conoperator", 2}, {"conoptval1", "4"}}},
        }));
        ItemPanelModel *list = listOf(*control);
        QCOMPARE(list->valueText("I11,conselobjIDs"), GetLangString(20714) + ",Εργαστηριακό");
        QCOMPARE(list->hiddenValue("I11,conselobjIDs").toString(), QStringLiteral("-1,3"));
        QCOMPARE(list->valueText("I11,conoptval6"), GetLangString(20767));
        QCOMPARE(list->valueText("I11,conoptval1"), QStringLiteral("300"));
        // A student-data requirement is named by its column's description, not the column's name.
        QVERIFY(list->valueText("I12,conselobjIDs") != QStringLiteral("statusID"));
        QCOMPARE(list->caption("I12"), "(12) " + GetLangString(20728) + " - " + list->valueText("I12,conselobjIDs"));
        QCOMPARE(list->valueText("I12,conoptval1"), QStringLiteral("Σε αναστολή"));
        QVERIFY(!control->isModified());

        list->setSelected("I11,conoptval2", true);
        QCOMPARE(control->findChild<QPlainTextEdit *>("txtInfo")->toPlainText(), GetLangString(20611));
    }

    void curriculumSwitchKeepsTheEditsOfTheCurriculumLeft()
    {
        auto control = makeControl(1, 103);
        control->setRsConstraints(hierarchicalSet({
            {11, 103, 1, 7, "1", 30, {{"conselobjIDs", "14,20"}, {"conoptval4", "1"}, {"conoperator", 8}, {"conoptval3", "0,5"}, {"conoptval6", "0"}, {"coneval", "[%11]"}}},
            {12, 103, 1, 7, "2", 70, {{"conoptval6", "1"}, {"conoperator", 0}, {"conoptval1", "2"}}},
        }));
        QVERIFY(listOf(*control)->editValue("I11,conoptval3", "0,8"));
        QVERIFY(control->isModified());
        auto *chooser = control->findChild<QComboBox *>("cbOrient");
        chooser->setCurrentIndex(1);
        Q_EMIT chooser->activated(1);
        QCOMPARE(listOf(*control)->keys(), QStringList{"I12"});
        Recordset left = rowOf(*control, 11);
        QCOMPARE(left.value(u"conoptval3").toString(), QStringLiteral("0,8"));
        QCOMPARE(left.value(u"conoptval4").toString(), QStringLiteral("1"));
        QCOMPARE(left.value(u"coneval").toString(), QStringLiteral("[%11]"));
        // The curriculum shown was only loaded, not written.
        QCOMPARE(rowOf(*control, 12).status(), Recordset::adRecUnmodified);
    }

    void addedRequirementGetsItsDefaultsInTheRecord()
    {
        auto control = makeControl(4, 106);
        Recordset parent = hierarchicalSet({{31, 106, 4, 7, QVariant(), 70, {{"conoptval6", "1"}, {"conoperator", 0}, {"conoptval1", "2"}}}});
        parent.appendField(makeField("courseID", adInteger));
        parent.setValue(u"courseID", 25);
        control->setRsConstraints(parent);
        QSignalSpy changed(control.get(), &zrRequirements::Changed);
        auto *commands = control->findChild<TilePanel *>("smButtons")->model();
        QVERIFY(commands->clickItem("100"));
        QCOMPARE(changed.count(), 1);
        Recordset added = rowOf(*control, -1);
        QCOMPARE(added.value(u"conselobjIDs").toString(), QStringLiteral("25"));
        QCOMPARE(added.value(u"conoptval4").toString(), QStringLiteral("1"));
        QCOMPARE(added.value(u"conoptval6").toString(), QStringLiteral("-1"));
        QCOMPARE(added.value(u"conoptval3").toString(), QStringLiteral("0"));
        QVERIFY(added.value(u"conoptval5").isNull());
        QCOMPARE(listOf(*control)->caption("I-1"), "(N1) " + GetLangString(20745));
    }

    void reenablingKeepsRowsLockedByTheirAnswer()
    {
        auto control = makeControl(4, 111);
        control->setRsConstraints(hierarchicalSet({
            {41, 111, 4, 7, QVariant(), 130, {{"conselobjIDs", "25"}, {"conoptval1", "-1"}, {"conoperator", -1}}},
        }));
        ItemPanelModel *list = listOf(*control);
        QVERIFY(!list->isItemEnabled("I41,conoperator"));
        control->setEditingEnabled(false);
        control->setEditingEnabled(true);
        QVERIFY(!list->isItemEnabled("I41,conoperator"));
        QVERIFY(!list->isItemEnabled("I41,conoptval10"));
        QVERIFY(list->isItemEnabled("I41,conoptval1"));
    }

    void valueChangesAdjustTheSheetAndRaiseChangedOnce_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("checkedKey");
        QTest::addColumn<QString>("checkedText");
        QTest::newRow("130 operator 100 answers no") << "I41,conoperator" << "KI41,100" << "I41,conoptval1"
                                                     << GetLangString(20297);
        QTest::newRow("10 column recaptions the group") << "I42,conselobjIDs" << "KI42,gender" << "I42"
                                                        << GetLangString(20728) + " - Φύλο";
    }
    void valueChangesAdjustTheSheetAndRaiseChangedOnce()
    {
        QFETCH(QString, key);
        QFETCH(QString, choice);
        QFETCH(QString, checkedKey);
        QFETCH(QString, checkedText);
        auto control = makeControl(4, 111);
        control->setRsConstraints(hierarchicalSet({
            {41, 111, 4, 7, QVariant(), 130, {{"conselobjIDs", "25"}, {"conoptval1", "0"}, {"conoperator", 0}, {"conoptval10", "1"}}},
            {42, 111, 4, 7, QVariant(), 10, {{"conselobjIDs", "exam_ID"}, {"conoperator", 0}, {"conoptval1", "3"}}},
        }));
        QSignalSpy changed(control.get(), &zrRequirements::Changed);
        QVERIFY(listOf(*control)->editValue(key, choice));
        QCOMPARE(changed.count(), 1);
        const QString text = checkedKey.contains(',') ? listOf(*control)->valueText(checkedKey)
                                                      : listOf(*control)->caption(checkedKey);
        QCOMPARE(text, checkedText);
        QVERIFY(control->isModified());
    }
};

QTEST_MAIN(tst_RequirementSheets)
#include "tst_requirementsheets.moc"
