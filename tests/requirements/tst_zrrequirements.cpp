#include "../datafile.h"
#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/languageswitch.h"
#include "itempanel/tilepanel.h"
#include "common/zrerror.h"
#include "requirementfixture.h"
#include "widgetfixture.h"
#include "recordset/lookupcache.h"
#include "reqtypes/requirementkeys.h"
#include "reqtypes/requirementvalue.h"
#include "requirements/requirementseditor.h"
#include "requirements/zrrequirements.h"

#include <QComboBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QUndoStack>
#include <QtTest>

using namespace zr;
using namespace zr::test;

Q_DECLARE_METATYPE(QList<int>)

class tst_zrRequirements : public QObject
{
    Q_OBJECT

    // Programme 7 with curricula 1 and 2 in the degree context, and a context-101 row.
    static QList<Row> rows()
    {
        return {
            {11, 103, 1, 7, QStringLiteral("1"), 30, {{QStringLiteral("coneval"), QStringLiteral("[%11] OR [%14]")}}},
            {12, 103, 1, 7, QStringLiteral("2"), 40, {{QStringLiteral("coneval"), QStringLiteral("[%12]")}}},
            {13, 101, 1, 7, QVariant(), 10},
            {14, 103, 1, 7, QStringLiteral("1"), 80, {{QStringLiteral("coneval"), QStringLiteral("[%11] OR [%14]")}}},
        };
    }

    // A control whose code tables come from memory, with the given curricula.
    std::unique_ptr<zrRequirements> makeControl(int kind, int context, const QList<int> &curriculumIds = {1, 2})
    {
        auto control = std::make_unique<zrRequirements>();
        m_fetched.clear();
        control->lookups().setFetcher([this, curriculumIds](const QString &table, const QString &filter) {
            m_fetched << table + QLatin1Char('|') + filter;
            return table == QLatin1String("QEMDPOrientation") ? curriculaOf(curriculumIds) : Recordset();
        });
        control->setConstrType(context);
        control->setAppliesTo(kind);
        return control;
    }

    static QStringList groupKeys(zrRequirements &control) { return listOf(control)->keys(); }

    // What the user sees of the set: the curriculum chosen, the expression, and every value shown.
    static QStringList shown(zrRequirements &control)
    {
        QStringList lines{control.findChild<QComboBox *>(QStringLiteral("cbOrient"))->currentData().toString(),
                          control.findChild<QPlainTextEdit *>(QStringLiteral("txtEval"))->toPlainText()};
        for (const RequirementValue &value : control.shownValues()) {
            QString line = listOf(control)->caption(GroupKey(value.ocID));
            for (const ParameterValue &parameter : value.parameters)
                line += QLatin1Char(' ') + parameter.field + QLatin1Char('=') + parameter.stored.toString();
            lines << line;
        }
        return lines;
    }

