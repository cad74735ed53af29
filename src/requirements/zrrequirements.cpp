#include "zrrequirements.h"

#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "common/schema.h"
#include "itempanel/tilepanel.h"
#include "common/zrerror.h"
#include "expressionedit.h"
#include "expressionform.h"
#include "expressionvalidation.h"
#include "funcbuilder.h"
#include "common/createserverobject.h"
#include "common/serverobjects.h"
#include "recordset/lookupcache.h"
#include "recordset/recordsetutils.h"
#include "dialogs/frmexclusions.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/parametervalidation.h"
#include "reqtypes/parametervalues.h"
#include "reqtypes/sheetadjust.h"
#include "reqtypes/typecatalog.h"
#include "reqtypes/validationmessage.h"
#include "reqtypes/requirementkeys.h"
#include "pickerrunner.h"
#include "pickers.h"
#include "requirementset.h"
#include "requirementseditor.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSet>
#include <QShortcut>
#include <QSplitter>
#include <QTextDocument>
#include <QTreeView>
#include <QVBoxLayout>

#include <optional>

namespace zr {

namespace {
const QString &CmdExclusions = RequirementsEditor::CmdExclusions;
const QString &CmdExpression = RequirementsEditor::CmdExpression;
const QString &CmdAdd = RequirementsEditor::CmdAdd;
const QString &CmdDelete = RequirementsEditor::CmdDelete;

// Restores the list's redrawing however a rebuild ends.
class RedrawOff
{
public:
    explicit RedrawOff(TilePanel *panel) : m_panel(panel) { m_panel->setRedraw(false); }
    ~RedrawOff() { m_panel->setRedraw(true); }

private:
    TilePanel *m_panel;
};
} // namespace

class zrRequirementsPrivate
{
public:
    explicit zrRequirementsPrivate(zrRequirements *q)
        : q(q), editor(new RequirementsEditor(q)), set(editor->set()), lookups(editor->lookups())
    {
    }

    void buildWidgets();
    void retranslate();
    /// Builds the list again from the rows (after a language switch), keeping
    /// the user's values, the expressions, the selection and the modified flag.
    void rebuildSheets();
    void resetOnLoad();
    void refreshCommandStates();
    /// Fills the curriculum chooser from the editor's curricula, on the one shown.
    void showCurricula();
    /// Shows the expression in display form; `highlight` marks a requirement in it.
    void showExpression(qint32 highlight = 0);
    void showHelp(const QString &key);

    void onItemSelected(const QString &key);
    void onBeforeValueChange(const QString &key, const QVariant &newValue, bool &cancel);
    void onBeforeEdit(const QString &key, bool &cancel);
    void onValueChanged(const QString &key, const QString &property);
    void onCommand(const QString &key);
    void onPickerButton(const QString &key);
    void onCurriculumChosen(int index);
    void addRequirement(int typeId);
    /// Empties a picker row (its shown text and the codes behind it), as an edit of the user's.
    void clearPickerRow(const QString &key);
    void deleteRequirement();
    // The editor's failures, as the user sees them.
    void showError(const QString &text);
    void createBuilder();
    void retranslateBuilder();
    bool createWizardVariables();
    void editExpression();

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

    TilePanel *smRequirements = nullptr;
    TilePanel *smButtons = nullptr;
    QWidget *picOrient = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *cbOrient = nullptr;
    QWidget *PicInfo = nullptr;
    QLabel *Label4 = nullptr;
    QPlainTextEdit *txtInfo = nullptr;
    QLabel *Label2 = nullptr;
    QPlainTextEdit *txtEval = nullptr;
    QList<QShortcut *> shortcuts;
    QAction *clearAction = nullptr;
    // The expression wizard: made with its palette at the first load, kept until ClearAll.
    zrFuncBuilder *builder = nullptr;
};

void zrRequirementsPrivate::buildWidgets()
{
    PicInfo = new QWidget(q);
    PicInfo->setObjectName(QStringLiteral("PicInfo"));
    Label4 = new QLabel(PicInfo);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true);
    auto *infoLayout = new QHBoxLayout(PicInfo);
    infoLayout->setContentsMargins(4, 4, 4, 4);
    infoLayout->addWidget(Label4);

