#pragma once

#include "reqtypes/requirementvalue.h"
#include "zrreq_export.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zr {

struct ParameterRow;
struct SheetContext;

/// The stored form of what a row of `row`'s kind holds as text: the
/// selected code of a choice row, the hidden codes of a code-list, totals or
/// course row, teaching periods by name (stored by id), typed text for the
/// others (decimals with a comma, "" as NULL, flags as a number when they
/// read as one, a minimum as typed).
ZRREQ_EXPORT QVariant StoredFromText(const ParameterRow &row, int typeId, const QString &text,
                                     const SheetContext &sheet);

/// The value a requirement's sheet shows for `value`, in its stored form: a
/// choice's code when its row offers it (the row's fallback for a NULL, or
/// an empty, code), else NULL; texts with "" as NULL and decimals with a
/// comma; a code list or totals naming no known code as NULL; option flags
/// as a number when they read as one; teaching periods as known ids; type
/// 10's values as its column's list offers them, trimmed for its number
/// columns. A typed minimum stays as typed (RequirementValue::counted).
/// Parameters the type's sheet lacks are dropped, missing ones come empty.
/// Never throws for a value it can not show; throws the code tables' ZrError.
ZRREQ_EXPORT RequirementValue ShownValue(const RequirementValue &value, const SheetContext &sheet);

/// A code of a requirement that its sheet's code tables do not have.
struct ZRREQ_EXPORT UnknownCode
{
    enum class Kind { Code, Group, Course };
    QString field;
    QString code;
    /// Code: not in the row's code table; Group: no course group of the
    /// sheet's programme; Course: a prerequisite course (type 30) the
    /// programme does not teach.
    Kind kind = Kind::Code;
    /// No code of its list is known: the sheet shows the list empty and writes it back as NULL.
    bool dropped = false;
};

/// The codes of `shown`'s code lists (and of type 30's courses) that their
/// code tables do not have, in sheet order. A list the sheet dropped (empty
/// in `shown`) is read from `read`, the value as its row holds it, unless
/// some of its codes were known (the user emptied it then). A code table
/// that comes back empty calls no code unknown. Throws the tables' ZrError.
ZRREQ_EXPORT QList<UnknownCode> UnknownCodes(const RequirementValue &shown, const RequirementValue &read,
                                             const SheetContext &sheet);

/// `shown` with the code lists it dropped from `read` put back: what its
/// row keeps until the user chooses again or the set is written.
ZRREQ_EXPORT RequirementValue WithDroppedCodes(const RequirementValue &shown, const RequirementValue &read,
                                               const SheetContext &sheet);

/// A new requirement `ocID` of type `typeId`: its sheet's defaults, shown
/// (a course's own enrolment requirement starts with the course itself).
ZRREQ_EXPORT RequirementValue DefaultValue(int typeId, qint32 ocID, const SheetContext &sheet);

/// `value` after the user set `field` to `stored`, with the parameters that
/// follow it. Type 10, the column: the operator keeps its code (the first
/// when it has none) and the two values start empty. Type 130: the answer
/// yes sets the operator to yes and empties the categories; operator 100
/// sets the answer to no and empties the categories.
ZRREQ_EXPORT RequirementValue WithParameter(const RequirementValue &value, const QString &field,
                                            const QVariant &stored);

/// Whether each row whose use depends on the other values may be edited,
/// by field: type 130's operator not under the answer yes, its categories
/// neither under yes nor under operator 100. Empty for the other types.
ZRREQ_EXPORT QHash<QString, bool> DependentRowStates(const RequirementValue &value);

} // namespace zr
