#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "itempanel/tilepanel.h"
#include "mainwindow.h"
#include "requirements/zrrequirements.h"
#include "serverfixture.h"
#include "setfileactions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

using namespace zr;

// File > Export and File > Import in the host window: the menu, the unsaved
// state of an imported set, and saving it like any edit.
class tst_HostFiles : public QObject
{
    Q_OBJECT
    zr::test::ServerFixture m_fixture;
    QTemporaryDir m_dir;
    QStringList m_boxes;

    void answerBoxes(QMessageBox::StandardButton button)
    {
        QTimer::singleShot(0, this, [this, button] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            m_boxes << box->text();
            box->button(button)->click();
        });
    }

    static QStringList groups(app::MainWindow &window)
    {
        return window.editor()->findChild<TilePanel *>(QStringLiteral("smRequirements"))->model()->keys();
    }

    std::unique_ptr<app::MainWindow> openProgramme()
    {
        auto window = std::make_unique<app::MainWindow>(QString());
        window->loadObjects();
        window->selectFirstProgramme();
        return window;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("ZerithTest"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_hostfiles"));
        QSettings().clear();
        StringService::instance().setLanguageId(LangEnglish);
    }

    void init()
    {
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        m_boxes.clear();
    }

    void importedSetIsUnsavedUntilSaved()
    {
        auto window = openProgramme();
        auto *files = window->findChild<app::SetFileActions *>();
        QVERIFY(files);
        const QString path = m_dir.filePath(QStringLiteral("degree.json"));
        QVERIFY(files->exportTo(path));
        const QStringList stored = groups(*window);
        QCOMPARE(stored.size(), 7);

        QVERIFY(files->importFrom(path));
        QVERIFY(window->isWindowModified());
        QCOMPARE(groups(*window).first(), QStringLiteral("I-1"));

        // Reloading asks first; discarding brings the stored set back.
        answerBoxes(QMessageBox::Discard);
        const QList<QAction *> actions = window->menuBar()->actions().first()->menu()->actions();
        QAction *reload = nullptr;
        for (QAction *action : actions) {
            if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_R))
                reload = action;
        }
        QVERIFY(reload);
        reload->trigger();
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY(!window->isWindowModified());
        QCOMPARE(groups(*window), stored);

        // Imported again and saved: new stored rows replace the old ones.
        QVERIFY(files->importFrom(path));
        QVERIFY(window->save());
        QVERIFY(!window->isWindowModified());
        const QStringList saved = groups(*window);
        QCOMPARE(saved.size(), 7);
        for (const QString &key : saved)
            QVERIFY2(!stored.contains(key) && !key.startsWith(QLatin1String("I-")), qPrintable(key));
    }
};

QTEST_MAIN(tst_HostFiles)
#include "tst_hostfiles.moc"
