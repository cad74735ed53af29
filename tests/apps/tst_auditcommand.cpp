#include "../datafile.h"
#include "clirunner.h"
#include "serverfixture.h"

#include "database.h"

#include <QFile>
#include <QSqlQuery>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace zr;
using namespace zr::test;

namespace {

// The degree set of curriculum 11 of the sample as a file: ECTS, a course group, a thesis, a
// practicum or subjects, modes in a sector, a sector.
const char SetFile[] = R"json({"format": "zrreq-requirements/1", "AppliesTo": 1, "ConstrType": 103,
  "object": {"objID": 1, "secobjID": "11"},
  "rows": [
    {"ocID": 1, "contypeID": 103, "conobject": 1, "objID": 1, "secobjID": "11", "conID": 40, "conoperator": 8,
     "conoptval1": "10", "conoptval6": "3", "conselobjIDs": "-1", "coneval": "[%1] AND ([%2] OR NOT [%3])"},
    {"ocID": 2, "contypeID": 103, "conobject": 1, "objID": 1, "secobjID": "11", "conID": 60, "conoperator": 8,
     "conoptval1": "1", "conoptval6": "1", "conselobjIDs": "1", "coneval": "[%1] AND ([%2] OR NOT [%3])"},
    {"ocID": 3, "contypeID": 103, "conobject": 1, "objID": 1, "secobjID": "11", "conID": 70, "conoperator": 8,
     "conoptval1": "1", "conoptval6": "1", "coneval": "[%1] AND ([%2] OR NOT [%3])"}]})json";

// A student with 12 ECTS, a completed practicum and no thesis, and `extra` members: the
// practicum makes NOT [%3] false, so without a thesis the set is not met.
QByteArray studentFile(const QByteArray &extra = QByteArray())
{
    return R"json({"format": "zrreq-student/1", "student": {"student_ID": 900, "exam_ID": 9},
      "results": [{"courseID": 1, "year": 2021, "grade": 6.5, "ects": 6}, {"courseID": 2, "year": 2022, "grade": 5, "ects": 6}],
      "projects": [{"typeID": 2, "completed": true}], "practicums": [{"completed": true}])json"
           + extra + "}";
}

} // namespace

class TestAuditCommand : public QObject
{
    Q_OBJECT


    // Gives `backend` the sample once per run; false when PostgreSQL is not set up.
    bool ready(const QString &backend)
    {
        if (!m_loaded.contains(backend)) {
            if (!m_fixture.reset(backend))
                return false;
            m_loaded << backend;
            server::Database::closeAll();
        }
        return true;
    }
    QString server(const QString &backend) const { return m_fixture.serverName(backend); }

    ServerFixture m_fixture;
    QStringList m_loaded;
    QTemporaryDir m_dir;

private slots:
    // File mode needs no database: the named one does not exist and is not created.
    void filesAloneExitWithTheVerdict_data()
    {
        QTest::addColumn<QByteArray>("student");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("not met") << studentFile() << 1
                                 << QStringList{"MET\t[%1]\tCourse Type\tECTS 12, needed ≥ 10",
                                                "UNMET\t[%2]\tComplete Projects\tcompleted projects 0, needed ≥ 1",
                                                "MET\t[%3]\tComplete Practicums\tcompleted practicums 1, needed ≥ 1",
                                                "RESULT UNMET"};
        QTest::newRow("met") << studentFile(R"(, "practicums": [])")
                             << 0
                             << QStringList{"MET\t[%1]\tCourse Type\tECTS 12, needed ≥ 10",
                                            "UNMET\t[%2]\tComplete Projects\tcompleted projects 0, needed ≥ 1",
                                            "UNMET\t[%3]\tComplete Practicums\tcompleted practicums 0, needed ≥ 1",
                                            "RESULT MET"};
        QTest::newRow("excepted") << studentFile(R"(, "excepted": true)") << 0
                                  << QStringList{"NOT-CHECKED\t[%1]\tCourse Type\tthe student is excepted",
                                                 "NOT-CHECKED\t[%2]\tComplete Projects\tthe student is excepted",
                                                 "NOT-CHECKED\t[%3]\tComplete Practicums\tthe student is excepted",
                                                 "RESULT EXCEPTED"};
    }
    void filesAloneExitWithTheVerdict()
    {
        QFETCH(QByteArray, student);
        QFETCH(int, exitCode);
        QFETCH(QStringList, lines);
        const QString missing = m_dir.filePath(QStringLiteral("none.db"));
        const Result r = zrreq({QStringLiteral("audit"), QStringLiteral("--file"), writeFile(m_dir, QStringLiteral("set.json"), SetFile),
                                QStringLiteral("--student-file"), writeFile(m_dir, QStringLiteral("student.json"), student),
                                QStringLiteral("--lang"), QStringLiteral("en")},
                               QStringLiteral("sqlite://") + missing);
        QVERIFY2(r.exitCode == exitCode, qPrintable(describe(r)));
        QCOMPARE(r.outLines, lines);
        QVERIFY(!QFile::exists(missing));
    }