    picOrient = new QWidget(q);
    picOrient->setObjectName(QStringLiteral("picOrient"));
    Label1 = new QLabel(picOrient);
    Label1->setObjectName(QStringLiteral("Label1"));
    cbOrient = new QComboBox(picOrient);
    cbOrient->setObjectName(QStringLiteral("cbOrient"));
    cbOrient->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Label1->setBuddy(cbOrient);
    auto *orientLayout = new QHBoxLayout(picOrient);
    orientLayout->setContentsMargins(0, 0, 0, 0);
    orientLayout->addWidget(Label1);
    orientLayout->addWidget(cbOrient, 1);

    smButtons = new TilePanel(q);
    smButtons->setObjectName(QStringLiteral("smButtons"));
    smButtons->setCaptionStyle(TilePanel::CaptionHidden);
    smButtons->setModel(editor->commands());
    // Long type names differ at their ends ("... ανά εξάμηνα", "... ανά ακαδημαϊκό έτος"):
    // a narrow panel keeps both ends, and the whole name is the tooltip.
    smButtons->treeView()->setTextElideMode(Qt::ElideMiddle);
    smRequirements = new TilePanel(q);
    smRequirements->setObjectName(QStringLiteral("smRequirements"));
    smRequirements->setModel(editor->list());

    auto *splitter = new QSplitter(Qt::Horizontal, q);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->addWidget(smButtons);
    splitter->addWidget(smRequirements);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 600});

    txtInfo = new QPlainTextEdit(q);
    txtInfo->setObjectName(QStringLiteral("txtInfo"));
    txtInfo->setReadOnly(true);
    txtInfo->setMaximumHeight(80);
    Label2 = new QLabel(q);
    Label2->setObjectName(QStringLiteral("Label2"));
    txtEval = new QPlainTextEdit(q);
    txtEval->setObjectName(QStringLiteral("txtEval"));
    txtEval->setReadOnly(true);
    txtEval->setMaximumHeight(70);
    Label2->setBuddy(txtEval);

    // Top to bottom: hint, curriculum, commands and list, help text, expression.
    auto *layout = new QVBoxLayout(q);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PicInfo);
    layout->addWidget(picOrient);
    layout->addWidget(splitter, 1);
    layout->addWidget(txtInfo);
    layout->addWidget(Label2);
    layout->addWidget(txtEval);
    PicInfo->setVisible(false);
    picOrient->setVisible(false);

    QObject::connect(list(), &ItemPanelModel::itemSelected, q,
                     [this](const QString &key) { onItemSelected(key); });
    QObject::connect(list(), &ItemPanelModel::beforeValueChange, q,
                     [this](const QString &key, const QVariant &value, bool &cancel) {
                         onBeforeValueChange(key, value, cancel);
                     });
    QObject::connect(list(), &ItemPanelModel::beforeEdit, q,
                     [this](const QString &key, bool &cancel) { onBeforeEdit(key, cancel); });
    QObject::connect(list(), &ItemPanelModel::valueChanged, q,
                     [this](const QString &key, const QString &property) { onValueChanged(key, property); });
    QObject::connect(list(), &ItemPanelModel::buttonClicked, q,
                     [this](const QString &key) { onPickerButton(key); });
    QObject::connect(commands(), &ItemPanelModel::itemClicked, q, [this](const QString &key) { onCommand(key); });
    // A picked value can be taken back: Delete on the row, or Clear in its context menu.
    clearAction = new QAction(smRequirements);
    clearAction->setObjectName(QStringLiteral("actClearValue"));
    clearAction->setShortcut(QKeySequence::Delete);
    clearAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    smRequirements->treeView()->addAction(clearAction);
    smRequirements->treeView()->setContextMenuPolicy(Qt::ActionsContextMenu);
    QObject::connect(clearAction, &QAction::triggered, q, [this] { clearPickerRow(list()->selectedKey()); });
    QObject::connect(list(), &ItemPanelModel::itemSelected, q, [this](const QString &key) {
        clearAction->setEnabled(list()->kind(key) == ItemPanelModel::Kind::Picker);
    });
    QObject::connect(cbOrient, QOverload<int>::of(&QComboBox::activated), q,
                     [this](int index) { onCurriculumChosen(index); });
}


