#include "expressionform.h"

namespace zr {

QString ExpressionToken(qint32 ocID)
{
    return QStringLiteral("[%") + QString::number(ocID) + QLatin1Char(']');
}

QString ConvertExpression(const QString &text, bool storedForm, const Recordset &wholeSet,
                          const std::function<QString(qint32)> &captionOf)
{
    if (!text.isEmpty() && storedForm)
        return text;
    Recordset rows = wholeSet.isNull() ? Recordset() : wholeSet.clone();
    if (!rows.isNull())
        rows.setFilter(wholeSet.filter());

    if (!text.isEmpty()) {
        QString display = text;
        if (!rows.isNull()) {
            for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
                const qint32 ocID = rows.value(u"ocID").toInt();
                display.replace(ExpressionToken(ocID), QLatin1Char('[') + captionOf(ocID) + QLatin1Char(']'));
            }
        }
        return display;
    }

    QString joined;
    if (!rows.isNull()) {
        for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
            const qint32 ocID = rows.value(u"ocID").toInt();
            joined += (storedForm ? ExpressionToken(ocID) : QLatin1Char('[') + captionOf(ocID) + QLatin1Char(']'))
                      + QStringLiteral(" AND ");
        }
    }
    joined = joined.trimmed();
    if (joined.endsWith(QLatin1String("AND"))) {
        joined.chop(3);
        joined = joined.trimmed();
    }
    return joined;
}

bool ExpressionNeedsStoring(const QString &text)
{
    return text.contains(QLatin1String("NOT"), Qt::CaseInsensitive)
           || text.contains(QLatin1String("OR"), Qt::CaseInsensitive);
}

} // namespace zr
