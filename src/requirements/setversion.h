#pragma once

#include "recordset/recordset.h"
#include "zrreq_export.h"

#include <QDateTime>
#include <QHash>
#include <QString>

namespace zr {

/// The version of one stored set: a counter that every save raises by one,
/// and who saved it last and when. Number 0: not saved since versions are kept.
struct ZRREQ_EXPORT SetVersion
{
    qint64 number = 0;
    QString savedBy;
    QDateTime savedAt;
};

/// The versions of stored sets by set key.
using SetVersions = QHash<QString, SetVersion>;

/// True when the requirements of object `kind` in `context` are kept one set
/// per secondary key: a programme's curriculum choice and degree sets (per
/// curriculum), a programme's course groups (kind 3) and courses (kind 4).
ZRREQ_EXPORT bool IsKeyedBySecondary(qint32 kind, qint32 context);

/// The key a requirement set's version is kept under,
/// "<kind>/<object>/<context>/<secondary>", the secondary key (trimmed) only
/// where IsKeyedBySecondary, empty otherwise.
ZRREQ_EXPORT QString RequirementSetKey(qint32 kind, qint64 objectId, qint32 context, const QString &secondary);

/// The key of the student exceptions of an object, context and extra key
/// (an object id that is null or empty stands for exceptions without one).
ZRREQ_EXPORT QString ExceptionListKey(qint32 kind, const QVariant &objectId, qint32 context, qint32 extraKey);
/// The key of the list of students excepted from the set `setKey` (as
/// RequirementSetKey writes it), as the editor keeps it: per object and
/// context, whatever the curriculum.
ZRREQ_EXPORT QString ExceptionListKeyOfSet(const QString &setKey);

/// The set of `key` as the user names it ("the requirements of object 1 (kind 1) in context 103 ...").
ZRREQ_EXPORT QString SetKeyCaption(const QString &key);

/// The key of the set (kind, context and, where it counts, `curriculum` or
/// the parent's secondary key) of the hierarchical requirement recordset `parent`.
ZRREQ_EXPORT QString RequirementSetKeyOf(const Recordset &parent, qint32 kind, qint32 context, qint32 curriculum);

/// The parent field of a hierarchical requirement recordset that carries the
/// versions of the object's sets as the server loaded them ("setversions").
ZRREQ_EXPORT QString SetVersionsField();

/// The versions the parent row of `parent` carries; none when it has no such
/// field (every set is then at version 0).
ZRREQ_EXPORT SetVersions ReadSetVersions(const Recordset &parent);
/// Puts `versions` into the parent row of `parent`, adding the field when missing.
ZRREQ_EXPORT void WriteSetVersions(Recordset &parent, const SetVersions &versions);

} // namespace zr
