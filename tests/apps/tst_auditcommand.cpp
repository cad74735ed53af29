#include "../datafile.h"
#include "clirunner.h"

#include "csvreader.h"

#include <QDir>
#include <QStringEncoder>
#include <QTest>

using namespace zr;
using namespace zr::test;

namespace {

// The degree set of curriculum 11 of the sample as a file (data/auditset.json): ECTS, a course
// group, a thesis, a practicum or subjects, modes in a sector, a sector.
QByteArray setFile()
{
    return readFile(QFINDTESTDATA("data/auditset.json"));
}

// A student with 12 ECTS, a completed practicum and no thesis (data/auditstudent.json), and
// `extra` members: the practicum makes NOT [%3] false, so without a thesis the set is not met.
QByteArray studentFile(const QByteArray &extra = QByteArray())
{
    return readFile(QFINDTESTDATA("data/auditstudent.json")).trimmed().chopped(1) + extra + "}";
}

// The example department's files as Greek Excel saves them: Windows-1253, ';', decimal commas.
bool writeAsGreekExcel(const QString &from, const QString &to)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    QStringEncoder encoder("windows-1253");
    static const QRegularExpression decimal(QStringLiteral("^-?[0-9]+\\.[0-9]+$"));
    server::CsvReader reader(&in, from);
    for (server::CsvRecord record; reader.next(record);) {
        for (QString &field : record.fields)
            if (decimal.match(field).hasMatch())
                field.replace(u'.', u',');
        out.write(encoder.encode(server::CsvLine(record.fields, u';')));
    }
    return encoder.isValid() && !encoder.hasError();
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
    void filesAloneExitWithTheVerdict_data() { addDataRows(QFINDTESTDATA("data/auditfiles.tsv")); }
    void filesAloneExitWithTheVerdict()
    {
        QFETCH(QString, extra);
        QFETCH(int, exitCode);
        QFETCH(QStringList, lines);
        const QString missing = m_dir.filePath(QStringLiteral("none.db"));
        const Result r = zrreq({QStringLiteral("audit"), QStringLiteral("--file"), writeFile(m_dir, QStringLiteral("set.json"), setFile()),
                                QStringLiteral("--student-file"), writeFile(m_dir, QStringLiteral("student.json"), studentFile(extra.toUtf8())),
                                QStringLiteral("--lang"), QStringLiteral("en")},
                               QStringLiteral("sqlite://") + missing);
        QVERIFY2(r.exitCode == exitCode, qPrintable(describe(r)));
        QCOMPARE(r.outLines, lines);
        QVERIFY(!QFile::exists(missing));
    }

