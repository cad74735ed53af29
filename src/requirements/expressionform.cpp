#include "expressionform.h"

#include <QSet>

#include <algorithm>

namespace zr {

namespace {
// The digits of a token, with the minus of a temporary id and nothing else.
bool isWholeNumber(QStringView text)
{
    const QStringView digits = text.startsWith(u'-') ? text.mid(1) : text;
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}
} // namespace

QString ExpressionToken(qint32 ocID)
{
    return QStringLiteral("[%") + QString::number(ocID) + QLatin1Char(']');
}

QString ConvertExpression(const QString &text, bool storedForm, const Recordset &wholeSet,
                          const std::function<QString(qint32)> &captionOf)
{
    if (!text.isEmpty() && storedForm)
        return text;
    Recordset rows = wholeSet.isNull() ? Recordset() : wholeSet.view();
    const int ocIdField = rows.isNull() ? -1 : rows.fieldIndex(u"ocID");

    if (!text.isEmpty()) {
        if (rows.isNull())
            return text;
        QSet<qint32> inSet;
        for (rows.moveFirst(); !rows.eof(); rows.moveNext())
            inSet.insert(rows.value(ocIdField).toInt());
        // One pass over the text: replacing each requirement's token in turn
        // rescanned the whole expression once per requirement.
        QString display;
        display.reserve(text.size());
        qsizetype done = 0;
        for (qsizetype at = text.indexOf(QLatin1String("[%")); at >= 0; at = text.indexOf(QLatin1String("[%"), at + 1)) {
            const qsizetype close = text.indexOf(QLatin1Char(']'), at + 2);
            if (close < 0)
                break;
            const QStringView digits = QStringView(text).mid(at + 2, close - at - 2);
            bool ok = isWholeNumber(digits);
            const qint32 ocID = ok ? digits.toInt(&ok) : 0;
            if (!ok || !inSet.contains(ocID))
                continue;
            display += QStringView(text).mid(done, at - done);
            display += QLatin1Char('[');
            display += captionOf(ocID);
            display += QLatin1Char(']');
            done = close + 1;
            at = close;
        }
        display += QStringView(text).mid(done);
        return display;
    }

    QString joined;
    if (!rows.isNull()) {
        for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
            const qint32 ocID = rows.value(ocIdField).toInt();
            if (!joined.isEmpty())
                joined += QLatin1String(" AND ");
            if (storedForm) {
                joined += ExpressionToken(ocID);
            } else {
                joined += QLatin1Char('[');
                joined += captionOf(ocID);
                joined += QLatin1Char(']');
            }
        }
    }
    return joined;
}

QString BreakExpressionLines(QString display, int lineLength)
{
    // A text box lays out only the lines it shows; one line of a whole
    // faculty's set would be shaped in full at every load.
    int depth = 0;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i + 1 < display.size(); ++i) {
        const QChar c = display.at(i);
        if (c == QLatin1Char('['))
            ++depth;
        else if (c == QLatin1Char(']') && depth > 0)
            --depth;
        else if (c == QLatin1Char(' ') && depth == 0 && i - lineStart >= lineLength && display.at(i + 1).isLetter()) {
            display[i] = QLatin1Char('\n');
            lineStart = i + 1;
        }
    }
    return display;
}

bool ExpressionNeedsStoring(const QString &text)
{
    return text.contains(QLatin1String("NOT"), Qt::CaseInsensitive)
           || text.contains(QLatin1String("OR"), Qt::CaseInsensitive);
}

} // namespace zr
