#include "filterparser.h"
#include "textfold.h"
#include "hostilefilters.h"
#include "jsonschema.h"
#include "servererrors.h"
#include "common/zrerror.h"
#include "search/criteriabuilder.h"

#include <QDate>

#include <QTest>

using namespace zr;
using namespace zr::server;

Q_DECLARE_METATYPE(zr::SqlDialect)

// The character table PostgreSQL's translate() is given as two bound values.
static QVariantList pgFold()
{
    QVariantList values;
    zr::server::FoldedSql(zr::SqlDialect::PostgreSQL, QStringLiteral("x"), values);
    return values;
}

class TestFilterParser : public QObject
{
    Q_OBJECT

private:
    JsonSchema m_schema;

    const SchemaTable &table(const QString &name)
    {
        const SchemaTable *t = m_schema.table(name);
        Q_ASSERT(t);
        return *t;
    }

private slots:
    void writesBoundSql_data()
    {
        QTest::addColumn<SqlDialect>("dialect");
        QTest::addColumn<QString>("tableName");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("values");

        const auto lite = SqlDialect::SQLite;
        const auto pg = SqlDialect::PostgreSQL;
        QTest::newRow("empty") << lite << "QEMCourses" << "  " << "" << QVariantList();
        QTest::newRow("number") << lite << "QEMDPOrientation" << "prID=1" << "prID = ?" << QVariantList{1LL};
        QTest::newRow("case of names") << lite << "QEMDPOrientation" << "PRID = 1" << "prID = ?"
                                       << QVariantList{1LL};
        QTest::newRow("quoted number on integer") << lite << "QEMCourses" << "courseID = '12'" << "courseID = ?"
                                                  << QVariantList{12LL};
        QTest::newRow("number on text") << lite << "QEMObjectConstraint" << "secobjID=11" << "secobjID = ?"
                                        << QVariantList{QStringLiteral("11")};
        QTest::newRow("doubled quotes") << lite << "QEMCourses" << "title = 'Κατ'' επιλογήν'" << "title = ?"
                                        << QVariantList{QStringLiteral("Κατ' επιλογήν")};
        QTest::newRow("department courses")
            << lite << "QEMCourses"
            << "((depID='105' OR cshared=-1) AND ((coursetype & 5) <> 0))"
            << "((depID = ? OR cshared = ?) AND (((coursetype & ?)) <> ?))"
            << QVariantList{QStringLiteral("105"), -1LL, 5LL, 0LL};
        QTest::newRow("bit and without parentheses") << lite << "QEMCourses" << "coursetype & 4 = 4"
                                                     << "(coursetype & ?) = ?" << QVariantList{4LL, 4LL};
        QTest::newRow("not equal forms") << lite << "QEMDPGroup" << "prID = 1 AND dgtypeID != 1"
                                         << "prID = ? AND dgtypeID <> ?" << QVariantList{1LL, 1LL};
        QTest::newRow("not") << lite << "QEMCourses" << "NOT cshared = -1" << "NOT (cshared = ?)"
                             << QVariantList{-1LL};
        QTest::newRow("like") << lite << "v_students" << "lastname LIKE 'Παπ%'" << "zr_fold(lastname) LIKE zr_fold(?)"
                              << QVariantList{QStringLiteral("Παπ%")};
        QTest::newRow("like escape") << lite << "QEMCourses" << "title NOT LIKE '%50\\%%' ESCAPE '\\'"
                                     << "zr_fold(title) NOT LIKE zr_fold(?) ESCAPE ?"
                                     << QVariantList{QStringLiteral("%50\\%%"), QStringLiteral("\\")};
        QTest::newRow("ilike on sqlite") << lite << "v_students" << "lastname ILIKE 'π%'" << "zr_fold(lastname) LIKE zr_fold(?)"
                                         << QVariantList{QStringLiteral("π%")};
        QTest::newRow("ilike on postgres") << pg << "v_students" << "lastname ILIKE 'π%'"
                                           << "translate(lastname, ?, ?) LIKE translate(?, ?, ?)"
                                           << (pgFold() + QVariantList{QStringLiteral("π%")} + pgFold());
        QTest::newRow("like on a number, postgres") << pg << "QEMCourses" << "semID LIKE '1%'"
                                                    << "CAST(semID AS VARCHAR) LIKE ?"
                                                    << QVariantList{QStringLiteral("1%")};
        QTest::newRow("in") << lite << "QEMCourses" << "courseID IN (1, '2', 3)" << "courseID IN (?, ?, ?)"
                            << QVariantList{1LL, 2LL, 3LL};
        QTest::newRow("not in") << lite << "QEMCourses" << "semID NOT IN (9,10)" << "semID NOT IN (?, ?)"
                                << QVariantList{9LL, 10LL};
        QTest::newRow("is null") << lite << "v_students" << "orient_ID IS NULL AND sector IS NOT NULL"
                                 << "orient_ID IS NULL AND sector IS NOT NULL" << QVariantList();
        QTest::newRow("between") << lite << "v_students" << "in_year BETWEEN 2015 AND 2018 AND exam_ID > 4"
                                 << "in_year BETWEEN ? AND ? AND exam_ID > ?" << QVariantList{2015LL, 2018LL, 4LL};
        QTest::newRow("decimal") << lite << "v_students" << "studrate >= 7.5" << "studrate >= ?"
                                 << QVariantList{7.5};
        QTest::newRow("fraction on integer") << lite << "QEMCourses" << "courseID = 1.5" << "courseID = ?"
                                             << QVariantList{1.5};
        QTest::newRow("negative") << lite << "QEMCourses" << "cshared = - 1" << "cshared = ?" << QVariantList{-1LL};
        QTest::newRow("true") << lite << "QEMCourses" << "cshared = TRUE" << "cshared = ?" << QVariantList{-1LL};
        QTest::newRow("date") << pg << "v_students" << "or_date >= DATE '2023-01-31'" << "or_date >= ?"
                              << QVariantList{QStringLiteral("2023-01-31")};
        QTest::newRow("date as text") << lite << "v_students" << "or_date < '2023-01-31'" << "or_date < ?"
                                      << QVariantList{QStringLiteral("2023-01-31")};
        QTest::newRow("literal on the left") << lite << "QEMCourses" << "5 < semID" << "? < semID"
                                             << QVariantList{5LL};
        QTest::newRow("precedence") << lite << "QEMCourses" << "semID = 1 OR semID = 2 AND ctypeID = 1"
                                    << "semID = ? OR semID = ? AND ctypeID = ?" << QVariantList{1LL, 2LL, 1LL};
        QTest::newRow("brackets") << lite << "QEMCourses" << "[title] = 'x'" << "title = ?"
                                  << QVariantList{QStringLiteral("x")};
        QTest::newRow("text with keywords inside") << lite << "QEMCourses" << "title = 'x; DROP TABLE y --'"
                                                   << "title = ?"
                                                   << QVariantList{QStringLiteral("x; DROP TABLE y --")};
    }

