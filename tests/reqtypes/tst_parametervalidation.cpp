#include "../requirements/requirementfixture.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/parametervalidation.h"
#include "reqtypes/parametervalues.h"
#include "reqtypes/requirementkeys.h"
#include "reqtypes/requirementvalue.h"
#include "sheetfixture.h"

#include <QtTest>

using namespace zr;
using namespace zr::test;

namespace {
constexpr qint32 Id = 5;
const QString Req = QStringLiteral("Κανόνας «Α»");

QString s(qint32 id)
{
    return GetLangString(id);
}

QString q(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

Recordset examPeriodTable()
{
    return codeTable("epID", {"epdescr"}, {{1, "Ιανουαρίου"}, {2, "Ιουνίου"}});
}

// A sheet loaded from its stored row, renamed to Req, with exam periods in the cache.
struct LoadedRequirement
{
    LoadedRequirement(int typeId, int context, int kind, const QVariantMap &fields, const QVariantMap &sizes = {},
                      const SchemaTable *students = nullptr)
        : world(context, kind), typeId(typeId), row(storedRow(typeId, context, kind, fields, sizes))
    {
        if (students)
            world.sheet.students = students;
        world.lookups.setFetcher([](const QString &table, const QString &) {
            return table == QLatin1String("SYS_ExamPeriod") ? examPeriodTable() : sampleTable(table);
        });
        if (!CreateConstraint(world.panel, QString::number(typeId), Id, world.sheet))
            qFatal("no sheet for type %d", typeId);
        LoadConstraintValues(world.panel, row, 0, world.sheet);
        world.panel.setCaption(GroupKey(Id), Req);
    }

    // Validates; the raised error, or number 0 when every rule passed.
    ZrError validate()
    {
        try {
            ValidateInput(RequirementValue::fromSheet(world.panel, Id, typeId, world.sheet, std::nullopt), {Req, {}},
                          row, world.sheet);
        } catch (const ZrError &e) {
            return e;
        }
        return ZrError();
    }

    SheetWorld world;
    int typeId;
    Recordset row;
};
} // namespace

class tst_ParameterValidation : public QObject
{
    Q_OBJECT

    // Columns of the requirement tables: stored fields, then the expected
    // raised number (0: passes), message id and the message's values.
    void requirementColumns()
    {
        QTest::addColumn<int>("typeId");
        QTest::addColumn<int>("context");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("message");
        QTest::addColumn<QStringList>("values");
    }

    void checkRequirement(const QVariantMap &sizes = {})
    {
        QFETCH(int, typeId);
        QFETCH(int, context);
        QFETCH(int, kind);
        QFETCH(QVariantMap, stored);
        QFETCH(int, number);
        QFETCH(int, message);
        QFETCH(QStringList, values);
        LoadedRequirement requirement(typeId, context, kind, stored, sizes);
        const ZrError raised = requirement.validate();
        QCOMPARE(raised.number, number);
        if (number == 0)
            return;
        QCOMPARE(raised.description, ReplaceParams(s(message), values));
        QCOMPARE(raised.source, QStringLiteral("ValidateInput"));
    }

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    void isPositiveNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("decimal comma") << "1,5" << "" << true;
        QTest::newRow("decimal point") << "1.5" << "" << true;
        QTest::newRow("zero") << "0" << "" << true;
        QTest::newRow("negative") << "-1" << "" << false;
        QTest::newRow("exponent") << "1e3" << "" << false;
        QTest::newRow("leading blank") << " 2" << "" << false;
        QTest::newRow("empty") << "" << "" << false;
        QTest::newRow("two separators") << "1.000,5" << "" << false;
        QTest::newRow("separator alone") << "," << "" << false;
        QTest::newRow("four digits") << "2001" << "=4" << true;
        QTest::newRow("three digits") << "201" << "=4" << false;
        QTest::newRow("five digits") << "20011" << "=4" << false;
        QTest::newRow("four letters") << "abcd" << "=4" << false;
        QTest::newRow("long number without a rule") << "20011" << "" << true;
    }
    void isPositiveNumber()
    {
        QFETCH(QString, text);
        QFETCH(QString, rule);
        QFETCH(bool, accepted);
        QCOMPARE(IsPositiveNumber(text, rule), accepted);
    }

