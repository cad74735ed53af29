#include "common/errorlog.h"
#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/languageswitch.h"
#include "itempanel/tilepanel.h"
#include "common/zrerror.h"
#include "requirementfixture.h"
#include "recordset/lookupcache.h"
#include "reqtypes/requirementkeys.h"
#include "requirements/zrrequirements.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace zr;
using namespace zr::test;

// Checks the editor makes before it writes a set back: parameter rules,
// the rule between requirements, and the expression of every curriculum.
class tst_UpdateRecordset : public QObject
{
    Q_OBJECT

    // Type 70 (completed projects) with a valid count: passes its own checks.
    static Row valid(int ocID, const QString &curriculum, const QString &eval, int context = 103)
    {
        return {ocID, context, 1, 7, curriculum, 70,
                {{QStringLiteral("conoptval1"), QStringLiteral("5")}, {QStringLiteral("coneval"), eval}}};
    }

    static QList<Row> twoCurricula(const QString &eval1, const QString &eval2 = QString())
    {
        return {valid(1, QStringLiteral("1"), eval1), valid(2, QStringLiteral("1"), eval1),
                valid(3, QStringLiteral("1"), eval1), valid(4, QStringLiteral("2"), eval2)};
    }

    static Recordset curricula()
    {
        Recordset rs({makeField(QStringLiteral("orID"), adInteger),
                      makeField(QStringLiteral("ordescription"), adVarWChar, 100),
                      makeField(QStringLiteral("prID"), adInteger)});
        for (int id : {1, 2}) {
            rs.addNew();
            rs.setValue(u"orID", id);
            rs.setValue(u"ordescription", QStringLiteral("Κατεύθυνση %1").arg(id));
            rs.setValue(u"prID", 7);
        }
        rs.updateBatch();
        return rs;
    }

    static std::unique_ptr<zrRequirements> load(const QList<Row> &rows, int context = 103)
    {
        auto control = std::make_unique<zrRequirements>();
        control->lookups().setFetcher([](const QString &table, const QString &) {
            return table == QLatin1String("QEMDPOrientation") ? curricula() : Recordset();
        });
        control->setConstrType(context);
        control->setAppliesTo(1);
        control->setRsConstraints(hierarchicalSet(rows));
        return control;
    }

    static ItemPanelModel *listOf(zrRequirements &control)
    {
        return control.findChild<TilePanel *>(QStringLiteral("smRequirements"))->model();
    }
    static ItemPanelModel *commandsOf(zrRequirements &control)
    {
        return control.findChild<TilePanel *>(QStringLiteral("smButtons"))->model();
    }

    // The error UpdateRecordset throws; 0 when it succeeds.
    static ZrError updateError(zrRequirements &control)
    {
        try {
            control.UpdateRecordset();
        } catch (const ZrError &error) {
            return error;
        }
        return ZrError(0, QString(), QString());
    }

    static QVariant storedEval(zrRequirements &control, int ocID)
    {
        Recordset rs = control.rsConstraints().clone();
        if (!rs.find(QStringLiteral("ocID = ") + QString::number(ocID), 0, Recordset::SearchForward,
                     Recordset::StartFirst))
            return QStringLiteral("<no row>");
        return rs.value(u"coneval");
    }

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    void expressionChecks_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<int>("hostDeletes");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("named");

