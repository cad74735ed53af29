#include "mainwindow.h"
#include "saveconflict.h"
#include "auditsources.h"
#include "elidedlabel.h"
#include "impactdialog.h"
#include "importdatadialog.h"
#include "trypane.h"
#include "reqtypes/requirementvalue.h"
#include "setfileactions.h"
#include "sethistorywindow.h"
#include "studentsearch.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/languageswitch.h"
#include "common/msgboxex.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "reqtypes/typecatalog.h"
#include "requirements/requirementset.h"
#include "requirements/zrrequirements.h"
#include "jsonschema.h"
#include "logviewer.h"
#include "recentobjects.h"
#include "serverdialog.h"
#include "servererrors.h"
#include "serverinfo.h"
#include "database.h"
#include "roles.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QUndoStack>
#include <QUndoView>
#include <QVBoxLayout>

namespace zr::app {

namespace {

// The pane that has the keyboard is framed in the highlight colour; the others keep a frame
// as wide, so that nothing moves when the focus does. Dialogs over the window inherit it.
void showFocusedPane(QWidget *window)
{
    window->setStyleSheet(QStringLiteral(
        "QTreeView, QTableView, QTextEdit, QPlainTextEdit { border: 1px solid palette(mid); padding: 1px; }"
        "QTreeView:focus, QTableView:focus, QTextEdit:focus, QPlainTextEdit:focus"
        " { border: 2px solid palette(highlight); padding: 0px; }"));
}

// Host application texts live in the library's string table from 60000 on.
enum : qint32 {
    StrWindowTitle = 60000,
    StrFile = 60001,
    StrQuit = 60002,
    StrLanguage = 60003,
    StrHelp = 60005,
    StrAbout = 60006,
    StrAboutText = 60007,
    StrContext = 60013,
    StrContextCode = 60014,
    StrReload = 60015,
    StrLoaded = 60016,
    StrSave = 60017,
    StrSaved = 60018,
    StrNotSaved = 60019,
    StrAskSave = 60020,
    StrSaveFailed = 60021,
    StrSaveWarnings = 20033,
    StrImpactStopped = 63516,
    StrTheChange = 63517, // "The change, in the curriculum «%1»:"
    StrTryOnStudent = 63528,
    StrView = 63529,
    StrRecent = 60022,
    StrDatabase = 60035,
    StrLog = 60036,
    StrLoading = 60037,
    StrSaving = 60038,
    StrNothingLoaded = 60228,
    StrHistory = 64018,
    StrImportData = 65100,
    StrEdit = 63536,
    StrUndo = 63537,
    StrRedo = 63538,
    StrUndoHistory = 63539,
    StrAsLoaded = 63540,
    StrReadOnly = 60259, // "Read only. %1 Audits and the history stay open."
};

// Shows that the window is busy from the first moment: the pointer and a
// status line painted before the work starts, both undone however it ends.
class BusyIndicator
{
public:
    BusyIndicator(QMainWindow *window, const QString &message)
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        window->statusBar()->showMessage(message);
        window->statusBar()->repaint();
    }
    ~BusyIndicator() { QGuiApplication::restoreOverrideCursor(); }
    BusyIndicator(const BusyIndicator &) = delete;
    BusyIndicator &operator=(const BusyIndicator &) = delete;
};

constexpr int Contexts[] = {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112};
} // namespace

