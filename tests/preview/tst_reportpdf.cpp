#include "../pdftext.h"
#include "../samplereport.h"
#include "common/langstrings.h"
#include "preview/reportpdf.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace zr;
using namespace zr::test;

// The report on paper, read back as a person's PDF reader finds it.
class TestReportPdf : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    void pdfReadsInTheReportsLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("extra");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("el") << "el" << 0
                            << QStringList{"Αναφορά ελέγχου προϋποθέσεων", "Παπαδοπούλου Ελένη, Α.Μ. 1001123",
                                           "Πληρούνται 4 από τις 5 προϋποθέσεις", "Απομένουν:",
                                           "ΜΗΥ452 Ασφάλεια Υπολογιστικών Συστημάτων (εξάμηνο 9, 6 ECTS)",
                                           "262,5 / 300 ECTS, λείπουν 37,5 ECTS", "[καθοριστική]", "✘", "✔",
                                           "δεν χρειάζεται: ο άλλος κλάδος πληρούται"};
        QTest::newRow("en") << "en" << 0
                            << QStringList{"Requirements audit report", "Παπαδοπούλου Ελένη, Registration no. 1001123",
                                           "Still to pass:", "262.5 / 300 ECTS, 37.5 ECTS short", "[deciding]"};
        // Nothing is cut off: many requirements go on over pages, to the last.
        QTest::newRow("over pages") << "el" << 60 << QStringList{"course-group-60"};
    }
    void pdfReadsInTheReportsLanguage()
    {
        QFETCH(QString, language);
        QFETCH(int, extra);
        QFETCH(QStringList, expected);
        AuditReport report = SampleReport(language);
        for (int i = 1; i <= extra; ++i) {
            report.requirements << report.requirements.at(1);
            report.requirements.last().caption = QStringLiteral("course-group-%1").arg(i);
        }
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".pdf"));
        QString error;
        QVERIFY2(WriteReportPdf(report, path, &error), qPrintable(error));
        const QString text = pdfText(path, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (const QString &part : expected)
            QVERIFY2(text.simplified().contains(part), qPrintable(part + QStringLiteral("\n---\n") + text));
        QVERIFY(text.count(QLatin1Char('\f')) >= 1 + extra / 30);
    }
};

QTEST_MAIN(TestReportPdf)
#include "tst_reportpdf.moc"
