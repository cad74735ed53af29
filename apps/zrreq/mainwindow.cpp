#include "mainwindow.h"

#include "common/langstrings.h"
#include "common/languageswitch.h"
#include "serverinfo.h"

#include <QActionGroup>
#include <QEvent>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>

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
    StrWelcome = 60008,
};
} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("zrreqMainWindow"));
    m_welcome = new QLabel(this);
    m_welcome->setObjectName(QStringLiteral("welcome"));
    m_welcome->setAlignment(Qt::AlignCenter);
    m_welcome->setWordWrap(true);
    setCentralWidget(m_welcome);
    buildMenus();
    retranslate();
    resize(1000, 700);
}

void MainWindow::buildMenus()
{
    m_fileMenu = menuBar()->addMenu(QString());
    m_quitAction = m_fileMenu->addAction(QString(), QKeySequence::Quit, qApp, &QApplication::quit);

    m_languageMenu = menuBar()->addMenu(QString());
    auto *group = new QActionGroup(this);
    m_greekAction = m_languageMenu->addAction(QStringLiteral("Ελληνικά"));
    m_englishAction = m_languageMenu->addAction(QStringLiteral("English"));
    for (QAction *action : {m_greekAction, m_englishAction}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    const bool english = CurrentLanguage() == LangEnglish;
    (english ? m_englishAction : m_greekAction)->setChecked(true);
    connect(m_greekAction, &QAction::triggered, this, [this] { setLanguage(LangGreek); });
    connect(m_englishAction, &QAction::triggered, this, [this] { setLanguage(LangEnglish); });

    m_helpMenu = menuBar()->addMenu(QString());
    m_aboutAction = m_helpMenu->addAction(QString(), this, &MainWindow::showAbout);
}

void MainWindow::retranslate()
{
    setWindowTitle(GetLangString(StrWindowTitle));
    m_fileMenu->setTitle(GetLangString(StrFile));
    m_quitAction->setText(GetLangString(StrQuit));
    m_languageMenu->setTitle(GetLangString(StrLanguage));
    m_helpMenu->setTitle(GetLangString(StrHelp));
    m_aboutAction->setText(GetLangString(StrAbout));
    m_welcome->setText(GetLangString(StrWelcome));
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