MainWindow::MainWindow(const QString &serverName, QWidget *parent) : QMainWindow(parent), m_serverName(serverName)
{
    setObjectName(QStringLiteral("zrreqMainWindow"));
    m_tree = new ObjectTree(this);

    m_contextLabel = new QLabel(this);
    m_context = new QComboBox(this);
    m_context->setObjectName(QStringLiteral("context"));
    m_contextLabel->setBuddy(m_context);
    for (int context : Contexts)
        m_context->addItem(QString(), context);
    m_context->setCurrentIndex(m_context->findData(CtxDegree));
    // The context list keeps its width whatever opens beside it; a long title gives way, elided.
    m_context->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_context->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_objectTitle = new ElidedLabel(this);
    m_objectTitle->setObjectName(QStringLiteral("objectTitle"));
    QFont titleFont = m_objectTitle->font();
    titleFont.setBold(true);
    m_objectTitle->setFont(titleFont);

    m_editor = new zrRequirements(this);
    m_readOnlyBanner = new QLabel(this);
    m_readOnlyBanner->setObjectName(QStringLiteral("readOnlyBanner"));
    m_readOnlyBanner->setWordWrap(true);
    m_readOnlyBanner->setMargin(6);
    m_readOnlyBanner->setStyleSheet(QStringLiteral("background: #fff3cd; color: #664d03; border: 1px solid #e0c36a;"));
    m_readOnlyBanner->hide();
    auto *right = new QWidget(this);
    auto *bar = new QHBoxLayout;
    bar->addWidget(m_objectTitle, 1);
    bar->addWidget(m_contextLabel);
    bar->addWidget(m_context);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->addLayout(bar);
    rightLayout->addWidget(m_readOnlyBanner);
    rightLayout->addWidget(m_editor, 1);

    m_splitter = new QSplitter(this);
    m_splitter->setObjectName(QStringLiteral("mainSplitter"));
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(right);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({300, 900});
    setCentralWidget(m_splitter);

    connect(m_tree, &ObjectTree::objectChosen, this, &MainWindow::onObjectChosen);
    connect(m_context, QOverload<int>::of(&QComboBox::activated), this, &MainWindow::onContextChosen);
    connect(m_editor, &zrRequirements::ErrorOccurred, this, &MainWindow::showError);
    connect(m_editor, &zrRequirements::Changed, this, &MainWindow::updateTitle);
    // Undoing back to the state loaded or saved leaves the set unmodified after Changed.
    connect(m_editor, &zrRequirements::modifiedChanged, this, &MainWindow::updateTitle);
    connect(m_editor, &zrRequirements::requirementDeleted, this,
            [this](const QString &message) { statusBar()->showMessage(message, 10000); });

    buildMenus();
    retranslate();
    showFocusedPane(this);
    resize(1280, 800);
    restoreWindowState();
}