    // Without a database a course is named by what the student file says of it, in the language
    // asked for; a file that names nothing leaves its id.
    void aStudentFileNamesTheCoursesItMisses_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QByteArray>("courses");
        QTest::addColumn<QString>("missing");
        const QByteArray named = R"(, "courses": [{"courseID": 7, "code": "ΜΗΥ107", "title": "Δίκτυα υπολογιστών",
            "title_en": "Computer networks"}, {"courseID": 1, "code": "ΜΗΥ101", "title": null}])";
        QTest::newRow("greek") << "el" << named << "λείπουν: ΜΗΥ107 Δίκτυα υπολογιστών";
        QTest::newRow("english") << "en" << named << "missing: ΜΗΥ107 Computer networks";
        QTest::newRow("greek title only") << "en" << QByteArray(R"(, "courses": [{"courseID": 7, "title": "Δίκτυα"}])")
                                          << "missing: Δίκτυα";
        QTest::newRow("nothing named") << "en" << QByteArray() << "missing: 7";
    }
    void aStudentFileNamesTheCoursesItMisses()
    {
        QFETCH(QString, lang);
        QFETCH(QByteArray, courses);
        QFETCH(QString, missing);
        // Courses 1 and 7 with at least 5; the student passed 1 and 2.
        const QByteArray set = R"({"format": "zrreq-requirements/1", "AppliesTo": 1, "ConstrType": 103,
            "object": {"objID": 1, "secobjID": "11"}, "rows": [{"ocID": 1, "contypeID": 103, "conobject": 1,
            "objID": 1, "secobjID": "11", "conID": 30, "conoperator": 8, "conoptval3": "0,5", "conoptval4": "2",
            "conselobjIDs": "1,7", "coneval": "[%1]"}]})";
        const Result r = zrreq({QStringLiteral("audit"), QStringLiteral("--file"), writeFile(m_dir, QStringLiteral("courses.json"), set),
                                QStringLiteral("--student-file"), writeFile(m_dir, QStringLiteral("named.json"), studentFile(courses)),
                                QStringLiteral("--lang"), lang},
                               QStringLiteral("sqlite://") + m_dir.filePath(QStringLiteral("none.db")));
        QVERIFY2(r.exitCode == 1 && r.outLines.size() == 2, qPrintable(describe(r)));
        QVERIFY2(r.outLines.first().endsWith(missing), qPrintable(r.outLines.first()));
    }

    void jsonCarriesTheSameTrace()
    {
        const Result r = zrreq({QStringLiteral("audit"), QStringLiteral("--file"), writeFile(m_dir, QStringLiteral("set.json"), setFile()),
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

    // Student 11 of the sample lacks 4 credits of the prerequisite subjects, the closer branch of
    // "practicum or subjects": his report says so and plans the one course that closes it, named
    // from the programme's list in the report's language.
    void aReportNamesTheDecidingRequirementAndItsPlan_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("el") << "el"
                            << QStringList{"Απομένουν:\n    ΜΗΥ103 Εισαγωγή στον Προγραμματισμό (εξάμηνο 1, 5 ECTS)\n",
                                           "✘ Προαπαιτούμενο γνωστικό αντικείμενο — Προγραμματισμός, Βάσεις Δεδομένων, "
                                           "Αλγόριθμοι: Διδακτικές μονάδες ≥ 40 [καθοριστική]",
                                           "36 / 40 ΔΜ, λείπουν 4 ΔΜ"};
        QTest::newRow("en") << "en"
                            << QStringList{"Still to pass:\n    ΜΗΥ103 Introduction to Programming (semester 1, 5 ECTS)\n",
                                           "still needed: Prerequisite subject - Προγραμματισμός, Βάσεις Δεδομένων, "
                                           "Αλγόριθμοι: Course credits ≥ 40",
                                           "      … and 12 more"};
    }
    void aReportNamesTheDecidingRequirementAndItsPlan()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, expected);
        QVERIFY(ready(QStringLiteral("sqlite")));
        const Result r = zrreq({"audit", "--student", "11", "--kind", "1", "--object", "1", "--context", "103",
                                "--curriculum", "11", "--format", "text", "--lang", language},
                               server(QStringLiteral("sqlite")));
        QCOMPARE(r.exitCode, 1);
        const QString text = QString::fromUtf8(r.out);
        for (const QString &part : expected)
            QVERIFY2(text.contains(part), qPrintable(part + QStringLiteral("\n---\n") + text));
    }

    // What if student 84, 2 ECTS short, passed one more course: the courses planned come first,
    // in every form, and the audit counts them with their grades.
    void aPlanCountsCoursesAsPassed_data()
    {
        QTest::addColumn<QStringList>("form");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("lines") << QStringList() << "en" << "ΜΑΘ523:8" << 0
                               << QStringList{"PLANNED\tΜΑΘ523 Mathematical Logic\t8\nMET\t[%10]\tCourse Type\tECTS 302, needed ≥ 300",
                                              "RESULT MET"};
        QTest::newRow("code in lower case, grade 5") << QStringList() << "el" << "μαθ523" << 0
                                                     << QStringList{"PLANNED\tΜΑΘ523 Μαθηματική Λογική\t5\n"};
        QTest::newRow("json") << QStringList{"--json"} << "en" << "ΜΑΘ523:7.5" << 0
                              << QStringList{"\"code\": \"ΜΑΘ523\"", "\"grade\": 7.5", "\"result\": \"MET\""};
        QTest::newRow("report") << QStringList{"--format", "text"} << "en" << "ΜΑΘ523:9" << 0
                                << QStringList{"If passed (what if): ΜΑΘ523 Mathematical Logic (semester 5, 4 ECTS, grade 9)"};
        QTest::newRow("two courses") << QStringList() << "en" << "ΜΑΘ523:8, ΜΑΘ624:6.5" << 0
                                     << QStringList{"PLANNED\tΜΑΘ523 Mathematical Logic\t8\nPLANNED\tΜΑΘ624 Number Theory\t6.5\n",
                                                    "ECTS 306, needed ≥ 300"};
    }
    void aPlanCountsCoursesAsPassed()
    {
        QFETCH(QStringList, form);
        QFETCH(QString, lang);
        QFETCH(QString, plan);
        QFETCH(int, exitCode);
        QFETCH(QStringList, expected);
        const QString backend = QString::fromLatin1(qEnvironmentVariableIsEmpty("ZRREQ_TEST_PG") ? "sqlite" : "postgresql");
        QVERIFY(ready(backend));
        const Result r = zrreq(QStringList{"audit", "--student", "84", "--kind", "1", "--object", "1", "--context", "103",
                                           "--plan", plan, "--lang", lang} + form,
                               server(backend));
        QVERIFY2(r.exitCode == exitCode, qPrintable(describe(r)));
        const QString out = QString::fromUtf8(r.out);
        for (const QString &part : expected)
            QVERIFY2(out.contains(part), qPrintable(part + QStringLiteral("\n---\n") + out));
    }

    // What if student 84 (curriculum 11 of programme 1) were of another curriculum or programme:
    // the set audited is that one's, his courses counted as its course list counts them, and
    // what the list does not hold is named.
    void aWhatIfAuditsAnotherCurriculumOrProgramme_data()
    {
        QTest::addColumn<QStringList>("whatIf");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("absent");
        // Curriculum 12's set (17 to 19), which his 300 ECTS meet; curriculum 11's wanted 300 of one kind.
        QTest::newRow("another curriculum") << QStringList{"--what-if-curriculum", "12"} << 0
            << QStringList{"WHAT-IF\tΠροπτυχιακό Πρόγραμμα Σπουδών Μηχανικών Η/Υ και Πληροφορικής, Υλικό και Αρχιτεκτονική Υπολογιστών\n",
                           "MET\t[%17]\tCourse Type\tECTS 300, needed ≥ 300"}
            << QStringList{"OUTSIDE", "[%10]"};
        // Programme 2 lists none of his courses: they count only where a requirement selects all (23).
        QTest::newRow("another programme") << QStringList{"--what-if-programme", "2", "--what-if-curriculum", "21"} << 0
            << QStringList{", Γενική κατεύθυνση\n", "\nOUTSIDE\tΜΗΥ101 Mathematics I\n", "MET\t[%23]\tCourse Type\tECTS 300, needed ≥ 120"}
            << QStringList{"[%10]"};
        QTest::newRow("report") << QStringList{"--what-if-programme", "2", "--curriculum", "21", "--format", "text"} << 0
            << QStringList{"Curriculum: Γενική κατεύθυνση", "What if in: ", "Not in its course list: ΜΗΥ101 Mathematics I; "}
            << QStringList();
    }
    void aWhatIfAuditsAnotherCurriculumOrProgramme()
    {
        QFETCH(QStringList, whatIf);
        QFETCH(int, exitCode);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, absent);
        const QString backend = QString::fromLatin1(qEnvironmentVariableIsEmpty("ZRREQ_TEST_PG") ? "sqlite" : "postgresql");
        QVERIFY(ready(backend));
        const Result r = zrreq(QStringList{"audit", "--student", "84", "--context", "103", "--lang", "en"} + whatIf,
                               server(backend));
        QVERIFY2(r.exitCode == exitCode, qPrintable(describe(r)));
        const QString out = QString::fromUtf8(r.out);
        for (const QString &part : expected)
            QVERIFY2(out.contains(part), qPrintable(part + QStringLiteral("\n---\n") + out));
        for (const QString &part : absent)
            QVERIFY2(!out.contains(part), qPrintable(part + QStringLiteral("\n---\n") + out));
    }

    // A student alone is audited against his own programme's set: the degree's, his curriculum's,
    // or the context named; the output is that of the set named in full.
    void aStudentAloneMeetsHisOwnSet_data()
    {
        QTest::addColumn<QStringList>("alone");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("degree") << QStringList() << QStringList{"--kind", "1", "--object", "1", "--context", "103"};
        QTest::newRow("another curriculum") << QStringList{"--curriculum", "12"}
                                            << QStringList{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "12"};
        QTest::newRow("a context with no set") << QStringList{"--context", "109"}
                                               << QStringList{"--kind", "1", "--object", "1", "--context", "109"};
    }
    void aStudentAloneMeetsHisOwnSet()
    {
        QFETCH(QStringList, alone);
        QFETCH(QStringList, named);
        const QString backend = QString::fromLatin1(qEnvironmentVariableIsEmpty("ZRREQ_TEST_PG") ? "sqlite" : "postgresql");
        QVERIFY(ready(backend));
        const Result own = zrreq(QStringList{"audit", "--student", "84", "--lang", "en"} + alone, server(backend));
        const Result full = zrreq(QStringList{"audit", "--student", "84", "--lang", "en"} + named, server(backend));
        QVERIFY2(!own.out.isEmpty() || !own.errLines.isEmpty(), qPrintable(describe(own)));
        QCOMPARE(own.exitCode, full.exitCode);
        QCOMPARE(own.out, full.out);
        QCOMPARE(own.errLines, full.errLines);
    }

    // "65 ECTS of compulsory electives and 18 of free electives", written with the mark, stored,
    // read back and audited: student 29's 70 and 12 ECTS meet both only if a course counts twice.
    void aMarkedSetIsStoredAndCountsEachCourseOnce_data()
    {
        QTest::addColumn<QString>("mark");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("marked") << "yes" << 1
            << QStringList{"MET\t[%", "\tCourse Type\tECTS 65, needed ≥ 65; counted here and nowhere else: ΜΗΥ739 ",
                           "\tCourse Type\tECTS 17, needed ≥ 18; counted here and nowhere else: ΜΑΘ726 Stochastic Processes, "
                           "ΜΗΥ963 Economics of Technology, ΜΗΥ965 History of Technology, ΜΗΥ1094 Digital Image Processing - "
                           "Advanced Topics\nRESULT UNMET"};
        QTest::newRow("unmarked") << "no" << 0 << QStringList{"ECTS 70, needed ≥ 65\n", "ECTS 82, needed ≥ 18\nRESULT MET"};
    }
    void aMarkedSetIsStoredAndCountsEachCourseOnce()
    {
        QFETCH(QString, mark);
        QFETCH(int, exitCode);
        QFETCH(QStringList, expected);
        const QString backend = QString::fromLatin1(qEnvironmentVariableIsEmpty("ZRREQ_TEST_PG") ? "sqlite" : "postgresql");
        QVERIFY(ready(backend));
        m_loaded.removeAll(backend); // curriculum 11's degree set is replaced
        const QString path = m_dir.filePath(QStringLiteral("electives-%1.json").arg(mark));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(R"({"format": "zrreq-requirements/2", "appliesTo": "programme", "context": "degree",
            "department": "105", "programme": "ΠΠΣ", "curriculum": "ΛΟΓ", "requirements": [
            {"label": "compulsory", "type": "course-type", "courseTypes": [2], "total": "ects", "operator": ">=",
             "value": 65, "countsNowhereElse": "%1"},
            {"label": "free", "type": "course-type", "courseTypes": [2, 3], "total": "ects", "operator": ">=",
             "value": 18, "countsNowhereElse": "%1"}]})")
                       .arg(mark)
                       .toUtf8());
        file.close();
        Result r = zrreq({"import", "--file", path}, server(backend));
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        const QStringList set{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11"};
        r = zrreq(QStringList{"export", "--format", "2"} + set, server(backend));
        QVERIFY2(QString::fromUtf8(r.out).count(QStringLiteral("\"countsNowhereElse\": \"%1\"").arg(mark)) == 2,
                 qPrintable(describe(r)));
        r = zrreq(QStringList{"audit", "--student", "29", "--lang", "en"} + set, server(backend));
        QVERIFY2(r.exitCode == exitCode, qPrintable(describe(r)));
        const QString out = QString::fromUtf8(r.out);
        for (const QString &part : expected)
            QVERIFY2(out.contains(part), qPrintable(part + QStringLiteral("\n---\n") + out));
        // In JSON, the ids of the courses each counted: 13 and 4 of his 17 electives, or none unmarked.
        r = zrreq(QStringList{"audit", "--student", "29", "--json"} + set, server(backend));
        const QJsonArray requirements = QJsonDocument::fromJson(r.out).object().value(QStringLiteral("requirements")).toArray();
        QList<qsizetype> counted;
        for (const QJsonValue &requirement : requirements)
            counted << requirement.toObject().value(QStringLiteral("counted")).toArray().size();
        QCOMPARE(counted, mark == QLatin1String("yes") ? (QList<qsizetype>{13, 4}) : (QList<qsizetype>{0, 0}));
    }

    // Students in order, each once, then the count that adds them up; on several threads the
    // same bytes as on one, for one curriculum and for a set per curriculum.
    void allStudentsLineByLine_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QStringList>("curriculum");
        QTest::addColumn<QString>("jobs");
        const char *backend = qEnvironmentVariableIsEmpty("ZRREQ_TEST_PG") ? "sqlite" : "postgresql";
        for (const char *jobs : {"1", "2", "5"}) {
            QTest::addRow("%s curriculum 11, %s threads", backend, jobs)
                << QString::fromLatin1(backend) << QStringList{"--curriculum", "11"} << QString::fromLatin1(jobs);
            QTest::addRow("%s every curriculum, %s threads", backend, jobs)
                << QString::fromLatin1(backend) << QStringList() << QString::fromLatin1(jobs);
        }
    }
    void allStudentsLineByLine()
    {
        QFETCH(QString, backend);
        QFETCH(QStringList, curriculum);
        QFETCH(QString, jobs);
        QVERIFY(ready(backend));
        const QStringList all = QStringList{"audit", "--all", "--kind", "1", "--object", "1", "--context", "103",
                                            "--lang", "en"} + curriculum;
        const Result r = zrreq(all + QStringList{"--jobs", jobs}, server(backend));
        QVERIFY2(r.exitCode == 1 && r.outLines.contains(QStringLiteral("84\tUNMET\tCourse Type - All: ECTS units ≥ 300")), qPrintable(describe(r)));
        QVERIFY(r.outLines.contains(QStringLiteral("205\tEXCEPTED\t")));
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
        if (jobs != QLatin1String("1")) {
            const Result one = zrreq(all + QStringList{"--jobs", "1"}, server(backend));
            QCOMPARE(r.out, one.out);
            QCOMPARE(zrreq(all + QStringList{"--json", "--jobs", jobs}, server(backend)).out,
                     zrreq(all + QStringList{"--json", "--jobs", "1"}, server(backend)).out);
        }
    }

    // The example department comes in from its files, as written or as Greek Excel saves them,
    // into a new database; read again it changes nothing, both ways give the same rows, and its
    // degree set finds the students it was made for.
    void theExampleDepartmentComesInAndAudits_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("greekExcel");
        const char *backend = qEnvironmentVariableIsEmpty("ZRREQ_TEST_PG") ? "sqlite" : "postgresql";
        QTest::addRow("%s, UTF-8 and ','", backend) << QString::fromLatin1(backend) << false;
        QTest::addRow("%s, Windows-1253, ';' and decimal commas", backend)
            << QString::fromLatin1(backend) << true;
    }
    void theExampleDepartmentComesInAndAudits()
    {
        QFETCH(QString, backend);
        QFETCH(bool, greekExcel);
        if (!ready(backend))
            QSKIP("PostgreSQL is not set up (run through tests/pg/with-postgres.sh)");
        m_loaded.removeAll(backend); // the sample is replaced
        const QString db = backend == QLatin1String("sqlite")
                               ? QStringLiteral("sqlite://") + m_dir.filePath(QStringLiteral("example-%1.db").arg(greekExcel))
                               : server(backend);
        const QDir examples = QFileInfo(QFINDTESTDATA("../../data/examples/departments.csv")).dir();
        const QDir files(m_dir.filePath(QStringLiteral("example-files-%1").arg(greekExcel)));
        QVERIFY(files.mkpath(QStringLiteral(".")));
        QStringList import{"data", "import", "--lang", "en"};
        for (const QString &name : examples.entryList({QStringLiteral("*.csv")})) {
            if (greekExcel)
                QVERIFY(writeAsGreekExcel(examples.filePath(name), files.filePath(name)));
            import << (greekExcel ? files : examples).filePath(name);
        }
        QVERIFY(zrreq({"init-db", "--empty", "--force"}, db).exitCode == 0);
        Result r = zrreq(import + QStringList{"--apply"}, db);
        QVERIFY2(r.exitCode == 0 && r.outLines.contains(QStringLiteral("results: 829 added, 0 changed, 0 unchanged")),
                 qPrintable(describe(r)));
        r = zrreq(import, db);
        QVERIFY2(r.exitCode == 0 && r.outLines.size() == 17, qPrintable(describe(r)));
        for (const QString &line : r.outLines)
            QVERIFY2(line.contains(QLatin1String(": 0 to add, 0 to change, ")), qPrintable(line));
        // Both ways, the database's rows are the same.
        const QString exported = m_dir.filePath(QStringLiteral("example-export-%1").arg(greekExcel));
        QCOMPARE(zrreq({"data", "export", exported}, db).exitCode, 0);
        if (greekExcel)
            for (const QString &name : QDir(exported).entryList({QStringLiteral("*.csv")}))
                QCOMPARE(readFile(QDir(exported).filePath(name)),
                         readFile(m_dir.filePath(QStringLiteral("example-export-0/") + name)));
        // One degree set for both curricula: it names the group of each.
        const QString set = examples.filePath(QStringLiteral("degree-requirements.json"));
        // Described, the two curricula's clauses name each its own curriculum, by the label it was given.
        r = zrreq({"describe", "--file", set, "--lang", "en", "--server", db});
        QVERIFY2(r.outLines.contains(QStringLiteral("(N7) Student Data «in-ΧΡΤ»: Student Data - Curriculum = "
                                                    "Χρηματοοικονομική και Τραπεζική")),
                 qPrintable(describe(r)));
        QCOMPARE(zrreq({"import", "--file", set}, db).exitCode, 0);
        QCOMPARE(zrreq({"import", "--file", set, "--kind", "1", "--object", "1", "--context", "103", "--curriculum", "2"}, db)
                     .exitCode,
                 0);
        r = zrreq({"audit", "--all", "--kind", "1", "--object", "1", "--context", "103", "--lang", "en"}, db);
        QVERIFY2(r.exitCode == 1, qPrintable(describe(r)));
        QCOMPARE(r.outLines.last(), QStringLiteral("30 students, 8 met, 22 not met, 0 excepted"));
        QStringList met;
        for (const QString &line : r.outLines)
            if (line.section(u'\t', 1, 1) == QLatin1String("MET"))
                met << line.section(u'\t', 0, 0);
        QCOMPARE(met, (QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}));
    }

    // --impact on the degree's ECTS (requirement 10, 300 in the sample): whom the change turns,
    // as the window's save shows it, and nothing saved.
    void importImpactListsWhomTheSetChanges_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("ects");
        QTest::addColumn<int>("listed");
        QTest::addColumn<QString>("last");
        for (const char *backend : {"sqlite", "postgresql"}) {
            QTest::addRow("%s nobody turns", backend) << backend << "299" << 0 << "No student's result changes";
            QTest::addRow("%s raised", backend) << backend << "301" << 1 << "1 students no longer meet it, 0 now meet it";
            QTest::addRow("%s lowered", backend) << backend << "250" << 6 << "0 students no longer meet it, 6 now meet it";
        }
    }
    void importImpactListsWhomTheSetChanges()
    {
        QFETCH(QString, backend);
        QFETCH(QString, ects);
        QFETCH(int, listed);
        QFETCH(QString, last);
        if (!ready(backend))
            QSKIP("PostgreSQL is not set up (run through tests/pg/with-postgres.sh)");
        const QStringList set{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11"};
        const Result stored = zrreq(QStringList{"export", "--format", "2"} + set, server(backend));
        const QByteArray credits("\"value\": 300,");
        QVERIFY2(stored.out.count(credits) == 1, qPrintable(describe(stored)));
        const QString edited = writeFile(m_dir, QStringLiteral("impact.json"),
                                         QByteArray(stored.out).replace(credits, "\"value\": " + ects.toUtf8() + ','));
        const Result impact = zrreq(QStringList{"import", "--impact", "--file", edited, "--lang", "en"} + set, server(backend));
        QVERIFY2(impact.exitCode == (listed ? 1 : 0) && impact.outLines.size() == listed + 1, qPrintable(describe(impact)));
        QCOMPARE(impact.outLines.last(), last);
        QCOMPARE(zrreq(QStringList{"export", "--format", "2"} + set, server(backend)).out, stored.out);
    }
};

QTEST_GUILESS_MAIN(TestAuditCommand)
#include "tst_auditcommand.moc"
