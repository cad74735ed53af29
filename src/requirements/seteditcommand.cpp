#include "seteditcommand.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/requirementchange.h"
#include "requirementseditor.h"

namespace zr {

namespace {
enum : qint32 {
    StrAddStep = 63531,
    StrDeleteStep = 63532,
    StrExpressionStep = 63533,
    StrChangeStep = 63534,
};

// Every value change is one kind of step: merged only with a change of the same field.
constexpr int ValueStepId = 1;

QString valueText(RequirementsEditor &editor, const SetEdit &edit)
{
    const QList<FieldChange> changes = ChangedFields(edit.before, edit.after);
    for (const FieldChange &change : changes) {
        if (change.after.field == edit.field)
            return FieldSetToText(change, edit.caption, editor.sheetContext());
    }
    // The field typed in may read the same while the rows that follow it changed.
    return changes.isEmpty() ? QString() : FieldSetToText(changes.first(), edit.caption, editor.sheetContext());
}
} // namespace

QString SetEditText(RequirementsEditor &editor, const SetEdit &edit)
{
    switch (edit.kind) {
    case SetEdit::Kind::Value: {
        QString text;
        try {
            text = valueText(editor, edit);
        } catch (const ZrError &) {
            // A code table that can not be read names no value; the step still names its requirement.
        }
        return text.isEmpty() ? ReplaceParams(GetLangString(StrChangeStep), {edit.caption}) : text;
    }
    case SetEdit::Kind::Add:
        return ReplaceParams(GetLangString(StrAddStep), {edit.caption});
    case SetEdit::Kind::Delete:
        return ReplaceParams(GetLangString(StrDeleteStep), {edit.caption});
    case SetEdit::Kind::Expression:
    case SetEdit::Kind::Curriculum:
        break;
    }
    return GetLangString(StrExpressionStep);
}

SetEditCommand::SetEditCommand(const SetEdit &edit, Apply apply, Wording wording)
    : m_edit(edit), m_apply(std::move(apply)), m_wording(std::move(wording))
{
    setText(m_wording(m_edit));
}

void SetEditCommand::undo()
{
    m_apply(m_edit.inverse());
}

void SetEditCommand::redo()
{
    // Pushed after the edit was made: the first redo is the edit itself.
    if (m_made) {
        m_made = false;
        return;
    }
    m_apply(m_edit);
}

int SetEditCommand::id() const
{
    return m_edit.kind == SetEdit::Kind::Value ? ValueStepId : -1;
}

bool SetEditCommand::mergeWith(const QUndoCommand *other)
{
    const SetEdit &next = static_cast<const SetEditCommand *>(other)->m_edit;
    if (next.ocID != m_edit.ocID || next.field != m_edit.field || next.curriculum != m_edit.curriculum)
        return false;
    m_edit.after = next.after;
    m_edit.expressionAfter = next.expressionAfter;
    setText(m_wording(m_edit));
    return true;
}

} // namespace zr
