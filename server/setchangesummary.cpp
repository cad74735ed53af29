#include "setchangesummary.h"

#include "common/langstrings.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace zr::server {

namespace {

enum : qint32 {
    StrAdded = 64004,
    StrRemoved = 64005,
    StrChanged = 64006,
    StrExpressionChanged = 64007,
    StrNoChange = 64008,
    StrMoreChanges = 64012,
};

// Fields that say nothing about a requirement: its id, the set's expression
// (counted once, not per row) and the stamp every write renews.
bool comparesRequirement(const QString &name)
{
    return name != QLatin1String("ocID") && name != QLatin1String("coneval") && name != QLatin1String("ModifiedDate");
}

} // namespace

QString ChangeCountSummary(const SetChangeCounts &counts)
{
    QStringList parts;
    if (counts.added > 0)
        parts.append(ReplaceParams(GetLangString(StrAdded), {QString::number(counts.added)}));
    if (counts.removed > 0)
        parts.append(ReplaceParams(GetLangString(StrRemoved), {QString::number(counts.removed)}));
    if (!counts.firstChange.isEmpty() && counts.fieldChanges > 1)
        parts.append(ReplaceParams(GetLangString(StrMoreChanges),
                                   {counts.firstChange, QString::number(counts.fieldChanges - 1)}));
    else if (!counts.firstChange.isEmpty())
        parts.append(counts.firstChange);
    else if (counts.changed > 0)
        parts.append(ReplaceParams(GetLangString(StrChanged), {QString::number(counts.changed)}));
    if (counts.expressionChanged)
        parts.append(GetLangString(StrExpressionChanged));
    return parts.isEmpty() ? GetLangString(StrNoChange) : parts.join(QStringLiteral(", "));
}

QString EncodeChangeCounts(const SetChangeCounts &counts)
{
    QJsonObject kept{{QStringLiteral("added"), counts.added},
                     {QStringLiteral("removed"), counts.removed},
                     {QStringLiteral("changed"), counts.changed},
                     {QStringLiteral("fields"), counts.fieldChanges},
                     {QStringLiteral("expression"), counts.expressionChanged}};
    if (counts.firstType != 0)
        kept.insert(QStringLiteral("first"),
                    QJsonObject{{QStringLiteral("type"), counts.firstType},
                                {QStringLiteral("field"), counts.firstField},
                                {QStringLiteral("before"), QJsonValue::fromVariant(counts.firstBefore)},
                                {QStringLiteral("after"), QJsonValue::fromVariant(counts.firstAfter)}});
    return QString::fromUtf8(QJsonDocument(kept).toJson(QJsonDocument::Compact));
}

std::optional<SetChangeCounts> DecodeChangeCounts(const QString &kept)
{
    if (!kept.startsWith(QLatin1Char('{')))
        return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(kept.toUtf8()).object();
    if (o.isEmpty())
        return std::nullopt;
    SetChangeCounts counts;
    counts.added = o.value(QStringLiteral("added")).toInt();
    counts.removed = o.value(QStringLiteral("removed")).toInt();
    counts.changed = o.value(QStringLiteral("changed")).toInt();
    counts.fieldChanges = o.value(QStringLiteral("fields")).toInt();
    counts.expressionChanged = o.value(QStringLiteral("expression")).toBool();
    const QJsonObject first = o.value(QStringLiteral("first")).toObject();
    counts.firstType = first.value(QStringLiteral("type")).toInt();
    counts.firstField = first.value(QStringLiteral("field")).toString();
    counts.firstBefore = first.value(QStringLiteral("before")).toVariant();
    counts.firstAfter = first.value(QStringLiteral("after")).toVariant();
    return counts;
}

RequirementComparison::RequirementComparison(const Recordset &rows)
{
    for (int i = 0, n = rows.fieldCount(); i < n; ++i) {
        if (comparesRequirement(rows.field(i).name))
            m_fields.append(i);
    }
}

bool RequirementComparison::changed(const Recordset &loaded, const Recordset &saved) const
{
    for (const int i : m_fields) {
        const QVariant a = loaded.originalValue(i), b = saved.value(i);
        // The same value read as a number on one side and as text on the other is no change.
        if (a != b && (a.isNull() != b.isNull() || a.toString() != b.toString()))
            return true;
    }
    return false;
}

} // namespace zr::server
