// Hostile text through every filter path of the server and through the
// criteria the search control builds, watched at the database: nothing but the
// intended SELECT of the searched table may reach it, with no literal pasted
// into its text, and no error the user sees may quote SQL.
#include "database.h"
#include "hostilevalues.h"
#include "serverfixture.h"
#include "statementchecks.h"
#include "servererrors.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "search/criteriabuilder.h"

#include <QRegularExpression>
#include <QTest>

#include <functional>

using namespace zr;
using namespace zr::server;
using zr::test::isIntendedSelect;
using zr::test::isTransactionControl;
using zr::test::quotesSql;
using zr::test::serverObject;

namespace {

// One filter path of the server: its table and the call that filters it.
struct FilterPath
{
    const char *name;
    QString table;
    std::function<Recordset(const QString &server, const QString &filter)> call;
};

QList<FilterPath> filterPaths()
{
    return {
        {"getTextList", QStringLiteral("QEMCourses"),
         [](const QString &server, const QString &filter) {
             return serverObject<cDepartment>(server)->getTextList(QStringLiteral("QEMCourses"), filter);
         }},
        {"LoadCourses", QStringLiteral("QEMCourses"),
         [](const QString &server, const QString &filter) {
             QString f = filter;
             return serverObject<cCourses>(server)->LoadCourses(f, QStringLiteral("title"), 1);
         }},
        {"LoadStudents", QStringLiteral("v_students"),
         [](const QString &server, const QString &filter) {
             return serverObject<cStudent>(server)->LoadStudents(filter);
         }},
        {"GetRSProgramCourses", QStringLiteral("QEMDepProgramCourses"),
         [](const QString &server, const QString &filter) {
             return serverObject<cDepPrograms>(server)
                 ->GetRSProgramCourses(1, 1, QStringLiteral("courseID"), filter);
         }},
    };
}

// Filters that paste a typed value into the text instead of binding it, as
// a careless caller would; the parser has to keep each one a value or refuse it.
QStringList pastedValueFilters()
{
    QStringList filters;
    for (const QString &value : test::hostileValues()) {
        filters << QStringLiteral("title = '") + value + QLatin1Char('\'');
        filters << QStringLiteral("lastname LIKE '") + value + QStringLiteral("%'");
    }
    return filters;
}

} // namespace

class TestInjection : public QObject
{
    Q_OBJECT

private:
    test::ServerFixture m_fixture;
    QStringList m_statements;
    Database::StatementObserver m_previous;

private slots:
    void init()
    {
        m_statements.clear();
        m_previous = Database::setStatementObserver([this](const QString &sql) { m_statements << sql; });
    }
    void cleanup() { Database::setStatementObserver(m_previous); }

    void hostileFiltersReachNoDatabase_data() { zr::test::ServerFixture::backendRows(); }
    void hostileFiltersReachNoDatabase()
    {
        ZR_BACKEND_ROW();
        Database::open(server); // the connection's own setup statements come before any filter
        const QStringList corpus = test::hostileFilters() + pastedValueFilters();
        QVERIFY(corpus.size() >= 200);
        for (const FilterPath &path : filterPaths()) {
            for (const QString &filter : corpus) {
                m_statements.clear();
                bool accepted = false;
                try {
                    path.call(server, filter);
                    accepted = true;
                } catch (const ZrError &e) {
                    QVERIFY2(e.number == ErrFilterRefused,
                             qPrintable(QStringLiteral("%1: %2 -> %3").arg(path.name, filter.left(200), e.description)));
                    QVERIFY2(!quotesSql(e.description, m_statements), qPrintable(e.description));
                }
                for (const QString &sql : std::as_const(m_statements)) {
                    const bool select = sql.startsWith(QLatin1String("SELECT "));
                    // A refused filter is refused before anything is run.
                    QVERIFY2(accepted || !select, qPrintable(filter.left(200) + QLatin1String(" ran ") + sql));
                    QVERIFY2(isTransactionControl(sql) || isIntendedSelect(sql, path.table),
                             qPrintable(QStringLiteral("%1: %2 sent %3").arg(path.name, filter.left(200), sql.left(400))));
                }
            }
        }
    }

    // Values put into the search control's criteria stay values: each statement is accepted,
    // runs as one SELECT, and finds nobody (no student is called so) or, negated, everyone.
    void hostileValuesTypedIntoSearches_data() { zr::test::ServerFixture::backendRows(); }
    void hostileValuesTypedIntoSearches()
    {
        ZR_BACKEND_ROW();
        auto students = serverObject<cStudent>(server);
        const int everyone = students->LoadStudents(QString()).recordCount();
        QVERIFY(everyone > 0);
        const auto runSearch = [&](const QString &where, int expectedRows) {
            m_statements.clear();
            try {
                const int rows = students->LoadStudents(where).recordCount();
                QVERIFY2(rows == expectedRows, qPrintable(QStringLiteral("%1 rows for %2").arg(rows).arg(where.left(300))));
            } catch (const ZrError &e) {
                // The server takes filters of up to 16000 characters; a longer one is refused whole, unrun.
                QVERIFY2(where.size() > 16000 && e.number == ErrFilterRefused && m_statements.isEmpty(),
                         qPrintable(QStringLiteral("%1 refused: %2").arg(where.left(300), e.description)));
                return;
            }
            QCOMPARE(m_statements.filter(QRegularExpression(QStringLiteral("^SELECT "))).size(), 1);
            for (const QString &sql : std::as_const(m_statements))
                QVERIFY2(isTransactionControl(sql) || isIntendedSelect(sql, QStringLiteral("v_students")), qPrintable(sql.left(400)));
        };
        for (const QString &value : test::hostileValues()) {
            // Equal and starts with, as the simple view asks; contains and does not contain.
            for (int op : {0, 6, 1, 7}) {
                CriteriaBuilder builder(Database::open(server)->dialect());
                if (builder.addCriterion(QStringLiteral("lastname"), FieldText, op, value))
                    runSearch(builder.statement().mid(6), op == 7 ? everyone : 0);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestInjection)

#include "tst_injection.moc"
