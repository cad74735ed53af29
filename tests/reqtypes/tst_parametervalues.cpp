#include "../datafile.h"
#include "../requirements/requirementfixture.h"
#include "common/langstrings.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/optionstext.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/parametervalues.h"
#include "reqtypes/sheetbinding.h"
#include "reqtypes/sheetrules.h"
#include "reqtypes/typecatalog.h"
#include "reqtypes/requirementkeys.h"
#include "reqtypes/requirementchange.h"
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
// A parameter's readings in one line, so that a table row can name what it expects.
QString readings(const ParameterValue &p)
{
    QStringList parts;
    if (!p.code().isEmpty())
        parts << QStringLiteral("code %1").arg(p.code());
    if (p.number())
        parts << QStringLiteral("number %1").arg(*p.number());
    if (!p.codes().isEmpty())
        parts << QStringLiteral("codes %1").arg(p.codes().join(QLatin1Char('|')));
    for (const CourseTypeTotal &total : p.totals())
        parts << QStringLiteral("total %1=%2").arg(total.typeId).arg(total.count);
    if (p.kind == RowKind::Flags)
        parts << QStringLiteral("flags %1").arg(p.flags());
    for (const YearPeriod &period : p.periods())
        parts << QStringLiteral("period %1/%2").arg(period.year, period.period);
    return parts.join(QStringLiteral("; "));
}

// Requirement Id of `rows`' first row on a sheet of its own, as an editor shows it; the value shown.
RequirementValue showRow(SheetWorld &world, const Recordset &rows)
{
    const RequirementValue read = RequirementValue::fromRow(rows, 0, world.sheet.context);
    if (!CreateConstraint(world.panel, QString::number(read.typeId), read.ocID, world.sheet))
        qFatal("no sheet for type %d", read.typeId);
    const RequirementValue shown = ShownValue(read, world.sheet);
    ShowValue(world.panel, shown, world.sheet);
    return shown;
}