void zrRequirementsPrivate::retranslate()
{
    Label1->setText(GetLangString(20518));
    Label2->setText(GetLangString(20520));
    editor->retranslateCommands();
    qDeleteAll(shortcuts);
    shortcuts.clear();
    for (const QString &key : {CmdExclusions, CmdExpression, CmdAdd, CmdDelete}) {
        const QString shortcut = commands()->shortcut(key);
        if (shortcut.isEmpty())
            continue;
        // The command panel draws no mnemonics, so the control answers them itself.
        auto *action = new QShortcut(QKeySequence(shortcut), q, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        QObject::connect(action, &QShortcut::activated, q, [this, key = key] {
            if (key == CmdAdd)
                smButtons->setFocus();
            else
                commands()->clickItem(key);
        });
        shortcuts << action;
    }
    smRequirements->setCaption(GetLangString(20521));
    Label4->setText(GetLangString(10000));
    txtEval->setAccessibleName(GetLangString(20520));
    txtInfo->setAccessibleName(GetLangString(20521));
    clearAction->setText(GetLangString(10106));
    cbOrient->setAccessibleName(GetLangString(20518));
}


void zrRequirementsPrivate::resetOnLoad()
{
    if (!builder)
        createBuilder();
    editor->rebuildAddMenu();
    q->setEditingEnabled(true);
    smRequirements->setCaption(GetLangString(20521));
    txtInfo->clear();
    QPalette palette = txtEval->palette();
    palette.setColor(QPalette::Base, QColor(240, 240, 225));
    txtEval->setPalette(palette);
    picOrient->setVisible(curriculumDependent());
    PicInfo->setVisible(set.context() == CtxScholarship);
    Label4->setText(GetLangString(10000));
    refreshCommandStates();
}

void zrRequirementsPrivate::showCurricula()
{
    cbOrient->clear();
    for (const CurriculumEntry &entry : editor->curricula())
        cbOrient->addItem(entry.name, entry.id);
    const int shown = cbOrient->findData(set.curriculumId());
    if (shown >= 0)
        cbOrient->setCurrentIndex(shown);
}

void zrRequirementsPrivate::refreshCommandStates()
{
    editor->refreshCommandStates(showExclusions);
}










void zrRequirementsPrivate::showExpression(qint32 highlight)
{
    txtEval->setPlainText(BreakExpressionLines(ConvertExpression(set.expression(), false, set.walkWholeSet(),
                                                                 [this](qint32 ocID) { return editor->captionOf(ocID); })));
    QList<QTextEdit::ExtraSelection> marks;
    if (highlight != 0) {
        // The requirement just added stands last in the expression.
        QTextCursor found = txtEval->document()->find(QLatin1Char('[') + editor->captionOf(highlight) + QLatin1Char(']'),
                                                      txtEval->document()->characterCount(),
                                                      QTextDocument::FindBackward);
        if (!found.isNull()) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = found;
            mark.format.setBackground(txtEval->palette().color(QPalette::Highlight));
            mark.format.setForeground(txtEval->palette().color(QPalette::HighlightedText));
            marks << mark;
        }
    }
    txtEval->setExtraSelections(marks);
}

void zrRequirementsPrivate::showHelp(const QString &key)
{
    const QString description = list()->description(key);
    txtInfo->setPlainText(description.isEmpty() ? list()->hint(key) : description);
}

void zrRequirementsPrivate::onItemSelected(const QString &key)
{
    showHelp(key);
    if (set.hasRows())
        set.positionOn(key);
}

void zrRequirementsPrivate::onBeforeValueChange(const QString &, const QVariant &, bool &cancel)
{
    if (!enabled)
        cancel = true;
}

