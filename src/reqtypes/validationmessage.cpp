#include "validationmessage.h"

#include "common/langstrings.h"
#include "common/zrerror.h"

namespace zr {

namespace {
thread_local QString failedField;
} // namespace

QString FailedField()
{
    return failedField;
}

void SetFailedField(const QString &field)
{
    failedField = field;
}

QString RequirementName(const QString &caption, int position)
{
    return ReplaceParams(GetLangString(10103), {caption, QString::number(position)});
}

qint32 RaisedNumber(qint32 messageId)
{
    if (messageId >= 20700 && messageId <= 20703)
        return 20006;
    if (messageId >= 20682 && messageId <= 20687)
        return 20005;
    if (messageId == 20690)
        return 20004;
    return messageId;
}

QString FormatMessage(qint32 messageId, const QList<MessageArg> &args)
{
    const QString text = GetLangString(messageId);
    QStringList values;
    for (int i = 0; i < args.size(); ++i) {
        const MessageArg &arg = args[i];
        // Some texts quote a placeholder themselves (and not in every language).
        const bool quoted = text.contains(QStringLiteral("'%%1'").arg(i + 1));
        values << (arg.isCaption && !quoted ? QLatin1Char('\'') + arg.text + QLatin1Char('\'') : arg.text);
    }
    return ReplaceParams(text, values);
}

void raiseMessage(qint32 messageId, const QString &source, const QList<MessageArg> &args)
{
    throw ZrError(RaisedNumber(messageId), source, FormatMessage(messageId, args));
}

} // namespace zr
