#include "passwordmask.h"

#include <QRegularExpression>

namespace zr {

QString HidePasswords(const QString &text)
{
    if (!text.contains(QLatin1String("://")))
        return text;
    // The password runs from the colon after the user name to the last "@" before the
    // host; an "@" inside an unencoded password is covered by the greedy match.
    static const QRegularExpression address(
        QStringLiteral("([A-Za-z][A-Za-z0-9+.-]*://[^\\s:/@]*):[^\\s/]*@"));
    QString out = text;
    out.replace(address, QStringLiteral("\\1:***@"));
    return out;
}

} // namespace zr