void zrRequirementsPrivate::onBeforeEdit(const QString &key, bool &cancel)
{
    if (!enabled) {
        cancel = true;
        return;
    }
    showHelp(key);
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
        if (key == CmdExclusions) {
            if (set.isModified()) {
                int style = MbInformation | MbOkOnly;
                MsgBoxEx(GetLangString(20016), style, ApplicationTitle(), {}, 0, {}, q);
                return;
            }
            Recordset parentRow = set.parent().clone();
            parentRow.moveFirst();
            const QVariant objectId = set.objectId();
            frmExclusions dialog(q);
            dialog.setFrmFont(q->Font());
            // The dialog's value lists come from the same cache as the editor's own.
            QObject::connect(&dialog, &frmExclusions::ListSourceRequest, q,
                             [this, objectId](bool &cancel, const QString &source, Recordset &result, bool isQuery) {
                                 if (isQuery) {
                                     cancel = true;
                                     return;
                                 }
                                 const bool curricula =
                                     source.compare(QLatin1String("QEMDPOrientation"), Qt::CaseInsensitive) == 0;
                                 result = lookups.list(source, curricula ? QStringLiteral("prID=") + NzStr(objectId)
                                                                         : QString());
                             });
            dialog.ShowExcludStudents(objectId, set.objectKind(), set.context(), editor->schema().get(),
                                      editor->serverName(), sessionId, set.rows(), 0,
                                      ExclusionStudentFilter(set.objectKind(), parentRow, editor->departmentId()), q);
            return;
        }
        if (key == CmdDelete) {
            deleteRequirement();
            return;
        }
        if (key == CmdExpression) {
            editExpression();
            return;
        }
        bool isType = false;
        const int typeId = key.toInt(&isType);
        if (isType && commands()->parentKey(key) == CmdAdd)
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
        PickerContext context;
        context.objectKind = set.objectKind();
        if (context.objectKind != KindDepartment && context.objectKind != KindDepartmentById)
            context.programmeId = set.objectId();
        context.departmentId =
            editor->departmentId().isEmpty() && context.objectKind == KindDepartment ? set.objectId().toString()
                                                                                    : editor->departmentId();
        QString info;
        if (RunRowPicker(*list(), key, editor->typeOf(OcIdFromKey(key)), editor->sheetContext(), context,
                         editor->serverName(), editor->schema().get(),
                         q->Font(), q, &info))
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


void zrRequirementsPrivate::rebuildSheets()
{
    if (!set.hasRows() || list()->count() == 0)
        return;
    const bool modified = set.isModified();
    const QString selected = list()->selectedKey();
    QSet<QString> expanded;
    for (const QString &group : list()->keys()) {
        if (list()->isExpanded(group))
            expanded.insert(group);
    }
    const QHash<qint32, QString> expressions = set.expressions();
    try {
        editor->storeAllGroups();
        RedrawOff redrawOff(smRequirements);
        list()->clear();
        const RequirementSet::LoadingScope loading(set);
        editor->loadRows();
    } catch (const ZrError &error) {
        RecordErrorOnce(error, QStringLiteral(" zrRequirements.LanguageChange"));
    }
    set.expressions() = expressions;
    Recordset rows = set.walk();
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        if (rows.status() == Recordset::adRecNew)
            editor->markNew(ValLng(rows.value(u"ocID")), set.expression().isEmpty() ? 20018 : 10105);
    }
    for (const QString &group : list()->keys())
        list()->setExpanded(group, expanded.contains(group));
    if (list()->contains(selected))
        list()->setSelected(selected, true);
    editor->setModified(modified);
    showExpression();
}

void zrRequirementsPrivate::clearPickerRow(const QString &key)
{
    if (!enabled || list()->kind(key) != ItemPanelModel::Kind::Picker || !list()->isItemEnabled(key))
        return;
    if (list()->value(key).toString().isEmpty() && list()->hiddenValue(key).toString().isEmpty())
        return;
    // A picker row has no editor of its own: the value is set as the pickers set it.
    list()->setHiddenValue(key, QString());
    list()->setDescription(key, QString());
    list()->setValue(key, QString());
    txtInfo->clear();
}

