#include "common/createserverobject.h"
#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "recordset/recordsetmodel.h"
#include "reqtypes/requirementkeys.h"
#include "itempanel/tilepanel.h"
#include "requirements/zrrequirements.h"
#include "search/frmselfromlist.h"
#include "jsonschema.h"
#include "serverfixture.h"
#include "widgetfixture.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QTreeView>
#include <QtTest>

using namespace zr;
using namespace zr::test;

// The editor's pickers on the sample database: the dialog each opens, and
// what a confirmed or cancelled choice leaves in the row.
class tst_EditorPickers : public QObject
{
    Q_OBJECT
    ServerFixture m_server;

    std::unique_ptr<zrRequirements> loadProgramme(int context, bool withSchema = false)
    {
        auto editor = std::make_unique<zrRequirements>();
        if (withSchema)
            editor->setOSchema(std::make_shared<const server::JsonSchema>());
        editor->setConstrType(context);
        editor->setAppliesTo(1);
        editor->setDepartID(QStringLiteral("105"));
        editor->setCurrentCurriculum(11);
        auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), QString());
        editor->setRsConstraints(constraints->LoadObjectConstraints(1, 1));
        return editor;
    }

private Q_SLOTS:
    void initTestCase()
    {
        StringService::instance().setLanguageId(LangGreek);
        QVERIFY(m_server.reset(QStringLiteral("sqlite")));
    }

    // A confirmed choice keeps the codes behind their names; a cancelled one changes nothing.
    void codeListPickerKeepsCodesBehindNames_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("confirmed") << true;
        QTest::newRow("cancelled") << false;
    }
    void codeListPickerKeepsCodesBehindNames()
    {
        QFETCH(bool, confirmed);
        auto editor = loadProgramme(103);
        ItemPanelModel *list = listOf(*editor);
        const QString key = QStringLiteral("I10,conselobjIDs");
        const QVariant before = list->value(key);
        QCOMPARE(list->hiddenValue(key).toString(), QStringLiteral("-1"));
        QSignalSpy changed(editor.get(), &zrRequirements::Changed);
        whenShown<frmSelFromList>(this, [confirmed](frmSelFromList *dialog) {
            for (int row = 0; row < dialog->listModel()->rowCount(); ++row)
                dialog->setChosen(row, row < 2);
            confirmed ? dialog->accept() : dialog->reject();
        });
        QVERIFY(list->clickButton(key));
        QCOMPARE(editor->isModified(), confirmed);
        QCOMPARE(changed.count() > 0, confirmed);
        if (!confirmed) {
            QCOMPARE(list->value(key), before);
            QCOMPARE(list->hiddenValue(key).toString(), QStringLiteral("-1"));
            return;
        }
        const QStringList codes = list->hiddenValue(key).toString().split(QLatin1Char(','));
        QCOMPARE(codes.size(), 2);
        QVERIFY(!codes.contains(QStringLiteral("-1")));
        QCOMPARE(list->value(key).toString().split(QLatin1Char(',')).size(), 2);
        QVERIFY(list->value(key).toString() != list->hiddenValue(key).toString());
        QVERIFY(!editor->findChild<QPlainTextEdit *>(QStringLiteral("txtInfo"))->toPlainText().isEmpty());
    }

    // Courses are shown by code and title from the server; the codes stay behind them
    // (written back as they were: tst_parametervalues).
    void courseRowsShowCodesWithTitles()
    {
        auto editor = loadProgramme(102);
        ItemPanelModel *list = listOf(*editor);
        const QString key = QStringLiteral("I5,conselobjIDs");
        QCOMPARE(list->hiddenValue(key).toString(), QStringLiteral("14,20"));
        QCOMPARE(list->valueText(key), QStringLiteral("ΜΗΥ314 Δομές Δεδομένων, ΜΗΥ420 Αλγόριθμοι και Πολυπλοκότητα"));
    }

    // A picked value is taken back with Delete or the row's Clear command.
    void pickerRowsCanBeEmptied()
    {
        auto editor = loadProgramme(103);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
        ItemPanelModel *list = listOf(*editor);
        const QString key = QStringLiteral("I14,conselobjIDs");
        QVERIFY(!list->hiddenValue(key).toString().isEmpty());
        QSignalSpy changed(editor.get(), &zrRequirements::Changed);
        list->setSelected(key, true);
        auto *view = editor->findChild<TilePanel *>(QStringLiteral("smRequirements"))->treeView();
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(list->hiddenValue(key).toString(), QString());
        QCOMPARE(list->valueText(key), QString());
        QVERIFY(editor->isModified());
        QCOMPARE(changed.count(), 1);

        list->setSelected(QStringLiteral("I10,conselobjIDs"), true);
        auto *clear = editor->findChild<QAction *>(QStringLiteral("actClearValue"));
        QVERIFY(clear && clear->isEnabled());
        QVERIFY(view->actions().contains(clear));
        clear->trigger();
        QCOMPARE(list->hiddenValue(QStringLiteral("I10,conselobjIDs")).toString(), QString());
    }

    // On a requirement's own row Delete deletes it, as the Delete command does; undo brings it back.
    void deleteKeyDeletesTheSelectedRequirement()
    {
        auto editor = loadProgramme(103);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
        ItemPanelModel *list = listOf(*editor);
        const QString requirement = GroupKey(14);
        QVERIFY(list->contains(requirement));
        list->setSelected(requirement, true);
        auto *view = editor->findChild<TilePanel *>(QStringLiteral("smRequirements"))->treeView();
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        QTest::keyClick(view, Qt::Key_Delete);
        QVERIFY(!list->contains(requirement));
        QVERIFY(editor->isModified());
    }

    // Course pickers show the course layout of the table they list, in its order.
    void coursePickersShowTheLayoutColumns()
    {
        auto editor = loadProgramme(102, true);
        QStringList shown;
        QStringList headings;
        whenShown<frmSelFromList>(this, [&](frmSelFromList *dialog) {
            QAbstractItemModel *model = dialog->listModel();
            QHeaderView *header = dialog->findChild<QTableView *>(QStringLiteral("zrSelectList1"))->horizontalHeader();
            for (int visual = 0; visual < header->count() && model->rowCount() > 0; ++visual) {
                const int logical = header->logicalIndex(visual);
                if (header->isSectionHidden(logical))
                    continue;
                shown << model->index(0, logical).data(RecordsetModel::FieldNameRole).toString();
                headings << model->headerData(logical, Qt::Horizontal).toString();
            }
            dialog->reject();
        });
        QVERIFY(listOf(*editor)->clickButton(QStringLiteral("I5,conselobjIDs")));
        QCOMPARE(shown, (QStringList{"coursecode", "title", "semID", "coursetype", "ctypeID", "dgID", "ects"}));
        // Headings are the columns' captions (course types shown by name: tst_frmselfromlist).
        QVERIFY(!headings.contains(QStringLiteral("coursecode")));
    }
};

QTEST_MAIN(tst_EditorPickers)
#include "tst_editorpickers.moc"
