#include "../pdftext.h"
#include "clirunner.h"

#include <QTest>

using namespace zr::test;

// zrreq audit --format: one student's audit as the report he is handed, from a set file and a
// student file (no database), where no display platform can start.
class TestAuditReportCommand : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QStringList m_files;

    Result audit(const QStringList &options)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        return zrreq(QStringList{"audit"} + m_files + options, QString(), env);
    }

private slots:
    // The sample student, named: no thesis, so the set is not met.
    void initTestCase()
    {
        QJsonObject student = QJsonDocument::fromJson(readFile(QFINDTESTDATA("data/auditstudent.json"))).object();
        QJsonObject particulars = student.value(QStringLiteral("student")).toObject();
        particulars.insert(QStringLiteral("lastname"), QStringLiteral("Παπαδοπούλου"));
        particulars.insert(QStringLiteral("firstname"), QStringLiteral("Ελένη"));
        particulars.insert(QStringLiteral("spec_aem"), QStringLiteral("1001123"));
        student.insert(QStringLiteral("student"), particulars);
        m_files = QStringList{"--file", writeFile(m_dir, QStringLiteral("set.json"), readFile(QFINDTESTDATA("data/auditset.json"))),
                              "--student-file", writeFile(m_dir, QStringLiteral("student.json"), QJsonDocument(student).toJson())};
        QVERIFY(!m_files.contains(QString()));
    }

    void eachFormatWritesTheReport_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("text") << QStringList{"--format", "text", "--lang", "en"} << ""
                              << QStringList{"Student: Παπαδοπούλου Ελένη, Registration no. 1001123",
                                             "✘ Does not meet: 2 of 3 requirements met",
                                             "✘ Complete Projects — Διπλωματική εργασία: Number of projects ≥ 1 [deciding]\n"
                                             "    completed projects 0, needed ≥ 1"};
        QTest::newRow("json") << QStringList{"--format", "json"} << ""
                              << QStringList{"\"verdict\": \"UNMET\"", "\"studentName\": \"Παπαδοπούλου Ελένη\""};
        QTest::newRow("html to a file") << QStringList{"--format", "html", "--output"} << "report.html"
                                        << QStringList{"<html lang=\"el\">", "Α.Μ. 1001123"};
        QTest::newRow("pdf el") << QStringList{"--format", "pdf", "--output"} << "report-el.pdf"
                                << QStringList{"Παπαδοπούλου Ελένη, Α.Μ. 1001123", "Δεν πληροί"};
        QTest::newRow("pdf en") << QStringList{"--lang", "en", "--format=pdf", "--output"} << "report-en.pdf"
                                << QStringList{"Registration no. 1001123", "Does not meet", "Complete Projects"};
    }
    void eachFormatWritesTheReport()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, file);
        QFETCH(QStringList, expected);
        const QString path = m_dir.filePath(file);
        const Result r = audit(file.isEmpty() ? options : options << path);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errLines.isEmpty() && (file.isEmpty() || r.out.isEmpty()), qPrintable(r.errLines.join(QLatin1Char('\n'))));
        QString error;
        const QString written = file.isEmpty() ? QString::fromUtf8(r.out)
                                : file.endsWith(QLatin1String(".pdf")) ? pdfText(path, &error).simplified()
                                                                       : QString::fromUtf8(readFile(path));
        for (const QString &part : expected)
            QVERIFY2(written.contains(part), qPrintable(part + QStringLiteral("\n---\n") + written + error));
    }

    // Refused in one line on stderr with exit 2, nothing on stdout.
    void refusesWhatItCanNotWrite_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");
        QTest::newRow("pdf to stdout") << QStringList{"--format", "pdf"} << "--format pdf needs --output";
        QTest::newRow("unknown format") << QStringList{"--format", "xml"} << "--format is one of";
        QTest::newRow("with --json") << QStringList{"--format", "text", "--json"} << "not both";
        QTest::newRow("lines to a file") << QStringList{"--output", "x.txt"} << "--output needs";
        QTest::newRow("text to a missing folder") << QStringList{"--format", "text", "--output", "/no-such-folder/r.txt"}
                                                  << "/no-such-folder/r.txt";
        QTest::newRow("pdf to a missing folder") << QStringList{"--format", "pdf", "--output", "/no-such-folder/r.pdf"}
                                                 << "/no-such-folder/r.pdf";
    }
    void refusesWhatItCanNotWrite()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        const Result r = audit(QStringList{"--lang", "en"} + options);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.errLines.size(), 1);
        QVERIFY2(r.errLines.first().contains(message) && r.out.isEmpty(), qPrintable(r.errLines.first()));
    }
};

QTEST_GUILESS_MAIN(TestAuditReportCommand)
#include "tst_auditreportcommand.moc"