    void jsonCarriesTheSameTrace()
    {
        const Result r = zrreq({QStringLiteral("audit"), QStringLiteral("--file"), writeFile(m_dir, QStringLiteral("set.json"), SetFile),
                                QStringLiteral("--student-file"), writeFile(m_dir, QStringLiteral("student.json"), studentFile()),
                                QStringLiteral("--json"), QStringLiteral("--lang"), QStringLiteral("el")});
        QCOMPARE(r.exitCode, 1);
        const QJsonObject trace = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(trace.value(QStringLiteral("result")).toString(), QStringLiteral("UNMET"));
        QCOMPARE(trace.value(QStringLiteral("student_ID")).toInt(), 900);
        const QJsonArray requirements = trace.value(QStringLiteral("requirements")).toArray();
        QCOMPARE(requirements.size(), 3);
        const QJsonObject projects = requirements.at(1).toObject();
        QCOMPARE(projects.value(QStringLiteral("ocID")).toInt(), 2);
        QCOMPARE(projects.value(QStringLiteral("verdict")).toString(), QStringLiteral("UNMET"));
        QCOMPARE(projects.value(QStringLiteral("measured")).toString(),
                 QStringLiteral("ολοκληρωμένες εργασίες 0, απαιτείται ≥ 1"));
    }

