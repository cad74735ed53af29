#include "../reqtypes/sheetfixture.h"
#include "common/langstrings.h"
#include "itempanel/itempanelmodel.h"
#include "requirementfixture.h"
#include "reqtypes/requirementkeys.h"
#include "requirements/requirementseditor.h"

#include <QSignalSpy>
#include <QtTest>

using namespace zr;
using namespace zr::test;

// What the editor shows of the rows it loads, and what its edits write into them.
class tst_RequirementSheets : public QObject
{
    Q_OBJECT

    static std::unique_ptr<RequirementsEditor> load(int kind, int context, const Recordset &parent)
    {
        auto editor = std::make_unique<RequirementsEditor>();
        setUpEditor(*editor, context, kind, {1, 2}, sampleTable);
        editor->setSchema(std::make_shared<StudentSchema>());
        editor->load(parent);
        return editor;
    }

    static Recordset rowOf(RequirementsEditor &editor, int ocID)
    {
        Recordset rows = editor.set().rows().clone();
        rows.find(QStringLiteral("ocID = %1").arg(ocID), 0, Recordset::SearchForward, Recordset::StartFirst);
        return rows;
    }

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    void curriculumSwitchWritesOnlyTheCurriculumLeft()
    {
        auto editor = load(1, 103, hierarchicalSet({
            {11, 103, 1, 7, "1", 30, {{"conselobjIDs", "14,20"}, {"conoptval4", "1"}, {"conoperator", 8}, {"conoptval3", "0,5"}, {"conoptval6", "0"}, {"coneval", "[%11]"}}},
            {12, 103, 1, 7, "2", 70, {{"conoptval6", "1"}, {"conoperator", 0}, {"conoptval1", "2"}}},
        }));
        QVERIFY(editor->list()->editValue("I11,conoptval3", "0,8"));
        editor->valueChanged("I11,conoptval3");
        editor->chooseCurriculum(2);
        Recordset left = rowOf(*editor, 11);
        QCOMPARE(left.value(u"conoptval3").toString(), QStringLiteral("0,8"));
        QCOMPARE(left.value(u"conoptval4").toString(), QStringLiteral("1"));
        QCOMPARE(left.value(u"coneval").toString(), QStringLiteral("[%11]"));
        // The curriculum shown was only loaded, not written.
        QCOMPARE(rowOf(*editor, 12).status(), Recordset::adRecUnmodified);
    }

    // tst_parametervalues checks the defaults; here the course comes from the parent row.
    void addedRequirementGetsItsDefaultsInTheRecord()
    {
        Recordset parent = hierarchicalSet({{31, 106, 4, 7, QVariant(), 70, {{"conoptval6", "1"}, {"conoperator", 0}, {"conoptval1", "2"}}}});
        parent.appendField(makeField("courseID", adInteger));
        parent.setValue(u"courseID", 25);
        auto editor = load(4, 106, parent);
        QCOMPARE(editor->addRequirement(100), -1);
        Recordset added = rowOf(*editor, -1);
        QCOMPARE(added.value(u"conselobjIDs").toString(), QStringLiteral("25"));
        QCOMPARE(added.value(u"conoptval6").toString(), QStringLiteral("-1"));
    }

    // Rows that another row's answer locks stay locked when the list is enabled again.
    void rowStatesFollowTheirAnswer()
    {
        auto editor = load(4, 111, hierarchicalSet({
            {41, 111, 4, 7, QVariant(), 130, {{"conselobjIDs", "25"}, {"conoptval1", "-1"}, {"conoperator", -1}}},
        }));
        ItemPanelModel *list = editor->list();
        QVERIFY(!list->isItemEnabled("I41,conoperator"));
        list->setAllItemsEnabled(true);
        editor->applyRowStates();
        QVERIFY(!list->isItemEnabled("I41,conoperator"));
        QVERIFY(!list->isItemEnabled("I41,conoptval10"));
        QVERIFY(list->isItemEnabled("I41,conoptval1"));
    }

    void valueChangesAdjustTheSheetAndReportOnce_data()
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
    void valueChangesAdjustTheSheetAndReportOnce()
    {
        QFETCH(QString, key);
        QFETCH(QString, choice);
        QFETCH(QString, checkedKey);
        QFETCH(QString, checkedText);
        auto editor = load(4, 111, hierarchicalSet({
            {41, 111, 4, 7, QVariant(), 130, {{"conselobjIDs", "25"}, {"conoptval1", "0"}, {"conoperator", 0}, {"conoptval10", "1"}}},
            {42, 111, 4, 7, QVariant(), 10, {{"conselobjIDs", "exam_ID"}, {"conoperator", 0}, {"conoptval1", "3"}}},
        }));
        QSignalSpy changed(editor.get(), &RequirementsEditor::changed);
        QVERIFY(editor->list()->editValue(key, choice));
        editor->valueChanged(key);
        QCOMPARE(changed.count(), 1);
        ItemPanelModel *list = editor->list();
        QCOMPARE(checkedKey.contains(',') ? list->valueText(checkedKey) : list->caption(checkedKey), checkedText);
        QVERIFY(editor->set().isModified());
    }
};

QTEST_GUILESS_MAIN(tst_RequirementSheets)
#include "tst_requirementsheets.moc"