        QTest::newRow("empty is the default") << QString() << 0 << 0 << QString();
        QTest::newRow("names every requirement") << "[%1] OR ([%2] AND NOT [%3])" << 0 << 0 << QString();
        QTest::newRow("third missing, named with its place")
            << "[%1] OR [%2]" << 0 << 20019 << "[Ολοκληρωμένες πρακτικές ασκήσεις, 3η στη λίστα]";
        QTest::newRow("open parenthesis at the end") << "[%1] AND [%2] AND [%3] AND (" << 0 << 10100
                                                     << "θέση 28, στο «…[%2] AND [%3] AND (»";
        QTest::newRow("two operators") << "[%1] AND AND [%2] OR [%3]" << 0 << 10100 << "θέση 10, στο «[%1] AND AND»";
        QTest::newRow("deleted elsewhere, still named") << "[%1] OR [%2] OR [%3]" << 3 << 20020 << "[%3] Ολοκληρωμένες";
        QTest::newRow("unknown token") << "[%1] OR [%2] OR [%3] OR [%99]" << 0 << 30260 << QString();
        QTest::newRow("deleted and unknown: deleted first") << "[%1] OR [%2] OR [%3] OR [%99]" << 3 << 20020
                                                            << QString();
    }

    // Sets as they arrive (a file, another program, the host deleting a row):
    // the editor's own edits keep the expression in step (below).
    void expressionChecks()
    {
        QFETCH(QString, expression);
        QFETCH(int, hostDeletes);
        QFETCH(int, number);
        QFETCH(QString, named);

        auto control = load(twoCurricula(expression));
        if (hostDeletes != 0) {
            Recordset rows = control->rsConstraints();
            QVERIFY(rows.find(QStringLiteral("ocID = ") + QString::number(hostDeletes), 0, Recordset::SearchForward,
                              Recordset::StartFirst));
            rows.deleteCurrent();
            listOf(*control)->removeItem(GroupKey(hostDeletes));
        }
        const ZrError error = updateError(*control);
        QCOMPARE(error.number, number);
        if (!named.isEmpty())
            QVERIFY2(error.description.contains(named), qPrintable(error.description));
        if (number == 0) {
            QVERIFY(!control->isModified());
            // Every row of the curriculum holds the expression, NULL for the default.
            for (int ocID : {1, 2, 3})
                QCOMPARE(storedEval(*control, ocID),
                         expression.isEmpty() ? QVariant() : QVariant(expression));
        }
    }

    // Adding and deleting in the editor never leave a set that cannot be saved.
    void addAndDeleteKeepTheExpressionWhole_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<int>("deleteId");
        QTest::addColumn<bool>("add");
        QTest::addColumn<QString>("stored");
        QTest::newRow("delete the one after OR") << "[%1] OR ([%2] AND NOT [%3])" << 3 << false << "[%1] OR ([%2])";
        QTest::newRow("delete the one before AND") << "[%1] OR [%2] AND [%3]" << 2 << false << "[%1] OR [%3]";
        QTest::newRow("delete leaves only AND: the default") << "[%1] AND [%3] OR [%2]" << 2 << false << QString();
        QTest::newRow("add to an OR") << "[%1] OR [%2] OR [%3]" << 0 << true << "([%1] OR [%2] OR [%3]) AND [%-1]";
        QTest::newRow("add to the default") << QString() << 0 << true << QString();
    }
    void addAndDeleteKeepTheExpressionWhole()
    {
        QFETCH(QString, expression);
        QFETCH(int, deleteId);
        QFETCH(bool, add);
        QFETCH(QString, stored);
        auto control = load(twoCurricula(expression));
        if (deleteId != 0) {
            listOf(*control)->setSelected(GroupKey(deleteId), true);
            QVERIFY(commandsOf(*control)->clickItem(QStringLiteral("delete")));
        }
        if (add) {
            QVERIFY(commandsOf(*control)->clickItem(QStringLiteral("70")));
            QVERIFY(listOf(*control)->editValue(ParamKey(-1, QStringLiteral("conoptval1")), QStringLiteral("2")));
        }
        QCOMPARE(control->expression(), stored);
        const ZrError error = updateError(*control);
        QVERIFY2(error.number == 0, qPrintable(error.description));
        QCOMPARE(storedEval(*control, 1), stored.isEmpty() ? QVariant() : QVariant(stored));
    }

    // The host's current row follows the selected requirement; checking and
    // writing the set walk the rows without moving it.
    void checksKeepTheHostsRow_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<bool>("otherCurriculumEdited");
        QTest::addColumn<int>("selected");
        QTest::newRow("validate") << false << false << 2;
        QTest::newRow("write back") << true << false << 2;
        QTest::newRow("write back, last row") << true << false << 3;
        QTest::newRow("write back with a curriculum left") << true << true << 4;
    }
    void checksKeepTheHostsRow()
    {
        QFETCH(bool, write);
        QFETCH(bool, otherCurriculumEdited);
        QFETCH(int, selected);
        auto control = load(twoCurricula(QStringLiteral("[%1] OR [%2] OR [%3]"), QStringLiteral("[%4]")));
        if (otherCurriculumEdited) {
            QVERIFY(listOf(*control)->editValue(ParamKey(1, QStringLiteral("conoptval1")), QStringLiteral("6")));
            auto *chooser = control->findChild<QComboBox *>(QStringLiteral("cbOrient"));
            chooser->setCurrentIndex(1);
            Q_EMIT chooser->activated(1);
        }
        QVERIFY(listOf(*control)->editValue(ParamKey(selected == 4 ? 4 : 1, QStringLiteral("conoptval1")),
                                            QStringLiteral("8")));
        listOf(*control)->setSelected(GroupKey(selected), true);
        QCOMPARE(control->rsConstraints().value(u"ocID").toInt(), selected);
        if (write) {
            const ZrError error = updateError(*control);
            QVERIFY2(error.number == 0, qPrintable(error.description));
        } else {
            QVERIFY(control->ValidateRecords());
        }
        QCOMPARE(control->rsConstraints().value(u"ocID").toInt(), selected);
    }

    void requirementOfNoKnownTypeIsRefused()
    {
        QList<Row> rows = twoCurricula(QString());
        rows[2].conID = 9999;
        auto control = load(rows);
        // It has no sheet to show, but it is not passed over.
        QCOMPARE(listOf(*control)->keys(), (QStringList{"I1", "I2"}));
        const ZrError error = updateError(*control);
        QCOMPARE(error.number, 10102);
        QVERIFY2(error.description.contains(QStringLiteral("[%3]")) && error.description.contains(QStringLiteral("9999")),
                 qPrintable(error.description));
    }

    // A failed rule is written to the log once, however many traps it passes.
    void aFailedRuleIsLoggedOnce()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("zrrequirements.log"));
        SetLogFile(log, true);
        QList<Row> rows = twoCurricula(QString());
        rows[1].extra.insert(QStringLiteral("conoptval1"), QStringLiteral("0"));
        auto control = load(rows);
        QCOMPARE(updateError(*control).number, 20007);
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        SetLogFile(QString(), false);
        QCOMPARE(std::count_if(lines.cbegin(), lines.cend(), [](const QByteArray &l) { return l.contains("20007"); }),
                 1);
    }

    // A language switch redraws the sheets and the expression at once,
    // keeping what the user typed and added.
    void languageSwitchRedrawsTheSheets()
    {
        auto control = load(twoCurricula(QStringLiteral("[%1] OR [%2] OR [%3]")));
        QVERIFY(listOf(*control)->editValue(ParamKey(2, QStringLiteral("conoptval1")), QStringLiteral("9")));
        QVERIFY(commandsOf(*control)->clickItem(QStringLiteral("60")));
        const QString value = ParamKey(1, QStringLiteral("conoptval1"));
        QCOMPARE(listOf(*control)->caption(value), StringTableText(20638, LangGreek));
        SwitchLanguage(LangEnglish);
        const QString english = listOf(*control)->caption(value);
        const QString header = listOf(*control)->caption(GroupKey(1));
        const QString newHeader = listOf(*control)->caption(GroupKey(-1));
        const QString shown = control->findChild<QPlainTextEdit *>(QStringLiteral("txtEval"))->toPlainText();
        const QString typed = listOf(*control)->valueText(ParamKey(2, QStringLiteral("conoptval1")));
        const bool modified = control->isModified();
        SwitchLanguage(LangGreek);
        QCOMPARE(english, StringTableText(20638, LangEnglish));
        QCOMPARE(header, StringTableText(20739, LangEnglish));
        QCOMPARE(newHeader, QStringLiteral("(N1) ") + StringTableText(20737, LangEnglish));
        QVERIFY2(shown.contains(QLatin1Char('[') + StringTableText(20739, LangEnglish) + QLatin1Char(']')),
                 qPrintable(shown));
        QCOMPARE(typed, QStringLiteral("9"));
        QVERIFY(modified);
        QCOMPARE(control->expression(), QStringLiteral("([%1] OR [%2] OR [%3]) AND [%-1]"));
    }

    // From the message to the row: the list shows the requirement's
    // curriculum, its row is selected and open for editing.
    void aFailedSaveTakesTheUserToTheRow()
    {
        auto control = load(twoCurricula(QString()));
        control->show();
        QVERIFY(QTest::qWaitForWindowExposed(control.get()));
        QVERIFY(listOf(*control)->editValue(ParamKey(2, QStringLiteral("conoptval1")), QStringLiteral("0")));
        auto *chooser = control->findChild<QComboBox *>(QStringLiteral("cbOrient"));
        chooser->setCurrentIndex(1);
        Q_EMIT chooser->activated(1);
        QCOMPARE(listOf(*control)->keys(), QStringList{"I4"});

        const ZrError error = updateError(*control);
        QCOMPARE(error.number, 20007);
        // Three requirements of one type: the message says which one.
        QVERIFY2(error.description.contains(QStringLiteral("2η στη λίστα")), qPrintable(error.description));
        QVERIFY(control->showLastProblem());
        QCOMPARE(chooser->currentIndex(), 0);
        QCOMPARE(listOf(*control)->keys(), (QStringList{"I1", "I2", "I3"}));
        QCOMPARE(listOf(*control)->selectedKey(), ParamKey(2, QStringLiteral("conoptval1")));
        QVERIFY(listOf(*control)->isExpanded(GroupKey(2)));
        auto *view = control->findChild<TilePanel *>(QStringLiteral("smRequirements"))->treeView();
        QTRY_VERIFY(view->indexWidget(listOf(*control)->indexOf(ParamKey(2, QStringLiteral("conoptval1")),
                                                                  ItemPanelModel::ValueColumn))
                    || qobject_cast<QLineEdit *>(QApplication::focusWidget()));
    }

    void incompleteExpressionOfAnotherCurriculumIsRefused()
    {
        auto control = load(twoCurricula(QStringLiteral("[%1] OR [%2]"), QStringLiteral("[%4]")));
        auto *chooser = control->findChild<QComboBox *>(QStringLiteral("cbOrient"));
        chooser->setCurrentIndex(1);
        Q_EMIT chooser->activated(1);
        QCOMPARE(listOf(*control)->keys(), QStringList{"I4"});
        const ZrError error = updateError(*control);
        QCOMPARE(error.number, 20019);
        QVERIFY(error.description.contains(QStringLiteral("Ολοκληρωμένες πρακτικές ασκήσεις")));
    }

    // What was typed in a curriculum reached its rows when the user left it;
    // writing the set from another curriculum checks it all the same.
    void curriculumLeftIsChecked_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("addIncomplete");
        QTest::addColumn<int>("number");
        QTest::newRow("valid value") << "7" << false << 0;
        QTest::newRow("zero") << "0" << false << 20007;
        QTest::newRow("text in a number") << "ab" << false << 20007;
        QTest::newRow("longer than the field") << QString(300, QLatin1Char('9')) << false << 20021;
        QTest::newRow("new requirement left without a course") << "7" << true << 20006;
    }

    void curriculumLeftIsChecked()
    {
        QFETCH(QString, typed);
        QFETCH(bool, addIncomplete);
        QFETCH(int, number);
        auto control = load(twoCurricula(QString()));
        QVERIFY(listOf(*control)->editValue(ParamKey(1, QStringLiteral("conoptval1")), typed));
        if (addIncomplete)
            QVERIFY(commandsOf(*control)->clickItem(QStringLiteral("30")));
        auto *chooser = control->findChild<QComboBox *>(QStringLiteral("cbOrient"));
        chooser->setCurrentIndex(1);
        Q_EMIT chooser->activated(1);
        QCOMPARE(listOf(*control)->keys(), QStringList{"I4"});
        const ZrError error = updateError(*control);
        QCOMPARE(error.number, number);
        QCOMPARE(control->isModified(), number != 0);
        // The message says in which curriculum the requirement is.
        if (number != 0)
            QVERIFY2(error.description.endsWith(QLatin1Char('\n') + GetLangString(20518).trimmed() + QLatin1Char(' ')
                                                + chooser->itemText(0)),
                     qPrintable(error.description));
    }

    void aFailedRuleWritesNothing()
    {
        QList<Row> rows = twoCurricula(QString());
        rows[1].extra.insert(QStringLiteral("conoptval1"), QStringLiteral("0"));
        auto control = load(rows);
        listOf(*control)->editValue(ParamKey(1, QStringLiteral("conoptval1")), QStringLiteral("7"));
        QVERIFY(control->isModified());
        const ZrError error = updateError(*control);
        QCOMPARE(error.number, 20007);
        QCOMPARE(error.source, QStringLiteral("ValidateInput"));
        QVERIFY(control->isModified());
        Recordset rs = control->rsConstraints().clone();
        QVERIFY(rs.find(QStringLiteral("ocID = 1"), 0, Recordset::SearchForward, Recordset::StartFirst));
        QCOMPARE(rs.value(u"conoptval1").toString(), QStringLiteral("5"));

        // Once corrected, the edit reaches the row.
        listOf(*control)->editValue(ParamKey(2, QStringLiteral("conoptval1")), QStringLiteral("1"));
        control->UpdateRecordset();
        QVERIFY(rs.find(QStringLiteral("ocID = 1"), 0, Recordset::SearchForward, Recordset::StartFirst));
        QCOMPARE(rs.value(u"conoptval1").toString(), QStringLiteral("7"));
        QVERIFY(!control->isModified());
    }

    void oneGradeAverageInTheScholarshipContext_data()
    {
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<bool>("refused");
        QTest::newRow("80 and 90") << QList<int>{80, 90} << true;
        QTest::newRow("two of 90") << QList<int>{90, 90} << true;
        QTest::newRow("90 alone") << QList<int>{90, 70} << false;
        QTest::newRow("neither") << QList<int>{70, 70} << false;
    }

    void oneGradeAverageInTheScholarshipContext()
    {
        QFETCH(QList<int>, types);
        QFETCH(bool, refused);
        QList<Row> rows;
        int ocID = 1;
        for (int type : types) {
            Row row = valid(ocID++, QString(), QString(), 109);
            row.conID = type;
            row.extra.insert(QStringLiteral("conoptval1"), type == 70 ? QStringLiteral("5") : QStringLiteral("2001"));
            row.extra.insert(QStringLiteral("conoptval3"), QStringLiteral("1"));
            row.extra.insert(QStringLiteral("conoperator"), 0);
            rows << row;
        }
        auto control = load(rows, 109);
        const ZrError error = updateError(*control);
        if (refused)
            QCOMPARE(error.number, 20014);
        else
            QVERIFY2(error.number != 20014, qPrintable(error.description));
    }
};

QTEST_MAIN(tst_UpdateRecordset)
#include "tst_updaterecordset.moc"
