#include "expressionvalidation.h"

#include "common/langstrings.h"
#include "recordset/recordsetutils.h"
#include "common/zrerror.h"
#include "expressioncheck.h"
#include "expressionform.h"
#include "reqtypes/typecatalog.h"
#include "reqtypes/validationmessage.h"
#include "requirementset.h"

namespace zr {

namespace {
const QString SourceExpression = QStringLiteral("ValidateExpression");

// Logs the failure where it is found; the caller sees the same error.
[[noreturn]] void raise(qint32 number, const QString &source, const QStringList &params = {})
{
    ZrError error(number, source, ReplaceParams(GetLangString(number), params));
    TrapError(error);
    throw error;
}

// The rows deleted since the last save that belonged to this curriculum's
// set and whose id still shows in what is left of the expression, named by
// their token and type.
QStringList deletedRowsIn(const RequirementSet &set, qint32 curriculum, const QString &leftover)
{
    QStringList names;
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
            names << ExpressionToken(ValLng(savedId)) + QLatin1Char(' ') + GetTypeName(pending.originalValue(u"conID"));
    }
    return names;
}

// Where the expression goes wrong: the few words that lead up to the
// problem and the word it is about, so that a message quotes the place
// without repeating a long piece of someone's text.
QString excerpt(const QString &text, const ExpressionDiagnosis &syntax)
{
    constexpr qsizetype shown = 20;
    const qsizetype end = qMin(text.size(), syntax.errorPosition + qMax<qsizetype>(syntax.errorLength, 1));
    const qsizetype start = qMax<qsizetype>(0, end - shown);
    QString part = text.mid(start, end - start);
    if (start > 0) {
        const qsizetype blank = part.indexOf(QLatin1Char(' '));
        if (blank >= 0 && start + blank < syntax.errorPosition)
            part = part.mid(blank + 1);
        part.prepend(QChar(0x2026));
    }
    return part.simplified();
}

} // namespace

bool ValidateExpression(const RequirementSet &set, const ExpressionChecks &checks,
                        const std::function<QString(qint32 ocID)> &captionOf, ExpressionFailure *failure)
{
    ExpressionFailure unused;
    ExpressionFailure &where = failure ? *failure : unused;
    if (set.expressions().isEmpty() || !set.hasRows())
        return true;
    for (auto it = set.expressions().constBegin(); it != set.expressions().constEnd(); ++it) {
        if (!checks.allCurricula && it.key() != set.curriculumId())
            continue;
        if (it.value().isEmpty())
            continue;
        where = {it.key(), 0};
        Recordset rows = set.walkWholeSet(it.key());
        const QString title = rows.isEmpty() ? QString() : ContextTitle(ValLng(rows.value(u"contypeID")));
        if (checks.wellFormed) {
            const ExpressionDiagnosis syntax = CheckExpressionSyntax(it.value(), {});
            if (!syntax.wellFormed)
                raise(10100, SourceExpression,
                      {title, QString::number(syntax.errorPosition + 1), excerpt(it.value(), syntax), syntax.message});
        }
        QString leftover = it.value();
        int position = 0;
        for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
            ++position;
            const qint32 ocID = ValLng(rows.value(u"ocID"));
            const QString token = ExpressionToken(ocID);
            if (checks.missing && !it.value().contains(token)) {
                where.ocID = ocID;
                raise(20019, SourceExpression, {title, RequirementName(captionOf(ocID), position)});
            }
            leftover.remove(token);
        }
        if (!checks.deleted || leftover.isEmpty())
            continue;
        const QStringList deleted = deletedRowsIn(set, it.key(), leftover);
        if (!deleted.isEmpty()) {
            // The prescribed text says what is wrong; the line after it says which.
            const QString description = ReplaceParams(GetLangString(20020), {title}) + QLatin1Char('\n')
                                        + ReplaceParams(GetLangString(10104), {deleted.join(QStringLiteral(", "))});
            ZrError error(20020, SourceExpression, description);
            TrapError(error);
            throw error;
        }
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

void CheckKnownTypes(const RequirementSet &set)
{
    Recordset rows = set.rows().clone();
    rows.setFilter(QStringLiteral("contypeID=") + QString::number(set.context()));
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        const QVariant type = rows.value(u"conID");
        if (!IsRequirementType(type))
            raise(10102, QStringLiteral("ValidateRecords"),
                  {ExpressionToken(ValLng(rows.value(u"ocID"))), NzStr(type)});
    }
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
