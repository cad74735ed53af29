#include "../datafile.h"
#include "../requirements/requirementfixture.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/sheetrules.h"
#include "reqtypes/parametervalidation.h"
#include "reqtypes/requirementvalue.h"
#include "sheetfixture.h"

#include <QRegularExpression>
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

// A message's values as the data files write them: {req} the requirement, {s:N} string N.
QStringList messageValues(QStringList values)
{
    static const QRegularExpression text(QStringLiteral("\\{s:(\\d+)\\}"));
    for (QString &value : values) {
        value.replace(QLatin1String("{req}"), Req);
        for (auto m = text.match(value); m.hasMatch(); m = text.match(value))
            value.replace(m.capturedStart(), m.capturedLength(), s(m.captured(1).toInt()));
    }
    return values;
}

Recordset examPeriodTable()
{
    return codeTable("epID", {"epdescr"}, {{1, "Ιανουαρίου"}, {2, "Ιουνίου"}});
}

// A requirement read from its stored row as its sheet shows it, named Req, with exam periods in the cache.
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
        value = ShownValue(RequirementValue::fromRow(row, 0, context), world.sheet);
    }

    // What the user types into the row of `field`.
    void type(const QString &field, const QString &text)
    {
        value.setParameter(field, StoredFromText(SheetRow(typeId, world.sheet.context, field), typeId, text, world.sheet));
    }

    // Validates; the raised error, or number 0 when every rule passed.
    ZrError validate()
    {
        try {
            ValidateInput(value.counted(), {Req, {}}, row, world.sheet);
        } catch (const ZrError &e) {
            return e;
        }
        return ZrError();
    }

    SheetWorld world;
    int typeId;
    Recordset row;
    RequirementValue value;
};
} // namespace

class tst_ParameterValidation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    // Every row of data/requirementrules.tsv: stored fields, then the expected raised
    // number (0: passes), message id, the message's values and the fields' sizes.
    void requirementRules_data()
    {
        QTest::addColumn<int>("typeId");
        QTest::addColumn<int>("context");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("message");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QVariantMap>("sizes");
        for (const QStringList &row : dataRows(QFINDTESTDATA("data/requirementrules.tsv"))) {
            QVariantMap stored, sizes;
            for (const QString &pair : row.at(5).split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
                const QString field = pair.section(QLatin1Char('='), 0, 0), value = pair.section(QLatin1Char('='), 1);
                stored.insert(field, field == QLatin1String("conoperator") ? QVariant(value.toInt()) : QVariant(value));
            }
            for (const QString &pair : row.value(9).split(QLatin1Char('|'), Qt::SkipEmptyParts))
                sizes.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1).toInt());
            const QStringList values = messageValues(row.at(8).split(QLatin1Char('|'), Qt::SkipEmptyParts));
            QTest::newRow(qPrintable(row.at(0) + QLatin1String(": ") + row.at(1))) << row.at(2).toInt() << row.at(3).toInt() << row.at(4).toInt() << stored
                                                 << row.at(6).toInt() << row.at(7).toInt() << values << sizes;
        }
    }

    void requirementRules()
    {
        QFETCH(QVariantMap, sizes);
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

    void isPositiveNumber_data() { addDataRows(QFINDTESTDATA("data/parametervalidation-is-positive-number.tsv")); }
    void isPositiveNumber()
    {
        QFETCH(QString, text);
        QFETCH(QString, rule);
        QFETCH(bool, accepted);
        QCOMPARE(IsPositiveNumber(text, rule), accepted);
    }

    void studentColumnRules_data() { addDataRows(QFINDTESTDATA("data/parametervalidation-student-column-rules.tsv")); }
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
            QCOMPARE(e.description, ReplaceParams(s(number), messageValues(values)));
            QCOMPARE(e.source, QStringLiteral("ValidateStudent"));
            QCOMPARE(LastError().number, number);
        }
    }

    void secondStudentValueIsNamedByItsRow()
    {
        LoadedRequirement requirement(10, 101, 1,
                                      {{"conselobjIDs", "in_year"}, {"conoperator", 5}, {"conoptval1", "2000"}});
        requirement.type("conoptval2", "205");
        const ZrError raised = requirement.validate();
        QCOMPARE(raised.number, 20009);
        QCOMPARE(raised.source, QStringLiteral("ValidateStudent"));
        QCOMPARE(raised.description, ReplaceParams(s(20009), messageValues({"'{s:20598}'", "'{req}'"})));
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
        QCOMPARE(requirement.value.parameter("conoptval1")->text(), QStringLiteral("5"));
        QCOMPARE(requirement.validate().number, 0);
    }


    void periodLists_data() { addDataRows(QFINDTESTDATA("data/parametervalidation-period-lists.tsv")); }
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
            QCOMPARE(e.description, ReplaceParams(s(number), messageValues(values)));
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
        requirement.type("conoptval3", "abc");
        const ZrError raised = requirement.validate();
        QCOMPARE(raised.number, 20002);
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
