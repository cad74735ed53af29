#include "recordset/columnvaluelist.h"

namespace zr {

void ColumnValueList::clear()
{
    ids.clear();
    texts.clear();
}

void ColumnValueList::append(const QVariant &id, const QString &text)
{
    ids.append(id);
    texts.append(text);
}

int ColumnValueList::indexOf(const QVariant &id) const
{
    if (id.isNull())
        return -1;
    const QString wanted = id.toString();
    for (int i = 0; i < ids.size(); ++i)
        if (!ids[i].isNull() && ids[i].toString() == wanted)
            return i;
    return -1;
}

QString ColumnValueList::text(const QVariant &id, const QString &fallback) const
{
    const int i = indexOf(id);
    return i < 0 ? fallback : texts[i];
}

} // namespace zr