    void writesBoundSql()
    {
        QFETCH(SqlDialect, dialect);
        QFETCH(QString, tableName);
        QFETCH(QString, filter);
        QFETCH(QString, sql);
        QFETCH(QVariantList, values);
        const BoundFilter f = parseFilter(filter, table(tableName), dialect);
        QCOMPARE(f.sql, sql);
        QCOMPARE(f.values, values);
    }

    void refusesHostileFilters_data()
    {
        QTest::addColumn<SqlDialect>("dialect");
        QTest::addColumn<QString>("filter");
        const QStringList corpus = zr::test::hostileFilters();
        for (int i = 0; i < corpus.size(); ++i) {
            QTest::addRow("sqlite %d", i) << SqlDialect::SQLite << corpus.at(i);
            QTest::addRow("postgres %d", i) << SqlDialect::PostgreSQL << corpus.at(i);
        }
    }

    void refusesHostileFilters()
    {
        QFETCH(SqlDialect, dialect);
        QFETCH(QString, filter);
        const SchemaTable &t = filter.contains(QLatin1String("or_date")) ? table(QStringLiteral("v_students"))
                                                                            : table(QStringLiteral("QEMCourses"));
        try {
            const BoundFilter f = parseFilter(filter, t, dialect, QStringLiteral("test"));
            QFAIL(qPrintable(QStringLiteral("accepted as: ") + f.sql));
        } catch (const ZrError &e) {
            QCOMPARE(e.number, qint32(ErrFilterRefused));
            QCOMPARE(e.source, QStringLiteral("test"));
            QVERIFY(e.description.contains(t.name));
        }
    }

