#include "serverfixture.h"
#include "setfileactions.h"

#include "common/createserverobject.h"
#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "itempanel/tilepanel.h"
#include "requirements/requirementfile.h"
#include "requirements/requirementset.h"
#include "requirements/zrrequirements.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>

using namespace zr;

namespace {

ItemPanelModel *listOf(zrRequirements &editor)
{
    return editor.findChild<TilePanel *>(QStringLiteral("smRequirements"))->model();
}

// Closes the next message box once it is shown and keeps its text.
class MessageCatcher
{
public:
    MessageCatcher()
    {
        QTimer::singleShot(0, [this] { poll(); });
    }
    QString text;

private:
    void poll()
    {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            text = box->text();
            box->reject();
            return;
        }
        if (++m_tries < 200)
            QTimer::singleShot(10, [this] { poll(); });
    }
    int m_tries = 0;
};

} // namespace

class TestSetFileActions : public QObject
{
    Q_OBJECT

private:
    zr::test::ServerFixture m_fixture;
    QTemporaryDir m_dir;
    Recordset m_set;
    std::unique_ptr<QMainWindow> m_window;
    zrRequirements *m_editor = nullptr;
    app::SetFileActions *m_actions = nullptr;

    // The host's part: programme 1's degree requirements of curriculum 11 in the editor.
    void load()
    {
        auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), QString());
        m_set = constraints->LoadObjectConstraints(1, 1);
        m_editor->setConstrType(103);
        m_editor->setAppliesTo(1);
        m_editor->setCurrentCurriculum(11);
        m_editor->setRsConstraints(m_set);
        m_actions->forgetImport();
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { InitLanguage(LangEnglish); }

    void init()
    {
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        m_window = std::make_unique<QMainWindow>();
        m_editor = new zrRequirements(m_window.get());
        m_window->setCentralWidget(m_editor);
        m_actions = new app::SetFileActions(m_window.get(), m_editor, [this] { return m_set; });
        m_window->show();
        load();
    }

    void cleanup()
    {
        m_window.reset();
        m_set = Recordset();
    }

    void exportWritesTheSetOnScreen()
    {
        QVERIFY(m_actions->exportTo(path(QStringLiteral("degree.json"))));
        const RequirementFile file = ReadRequirementFile(path(QStringLiteral("degree.json")));
        QCOMPARE(file.objectKind, 1);
        QCOMPARE(file.context, 103);
        QCOMPARE(file.curriculumId(), 11);
        QCOMPARE(file.rows.recordCount(), 7);
        QCOMPARE(m_actions->exportAction()->objectName(), QStringLiteral("exportAction"));
    }

    void importShowsTheFileAsUnsavedChangesThatSave()
    {
        // Curriculum 11's set, imported into curriculum 13.
        QVERIFY(m_actions->exportTo(path(QStringLiteral("degree.json"))));
        m_editor->setCurrentCurriculum(13);
        load();
        QSignalSpy imported(m_actions, &app::SetFileActions::imported);
        QVERIFY(m_actions->importFrom(path(QStringLiteral("degree.json"))));
        QCOMPARE(imported.count(), 1);
        QVERIFY(m_actions->hasImport());
        QCOMPARE(listOf(*m_editor)->keys(), (QStringList{"I-1", "I-2", "I-3", "I-4", "I-5", "I-6", "I-7"}));
        QCOMPARE(m_editor->expression(),
                 QStringLiteral("[%-1] AND [%-2] AND [%-3] AND ([%-4] OR [%-5]) AND [%-6] AND [%-7]"));

        // A requirement added afterwards does not take an imported row's id.
        auto *commands = m_editor->findChild<TilePanel *>(QStringLiteral("smButtons"))->model();
        QVERIFY(commands->clickItem(QStringLiteral("40")));
        QCOMPARE(listOf(*m_editor)->keys().size(), 8);
        QVERIFY(listOf(*m_editor)->contains(QStringLiteral("I-8")));
    }

    void importedSetSavesAsTheHostSaves()
    {
        QVERIFY(m_actions->exportTo(path(QStringLiteral("degree.json"))));
        m_editor->setCurrentCurriculum(13);
        load();
        QVERIFY(m_actions->importFrom(path(QStringLiteral("degree.json"))));
        m_editor->UpdateRecordset();
        auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), QString());
        constraints->SaveConstraints(m_set);
        load();
        QCOMPARE(listOf(*m_editor)->keys().size(), 7);
        QVERIFY(!m_editor->expression().contains(QLatin1Char('-')));
    }

    void refusesWhileChangesAreUnsaved()
    {
        QVERIFY(m_actions->exportTo(path(QStringLiteral("degree.json"))));
        QVERIFY(m_actions->importFrom(path(QStringLiteral("degree.json"))));
        {
            MessageCatcher catcher;
            QVERIFY(!m_actions->exportTo(path(QStringLiteral("again.json"))));
            QCOMPARE(catcher.text, GetLangString(60227));
        }
        {
            MessageCatcher catcher;
            QVERIFY(!m_actions->importFrom(path(QStringLiteral("degree.json"))));
            QCOMPARE(catcher.text, GetLangString(60227));
        }
        QVERIFY(!QFile::exists(path(QStringLiteral("again.json"))));
    }

    void badFilesLeaveTheSetAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("invalid JSON") << QByteArray("{\"format\":") << QStringLiteral("not valid JSON");
        QTest::newRow("wrong type") << QByteArray("{\"format\": \"zrreq-requirements/1\", \"AppliesTo\": 1, "
                                                  "\"ConstrType\": 103, \"rows\": [{\"ocID\": 1, \"conID\": \"40\"}]}")
                                    << QStringLiteral("rows[0].conID");
        QTest::newRow("unknown context") << QByteArray("{\"format\": \"zrreq-requirements/1\", \"AppliesTo\": 1, "
                                                       "\"ConstrType\": 120, \"rows\": []}")
                                         << QStringLiteral("120");
        QTest::newRow("missing file") << QByteArray() << QStringLiteral("cannot be read");
    }

    void badFilesLeaveTheSetAlone()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString file = path(QStringLiteral("bad.json"));
        QFile::remove(file);
        if (!content.isEmpty()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const QStringList before = listOf(*m_editor)->keys();
        MessageCatcher catcher;
        QVERIFY(!m_actions->importFrom(file));
        QVERIFY2(catcher.text.contains(message), qPrintable(catcher.text));
        QVERIFY(!m_actions->hasImport());
        QCOMPARE(listOf(*m_editor)->keys(), before);
        QVERIFY(!m_set.chapter(RequirementSet::chapterName()).hasPendingChanges());
    }

    // Export suggests a name that says what the file holds, and a name
    // typed without it still gets ".json".
    void exportSuggestsANameAndAddsTheSuffix()
    {
        const QString name = app::SetFileActions::suggestedFileName(m_set, 103, 11);
        QVERIFY2(name.endsWith(QLatin1String("-103-11.json")), qPrintable(name));
        QVERIFY2(name.size() > int(qstrlen("-103-11.json")) + 5, qPrintable(name));
        for (const QChar refused : QStringLiteral("/\\:*?\"<>|"))
            QVERIFY2(!name.contains(refused), qPrintable(name));
        QCOMPARE(app::SetFileActions::suggestedFileName(Recordset(), 101, 0), QStringLiteral("requirements-101.json"));
        QCOMPARE(app::SetFileActions::withJsonSuffix(path(QStringLiteral("degree"))), path(QStringLiteral("degree.json")));
        QCOMPARE(app::SetFileActions::withJsonSuffix(path(QStringLiteral("degree.JSON"))), path(QStringLiteral("degree.JSON")));
        QCOMPARE(app::SetFileActions::withJsonSuffix(path(QStringLiteral("v1.2"))), path(QStringLiteral("v1.2.json")));
    }

    // Unsaved edits are settled before a file is chosen: a user who stays
    // with them sees no file dialog.
    void importAsksAboutUnsavedChangesFirst()
    {
        QVERIFY(listOf(*m_editor)->editValue(QStringLiteral("I10,conoptval1"), QStringLiteral("290")));
        int asked = 0;
        m_actions->setLeaveCheck([&asked] {
            ++asked;
            return false;
        });
        QString opened;
        QTimer::singleShot(200, [&opened] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                opened = QString::fromLatin1(modal->metaObject()->className());
                modal->close();
            }
        });
        m_actions->importAction()->trigger();
        QTest::qWait(300);
        QCOMPARE(asked, 1);
        QCOMPARE(opened, QString());
        QVERIFY(m_editor->isModified());
    }
};

QTEST_MAIN(TestSetFileActions)
#include "tst_setfileactions.moc"
