// Inputs that once broke a round trip between a writer and its reader, found
// by the fuzz targets in fuzz/ (those that broke the filter language are rows
// "fuzz: ..." of the filter tables). Each row is the smallest input that
// showed the fault.
#include "../datafile.h"
#include "reqtypes/customoptions.h"

#include <QTest>

using namespace zr;

class TestInputRegressions : public QObject
{
    Q_OBJECT

private slots:
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