    // Whatever the search control builds, the server must take.
    void acceptsWhatTheCriteriaBuilderWrites_data()
    {
        QTest::addColumn<SqlDialect>("dialect");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("op");
        QTest::addColumn<QVariant>("v1");
        QTest::addColumn<QVariant>("v2");
        QTest::addColumn<QVariantList>("values");
        for (const SqlDialect d : {SqlDialect::SQLite, SqlDialect::PostgreSQL}) {
            const char *n = d == SqlDialect::SQLite ? "sqlite" : "postgres";
            QTest::addRow("%s text with quote", n) << d << "lastname" << int(FieldText) << 0 << QVariant("Ο'Νιλ")
                                                   << QVariant() << QVariantList{QStringLiteral("Ο'Νιλ")};
            // PostgreSQL binds the character table of each fold after its own marks.
            const QVariantList fold = d == SqlDialect::PostgreSQL ? pgFold() : QVariantList();
            QTest::addRow("%s contains wildcard", n) << d << "lastname" << int(FieldText) << 1 << QVariant("5%_")
                                                     << QVariant()
                                                     << (fold + QVariantList{QStringLiteral("%5\\%\\_%")} + fold
                                                         + QVariantList{QStringLiteral("\\")});
            QTest::addRow("%s not contains", n) << d << "firstname" << int(FieldText) << 7 << QVariant("α")
                                                << QVariant() << (fold + QVariantList{QStringLiteral("%α%")} + fold);
            QTest::addRow("%s list id", n) << d << "statusID" << int(FieldList) << 2 << QVariant("3") << QVariant()
                                           << QVariantList{3LL};
            QTest::addRow("%s text id", n) << d << "department_ID" << int(FieldListText) << 0 << QVariant(105)
                                           << QVariant() << QVariantList{QStringLiteral("105")};
            QTest::addRow("%s decimal", n) << d << "studrate" << int(FieldDecimal) << 8 << QVariant("7,25")
                                           << QVariant() << QVariantList{7.25};
            QTest::addRow("%s between", n) << d << "in_year" << int(FieldInteger) << 5 << QVariant(2015)
                                           << QVariant(2018) << QVariantList{2015LL, 2018LL};
            QTest::addRow("%s date", n) << d << "or_date" << int(FieldDate) << 9 << QVariant(QDate(2022, 7, 15))
                                        << QVariant() << QVariantList{QStringLiteral("2022-07-15")};
            QTest::addRow("%s number contains", n) << d << "exam_ID" << int(FieldInteger) << 1 << QVariant("1")
                                                   << QVariant() << QVariantList{QStringLiteral("%1%")};
        }
    }

    void acceptsWhatTheCriteriaBuilderWrites()
    {
        QFETCH(SqlDialect, dialect);
        QFETCH(QString, field);
        QFETCH(int, type);
        QFETCH(int, op);
        QFETCH(QVariant, v1);
        QFETCH(QVariant, v2);
        QFETCH(QVariantList, values);
        CriteriaBuilder builder(dialect);
        QVERIFY(builder.addCriterion(field, type, op, v1, v2));
        QVERIFY(builder.addCriterion(QStringLiteral("progrspoud_ID"), FieldList, 0, 1));
        const QString where = builder.statement().mid(6).trimmed();
        const BoundFilter f = parseFilter(where, table(QStringLiteral("v_students")), dialect);
        QCOMPARE(f.values, values + QVariantList{1LL});
    }

    void refusesDeepNesting()
    {
        const QString filter = QString(200, QLatin1Char('(')) + QStringLiteral("courseID = 1")
            + QString(200, QLatin1Char(')'));
        QVERIFY_THROWS_EXCEPTION(ZrError, parseFilter(filter, table(QStringLiteral("QEMCourses")),
                                                      SqlDialect::SQLite));
    }

    void checksOrderBy_data()
    {
        QTest::addColumn<QString>("orderBy");
        QTest::addColumn<QString>("result");
        QTest::newRow("one") << "title" << "title";
        QTest::newRow("case") << "TITLE desc" << "title DESC";
        QTest::newRow("two") << "semID, title" << "semID, title";
        QTest::newRow("unknown") << "nosuch" << "!";
        QTest::newRow("injection") << "title; DROP TABLE x" << "!";
        QTest::newRow("expression") << "title DESC, 1" << "!";
        QTest::newRow("three words") << "title ASC NULLS" << "!";
    }

    void checksOrderBy()
    {
        QFETCH(QString, orderBy);
        QFETCH(QString, result);
        if (result == QLatin1String("!")) {
            QVERIFY_THROWS_EXCEPTION(ZrError, checkedOrderBy(orderBy, table(QStringLiteral("QEMCourses"))));
            return;
        }
        QCOMPARE(checkedOrderBy(orderBy, table(QStringLiteral("QEMCourses"))), result);
    }
};

QTEST_GUILESS_MAIN(TestFilterParser)
#include "tst_filterparser.moc"
