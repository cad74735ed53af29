#include "database.h"
#include "filterparser.h"
#include "textfold.h"
#include "hostilevalues.h"
#include "../datafile.h"
#include "jsonschema.h"
#include "servererrors.h"
#include "common/zrerror.h"
#include "search/criteriabuilder.h"

#include <QDate>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>

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

static SqlDialect dialectOf(const QString &name)
{
    return name == QLatin1String("postgresql") ? SqlDialect::PostgreSQL : SqlDialect::SQLite;
}

class TestFilterParser : public QObject
{
    Q_OBJECT

private:
    JsonSchema m_schema;
    QTemporaryDir m_dir;

    const SchemaTable &table(const QString &name)
    {
        const SchemaTable *t = m_schema.table(name);
        Q_ASSERT(t);
        return *t;
    }

private slots:
    void writesBoundSql_data()
    {
        zr::test::addDataRows(QFINDTESTDATA("data/bound-filters.tsv"));
        QTest::newRow("ilike on postgres") << "postgresql" << "v_students" << "lastname ILIKE 'π%'"
                                           << "translate(lastname, ?, ?) LIKE translate(?, ?, ?)"
                                           << QVariant(pgFold() + QVariantList{QStringLiteral("π%")} + pgFold());
    }

    void writesBoundSql()
    {
        QFETCH(QString, dialect);
        QFETCH(QString, tableName);
        QFETCH(QString, filter);
        QFETCH(QString, sql);
        QFETCH(QVariant, values);
        const BoundFilter f = parseFilter(filter, table(tableName), dialectOf(dialect));
        QCOMPARE(f.sql, sql);
        QCOMPARE(f.values, values.toList());
    }

    // The hostile corpus, and filters whose refusal must name what is wrong for the log to tell.
    void refusesHostileFilters_data()
    {
        QTest::addColumn<SqlDialect>("dialect");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("reason");
        QList<QStringList> rows = zr::test::dataRows(QFINDTESTDATA("data/refused-filters.tsv"));
        for (const QString &filter : zr::test::hostileFilters())
            rows.append({QString::number(rows.size()), filter, QString()});
        for (const QStringList &row : std::as_const(rows)) {
            QTest::addRow("sqlite %s", qPrintable(row[0])) << SqlDialect::SQLite << row[1] << row[2];
            QTest::addRow("postgres %s", qPrintable(row[0])) << SqlDialect::PostgreSQL << row[1] << row[2];
        }
    }

    void refusesHostileFilters()
    {
        QFETCH(SqlDialect, dialect);
        QFETCH(QString, filter);
        QFETCH(QString, reason);
        const SchemaTable &t = filter.contains(QLatin1String("or_date")) ? table(QStringLiteral("v_students"))
                                                                            : table(QStringLiteral("QEMCourses"));
        try {
            const BoundFilter f = parseFilter(filter, t, dialect, QStringLiteral("test"));
            QFAIL(qPrintable(QStringLiteral("accepted as: ") + f.sql));
        } catch (const ZrError &e) {
            QCOMPARE(e.number, qint32(ErrFilterRefused));
            QCOMPARE(e.source, QStringLiteral("test"));
            QVERIFY(e.description.contains(t.name));
            QVERIFY2(e.description.contains(reason), qPrintable(e.description));
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
        const SqlDialect lite = SqlDialect::SQLite;
        QTest::newRow("text with quote") << lite << "lastname" << int(FieldText) << 0 << QVariant("Ο'Νιλ") << QVariant()
                                         << QVariantList{QStringLiteral("Ο'Νιλ")};
        QTest::newRow("list id") << lite << "statusID" << int(FieldList) << 2 << QVariant("3") << QVariant() << QVariantList{3LL};
        QTest::newRow("decimal") << lite << "studrate" << int(FieldDecimal) << 8 << QVariant("7,25") << QVariant()
                                 << QVariantList{7.25};
        QTest::newRow("between") << lite << "in_year" << int(FieldInteger) << 5 << QVariant(2015) << QVariant(2018)
                                 << QVariantList{2015LL, 2018LL};
        // The dialects differ in dates and in folding text.
        for (const SqlDialect d : {SqlDialect::SQLite, SqlDialect::PostgreSQL}) {
            const char *n = d == SqlDialect::SQLite ? "sqlite" : "postgres";
            // PostgreSQL binds the character table of each fold after its own marks.
            const QVariantList fold = d == SqlDialect::PostgreSQL ? pgFold() : QVariantList();
            QTest::addRow("%s contains wildcard", n) << d << "lastname" << int(FieldText) << 1 << QVariant("5%_")
                                                     << QVariant()
                                                     << (fold + QVariantList{QStringLiteral("%5\\%\\_%")} + fold
                                                         + QVariantList{QStringLiteral("\\")});
            QTest::addRow("%s date", n) << d << "or_date" << int(FieldDate) << 9 << QVariant(QDate(2022, 7, 15))
                                        << QVariant() << QVariantList{QStringLiteral("2022-07-15")};
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

    void checksOrderBy_data() { zr::test::addDataRows(QFINDTESTDATA("data/order-by.tsv")); }

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

    // The descriptions are written from the schema; a hand edit of either shows here.
    void describesTheDatabaseExactly()
    {
        auto db = Database::open(QStringLiteral("sqlite://") + m_dir.path() + QStringLiteral("/schema.db"));
        QCOMPARE(m_schema.tableNames().size(), 27);
        for (const QString &name : m_schema.tableNames()) {
            const SchemaTable *t = m_schema.table(name);
            QSqlQuery q(db->connection());
            QVERIFY(q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(name)));
            int i = 0;
            static const QRegularExpression size(QStringLiteral("VARCHAR\\((\\d+)\\)"));
            while (q.next()) {
                QVERIFY2(i < t->columns.size(), qPrintable(name));
                const SchemaColumn &c = t->columns.at(i++);
                QCOMPARE(c.name, q.value(1).toString());
                const auto m = size.match(q.value(2).toString());
                QCOMPARE(c.definedSize, m.hasMatch() ? m.captured(1).toInt() : 0);
                QCOMPARE(c.sqlType == SqlType::Text, m.hasMatch() || q.value(2).toString().isEmpty());
            }
            QCOMPARE(i, t->columns.size());
            QVERIFY(t->column(t->keyColumn));
            for (const SchemaColumn &c : t->columns) {
                if (c.listSource.startsWith(QLatin1String("RECORDSET:")))
                    QVERIFY2(m_schema.table(c.listSource.mid(10)), qPrintable(c.listSource));
                QVERIFY(c.type >= 0 && c.type <= 12);
                QVERIFY(!c.captionGreek.isEmpty() && !c.captionEnglish.isEmpty());
            }
        }
    }

    void refusesMalformedDescriptions_data() { zr::test::addDataRows(QFINDTESTDATA("data/malformed-schemas.tsv")); }

    void refusesMalformedDescriptions()
    {
        QFETCH(QString, json);
        QVERIFY_THROWS_EXCEPTION(ZrError, JsonSchema::fromJson(json.toUtf8()));
    }
};

QTEST_GUILESS_MAIN(TestFilterParser)
#include "tst_filterparser.moc"
