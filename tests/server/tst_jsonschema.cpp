#include "database.h"
#include "jsonschema.h"
#include "common/langstrings.h"
#include "common/zrerror.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace zr;
using namespace zr::server;

class TestJsonSchema : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    JsonSchema m_schema;

private slots:
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

    void namesTheStudentLayouts_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("first");
        QTest::addColumn<bool>("hasOrient");
        QTest::newRow("exceptions grid") << "excludeStudents" << "spec_aem" << false;
        QTest::newRow("programme students") << "selectStudents" << "spec_aem" << true;
        QTest::newRow("department students") << "selectStudents2" << "spec_aem" << false;
    }

    void namesTheStudentLayouts()
    {
        QFETCH(QString, layout);
        QFETCH(QString, first);
        QFETCH(bool, hasOrient);
        const SchemaTable *view = m_schema.table(m_schema.defaultTableName());
        QVERIFY(view);
        QCOMPARE(view->name, QStringLiteral("v_students"));
        const QList<SchemaColumn> cols = view->layout(layout);
        QVERIFY(cols.size() >= 5);
        QCOMPARE(cols.first().name, first);
        const bool orient = std::any_of(cols.begin(), cols.end(),
                                        [](const SchemaColumn &c) { return c.name == QLatin1String("orient_ID"); });
        QCOMPARE(orient, hasOrient);
        QVERIFY(view->layout(QStringLiteral("noSuchLayout")).isEmpty());
    }

    void givesCaptionsInTheSelectedLanguage()
    {
        const SchemaColumn *c = m_schema.table(QStringLiteral("V_STUDENTS"))->column(QStringLiteral("LASTNAME"));
        QVERIFY(c);
        StringService::instance().setLanguageId(LangGreek);
        QCOMPARE(c->caption(), QStringLiteral("Επώνυμο"));
        StringService::instance().setLanguageId(LangEnglish);
        QCOMPARE(c->caption(), QStringLiteral("Last name"));
    }

    void refusesMalformedDescriptions_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("not json") << QByteArray("{tables: [");
        QTest::newRow("nameless table") << QByteArray(R"({"tables":[{"columns":[{"name":"a","sqltype":"int"}]}]})");
        QTest::newRow("no columns") << QByteArray(R"({"tables":[{"name":"t","columns":[]}]})");
        QTest::newRow("bad storage") << QByteArray(R"({"tables":[{"name":"t","columns":[{"name":"a","sqltype":"blob"}]}]})");
        QTest::newRow("bad field type")
            << QByteArray(R"({"tables":[{"name":"t","columns":[{"name":"a","sqltype":"int","type":13}]}]})");
        QTest::newRow("layout of unknown column") << QByteArray(
            R"({"tables":[{"name":"t","columns":[{"name":"a","sqltype":"int"}],"layouts":{"l":["b"]}}]})");
        QTest::newRow("unknown default table")
            << QByteArray(R"({"defaultTable":"x","tables":[{"name":"t","columns":[{"name":"a","sqltype":"int"}]}]})");
    }

    void refusesMalformedDescriptions()
    {
        QFETCH(QByteArray, json);
        QVERIFY_THROWS_EXCEPTION(ZrError, JsonSchema::fromJson(json));
    }
};

QTEST_GUILESS_MAIN(TestJsonSchema)
#include "tst_jsonschema.moc"
