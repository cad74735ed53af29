#include "zrrequirements_p.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "exclusionsrunner.h"
#include "itempanel/itempanelmodel.h"
#include "pickerrunner.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/requirementkeys.h"
#include "seteditcommand.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QUndoStack>

// What the control does on the user's commands: the editor's operation, then
// the widgets follow what it changed. A failure goes to the editor's error channel.

namespace zr {

namespace {
enum : qint32 { StrDeleted = 63535 };
} // namespace

void zrRequirementsPrivate::pushEdit(const SetEdit &edit)
{
    if (applyingStep || edit.kind == SetEdit::Kind::Curriculum)
        return;
    undoStack->push(new SetEditCommand(
        edit, [this](const SetEdit &step) { applyStep(step); },
        [this](const SetEdit &step) { return SetEditText(*editor, step); }));
}

void zrRequirementsPrivate::applyStep(const SetEdit &edit)
{
    {
        const QScopedValueRollback<bool> applying(applyingStep, true);
        try {
            editor->apply(edit);
        } catch (const ZrError &error) {
            editor->reportError(error, QStringLiteral(" zrRequirements.Undo"));
        }
    }
    // The step may have been made in another curriculum: the chooser shows the one it went to.
    showCurricula();
    showExpression();
    txtInfo->clear();
    const QString key = GroupKey(edit.ocID);
    const QString shown = list()->contains(key) ? key : (list()->count() > 0 ? list()->keyAt(0) : QString());
    if (shown.isEmpty()) {
        set.forgetCurrentRecord();
    } else {
        list()->setSelected(shown, true);
        list()->ensureVisible(shown);
        set.positionOn(shown);
    }
    refreshCommandStates();
    Q_EMIT q->Changed();
}

void zrRequirementsPrivate::onValueChanged(const QString &key, const QString &property)
{
    if (property != QLatin1String("Value") || !enabled || set.isLoading())
        return;
    try {
        editor->valueChanged(key);
    } catch (const ZrError &error) {
        editor->reportError(error, QStringLiteral(" zrRequirements.smRequirements_ValueChanged"));
        return;
    }
    refreshCommandStates();
    Q_EMIT q->Changed();
}

void zrRequirementsPrivate::onCommand(const QString &key)
{
    if (!enabled || !commands()->isItemEnabled(key))
        return;
    try {
        bool isType = false;
        const int typeId = key.toInt(&isType);
        if (key == RequirementsEditor::CmdExclusions)
            RunExclusions(*editor, sessionId, q->Font(), q);
        else if (key == RequirementsEditor::CmdDelete)
            deleteRequirement();
        else if (key == RequirementsEditor::CmdExpression)
            editExpression();
        else if (isType && commands()->parentKey(key) == RequirementsEditor::CmdAdd)
            addRequirement(typeId);
    } catch (const ZrError &error) {
        editor->reportError(error, QStringLiteral(" zrRequirements.smButtons_Click"));
    }
}

void zrRequirementsPrivate::onPickerButton(const QString &key)
{
    if (!enabled || !set.hasRows())
        return;
    try {
        set.positionOn(key);
        QString info;
        if (RunRowPicker(*list(), key, editor->typeOf(OcIdFromKey(key)), editor->sheetContext(),
                         editor->pickerContext(), editor->serverName(), editor->schema().get(), q->Font(), q, &info))
            txtInfo->setPlainText(info);
    } catch (const ZrError &error) {
        editor->reportError(error, QStringLiteral(" zrRequirements.smRequirements_ButtonClick"));
    }
}

void zrRequirementsPrivate::addRequirement(int typeId)
{
    const qint32 ocID = editor->addRequirement(typeId);
    if (ocID == 0)
        return;
    const QString key = GroupKey(ocID);
    list()->setSelected(key, true);
    list()->ensureVisible(key);
    // The help the new requirement was marked with.
    txtInfo->setPlainText(list()->description(key));
    refreshCommandStates();
    showExpression(ocID);
    Q_EMIT q->Changed();
}

void zrRequirementsPrivate::clearPickerRow(const QString &key)
{
    if (enabled && ClearPickerRow(*list(), key))
        txtInfo->clear();
}

void zrRequirementsPrivate::deleteRequirement()
{
    // The selected requirement, wherever validating or writing left the rows.
    const qint32 ocID = OcIdFromKey(list()->selectedKey());
    const QString caption = editor->captionOf(ocID);
    if (!editor->deleteRequirement(ocID))
        return;
    // Nothing is asked before: undo brings it back.
    Q_EMIT q->requirementDeleted(ReplaceParams(GetLangString(StrDeleted), {caption}));
    if (list()->count() > 0) {
        const QString first = list()->keyAt(0);
        list()->setSelected(first, true);
        set.positionOn(first);
    } else {
        set.forgetCurrentRecord();
        txtInfo->clear();
    }
    refreshCommandStates();
    showExpression();
    Q_EMIT q->Changed();
}

void zrRequirementsPrivate::onCurriculumChosen(int index)
{
    if (set.isLoading() || index < 0)
        return;
    const qint32 chosen = cbOrient->itemData(index).toInt();
    if (chosen == set.curriculumId())
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        editor->chooseCurriculum(chosen);
    } catch (const ZrError &error) {
        // A failure keeps the list on the curriculum it showed.
        editor->reportError(error, QStringLiteral(" zrRequirements.cbOrient_Click"));
        const int previous = cbOrient->findData(set.curriculumId());
        if (previous >= 0)
            cbOrient->setCurrentIndex(previous);
        return;
    }
    if (set.walk().isEmpty())
        RequirementsWidgets::showExpression(QString(), QString());
    else
        showExpression();
    txtInfo->clear();
    refreshCommandStates();
    QGuiApplication::restoreOverrideCursor();
}

void zrRequirementsPrivate::editExpression()
{
    const std::optional<QString> edited = wizard.edit(*editor, q->Font());
    if (!edited)
        return;
    editor->setExpression(*edited);
    showExpression();
    refreshCommandStates();
    Q_EMIT q->Changed();
}

} // namespace zr
