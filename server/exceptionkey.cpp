#include "exceptionkey.h"

namespace zr::server {

QString ExceptionKeyCondition(const QVariant &objectId, qint32 kind, qint32 context, qint32 extraKey,
                              QVariantList &values)
{
    values << kind << context << extraKey;
    if (objectId.isNull() || objectId.toString().isEmpty())
        return QStringLiteral("conobject = ? AND contypeID = ? AND extrakey = ? AND objID IS NULL");
    values << objectId.toLongLong();
    return QStringLiteral("conobject = ? AND contypeID = ? AND extrakey = ? AND objID = ?");
}

} // namespace zr::server
