#include "requirementkeys.h"

namespace zr {

QString GroupKey(qint32 ocID)
{
    return QLatin1Char('I') + QString::number(ocID);
}

QString ParamKey(qint32 ocID, const QString &field)
{
    return GroupKey(ocID) + QLatin1Char(',') + field;
}

QString ChoiceKey(qint32 ocID, const QString &code)
{
    return QLatin1Char('K') + ParamKey(ocID, code);
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
