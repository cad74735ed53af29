#include "auditset.h"

#include "auditexpression.h"
#include "auditrules.h"
#include "claiming.h"
#include "audittext.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "reqtypes/requirementvalue.h"

#include <algorithm>

namespace zr {

struct AuditSet::Data : audit::PreparedSet
{
    QHash<qint32, QString> descriptions;
};

namespace {
// What meeting an unmet requirement would take, to choose an OR's cheapest branch: one for each,
// less the part of its figure already reached. Undoing a met one (under NOT) is the last resort:
// a course passed is not taken back.
double costOf(const RequirementTrace &trace)
{
    if (trace.verdict != AuditVerdict::Unmet)
        return 100;
    if (trace.amount && trace.target && *trace.target > 0)
        return 2 - std::clamp(*trace.amount / *trace.target, 0.0, 1.0);
    return 1.5;
}
} // namespace

AuditSet::AuditSet() = default;
AuditSet::~AuditSet() = default;
AuditSet::AuditSet(const AuditSet &other) = default;
AuditSet &AuditSet::operator=(const AuditSet &other) = default;

AuditSet AuditSet::prepare(const Recordset &rows, int context, const AuditCodes &codes)
{
    const int count = rows.isNull() ? 0 : rows.recordCount();
    QList<RequirementValue> values;
    values.reserve(count);
    QString expression;
    RequirementReader reader(rows, context);
    for (int row = 0; row < count; ++row) {
        values << reader.read(row);
        // Every row of a set carries the set's expression; the first that holds one says it.
        if (expression.isEmpty())
            expression = values.last().expression.toString();
    }
    return prepare(values, expression, codes);
}

AuditSet AuditSet::prepare(const QList<RequirementValue> &values, const QString &expression, const AuditCodes &codes)
{
    if (values.isEmpty())
        throw ZrError(audit::ErrEmptySet, QStringLiteral("Audit"), GetLangString(audit::StrEmptySet));
    auto data = std::make_shared<Data>();
    data->codes = codes;
    QList<qint32> ids;
    data->requirements.reserve(values.size());
    for (const RequirementValue &value : values) {
        data->requirements << audit::PrepareRequirement(value);
        ids << value.ocID;
    }
    data->expression = audit::AuditExpression::parse(expression, ids);
    AuditSet set;
    set.d = std::move(data);
    return set;
}

AuditTrace AuditSet::evaluate(const StudentRecord &record, AuditDetail detail) const
{
    AuditTrace trace;
    if (record.excepted)
        trace.verdict = SetVerdict::Excepted;
    if (!d)
        return trace;
    trace.requirements.reserve(d->requirements.size());
    if (record.excepted) {
        for (const audit::PreparedRequirement &r : d->requirements) {
            RequirementTrace excepted;
            excepted.ocID = r.ocID;
            excepted.typeId = r.typeId;
            excepted.caption = r.caption;
            excepted.description = d->descriptions.value(r.ocID);
            if (detail == AuditDetail::Explained)
                excepted.measured = GetLangString(audit::StrExcepted);
            trace.requirements << excepted;
        }
        return trace;
    }
    const audit::StudentDigest student = audit::DigestRecord(record, detail == AuditDetail::Explained);
    QList<double> costs;
    costs.reserve(d->requirements.size());
    audit::ClaimAssignment claims;
    trace.requirements = audit::EvaluateWithClaims(*d, student, &claims);
    trace.claimsExact = claims.exact;
    trace.claimSteps = claims.steps;
    for (RequirementTrace &r : trace.requirements) {
        if (detail == AuditDetail::Explained)
            r.description = d->descriptions.value(r.ocID);
        costs << costOf(r);
    }
    trace.verdict = d->expression.evaluate(trace.requirements) ? SetVerdict::Met : SetVerdict::Unmet;
    d->expression.markRoles(trace.requirements, costs);
    for (qsizetype i = 0; i < trace.requirements.size(); ++i) {
        RequirementTrace &r = trace.requirements[i];
        if (detail == AuditDetail::Explained) {
            if (!r.needed && r.verdict == AuditVerdict::Unmet)
                r.measured += audit::AuditText(audit::StrNotNeeded);
        } else if (r.deciding) {
            // Verdicts alone still name what decides them.
            r.caption = d->requirements.at(i).caption;
            r.description = d->descriptions.value(r.ocID);
        }
    }
    return trace;
}

AuditSet AuditSet::withDescriptions(const QHash<qint32, QString> &descriptions) const
{
    if (!d)
        return *this;
    auto data = std::make_shared<Data>(*d);
    data->descriptions = descriptions;
    AuditSet set;
    set.d = std::move(data);
    return set;
}

QList<qint32> AuditSet::ids() const
{
    QList<qint32> found;
    if (d) {
        for (const audit::PreparedRequirement &r : d->requirements)
            found << r.ocID;
    }
    return found;
}

bool AuditSet::countsTowards(int index, qint32 courseId, const CourseAttributes &course) const
{
    return d && index >= 0 && index < d->requirements.size()
           && audit::CountsTowards(d->requirements.at(index), courseId, course);
}

const audit::PreparedSet *AuditSet::prepared() const
{
    return d.get();
}

int AuditSet::size() const
{
    return d ? int(d->requirements.size()) : 0;
}

} // namespace zr
