#include "../datafile.h"
#include "common/createserverobject.h"
#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "itempanel/tilepanel.h"
#include "requirements/funcbuilder.h"
#include "reqtypes/requirementkeys.h"
#include "requirements/zrrequirements.h"
#include "serverfixture.h"
#include "widgetfixture.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>

using namespace zr;
using namespace zr::test;

// The expression command of the editor: what the wizard is given, what its
// answer changes, and a set saved with a new requirement named in it.
class tst_ExpressionWizard : public QObject
{
    Q_OBJECT
    ServerFixture m_fixture;
    Recordset m_loaded;
    QString m_offered;        // the expression the wizard opened with
    QStringList m_variables;  // caption | description of each variable offered
    QString m_message;        // text of a message box shown instead

    // Programme 1 in the degree context: curriculum 11 has a stored
    // expression over 10..16, curriculum 12 the default one over 17..19.
    std::unique_ptr<zrRequirements> loadProgramme(int curriculum, const QString &server = QString(),
                                                  int context = 103, const QString &held = QString())
    {
        auto editor = std::make_unique<zrRequirements>();
        editor->setServerName(server);
        editor->setConstrType(context);
        editor->setAppliesTo(1);
        editor->setDepartID(QStringLiteral("105"));
        editor->setCurrentCurriculum(curriculum);
        auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), server);
        m_loaded = constraints->LoadObjectConstraints(1, 1);
        if (!held.isEmpty()) {
            Recordset rows = m_loaded.chapter(u"QEMObjectConstraint").clone();
            rows.setFilter(QStringLiteral("contypeID = %1 AND secobjID = '%2'").arg(context).arg(curriculum));
            for (rows.moveFirst(); !rows.eof(); rows.moveNext())
                rows.setValue(u"coneval", held);
        }
        editor->setRsConstraints(m_loaded);
        return editor;
    }

    // Clicks the expression command; the wizard, once up, records what it was
    // given and gets `answer` typed and OK, or Cancel when `answer` is null.
    // A message box shown instead is recorded and closed.
    void runWizard(zrRequirements &editor, const QString &answer)
    {
        m_offered.clear();
        m_variables.clear();
        m_message.clear();
        QTimer::singleShot(0, this, [this, answer] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                m_message = box->text();
                box->accept();
                return;
            }
            auto *wizard = qobject_cast<zrFuncBuilder *>(modal);
            if (!wizard && modal)
                modal->close();
            QVERIFY(wizard);
            auto *text = wizard->findChild<QPlainTextEdit *>(QStringLiteral("txtExpression"));
            m_offered = text->toPlainText();
            auto *variables = wizard->findChild<QListWidget *>(QStringLiteral("lstVariables"));
            for (int i = 0; i < variables->count(); ++i)
                m_variables << variables->item(i)->text() + QLatin1Char('|') + variables->item(i)->toolTip();
            if (answer.isNull()) {
                wizard->reject();
                return;
            }
            text->setPlainText(answer);
            // A refused answer brings a message over the wizard: record it and leave, so that
            // a wrong check fails the test rather than leaving the dialogs open.
            QTimer::singleShot(0, this, [this, wizard = QPointer<zrFuncBuilder>(wizard)] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    m_message = box->text();
                    box->accept();
                }
                if (wizard && wizard->isVisible())
                    wizard->reject();
            });
            wizard->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        QVERIFY(commandsOf(editor)->clickItem(QStringLiteral("coneval")));
        QVERIFY(!QApplication::activeModalWidget());
    }

