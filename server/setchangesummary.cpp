#include "setchangesummary.h"

#include "common/langstrings.h"

#include <QHash>
#include <QStringList>

namespace zr::server {

namespace {

enum : qint32 {
    StrAdded = 64004,
    StrRemoved = 64005,
    StrChanged = 64006,
    StrExpressionChanged = 64007,
    StrNoChange = 64008,
};

// Fields that say nothing about a requirement: its id, the set's expression
// (counted once, not per row) and the stamp every write renews.
bool comparesRequirement(const QString &name)
{
    return name != QLatin1String("ocID") && name != QLatin1String("coneval") && name != QLatin1String("ModifiedDate");
}

QString expressionOf(const Recordset &rows, int field)
{
    return rows.recordCount() == 0 || field < 0 ? QString() : rows.valueAt(0, field).toString();
}

} // namespace

QString ChangeCountSummary(int added, int removed, int changed, bool expressionChanged)
{
    QStringList parts;
    if (added > 0)
        parts.append(ReplaceParams(GetLangString(StrAdded), {QString::number(added)}));
    if (removed > 0)
        parts.append(ReplaceParams(GetLangString(StrRemoved), {QString::number(removed)}));
    if (changed > 0)
        parts.append(ReplaceParams(GetLangString(StrChanged), {QString::number(changed)}));
    if (expressionChanged)
        parts.append(GetLangString(StrExpressionChanged));
    return parts.isEmpty() ? GetLangString(StrNoChange) : parts.join(QStringLiteral(", "));
}

QString SetChangeSummary(const Recordset &before, const Recordset &after)
{
    const int beforeId = before.fieldIndex(u"ocID"), afterId = after.fieldIndex(u"ocID");
    // The fields both sides have, by position in each.
    QList<QPair<int, int>> compared;
    for (int i = 0; i < before.fieldCount(); ++i) {
        const QString name = before.field(i).name;
        const int j = after.fieldIndex(name);
        if (j >= 0 && comparesRequirement(name))
            compared.append({i, j});
    }
    QHash<qint64, int> oldRows;
    for (int i = 0, n = before.recordCount(); i < n; ++i)
        oldRows.insert(before.valueAt(i, beforeId).toLongLong(), i);
    int added = 0, changed = 0, kept = 0;
    for (int k = 0, n = after.recordCount(); k < n; ++k) {
        const auto old = oldRows.constFind(after.valueAt(k, afterId).toLongLong());
        if (old == oldRows.constEnd()) {
            ++added;
            continue;
        }
        ++kept;
        for (const auto &[i, j] : std::as_const(compared)) {
            const QVariant a = before.valueAt(*old, i), b = after.valueAt(k, j);
            if (a == b)
                continue;
            // The same value read as a number on one side and as text on the other is no change.
            if (a.isNull() != b.isNull() || a.toString() != b.toString()) {
                ++changed;
                break;
            }
        }
    }
    // A set that starts or ends empty gains or loses its expression with its rows.
    const bool expressionChanged = before.recordCount() > 0 && after.recordCount() > 0
                                   && expressionOf(before, before.fieldIndex(u"coneval"))
                                          != expressionOf(after, after.fieldIndex(u"coneval"));
    return ChangeCountSummary(added, int(oldRows.size()) - kept, changed, expressionChanged);
}

} // namespace zr::server
