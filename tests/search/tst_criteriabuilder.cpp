#include "common/schema.h"
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
        QTest::addColumn<SqlDialect>("dialect");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("op");
        QTest::addColumn<QVariant>("v1");
        QTest::addColumn<QVariant>("v2");
        QTest::addColumn<QString>("statement");

        const auto lite = SqlDialect::SQLite;
        const auto pg = SqlDialect::PostgreSQL;
        const QVariant none;
        QTest::newRow("text equal") << lite << "lastname" << int(FieldText) << 0 << QVariant("Παπαδόπουλος") << none
                                    << "WHERE lastname = 'Παπαδόπουλος'";
        QTest::newRow("quote doubled") << lite << "title" << int(FieldText) << 0 << QVariant("Κατ' επιλογήν") << none
                                       << "WHERE title = 'Κατ'' επιλογήν'";
        QTest::newRow("injection stays text") << lite << "title" << int(FieldText) << 2
                                              << QVariant("x' OR '1'='1") << none
                                              << "WHERE title <> 'x'' OR ''1''=''1'";
        QTest::newRow("trimmed") << lite << "lastname" << int(FieldText) << 0 << QVariant("  Μακρής ") << none
                                 << "WHERE lastname = 'Μακρής'";
        QTest::newRow("contains") << lite << "title" << int(FieldText) << 1 << QVariant("Δίκτυα") << none
                                  << "WHERE title LIKE '%Δίκτυα%'";
        QTest::newRow("contains on postgres") << pg << "title" << int(FieldText) << 1 << QVariant("δίκτυα") << none
                                              << "WHERE title ILIKE '%δίκτυα%'";
        QTest::newRow("starts with") << lite << "spec_aem" << int(FieldText) << 6 << QVariant("10") << none
                                     << "WHERE spec_aem LIKE '10%'";
        QTest::newRow("does not contain") << lite << "title" << int(FieldText) << 7 << QVariant("II") << none
                                          << "WHERE title NOT LIKE '%II%'";
        QTest::newRow("wildcards are text") << lite << "title" << int(FieldText) << 1 << QVariant("50%_") << none
                                            << "WHERE title LIKE '%50\\%\\_%' ESCAPE '\\'";
        QTest::newRow("integer") << lite << "semID" << int(FieldInteger) << 8 << QVariant("5") << none
                                 << "WHERE semID >= 5";
        QTest::newRow("list id") << lite << "ctypeID" << int(FieldList) << 0 << QVariant(2) << none
                                 << "WHERE ctypeID = 2";
        QTest::newRow("decimal comma") << lite << "studrate" << int(FieldDecimal) << 3 << QVariant("7,5") << none
                                       << "WHERE studrate > 7.5";
        QTest::newRow("less or equal") << lite << "credits" << int(FieldDecimal) << 9 << QVariant(4.5) << none
                                       << "WHERE credits <= 4.5";
        QTest::newRow("between numbers") << lite << "in_year" << int(FieldInteger) << 5 << QVariant("2015")
                                         << QVariant("2018") << "WHERE in_year BETWEEN 2015 AND 2018";
        QTest::newRow("yes") << lite << "cshared" << int(FieldYesNo) << 0 << QVariant(true) << none
                             << "WHERE cshared = -1";
        QTest::newRow("no") << lite << "cshared" << int(FieldYesNo) << 0 << QVariant("0") << none
                            << "WHERE cshared = 0";
        QTest::newRow("date sqlite") << lite << "or_date" << int(FieldDate) << 4 << QVariant("31/1/2023") << none
                                     << "WHERE or_date < '2023-01-31'";
        QTest::newRow("date postgres") << pg << "or_date" << int(FieldDate) << 4 << QVariant(QDate(2023, 1, 31))
                                       << none << "WHERE or_date < DATE '2023-01-31'";
        QTest::newRow("dates between") << pg << "or_date" << int(FieldDate) << 5 << QVariant("2020-01-01")
                                       << QVariant("2020-12-31")
                                       << "WHERE or_date BETWEEN DATE '2020-01-01' AND DATE '2020-12-31'";
        QTest::newRow("text list id") << lite << "department_ID" << int(FieldListText) << 0 << QVariant(105) << none
                                      << "WHERE department_ID = '105'";
    }

    void writesOneCriterion()
    {
        QFETCH(SqlDialect, dialect);
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

    void refusesBadCriteria_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("op");
        QTest::addColumn<QVariant>("v1");
        QTest::addColumn<QVariant>("v2");
        const QVariant none;
        QTest::newRow("no value") << "title" << int(FieldText) << 0 << none << none;
        QTest::newRow("blank value") << "title" << int(FieldText) << 1 << QVariant("   ") << none;
        QTest::newRow("between without second") << "semID" << int(FieldInteger) << 5 << QVariant(1) << none;
        QTest::newRow("word for a number") << "semID" << int(FieldInteger) << 0 << QVariant("πέντε") << none;
        QTest::newRow("fraction for an integer") << "semID" << int(FieldInteger) << 0 << QVariant("1,5") << none;
        QTest::newRow("number with sql") << "semID" << int(FieldInteger) << 0 << QVariant("1 OR 1=1") << none;
        QTest::newRow("bad date") << "or_date" << int(FieldDate) << 0 << QVariant("31/02/2023") << none;
        QTest::newRow("unknown operator") << "title" << int(FieldText) << 10 << QVariant("x") << none;
        QTest::newRow("field with sql") << "title = 'x' OR title" << int(FieldText) << 0 << QVariant("x") << none;
        QTest::newRow("field with comment") << "title--" << int(FieldText) << 0 << QVariant("x") << none;
    }

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
        // The search control drops the first six characters.
        QVERIFY(b.statement().startsWith(QLatin1String("WHERE ")));
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
