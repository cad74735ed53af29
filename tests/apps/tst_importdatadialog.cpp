#include "common/langstrings.h"
#include "common/languageswitch.h"
#include "common/standardtexts.h"
#include "database.h"
#include "hostfixture.h"
#include "importdatadialog.h"
#include "mainwindow.h"
#include "serverfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace zr;

namespace {
const QString Departments = QStringLiteral("departments.csv"),
              Courses = QStringLiteral("courses.csv");
const QString NewDepartment = QStringLiteral("code,name\nD9,Τμήμα Δοκιμών\n");
const QString TwoCourses =
    QStringLiteral("department,code,title,ects\nD9,Τ1,Άλγεβρα,5\nD9,Τ2,Ανάλυση,%1\n");
} // namespace

// File > Import data on the sample database: what Import allows, what it writes, and the host
// window that follows it.
class tst_ImportDataDialog : public QObject
{
    Q_OBJECT
    test::ServerFixture m_fixture;
    QTemporaryDir m_dir;
    QStringList m_boxes;

    // Files as name-text pairs written to the suite's folder; "@missing" stands for a file that is
    // not there.
    QStringList writeFiles(const QStringList &files)
    {
        QStringList paths;
        for (qsizetype i = 0; i + 1 < files.size(); i += 2) {
            const QString path = m_dir.filePath(files.at(i));
            const QString text = files.at(i + 1);
            QFile file(path);
            if (text != QLatin1String("@missing") &&
                !(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8())))
                return {};
            paths << path;
        }
        return paths;
    }

    static QStringList stored(const QString &table)
    {
        return test::ServerFixture::tableRows(*server::Database::open(QString()), table);
    }

    static QPushButton *importButton(const QWidget &dialog)
    {
        return dialog.findChild<QPushButton *>(QStringLiteral("importButton"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        test::useOwnSettings(QStringLiteral("tst_importdatadialog"));
        InstallStandardTexts(); // as the application does
    }

    void init()
    {
        StringService::instance().setLanguageId(LangEnglish);
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        m_boxes.clear();
    }

    // Import, and Enter with it, waits until the files are read and their refusals mended or left
    // out (and, after a write, until something would change); each refusal names its file, line
    // and column.
    void importFollowsThePlan_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("skipBad");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("importable");
        QTest::addColumn<QString>("refusal");
        const QStringList refused{Departments, NewDepartment, Courses,
                                  TwoCourses.arg(QStringLiteral("five"))};
        const QString line3 = QStringLiteral("courses.csv, line 3, column 4: ");
        QTest::newRow("a refused row") << refused << false << LangEnglish << false << line3;
        QTest::newRow("the refused row left out")
            << refused << true << LangEnglish << true << line3;
        QTest::newRow("reworded when the language changes")
            << refused << false << LangGreek << false
            << QStringLiteral("courses.csv, γραμμή 3, στήλη 4: ");
        QTest::newRow("a file that does not open")
            << QStringList{Departments, NewDepartment, QStringLiteral("missing.csv"),
                           QStringLiteral("@missing")}
            << true << LangEnglish << false << QStringLiteral("missing.csv: ");
    }

    void importFollowsThePlan()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, skipBad);
        QFETCH(int, language);
        QFETCH(bool, importable);
        QFETCH(QString, refusal);
        const QStringList paths = writeFiles(files);
        const QStringList before = stored(QStringLiteral("QEMDepartments"));
        app::ImportDataDialog dialog{QString()};
        dialog.show();
        dialog.addFiles(paths);
        dialog.findChild<QCheckBox *>(QStringLiteral("importSkipBad"))->setChecked(skipBad);
        SwitchLanguage(language);
        const QString refusals =
            dialog.findChild<QPlainTextEdit *>(QStringLiteral("importRefusals"))->toPlainText();
        QVERIFY2(refusal.isEmpty() ? refusals.isEmpty() : refusals.contains(refusal),
                 qPrintable(refusals));
        QCOMPARE(importButton(dialog)->isEnabled(), importable);
        QTest::keyClick(dialog.findChild<QWidget *>(QStringLiteral("importFiles")), Qt::Key_Return);
        QCOMPARE(stored(QStringLiteral("QEMDepartments")) != before, importable);
    }

    // Import writes every row or none: a Cancel in the progress window, before any row or after
    // some, and a failure of the database leave it as it was; the files stay for another try.
    void importWritesAllOrNothing_data()
    {
        QTest::addColumn<QString>("interruption");
        QTest::addColumn<int>("status");
        QTest::newRow("written") << QString() << 65122;
        QTest::newRow("cancelled before the first row") << QStringLiteral("cancel") << 65120;
        QTest::newRow("cancelled after rows were written")
            << QStringLiteral("cancel midway") << 65120;
        QTest::newRow("a department stored meanwhile") << QStringLiteral("conflict") << 65121;
    }

    void importWritesAllOrNothing()
    {
        QFETCH(QString, interruption);
        QFETCH(int, status);
        const bool written = interruption.isEmpty();
        const QStringList paths =
            writeFiles({Departments, NewDepartment, Courses, TwoCourses.arg(6)});
        const QStringList before = stored(QStringLiteral("QEMCourses"));
        app::ImportDataDialog dialog{QString()};
        dialog.addFiles(paths);
        QSignalSpy imported(&dialog, &app::ImportDataDialog::imported);
        connect(&dialog, &app::ImportDataDialog::writing, this, [&](qint64 done, qint64 total) {
            // The last is told once it is written.
            if ((done > 0) != interruption.endsWith(QLatin1String("midway")) || done == total)
                return;
            if (interruption.startsWith(QLatin1String("cancel")))
                dialog.findChild<QProgressDialog *>()->findChild<QPushButton *>()->click();
            else if (!written)
                QVERIFY(test::ServerFixture::execOnFile(
                    m_fixture.databaseFile(),
                    QStringLiteral(
                        "INSERT INTO QEMDepartments (depID, depname) VALUES ('D9', 'X')")));
        });
        test::answerNextBox(this, &m_boxes);
        importButton(dialog)->click();

        QCOMPARE(stored(QStringLiteral("QEMCourses")).size() - before.size(), written ? 2 : 0);
        QCOMPARE(imported.size(), written ? 1 : 0);
        QCOMPARE(m_boxes.size(), interruption == QLatin1String("conflict") ? 1 : 0);
        const QString shown = dialog.findChild<QLabel *>(QStringLiteral("importStatus"))->text();
        QVERIFY2(shown.startsWith(GetLangString(status).section(u'%', 0, 0)), qPrintable(shown));
        QCOMPARE(dialog.files(), paths);
        QCOMPARE(importButton(dialog)->isEnabled(), !written);
    }

    // File > Import data opens the window over the host's database and asks for the files;
    // once they are written, the host's tree shows the new department.
    void menuOpensItAndTheTreeFollows()
    {
        app::MainWindow window{QString()};
        window.loadObjects();
        window.selectFirstProgramme();
        auto *tree = window.findChild<QTreeWidget *>(QStringLiteral("objectTree"));
        const auto inTree = [tree] {
            return tree->findItems(QStringLiteral("Τμήμα Δοκιμών"), Qt::MatchRecursive).size();
        };
        QCOMPARE(inTree(), 0);
        const QStringList paths = writeFiles({Departments, NewDepartment});
        QTimer::singleShot(0, this, [&paths] {
            auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(files);
            files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(paths.first());
            QMetaObject::invokeMethod(files, "accept");
        });
        auto *action = window.findChild<QAction *>(QStringLiteral("importDataAction"));
        QVERIFY(action && window.menuBar()->actions().first()->menu()->actions().contains(action));
        action->trigger();

        auto *dialog = window.findChild<app::ImportDataDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->files(), paths);
        const QString programme = tree->currentItem()->text(0);
        importButton(*dialog)->click();
        QCOMPARE(inTree(), 1);
        QCOMPARE(tree->currentItem()->text(0), programme);
    }
};

QTEST_MAIN(tst_ImportDataDialog)
#include "tst_importdatadialog.moc"
