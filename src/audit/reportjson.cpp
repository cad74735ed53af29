#include "audit/reportwriters.h"

#include "reportwording.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace zr {

namespace {

// JSON has no NaN or infinity: such a figure is written as unknown.
QJsonValue figure(double value)
{
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue();
}

QJsonValue figure(const std::optional<double> &value)
{
    return value ? figure(*value) : QJsonValue();
}

QString outcomeWord(ReportPlan::Outcome outcome)
{
    switch (outcome) {
    case ReportPlan::Outcome::NotNeeded:
        break;
    case ReportPlan::Outcome::Exact:
        return QStringLiteral("exact");
    case ReportPlan::Outcome::BestEffort:
        return QStringLiteral("best-effort");
    case ReportPlan::Outcome::NoCourses:
        return QStringLiteral("no-courses");
    }
    return QStringLiteral("not-needed");
}

QJsonArray coursesJson(const QList<ReportCourse> &courses)
{
    QJsonArray array;
    for (const ReportCourse &c : courses) {
        QJsonObject course{{QStringLiteral("courseId"), c.courseId},
                           {QStringLiteral("code"), c.code},
                           {QStringLiteral("title"), c.title},
                           {QStringLiteral("semester"), c.semester ? QJsonValue(*c.semester) : QJsonValue()},
                           {QStringLiteral("ects"), figure(c.ects)}};
        if (c.grade)
            course.insert(QStringLiteral("grade"), *c.grade);
        array.append(course);
    }
    return array;
}

QJsonValue progressJson(const std::optional<ReportProgress> &progress)
{
    if (!progress)
        return QJsonValue();
    return QJsonObject{{QStringLiteral("measured"), figure(progress->measured)},
                       {QStringLiteral("needed"), figure(progress->needed)},
                       {QStringLiteral("unit"), progress->unit},
                       {QStringLiteral("missing"), progress->missing}};
}

QJsonArray requirementsJson(const QList<ReportRequirement> &requirements)
{
    QJsonArray array;
    for (const ReportRequirement &r : requirements) {
        array.append(QJsonObject{{QStringLiteral("ocID"), r.ocID},
                                 {QStringLiteral("caption"), r.caption},
                                 {QStringLiteral("description"), r.description},
                                 {QStringLiteral("verdict"), VerdictWord(r.verdict)},
                                 {QStringLiteral("needed"), r.needed},
                                 {QStringLiteral("deciding"), r.deciding},
                                 {QStringLiteral("measured"), r.measured},
                                 {QStringLiteral("progress"), progressJson(r.progress)},
                                 {QStringLiteral("candidates"), coursesJson(r.candidates)},
                                 {QStringLiteral("moreCandidates"), r.moreCandidates}});
    }
    return array;
}

// ISO 8601 with the offset written out, so that a reader elsewhere knows the moment.
QJsonValue momentJson(const QDateTime &moment)
{
    if (!moment.isValid())
        return QJsonValue();
    return moment.toOffsetFromUtc(moment.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

QByteArray ReportJson(const AuditReport &report)
{
    const QJsonObject plan{{QStringLiteral("outcome"), outcomeWord(report.plan.outcome)},
                           {QStringLiteral("courses"), coursesJson(report.plan.courses)},
                           {QStringLiteral("besides"), QJsonArray::fromStringList(report.plan.besides)}};
    const QJsonObject root{{QStringLiteral("format"), QStringLiteral("zrreq-audit-report/1")},
                           {QStringLiteral("language"), report::ReportWording(report.language).languageCode()},
                           {QStringLiteral("studentName"), report.studentName},
                           {QStringLiteral("registration"), report.registration},
                           {QStringLiteral("programme"), report.programme},
                           {QStringLiteral("curriculum"), report.curriculum},
                           {QStringLiteral("setCaption"), report.setCaption},
                           {QStringLiteral("setVersion"), report.setVersion},
                           {QStringLiteral("asOf"), momentJson(report.asOf)},
                           {QStringLiteral("planned"), coursesJson(report.planned)},
                           {QStringLiteral("whatIf"), report.whatIf.isEmpty() ? QJsonValue() : QJsonValue(report.whatIf)},
                           {QStringLiteral("outside"), QJsonArray::fromStringList(report.outside)},
                           {QStringLiteral("verdict"), VerdictWord(report.verdict)},
                           {QStringLiteral("summary"), report.summary},
                           {QStringLiteral("plan"), plan},
                           {QStringLiteral("requirements"), requirementsJson(report.requirements)}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace zr