void zrRequirementsPrivate::deleteRequirement()
{
    // The selected requirement, wherever validating or writing left the rows.
    if (!editor->deleteRequirement(OcIdFromKey(list()->selectedKey())))
        return;
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
    // A failure keeps the list on the curriculum it showed.
    const auto backOut = [this](const ZrError &error) {
        editor->reportError(error, QStringLiteral(" zrRequirements.cbOrient_Click"));
        const int previous = cbOrient->findData(set.curriculumId());
        if (previous >= 0)
            cbOrient->setCurrentIndex(previous);
    };
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        editor->chooseCurriculum(chosen);
        if (set.walk().isEmpty())
            txtEval->clear();
        else
            showExpression();
        txtInfo->clear();
        refreshCommandStates();
    } catch (const ZrError &error) {
        backOut(error);
        return;
    }
    QGuiApplication::restoreOverrideCursor();
}

void zrRequirementsPrivate::createBuilder()
{
    builder = new zrFuncBuilder(q);
    builder->setObjectName(QStringLiteral("zrFuncBuilder"));
    retranslateBuilder();
}

// The palette's names and help are language strings too, so a language
// switch fills it again; variables and expression are set at each opening.
void zrRequirementsPrivate::retranslateBuilder()
{
    if (!builder)
        return;
    builder->initialise();
    struct Operator
    {
        qint32 category;
        qint32 caption; // 0: the symbol is the caption
        const char *symbol;
        const char *insertText;
        qint32 help;
    };
    static const Operator palette[] = {
        {20752, 20753, "AND", " AND ", 0},  {20752, 20754, "OR", " OR ", 0}, {20752, 20755, "NOT", " NOT(%)", 20756},
        {20757, 0, "()", "(%)", 20758},     {20757, 0, "(", "(", 20759},     {20757, 0, ")", ")", 20760},
    };
    for (const Operator &op : palette) {
        const QString symbol = QString::fromLatin1(op.symbol);
        builder->addOperator(GetLangString(op.category), symbol, QString::fromLatin1(op.insertText),
                             op.caption ? GetLangString(op.caption) : symbol,
                             op.help ? GetLangString(op.help) : QString(), true);
    }
    builder->setDisplaySwitches(false, true);
    builder->setCaptions(GetLangString(20761), GetLangString(20521), GetLangString(20762), GetLangString(20763),
                         GetLangString(20764));
}

bool zrRequirementsPrivate::createWizardVariables()
{
    const QString source = QStringLiteral("CreateFuncBuilderVariables");
    builder->resetVariables();
    Recordset local = set.walkWholeSet();
    if (local.isNull() || local.isEmpty())
        throw MakeError(20765, source);
    const auto textOf = [](const QVariant &value) { return value.isNull() ? QString() : value.toString(); };
    QVariant conobject = local.value(u"conobject");
    QVariant contypeID = local.value(u"contypeID");
    QVariant objID = textOf(local.value(u"objID"));
    QVariant secobjID = textOf(local.value(u"secobjID"));
    auto constraints = ServerObjectOf<cContraints>(editor->serverName(), source);
    Recordset described = constraints->LoadConstraintsWithDescription(conobject, contypeID, objID, secobjID);

    // New requirements are not on the server yet: they join the list as they are.
    static const QStringList systemFields = {QStringLiteral("AltID"), QStringLiteral("RowGuid"),
                                             QStringLiteral("ModifiedDate"), QStringLiteral("AltKey")};
    QList<qint32> newIds;
    for (local.moveFirst(); !local.eof(); local.moveNext()) {
        if (local.status() != Recordset::adRecNew)
            continue;
        described.addNew();
        for (int i = 0; i < local.fieldCount(); ++i) {
            const QString name = local.field(i).name;
            if (!systemFields.contains(name, Qt::CaseInsensitive) && described.hasField(name))
                described.setValue(name, local.value(i));
        }
        newIds << ValLng(local.value(u"ocID"));
    }
    if (described.isEmpty())
        throw MakeError(20765, source);

    Recordset live = set.rows().clone();
    const QString typeCodes[] = {QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("6")};
    for (described.moveFirst(); !described.eof(); described.moveNext()) {
        const qint32 ocID = ValLng(described.value(u"ocID"));
        const QString id = QString::number(ocID);
        QString shortName = described.hasField(u"conshortdesc") ? textOf(described.value(u"conshortdesc")) : QString();
        if (shortName.isEmpty())
            shortName = GetTypeName(described.value(u"conID"), true);
        QString description;
        if (newIds.contains(ocID)) {
            // Not described by the server yet: what its sheet shows, by name, follows.
            description = GetLangString(20766);
            for (const QString &row : list()->keys(GroupKey(ocID))) {
                const QString shown = list()->valueText(row);
                if (list()->isVisible(row) && !shown.isEmpty())
                    description += QLatin1Char('\n') + list()->caption(row) + QStringLiteral(": ") + shown;
            }
        } else {
            // A requirement deleted since the last save is no longer offered.
            if (!live.find(QStringLiteral("ocID = ") + id, 0, Recordset::SearchForward, Recordset::StartFirst))
                continue;
            description = described.hasField(u"condesc") ? textOf(described.value(u"condesc")) : QString();
        }
        builder->addVariable(QStringLiteral("%") + id, QStringLiteral("(") + id + QStringLiteral(") ") + shortName,
                             description, typeCodes[0], typeCodes[1], typeCodes[2], typeCodes[3]);
    }
    return true;
}

