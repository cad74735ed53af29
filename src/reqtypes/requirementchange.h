#pragma once

#include "reqtypes/requirementvalue.h"
#include "zrreq_export.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace zr {

struct SheetContext;

/// One field of a requirement that two of its values hold differently.
struct ZRREQ_EXPORT FieldChange
{
    ParameterValue before;
    ParameterValue after;
};

/// The parameters `before` and `after` (two values of one requirement) hold
/// differently, in the order of the sheet of `after`'s type; a parameter one
/// of them lacks counts as empty there. A number written with a point on one
/// side and a comma on the other is the same value. The expression is not a
/// field: a set has one.
ZRREQ_EXPORT QList<FieldChange> ChangedFields(const RequirementValue &before, const RequirementValue &after);

/// The change as a registrar reads it: "label: old → new", the label of the
/// sheet row, the values by name (see ParameterValueText). Throws the code
/// tables' ZrError.
ZRREQ_EXPORT QString FieldChangeText(const FieldChange &change, const SheetContext &sheet);

/// The change as a step of the editor's undo history: "Change label of
/// `caption` to new", the new value by name.
ZRREQ_EXPORT QString FieldSetToText(const FieldChange &change, const QString &caption, const SheetContext &sheet);

/// The change naming its requirement by its type: "label of type old → new".
ZRREQ_EXPORT QString FieldChangeInRequirementText(const FieldChange &change, const SheetContext &sheet);

} // namespace zr