void MainWindow::buildMenus()
{
    m_fileMenu = menuBar()->addMenu(QString());
    m_saveAction = m_fileMenu->addAction(QString(), QKeySequence::Save, this, [this] { save(); });
    m_saveAction->setObjectName(QStringLiteral("saveAction"));
    m_reloadAction = m_fileMenu->addAction(QString(), QKeySequence(Qt::CTRL | Qt::Key_R), this,
                                           &MainWindow::reload);
    m_setFiles = new SetFileActions(this, m_editor, [this] { return m_set; });
    m_setFiles->setServerName(m_serverName);
    // Save or discard first; a discarded edit is dropped by loading the set again.
    m_setFiles->setLeaveCheck([this] {
        if (!confirmLeave())
            return false;
        if (hasUnsavedChanges())
            loadRequirements();
        return true;
    });
    m_fileMenu->addActions({m_setFiles->exportAction(), m_setFiles->importAction()});
    connect(m_setFiles, &SetFileActions::imported, this, &MainWindow::updateTitle);
    m_historyAction = m_fileMenu->addAction(QString(), QKeySequence(Qt::CTRL | Qt::Key_H), this, &MainWindow::showHistory);
    m_historyAction->setObjectName(QStringLiteral("historyAction"));
    m_importDataAction = m_fileMenu->addAction(QString(), this, &MainWindow::importData);
    m_importDataAction->setObjectName(QStringLiteral("importDataAction"));
    m_fileMenu->addSeparator();
    new StudentSearch(m_fileMenu, m_serverName, this);
    m_fileMenu->addSeparator();
    m_recentMenu = m_fileMenu->addMenu(QString());
    m_recentMenu->setObjectName(QStringLiteral("recentMenu"));
    m_recent = new RecentObjects(m_recentMenu, this);
    connect(m_recent, &RecentObjects::objectChosen, this, [this](const ObjectRef &object) {
        if (!confirmLeave())
            return;
        const QSignalBlocker blocker(m_tree);
        m_tree->select(object);
        m_object = object;
        loadRequirements();
    });
    m_serverAction = m_fileMenu->addAction(QString(), this, &MainWindow::chooseServer);
    m_fileMenu->addSeparator();
    m_quitAction = m_fileMenu->addAction(QString(), QKeySequence::Quit, qApp, &QApplication::quit);

    // Undo and Redo are made afresh in each language (their texts are the step's with a prefix).
    m_editMenu = menuBar()->addMenu(QString());
    m_editMenu->setObjectName(QStringLiteral("editMenu"));
    m_historyDock = new QDockWidget(this);
    m_historyDock->setObjectName(QStringLiteral("undoHistoryDock"));
    auto *history = new QUndoView(m_editor->undoStack(), m_historyDock);
    history->setObjectName(QStringLiteral("undoHistory"));
    m_historyDock->setWidget(history);
    addDockWidget(Qt::RightDockWidgetArea, m_historyDock);
    m_historyDock->hide();

    m_languageMenu = menuBar()->addMenu(QString());
    auto *group = new QActionGroup(this);
    m_greekAction = m_languageMenu->addAction(QStringLiteral("Ελληνικά"));
    m_englishAction = m_languageMenu->addAction(QStringLiteral("English"));
    for (QAction *action : {m_greekAction, m_englishAction}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    (CurrentLanguage() == LangEnglish ? m_englishAction : m_greekAction)->setChecked(true);
    connect(m_greekAction, &QAction::triggered, this, [this] { setLanguage(LangGreek); });
    connect(m_englishAction, &QAction::triggered, this, [this] { setLanguage(LangEnglish); });

    // The try pane: the set on screen checked against one student while it is edited.
    m_viewMenu = menuBar()->addMenu(QString());
    m_tryDock = new QDockWidget(this);
    m_tryDock->setObjectName(QStringLiteral("tryDock"));
    m_tryPane = new TryPane(m_serverName, std::make_shared<const server::JsonSchema>(), m_tryDock);
    m_tryDock->setWidget(m_tryPane);
    addDockWidget(Qt::RightDockWidgetArea, m_tryDock);
    m_tryDock->hide();
    QAction *tryAction = m_tryDock->toggleViewAction();
    tryAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m_viewMenu->addAction(tryAction);
    m_tryPane->setSetSource([this](const AuditCodes &codes) {
        return AuditSet::prepare(m_editor->checkedValues(), m_editor->expression(), codes);
    });
    // The report names each requirement by what the list shows now, saved or not.
    m_tryPane->setDescriber([this] {
        return DescribeValues(m_serverName, m_editor->rsConstraints(), m_editor->shownValues());
    });
    connect(m_editor, &zrRequirements::shownSetChanged, m_tryPane, &TryPane::scheduleCheck);
    m_tryPane->setCurriculumSource([this] { return m_setFiles ? m_setFiles->curriculum() : 0; });
    connect(m_tryPane, &TryPane::requirementChosen, m_editor, &zrRequirements::selectRequirement);

    m_helpMenu = menuBar()->addMenu(QString());
    m_logAction = m_helpMenu->addAction(QString(), this, &MainWindow::showLog);
    m_aboutAction = m_helpMenu->addAction(QString(), this, &MainWindow::showAbout);
}

void MainWindow::fillEditMenu()
{
    m_editMenu->clear();
    QUndoStack *steps = m_editor->undoStack();
    QAction *undo = steps->createUndoAction(m_editMenu, GetLangString(StrUndo));
    undo->setObjectName(QStringLiteral("undoAction"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction *redo = steps->createRedoAction(m_editMenu, GetLangString(StrRedo));
    redo->setObjectName(QStringLiteral("redoAction"));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    // "Undo: Add «…»": the step's name after a colon reads in Greek too ("Αναίρεση Αλλαγή" does not).
    const auto named = [](QAction *action, qint32 verb) {
        return [action, verb](const QString &step) {
            action->setText(step.isEmpty() ? GetLangString(verb) : GetLangString(verb) + QStringLiteral(": ") + step);
        };
    };
    connect(steps, &QUndoStack::undoTextChanged, undo, named(undo, StrUndo));
    connect(steps, &QUndoStack::redoTextChanged, redo, named(redo, StrRedo));
    named(undo, StrUndo)(steps->undoText());
    named(redo, StrRedo)(steps->redoText());
    m_editMenu->addActions({undo, redo});
    m_editMenu->addSeparator();
    QAction *history = m_historyDock->toggleViewAction();
    history->setText(GetLangString(StrUndoHistory));
    m_editMenu->addAction(history);
}

void MainWindow::retranslate()
{
    updateTitle();
    m_fileMenu->setTitle(GetLangString(StrFile));
    m_editMenu->setTitle(GetLangString(StrEdit));
    fillEditMenu();
    m_historyDock->setWindowTitle(StripMnemonic(GetLangString(StrUndoHistory)).remove(QStringLiteral("...")));
    static_cast<QUndoView *>(m_historyDock->widget())->setEmptyLabel(GetLangString(StrAsLoaded));
    m_setFiles->retranslate();
    m_reloadAction->setText(GetLangString(StrReload));
    m_saveAction->setText(GetLangString(StrSave));
    m_recentMenu->setTitle(GetLangString(StrRecent));
    m_serverAction->setText(GetLangString(StrDatabase));
    m_logAction->setText(GetLangString(StrLog));
    m_historyAction->setText(GetLangString(StrHistory));
    m_importDataAction->setText(GetLangString(StrImportData));
    m_quitAction->setText(GetLangString(StrQuit));
    m_languageMenu->setTitle(GetLangString(StrLanguage));
    m_helpMenu->setTitle(GetLangString(StrHelp));
    m_viewMenu->setTitle(GetLangString(StrView));
    m_tryDock->toggleViewAction()->setText(GetLangString(StrTryOnStudent));
    m_tryDock->setWindowTitle(StripMnemonic(GetLangString(StrTryOnStudent)));
    m_aboutAction->setText(GetLangString(StrAbout));
    m_contextLabel->setText(GetLangString(StrContext));
    for (int i = 0; i < m_context->count(); ++i) {
        const int context = m_context->itemData(i).toInt();
        const QString title = ContextTitle(context);
        m_context->setItemText(i, title.isEmpty() ? ReplaceParams(GetLangString(StrContextCode),
                                                                  {QString::number(context)})
                                                  : title);
    }
    m_tree->retranslate();
    // The banner's line names the department in the language chosen.
    if (m_readOnly)
        applyRights();
}

SetHistoryWindow *MainWindow::showHistory()
{
    const QString key = m_setFiles->setKey();
    if (key.isEmpty()) {
        QMessageBox::information(this, StripMnemonic(GetLangString(StrHistory)), GetLangString(StrNothingLoaded));
        return nullptr;
    }
    SetHistoryWindow *window = nullptr;
    try {
        window = new SetHistoryWindow(m_serverName, key, m_object.title + QStringLiteral(" - ") + m_context->currentText(),
                                      this);
    } catch (ZrError &error) {
        TrapError(error);
        showError(error.number, error.description, error.source);
        return nullptr;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setRestorable(!m_readOnly);
    connect(window, &SetHistoryWindow::restoreRequested, this, [this, window](qint64 number, const QByteArray &file) {
        if (m_setFiles->restoreVersion(number, file))
            window->accept();
    });
    window->open();
    return window;
}

ImportDataDialog *MainWindow::importData()
{
    auto *dialog = new ImportDataDialog(m_serverName, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &ImportDataDialog::imported, this, &MainWindow::refreshObjects);
    dialog->open();
    dialog->chooseFiles();
    return dialog;
}

void MainWindow::refreshObjects()
{
    {
        const QSignalBlocker blocker(m_tree);
        loadObjects();
        m_tree->select(m_object);
    }
    // The object may have been renamed; edits not yet saved are never dropped for it.
    if (const ObjectRef shown = m_tree->current(); shown.kind == m_object.kind && shown.id == m_object.id)
        m_object = shown;
    if (hasUnsavedChanges())
        updateTitle();
    else
        loadRequirements();
}

void MainWindow::loadObjects()
{
    try {
        m_tree->load(m_serverName);
    } catch (ZrError &error) {
        // A database an earlier version made is brought up to date, when the user agrees, and read again.
        if (error.number == server::ErrSchemaOutdated && OfferUpgrade(this, m_serverName)) {
            loadObjects();
            return;
        }
        TrapError(error);
        showError(error.number, error.description, error.source);
    }
}

void MainWindow::selectFirstProgramme()
{
    QTreeWidgetItem *programmes = m_tree->topLevelItem(0);
    if (programmes && programmes->childCount() > 0)
        m_tree->setCurrentItem(programmes->child(0));
}

void MainWindow::loadRequirements()
{
    if (!m_object.isValid())
        return;
    m_setFiles->forgetImport();
    try {
        const BusyIndicator busy(this, ReplaceParams(GetLangString(StrLoading), {m_object.title}));
        auto constraints = ServerObjectOf<cContraints>(m_serverName);
        m_set = constraints->LoadObjectConstraints(m_object.kind, m_object.id);
        m_loadedContext = m_context->currentData().toInt();
        const Recordset set = m_set;
        // Properties first, in the documented order, then the recordset.
        m_editor->setServerName(m_serverName);
        m_editor->setSessionID(QStringLiteral("zrreq"));
        m_editor->setDepartID(m_object.department);
        m_editor->setConstrType(m_context->currentData().toInt());
        m_editor->setAppliesTo(m_object.kind);
        m_editor->setShowExclusions(true);
        // The student view's columns come from the server's own schema description.
        static const auto schema = std::make_shared<const server::JsonSchema>();
        m_editor->setOSchema(schema);
        if (m_object.curriculum != 0)
            m_editor->setCurrentCurriculum(m_object.curriculum);
        m_editor->setRsConstraints(set);
        applyRights();
        m_writtenUnsaved = false;
        const qint32 programme = m_object.kind == KindProgramme ? m_object.id.toInt() : 0;
        m_tryPane->setObject(programme, RecordScope{m_object.kind, QVariant(qlonglong(m_object.id.toLongLong())),
                                                    m_loadedContext, 0});
        // A programme's few requirements read best open; large sets start folded.
        if (!m_editor->rsConstraints().isNull() && m_editor->rsConstraints().recordCount() <= 40)
            m_editor->ExpandAll();
        m_objectTitle->setFullText(m_object.title);
        m_recent->add(m_object);
        updateTitle();
        statusBar()->showMessage(ReplaceParams(GetLangString(StrLoaded), {m_object.title}), 5000);
    } catch (ZrError &error) {
        TrapError(error);
        showError(error.number, error.description, error.source);
    }
}

void MainWindow::applyRights()
{
    QString refused;
    bool administrator = true;
    try {
        auto db = server::Database::open(m_serverName);
        const server::Roles::ObjectRight right =
            server::Roles::rightOver(*db, m_object.kind, m_object.id.toLongLong());
        if (!right.mayChange)
            refused = server::Roles::refusal(*db, right);
        administrator = server::Roles::isAdministrator(*db);
    } catch (ZrError &error) {
        // Unasked, everything stays offered: the database still refuses what its user may not do.
        TrapError(error);
    }
    m_readOnly = !refused.isEmpty();
    m_readOnlyBanner->setText(ReplaceParams(GetLangString(StrReadOnly), {refused}));
    m_readOnlyBanner->setVisible(m_readOnly);
    m_saveAction->setEnabled(!m_readOnly);
    m_setFiles->importAction()->setEnabled(!m_readOnly);
    m_importDataAction->setEnabled(administrator);
    // Every load offers edits again; a set its user may not change offers none.
    if (m_readOnly)
        m_editor->setEditingEnabled(false);
}

void MainWindow::onObjectChosen(const ObjectRef &object)
{
    if (!confirmLeave()) {
        // Stay on the object being edited.
        const QSignalBlocker blocker(m_tree);
        m_tree->select(m_object);
        return;
    }
    m_object = object;
    loadRequirements();
}

void MainWindow::onContextChosen()
{
    if (m_context->currentData().toInt() == m_loadedContext)
        return;
    if (!confirmLeave()) {
        m_context->setCurrentIndex(m_context->findData(m_loadedContext));
        return;
    }
    loadRequirements();
}

void MainWindow::reload()
{
    if (confirmLeave())
        loadRequirements();
}

bool MainWindow::hasUnsavedChanges() const
{
    // An imported set is unsaved even before the user touches it, and edits
    // written into the rows by a save that did not reach the server are still
    // unsaved. Rows alone do not tell: an edit undone may leave a row rewritten as it was.
    return m_editor->isModified() || (m_setFiles && m_setFiles->hasImport()) || m_writtenUnsaved;
}

bool MainWindow::confirmLeave()
{
    if (!hasUnsavedChanges())
        return true;
    const auto answer = QMessageBox::question(
        this, ApplicationTitle(), ReplaceParams(GetLangString(StrAskSave), {m_object.title}),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return save();
    return answer == QMessageBox::Discard;
}

bool MainWindow::save()
{
    if (m_set.isNull() || !m_object.isValid())
        return true;
    // Named before the write back marks them written.
    const QStringList change = unsavedSteps();
    try {
        // Nothing reaches the server unless the whole set is valid.
        m_editor->UpdateRecordset();
        // Unsaved until the server has it, though the editor has nothing left to write.
        m_writtenUnsaved = true;
        updateTitle();
    } catch (const ZrError &error) {
        QMessageBox::warning(this, GetLangString(StrNotSaved), error.description);
        statusBar()->showMessage(GetLangString(StrNotSaved), 5000);
        // From the message straight to the row to mend.
        m_editor->showLastProblem();
        return false;
    }
    // Valid, yet some codes are not what the user may think: said once, the save goes on.
    if (const QStringList warnings = m_editor->warnings(); !warnings.isEmpty())
        QMessageBox::information(this, ApplicationTitle(),
                                 GetLangString(StrSaveWarnings) + QStringLiteral("\n\n") + warnings.join(QLatin1Char('\n')));
    switch (confirmEffect(change)) {
    case ImpactDialog::Answer::Save:
        break;
    case ImpactDialog::Answer::Declined:
        statusBar()->showMessage(GetLangString(StrNotSaved), 5000);
        return false;
    case ImpactDialog::Answer::Stopped:
        statusBar()->showMessage(GetLangString(StrImpactStopped), 5000);
        return false;
    }
    return store([this](cContraints &constraints) { constraints.SaveConstraints(m_set); });
}

ImpactDialog::Answer MainWindow::confirmEffect(const QStringList &change)
{
    // Students belong to programmes: only a programme's sets decide their results.
    if (m_object.kind != KindProgramme)
        return ImpactDialog::Answer::Save;
    const qint32 programme = m_object.id.toInt();
    SetImpact impact;
    try {
        const BusyIndicator busy(this, ReplaceParams(GetLangString(StrSaving), {m_object.title}));
        impact = PrepareImpact(m_serverName, programme, m_loadedContext, {}, m_set);
    } catch (ZrError &error) {
        // A stored set that can not be checked (the one being mended, perhaps) does not stop the save.
        TrapError(error);
        return ImpactDialog::Answer::Save;
    }
    return ImpactDialog::confirmSave(m_serverName, programme,
                                     RecordScope{m_object.kind, QVariant(qlonglong(programme)), m_loadedContext, 0},
                                     std::move(impact), this, change);
}

QStringList MainWindow::unsavedSteps() const
{
    const QUndoStack *steps = m_editor->undoStack();
    QStringList lines{ReplaceParams(GetLangString(StrTheChange), {m_editor->currentCurriculumName()})};
    // The steps since the set was loaded or saved; an undone past the save is a step too.
    const int from = steps->cleanIndex() < 0 ? 0 : std::min(steps->cleanIndex(), steps->index());
    const int to = std::max(steps->cleanIndex(), steps->index());
    for (int i = from; i < to; ++i)
        lines << QStringLiteral("– ") + steps->text(i);
    return lines.size() > 1 ? lines : QStringList();
}

bool MainWindow::store(const std::function<void(cContraints &)> &write)
{
    try {
        const BusyIndicator busy(this, ReplaceParams(GetLangString(StrSaving), {m_object.title}));
        auto constraints = ServerObjectOf<cContraints>(m_serverName);
        write(*constraints);
    } catch (ZrError &error) {
        TrapError(error);
        if (error.number == server::ErrSetChanged)
            return resolveConflict(error.description);
        QMessageBox::critical(this, GetLangString(StrSaveFailed),
                              QStringLiteral("%1\n\n(%2, %3)").arg(error.description, QString::number(error.number),
                                                                   error.source));
        return false;
    }
    // The saved rows carry their permanent ids and the expression follows them.
    loadRequirements();
    statusBar()->showMessage(ReplaceParams(GetLangString(StrSaved), {m_object.title}), 5000);
    return true;
}

bool MainWindow::resolveConflict(const QString &why)
{
    switch (AskSaveConflict(this, why, [this] { m_setFiles->chooseUnsavedExportFile(); })) {
    case ConflictChoice::Reload:
        // The user gave the edits up for the stored set.
        loadRequirements();
        return true;
    case ConflictChoice::Stay:
        statusBar()->showMessage(GetLangString(StrNotSaved), 5000);
        return false;
    case ConflictChoice::Overwrite:
        break;
    }
    return store([this](cContraints &constraints) {
        // The stored set as it is now, with its version, takes the edited rows in place of its own.
        Recordset stored = constraints.LoadObjectConstraints(m_object.kind, m_object.id);
        ReplaceEditedSets(m_set, stored, m_object.kind, m_loadedContext);
        constraints.SaveConstraints(stored);
    });
}

void MainWindow::updateTitle()
{
    QString title = GetLangString(StrWindowTitle);
    if (m_object.isValid())
        title = m_object.title + QStringLiteral("[*] - ") + title;
    setWindowTitle(title);
    setWindowModified(hasUnsavedChanges());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!confirmLeave()) {
        event->ignore();
        return;
    }
    saveWindowState();
    event->accept();
}

void MainWindow::restoreWindowState()
{
    QSettings settings;
    restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("window/state")).toByteArray());
    m_splitter->restoreState(settings.value(QStringLiteral("window/splitter")).toByteArray());
}

void MainWindow::saveWindowState() const
{
    QSettings settings;
    settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("window/state"), saveState());
    settings.setValue(QStringLiteral("window/splitter"), m_splitter->saveState());
}

void MainWindow::chooseServer()
{
    if (!confirmLeave())
        return;
    ServerDialog dialog(m_serverName, this);
    if (dialog.exec() != QDialog::Accepted || dialog.serverName() == m_serverName)
        return;
    // Everything the window holds belongs to the old database: start afresh.
    auto *window = new MainWindow(dialog.serverName());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->loadObjects();
    window->selectFirstProgramme();
    window->show();
    saveWindowState();
    m_editor->ClearAll();
    hide();
}

void MainWindow::showLog()
{
    LogViewer viewer(this);
    viewer.exec();
}

void MainWindow::showError(int number, const QString &description, const QString &source)
{
    statusBar()->showMessage(QStringLiteral("%1 (%2, %3)").arg(description, QString::number(number), source));
}

void MainWindow::setLanguage(int languageId)
{
    QSettings().setValue(QStringLiteral("language"), languageId);
    SwitchLanguage(languageId);
}

void MainWindow::showAbout()
{
    QMessageBox::about(this, GetLangString(StrAbout),
                       ReplaceParams(GetLangString(StrAboutText),
                                     {QStringLiteral(PROJECT_VERSION_TEXT), server::serverVersion()}));
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QMainWindow::changeEvent(event);
}

} // namespace zr::app
