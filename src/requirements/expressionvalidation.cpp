#include "expressionvalidation.h"

#include "common/langstrings.h"
#include "common/recordsetutils.h"
#include "common/zrerror.h"
#include "expressionform.h"
#include "reqtypes/typecatalog.h"
#include "requirementset.h"

namespace zr {

namespace {
const QString SourceExpression = QStringLiteral("ValidateExpression");

// Logs the failure where it is found; the caller sees the same error.
[[noreturn]] void raise(qint32 number, const QString &source, const QStringList &params = {})
{
    const QString description = ReplaceParams(GetLangString(number), params);
    RecordError(number, source, description);
    throw ZrError(number, source, description);
}

// True when a row deleted since the last save belonged to this curriculum's
// set and its id still shows in what is left of the expression.
bool mentionsDeletedRow(const RequirementSet &set, qint32 curriculum, const QString &leftover)
{
    Recordset pending = set.rows().clone();
    pending.setFilter(Recordset::FilterPendingRecords);
    const QString curriculumText = QString::number(curriculum);
    for (pending.moveFirst(); !pending.eof(); pending.moveNext()) {
        if (pending.status() != Recordset::adRecDeleted)
            continue;
        if (ValLng(pending.originalValue(u"contypeID")) != set.context())
            continue;
        if (set.isCurriculumDependent() && pending.originalValue(u"secobjID").toString() != curriculumText)
            continue;
        const QVariant savedId = pending.originalValue(u"ocID");
        if (!savedId.isNull() && leftover.contains(savedId.toString()))
            return true;
    }
    return false;
}
} // namespace

bool ValidateExpression(const RequirementSet &set, const ExpressionChecks &checks,
                        const std::function<QString(qint32 ocID)> &captionOf)
{
    if (set.expressions().isEmpty() || !set.hasRows())
        return true;
    for (auto it = set.expressions().constBegin(); it != set.expressions().constEnd(); ++it) {
        if (!checks.allCurricula && it.key() != set.curriculumId())
            continue;
        if (it.value().isEmpty())
            continue;
        Recordset rows = set.walkWholeSet(it.key());
        const QString title = rows.isEmpty() ? QString() : ContextTitle(ValLng(rows.value(u"contypeID")));
        QString leftover = it.value();
        for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
            const qint32 ocID = ValLng(rows.value(u"ocID"));
            const QString token = ExpressionToken(ocID);
            if (checks.missing && !it.value().contains(token))
                raise(20019, SourceExpression, {title, captionOf(ocID)});
            leftover.remove(token);
        }
        if (checks.deleted && !leftover.isEmpty() && mentionsDeletedRow(set, it.key(), leftover))
            raise(20020, SourceExpression, {title});
    }
    return true;
}

void CheckNoUnknownTokens(const RequirementSet &set)
{
    if (set.expressions().isEmpty() || !set.hasRows())
        return;
    QString leftover = set.expression();
    if (leftover.isEmpty())
        return;
    // Deleted rows are invisible to a walk, so every row seen here is live.
    Recordset rows = set.rows().clone();
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
        leftover.remove(ExpressionToken(ValLng(rows.value(u"ocID"))));
    if (leftover.contains(QLatin1String("[%")))
        raise(30260, QStringLiteral("zrRequirements.UpdateRecordset"));
}

void CheckScholarshipRule(const RequirementSet &set)
{
    if (set.context() != CtxScholarship || !set.hasRows())
        return;
    Recordset rows = set.rows().clone();
    rows.setFilter(QStringLiteral("contypeID=109 AND (conID=90 OR conID=80)"));
    if (rows.recordCount() > 1)
        raise(20014, QStringLiteral("ValidateRecords"));
}

} // namespace zr
