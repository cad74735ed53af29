#include "mainwindow.h"
#include "studentsearch.h"

#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/languageswitch.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "reqtypes/typecatalog.h"
#include "requirements/zrrequirements.h"
#include "jsonschema.h"
#include "serverinfo.h"

#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace zr::app {

namespace {
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
};

const QString ServerLibrary = QStringLiteral("zrQEMSvr");
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
    m_objectTitle = new QLabel(this);
    m_objectTitle->setObjectName(QStringLiteral("objectTitle"));
    QFont titleFont = m_objectTitle->font();
    titleFont.setBold(true);
    m_objectTitle->setFont(titleFont);

    m_editor = new zrRequirements(this);
    auto *right = new QWidget(this);
    auto *bar = new QHBoxLayout;
    bar->addWidget(m_objectTitle, 1);
    bar->addWidget(m_contextLabel);
    bar->addWidget(m_context);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->addLayout(bar);
    rightLayout->addWidget(m_editor, 1);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_tree);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({300, 900});
    setCentralWidget(splitter);

    connect(m_tree, &ObjectTree::objectChosen, this, [this](const ObjectRef &object) {
        m_object = object;
        loadRequirements();
    });
    connect(m_context, QOverload<int>::of(&QComboBox::activated), this, [this] { loadRequirements(); });
    connect(m_editor, &zrRequirements::ErrorOccurred, this, &MainWindow::showError);

    buildMenus();
    retranslate();
    resize(1280, 800);
}

void MainWindow::buildMenus()
{
    m_fileMenu = menuBar()->addMenu(QString());
    m_reloadAction = m_fileMenu->addAction(QString(), QKeySequence(Qt::CTRL | Qt::Key_R), this,
                                           &MainWindow::loadRequirements);
    m_fileMenu->addSeparator();
    new StudentSearch(m_fileMenu, m_serverName, this);
    m_fileMenu->addSeparator();
    m_quitAction = m_fileMenu->addAction(QString(), QKeySequence::Quit, qApp, &QApplication::quit);

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

    m_helpMenu = menuBar()->addMenu(QString());
    m_aboutAction = m_helpMenu->addAction(QString(), this, &MainWindow::showAbout);
}

void MainWindow::retranslate()
{
    setWindowTitle(GetLangString(StrWindowTitle));
    m_fileMenu->setTitle(GetLangString(StrFile));
    m_reloadAction->setText(GetLangString(StrReload));
    m_quitAction->setText(GetLangString(StrQuit));
    m_languageMenu->setTitle(GetLangString(StrLanguage));
    m_helpMenu->setTitle(GetLangString(StrHelp));
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
}

void MainWindow::loadObjects()
{
    try {
        m_tree->load(m_serverName);
    } catch (const ZrError &error) {
        RecordError(error.number, error.source, error.description, true);
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
    try {
        auto constraints = CreateServerObjectAs<cContraints>(ServerLibrary, m_serverName);
        if (!constraints)
            throw ZrError(429, QStringLiteral("RemoteObject"), GetLangString(20577));
        const Recordset set = constraints->LoadObjectConstraints(m_object.kind, m_object.id);
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
        // A programme's few requirements read best open; large sets start folded.
        if (!m_editor->rsConstraints().isNull() && m_editor->rsConstraints().recordCount() <= 40)
            m_editor->ExpandAll();
        m_objectTitle->setText(m_object.title);
        statusBar()->showMessage(ReplaceParams(GetLangString(StrLoaded), {m_object.title}), 5000);
    } catch (const ZrError &error) {
        RecordError(error.number, error.source, error.description, true);
        showError(error.number, error.description, error.source);
    }
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