void zrRequirementsPrivate::editExpression()
{
    if (!set.hasRows() || !builder)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        createWizardVariables();
    } catch (...) {
        QGuiApplication::restoreOverrideCursor();
        throw;
    }
    QGuiApplication::restoreOverrideCursor();
    const QString stored = set.expression();
    builder->setExpression(stored);
    // A malformed expression is what the wizard is opened to mend.
    ValidateExpression(set, ExpressionChecks{false, true, false, false},
                       [this](qint32 ocID) { return editor->captionOf(ocID); });
    builder->setExpression(ConvertExpression(stored, true, set.walkWholeSet(),
                                             [this](qint32 ocID) { return editor->captionOf(ocID); }));
    builder->setFont(q->Font());
    builder->showWizard();
    // Only AND between requirements is the default expression, stored empty.
    if (!ExpressionNeedsStoring(builder->expression()))
        builder->setExpression(QString());
    const QString edited = builder->expression();
    if (edited == stored)
        return;
    editor->setExpression(edited);
    showExpression();
    refreshCommandStates();
    Q_EMIT q->Changed();
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
    connect(d->editor, &RequirementsEditor::errorOccurred, this,
            [this](int, const QString &text) { d->showError(text); });
    d->buildWidgets();
    d->editor->rebuildAddMenu();
    d->retranslate();
    d->refreshCommandStates();
}

zrRequirements::~zrRequirements()
{
    ClearAll();
}

bool zrRequirements::Enabled() const
{
    return d->enabled;
}

void zrRequirements::setEditingEnabled(bool enabled)
{
    d->enabled = enabled;
    d->commands()->setEnabled(enabled);
    d->list()->setAllItemsEnabled(enabled);
    // Rows locked by the values of other rows stay locked.
    if (enabled) {
        for (const QString &group : d->list()->keys()) {
            const qint32 ocID = OcIdFromKey(group);
            ApplyRowStates(*d->list(), d->editor->typeOf(ocID), ocID);
        }
    }
}

bool zrRequirements::IsLoaded() const
{
    return d->isLoaded;
}

void zrRequirements::setIsLoaded(bool loaded)
{
    d->isLoaded = loaded;
}

QString zrRequirements::ServerName() const
{
    return d->editor->serverName();
}

void zrRequirements::setServerName(const QString &name)
{
    d->editor->setServerName(name);
}

QString zrRequirements::sessionID() const
{
    return d->sessionId;
}

void zrRequirements::setSessionID(const QString &id)
{
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
    d->showExclusions = show;
    d->refreshCommandStates();
}

QString zrRequirements::DepartID() const
{
    return d->editor->departmentId();
}

void zrRequirements::setDepartID(const QString &id)
{
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
    try {
        RedrawOff redrawOff(d->smRequirements);
        d->editor->reset(parent);
        d->resetOnLoad();
        d->editor->loadSheets();
        d->showCurricula();
        d->refreshCommandStates();
        d->txtInfo->clear();
        d->showExpression();
    } catch (const ZrError &error) {
        RecordError(error.number, error.source, error.description, true);
        d->list()->clear();
        d->showCurricula();
        d->refreshCommandStates();
        Q_EMIT ErrorOccurred(error.number, error.description, QStringLiteral("zrRequirements.rsConstraints"));
        return;
    }
    if (d->list()->count() > 0)
        d->list()->setSelected(d->list()->contains(selected) ? selected : d->list()->keyAt(0), true);
}

