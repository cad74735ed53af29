#pragma once

// The private part of zrRequirements, shared by the files that implement it.

#include "expressionwizard.h"
#include "requirementseditor.h"
#include "requirementswidgets.h"
#include "zrrequirements.h"

#include <QFont>
#include <QList>
#include <QString>

class QShortcut;
class QUndoStack;

namespace zr {

// The control: its widgets show the editor's models, and the user's commands go to the editor.
class zrRequirementsPrivate : public RequirementsWidgets
{
public:
    explicit zrRequirementsPrivate(zrRequirements *q)
        : q(q), editor(new RequirementsEditor(q)), set(editor->set()), lookups(editor->lookups())
    {
    }

    void connectWidgets();
    void retranslate();
    /// Builds the list again after a language switch, keeping what it showed open and selected.
    void rebuildSheets();
    void resetOnLoad();
    void refreshCommandStates() { editor->refreshCommandStates(showExclusions); }
    void showCurricula() { RequirementsWidgets::showCurricula(editor->curricula(), set.curriculumId()); }
    /// Shows the expression in display form; `highlight` marks a requirement in it.
    void showExpression(qint32 highlight = 0);
    void showHelp(const QString &key);

    void onItemSelected(const QString &key);
    void onValueChanged(const QString &key, const QString &property);
    void onCommand(const QString &key);
    void onPickerButton(const QString &key);
    void onCurriculumChosen(int index);
    void addRequirement(int typeId);
    /// Empties a picker row (its shown text and the codes behind it), as an edit of the user's.
    void clearPickerRow(const QString &key);
    void deleteRequirement();
    void editExpression();
    /// An edit of the editor becomes a step of the undo history (a curriculum switch is none).
    void pushEdit(const SetEdit &edit);
    /// Makes an undo step's edit, or its inverse, and shows the set as it then is.
    void applyStep(const SetEdit &edit);
    // The editor's failures, as the user sees them.
    void showError(const QString &text);

    ItemPanelModel *list() const { return editor->list(); }
    ItemPanelModel *commands() const { return editor->commands(); }
    bool curriculumDependent() const { return set.isCurriculumDependent(); }

    zrRequirements *const q;
    // The set, its code tables and its sheets live in the editor; the control shows them.
    RequirementsEditor *const editor;
    RequirementSet &set;
    LookupCache &lookups;
    QString sessionId;
    bool showExclusions = false;
    bool enabled = true;
    bool isLoaded = false;
    QFont font;
    bool fontSet = false;
    ExpressionWizard wizard;
    QUndoStack *undoStack = nullptr;
    // An undo step being made: its edit is no new step.
    bool applyingStep = false;
};

} // namespace zr
