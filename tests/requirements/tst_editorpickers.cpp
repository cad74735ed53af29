#include "common/createserverobject.h"
#include "common/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "common/recordsetmodel.h"
#include "common/tilepanel.h"
#include "dialogs/coursetypetotalsdialog.h"
#include "requirements/zrrequirements.h"
#include "search/frmselfromlist.h"
#include "jsonschema.h"
#include "serverfixture.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using namespace zr;

// The editor's pickers on the sample database: the dialog each opens, and
// what a confirmed or cancelled choice leaves in the row.
class tst_EditorPickers : public QObject
{
    Q_OBJECT
    zr::test::ServerFixture m_server;

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
    static ItemPanelModel *listOf(zrRequirements &editor)
    {
        return editor.findChild<TilePanel *>(QStringLiteral("smRequirements"))->model();
    }

    // Runs `answer` on the modal dialog once it is up.
    template<typename Dialog, typename Answer>
    void whenShown(Answer answer)
    {
        QTimer::singleShot(0, this, [answer] {
            auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            answer(dialog);
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        StringService::instance().setLanguageId(LangGreek);
        QVERIFY(m_server.reset(QStringLiteral("sqlite")));
    }

    void codeListPickerKeepsCodesBehindNames()
    {
        auto editor = loadProgramme(103);
        ItemPanelModel *list = listOf(*editor);
        const QString key = QStringLiteral("I10,conselobjIDs");
        QCOMPARE(list->hiddenValue(key).toString(), QStringLiteral("-1"));
        QSignalSpy changed(editor.get(), &zrRequirements::Changed);
        whenShown<frmSelFromList>([](frmSelFromList *dialog) {
            for (int row = 0; row < dialog->listModel()->rowCount(); ++row)
                dialog->setChosen(row, row < 2);
            dialog->accept();
        });
        QVERIFY(list->clickButton(key));
        const QStringList codes = list->hiddenValue(key).toString().split(QLatin1Char(','));
        QCOMPARE(codes.size(), 2);
        QVERIFY(!codes.contains(QStringLiteral("-1")));
        QCOMPARE(list->value(key).toString().split(QLatin1Char(',')).size(), 2);
        QVERIFY(list->value(key).toString() != list->hiddenValue(key).toString());
        QVERIFY(changed.count() >= 1);
        QVERIFY(editor->isModified());
        QVERIFY(!editor->findChild<QPlainTextEdit *>(QStringLiteral("txtInfo"))->toPlainText().isEmpty());
    }

    void cancelledPickerChangesNothing()
    {
        auto editor = loadProgramme(103);
        ItemPanelModel *list = listOf(*editor);
        const QString key = QStringLiteral("I10,conselobjIDs");
        const QVariant before = list->value(key);
        QSignalSpy changed(editor.get(), &zrRequirements::Changed);
        whenShown<frmSelFromList>([](frmSelFromList *dialog) {
            dialog->setChosen(0, true);
            dialog->reject();
        });
        QVERIFY(list->clickButton(key));
        QCOMPARE(list->value(key), before);
        QCOMPARE(list->hiddenValue(key).toString(), QStringLiteral("-1"));
        QCOMPARE(changed.count(), 0);
        QVERIFY(!editor->isModified());
    }

    void totalsPickerStoresEncodedTotals()
    {
        auto editor = loadProgramme(102);
        ItemPanelModel *list = listOf(*editor);
        const QString key = QStringLiteral("I4,conoptval5");
        QCOMPARE(list->hiddenValue(key).toString(), QStringLiteral("1;20"));
        whenShown<CourseTypeTotalsDialog>([](CourseTypeTotalsDialog *dialog) { dialog->accept(); });
        QVERIFY(list->clickButton(key));
        QCOMPARE(list->hiddenValue(key).toString(), QStringLiteral("1;20"));
        QVERIFY(list->value(key).toString().contains(QStringLiteral("(20)")));
    }

    void disabledEditorOpensNoPicker()
    {
        auto editor = loadProgramme(103);
        editor->setEditingEnabled(false);
        ItemPanelModel *list = listOf(*editor);
        list->clickButton(QStringLiteral("I10,conselobjIDs"));
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!editor->isModified());
    }

    // Course pickers show the course layout of the table they list, in its order;
    // other code tables show all their columns.
    void coursePickersShowTheLayoutColumns_data()
    {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<bool>("typeNamed");

        QTest::newRow("programme courses")
            << 102 << "I5,conselobjIDs"
            << QStringList{"coursecode", "title", "semID", "coursetype", "ctypeID", "dgID", "ects"} << true;
        QTest::newRow("department courses")
            << 103 << "I10,conoptval7" << QStringList{"coursecode", "title", "semID", "ctypeID", "credits", "ects"}
            << true;
        QTest::newRow("course types: the key shows itself")
            << 103 << "I10,conselobjIDs" << QStringList{"ctypeID", "ctypedesc", "ctypeabbr"} << false;
    }

    void coursePickersShowTheLayoutColumns()
    {
        QFETCH(int, context);
        QFETCH(QString, key);
        QFETCH(QStringList, columns);
        QFETCH(bool, typeNamed);

        auto editor = loadProgramme(context, true);
        QStringList shown;
        QStringList headings;
        QString typeText;
        whenShown<frmSelFromList>([&](frmSelFromList *dialog) {
            auto *table = dialog->findChild<QTableView *>(QStringLiteral("zrSelectList1"));
            QAbstractItemModel *model = dialog->listModel();
            QHeaderView *header = table->horizontalHeader();
            for (int visual = 0; visual < header->count() && model->rowCount() > 0; ++visual) {
                const int logical = header->logicalIndex(visual);
                if (header->isSectionHidden(logical))
                    continue;
                shown << model->index(0, logical).data(RecordsetModel::FieldNameRole).toString();
                if (shown.last() == QLatin1String("ctypeID"))
                    typeText = model->index(0, logical).data().toString();
                headings << model->headerData(logical, Qt::Horizontal).toString();
            }
            dialog->reject();
        });
        QVERIFY(listOf(*editor)->clickButton(key));
        QCOMPARE(shown, columns);
        // Headings are the columns' captions, and course types show their names.
        QVERIFY(!headings.contains(QStringLiteral("coursecode")));
        QVERIFY(!headings.contains(QStringLiteral("ctypeID")));
        bool number = false;
        typeText.toInt(&number);
        QVERIFY2(!typeText.isEmpty() && number != typeNamed, qPrintable(typeText));
    }
};

QTEST_MAIN(tst_EditorPickers)
#include "tst_editorpickers.moc"
