#pragma once

#include "recordset/recordset.h"

#include <QStringList>

namespace zr::test {

/// Each row of `rows` as "field=value|field=value...", in order: two sets of rows compare equal
/// when every field of every row does.
inline QStringList rowTexts(const Recordset &rows)
{
    QStringList out;
    Recordset walk = rows.clone();
    for (walk.moveFirst(); !walk.eof(); walk.moveNext()) {
        QStringList fields;
        for (int i = 0; i < walk.fieldCount(); ++i)
            fields << walk.field(i).name + QLatin1Char('=') + walk.value(i).toString();
        out << fields.join(QLatin1Char('|'));
    }
    return out;
}

} // namespace zr::test