private Q_SLOTS:
    void initTestCase()
    {
        StringService::instance().setLanguageId(LangGreek);
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
    }

    void editFlow_data()
    {
        QTest::addColumn<int>("curriculum");
        QTest::addColumn<QString>("answer"); // null: Cancel
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("held");

        for (const QStringList &row : dataRows(QFINDTESTDATA("data/wizardedits.tsv"))) {
            QTest::newRow(qPrintable(row.at(0))) << row.value(1).toInt()
                                                 << (row.value(2) == u"(cancel)" ? QString() : row.value(2))
                                                 << row.value(3) << row.value(4) << (row.value(5) == u"1") << row.value(6);
        }
    }

    void editFlow()
    {
        QFETCH(int, curriculum);
        QFETCH(QString, answer);
        QFETCH(QString, offered);
        QFETCH(QString, stored);
        QFETCH(bool, changed);
        QFETCH(QString, held);

        auto editor = loadProgramme(curriculum, QString(), 103, held);
        auto *shown = editor->findChild<QPlainTextEdit *>(QStringLiteral("txtEval"));
        const QString shownBefore = shown->toPlainText();
        QSignalSpy changes(editor.get(), &zrRequirements::Changed);
        runWizard(*editor, answer);
        QVERIFY2(m_message.isEmpty(), qPrintable(m_message));
        QCOMPARE(m_offered, offered);
        QCOMPARE(editor->expression(), stored);
        QCOMPARE(editor->isModified(), changed);
        QCOMPARE(changes.count(), changed ? 1 : 0);
        if (!changed)
            QCOMPARE(shown->toPlainText(), shownBefore);
        else if (!stored.isEmpty())
            QVERIFY2(shown->toPlainText().startsWith(QLatin1Char('[')) && !shown->toPlainText().contains(u'%'),
                     qPrintable(shown->toPlainText()));
        if (changed) {
            // One undo step: undone, the expression shown before and nothing to save; redone, the edit.
            editor->undoStack()->undo();
            QCOMPARE(shown->toPlainText(), shownBefore);
            QVERIFY(!editor->isModified());
            editor->undoStack()->redo();
            QCOMPARE(editor->expression(), stored);
            QVERIFY(editor->isModified());
        }
    }

    void variablesNameEachRequirementAndTheNewOnes()
    {
        auto editor = loadProgramme(12);
        QVERIFY(commandsOf(*editor)->clickItem(QStringLiteral("70")));
        QVERIFY(listOf(*editor)->editValue(ParamKey(17, QStringLiteral("conoptval1")), QStringLiteral("280")));
        runWizard(*editor, QString());
        QCOMPARE(m_variables.size(), 4);
        QVERIFY2(m_variables.at(0).startsWith(QLatin1String("(17) ")), qPrintable(m_variables.at(0)));
        // Edited, not saved: its saved description, then what its sheet shows now.
        const QString edited = m_variables.at(0).section(GetLangString(20779), 1);
        QVERIFY2(edited.contains(QLatin1String(": 280")), qPrintable(m_variables.at(0)));
        QVERIFY2(!m_variables.at(1).contains(GetLangString(20779)), qPrintable(m_variables.at(1)));
        QVERIFY(!m_variables.at(1).endsWith(QLatin1Char('|')));
        QVERIFY2(m_variables.at(3).startsWith(QLatin1String("(-1) ")), qPrintable(m_variables.at(3)));
        // A new requirement is not described by the server yet: its sheet's values say what it is.
        QVERIFY2(m_variables.at(3).contains(QLatin1Char('|') + GetLangString(20766) + QLatin1Char('\n')),
                 qPrintable(m_variables.at(3)));
        QCOMPARE(m_offered, QStringLiteral("[%17] AND [%18] AND [%19] AND [%-1]"));
    }

    void refusedBeforeTheWizardOpens_data() { zr::test::addDataRows(QFINDTESTDATA("data/wizardrefusals.tsv")); }

    void refusedBeforeTheWizardOpens()
    {
        QFETCH(int, context);
        QFETCH(int, deleteId);
        QFETCH(int, message);
        auto editor = loadProgramme(11, QString(), context);
        if (deleteId) {
            // Deleted by the host, past the editor: its token is still in the expression.
            Recordset rows = editor->rsConstraints();
            QVERIFY(rows.find(QStringLiteral("ocID = ") + QString::number(deleteId), 0, Recordset::SearchForward,
                              Recordset::StartFirst));
            rows.deleteCurrent();
            listOf(*editor)->removeItem(GroupKey(deleteId));
        }
        const QString before = editor->expression();
        runWizard(*editor, QStringLiteral("[%10]"));
        QVERIFY(m_offered.isEmpty());
        QVERIFY2(m_message.contains(GetLangString(message).remove(QStringLiteral("%1 : ")).left(20)), qPrintable(m_message));
        QCOMPARE(editor->expression(), before);
    }

    void savedSetKeepsTheExpressionOverNewIds_data()
    {
        zr::test::ServerFixture::addBackendColumn();
        zr::test::ServerFixture::newRows();
    }

    void savedSetKeepsTheExpressionOverNewIds()
    {
        ZR_BACKEND_ROW();
        auto editor = loadProgramme(12, server);
        QVERIFY(commandsOf(*editor)->clickItem(QStringLiteral("70")));
        QVERIFY(listOf(*editor)->editValue(ParamKey(-1, QStringLiteral("conoptval1")), QStringLiteral("3")));
        runWizard(*editor, QStringLiteral("[%17] AND [%18] AND ([%19] OR [%-1])"));
        editor->UpdateRecordset();
        auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), server);
        constraints->SaveConstraints(m_loaded);

        Recordset rows = constraints->LoadObjectConstraints(1, 1).chapter(u"QEMObjectConstraint");
        rows.setFilter(QStringLiteral("contypeID=103 AND secobjID='12'"));
        QCOMPARE(rows.recordCount(), 4);
        QList<int> ids;
        for (rows.moveFirst(); !rows.eof(); rows.moveNext())
            ids << rows.value(u"ocID").toInt();
        const int newId = ids.last();
        QVERIFY(newId > 45);
        rows.moveLast();
        QCOMPARE(rows.value(u"conoptval1").toString(), QStringLiteral("3"));
        const QString expected = QStringLiteral("[%17] AND [%18] AND ([%19] OR [%%1])").arg(newId);
        for (rows.moveFirst(); !rows.eof(); rows.moveNext())
            QCOMPARE(rows.value(u"coneval").toString(), expected);
    }
};

QTEST_MAIN(tst_ExpressionWizard)
#include "tst_expressionwizard.moc"
