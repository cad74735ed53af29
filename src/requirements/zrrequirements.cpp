#include "zrrequirements.h"
#include "reqtypes/requirementvalue.h"
#include "zrrequirements_p.h"

#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "common/notifyonchange.h"
#include "common/zrerror.h"
#include "exclusionsrunner.h"
#include "expressionform.h"
#include "itempanel/itempanelmodel.h"
#include "itempanel/redrawoff.h"
#include "itempanel/tilepanel.h"
#include "pickerrunner.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/requirementkeys.h"
#include "reqtypes/typecatalog.h"

#include <QTreeView>
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QSet>
#include <QUndoStack>

namespace zr {

namespace {
const QString &CmdExclusions = RequirementsEditor::CmdExclusions;
const QString &CmdExpression = RequirementsEditor::CmdExpression;
const QString &CmdAdd = RequirementsEditor::CmdAdd;
const QString &CmdDelete = RequirementsEditor::CmdDelete;
} // namespace

void zrRequirementsPrivate::connectWidgets()
{
    QObject::connect(list(), &ItemPanelModel::itemSelected, q, [this](const QString &key) { onItemSelected(key); });
    // The add menu opened needs the room of its type names; folded, it gives it back.
    QObject::connect(smButtons->treeView(), &QTreeView::expanded, q, [this] { fitCommands(); });
    QObject::connect(smButtons->treeView(), &QTreeView::collapsed, q, [this] { fitCommands(true); });
    // A disabled control takes no edits.
    QObject::connect(list(), &ItemPanelModel::beforeValueChange, q,
                     [this](const QString &, const QVariant &, bool &cancel) { cancel = cancel || !enabled; });
    QObject::connect(list(), &ItemPanelModel::beforeEdit, q, [this](const QString &key, bool &cancel) {
        if (!enabled)
            cancel = true;
        else
            showHelp(key);
    });
    QObject::connect(list(), &ItemPanelModel::valueChanged, q,
                     [this](const QString &key, const QString &property) { onValueChanged(key, property); });
    QObject::connect(list(), &ItemPanelModel::buttonClicked, q, [this](const QString &key) { onPickerButton(key); });
    QObject::connect(commands(), &ItemPanelModel::itemClicked, q, [this](const QString &key) { onCommand(key); });
    // Delete clears a list's value; on a requirement's own row it deletes the requirement, as the command does.
    QObject::connect(clearAction, &QAction::triggered, q, [this] {
        const QString key = list()->selectedKey();
        if (list()->kind(key) == ItemPanelModel::Kind::Header)
            onCommand(RequirementsEditor::CmdDelete);
        else
            clearPickerRow(key);
    });
    QObject::connect(cbOrient, QOverload<int>::of(&QComboBox::activated), q,
                     [this](int index) { onCurriculumChosen(index); });
}

void zrRequirementsPrivate::retranslate()
{
    RequirementsWidgets::retranslate();
    editor->retranslateCommands();
    fitCommands();
    answerMnemonics(q, commands(), {CmdExclusions, CmdExpression, CmdAdd, CmdDelete}, CmdAdd);
}

void zrRequirementsPrivate::resetOnLoad()
{
    wizard.create(q);
    editor->rebuildAddMenu();
    q->setEditingEnabled(true);
    RequirementsWidgets::resetOnLoad(curriculumDependent(), set.context() == CtxScholarship);
    refreshCommandStates();
    fitCommands();
}

void zrRequirementsPrivate::showExpression(qint32 highlight)
{
    const auto captionOf = [this](qint32 ocID) { return editor->captionOf(ocID); };
    RequirementsWidgets::showExpression(
        BreakExpressionLines(ConvertExpression(set.expression(), false, set.walkWholeSet(), captionOf)),
        highlight != 0 ? captionOf(highlight) : QString());
}

void zrRequirementsPrivate::showHelp(const QString &key)
{
    const QString description = list()->description(key);
    txtInfo->setPlainText(description.isEmpty() ? list()->hint(key) : description);
}

void zrRequirementsPrivate::onItemSelected(const QString &key)
{
    showHelp(key);
    clearAction->setEnabled(list()->kind(key) == ItemPanelModel::Kind::Picker
                            || list()->kind(key) == ItemPanelModel::Kind::Header);
    if (set.hasRows())
        set.positionOn(key);
}

void zrRequirementsPrivate::rebuildSheets()
{
    if (!set.hasRows() || list()->count() == 0)
        return;
    const QString selected = list()->selectedKey();
    QSet<QString> expanded;
    for (const QString &group : list()->keys()) {
        if (list()->isExpanded(group))
            expanded.insert(group);
    }
    {
        RedrawOff redrawOff(smRequirements);
        editor->rebuildSheets();
    }
    for (const QString &group : list()->keys())
        list()->setExpanded(group, expanded.contains(group));
    if (list()->contains(selected))
        list()->setSelected(selected, true);
    showExpression();
}

void zrRequirementsPrivate::showError(const QString &text)
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    ShowErrorMessage(text, q);
}

