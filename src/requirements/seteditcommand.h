#pragma once

#include "setedit.h"

#include <QUndoCommand>

#include <functional>

namespace zr {

class RequirementsEditor;

/// The step an undo history names `edit` by: "Change Τιμή1 of Τύπος
/// μαθήματος to 300", "Add ...", "Delete ...", "Change the expression".
QString SetEditText(RequirementsEditor &editor, const SetEdit &edit);

/// One edit of a requirement set as an undo step. It is pushed after the edit
/// was made, so its first redo does nothing; later ones make the edit again
/// and undo makes its inverse, both through `apply`. Consecutive changes of
/// one field of one requirement merge into a single step.
class SetEditCommand : public QUndoCommand
{
public:
    using Apply = std::function<void(const SetEdit &)>;
    using Wording = std::function<QString(const SetEdit &)>;
    /// `wording` names the step, again when a merge changed it.
    SetEditCommand(const SetEdit &edit, Apply apply, Wording wording);

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

private:
    SetEdit m_edit;
    Apply m_apply;
    Wording m_wording;
    bool m_made = true;
};

} // namespace zr
