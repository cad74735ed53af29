#include "auditreportbuilder.h"

#include "audittext.h"
#include "common/langstrings.h"
#include "passedcourses.h"

#include "common/systemnumber.h"

namespace zr {

namespace {
// A page lists the earliest courses; the rest are counted.
constexpr int MaxCandidates = 10;

enum : qint32 {
    StrMeets = 63360,        // "Meets the requirements"
    StrMissing = 63361,      // "%1: %2 of %3 requirements met; still needed: %4"
    StrExceptedLine = 63362, // "Excepted from the check"
};

std::optional<ReportProgress> progressOf(const RequirementTrace &r)
{
    if (!r.amount || !r.target)
        return std::nullopt;
    ReportProgress progress;
    progress.measured = *r.amount;
    progress.needed = *r.target;
    progress.unit = r.unit;
    if (r.verdict == AuditVerdict::Unmet && *r.amount < *r.target)
        progress.missing = (FormatLanguageNumber(*r.target - *r.amount, 2, CurrentLanguage()) +
                            QLatin1Char(' ') + r.unit)
                               .trimmed();
    return progress;
}

QString summaryOf(const AuditTrace &trace)
{
    if (trace.verdict == SetVerdict::Excepted)
        return GetLangString(StrExceptedLine);
    if (trace.verdict == SetVerdict::Met)
        return GetLangString(StrMeets);
    int met = 0;
    for (const RequirementTrace &r : trace.requirements)
        met += r.verdict != AuditVerdict::Unmet ? 1 : 0;
    return ReplaceParams(GetLangString(StrMissing),
                         {VerdictText(trace.verdict), QString::number(met),
                          QString::number(trace.requirements.size()), trace.decidingNames()});
}

} // namespace

ReportCourse ReportCourseOf(const CatalogCourse &course)
{
    return ReportCourse{course.courseId, course.code, course.title, course.attributes.semester,
                        course.attributes.ects, std::nullopt};
}

AuditReport BuildAuditReport(const AuditSet &set, const AuditTrace &trace,
                             const StudentRecord &record, const QList<CatalogCourse> &catalog)
{
    AuditReport report;
    report.studentName = record.name();
    report.registration = record.registration();
    report.language =
        CurrentLanguage() == LangEnglish ? QStringLiteral("en") : QStringLiteral("el");
    report.verdict = trace.verdict;
    report.summary = summaryOf(trace);
    const audit::StudentDigest digest = audit::DigestRecord(record, false);
    for (int i = 0; i < trace.requirements.size(); ++i) {
        const RequirementTrace &r = trace.requirements.at(i);
        ReportRequirement line;
        line.ocID = r.ocID;
        line.caption = r.caption;
        // The editor's description starts with the type's name, which the report shows as the
        // caption.
        const QString typePrefix = r.caption + QStringLiteral(" - ");
        line.description = r.description.startsWith(typePrefix)
                               ? r.description.mid(typePrefix.size())
                               : r.description;
        line.verdict = r.verdict;
        line.needed = r.needed;
        line.deciding = r.deciding;
        line.measured = r.measured;
        line.progress = progressOf(r);
        // Courses help only a figure that is short of what it needs: not a bound from above.
        const bool short_ = r.amount && r.target && *r.amount < *r.target;
        if (r.verdict == AuditVerdict::Unmet && r.needed && trace.verdict == SetVerdict::Unmet &&
            short_) {
            for (const CatalogCourse &course : catalog) {
                if (digest.passedCourse(course.courseId) ||
                    !set.countsTowards(i, course.courseId, course.attributes))
                    continue;
                if (line.candidates.size() < MaxCandidates)
                    line.candidates << ReportCourseOf(course);
                else
                    ++line.moreCandidates;
            }
        }
        report.requirements << line;
    }
    return report;
}

} // namespace zr