    void unusableInputExitsTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        const QString set = writeFile(m_dir, QStringLiteral("set.json"), SetFile);
        const QString student = writeFile(m_dir, QStringLiteral("student.json"), studentFile());
        const QString typed = writeFile(m_dir, QStringLiteral("typed.json"), studentFile(R"(, "regulation": "no")"));
        QByteArray broken = SetFile;
        broken.replace("[%1] AND ([%2] OR NOT [%3])", "[%1] AND ([%2] OR NOT [%3]");
        const QString unread = writeFile(m_dir, QStringLiteral("broken.json"), broken);
        const QStringList degree{"--kind", "1", "--object", "1", "--context", "103"};
        QTest::newRow("no mode") << QStringList{"audit", "--lang", "en"};
        QTest::newRow("two modes") << QStringList{"audit", "--file", set, "--student-file", student, "--all"} + degree;
        QTest::newRow("no student file") << QStringList{"audit", "--file", set};
        QTest::newRow("a value of the wrong type") << QStringList{"audit", "--file", set, "--student-file", typed};
        QTest::newRow("an expression that does not read") << QStringList{"audit", "--file", unread, "--student-file", student};
        QTest::newRow("no such student") << QStringList{"audit", "--student", "99999"} + degree;
        QTest::newRow("a curriculum of another programme") << QStringList{"audit", "--student", "21"} + degree
                                                                  + QStringList{"--curriculum", "21"};
        QTest::newRow("all of a department") << QStringList{"audit", "--all", "--kind", "13", "--object", "105",
                                                            "--context", "106"};
    }
    void unusableInputExitsTwo()
    {
        QFETCH(QStringList, arguments);
        QVERIFY(ready(QStringLiteral("sqlite")));
        const Result r = zrreq(arguments, server(QStringLiteral("sqlite")));
        QVERIFY2(r.exitCode == 2, qPrintable(describe(r)));
        QVERIFY(r.outLines.isEmpty());
        QCOMPARE(r.errLines.size(), 1);
    }

    // The sample transcripts, as the table in data/sample.sql says, on each database.
    void sampleStudentsGetTheirVerdicts_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QStringList>("set");
        QTest::addColumn<QString>("student");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("unmet");
        const bool postgresRun = !qEnvironmentVariableIsEmpty("ZRREQ_TEST_PG");
        const char *backend = postgresRun ? "postgresql" : "sqlite";
        for (const QStringList &row : dataRows(QFINDTESTDATA("data/sampleverdicts.tsv"))) {
            const QStringList set{"--kind", "1", "--object", "1", "--context", row.at(1), "--curriculum", row.at(2)};
            QTest::addRow("%s %s", backend, qPrintable(row.at(0)))
                << QString::fromLatin1(backend) << set << row.at(0) << row.at(3)
                << row.value(4).split(QLatin1Char(','), Qt::SkipEmptyParts);
        }
    }
    void sampleStudentsGetTheirVerdicts()
    {
        QFETCH(QString, backend);
        QFETCH(QStringList, set);
        QFETCH(QString, student);
        QFETCH(QString, result);
        QFETCH(QStringList, unmet);
        if (!ready(backend))
            QSKIP("PostgreSQL is not set up (run through tests/pg/with-postgres.sh)");
        const Result r = zrreq(QStringList{"audit", "--student", student, "--lang", "en"} + set, server(backend));
        QVERIFY2(r.exitCode == (result == QLatin1String("UNMET") ? 1 : 0), qPrintable(describe(r)));
        QCOMPARE(r.outLines.last(), QStringLiteral("RESULT ") + result);
        QStringList unmetTokens;
        for (const QString &line : r.outLines) {
            if (line.startsWith(QLatin1String("UNMET\t")))
                unmetTokens << line.section(QLatin1Char('\t'), 1, 1);
        }
        QCOMPARE(unmetTokens, unmet);
    }

    // Every student of both sample programmes, each against his curriculum's set; the same on both databases.
    void allStudentsTheSameOnBothDatabases()
    {
        if (!ready(QStringLiteral("postgresql")) || !ready(QStringLiteral("sqlite")))
            QSKIP("PostgreSQL is not set up (run through tests/pg/with-postgres.sh)");
        const QString postgres = server(QStringLiteral("postgresql"));
        const QString sqlite = server(QStringLiteral("sqlite"));
        for (const char *programme : {"1", "2"}) {
            const QStringList all{"audit", "--all", "--kind", "1", "--object", programme, "--context", "103", "--lang", "en"};
            const Result onSqlite = zrreq(all, sqlite);
            const Result onPostgres = zrreq(all, postgres);
            QVERIFY2(onSqlite.exitCode == 1, qPrintable(describe(onSqlite)));
            QCOMPARE(onPostgres.outLines, onSqlite.outLines);
        }
    }

    void allStudentsLineByLine()
    {
        QVERIFY(ready(QStringLiteral("sqlite")));
        const Result r = zrreq({"audit", "--all", "--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11",
                                "--lang", "en"},
                               server(QStringLiteral("sqlite")));
        QVERIFY2(r.exitCode == 1, qPrintable(describe(r)));
        QVERIFY(r.outLines.contains(QStringLiteral("84\tUNMET\tCourse Type")));
        QVERIFY(r.outLines.contains(QStringLiteral("205\tEXCEPTED\t")));
        QVERIFY(r.outLines.contains(QStringLiteral("21\tMET\t")));
        // Students in order, each once, then the count that adds them up.
        int previous = 0;
        int met = 0, unmet = 0, excepted = 0;
        for (const QString &line : r.outLines.mid(0, r.outLines.size() - 1)) {
            const int id = line.section(QLatin1Char('\t'), 0, 0).toInt();
            QVERIFY(id > previous);
            previous = id;
            const QString verdict = line.section(QLatin1Char('\t'), 1, 1);
            (verdict == QLatin1String("MET") ? met : verdict == QLatin1String("UNMET") ? unmet : excepted)++;
        }
        QCOMPARE(r.outLines.last(), QStringLiteral("%1 students, %2 met, %3 not met, %4 excepted")
                                        .arg(r.outLines.size() - 1).arg(met).arg(unmet).arg(excepted));
        QCOMPARE(excepted, 1);
    }

    // Student 84 lacks the 300 credits of requirement 10. Version 1 asks 1 credit (saved on
    // 10 January), version 2 the 300 again (11 January): --as-of checks against the one in force.
    void asOfChecksAgainstTheVersionInForce_data()
    {
        QTest::addColumn<QString>("when");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("last");
        QTest::newRow("before the first version") << "2026-01-09" << 2 << "";
        QTest::newRow("version 1") << "2026-01-10" << 0 << "RESULT MET";
        QTest::newRow("version 2") << "2026-01-11T09:00" << 1 << "RESULT UNMET";
    }

    void asOfChecksAgainstTheVersionInForce()
    {
        QFETCH(QString, when);
        QFETCH(int, exitCode);
        QFETCH(QString, last);
        // This test saves: the next one to need the sample gets it afresh.
        m_loaded.removeAll(QStringLiteral("sqlite"));
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        server::Database::closeAll();
        const QString db = server(QStringLiteral("sqlite"));
        const QStringList degree{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11"};
        const QByteArray stored = zrreq(QStringList{"export"} + degree, db).out;
        const QByteArray credits("\"conoptval1\": \"300\"");
        QVERIFY(stored.contains(credits));
        for (const QByteArray &version : {QByteArray(stored).replace(credits, "\"conoptval1\": \"1\""), stored}) {
            const Result imported = zrreq(QStringList{"import", "--force", "--file", writeFile(m_dir, QStringLiteral("v.json"), version)} + degree, db);
            QVERIFY2(imported.exitCode == 0, qPrintable(describe(imported)));
        }
        QVERIFY(execSql(db, QStringLiteral("UPDATE QEMSetHistory SET saveddate = '2026-01-10 10:00:00' WHERE version = 1")));
        QVERIFY(execSql(db, QStringLiteral("UPDATE QEMSetHistory SET saveddate = '2026-01-11 09:00:00' WHERE version = 2")));
        const Result r = zrreq(QStringList{"audit", "--student", "84", "--as-of", when, "--lang", "en"} + degree, db);
        QVERIFY2(r.exitCode == exitCode, qPrintable(describe(r)));
        if (exitCode == 2)
            QVERIFY2(r.errLines.size() == 1 && r.errLines.first().startsWith(QLatin1String("ERROR 64002")), qPrintable(describe(r)));
        else
            QCOMPARE(r.outLines.last(), last);
        // Without --as-of, the set as stored: version 2.
        QCOMPARE(zrreq(QStringList{"audit", "--student", "84"} + degree, db).exitCode, 1);
    }

    // --impact against the oracle of two audits around a real import: the students whose
    // result changes are exactly those it lists, and --impact itself saves nothing.
    void importImpactListsWhomTheSetChanges_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("ects");
        for (const char *backend : {"sqlite", "postgresql"}) {
            QTest::addRow("%s unchanged", backend) << backend << "300";
            QTest::addRow("%s lowered", backend) << backend << "240";
            QTest::addRow("%s raised", backend) << backend << "320";
        }
    }
    void importImpactListsWhomTheSetChanges()
    {
        QFETCH(QString, backend);
        QFETCH(QString, ects);
        if (!ready(backend))
            QSKIP("PostgreSQL is not set up (run through tests/pg/with-postgres.sh)");
        const QStringList set{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11"};
        const auto verdicts = [&] {
            QHash<QString, QString> byStudent;
            for (const QString &line : zrreq(QStringList{"audit", "--all", "--lang", "en"} + set, server(backend)).outLines)
                byStudent.insert(line.section(QLatin1Char('\t'), 0, 0), line.section(QLatin1Char('\t'), 1, 1));
            return byStudent;
        };
        const Result stored = zrreq(QStringList{"export"} + set, server(backend));
        QVERIFY2(stored.exitCode == 0, qPrintable(describe(stored)));
        QJsonObject edited = QJsonDocument::fromJson(stored.out).object();
        QJsonArray rows = edited.value(QStringLiteral("rows")).toArray();
        QJsonObject ectsRow = rows.at(0).toObject(); // the ECTS total the degree needs, "300" in the sample
        QCOMPARE(ectsRow.value(QStringLiteral("conoptval1")).toString(), QStringLiteral("300"));
        ectsRow.insert(QStringLiteral("conoptval1"), ects);
        rows.replace(0, ectsRow);
        edited.insert(QStringLiteral("rows"), rows);
        const QString editedFile = writeFile(m_dir, QStringLiteral("impact-%1.json").arg(ects), QJsonDocument(edited).toJson());

        const QHash<QString, QString> before = verdicts();
        const Result impact = zrreq(QStringList{"import", "--impact", "--file", editedFile, "--lang", "en"} + set,
                                    server(backend));
        QCOMPARE(zrreq(QStringList{"export"} + set, server(backend)).out, stored.out);
        const Result saved = zrreq(QStringList{"import", "--file", editedFile} + set, server(backend));
        QVERIFY2(saved.exitCode == 0, qPrintable(describe(saved)));
        const QHash<QString, QString> after = verdicts();
        const QString original = writeFile(m_dir, QStringLiteral("original.json"), stored.out);
        QVERIFY(zrreq(QStringList{"import", "--force", "--file", original} + set, server(backend)).exitCode == 0);

        QStringList expected;
        int noLonger = 0, now = 0;
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (it.value() == after.value(it.key()) || it.value() == QLatin1String("EXCEPTED"))
                continue;
            expected << it.key() + QLatin1Char('\t') + it.value() + QLatin1Char('\t') + after.value(it.key());
            (it.value() == QLatin1String("MET") ? noLonger : now)++;
        }
        QStringList listed;
        for (const QString &line : impact.outLines.mid(0, impact.outLines.size() - 1))
            listed << QStringList{line.section(QLatin1Char('\t'), 0, 0), line.section(QLatin1Char('\t'), 3, 4)}.join(QLatin1Char('\t'));
        expected.sort();
        listed.sort();
        QCOMPARE(listed, expected);
        QVERIFY2(impact.exitCode == (expected.isEmpty() ? 0 : 1), qPrintable(describe(impact)));
        QCOMPARE(impact.outLines.last(), expected.isEmpty() ? QStringLiteral("No student's result changes")
                                                            : QStringLiteral("%1 students no longer meet it, %2 now meet it")
                                                                  .arg(noLonger).arg(now));
        if (ects != QLatin1String("300"))
            QVERIFY2(!expected.isEmpty(), "the sample has students on both sides of the changed total");
    }

    void importImpactOnlyForAProgrammesSet()
    {
        QVERIFY(ready(QStringLiteral("sqlite")));
        const QStringList department{"--kind", "13", "--object", "105", "--context", "102"};
        const Result stored = zrreq(QStringList{"export"} + department, server(QStringLiteral("sqlite")));
        QVERIFY2(stored.exitCode == 0, qPrintable(describe(stored)));
        const Result r = zrreq(QStringList{"import", "--impact", "--file", writeFile(m_dir, QStringLiteral("department.json"), stored.out)}
                                   + department,
                               server(QStringLiteral("sqlite")));
        QVERIFY2(r.exitCode == 2 && r.errLines.join(QLatin1Char(' ')).contains(QLatin1String("--kind 1")),
                 qPrintable(describe(r)));
    }
};

QTEST_GUILESS_MAIN(TestAuditCommand)
#include "tst_auditcommand.moc"
