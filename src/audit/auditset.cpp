#include "auditset.h"

#include "auditexpression.h"
#include "auditrules.h"
#include "audittext.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "reqtypes/requirementvalue.h"

namespace zr {

struct AuditSet::Data
{
    QList<audit::PreparedRequirement> requirements;
    audit::AuditExpression expression;
    AuditCodes codes;
};

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
            if (detail == AuditDetail::Explained)
                excepted.measured = GetLangString(audit::StrExcepted);
            trace.requirements << excepted;
        }
        return trace;
    }
    const audit::StudentDigest student = audit::DigestRecord(record, detail == AuditDetail::Explained);
    for (const audit::PreparedRequirement &r : d->requirements)
        trace.requirements << audit::EvaluateRequirement(r, student, d->codes);
    trace.verdict = d->expression.evaluate(trace.requirements) ? SetVerdict::Met : SetVerdict::Unmet;
    return trace;
}

int AuditSet::size() const
{
    return d ? int(d->requirements.size()) : 0;
}

} // namespace zr