    void studentColumnRules_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("number");
        QTest::addColumn<QStringList>("values");
        const QString label = QStringLiteral("Τιμή 2");
        const QStringList positive{s(20704), q(label), q(Req)};
        const QStringList year{q(label), q(Req)};
        const QStringList date{s(20705), q(label), q(Req)};

        QTest::newRow("empty value has no rule") << "exam_ID" << "" << 0 << QStringList();
        QTest::newRow("semester") << "exam_ID" << "5" << 0 << QStringList();
        QTest::newRow("negative semester") << "exam_ID" << "-5" << 20008 << positive;
        QTest::newRow("rank not a number") << "sc_arseiras" << "x" << 20008 << positive;
        QTest::newRow("year") << "in_year" << "2001" << 0 << QStringList();
        QTest::newRow("short year") << "in_year" << "01" << 20009 << year;
        QTest::newRow("column names ignore case") << "IN_YEAR" << "abcd" << 20009 << year;
        QTest::newRow("graduation year too long") << "sc_apofYear" << "20011" << 20009 << year;
        QTest::newRow("entry period") << "in_period_ID" << "200" << 20009 << year;
        QTest::newRow("average with comma") << "studrate" << "8,5" << 0 << QStringList();
        QTest::newRow("average not numeric") << "studrate" << "abc" << 20001 << year;
        QTest::newRow("degree grade not numeric") << "or_ptyhgrade" << "7,5,1" << 20001 << year;
        QTest::newRow("date") << "or_date" << "1/2/2001" << 0 << QStringList();
        QTest::newRow("date with blanks") << "or_date" << " 01/02/2001 " << 0 << QStringList();
        QTest::newRow("iso date") << "or_date" << "2001-02-01" << 0 << QStringList();
        QTest::newRow("day out of month") << "or_date" << "31/2/2001" << 20008 << date;
        QTest::newRow("month first") << "or_date" << "12/31/2001" << 20008 << date;
        QTest::newRow("not a date") << "or_date" << "αύριο" << 20008 << date;
        QTest::newRow("column without rules") << "gender" << "x" << 0 << QStringList();
    }
    void studentColumnRules()
    {
        QFETCH(QString, column);
        QFETCH(QString, value);
        QFETCH(int, number);
        QFETCH(QStringList, values);
        try {
            ValidateStudent(column, value, QStringLiteral("Τιμή 2"), Req);
            QCOMPARE(0, number);
        } catch (const ZrError &e) {
            QCOMPARE(e.number, number);
            QCOMPARE(e.description, ReplaceParams(s(number), values));
            QCOMPARE(e.source, QStringLiteral("ValidateStudent"));
            QCOMPARE(LastError().number, number);
        }
    }

    void studentData_data()
    {
        requirementColumns();
        QTest::newRow("no column") << 10 << 101 << 1 << QVariantMap{{"conoperator", 0}} << 20005 << 20005
                                   << QStringList{q(Req)};
        QTest::newRow("year between") << 10 << 101 << 1
            << QVariantMap{{"conselobjIDs", "in_year"}, {"conoperator", 5}, {"conoptval1", "2000"}, {"conoptval2", "2005"}}
            << 0 << 0 << QStringList();
        // Stored years keep no blanks, so the check reads them trimmed too.
        QTest::newRow("year with blanks") << 10 << 101 << 1
            << QVariantMap{{"conselobjIDs", "in_year"}, {"conoperator", 0}, {"conoptval1", " 2001 "}} << 0 << 0
            << QStringList();
        QTest::newRow("listed value has no rule") << 10 << 101 << 1
            << QVariantMap{{"conselobjIDs", "statusID"}, {"conoperator", 0}, {"conoptval1", "4"}} << 0 << 0
            << QStringList();
    }
    void studentData() { checkRequirement(); }

    void secondStudentValueIsNamedByItsRow()
    {
        LoadedRequirement requirement(10, 101, 1,
                                      {{"conselobjIDs", "in_year"}, {"conoperator", 5}, {"conoptval1", "2000"}});
        requirement.world.panel.setValue(ParamKey(Id, "conoptval2"), "205");
        const ZrError raised = requirement.validate();
        QCOMPARE(raised.number, 20009);
        QCOMPARE(raised.source, QStringLiteral("ValidateStudent"));
        QCOMPARE(raised.description, ReplaceParams(s(20009), {q(s(20598)), q(Req)}));
    }

    void listedStudentValueIsACode()
    {
        SchemaTable students;
        students.name = QStringLiteral("v_students");
        SchemaColumn mode;
        mode.name = QStringLiteral("in_modeID");
        mode.captionGreek = QStringLiteral("Τρόπος εισαγωγής");
        mode.type = FieldList;
        mode.listSource = QStringLiteral("TEXT:1;Πανελλαδικές;5;Μετεγγραφή");
        students.columns << mode;
        LoadedRequirement requirement(10, 101, 1, {{"conselobjIDs", "in_modeID"}, {"conoperator", 0}, {"conoptval1", "5"}},
                                      {}, &students);
        QCOMPARE(SelectedChoiceCode(requirement.world.panel, Id, "conoptval1"), QStringLiteral("5"));
        QCOMPARE(requirement.validate().number, 0);
    }

    void codeListTotals_data()
    {
        requirementColumns();
        const QStringList req{Req}; // these messages quote the requirement themselves
        const QVariantMap subjects{{"conselobjIDs", "4,5"}, {"conoptval6", "0"}, {"conoperator", 0},
                                   {"conoptval1", "10"}, {"conoptval4", "2"}};
        auto with = [](QVariantMap fields, const QVariantMap &changes) {
            for (auto it = changes.cbegin(); it != changes.cend(); ++it)
                fields[it.key()] = it.value();
            return fields;
        };
        const QVariant null;

        QTest::newRow("20 passes") << 20 << 103 << 1 << subjects << 0 << 0 << QStringList();
        QTest::newRow("20 no subjects") << 20 << 103 << 1 << with(subjects, {{"conselobjIDs", null}}) << 20005 << 20682 << req;
        QTest::newRow("40 all types") << 40 << 103 << 1
            << QVariantMap{{"conselobjIDs", "-1"}, {"conoperator", 8}, {"conoptval1", "300"}} << 0 << 0 << QStringList();
        QTest::newRow("40 all and one type") << 40 << 103 << 1
            << QVariantMap{{"conselobjIDs", "-1,3"}, {"conoperator", 8}, {"conoptval1", "300"}} << 20005 << 20687 << req;
        QTest::newRow("40 no types") << 40 << 103 << 1
            << QVariantMap{{"conoperator", 8}, {"conoptval1", "300"}} << 20005 << 20683 << req;
        QTest::newRow("50 no groups") << 50 << 103 << 1 << QVariantMap{{"conoptval1", "4"}} << 20005 << 20684 << req;
        QTest::newRow("110 no modes") << 110 << 103 << 1 << QVariantMap{{"conoptval1", "4"}} << 20005 << 20685 << req;
        QTest::newRow("120 no sectors") << 120 << 103 << 13 << QVariantMap{{"conoptval1", "4"}} << 20005 << 20686 << req;

        const QStringList value1{s(20688), q(Req)};
        QTest::newRow("value 1 with decimal comma") << 50 << 103 << 1
            << QVariantMap{{"conselobjIDs", "7"}, {"conoperator", 3}, {"conoptval1", "2,5"}} << 0 << 0 << QStringList();
        QTest::newRow("value 1 zero") << 50 << 103 << 1
            << QVariantMap{{"conselobjIDs", "7"}, {"conoperator", 3}, {"conoptval1", "0"}} << 0 << 0 << QStringList();
        QTest::newRow("value 1 negative") << 50 << 103 << 1
            << QVariantMap{{"conselobjIDs", "7"}, {"conoperator", 3}, {"conoptval1", "-1"}} << 20001 << 20001 << value1;
        QTest::newRow("value 1 text") << 110 << 103 << 1
            << QVariantMap{{"conselobjIDs", "2"}, {"conoperator", 3}, {"conoptval1", "abc"}} << 20001 << 20001 << value1;
        QTest::newRow("value 2 negative") << 50 << 103 << 1
            << QVariantMap{{"conselobjIDs", "7"}, {"conoperator", 5}, {"conoptval1", "1"}, {"conoptval2", "-2"}}
            << 20001 << 20001 << QStringList{s(20689), q(Req)};
        QTest::newRow("value 1 empty") << 20 << 103 << 1 << with(subjects, {{"conoptval1", null}}) << 20001 << 20001
                                       << value1;
        QTest::newRow("between with both values") << 20 << 103 << 1
            << with(subjects, {{"conoperator", 5}, {"conoptval2", "20"}}) << 0 << 0 << QStringList();
        QTest::newRow("between without value 2") << 20 << 103 << 1 << with(subjects, {{"conoperator", 5}}) << 20004
                                                 << 20690 << req;
        QTest::newRow("between without value 1") << 20 << 103 << 1
            << with(subjects, {{"conoperator", 5}, {"conoptval1", null}, {"conoptval2", "20"}}) << 20004 << 20690 << req;

        const QStringList minimumAboveCount{s(20691), s(20692), q(Req)};
        QTest::newRow("20 minimum of all subjects") << 20 << 103 << 1 << with(subjects, {{"conoptval4", "2"}}) << 0
                                                    << 0 << QStringList();
        QTest::newRow("20 minimum above the subjects") << 20 << 103 << 1 << with(subjects, {{"conoptval4", "3"}})
                                                       << 20004 << 20004 << minimumAboveCount;
        QTest::newRow("20 minimum not a number") << 20 << 103 << 1 << with(subjects, {{"conoptval4", "x"}})
                                                 << 20001 << 20001 << QStringList{s(20691), q(Req)};
    }
    void codeListTotals() { checkRequirement(); }

    void courseLists_data()
    {
        requirementColumns();
        const QVariantMap courses{{"conselobjIDs", "11,12"}, {"conoptval4", "1"}, {"conoperator", 8}, {"conoptval3", "0,5"}};
        const QVariantMap semesters{{"conselobjIDs", "1,2"}, {"conoptval3", "0,5"}, {"conoptval4", "0"}};
        const QVariantMap enrolment{{"conselobjIDs", "25,26"}, {"conoptval4", "1"}, {"conoptval6", "1"}, {"conoptval3", "0"}};
        auto with = [](QVariantMap fields, const QVariantMap &changes) {
            for (auto it = changes.cbegin(); it != changes.cend(); ++it)
                fields[it.key()] = it.value();
            return fields;
        };
        const QVariant null;
        const QStringList grade{s(20696), q(Req)};

        QTest::newRow("30 passes") << 30 << 101 << 1 << courses << 0 << 0 << QStringList();
        QTest::newRow("30 no courses") << 30 << 101 << 1 << with(courses, {{"conselobjIDs", null}}) << 20006 << 20006
                                       << QStringList{s(20693), q(Req)};
        QTest::newRow("100 no courses") << 100 << 106 << 4 << with(enrolment, {{"conselobjIDs", null}}) << 20006
                                        << 20006 << QStringList{s(20693), q(Req)};
        QTest::newRow("80 no semesters") << 80 << 105 << 1 << with(semesters, {{"conselobjIDs", null}}) << 20006
                                         << 20006 << QStringList{s(20694), q(Req)};

        QTest::newRow("30 minimum -1") << 30 << 101 << 1 << with(courses, {{"conoptval4", "-1"}}) << 0 << 0 << QStringList();
        QTest::newRow("30 minimum 0") << 30 << 101 << 1 << with(courses, {{"conoptval4", "0"}}) << 0 << 0 << QStringList();
        QTest::newRow("30 minimum of every course") << 30 << 101 << 1 << with(courses, {{"conoptval4", "2"}}) << 0
                                                    << 0 << QStringList();
        QTest::newRow("30 minimum above the courses") << 30 << 101 << 1 << with(courses, {{"conoptval4", "3"}})
                                                      << 20004 << 20004 << QStringList{s(20691), s(20695), q(Req)};
        QTest::newRow("30 minimum -2") << 30 << 101 << 1 << with(courses, {{"conoptval4", "-2"}}) << 20003 << 20003
                                       << QStringList{s(20691), q(Req)};
        QTest::newRow("100 minimum -1") << 100 << 106 << 4 << with(enrolment, {{"conoptval4", "-1"}}) << 20003
                                        << 20003 << QStringList{s(20691), q(Req)};
        QTest::newRow("100 minimum above the courses") << 100 << 106 << 4 << with(enrolment, {{"conoptval4", "3"}})
                                                       << 20004 << 20004 << QStringList{s(20691), s(20695), q(Req)};

        QTest::newRow("30 grade 1") << 30 << 101 << 1 << with(courses, {{"conoptval3", "1"}}) << 0 << 0 << QStringList();
        QTest::newRow("30 grade 1,5") << 30 << 101 << 1 << with(courses, {{"conoptval3", "1,5"}}) << 20002 << 20002 << grade;
        QTest::newRow("30 grade abc") << 30 << 101 << 1 << with(courses, {{"conoptval3", "abc"}}) << 20002 << 20002 << grade;
        QTest::newRow("30 grade empty") << 30 << 101 << 1 << with(courses, {{"conoptval3", null}}) << 20002 << 20002 << grade;
        QTest::newRow("80 grade 1.0") << 80 << 105 << 1 << with(semesters, {{"conoptval3", "1.0"}}) << 0 << 0 << QStringList();
        QTest::newRow("80 grade empty") << 80 << 105 << 1 << with(semesters, {{"conoptval3", null}}) << 20002 << 20002 << grade;
        QTest::newRow("100 has no grade") << 100 << 106 << 4 << enrolment << 0 << 0 << QStringList();

        // The period lists of type 80, named by their rows.
        QTest::newRow("80 exam periods known") << 80 << 105 << 1 << with(semesters, {{"conoptval1", "2000-1,2001"}})
                                               << 0 << 0 << QStringList();
        QTest::newRow("80 exam period unknown") << 80 << 105 << 1 << with(semesters, {{"conoptval1", "2000-1,2000-9"}})
                                                << 20712 << 20712 << QStringList{"2000-9", s(20642), Req};
        QTest::newRow("80 teaching periods shown by name") << 80 << 105 << 1
            << with(semesters, {{"conoptval2", "2000-1,2000-2,2001"}}) << 0 << 0 << QStringList();
        QTest::newRow("80 teaching period unknown") << 80 << 105 << 1 << with(semesters, {{"conoptval2", "2000-7"}})
                                                    << 20709 << 20709 << QStringList{"2000-7", s(20644), Req};
        QTest::newRow("80 grade before periods") << 80 << 105 << 1
            << with(semesters, {{"conoptval1", "99"}, {"conoptval3", "2"}}) << 20002 << 20002 << grade;

        // Options and totals that cannot be read are refused, not read as none.
        QTest::newRow("30 options of letters") << 30 << 101 << 1 << with(courses, {{"conoptval5", "abc"}}) << 10107
                                               << 10107 << QStringList{"abc", q(s(20628)), q(Req)};
        QTest::newRow("30 options readable") << 30 << 101 << 1 << with(courses, {{"conoptval5", "6;10"}}) << 0 << 0
                                             << QStringList();
        QTest::newRow("80 flags of letters") << 80 << 105 << 1 << with(semesters, {{"conoptval4", "abc"}}) << 10107
                                             << 10107 << QStringList{"abc", q(s(20552)), q(Req)};
        QTest::newRow("80 totals with an unreadable count") << 80 << 105 << 1
            << with(semesters, {{"conoptval5", "1;3#2;-2x"}}) << 10107 << 10107
            << QStringList{"2;-2x", q(s(20646)), q(Req)};
        QTest::newRow("80 totals item with a third part") << 80 << 105 << 1
            << with(semesters, {{"conoptval5", "1;3#3;2;1"}}) << 10107 << 10107
            << QStringList{"3;2;1", q(s(20646)), q(Req)};
        QTest::newRow("80 totals readable") << 80 << 105 << 1 << with(semesters, {{"conoptval5", "1;3#-1;2,5"}}) << 0
                                            << 0 << QStringList();
    }
    void courseLists() { checkRequirement(); }

    void countsAndYears_data()
    {
        requirementColumns();
        const QStringList value{s(20697), q(Req)};
        QTest::newRow("60 one project") << 60 << 103 << 1
            << QVariantMap{{"conselobjIDs", "2"}, {"conoperator", 8}, {"conoptval1", "1"}} << 0 << 0 << QStringList();
        QTest::newRow("60 no projects") << 60 << 103 << 1
            << QVariantMap{{"conselobjIDs", "2"}, {"conoperator", 8}, {"conoptval1", "0"}} << 20007 << 20007 << value;
        QTest::newRow("60 empty") << 60 << 103 << 1 << QVariantMap{{"conselobjIDs", "2"}, {"conoperator", 8}}
                                  << 20007 << 20007 << value;
        QTest::newRow("70 fraction above one") << 70 << 105 << 1
            << QVariantMap{{"conoperator", 4}, {"conoptval1", "1,5"}} << 0 << 0 << QStringList();
        QTest::newRow("70 not a number") << 70 << 105 << 1 << QVariantMap{{"conoperator", 4}, {"conoptval1", "abc"}}
                                         << 20007 << 20007 << value;

        auto years = [](int op, const QVariant &year1, const QVariant &year2) {
            return QVariantMap{{"conoperator", op}, {"conoptval1", year1}, {"conoptval2", year2},
                               {"conoptval6", "-1"}, {"conoptval3", "0,5"}};
        };
        const QVariant none;
        QTest::newRow("90 equal year") << 90 << 104 << 1 << years(0, "2001", none) << 0 << 0 << QStringList();
        QTest::newRow("90 equal with a second year") << 90 << 104 << 1 << years(0, "2001", "2002") << 20012 << 20012
                                                     << QStringList{s(20699), q(Req)};
        QTest::newRow("90 equal without a year") << 90 << 104 << 1 << years(0, none, none) << 20010 << 20010
                                                 << QStringList{s(20698), q(Req)};
        QTest::newRow("90 year 01") << 90 << 104 << 1 << years(0, "01", none) << 20009 << 20009
                                    << QStringList{q(s(20653)), q(Req)};
        QTest::newRow("90 year 2 of five digits") << 90 << 104 << 1 << years(5, "2001", "20022") << 20009 << 20009
                                                  << QStringList{q(s(20655)), q(Req)};
        QTest::newRow("90 between equal years") << 90 << 104 << 1 << years(5, "2001", "2001") << 0 << 0 << QStringList();
        QTest::newRow("90 between years reversed") << 90 << 104 << 1 << years(5, "2002", "2001") << 20011 << 20011
                                                   << QStringList{s(20698), s(20699), q(Req)};
        QTest::newRow("90 between one year") << 90 << 104 << 1 << years(5, "2001", none) << 20013 << 20013
                                             << QStringList{q(Req)};
        QVariantMap badGrade = years(0, "2001", none);
        badGrade["conoptval3"] = "abc";
        QTest::newRow("90 grade not numeric") << 90 << 104 << 1 << badGrade << 20002 << 20002
                                              << QStringList{s(20696), q(Req)};
        badGrade["conoptval3"] = QVariant();
        QTest::newRow("90 grade empty") << 90 << 104 << 1 << badGrade << 20002 << 20002
                                        << QStringList{s(20696), q(Req)};
    }
    void countsAndYears() { checkRequirement(); }

    void classCategory_data()
    {
        requirementColumns();
        const QStringList req{Req};
        auto category = [](const QVariant &course, const char *respective, int op, const QVariant &categories) {
            return QVariantMap{{"conselobjIDs", course}, {"conoptval1", respective}, {"conoperator", op},
                               {"conoptval10", categories}};
        };
        const QVariant none;
        QTest::newRow("no with operator and categories") << 130 << 111 << 4 << category("25", "0", 2, "1,3") << 0 << 0
                                                         << QStringList();
        QTest::newRow("no course") << 130 << 111 << 4 << category(none, "0", 2, "1,3") << 20006 << 20700 << req;
        QTest::newRow("no without categories") << 130 << 111 << 4 << category("25", "0", 2, none) << 20006 << 20701
                                               << req;
        QTest::newRow("no without operator") << 130 << 111 << 4 << category("25", "0", -1, "1") << 20006 << 20701
                                             << req;
        QTest::newRow("yes without categories") << 130 << 111 << 4 << category("25", "-1", -1, none) << 0 << 0
                                                << QStringList();
        QTest::newRow("yes with categories") << 130 << 111 << 4 << category("25", "-1", -1, "3") << 20006 << 20702
                                             << req;
        QTest::newRow("different from respective") << 130 << 111 << 4 << category("25", "0", 100, none) << 0 << 0
                                                   << QStringList();
        QTest::newRow("different from respective with yes") << 130 << 111 << 4 << category("25", "-1", 100, none)
                                                            << 20006 << 20703 << req;
        QTest::newRow("different from respective with categories") << 130 << 111 << 4
            << category("25", "0", 100, "1") << 20006 << 20703 << req;
    }
    void classCategory() { checkRequirement(); }

    void fieldSizes_data()
    {
        requirementColumns();
        QTest::addColumn<QVariantMap>("sizes");
        auto size = [](qint32 labelId, int defined) {
            return QStringList{s(labelId), Req, QString::number(defined)};
        };
        const QVariantMap subjects{{"conselobjIDs", "4,5"}, {"conoperator", 0}, {"conoptval1", "10"}, {"conoptval7", "101,102"}};
        QTest::newRow("codes fill the field") << 20 << 103 << 1 << subjects << 0 << 0 << QStringList()
                                              << QVariantMap{{"conselobjIDs", 3}};
        QTest::newRow("codes overflow") << 20 << 103 << 1 << subjects << 20021 << 20021 << size(20599, 2)
                                        << QVariantMap{{"conselobjIDs", 2}};
        QTest::newRow("no size is no bound") << 20 << 103 << 1 << subjects << 0 << 0 << QStringList()
                                             << QVariantMap{{"conselobjIDs", 0}, {"conoptval7", 0}};
        QTest::newRow("course exceptions overflow") << 20 << 103 << 1 << subjects << 20021 << 20021 << size(20614, 6)
                                                    << QVariantMap{{"conoptval7", 6}};
        QTest::newRow("30 courses overflow") << 30 << 101 << 1
            << QVariantMap{{"conselobjIDs", "11,12,13"}, {"conoptval4", "1"}, {"conoperator", 8}, {"conoptval3", "0,5"}}
            << 20021 << 20021 << size(20621, 5) << QVariantMap{{"conselobjIDs", 5}};
        const QVariantMap semesters{{"conselobjIDs", "1"}, {"conoptval3", "0,5"}, {"conoptval1", "2000-1,2001"},
                                    {"conoptval2", "2000-1"}};
        QTest::newRow("80 exam periods overflow") << 80 << 105 << 1 << semesters << 20021 << 20021 << size(20642, 8)
                                                  << QVariantMap{{"conoptval1", 8}};
        // The row shows "2000-ΧΕΙΜ"; the field will hold "2000-1".
        QTest::newRow("80 teaching periods fit by id") << 80 << 105 << 1 << semesters << 0 << 0 << QStringList()
                                                       << QVariantMap{{"conoptval2", 6}};
        QTest::newRow("80 teaching periods overflow") << 80 << 105 << 1 << semesters << 20021 << 20021
                                                      << size(20644, 5) << QVariantMap{{"conoptval2", 5}};
        QTest::newRow("90 course exceptions overflow") << 90 << 104 << 1
            << QVariantMap{{"conoperator", 0}, {"conoptval1", "2001"}, {"conoptval3", "0,5"}, {"conoptval7", "101,102"}}
            << 20021 << 20021 << size(20614, 4) << QVariantMap{{"conoptval7", 4}};
        // Rows without a size rule of their own: a value that passes the type's rules still has to fit.
        const QVariantMap longCount{{"conoperator", 4}, {"conoptval1", "12345"}};
        QTest::newRow("70 count fits") << 70 << 105 << 1 << longCount << 0 << 0 << QStringList()
                                       << QVariantMap{{"conoptval1", 5}};
        QTest::newRow("70 count overflow") << 70 << 105 << 1 << longCount << 20021 << 20021 << size(20638, 4)
                                           << QVariantMap{{"conoptval1", 4}};
        QTest::newRow("90 grade overflow") << 90 << 104 << 1
            << QVariantMap{{"conoperator", 0}, {"conoptval1", "2001"}, {"conoptval3", "0,555"}}
            << 20021 << 20021 << size(20648, 3) << QVariantMap{{"conoptval3", 3}};
    }
    void fieldSizes()
    {
        QFETCH(QVariantMap, sizes);
        checkRequirement(sizes);
    }

    void periodLists_data()
    {
        QTest::addColumn<bool>("exam");
        QTest::addColumn<bool>("withTable");
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("number");
        QTest::addColumn<QStringList>("values");
        const QString row = QStringLiteral("Περίοδοι");
        auto named = [&row](const QString &element) { return QStringList{element, row, Req}; };
        const QStringList emptyElement{row, Req};

        QTest::newRow("exam: empty list") << true << true << "" << 0 << QStringList();
        QTest::newRow("exam: years and periods") << true << true << "2000-1,2000-2,2001" << 0 << QStringList();
        QTest::newRow("exam: blanks around") << true << true << " 2000 - 1 , 2001 " << 0 << QStringList();
        QTest::newRow("exam: unknown period") << true << true << "2000-1,2000-9" << 20712 << named("2000-9");
        QTest::newRow("exam: period not a number") << true << true << "2000-ΙΑΝ" << 20712 << named("2000-ΙΑΝ");
        QTest::newRow("exam: no period after the dash") << true << true << "2000-" << 20712 << named("2000-");
        QTest::newRow("exam: quote in the period") << true << true << "2000-1' OR 'a'='a" << 20712
                                                   << named("2000-1' OR 'a'='a");
        QTest::newRow("exam: short year with period") << true << true << "99-1" << 20710 << named("99-1");
        QTest::newRow("exam: short year alone") << true << true << "2001,99" << 20710 << named("99");
        QTest::newRow("exam: period alone") << true << true << "-1" << 20710 << named("-1");
        QTest::newRow("exam: empty element") << true << true << "2000,,2001" << 20713 << emptyElement;
        QTest::newRow("exam: trailing comma") << true << true << "2000," << 20713 << emptyElement;
        QTest::newRow("exam: two dashes passed over") << true << true << "2000-1-2" << 0 << QStringList();
        QTest::newRow("exam: no table, year alone") << true << false << "2001" << 0 << QStringList();
        QTest::newRow("exam: no table, year and period") << true << false << "2000-1" << 20712 << named("2000-1");

        QTest::newRow("teaching: names") << false << true << "2000-ΧΕΙΜ,2000-ΕΑΡ,2001" << 0 << QStringList();
        QTest::newRow("teaching: unknown name") << false << true << "2000-ΘΕΡ" << 20709 << named("2000-ΘΕΡ");
        QTest::newRow("teaching: an id is not a name") << false << true << "2000-1" << 20709 << named("2000-1");
        QTest::newRow("teaching: quote in the period") << false << true << "2000-x' OR termDesc<>'" << 20709
                                                       << named("2000-x' OR termDesc<>'");
        QTest::newRow("teaching: short year") << false << true << "200-ΧΕΙΜ" << 20710 << named("200-ΧΕΙΜ");
        QTest::newRow("teaching: empty element") << false << true << "2000-ΧΕΙΜ, ,2001" << 20711 << emptyElement;
        QTest::newRow("teaching: no table") << false << false << "2000-ΧΕΙΜ" << 20709 << named("2000-ΧΕΙΜ");
    }
    void periodLists()
    {
        QFETCH(bool, exam);
        QFETCH(bool, withTable);
        QFETCH(QString, list);
        QFETCH(int, number);
        QFETCH(QStringList, values);
        const Recordset table = !withTable ? Recordset() : exam ? examPeriodTable() : sampleTable("SYS_terms");
        try {
            if (exam)
                CheckExamPeriods(list, QStringLiteral("Περίοδοι"), Req, table);
            else
                CheckTeachingPeriods(list, QStringLiteral("Περίοδοι"), Req, table);
            QCOMPARE(0, number);
        } catch (const ZrError &e) {
            QCOMPARE(e.number, number);
            QCOMPARE(e.description, ReplaceParams(s(number), values));
        }
        if (withTable)
            QVERIFY(!table.isFiltered()); // the caller's look-up list stays as it was
    }

    void failureIsRecordedAndChangesNothing()
    {
        LoadedRequirement requirement(30, 101, 1,
                                      {{"conselobjIDs", "11,12"}, {"conoptval4", "1"}, {"conoperator", 8},
                                       {"conoptval3", "0,5"}});
        QCOMPARE(requirement.validate().number, 0);

        // The rules read what the rows show, not what the record holds.
        requirement.world.panel.setValue(ParamKey(Id, "conoptval3"), "abc");
        const ZrError raised = requirement.validate();
        QCOMPARE(raised.number, 20002);
        QCOMPARE(LastError().number, raised.number);
        QCOMPARE(LastError().source, raised.source);
        QCOMPARE(LastError().description, raised.description);
        QCOMPARE(requirement.row.status(), Recordset::adRecUnmodified);
        QCOMPARE(requirement.row.value(u"conoptval3").toString(), QStringLiteral("0,5"));
    }

    void messagesFollowTheLanguage()
    {
        StringService::instance().setLanguageId(LangEnglish);
        LoadedRequirement requirement(30, 101, 1, {{"conoptval4", "1"}, {"conoperator", 8}, {"conoptval3", "0,5"}});
        const ZrError raised = requirement.validate();
        StringService::instance().setLanguageId(LangGreek);
        // The English text quotes the requirement itself; it is not quoted twice.
        QCOMPARE(raised.number, 20006);
        QVERIFY2(raised.description.endsWith(QLatin1String(" '") + Req + QLatin1Char('\'')), qPrintable(raised.description));
    }
};

QTEST_GUILESS_MAIN(tst_ParameterValidation)
#include "tst_parametervalidation.moc"
