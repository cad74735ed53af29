#include "reportwording.h"

#include "common/langstrings.h"
#include "common/systemnumber.h"

#include <algorithm>
#include <cmath>

namespace zr::report {

namespace {

enum : qint32 {
    StrStudent = 63504,        // the same words the impact list heads its columns with
    StrRegistration = 63505,
    StrEcts = 63204,
    StrProgramme = 63300,
    StrCurriculum = 63301,
    StrSet = 63302,
    StrVersion = 63303,        // "version %1"
    StrDate = 63304,
    StrStillToPass = 63305,
    StrStillToPassMaybe = 63306,
    StrNoCourses = 63307,
    StrBesides = 63308,        // "Besides: %1"
    StrNotNeeded = 63309,
    StrDeciding = 63310,
    StrCandidates = 63311,
    StrSemester = 63312,       // "semester %1"
    StrShort = 63313,          // "%1 short"
    StrTitle = 63315,
    StrMoreCourses = 63321,    // "… and %1 more"
    StrPlanned = 63322,        // "Planned (what if)"
    StrGrade = 63323,          // "grade %1"
    StrWhatIf = 63324,         // "What if in"
    StrOutside = 63325,        // "Not in its course list"
};

int languageOf(const QString &language)
{
    if (language.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0)
        return LangEnglish;
    if (language.compare(QLatin1String("el"), Qt::CaseInsensitive) == 0)
        return LangGreek;
    // A report that names no language of ours is written in the user interface's.
    return StringService::instance().languageId() == LangEnglish ? LangEnglish : LangGreek;
}

} // namespace

ReportWording::ReportWording(const QString &language)
    : m_languageId(languageOf(language))
    , m_locale(m_languageId == LangEnglish ? QLocale(QLocale::English, QLocale::UnitedKingdom)
                                           : QLocale(QLocale::Greek, QLocale::Greece))
{
    m_locale.setNumberOptions(QLocale::OmitGroupSeparator);
}

QString ReportWording::languageCode() const
{
    return m_languageId == LangEnglish ? QStringLiteral("en") : QStringLiteral("el");
}

QString ReportWording::text(qint32 id, const QStringList &args) const
{
    const QString text = StringTableText(id, m_languageId);
    return args.isEmpty() ? text : ReplaceParams(text, args);
}

QString ReportWording::number(double value) const
{
    return FormatLanguageNumber(value, 2, m_languageId);
}

QString ReportWording::dateTime(const QDateTime &moment) const
{
    if (!moment.isValid())
        return QString();
    return m_locale.toString(moment.toLocalTime(), QStringLiteral("d MMMM yyyy HH:mm"));
}

QString ReportWording::title() const
{
    return text(StrTitle);
}

QList<HeaderField> ReportWording::header(const AuditReport &report) const
{
    QList<HeaderField> fields;
    QStringList student;
    if (!report.studentName.trimmed().isEmpty())
        student << report.studentName.trimmed();
    if (!report.registration.trimmed().isEmpty())
        student << text(StrRegistration) + QLatin1Char(' ') + report.registration.trimmed();
    if (!student.isEmpty())
        fields << HeaderField{text(StrStudent), student.join(QStringLiteral(", "))};
    if (!report.programme.trimmed().isEmpty())
        fields << HeaderField{text(StrProgramme), report.programme.trimmed()};
    if (!report.curriculum.trimmed().isEmpty())
        fields << HeaderField{text(StrCurriculum), report.curriculum.trimmed()};
    QStringList set;
    if (!report.setCaption.trimmed().isEmpty())
        set << report.setCaption.trimmed();
    if (report.setVersion > 0)
        set << text(StrVersion, {QString::number(report.setVersion)});
    if (!set.isEmpty())
        fields << HeaderField{text(StrSet), set.join(QStringLiteral(", "))};
    if (report.asOf.isValid())
        fields << HeaderField{text(StrDate), dateTime(report.asOf)};
    if (!report.whatIf.isEmpty()) {
        fields << HeaderField{text(StrWhatIf), report.whatIf};
        if (!report.outside.isEmpty())
            fields << HeaderField{text(StrOutside), report.outside.join(QStringLiteral("; "))};
    }
    if (!report.planned.isEmpty()) {
        QStringList planned;
        for (const ReportCourse &c : report.planned)
            planned << course(c);
        fields << HeaderField{text(StrPlanned), planned.join(QStringLiteral("; "))};
    }
    return fields;
}

QString ReportWording::course(const ReportCourse &course) const
{
    QString name = (course.code.trimmed() + QLatin1Char(' ') + course.title.trimmed()).trimmed();
    if (name.isEmpty())
        name = QString::number(course.courseId);
    QStringList details;
    if (course.semester)
        details << text(StrSemester, {QString::number(*course.semester)});
    if (course.ects)
        details << number(*course.ects) + QLatin1Char(' ') + text(StrEcts);
    if (course.grade)
        details << text(StrGrade, {number(*course.grade)});
    return details.isEmpty() ? name : name + QStringLiteral(" (") + details.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString ReportWording::progressFigures(const ReportProgress &progress) const
{
    // The figure reached never seems to reach what it falls short of.
    const double needed = progress.needed;
    QString figures = FormatLanguageNumberKeeping(progress.measured, m_languageId,
                                                  [needed](double v) { return v >= needed; })
                      + QStringLiteral(" / ") + number(progress.needed);
    if (!progress.unit.trimmed().isEmpty())
        figures += QLatin1Char(' ') + progress.unit.trimmed();
    if (!progress.missing.trimmed().isEmpty())
        figures += QStringLiteral(", ") + text(StrShort, {progress.missing.trimmed()});
    return figures;
}

QString ReportWording::planHeading(const ReportPlan &plan) const
{
    switch (plan.outcome) {
    case ReportPlan::Outcome::NotNeeded:
        return QString();
    case ReportPlan::Outcome::Exact:
        return plan.courses.isEmpty() ? QString() : text(StrStillToPass);
    case ReportPlan::Outcome::BestEffort:
        return plan.courses.isEmpty() ? QString() : text(StrStillToPassMaybe);
    case ReportPlan::Outcome::NoCourses:
        return text(StrNoCourses);
    }
    return QString();
}

QString ReportWording::planBesides(const ReportPlan &plan) const
{
    QStringList besides;
    for (const QString &item : plan.besides)
        if (!item.trimmed().isEmpty())
            besides << item.trimmed();
    if (plan.outcome == ReportPlan::Outcome::NotNeeded || besides.isEmpty())
        return QString();
    return text(StrBesides, {besides.join(QStringLiteral("; "))});
}

QString ReportWording::notNeeded() const
{
    return text(StrNotNeeded);
}

QString ReportWording::deciding() const
{
    return text(StrDeciding);
}

QString ReportWording::candidatesHeading() const
{
    return text(StrCandidates);
}

QString ReportWording::moreCourses(int count) const
{
    return text(StrMoreCourses, {QString::number(count)});
}

double ProgressShare(const ReportProgress &progress)
{
    if (!std::isfinite(progress.measured) || !std::isfinite(progress.needed))
        return 0;
    if (progress.needed <= 0)
        return progress.measured >= progress.needed ? 1 : 0;
    return std::clamp(progress.measured / progress.needed, 0.0, 1.0);
}

bool PlanListsCourses(const ReportPlan &plan)
{
    return (plan.outcome == ReportPlan::Outcome::Exact || plan.outcome == ReportPlan::Outcome::BestEffort)
           && !plan.courses.isEmpty();
}

QString SetMark(SetVerdict verdict)
{
    return VerdictMark(verdict == SetVerdict::Unmet ? AuditVerdict::Unmet : AuditVerdict::Met);
}

QString OneLine(const QString &text)
{
    QString line = text;
    for (QChar &c : line)
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    return line.trimmed();
}

} // namespace zr::report
