#pragma once

#include "zrreq_export.h"

#include <QString>

namespace zr {

/// Keys that tie list items to requirement rows: "I" + ocID for a
/// requirement's group, "I" + ocID + "," + field for a parameter row and
/// "KI" + ocID + "," + code for a fixed choice. Temporary ids keep their sign.
ZRREQ_EXPORT QString GroupKey(qint32 ocID);
ZRREQ_EXPORT QString ParamKey(qint32 ocID, const QString &field);
ZRREQ_EXPORT QString ChoiceKey(qint32 ocID, const QString &code);

/// The ocID of a group or parameter key (the text after the first character,
/// up to the first comma); 0 when the key holds no number.
ZRREQ_EXPORT qint32 OcIdFromKey(const QString &key);
/// The field name of a parameter key (the text after the first comma).
ZRREQ_EXPORT QString FieldFromKey(const QString &key);

} // namespace zr
