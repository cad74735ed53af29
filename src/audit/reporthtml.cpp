#include "audit/reportwriters.h"

#include "reportwording.h"

#include <cmath>

namespace zr {

namespace {

// Only what QTextDocument also reads (one class per element, no positioning), so that the
// PDF drawn from this page looks like the page in a browser.
const char Style[] = R"(
body { font-family: "DejaVu Sans", "Noto Sans", Arial, sans-serif; font-size: 10pt; color: #202020; }
h1 { font-size: 15pt; margin-bottom: 4pt; }
td.label { color: #555555; padding-right: 10pt; }
p.summary { font-size: 12pt; font-weight: bold; margin-top: 0; margin-bottom: 6pt; }
p.gap { font-size: 5pt; margin: 0; }
.met { color: #1a6b2a; }
.unmet { color: #a40000; }
.notchecked { color: #6a6a6a; }
table.plan { background-color: #eef3fa; border: 1px solid #9fb5d5; }
p.plan { font-weight: bold; margin: 0; }
table.requirements { border-collapse: collapse; }
table.requirements td { border-bottom: 1px solid #c8c8c8; padding: 5pt; vertical-align: top; }
tr.deciding td { background-color: #fff3c4; }
tr.notneeded td { color: #7a7a7a; }
td.mark { font-size: 13pt; font-weight: bold; width: 20pt; }
span.tag { font-weight: bold; color: #8a5a00; }
p.line { margin-top: 2pt; margin-bottom: 0; }
table.bar { border-collapse: collapse; margin-top: 2pt; margin-bottom: 2pt; }
table.bar td { padding: 0; border: none; font-size: 4pt; }
table.bar td.reached { background-color: #4a7fb5; }
table.bar td.full { background-color: #3d8a4a; }
table.bar td.rest { background-color: #dcdcdc; }
ul { margin-top: 2pt; margin-bottom: 0; }
tr { page-break-inside: avoid; }
@page { size: A4; margin: 2cm; }
)";

// QTextDocument keeps no margin beside a table: an empty line of small type parts the sections.
const QString Gap = QStringLiteral("<p class=\"gap\">&nbsp;</p>\n");

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString verdictClass(AuditVerdict verdict)
{
    switch (verdict) {
    case AuditVerdict::Met:
        return QStringLiteral("met");
    case AuditVerdict::Unmet:
        return QStringLiteral("unmet");
    case AuditVerdict::NotChecked:
        break;
    }
    return QStringLiteral("notchecked");
}

// Two cells whose widths are the shares reached and left; a whole bar is one cell.
QString barHtml(double share)
{
    const int reached = int(std::floor(share * 100));
    const QString open = QStringLiteral("<table class=\"bar\" width=\"60%\" cellspacing=\"0\" cellpadding=\"0\"><tr>");
    if (reached >= 100)
        return open + QStringLiteral("<td class=\"full\" width=\"100%\">&nbsp;</td></tr></table>\n");
    QString cells;
    if (reached > 0)
        cells += QStringLiteral("<td class=\"reached\" width=\"%1%\">&nbsp;</td>").arg(reached);
    cells += QStringLiteral("<td class=\"rest\" width=\"%1%\">&nbsp;</td>").arg(100 - reached);
    return open + cells + QStringLiteral("</tr></table>\n");
}

QString courseList(const QList<ReportCourse> &courses, const report::ReportWording &words)
{
    QString html = QStringLiteral("<ul>\n");
    for (const ReportCourse &course : courses)
        html += QStringLiteral("<li>") + escaped(words.course(course)) + QStringLiteral("</li>\n");
    return html + QStringLiteral("</ul>\n");
}

QString headerHtml(const AuditReport &report, const report::ReportWording &words)
{
    QString html = QStringLiteral("<h1>") + escaped(words.title()) + QStringLiteral("</h1>\n");
    const QList<report::HeaderField> fields = words.header(report);
    if (fields.isEmpty())
        return html;
    html += QStringLiteral("<table class=\"header\" cellspacing=\"0\" cellpadding=\"2\">\n");
    for (const report::HeaderField &field : fields) {
        // Blanks after the colon: QTextDocument pads no single side of a cell.
        html += QStringLiteral("<tr><td class=\"label\">") + escaped(field.first) + QStringLiteral(":&nbsp;&nbsp;</td><td>")
                + escaped(field.second) + QStringLiteral("</td></tr>\n");
    }
    return html + QStringLiteral("</table>\n");
}

QString planHtml(const ReportPlan &plan, const report::ReportWording &words)
{
    const QString heading = words.planHeading(plan);
    const QString besides = words.planBesides(plan);
    if (heading.isEmpty() && besides.isEmpty())
        return QString();
    QString html = QStringLiteral("<table class=\"plan\" width=\"100%\" cellspacing=\"0\" cellpadding=\"6\"><tr><td>\n");
    if (!heading.isEmpty())
        html += QStringLiteral("<p class=\"plan\">") + escaped(heading) + QStringLiteral("</p>\n");
    if (report::PlanListsCourses(plan))
        html += courseList(plan.courses, words);
    if (!besides.isEmpty())
        html += QStringLiteral("<p class=\"line\">") + escaped(besides) + QStringLiteral("</p>\n");
    return html + QStringLiteral("</td></tr></table>\n");
}

QString requirementHtml(const ReportRequirement &r, const report::ReportWording &words)
{
    const QString rowClass = !r.needed ? QStringLiteral(" class=\"notneeded\"")
                             : r.deciding ? QStringLiteral(" class=\"deciding\"")
                                          : QString();
    QString html = QStringLiteral("<tr") + rowClass + QStringLiteral("><td class=\"mark\"><span class=\"")
                   + verdictClass(r.verdict) + QStringLiteral("\">") + escaped(VerdictMark(r.verdict))
                   + QStringLiteral("</span></td><td>\n<p class=\"line\"><b>") + escaped(r.caption) + QStringLiteral("</b>");
    if (!r.description.trimmed().isEmpty())
        html += QStringLiteral(" \u2014 ") + escaped(r.description);
    if (r.deciding)
        html += QStringLiteral(" <span class=\"tag\">[") + escaped(words.deciding()) + QStringLiteral("]</span>");
    html += QStringLiteral("</p>\n");
    if (!r.needed)
        html += QStringLiteral("<p class=\"line\"><i>") + escaped(words.notNeeded()) + QStringLiteral("</i></p>\n");
    if (!r.measured.trimmed().isEmpty())
        html += QStringLiteral("<p class=\"line\">") + escaped(r.measured) + QStringLiteral("</p>\n");
    if (r.progress) {
        html += QStringLiteral("<p class=\"line\">") + escaped(words.progressFigures(*r.progress)) + QStringLiteral("</p>\n")
                + barHtml(report::ProgressShare(*r.progress));
    }
    if (!r.candidates.isEmpty()) {
        html += QStringLiteral("<p class=\"line\">") + escaped(words.candidatesHeading()) + QStringLiteral("</p>\n")
                + courseList(r.candidates, words);
        if (r.moreCandidates > 0)
            html += QStringLiteral("<p class=\"line\">") + escaped(words.moreCourses(r.moreCandidates))
                    + QStringLiteral("</p>\n");
    }
    return html + QStringLiteral("</td></tr>\n");
}

} // namespace

QString ReportHtml(const AuditReport &report)
{
    const report::ReportWording words(report.language);
    QString title = words.title();
    if (!report.studentName.trimmed().isEmpty())
        title += QStringLiteral(" \u2014 ") + report.studentName.trimmed();
    QString html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"") + words.languageCode()
                   + QStringLiteral("\">\n<head>\n<meta charset=\"utf-8\">\n<title>") + escaped(title)
                   + QStringLiteral("</title>\n<style>") + QLatin1String(Style) + QStringLiteral("</style>\n</head>\n<body>\n");
    html += headerHtml(report, words) + Gap;
    const QString summaryClass = report.verdict == SetVerdict::Unmet ? QStringLiteral("unmet") : QStringLiteral("met");
    html += QStringLiteral("<p class=\"summary\"><span class=\"") + summaryClass + QStringLiteral("\">")
            + escaped(report::SetMark(report.verdict) + QLatin1Char(' ') + report.summary) + QStringLiteral("</span></p>\n");
    html += planHtml(report.plan, words);
    if (!report.requirements.isEmpty()) {
        html += Gap + QStringLiteral("<table class=\"requirements\" width=\"100%\" cellspacing=\"0\">\n");
        for (const ReportRequirement &r : report.requirements)
            html += requirementHtml(r, words);
        html += QStringLiteral("</table>\n");
    }
    return html + QStringLiteral("</body>\n</html>\n");
}

} // namespace zr
