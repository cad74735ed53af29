#include "common/schema.h"
#include "../datafile.h"
#include "search/criteriabuilder.h"

#include <QDate>
#include <QTest>

using namespace zr;

Q_DECLARE_METATYPE(zr::SqlDialect)

class TestCriteriaBuilder : public QObject
{
    Q_OBJECT

private slots:
    void writesOneCriterion_data()
    {
        zr::test::addDataRows(QFINDTESTDATA("data/criteriabuilder-writes-one-criterion.tsv"));
        QTest::newRow("date postgres") << "postgresql" << "or_date" << int(FieldDate) << 4 << QVariant(QDate(2023, 1, 31))
                                       << QVariant() << "WHERE or_date < DATE '2023-01-31'";
    }

    void writesOneCriterion()
    {
        QFETCH(QString, dialectName);
        const SqlDialect dialect = dialectName == u"postgresql" ? SqlDialect::PostgreSQL : SqlDialect::SQLite;
        QFETCH(QString, field);
        QFETCH(int, type);
        QFETCH(int, op);
        QFETCH(QVariant, v1);
        QFETCH(QVariant, v2);
        QFETCH(QString, statement);
        CriteriaBuilder b(dialect);
        QVERIFY(b.addCriterion(field, type, op, v1, v2));
        QCOMPARE(b.statement(), statement);
    }

    void refusesBadCriteria_data() { zr::test::addDataRows(QFINDTESTDATA("data/criteriabuilder-refuses-bad-criteria.tsv")); }

    void refusesBadCriteria()
    {
        QFETCH(QString, field);
        QFETCH(int, type);
        QFETCH(int, op);
        QFETCH(QVariant, v1);
        QFETCH(QVariant, v2);
        CriteriaBuilder b;
        QVERIFY(!b.addCriterion(field, type, op, v1, v2));
        QCOMPARE(b.count(), 0);
        QCOMPARE(b.statement(), QString());
    }

    void combinesCriteria_data()
    {
        QTest::addColumn<int>("combination");
        QTest::addColumn<QString>("statement");
        QTest::newRow("and") << int(CriteriaBuilder::CombineAnd)
                             << "WHERE (lastname LIKE 'Π%') AND (in_year >= 2015) AND (sector = 2)";
        QTest::newRow("or") << int(CriteriaBuilder::CombineOr)
                            << "WHERE (lastname LIKE 'Π%') OR (in_year >= 2015) OR (sector = 2)";
    }

    void combinesCriteria()
    {
        QFETCH(int, combination);
        QFETCH(QString, statement);
        CriteriaBuilder b;
        b.setCombination(combination);
        QVERIFY(b.addCriterion(QStringLiteral("lastname"), FieldText, 6, QStringLiteral("Π")));
        QVERIFY(b.addCriterion(QStringLiteral("in_year"), FieldInteger, 8, 2015));
        QVERIFY(b.addCriterion(QStringLiteral("sector"), FieldList, 0, QStringLiteral("2")));
        QCOMPARE(b.statement(), statement);
        b.clear();
        QCOMPARE(b.statement(), QString());
    }

    void exactTextKeepsCaseOnPostgres()
    {
        CriteriaBuilder b(SqlDialect::PostgreSQL);
        b.setMode(CriteriaBuilder::TrimValues);
        QVERIFY(b.addCriterion(QStringLiteral("title"), FieldText, 1, QStringLiteral("Δίκτυα")));
        QCOMPARE(b.statement(), QStringLiteral("WHERE title LIKE '%Δίκτυα%'"));
    }
};

QTEST_GUILESS_MAIN(TestCriteriaBuilder)
#include "tst_criteriabuilder.moc"