zrRequirements::zrRequirements(QWidget *parent) : QWidget(parent), d(new zrRequirementsPrivate(this))
{
    setObjectName(QStringLiteral("zrRequirements"));
    connect(d->editor, &RequirementsEditor::modifiedChanged, this, &zrRequirements::modifiedChanged);
    connect(d->editor, &RequirementsEditor::curriculumChanged, this, &zrRequirements::currentCurriculumChanged);
    connect(d->editor, &RequirementsEditor::curriculumChanged, this, &zrRequirements::shownSetChanged);
    connect(d->editor, &RequirementsEditor::changed, this, &zrRequirements::shownSetChanged);
    connect(d->editor, &RequirementsEditor::errorOccurred, this,
            [this](int, const QString &text) { d->showError(text); });
    d->undoStack = new QUndoStack(this);
    connect(d->editor, &RequirementsEditor::edited, this, [this](const SetEdit &edit) { d->pushEdit(edit); });
    // Back at the state loaded or written: nothing left to write.
    connect(d->undoStack, &QUndoStack::cleanChanged, this, [this](bool clean) { d->editor->setModified(!clean); });
    d->build(this, d->editor->commands(), d->editor->list());
    d->connectWidgets();
    d->editor->rebuildAddMenu();
    d->retranslate();
    d->refreshCommandStates();
}

zrRequirements::~zrRequirements()
{
    // Emptying the history says nothing to a host that is going away too.
    const QSignalBlocker quiet(d->undoStack);
    ClearAll();
}

bool zrRequirements::Enabled() const
{
    return d->enabled;
}

void zrRequirements::setEditingEnabled(bool enabled)
{
    const NotifyOnChange notify(this, "Enabled");
    d->enabled = enabled;
    d->commands()->setEnabled(enabled);
    d->list()->setAllItemsEnabled(enabled);
    if (enabled)
        d->editor->applyRowStates();
}

bool zrRequirements::IsLoaded() const
{
    return d->isLoaded;
}

void zrRequirements::setIsLoaded(bool loaded)
{
    const NotifyOnChange notify(this, "IsLoaded");
    d->isLoaded = loaded;
}

QString zrRequirements::ServerName() const
{
    return d->editor->serverName();
}

void zrRequirements::setServerName(const QString &name)
{
    const NotifyOnChange notify(this, "ServerName");
    d->editor->setServerName(name);
}

QString zrRequirements::sessionID() const
{
    return d->sessionId;
}

void zrRequirements::setSessionID(const QString &id)
{
    const NotifyOnChange notify(this, "sessionID");
    d->sessionId = id;
}

int zrRequirements::ConstrType() const
{
    return d->set.context();
}

void zrRequirements::setConstrType(int context)
{
    if (context == d->set.context())
        return;
    d->set.setContext(context);
    Q_EMIT ConstrTypeChanged(context);
}

int zrRequirements::AppliesTo() const
{
    return d->set.objectKind();
}

void zrRequirements::setAppliesTo(int kind)
{
    if (kind == d->set.objectKind())
        return;
    d->set.setObjectKind(kind);
    Q_EMIT AppliesToChanged(kind);
}

bool zrRequirements::ShowExclusions() const
{
    return d->showExclusions;
}

void zrRequirements::setShowExclusions(bool show)
{
    const NotifyOnChange notify(this, "ShowExclusions");
    d->showExclusions = show;
    d->refreshCommandStates();
}

QString zrRequirements::DepartID() const
{
    return d->editor->departmentId();
}

void zrRequirements::setDepartID(const QString &id)
{
    const NotifyOnChange notify(this, "DepartID");
    d->editor->setDepartmentId(id);
}

std::shared_ptr<const Schema> zrRequirements::oSchema() const
{
    return d->editor->schema();
}

void zrRequirements::setOSchema(std::shared_ptr<const Schema> schema)
{
    d->editor->setSchema(std::move(schema));
}

Recordset zrRequirements::rsConstraints() const
{
    return d->set.rows();
}