// The user's edit of row `field` of `shown`, made on the sheet by `edit`, and what follows it.
template<typename Edit>
RequirementValue editRow(SheetWorld &world, const RequirementValue &shown, const QString &field, Edit edit)
{
    const QString key = ParamKey(shown.ocID, field);
    edit(key);
    const RequirementValue after =
        WithParameter(shown, field, EditedValue(world.panel, key, shown.typeId, world.sheet));
    ShowEdit(world.panel, shown, after, field, world.sheet);
    return after;
}
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
        RequirementValue shown = showRow(world, rows);
        // What the sheet shows reads back as the value it shows, so an edit of one row changes no other.
        for (const ParameterValue &a : std::as_const(shown.parameters)) {
            const QVariant b = EditedValue(world.panel, ParamKey(Id, a.field), typeId, world.sheet);
            QVERIFY2(a.isNull() == b.isNull() && a.text() == NzStr(b),
                     qPrintable(a.field + ": " + a.text() + " shown, " + NzStr(b) + " read back"));
        }
        shown.expression = RequirementValue::storedExpression(
            stored.contains("coneval") ? std::optional<QString>(stored.value("coneval").toString()) : std::nullopt);
        shown.counted().writeTo(rows, 0);

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
        showRow(world, storedRow(typeId, world.sheet.context, 1, {{field, stored}}));
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
        ShowValue(world.panel, ShownValue(value, world.sheet), world.sheet);
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
        const RequirementValue shown = showRow(world, storedRow(typeId, 101, 1, {{field, stored}}));
        const QString key = ParamKey(Id, field);
        QCOMPARE(world.panel.description(key), OptionsText(typeId, stored));
        editRow(world, shown, field, [&](const QString &row) { world.panel.setValue(row, edited); });
        QCOMPARE(world.panel.description(key), OptionsText(typeId, edited));
        QVERIFY(!world.panel.description(key).isEmpty());
    }

    void newRequirementGetsItsDefaults_data() { addDataRows(QFINDTESTDATA("data/parametervalues-new-requirement-gets-its-defaults.tsv")); }
    void newRequirementGetsItsDefaults()
    {
        QFETCH(int, typeId);
        QFETCH(int, context);
        QFETCH(int, kind);
        QFETCH(QVariant, expected);
        SheetWorld world(context, kind);
        Recordset rows = storedRow(typeId, context, kind, {});
        CreateConstraint(world.panel, QString::number(typeId), Id, world.sheet);
        const RequirementValue value = DefaultValue(typeId, Id, world.sheet);
        // The new sheet shows the default value.
        for (const ParameterValue &p : value.parameters) {
            const QVariant shown = EditedValue(world.panel, ParamKey(Id, p.field), typeId, world.sheet);
            QVERIFY2(p.isNull() == shown.isNull() && p.text() == NzStr(shown), qPrintable(p.field + ": " + NzStr(shown)));
        }
        value.counted().writeTo(rows, 0);
        const QVariantMap fields = expected.toMap();
        for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
            const QVariant actual = rows.value(it.key());
            QVERIFY2(actual.isNull() == it.value().isNull() && NzStr(actual) == NzStr(it.value()),
                     qPrintable(it.key() + ": " + NzStr(actual)));
        }
        QVERIFY(rows.value(u"coneval").isNull());
    }

    void studentDataCaptionFollowsTheColumn_data()
    {
        QTest::addColumn<qint32>("ocID");
        QTest::addColumn<QString>("caption");
        const QString name = GetTypeName(10);
        // Named by the column's description as soon as it is loaded, as when it is stored.
        QTest::newRow("saved") << 5 << "(5) " + name + " - Έτος εισαγωγής";
        QTest::newRow("new") << -3 << name + " - Έτος εισαγωγής";
    }
    void studentDataCaptionFollowsTheColumn()
    {
        QFETCH(qint32, ocID);
        QFETCH(QString, caption);
        SheetWorld world;
        Recordset rows = storedRow(10, 101, 1, {{"conselobjIDs", "in_year"}});
        rows.setValue(u"ocID", ocID);
        const RequirementValue shown = showRow(world, rows);
        QCOMPARE(world.panel.caption(GroupKey(ocID)), caption);
        ShowStored(world.panel, shown);
        QCOMPARE(world.panel.caption(GroupKey(ocID)), caption);
        QCOMPARE(world.panel.hint(GroupKey(ocID)), caption);
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
        const RequirementValue shown = showRow(
            world, storedRow(10, 101, 1, {{"conselobjIDs", "exam_ID"}, {"conoperator", 3}, {"conoptval1", "4"}}));
        const QString columnKey = ParamKey(Id, "conselobjIDs");
        const RequirementValue after = editRow(world, shown, "conselobjIDs", [&](const QString &key) {
            QVERIFY(world.panel.selectChoice(key, ChoiceKey(Id, column)));
        });
        QCOMPARE(after.parameter("conoptval1")->stored, QVariant());

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

    void classGroupCategoryRowsFollowTheRules_data() { addDataRows(QFINDTESTDATA("data/parametervalues-class-group-category-rows-follow-the-rules.tsv")); }
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
        RequirementValue value = showRow(world, storedRow(130, 111, 1, {{"conselobjIDs", "25"}, {"conoptval1", answer},
                                                                        {"conoperator", operator_.toInt()},
                                                                        {"conoptval10", "1,3"}}));
        if (!changedField.isEmpty()) {
            value = editRow(world, value, changedField, [&](const QString &key) {
                QVERIFY(world.panel.selectChoice(key, ChoiceKey(Id, newCode)));
            });
        }
        QCOMPARE(SelectedChoiceCode(world.panel, Id, "conoptval1"), answerAfter);
        QCOMPARE(SelectedChoiceCode(world.panel, Id, "conoperator"), operatorAfter);
        QCOMPARE(NzStr(world.panel.hiddenValue(ParamKey(Id, "conoptval10"))), categoriesAfter);
        QCOMPARE(world.panel.isItemEnabled(ParamKey(Id, "conoperator")), operatorEnabled);
        QCOMPARE(world.panel.isItemEnabled(ParamKey(Id, "conoptval10")), categoriesEnabled);
        QCOMPARE(NzStr(value.parameter("conoptval10")->stored), categoriesAfter);
        // Other rows are left alone.
        const RequirementValue other = WithParameter(value, "conselobjIDs", QStringLiteral("26"));
        QCOMPARE(other.operatorCode(), value.operatorCode());
        QCOMPARE(other.parameter("conoptval10")->stored, value.parameter("conoptval10")->stored);
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
    // Each parameter reads in its own type from what the row stores.
    void readsEachParameterInItsType_data() { addDataRows(QFINDTESTDATA("data/parametervalues-reads-each-parameter-in-its-type.tsv")); }
    void readsEachParameterInItsType()
    {
        QFETCH(int, typeId);
        QFETCH(int, context);
        QFETCH(QString, field);
        QFETCH(QVariant, stored);
        QFETCH(QString, expected);

        const Recordset rows = storedRow(typeId, context, 1, {{field, stored}});
        const RequirementValue value = RequirementValue::fromRow(rows, 0, context);
        QCOMPARE(value.typeId, typeId);
        const ParameterValue *parameter = value.parameter(field);
        QVERIFY(parameter);
        QCOMPARE(parameter->stored.isNull(), stored.isNull());
        QCOMPARE(parameter->stored.toString(), stored.toString());
        QCOMPARE(readings(*parameter), expected);
    }

    // Rows are named by position: the cursor is neither read nor moved, and a
    // value written back where it came from leaves the row unmodified.
    void readsAndWritesByRowWithoutTheCursor()
    {
        Recordset rows = hierarchicalSet({{21, 103, 1, 7, QStringLiteral("1"), 30,
                                           {{"conoptval3", "0,6"}, {"conselobjIDs", "11,12"}, {"coneval", "[%21]"}}},
                                          {22, 103, 1, 7, QStringLiteral("1"), 40, {{"conselobjIDs", "1"}}}})
                             .chapter(u"QEMObjectConstraint");
        rows.moveFirst();
        const RequirementValue second = RequirementValue::fromRow(rows, 1, 103);
        QCOMPARE(second.ocID, 22);
        QCOMPARE(second.parameter(QStringLiteral("conselobjIDs"))->codes(), QStringList{"1"});
        QCOMPARE(rows.absolutePosition(), 1);

        RequirementValue first = RequirementValue::fromRow(rows, 0, 103);
        QCOMPARE(first.expression.toString(), QStringLiteral("[%21]"));
        first.writeTo(rows, 0);
        QCOMPARE(rows.statusAt(0), Recordset::adRecUnmodified);

        // A changed parameter writes its own field and no other.
        for (ParameterValue &p : first.parameters) {
            if (p.field == QLatin1String("conoptval3"))
                p = ParameterValue::fromStored(p.field, p.kind, first.typeId, QStringLiteral("0,7"));
        }
        first.expression = QVariant();
        first.writeTo(rows, 0);
        QCOMPARE(rows.statusAt(0), Recordset::adRecModified);
        QCOMPARE(rows.statusAt(1), Recordset::adRecUnmodified);
        rows.moveFirst();
        QCOMPARE(rows.value(u"conoptval3").toString(), QStringLiteral("0,7"));
        QVERIFY(rows.value(u"coneval").isNull());
        QCOMPARE(rows.value(u"conselobjIDs").toString(), QStringLiteral("11,12"));
        QCOMPARE(rows.originalValue(u"conselobjIDs").toString(), QStringLiteral("11,12"));
    }
    // The fields that differ between two values of one requirement, each
    // said with its label and its values by name.
    void saysEachChangedField_data() { addDataRows(QFINDTESTDATA("data/parametervalues-says-each-changed-field.tsv")); }
    void saysEachChangedField()
    {
        QFETCH(int, typeId);
        QFETCH(int, context);
        QFETCH(QVariant, before);
        QFETCH(QVariant, after);
        QFETCH(QString, expected);

        SheetWorld world(context);
        const RequirementValue was = RequirementValue::fromRow(storedRow(typeId, context, 1, before.toMap()), 0, context);
        const RequirementValue now = RequirementValue::fromRow(storedRow(typeId, context, 1, after.toMap()), 0, context);
        QStringList said;
        for (const FieldChange &change : ChangedFields(was, now))
            said << FieldChangeText(change, world.sheet);
        QCOMPARE(said.join(QLatin1Char('|')), expected);
        QVERIFY(ChangedFields(now, now).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_ParameterValues)
#include "tst_parametervalues.moc"