    QStringList m_fetched;

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    // The load shows the first curriculum's set; the host hears of every change once, by its own signal.
    void loadAndCurriculumSwitchTellTheHost()
    {
        auto control = makeControl(1, 101);
        QSignalSpy context(control.get(), &zrRequirements::ConstrTypeChanged);
        QSignalSpy kind(control.get(), &zrRequirements::AppliesToChanged);
        QSignalSpy curriculum(control.get(), &zrRequirements::currentCurriculumChanged);
        QSignalSpy modified(control.get(), &zrRequirements::modifiedChanged);
        QVERIFY(control->setProperty("ConstrType", 103));
        control->setConstrType(103);
        control->setAppliesTo(1);
        QCOMPARE(context.count(), 1);
        QCOMPARE(kind.count(), 0);
        control->setRsConstraints(hierarchicalSet(rows()));
        QCOMPARE(groupKeys(*control), (QStringList{"I11", "I14"}));
        QCOMPARE(m_fetched, QStringList{"QEMDPOrientation|prID=7"});
        QCOMPARE(listOf(*control)->caption(QStringLiteral("I11")), QStringLiteral("Προαπαιτούμενο μάθημα"));
        QCOMPARE(control->findChild<QPlainTextEdit *>(QStringLiteral("txtEval"))->toPlainText(),
                 QStringLiteral("[Προαπαιτούμενο μάθημα] OR [Μέσος όρος βαθμολογίας ανά εξάμηνα μαθημάτων]"));

        auto *chooser = control->findChild<QComboBox *>(QStringLiteral("cbOrient"));
        chooser->setCurrentIndex(1);
        Q_EMIT chooser->activated(1);
        Q_EMIT chooser->activated(1); // the curriculum already shown changes nothing
        QCOMPARE(curriculum.count(), 2);
        QCOMPARE(control->property("currentCurriculum").toInt(), 2);
        QCOMPARE(groupKeys(*control), QStringList{"I12"});
        QCOMPARE(control->expression(), QStringLiteral("[%12]"));
        QCOMPARE(modified.count(), 0);

        QVERIFY(commandsOf(*control)->clickItem(QStringLiteral("30")));
        QVERIFY(commandsOf(*control)->clickItem(QStringLiteral("40")));
        QCOMPARE(modified.count(), 1);
        QCOMPARE(control->property("isModified").toBool(), true);
        // Reloading keeps curriculum 2, and the code table is not fetched again.
        control->setRsConstraints(hierarchicalSet(rows()));
        QCOMPARE(modified.count(), 2);
        QCOMPARE(control->property("isModified").toBool(), false);
        QCOMPARE(groupKeys(*control), QStringList{"I12"});
        QCOMPARE(m_fetched.size(), 1);
    }

    void commandsAddAndDelete()
    {
        auto control = makeControl(1, 101);
        control->setRsConstraints(hierarchicalSet(rows()));
        QSignalSpy changed(control.get(), &zrRequirements::Changed);
        ItemPanelModel *commands = commandsOf(*control);
        auto *info = control->findChild<QPlainTextEdit *>(QStringLiteral("txtInfo"));
        QVERIFY(commands->clickItem(QStringLiteral("30")));
        QVERIFY(commands->clickItem(QStringLiteral("40")));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(groupKeys(*control), (QStringList{"I13", "I-1", "I-2"}));
        QCOMPARE(listOf(*control)->caption(QStringLiteral("I-2")), QStringLiteral("(N2) Τύπος μαθήματος"));
        QCOMPARE(info->toPlainText(), GetLangString(20018));
        QCOMPARE(control->findChild<QPlainTextEdit *>(QStringLiteral("txtEval"))->toPlainText(),
                 QStringLiteral("[(13) Στοιχεία Φοιτητή] AND [(N1) Προαπαιτούμενο μάθημα] AND [(N2) Τύπος μαθήματος]"));
        // With every requirement deleted there is nothing left to delete or describe.
        for (const QString &key : groupKeys(*control)) {
            listOf(*control)->setSelected(key, true);
            QVERIFY(commands->clickItem(QStringLiteral("delete")));
        }
        QVERIFY(groupKeys(*control).isEmpty());
        QVERIFY(!commands->isItemEnabled(QStringLiteral("delete")));
        QVERIFY(info->toPlainText().isEmpty());
    }

