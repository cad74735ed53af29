#include "requirementkeys.h"

#include <algorithm>

namespace zr {

namespace {
// Builds prefix + ocID [+ "," + tail] in one allocation: loading a large set
// makes several keys per parameter row.
QString makeKey(QLatin1String prefix, qint32 ocID, const QString *tail)
{
    char16_t digits[11];
    int count = 0;
    quint32 rest = ocID < 0 ? 0u - quint32(ocID) : quint32(ocID);
    do {
        digits[count++] = char16_t(u'0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    const qsizetype length = prefix.size() + (ocID < 0 ? 1 : 0) + count + (tail ? 1 + tail->size() : 0);
    QString key(length, Qt::Uninitialized);
    QChar *out = key.data();
    for (char c : prefix)
        *out++ = QLatin1Char(c);
    if (ocID < 0)
        *out++ = u'-';
    while (count > 0)
        *out++ = digits[--count];
    if (tail) {
        *out++ = u',';
        std::copy(tail->cbegin(), tail->cend(), out);
    }
    return key;
}
} // namespace

QString GroupKey(qint32 ocID)
{
    return makeKey(QLatin1String("I"), ocID, nullptr);
}

QString ParamKey(qint32 ocID, const QString &field)
{
    return makeKey(QLatin1String("I"), ocID, &field);
}

QString ChoiceKey(qint32 ocID, const QString &code)
{
    return makeKey(QLatin1String("KI"), ocID, &code);
}

qint32 OcIdFromKey(const QString &key)
{
    const int comma = key.indexOf(QLatin1Char(','));
    const QStringView digits = QStringView(key).mid(1, comma < 0 ? -1 : comma - 1);
    bool ok = false;
    const qint32 id = digits.toInt(&ok);
    return ok ? id : 0;
}

QString FieldFromKey(const QString &key)
{
    const int comma = key.indexOf(QLatin1Char(','));
    return comma < 0 ? QString() : key.mid(comma + 1);
}

} // namespace zr