void zrRequirements::setRsConstraints(const Recordset &parent)
{
    // A host reloads a set after saving it: the user stays on the requirement
    // they were on, and the host's current row with them.
    const QString wasSelected = d->list()->selectedKey();
    const QString selected = wasSelected.isEmpty() ? QString() : GroupKey(OcIdFromKey(wasSelected));
    // The steps were edits of the set being replaced.
    d->undoStack->clear();
    try {
        RedrawOff redrawOff(d->smRequirements);
        d->editor->reset(parent);
        d->resetOnLoad();
        d->editor->loadSheets();
        d->showCurricula();
        d->refreshCommandStates();
        d->txtInfo->clear();
        d->showExpression();
    } catch (ZrError &error) {
        TrapError(error);
        // Half a set is not offered for editing: what was not shown could not be saved as it is.
        d->set.release();
        d->list()->clear();
        d->showCurricula();
        d->refreshCommandStates();
        Q_EMIT ErrorOccurred(error.number, error.description, QStringLiteral("zrRequirements.rsConstraints"));
        Q_EMIT shownSetChanged();
        return;
    }
    if (d->list()->count() > 0)
        d->list()->setSelected(d->list()->contains(selected) ? selected : d->list()->keyAt(0), true);
    Q_EMIT shownSetChanged();
}

void zrRequirements::RefreshRecordset()
{
    d->lookups.clear();
    d->set.resetNumbering();
}

void zrRequirements::RefreshConnected()
{
    d->lookups.clear();
}

void zrRequirements::ClearAll()
{
    d->set.release();
    d->editor->setSchema(nullptr);
    d->lookups.clear();
    d->set.expressions().clear();
    d->wizard.destroy();
    d->undoStack->clear();
    d->isLoaded = false;
    d->enabled = true;
}

void zrRequirements::ExpandAll()
{
    d->smRequirements->expandAll();
}

void zrRequirements::CollapseAll()
{
    d->smRequirements->collapseAll();
}

void zrRequirements::setCurrentCurriculum(qint32 curriculumId)
{
    d->editor->setCurriculum(curriculumId);
}

QList<RequirementValue> zrRequirements::shownValues()
{
    return d->editor->shownValues();
}

QList<RequirementValue> zrRequirements::checkedValues()
{
    d->editor->checkShown();
    return d->editor->shownValues();
}

void zrRequirements::selectRequirement(qint32 ocID)
{
    d->editor->list()->setSelected(GroupKey(ocID), true);
}

qint32 zrRequirements::currentCurriculum() const
{
    return d->set.curriculumId();
}

QString zrRequirements::currentCurriculumName() const
{
    return d->editor->curriculumName(d->set.curriculumId());
}

bool zrRequirements::ValidateRecords()
{
    d->editor->validate();
    return true;
}

void zrRequirements::UpdateRecordset()
{
    d->editor->writeBack();
    // Written: back at this step nothing is left to write. The steps stay, for
    // a save that goes no further (its effect cancelled, the server refusing).
    d->undoStack->setClean();
    d->refreshCommandStates();
}

QStringList zrRequirements::warnings() const
{
    QStringList texts;
    for (const ValidationWarning &warning : d->editor->warnings())
        texts << warning.description;
    return texts;
}

bool zrRequirements::showLastProblem()
{
    const RequirementsEditor::Problem problem = d->editor->problem();
    if (!problem.valid || !d->set.hasRows())
        return false;
    if (d->curriculumDependent() && problem.curriculum != d->set.curriculumId()) {
        const int entry = d->cbOrient->findData(problem.curriculum);
        if (entry < 0)
            return false;
        d->cbOrient->setCurrentIndex(entry);
        d->onCurriculumChosen(entry);
        if (d->set.curriculumId() != problem.curriculum)
            return false;
    }
    const QString group = GroupKey(problem.ocID);
    if (!d->list()->contains(group))
        return false;
    const QString row = ParamKey(problem.ocID, problem.field);
    const bool onRow = !problem.field.isEmpty() && d->list()->contains(row);
    // An entry or a choice opens its editor; a picker row waits for its button.
    d->goTo(group, onRow ? row : group, onRow);
    return true;
}

bool zrRequirements::isModified() const
{
    return d->set.isModified();
}

QString zrRequirements::expression() const
{
    return d->set.expression();
}

LookupCache &zrRequirements::lookups()
{
    return d->lookups;
}

QUndoStack *zrRequirements::undoStack() const
{
    return d->undoStack;
}

void zrRequirements::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The commands' width is settled once the window has given the control its own.
    d->fitCommands();
}

void zrRequirements::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    d->fitCommands();
}

void zrRequirements::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        d->retranslate();
        d->wizard.retranslate();
        // Sheets, names of codes and the expression's captions are language strings too.
        d->rebuildSheets();
    }
    QWidget::changeEvent(event);
}

} // namespace zr
