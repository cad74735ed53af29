// Inputs that once broke a parser or a round trip between a writer and its
// reader, found by the fuzz targets in fuzz/. Each row is the smallest input
// that showed the fault.
#include "filterparser.h"
#include "jsonschema.h"
#include "../datafile.h"
#include "reqtypes/customoptions.h"
#include "search/criteriabuilder.h"

#include <QTest>

using namespace zr;
using namespace zr::server;

class TestInputRegressions : public QObject
{
    Q_OBJECT

private slots:
    // A NUL cannot pass through either database's text: the builder refuses it, in every operator.
    void builderRefusesNul_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("value");
        QTest::newRow("inside an equal text") << 0 << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        QTest::newRow("inside a contains text") << 1 << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        QTest::newRow("alone, starts with") << 6 << QString(QChar(0));
    }
    void builderRefusesNul()
    {
        QFETCH(int, op);
        QFETCH(QString, value);
        for (const SqlDialect dialect : {SqlDialect::SQLite, SqlDialect::PostgreSQL}) {
            CriteriaBuilder builder(dialect);
            QVERIFY(!builder.addCriterion(QStringLiteral("title"), FieldText, op, value));
            QVERIFY(builder.statement().isEmpty());
        }
    }

    // Numbers beyond 64 bits meet an integer column: no undefined conversion,
    // the value stays the number written.
    void hugeNumbersOnIntegerColumns_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<double>("bound");
        QTest::newRow("in a list") << "courseID IN (1, 2333333333333333333333333333333333333333)" << 2.333333333333333e39;
        QTest::newRow("compared") << "courseID = -1e30" << -1e30;
        QTest::newRow("just beyond 64 bits") << "courseID > 9.3e18" << 9.3e18;
    }
    void hugeNumbersOnIntegerColumns()
    {
        QFETCH(QString, filter);
        QFETCH(double, bound);
        const BoundFilter f = parseFilter(filter, *JsonSchema().table(QStringLiteral("QEMCourses")), SqlDialect::SQLite);
        QVERIFY(!f.values.isEmpty());
        QCOMPARE(f.values.last().toDouble(), bound);
    }

    // A stored semester limit is written back with every digit when the
    // options are read and saved unchanged.
    void semesterLimitsKeepTheirDigits_data() { zr::test::addDataRows(QFINDTESTDATA("data/inputregressions-semester-limits-keep-their-digits.tsv")); }
    void semesterLimitsKeepTheirDigits()
    {
        QFETCH(QString, stored);
        QCOMPARE(CustomOptions::decode(30, stored).encode(), stored);
    }
};

QTEST_GUILESS_MAIN(TestInputRegressions)
#include "tst_inputregressions.moc"
