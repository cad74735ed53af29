#include "common/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/tilepanel.h"
#include "common/zrerror.h"
#include "requirementfixture.h"
#include "requirements/lookupcache.h"
#include "requirements/requirementkeys.h"
#include "requirements/zrrequirements.h"

#include <QComboBox>
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
        QTest::addColumn<int>("deleteId");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("named");

        QTest::newRow("empty is the default") << QString() << 0 << 0 << QString();
        QTest::newRow("names every requirement") << "[%1] OR ([%2] AND NOT [%3])" << 0 << 0 << QString();
        QTest::newRow("third missing") << "[%1] OR [%2]" << 0 << 20019 << "Ολοκληρωμένες πρακτικές ασκήσεις";
        QTest::newRow("deleted still named") << "[%1] OR [%2] OR [%3]" << 3 << 20020 << QString();
        QTest::newRow("unknown token") << "[%1] OR [%2] OR [%3] OR [%99]" << 0 << 30260 << QString();
        QTest::newRow("deleted and unknown: deleted first") << "[%1] OR [%2] OR [%3] OR [%99]" << 3 << 20020
                                                            << QString();
    }

    void expressionChecks()
    {
        QFETCH(QString, expression);
        QFETCH(int, deleteId);
        QFETCH(int, number);
        QFETCH(QString, named);

        auto control = load(twoCurricula(expression));
        if (deleteId != 0) {
            listOf(*control)->setSelected(GroupKey(deleteId), true);
            QVERIFY(commandsOf(*control)->clickItem(QStringLiteral("delete")));
        }
        const ZrError error = updateError(*control);
        QCOMPARE(error.number, number);
        if (!named.isEmpty())
            QVERIFY2(error.description.contains(QLatin1Char('[') + named + QLatin1Char(']')),
                     qPrintable(error.description));
        if (number == 0) {
            QVERIFY(!control->isModified());
            // Every row of the curriculum holds the expression, NULL for the default.
            for (int ocID : {1, 2, 3})
                QCOMPARE(storedEval(*control, ocID),
                         expression.isEmpty() ? QVariant() : QVariant(expression));
        } else {
            QVERIFY(control->isModified() || deleteId == 0);
        }
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