QString zrRequirements::SmCaption() const
{
    return d->smRequirements->caption();
}

void zrRequirements::setSmCaption(const QString &caption)
{
    d->smRequirements->setCaption(caption);
}

int zrRequirements::SmBorderStyle() const
{
    return d->smRequirements->borderStyle();
}

void zrRequirements::setSmBorderStyle(int style)
{
    d->smRequirements->setBorderStyle(style);
}

int zrRequirements::SmCaptionStyle() const
{
    return d->smRequirements->captionStyle();
}

void zrRequirements::setSmCaptionStyle(int style)
{
    d->smRequirements->setCaptionStyle(style);
}

int zrRequirements::SmCaptionAlignment() const
{
    return d->smRequirements->captionAlignment();
}

void zrRequirements::setSmCaptionAlignment(int alignment)
{
    d->smRequirements->setCaptionAlignment(alignment);
}

int zrRequirements::SmEdgeStyle() const
{
    return d->smRequirements->edgeStyle();
}

void zrRequirements::setSmEdgeStyle(int style)
{
    d->smRequirements->setEdgeStyle(style);
}

int zrRequirements::SmScrollBarStyle() const
{
    return d->smRequirements->scrollBarStyle();
}

void zrRequirements::setSmScrollBarStyle(int style)
{
    d->smRequirements->setScrollBarStyle(style);
}

QColor zrRequirements::TextBackcolor() const
{
    return d->txtInfo->palette().color(QPalette::Base);
}

void zrRequirements::setTextBackcolor(const QColor &color)
{
    QPalette palette = d->txtInfo->palette();
    palette.setColor(QPalette::Base, color);
    d->txtInfo->setPalette(palette);
}

QColor zrRequirements::TextForeColor() const
{
    return d->txtInfo->palette().color(QPalette::Text);
}

void zrRequirements::setTextForeColor(const QColor &color)
{
    QPalette palette = d->txtInfo->palette();
    palette.setColor(QPalette::Text, color);
    d->txtInfo->setPalette(palette);
}

bool zrRequirements::TextBold() const
{
    return d->txtInfo->font().bold();
}

void zrRequirements::setTextBold(bool bold)
{
    QFont font = d->txtInfo->font();
    font.setBold(bold);
    d->txtInfo->setFont(font);
}

QFont zrRequirements::Font() const
{
    return d->fontSet ? d->font : font();
}

void zrRequirements::setControlFont(const QFont &font)
{
    d->font = font;
    d->fontSet = true;
    // Qt hands a widget's font down to its children.
    setFont(font);
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
    delete d->builder;
    d->builder = nullptr;
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

qint32 zrRequirements::currentCurriculum() const
{
    return d->set.curriculumId();
}

bool zrRequirements::ValidateRecords()
{
    d->editor->validate();
    return true;
}

void zrRequirements::UpdateRecordset()
{
    RedrawOff redrawOff(d->smRequirements);
    d->editor->writeBack();
    d->refreshCommandStates();
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
    const QString key = !problem.field.isEmpty() && d->list()->contains(row) ? row : group;
    d->list()->setExpanded(group, true);
    d->list()->setSelected(key, true);
    d->list()->ensureVisible(key);
    QTreeView *view = d->smRequirements->treeView();
    view->setFocus(Qt::OtherFocusReason);
    const QModelIndex value = d->list()->indexOf(key, ItemPanelModel::ValueColumn);
    view->setCurrentIndex(value);
    // An entry or a choice opens its editor; a picker row waits for its button.
    if (key == row)
        view->edit(value);
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

void zrRequirements::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        d->retranslate();
        d->retranslateBuilder();
        // Sheets, names of codes and the expression's captions are language strings too.
        d->rebuildSheets();
    }
    QWidget::changeEvent(event);
}

} // namespace zr
