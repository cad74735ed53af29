#include "../requirements/requirementfixture.h"
#include "reqtypes/requirementvalue.h"

#include <QtTest>

using namespace zr;
using namespace zr::test;

namespace {
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
} // namespace

class tst_RequirementValue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each parameter reads in its own type from what the row stores.
    void readsEachParameterInItsType_data()
    {
        QTest::addColumn<int>("typeId");
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("expected");

        QTest::newRow("operator code") << 30 << 101 << "conoperator" << QVariant(8) << "code 8";
        QTest::newRow("grade, decimal comma") << 30 << 101 << "conoptval3" << QVariant("0,5") << "number 0.5";
        QTest::newRow("grade, decimal point") << 30 << 101 << "conoptval3" << QVariant("0.75") << "number 0.75";
        QTest::newRow("grade that is no number") << 30 << 101 << "conoptval3" << QVariant("abc") << "";
        QTest::newRow("course codes, blanks passed over") << 30 << 101 << "conselobjIDs" << QVariant("11, 12,,13")
                                                          << "codes 11|12|13";
        QTest::newRow("minimum") << 30 << 101 << "conoptval4" << QVariant("2") << "number 2";
        QTest::newRow("course types") << 40 << 103 << "conselobjIDs" << QVariant("1,-1") << "codes 1|-1";
        QTest::newRow("course-type totals") << 80 << 103 << "conoptval5" << QVariant("1;20#-1;120,5")
                                            << "total 1=20; total -1=120.5";
        QTest::newRow("flags") << 80 << 103 << "conoptval4" << QVariant("5") << "flags 5";
        QTest::newRow("flags that do not read") << 80 << 103 << "conoptval4" << QVariant("x") << "flags 0";
        QTest::newRow("exam periods") << 80 << 103 << "conoptval1" << QVariant("2000-1, 2001,") << "period 2000/1; period 2001/";
        QTest::newRow("teaching periods by id") << 80 << 103 << "conoptval2" << QVariant("2000-2") << "period 2000/2";
        QTest::newRow("student column") << 10 << 101 << "conselobjIDs" << QVariant("in_year") << "code in_year";
        QTest::newRow("NULL reads as nothing") << 30 << 101 << "conoptval3" << QVariant() << "";
    }

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
};

QTEST_MAIN(tst_RequirementValue)
#include "tst_requirementvalue.moc"
