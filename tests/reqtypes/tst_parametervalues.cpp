#include "../datafile.h"
#include "../requirements/requirementfixture.h"
#include "common/langstrings.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/optionstext.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/parametervalues.h"
#include "reqtypes/sheetadjust.h"
#include "reqtypes/typecatalog.h"
#include "reqtypes/requirementkeys.h"
#include "reqtypes/requirementvalue.h"
#include "sheetfixture.h"

#include <QtTest>

using namespace zr;
using namespace zr::test;

namespace {
constexpr qint32 Id = 5;

QString s(qint32 id)
{
    return GetLangString(id);
}

const QStringList ParameterFields = [] {
    QStringList fields{"conoperator", "conselobjIDs", "coneval"};
    for (int i = 1; i <= 12; ++i)
        fields << QStringLiteral("conoptval%1").arg(i);
    return fields;
}();
} // namespace

class tst_ParameterValues : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    void roundTripKeepsEveryField_data()
    {
        QTest::addColumn<int>("typeId");
        QTest::addColumn<int>("context");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<QVariantMap>("changed"); // fields that storing rewrites, with their new values
        const auto fields = [](const QString &text) {
            QVariantMap map;
            for (const QString &pair : text.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
                const QString field = pair.section(QLatin1Char('='), 0, 0), value = pair.section(QLatin1Char('='), 1);
                map.insert(field, value == QLatin1String("\\N") ? QVariant()
                                  : field == QLatin1String("conoperator") ? QVariant(value.toInt()) : QVariant(value));
            }
            return map;
        };
        for (const QStringList &row : dataRows(QFINDTESTDATA("data/roundtrip.tsv")))
            QTest::newRow(qPrintable(row.at(0))) << row.at(1).toInt() << row.at(2).toInt() << row.at(3).toInt()
                                                 << fields(row.at(4)) << fields(row.value(5));
    }
    void roundTripKeepsEveryField()
    {
        QFETCH(int, typeId);
        QFETCH(int, context);
        QFETCH(int, kind);
        QFETCH(QVariantMap, stored);
        QFETCH(QVariantMap, changed);
        SheetWorld world(context, kind);
        Recordset rows = storedRow(typeId, context, kind, stored);
        QVERIFY(CreateConstraint(world.panel, QString::number(typeId), Id, world.sheet));
        const RequirementValue shown = LoadConstraintValues(world.panel, rows, 0, world.sheet);
        // The value a load returns is the one the sheet reads back, so an editor holding it needs no read.
        const RequirementValue readBack = RequirementValue::fromSheet(world.panel, Id, typeId, world.sheet, std::nullopt);
        QCOMPARE(shown.parameters.size(), readBack.parameters.size());
        for (qsizetype i = 0; i < shown.parameters.size(); ++i) {
            const ParameterValue &a = shown.parameters.at(i);
            const ParameterValue &b = readBack.parameters.at(i);
            QVERIFY2(a.field == b.field && a.isNull() == b.isNull() && a.text() == b.text(),
                     qPrintable(a.field + ": " + a.text() + " shown, " + b.field + ": " + b.text() + " read back"));
        }
        const std::optional<QString> expression =
            stored.contains("coneval") ? std::optional<QString>(stored.value("coneval").toString()) : std::nullopt;
        StoreConstraintValues(world.panel, rows, 0, world.sheet, expression);

        for (const QString &field : ParameterFields) {
            const QVariant expected = changed.contains(field) ? changed.value(field) : stored.value(field);
            const QVariant actual = rows.value(field);
            QVERIFY2(actual.isNull() == expected.isNull() && NzStr(actual) == NzStr(expected),
                     qPrintable(field + ": " + NzStr(actual) + (actual.isNull() ? " (NULL)" : "") + " instead of "
                                + NzStr(expected) + (expected.isNull() ? " (NULL)" : "")));
        }
        // Nothing unchanged is written, so an untouched requirement stays unmodified.
        if (changed.isEmpty())
            QCOMPARE(rows.status(), Recordset::adRecUnmodified);
    }

    void loadShowsNamesAndKeepsCodes_data()
    {
        QTest::addColumn<int>("typeId");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("hidden");
        QTest::newRow("course types with all") << 40 << "conselobjIDs" << "-1,3" << s(20714) + ",Εργαστηριακό" << "-1,3";
        QTest::newRow("a known and an unknown subject") << 20 << "conselobjIDs" << "4,99" << "Αλγόριθμοι" << "4,99";
        QTest::newRow("only unknown subjects") << 20 << "conselobjIDs" << "99" << "" << "";
        QTest::newRow("codes that are not numbers") << 20 << "conselobjIDs" << "4 OR areaID=5,x" << "" << "";
        QTest::newRow("blanks around codes") << 110 << "conselobjIDs" << "2, 3" << "Θεωρία,Εργαστήριο" << "2, 3";
        QTest::newRow("group template") << 50 << "conselobjIDs" << "8,7" << "[Γ2] Ομάδα Β,[Γ1] Ομάδα Α" << "8,7";
        QTest::newRow("totals with all") << 80 << "conoptval5" << "1;3#-1;10" << "ΥΠ (3), " + s(20714) + " (10)"
                                         << "1;3#-1;10";
        QTest::newRow("totals malformed") << 80 << "conoptval12" << "x;1#1;y#2" << "ΥΠ (0), ΕΠ (0)" << "x;1#1;y#2";
        QTest::newRow("teaching periods by name") << 80 << "conoptval2" << "2022-1,2023-2,2024"
                                                  << "2022-ΧΕΙΜ,2023-ΕΑΡ,2024" << "2022-1,2023-2,2024";
        QTest::newRow("exam periods as stored") << 80 << "conoptval1" << "2022-1,2023" << "2022-1,2023" << "2022-1,2023";
        QTest::newRow("courses without names show their codes") << 30 << "conselobjIDs" << "14,20" << "14, 20"
                                                                << "14,20";
    }
    void loadShowsNamesAndKeepsCodes()
    {
        QFETCH(int, typeId);
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, hidden);
        SheetWorld world(typeId == 130 ? 111 : 101);
        Recordset rows = storedRow(typeId, world.sheet.context, 1, {{field, stored}});
        CreateConstraint(world.panel, QString::number(typeId), Id, world.sheet);
        LoadConstraintValues(world.panel, rows, 0, world.sheet);
        const QString key = ParamKey(Id, field);
        QCOMPARE(world.panel.valueText(key), shown);
        QCOMPARE(NzStr(world.panel.hiddenValue(key)), hidden);
        if (world.panel.style(key) == ItemStyle::Picker && !hidden.isEmpty() && field != "conoptval2")
            QCOMPARE(world.panel.description(key), shown);
    }

    // A value built elsewhere may lack a row or list its parameters in another order:
    // each is still shown on its own row.
    void showsEachParameterOnItsOwnRow()
    {
        SheetWorld world;
        const Recordset rows = storedRow(30, 101, 1, {{"conoptval3", "0,6"}, {"conselobjIDs", "14,20"}, {"conoptval4", "2"}});
        CreateConstraint(world.panel, "30", Id, world.sheet);
        RequirementValue value = RequirementValue::fromRow(rows, 0, world.sheet.context);
        value.parameters.removeIf([](const ParameterValue &p) { return p.field == "conoptval5"; });
        std::reverse(value.parameters.begin(), value.parameters.end());
        value.toSheet(world.panel, world.sheet);
        QCOMPARE(world.panel.valueText(ParamKey(Id, "conoptval3")), "0,6");
        QCOMPARE(world.panel.valueText(ParamKey(Id, "conoptval4")), "2");
        QCOMPARE(NzStr(world.panel.hiddenValue(ParamKey(Id, "conselobjIDs"))), "14,20");
    }

    // The options row describes the stored string on load and a new one after an edit;
    // the wording itself is the options text's own concern.
    void optionsRowDescribesItsValue_data()
    {
        QTest::addColumn<int>("typeId");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("edited");
        QTest::newRow("30 limits") << 30 << "conoptval5" << "5;" << ";6";
        QTest::newRow("100 nothing stored") << 100 << "conoptval5" << "" << "2;";
        QTest::newRow("80 flags") << 80 << "conoptval4" << "5" << "17";
    }
    void optionsRowDescribesItsValue()
    {
        QFETCH(int, typeId);
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(QString, edited);
        SheetWorld world;
        Recordset rows = storedRow(typeId, 101, 1, {{field, stored}});
        CreateConstraint(world.panel, QString::number(typeId), Id, world.sheet);
        LoadConstraintValues(world.panel, rows, 0, world.sheet);
        const QString key = ParamKey(Id, field);
        QCOMPARE(world.panel.description(key), OptionsText(typeId, stored));
        QCOMPARE(world.panel.hint(key), s(20629));
        world.panel.setValue(key, edited);
        QVERIFY(AdjustSheetAfterChange(world.panel, typeId, key, world.sheet));
        QCOMPARE(world.panel.description(key), OptionsText(typeId, edited));
        QVERIFY(!world.panel.description(key).isEmpty());
    }

    void newRequirementGetsItsDefaults_data()
    {
        QTest::addColumn<int>("typeId");
        QTest::addColumn<int>("context");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariantMap>("expected");
        const QVariant null;
        QTest::newRow("30") << 30 << 101 << 1
            << QVariantMap{{"conoperator", 8}, {"conoptval4", "0"}, {"conoptval3", "0,5"}, {"conoptval5", null},
                           {"conoptval6", "0"}, {"conselobjIDs", null}};
        QTest::newRow("100 of a course") << 100 << 106 << 4
            << QVariantMap{{"conselobjIDs", "25"}, {"conoptval4", "1"}, {"conoptval6", "-1"}, {"conoptval3", "0"}};
        QTest::newRow("130") << 130 << 111 << 1
            << QVariantMap{{"conoptval1", "-1"}, {"conoperator", -1}, {"conoptval10", null}};
    }
    void newRequirementGetsItsDefaults()
    {
        QFETCH(int, typeId);
        QFETCH(int, context);
        QFETCH(int, kind);
        QFETCH(QVariantMap, expected);
        SheetWorld world(context, kind);
        Recordset rows = storedRow(typeId, context, kind, {});
        CreateConstraint(world.panel, QString::number(typeId), Id, world.sheet);
        StoreConstraintValues(world.panel, rows, 0, world.sheet, QString());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            const QVariant actual = rows.value(it.key());
            QVERIFY2(actual.isNull() == it.value().isNull() && NzStr(actual) == NzStr(it.value()),
                     qPrintable(it.key() + ": " + NzStr(actual)));
        }
        QVERIFY(rows.value(u"coneval").isNull());
    }

    void studentDataCaptionFollowsTheColumn_data()
    {
        QTest::addColumn<qint32>("ocID");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QString>("stored");
        const QString name = GetTypeName(10);
        // Named by the column's description as soon as it is loaded, as when it is stored.
        QTest::newRow("saved") << 5 << "(5) " + name + " - Έτος εισαγωγής" << "(5) " + name + " - Έτος εισαγωγής";
        QTest::newRow("new") << -3 << name + " - Έτος εισαγωγής" << name + " - Έτος εισαγωγής";
    }
    void studentDataCaptionFollowsTheColumn()
    {
        QFETCH(qint32, ocID);
        QFETCH(QString, loaded);
        QFETCH(QString, stored);
        SheetWorld world;
        Recordset rows = storedRow(10, 101, 1, {{"conselobjIDs", "in_year"}});
        rows.setValue(u"ocID", ocID);
        CreateConstraint(world.panel, "10", ocID, world.sheet);
        LoadConstraintValues(world.panel, rows, 0, world.sheet);
        QCOMPARE(world.panel.caption(GroupKey(ocID)), loaded);
        StoreConstraintValues(world.panel, rows, 0, world.sheet, std::nullopt);
        QCOMPARE(world.panel.caption(GroupKey(ocID)), stored);
        QCOMPARE(world.panel.hint(GroupKey(ocID)), stored);
    }

    void columnChangeRebuildsTheValueRows_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("style");
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<QString>("fetch");
        QTest::newRow("code table") << "statusID" << int(ItemStyle::ChoiceRow) << QStringList{"Ενεργός", "Σε αναστολή"}
                                    << "SYS_StudentStatus|";
        QTest::newRow("curricula of the programme") << "orient_ID" << int(ItemStyle::ChoiceRow)
                                                    << QStringList{"Λογισμικό", "Δίκτυα"} << "QEMDPOrientation|prID=7";
        QTest::newRow("yes/no") << "abroad" << int(ItemStyle::ChoiceRow) << QStringList{s(20295), s(20297)} << "";
        QTest::newRow("typed") << "in_year" << int(ItemStyle::Entry) << QStringList{} << "";
    }
    void columnChangeRebuildsTheValueRows()
    {
        QFETCH(QString, column);
        QFETCH(int, style);
        QFETCH(QStringList, choices);
        QFETCH(QString, fetch);
        SheetWorld world;
        Recordset rows = storedRow(10, 101, 1, {{"conselobjIDs", "exam_ID"}, {"conoperator", 3}, {"conoptval1", "4"}});
        CreateConstraint(world.panel, "10", Id, world.sheet);
        LoadConstraintValues(world.panel, rows, 0, world.sheet);

        const QString columnKey = ParamKey(Id, "conselobjIDs");
        QVERIFY(world.panel.selectChoice(columnKey, ChoiceKey(Id, column)));
        QVERIFY(AdjustSheetAfterChange(world.panel, 10, columnKey, world.sheet));

        QCOMPARE(world.panel.caption(GroupKey(Id)), GetTypeName(10) + " - " + world.panel.valueText(columnKey));
        QCOMPARE(SelectedChoiceCode(world.panel, Id, "conoperator"), QStringLiteral("3"));
        QCOMPARE(world.panel.keys(GroupKey(Id)).mid(2),
                 (QStringList{ParamKey(Id, "conoptval1"), ParamKey(Id, "conoptval2")}));
        for (const QString field : {"conoptval1", "conoptval2"}) {
            const QString key = ParamKey(Id, field);
            QCOMPARE(world.panel.style(key), style);
            QCOMPARE(NzStr(world.panel.value(key)), QString());
            QStringList captions;
            for (const QString &choice : world.panel.keys(key))
                captions << world.panel.choiceCaption(key, choice);
            QCOMPARE(captions, choices);
        }
        QCOMPARE(world.fetched, fetch.isEmpty() ? QStringList() : QStringList{fetch});
    }

    void classGroupCategoryRowsFollowTheRules_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("operator_");
        QTest::addColumn<QString>("changedField");
        QTest::addColumn<QString>("newCode");
        QTest::addColumn<QString>("answerAfter");
        QTest::addColumn<QString>("operatorAfter");
        QTest::addColumn<QString>("categoriesAfter");
        QTest::addColumn<bool>("operatorEnabled");
        QTest::addColumn<bool>("categoriesEnabled");
        QTest::newRow("answer yes empties and locks") << "0" << "2" << "conoptval1" << "-1" << "-1" << "-1" << "" << false << false;
        QTest::newRow("answer no unlocks") << "-1" << "-1" << "conoptval1" << "0" << "0" << "-1" << "1,3" << true << true;
        QTest::newRow("operator 100 answers no, locks categories")
            << "0" << "0" << "conoperator" << "100" << "0" << "100" << "" << true << false;
        QTest::newRow("operator 2 unlocks categories") << "0" << "100" << "conoperator" << "2" << "0" << "2" << "1,3" << true << true;
    }
    void classGroupCategoryRowsFollowTheRules()
    {
        QFETCH(QString, answer);
        QFETCH(QString, operator_);
        QFETCH(QString, changedField);
        QFETCH(QString, newCode);
        QFETCH(QString, answerAfter);
        QFETCH(QString, operatorAfter);
        QFETCH(QString, categoriesAfter);
        QFETCH(bool, operatorEnabled);
        QFETCH(bool, categoriesEnabled);
        SheetWorld world(111);
        Recordset rows = storedRow(130, 111, 1, {{"conselobjIDs", "25"}, {"conoptval1", answer},
                                                 {"conoperator", operator_.toInt()}, {"conoptval10", "1,3"}});
        CreateConstraint(world.panel, "130", Id, world.sheet);
        LoadConstraintValues(world.panel, rows, 0, world.sheet);
        ApplyRowStates(world.panel, 130, Id);
        const QString key = ParamKey(Id, changedField);
        QVERIFY(world.panel.selectChoice(key, ChoiceKey(Id, newCode)));
        QVERIFY(AdjustSheetAfterChange(world.panel, 130, key, world.sheet));
        QCOMPARE(SelectedChoiceCode(world.panel, Id, "conoptval1"), answerAfter);
        QCOMPARE(SelectedChoiceCode(world.panel, Id, "conoperator"), operatorAfter);
        QCOMPARE(NzStr(world.panel.hiddenValue(ParamKey(Id, "conoptval10"))), categoriesAfter);
        QCOMPARE(world.panel.isItemEnabled(ParamKey(Id, "conoperator")), operatorEnabled);
        QCOMPARE(world.panel.isItemEnabled(ParamKey(Id, "conoptval10")), categoriesEnabled);
        // Other rows and types are left alone.
        QVERIFY(!AdjustSheetAfterChange(world.panel, 130, ParamKey(Id, "conselobjIDs"), world.sheet));
    }

    void loadedAnswerYesLocksWithoutChangingValues()
    {
        SheetWorld world(111);
        Recordset rows = storedRow(130, 111, 1, {{"conselobjIDs", "25"}, {"conoptval1", "-1"}, {"conoperator", 2},
                                                 {"conoptval10", "1"}});
        CreateConstraint(world.panel, "130", Id, world.sheet);
        LoadConstraintValues(world.panel, rows, 0, world.sheet);
        ApplyRowStates(world.panel, 130, Id);
        QCOMPARE(SelectedChoiceCode(world.panel, Id, "conoperator"), QStringLiteral("2"));
        QCOMPARE(NzStr(world.panel.hiddenValue(ParamKey(Id, "conoptval10"))), QStringLiteral("1"));
        QVERIFY(!world.panel.isItemEnabled(ParamKey(Id, "conoperator")));
        QVERIFY(!world.panel.isItemEnabled(ParamKey(Id, "conoptval10")));
    }

    void periodListsConvertBothWays_data()
    {
        QTest::addColumn<QString>("ids");
        QTest::addColumn<QString>("names");
        QTest::newRow("periods and a year") << "2000-1,2000-2,2001" << "2000-ΧΕΙΜ,2000-ΕΑΡ,2001";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("empty element kept") << "2000-1,,2001" << "2000-ΧΕΙΜ,,2001";
    }
    void periodListsConvertBothWays()
    {
        QFETCH(QString, ids);
        QFETCH(QString, names);
        const Recordset terms = sampleTable("SYS_terms");
        QCOMPARE(TeachingPeriodsToNames(terms, ids), names);
        QCOMPARE(TeachingPeriodsToIds(terms, names), ids);
    }
};

QTEST_GUILESS_MAIN(tst_ParameterValues)
#include "tst_parametervalues.moc"
