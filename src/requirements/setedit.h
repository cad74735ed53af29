#pragma once

#include "reqtypes/requirementvalue.h"
#include "zrreq_export.h"

#include <QMetaType>
#include <QString>

namespace zr {

/// One change an editor operation made to a requirement set, with what it
/// takes to make it again or to take it back: RequirementsEditor::apply()
/// of the edit repeats it, of its inverse() undoes it. An undo stack keeps
/// these; the requirement is named by its id, never by a list position or a
/// recordset cursor.
struct ZRREQ_EXPORT SetEdit
{
    enum class Kind {
        Value,      ///< parameters of `ocID` changed: `before` -> `after` (rows that followed the edit included)
        Add,        ///< `ocID` was added as `after`, at `position` in the list
        Delete,     ///< `ocID` was deleted; `before` is what it held, `position` its place in the list
        Expression, ///< the expression of `curriculum` changed
        Curriculum, ///< the list went from showing `curriculum` to `curriculumAfter`
    };

    Kind kind = Kind::Value;
    qint32 ocID = 0;
    /// The curriculum the list showed when the edit was made (0 for a set of no curriculum).
    qint32 curriculum = 0;
    qint32 curriculumAfter = 0;
    /// The parameter the user edited (Kind::Value).
    QString field;
    /// The requirement's caption in the list when the edit was made: what
    /// undo steps and messages name it by once it is gone from the list.
    QString caption;
    RequirementValue before;
    RequirementValue after;
    /// Place of the requirement in the list (0-based; Add and Delete).
    int position = -1;
    /// The expression of `curriculum` before and after: adding and deleting keep it in step too.
    QString expressionBefore;
    QString expressionAfter;

    /// The edit that takes this one back: an add becomes a delete of the same
    /// requirement at the same place, a delete an add of what it held, the
    /// other kinds swap before and after.
    SetEdit inverse() const;
};

} // namespace zr

Q_DECLARE_METATYPE(zr::SetEdit)
