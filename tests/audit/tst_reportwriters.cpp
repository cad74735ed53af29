#include "../datafile.h"
#include "../samplereport.h"
#include "audit/reportwriters.h"
#include "common/langstrings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace zr;
using zr::test::SampleReport;

Q_DECLARE_METATYPE(zr::ReportPlan::Outcome)

namespace {

// The value at "a/0/b" in a JSON document.
QJsonValue at(const QByteArray &json, const QString &path)
{
    QJsonValue value = QJsonDocument::fromJson(json).object();
    for (const QString &step : path.split(QLatin1Char('/'))) {
        bool index = false;
        const int i = step.toInt(&index);
        value = index ? value.toArray().at(i) : value.toObject().value(step);
    }
    return value;
}

} // namespace

class TestReportWriters : public QObject
{
    Q_OBJECT

private slots:
    // The user interface in English: a Greek report must not follow it.
    void initTestCase() { StringService::instance().setLanguageId(LangEnglish); }

    void wordsAndFiguresFollowTheReportsLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("html");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("unexpected");
        QTest::newRow("text el") << "el" << false
            << QStringList{"Φοιτητής: Παπαδοπούλου Ελένη, Α.Μ. 1001123", "Κατεύθυνση: Λογισμικό και Πληροφοριακά Συστήματα",
                           "Προϋποθέσεις: Προϋποθέσεις λήψης πτυχίου, έκδοση 4", "5 Μαρτίου 2025",
                           "262,5 / 300 ECTS, λείπουν 37,5 ECTS", "✘ ects — ECTS όλων των τύπων μαθημάτων ≥ 300, εκτός από ΜΗΥ106 [καθοριστική]",
                           "Απομένουν:\n    ΜΗΥ420 Αλγόριθμοι και Πολυπλοκότητα (εξάμηνο 7, 6 ECTS)\n    ΜΗΥ422",
                           "    ΜΗΥ431 Μεταγλωττιστές (εξάμηνο 8, 7,5 ECTS)\n",
                           "✘ practicum — Πρακτική άσκηση ολοκληρωμένη (δεν χρειάζεται: ο άλλος κλάδος πληρούται)"}
            << QStringList{"262.5", "Still to pass", "7.5 ECTS"};
        QTest::newRow("text en") << "en" << false
            << QStringList{"Student: Παπαδοπούλου Ελένη, Registration no. 1001123", "version 4", "5 March 2025",
                           "262.5 / 300 ECTS, 37.5 ECTS short", "[deciding]", "Still to pass:\n    ΜΗΥ420",
                           "(semester 8, 7.5 ECTS)", "(not needed: the other branch is met)"}
            << QStringList{"262,5 / 300", "Απομένουν", "καθοριστική"};
        QTest::newRow("html el") << "el" << true
            << QStringList{"<html lang=\"el\">", "262,5 / 300 ECTS, λείπουν 37,5 ECTS", "Απομένουν:",
                           "<li>ΜΗΥ431 Μεταγλωττιστές (εξάμηνο 8, 7,5 ECTS)</li>", "[καθοριστική]", "<tr class=\"deciding\">",
                           "<tr class=\"notneeded\">", "δεν χρειάζεται: ο άλλος κλάδος πληρούται"}
            << QStringList{"262.5", "Still to pass"};
        QTest::newRow("html en") << "en" << true
            << QStringList{"<html lang=\"en\">", "262.5 / 300 ECTS, 37.5 ECTS short", "Still to pass:", "(semester 8, 7.5 ECTS)"}
            << QStringList{"262,5 / 300", "Απομένουν"};
    }
    void wordsAndFiguresFollowTheReportsLanguage()
    {
        QFETCH(QString, language);
        QFETCH(bool, html);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, unexpected);
        const QString written = html ? ReportHtml(SampleReport(language)) : ReportText(SampleReport(language));
        for (const QString &part : expected)
            QVERIFY2(written.contains(part), qPrintable(part + QStringLiteral("\n---\n") + written));
        for (const QString &part : unexpected)
            QVERIFY2(!written.contains(part), qPrintable(part + QStringLiteral("\n---\n") + written));
    }

    // The plan leads the report, labelled by how it was found; JSON names its outcome.
    void planIsLabelledByItsOutcome_data()
    {
        QTest::addColumn<ReportPlan::Outcome>("outcome");
        QTest::addColumn<bool>("courses");
        QTest::addColumn<QStringList>("besides");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("exact") << ReportPlan::Outcome::Exact << true << QStringList{} << "Still to pass:" << "exact"
                               << QStringList{"may not", "Besides"};
        QTest::newRow("best effort") << ReportPlan::Outcome::BestEffort << true << QStringList{"a practicum"}
                                     << "Still to pass (may not be the smallest):" << "best-effort" << QStringList{};
        QTest::newRow("no courses") << ReportPlan::Outcome::NoCourses << true << QStringList{"average 6.5", ""}
                                    << "No choice of the programme's courses meets the requirements" << "no-courses"
                                    << QStringList{"Still to pass", "ΜΗΥ431"};
        QTest::newRow("besides alone") << ReportPlan::Outcome::Exact << false << QStringList{"a practicum", "a thesis"}
                                       << "Besides: a practicum; a thesis" << "exact" << QStringList{"Still to pass"};
        QTest::newRow("not needed") << ReportPlan::Outcome::NotNeeded << true << QStringList{"a practicum"} << "" << "not-needed"
                                    << QStringList{"Still to pass", "Besides", "No choice"};
    }
    void planIsLabelledByItsOutcome()
    {
        QFETCH(ReportPlan::Outcome, outcome);
        QFETCH(bool, courses);
        QFETCH(QStringList, besides);
        QFETCH(QString, line);
        QFETCH(QString, word);
        QFETCH(QStringList, absent);
        AuditReport report = SampleReport(QStringLiteral("en"));
        report.plan = ReportPlan{outcome, courses ? report.plan.courses : QList<ReportCourse>{}, besides};
        const QString text = ReportText(report);
        const QStringList lines = text.split(QLatin1Char('\n'));
        const auto startingWith = [&lines](const QString &start) {
            return std::find_if(lines.cbegin(), lines.cend(), [&](const QString &l) { return l.startsWith(start); }) - lines.cbegin();
        };
        QVERIFY2(line.isEmpty() || startingWith(line) < startingWith(QStringLiteral("✘ ects")), qPrintable(text));
        for (const QString &part : absent)
            QVERIFY2(!text.contains(part), qPrintable(part));
        QCOMPARE(at(ReportJson(report), QStringLiteral("plan/outcome")).toString(), word);
    }

    // The text bar never looks complete short of its end; the page's bar is two cells as wide as the shares.
    void barsShowTheShareReached_data() { zr::test::addDataRows(QFINDTESTDATA("data/reportbars.tsv")); }
    void barsShowTheShareReached()
    {
        QFETCH(QString, measuredText); // "nan" and "inf" too
        QFETCH(int, needed);
        QFETCH(QString, textBar);
        const double measured = measuredText.toDouble();
        QFETCH(QString, htmlCells);
        AuditReport report = SampleReport(QStringLiteral("en"));
        report.requirements = {report.requirements.first()};
        report.requirements[0].progress = ReportProgress{measured, double(needed), QStringLiteral("ECTS"), QString()};
        const QStringList bars = ReportText(report).split(QLatin1Char('\n')).filter(QStringLiteral(" / "));
        QCOMPARE(bars.size(), 1);
        QCOMPARE(bars.first().trimmed().section(QLatin1Char(' '), 0, 0), textBar);
        QStringList cells;
        const QString html = ReportHtml(report);
        static const QRegularExpression cell(QStringLiteral("<td class=\"(\\w+)\" width=\"(\\d+)%\">"));
        for (auto m = cell.globalMatch(html); m.hasNext();) {
            const QRegularExpressionMatch match = m.next();
            cells << match.captured(1) + QLatin1Char(' ') + match.captured(2);
        }
        QCOMPARE(cells.join(QLatin1Char('|')), htmlCells);
        // JSON has no NaN: what it can not hold is written unknown, and the document still reads.
        const QJsonValue written = at(ReportJson(report), QStringLiteral("requirements/0/progress/measured"));
        QVERIFY(std::isfinite(measured) ? written.toDouble() == measured : written.isNull());
    }

    void jsonNamesEveryFieldStably_data() { zr::test::addDataRows(QFINDTESTDATA("data/reportjson.tsv")); }
    void jsonNamesEveryFieldStably()
    {
        QFETCH(QString, path);
        QFETCH(QVariant, expected);
        const QJsonValue value = at(ReportJson(SampleReport(QStringLiteral("el"))), path);
        QVERIFY2(expected.isValid() ? value.toVariant() == expected : value.isNull(), qPrintable(value.toVariant().toString()));
    }

    // Whatever a text holds, the page shows it as text and the terminal's lines stay as they are.
    void hostileTextStaysText_data()
    {
        QTest::addColumn<QString>("field");
        for (const char *field : {"studentName", "summary", "caption", "description", "measured", "unit", "candidate", "besides"})
            QTest::newRow(field) << QString::fromLatin1(field);
    }
    void hostileTextStaysText()
    {
        QFETCH(QString, field);
        const QString hostile = QStringLiteral("<b onclick=\"x\">&amp;\nnext");
        AuditReport r = SampleReport(QStringLiteral("el"));
        ReportRequirement &first = r.requirements.first();
        const QHash<QString, QString *> fields{{"studentName", &r.studentName}, {"summary", &r.summary},
                                               {"caption", &first.caption},      {"description", &first.description},
                                               {"measured", &first.measured},    {"unit", &first.progress->unit},
                                               {"candidate", &first.candidates.first().title}};
        if (field == QLatin1String("besides"))
            r.plan.besides = {hostile};
        else
            *fields.value(field) = hostile;
        const QString html = ReportHtml(r);
        QVERIFY2(!html.contains(QLatin1String("<b onclick")) && html.contains(QLatin1String("&lt;b onclick=&quot;x&quot;&gt;&amp;amp;")),
                 qPrintable(html));
        for (const QString &line : ReportText(r).split(QLatin1Char('\n')))
            QVERIFY2(!line.startsWith(QLatin1String("next")), qPrintable(line));
    }

    // One file to hand out or mail: nothing it shows is fetched from elsewhere.
    void htmlPageIsSelfContained()
    {
        const QString html = ReportHtml(SampleReport(QStringLiteral("el")));
        QVERIFY(html.startsWith(QLatin1String("<!DOCTYPE html>")) && html.contains(QLatin1String("<meta charset=\"utf-8\">")));
        for (const char *outside : {"src=", "href=", "url(", "@import", "<link", "<script"})
            QVERIFY2(!html.contains(QLatin1String(outside)), outside);
    }
};

QTEST_GUILESS_MAIN(TestReportWriters)
#include "tst_reportwriters.moc"