    // Selecting a requirement makes its row current; checking and writing walk every row, and
    // delete still takes the one selected.
    void deleteTakesTheSelectedRequirement_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("between");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("after UpdateRecordset") << "I22" << "update" << QStringList{"I21", "I23"};
        QTest::newRow("a parameter row selected") << "I21,conoptval1" << "update" << QStringList{"I22", "I23"};
        QTest::newRow("selection gone with a curriculum switch") << "I21" << "switch" << QStringList{"I21", "I22", "I23"};
    }
    void deleteTakesTheSelectedRequirement()
    {
        QFETCH(QString, selected);
        QFETCH(QString, between);
        QFETCH(QStringList, left);
        QList<Row> valid;
        const QVariantMap atLeastFive{{QStringLiteral("conoperator"), 8}, {QStringLiteral("conoptval1"), QStringLiteral("5")}};
        for (int ocID : {21, 22, 23})
            valid << Row{ocID, 103, 1, 7, QStringLiteral("1"), 70, atLeastFive};
        valid << Row{24, 103, 1, 7, QStringLiteral("2"), 70, atLeastFive};
        auto control = makeControl(1, 103);
        control->setRsConstraints(hierarchicalSet(valid));
        listOf(*control)->setSelected(selected, true);
        QCOMPARE(control->rsConstraints().value(u"ocID").toInt(), OcIdFromKey(selected)); // the host's current row
        if (between == QLatin1String("update"))
            control->UpdateRecordset();
        if (between == QLatin1String("switch")) {
            // A curriculum shown anew has nothing selected.
            auto *chooser = control->findChild<QComboBox *>(QStringLiteral("cbOrient"));
            for (int index : {1, 0}) {
                chooser->setCurrentIndex(index);
                Q_EMIT chooser->activated(index);
            }
        }
        commandsOf(*control)->clickItem(QStringLiteral("delete"));
        QCOMPARE(groupKeys(*control), left);
        QList<int> rows;
        for (const QString &key : left)
            rows << OcIdFromKey(key);
        QCOMPARE(ocIds(control->rsConstraints()), rows);
    }

    // Every kind of edit is one step: undone, the set shows what it showed before
    // (and is unmodified when that was as loaded or written); redone, the edit again.
    void undoAndRedoEveryKindOfStep_data() { zr::test::addDataRows(QFINDTESTDATA("data/widgetsteps.tsv")); }
    void undoAndRedoEveryKindOfStep()
    {
        QFETCH(QString, step);
        QFETCH(bool, earlierStepLeft);
        const QVariantMap either{{QStringLiteral("conoperator"), 8}, {QStringLiteral("conoptval1"), QStringLiteral("5")},
                                 {QStringLiteral("coneval"), QStringLiteral("[%21] OR [%22]")}};
        QVariantMap six = either;
        six.insert(QStringLiteral("conoptval1"), QStringLiteral("6"));
        auto control = makeControl(1, 103);
        control->setRsConstraints(hierarchicalSet({{21, 103, 1, 7, QStringLiteral("1"), 70, either},
                                                   {22, 103, 1, 7, QStringLiteral("1"), 70, six},
                                                   {23, 103, 1, 7, QStringLiteral("2"), 70, either}}));
        QUndoStack *steps = control->undoStack();
        const QString projects = ParamKey(21, QStringLiteral("conoptval1"));
        const auto type = [&](const char *value) { QVERIFY(listOf(*control)->editValue(projects, QString::fromLatin1(value))); };
        if (step == QLatin1String("written")) {
            type("7");
            control->UpdateRecordset();
        } else if (step == QLatin1String("another field")) {
            QVERIFY(listOf(*control)->editValue(ParamKey(21, QStringLiteral("conoperator")), ChoiceKey(21, QStringLiteral("0"))));
        } else if (step == QLatin1String("delete added")) {
            QVERIFY(commandsOf(*control)->clickItem(QStringLiteral("70")));
        }
        const QStringList before = shown(*control);
        QSignalSpy deleted(control.get(), &zrRequirements::requirementDeleted);
        if (step.startsWith(QLatin1String("value")) || step == QLatin1String("switch")
            || step == QLatin1String("written") || step == QLatin1String("another field")) {
            type("8");
            if (step == QLatin1String("value twice"))
                type("9");
        } else if (step == QLatin1String("add")) {
            QVERIFY(commandsOf(*control)->clickItem(QStringLiteral("70")));
        } else if (step.startsWith(QLatin1String("delete"))) {
            const QString doomed = step == QLatin1String("delete") ? QStringLiteral("I22") : GroupKey(-1);
            const QString caption = listOf(*control)->caption(doomed);
            listOf(*control)->setSelected(doomed, true);
            QVERIFY(commandsOf(*control)->clickItem(QStringLiteral("delete")));
            // Named by its caption, which the list no longer has.
            QCOMPARE(deleted.count(), 1);
            QVERIFY2(deleted.first().first().toString().contains(caption), qPrintable(deleted.first().first().toString()));
        } else if (step == QLatin1String("failed write")) {
            type("0");
            QVERIFY_THROWS_EXCEPTION(ZrError, control->UpdateRecordset());
        }
        const QStringList edited = shown(*control);
        QVERIFY(edited != before);
        if (step == QLatin1String("switch")) {
            auto *chooser = control->findChild<QComboBox *>(QStringLiteral("cbOrient"));
            chooser->setCurrentIndex(1);
            Q_EMIT chooser->activated(1);
            QCOMPARE(groupKeys(*control), QStringList{"I23"});
        }
        QVERIFY(control->isModified());

        steps->undo();
        QCOMPARE(shown(*control), before);
        QCOMPARE(control->isModified(), earlierStepLeft);
        steps->redo();
        QCOMPARE(shown(*control), edited);
        QVERIFY(control->isModified());

        if (step == QLatin1String("failed write")) {
            // Mended and written: undone, the list differs from the rows written until redone.
            type("4");
            control->UpdateRecordset();
            steps->undo();
            QCOMPARE(shown(*control), before);
            QVERIFY(control->isModified());
            Recordset rows = control->rsConstraints();
            QVERIFY(rows.find(QStringLiteral("ocID = 21"), 0, Recordset::SearchForward, Recordset::StartFirst));
            QCOMPARE(rows.value(u"conoptval1").toString(), QStringLiteral("4"));
            steps->redo();
            QVERIFY(!control->isModified());
        }
    }

    void numberingRestartsOnlyOnLoadOrRefreshRecordset()
    {
        auto control = makeControl(1, 101);
        control->setRsConstraints(hierarchicalSet(rows()));
        ItemPanelModel *commands = commandsOf(*control);
        commands->clickItem(QStringLiteral("30"));
        control->RefreshConnected();
        commands->clickItem(QStringLiteral("30"));
        QVERIFY(listOf(*control)->contains(QStringLiteral("I-2")));
        control->RefreshRecordset();
        commands->clickItem(QStringLiteral("30"));
        QCOMPARE(ocIds(control->rsConstraints()).last(), -1);
    }

    // The add menu offers the context's palette (whose rules tst_parametersheet checks); disabled, it adds nothing.
    void addMenuOffersTheContextsPalette()
    {
        auto control = makeControl(1, 112);
        control->setRsConstraints(hierarchicalSet(rows()));
        QStringList visible;
        for (const QString &key : commandsOf(*control)->keys(QStringLiteral("add"))) {
            if (commandsOf(*control)->isVisible(key))
                visible << key;
        }
        QCOMPARE(visible, (QStringList{"10", "40"}));
        QSignalSpy changed(control.get(), &zrRequirements::Changed);
        QVERIFY(commandsOf(*control)->clickItem(QStringLiteral("10")));
        control->setEditingEnabled(false);
        QVERIFY(!commandsOf(*control)->clickItem(QStringLiteral("10")));
        QCOMPARE(changed.count(), 1);
    }

    // The curriculum chooser only where sets are kept per curriculum; exclusions never for the degree.
    void exclusionsAndChooserFollowTheContext_data() { zr::test::addDataRows(QFINDTESTDATA("data/contextcommands.tsv")); }
    void exclusionsAndChooserFollowTheContext()
    {
        QFETCH(int, context);
        QFETCH(bool, show);
        QFETCH(bool, exclusions);
        QFETCH(bool, chooser);
        auto control = makeControl(1, context);
        control->setShowExclusions(show);
        control->setRsConstraints(hierarchicalSet(rows()));
        QCOMPARE(commandsOf(*control)->isVisible(QStringLiteral("exclusions")), exclusions);
        QCOMPARE(control->findChild<QWidget *>(QStringLiteral("picOrient"))->isVisibleTo(control.get()), chooser);
    }

    // Switching the language, opening every sheet, or opening a picker and cancelling it
    // changes no stored value: the rows, what the sheets show, the modified flag and the undo
    // history stay as loaded. A prerequisite's minimum of 0 means all of its two courses.
    void nothingOnScreenChangesAStoredValue_data() { zr::test::addDataRows(QFINDTESTDATA("data/screenchanges.tsv")); }
    void nothingOnScreenChangesAStoredValue()
    {
        QFETCH(QString, action);
        QFETCH(bool, edited);
        auto control = makeControl(1, 102);
        const QVariantMap minimumOfAll{{QStringLiteral("conoptval4"), QStringLiteral("0")},
                                       {QStringLiteral("conselobjIDs"), QStringLiteral("3,4")},
                                       {QStringLiteral("conoptval3"), QStringLiteral("0,5")},
                                       {QStringLiteral("conoperator"), 8}};
        Recordset given = hierarchicalSet({{21, 102, 1, 7, QStringLiteral("1"), 30, minimumOfAll},
                                           {22, 102, 1, 7, QStringLiteral("1"), 40}});
        control->setRsConstraints(given);
        // An edit not written yet stays an edit: on screen, not in the rows.
        if (edited)
            QVERIFY(listOf(*control)->editValue(ParamKey(22, QStringLiteral("conoptval1")), QStringLiteral("250")));
        const QString minimum = ParamKey(21, QStringLiteral("conoptval4"));
        const QStringList shownBefore = shown(*control);
        if (action == QLatin1String("language")) {
            SwitchLanguage(LangEnglish);
            SwitchLanguage(LangGreek);
        } else if (action == QLatin1String("expand")) {
            control->ExpandAll();
        } else {
            QTimer cancel;
            connect(&cancel, &QTimer::timeout, this, [] {
                if (auto *picker = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                    picker->reject();
            });
            cancel.start(20);
            QVERIFY(listOf(*control)->clickButton(ParamKey(21, QStringLiteral("conselobjIDs"))));
        }
        QCOMPARE(listOf(*control)->value(minimum).toString(), QStringLiteral("0"));
        QCOMPARE(shown(*control), shownBefore);
        QVERIFY(!control->rsConstraints().hasPendingChanges());
        QCOMPARE(control->property("isModified").toBool(), edited);
        QCOMPARE(control->undoStack()->count(), edited ? 1 : 0);
    }

    // What the set refuses, or a server that fails while loading, reaches the host as ErrorOccurred.
    void failedLoadsRaiseErrorOccurred_data() { zr::test::addDataRows(QFINDTESTDATA("data/failedloads.tsv")); }
    void failedLoadsRaiseErrorOccurred()
    {
        QFETCH(QString, failing);
        QFETCH(int, number);
        auto control = makeControl(1, 103);
        QList<Row> given = rows();
        given.append({16, 103, 1, 7, QStringLiteral("1"), 60});
        Recordset set = hierarchicalSet(given);
        if (!failing.isEmpty()) {
            control->lookups().setFetcher([failing](const QString &table, const QString &) -> Recordset {
                if (failing == QLatin1String("*") || table == failing)
                    throw ZrError(462, QStringLiteral("RemoteObject"), QStringLiteral("server down"));
                return table == QLatin1String("QEMDPOrientation") ? curriculaOf({1, 2}) : Recordset();
            });
        } else {
            control->setRsConstraints(set);
            set = Recordset({makeField(QStringLiteral("prID"), adInteger)});
            set.addNew();
        }
        QSignalSpy errors(control.get(), &zrRequirements::ErrorOccurred);
        control->setRsConstraints(set);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).toInt(), number);
        QCOMPARE(errors.first().at(2).toString(), QStringLiteral("zrRequirements.rsConstraints"));
        QVERIFY(groupKeys(*control).isEmpty());
        QVERIFY(!commandsOf(*control)->isItemEnabled(QStringLiteral("add")));
    }

    // A failed command reaches the user once, through the editor's error channel, in a message box.
    void aFailedCommandIsShownOnce()
    {
        auto control = makeControl(1, 103);
        control->setRsConstraints(hierarchicalSet(rows()));
        control->lookups().setFetcher([](const QString &, const QString &) -> Recordset {
            throw ZrError(462, QStringLiteral("RemoteObject"), QStringLiteral("server down"));
        });
        QSignalSpy errors(control->findChild<RequirementsEditor *>(), &RequirementsEditor::errorOccurred);
        QStringList shown;
        whenShown<QMessageBox>(this, [&shown](QMessageBox *box) {
            shown << box->text();
            box->accept();
        });
        QVERIFY(commandsOf(*control)->clickItem(QStringLiteral("60"))); // its project types come from the server
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).toInt(), 462);
        QCOMPARE(shown, QStringList{QStringLiteral("server down")});
    }
};

QTEST_MAIN(tst_zrRequirements)
#include "tst_zrrequirements.moc"
