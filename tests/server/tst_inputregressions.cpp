// Inputs that once broke a parser or a round trip between a writer and its
// reader, found by the fuzz targets in fuzz/. Each row is the smallest input
// that showed the fault.
#include "filterparser.h"
#include "jsonschema.h"
#include "../datafile.h"
#include "reqtypes/customoptions.h"

#include <QTest>

using namespace zr;
using namespace zr::server;

class TestInputRegressions : public QObject
{
    Q_OBJECT

private slots:
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
