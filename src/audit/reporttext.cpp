#include "audit/reportwriters.h"

#include "reportwording.h"

#include <cmath>

namespace zr {

namespace {

using report::OneLine;

constexpr int BarCells = 20;
const QString Indent = QStringLiteral("    ");

// Full blocks, then one cell in eighths, then shade: a bar short of its end never looks complete.
QString blockBar(double share)
{
    static const QChar eighthBlocks[] = {u' ', u'\u258F', u'\u258E', u'\u258D', u'\u258C', u'\u258B', u'\u258A', u'\u2589'};
    const int eighths = int(std::floor(share * BarCells * 8));
    QString bar(eighths / 8, QChar(u'\u2588'));
    if (eighths % 8 != 0)
        bar += eighthBlocks[eighths % 8];
    return bar + QString(BarCells - bar.size(), QChar(u'\u2591'));
}

void appendRequirement(const ReportRequirement &r, const report::ReportWording &words, QStringList &lines)
{
    QString first = VerdictMark(r.verdict) + QLatin1Char(' ') + OneLine(r.caption);
    if (!OneLine(r.description).isEmpty())
        first += QStringLiteral(" \u2014 ") + OneLine(r.description);
    if (r.deciding)
        first += QStringLiteral(" [") + words.deciding() + QLatin1Char(']');
    if (!r.needed)
        first += QStringLiteral(" (") + words.notNeeded() + QLatin1Char(')');
    lines << first;
    if (!OneLine(r.measured).isEmpty())
        lines << Indent + OneLine(r.measured);
    if (r.progress)
        lines << Indent + blockBar(report::ProgressShare(*r.progress)) + QLatin1Char(' ')
                     + OneLine(words.progressFigures(*r.progress));
    if (r.candidates.isEmpty())
        return;
    lines << Indent + words.candidatesHeading();
    for (const ReportCourse &course : r.candidates)
        lines << Indent + QStringLiteral("  ") + OneLine(words.course(course));
    if (r.moreCandidates > 0)
        lines << Indent + QStringLiteral("  ") + words.moreCourses(r.moreCandidates);
}

} // namespace

QString ReportText(const AuditReport &report)
{
    const report::ReportWording words(report.language);
    QStringList lines{words.title()};
    for (const report::HeaderField &field : words.header(report))
        lines << OneLine(field.first) + QStringLiteral(": ") + OneLine(field.second);
    lines << QString() << report::SetMark(report.verdict) + QLatin1Char(' ') + OneLine(report.summary);

    // The plan comes before the detail: it is what the student acts on.
    if (const QString heading = words.planHeading(report.plan); !heading.isEmpty())
        lines << heading;
    if (report::PlanListsCourses(report.plan)) {
        for (const ReportCourse &course : report.plan.courses)
            lines << Indent + OneLine(words.course(course));
    }
    if (const QString besides = words.planBesides(report.plan); !besides.isEmpty())
        lines << OneLine(besides);

    if (!report.requirements.isEmpty())
        lines << QString();
    for (const ReportRequirement &r : report.requirements)
        appendRequirement(r, words, lines);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace zr
