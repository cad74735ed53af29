// Inputs that once broke a parser or a round trip between a writer and its
// reader, found by the fuzz targets in fuzz/. Each row is the smallest input
// that showed the fault.
#include "filterparser.h"
#include "../datafile.h"
#include "servererrors.h"
#include "common/zrerror.h"
#include "reqtypes/customoptions.h"
#include "search/criteriabuilder.h"

#include <QTest>

using namespace zr;
using namespace zr::server;

Q_DECLARE_METATYPE(zr::SqlDialect)

namespace {

SchemaTable table()
{
    SchemaTable t;
    t.name = QStringLiteral("T");
    const QList<QPair<const char *, SqlType>> columns = {
        {"c_text", SqlType::Text}, {"c_list", SqlType::Integer}, {"c_decimal", SqlType::Real}};
    for (const auto &c : columns) {
        SchemaColumn column;
        column.name = QString::fromLatin1(c.first);
        column.sqlType = c.second;
        t.columns << column;
    }
    return t;
}

} // namespace

class TestInputRegressions : public QObject
{
    Q_OBJECT

private slots:
    // A criterion the builder accepts must be one the server's parser reads.
    void builderWritesWhatTheParserReads_data()
    {
        QTest::addColumn<SqlDialect>("dialect");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("fieldType");
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");
        const QString nul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        for (SqlDialect d : {SqlDialect::SQLite, SqlDialect::PostgreSQL}) {
            const char *name = d == SqlDialect::SQLite ? "sqlite" : "postgresql";
            QTest::addRow("%s NUL in an equal text", name) << d << "c_text" << int(FieldText) << 0 << nul << false;
            QTest::addRow("%s NUL in a contains text", name) << d << "c_text" << int(FieldText) << 1 << nul << false;
            QTest::addRow("%s NUL alone", name) << d << "c_text" << int(FieldText) << 6 << QString(QChar(0)) << false;
            QTest::addRow("%s text without NUL", name) << d << "c_text" << int(FieldText) << 0 << "a'b" << true;
            QTest::addRow("%s decimal", name) << d << "c_decimal" << int(FieldDecimal) << 3 << "0,5" << true;
        }
    }
    void builderWritesWhatTheParserReads()
    {
        QFETCH(SqlDialect, dialect);
        QFETCH(QString, field);
        QFETCH(int, fieldType);
        QFETCH(int, op);
        QFETCH(QString, value);
        QFETCH(bool, accepted);
        CriteriaBuilder builder(dialect);
        QCOMPARE(builder.addCriterion(field, fieldType, op, value), accepted);
        if (!accepted) {
            QVERIFY(builder.statement().isEmpty());
            return;
        }
        const QString statement = builder.statement();
        QVERIFY(statement.startsWith(QLatin1String("WHERE ")));
        const BoundFilter bound = parseFilter(statement.mid(6), table(), dialect);
        QCOMPARE(bound.values.size(), 1);
    }

    // Numbers beyond 64 bits meet an integer column: no undefined conversion,
    // the value stays the number written.
    void hugeNumbersOnIntegerColumns_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<double>("bound");
        QTest::newRow("in a list") << "c_list IN (1, 2333333333333333333333333333333333333333)" << 2.333333333333333e39;
        QTest::newRow("compared") << "c_list = -1e30" << -1e30;
        QTest::newRow("just beyond 64 bits") << "c_list > 9.3e18" << 9.3e18;
    }
    void hugeNumbersOnIntegerColumns()
    {
        QFETCH(QString, filter);
        QFETCH(double, bound);
        const BoundFilter f = parseFilter(filter, table(), SqlDialect::SQLite);
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
