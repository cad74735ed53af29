#include "optionstext.h"

#include "common/langstrings.h"

namespace zr {

QString OptionsText(qint32 requirementType, const QString &optionsValue)
{
    switch (requirementType) {
    case 30:
    case 100: {
        if (optionsValue.isEmpty())
            return QString();
        const QStringList parts = optionsValue.split(QLatin1Char(';'));
        QString text;
        if (!parts[0].isEmpty())
            text = GetLangString(20707) + parts[0];
        if (parts.size() > 1) {
            const QString less = GetLangString(20708) + parts[1];
            text = text.isEmpty() ? less : text + QStringLiteral("\r\n") + less;
        }
        return text;
    }
    case 80:
    case 90: {
        bool ok = false;
        qint64 flags = optionsValue.trimmed().toLongLong(&ok);
        if (!ok || flags < 0)
            flags = 0;
        const QString yes = GetLangString(20295);
        const QString no = GetLangString(20297);
        auto answer = [&](int bit) { return (flags & bit) ? yes : no; };
        return GetLangString(10001) + QStringLiteral(" = ") + answer(1) + QStringLiteral(", ")
            + GetLangString(10002) + QStringLiteral(" = ") + answer(2) + QStringLiteral(", ")
            + GetLangString(10003) + QStringLiteral(" = ") + answer(4) + QStringLiteral(", ")
            + GetLangString(10004) + QStringLiteral(" = ") + answer(8) + QStringLiteral(", ")
            + GetLangString(10008) + QStringLiteral(" = ") + answer(16);
    }
    default:
        return QString();
    }
}

} // namespace zr
