#include "../datafile.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/typecatalog.h"
#include "reqtypes/requirementkeys.h"
#include "sheetfixture.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using namespace zr;
using namespace zr::test;

namespace {
// "field:kind" of every row of a block, with "!" for hidden rows.
QStringList rowShapes(const ItemPanelModel &panel, qint32 ocID)
{
    QStringList shapes;
    for (const QString &key : panel.keys(GroupKey(ocID))) {
        const int style = panel.style(key);
        const QString kind = style == ItemStyle::ChoiceRow ? "C" : style == ItemStyle::Picker ? "P" : "E";
        shapes << FieldFromKey(key) + ':' + kind + (panel.isVisible(key) ? "" : "!");
    }
    return shapes;
}

QString s(qint32 id)
{
    return GetLangString(id);
}
} // namespace

class tst_ParameterSheet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    void buildsTheRowsOfEachType_data()
    {
        QTest::addColumn<int>("typeId");
        QTest::addColumn<int>("context");
        QTest::addColumn<QStringList>("shapes");
        for (const QStringList &row : dataRows(QFINDTESTDATA("data/sheetrows.tsv")))
            QTest::newRow(qPrintable(row.at(0))) << row.at(1).toInt() << row.at(2).toInt() << row.at(3).split(QLatin1Char(' '));
    }
    void buildsTheRowsOfEachType()
    {
        QFETCH(int, typeId);
        QFETCH(int, context);
        QFETCH(QStringList, shapes);
        SheetWorld world(context);
        QAbstractItemModelTester tester(&world.panel);
        QVERIFY(CreateConstraint(world.panel, QString::number(typeId), -1, world.sheet));
        QCOMPARE(world.panel.caption("I-1"), GetTypeName(typeId));
        QCOMPARE(rowShapes(world.panel, -1), shapes);
    }

    void setsDefaults_data()
    {
        QTest::addColumn<int>("typeId");
        QTest::addColumn<int>("context");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value"); // choice rows: the selected choice's caption
        QTest::newRow("40 total") << 40 << 101 << 1 << "conoptval6" << s(20606);
        QTest::newRow("80 flags") << 80 << 101 << 1 << "conoptval4" << "0";
        QTest::newRow("90 all periods") << 90 << 101 << 1 << "conoptval6" << s(20716);
        QTest::newRow("100 course by department id") << 100 << 106 << 14 << "conselobjIDs" << "25";
        QTest::newRow("100 programme set starts empty") << 100 << 106 << 1 << "conselobjIDs" << "";
    }
    void setsDefaults()
    {
        QFETCH(int, typeId);
        QFETCH(int, context);
        QFETCH(int, kind);
        QFETCH(QString, field);
        QFETCH(QString, value);
        SheetWorld world(context, kind);
        CreateConstraint(world.panel, QString::number(typeId), -2, world.sheet);
        const QString key = ParamKey(-2, field);
        QVERIFY(world.panel.contains(key));
        QCOMPARE(world.panel.valueText(key), value);
        if (world.panel.style(key) == ItemStyle::ChoiceRow)
            QVERIFY(!world.panel.value(key).toString().isEmpty());
    }

    void offersChoices_data()
    {
        QTest::addColumn<int>("typeId");
        QTest::addColumn<int>("context");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("30 operators") << 30 << 101 << 1 << "conoperator" << QStringList{"0", "3", "8"};
        QTest::newRow("130 operators") << 130 << 111 << 1 << "conoperator" << QStringList{"-1", "0", "2", "100"};
        QTest::newRow("60 project types, all last") << 60 << 101 << 1 << "conselobjIDs" << QStringList{"1", "2", "-1"};
        QTest::newRow("90 terms, all last") << 90 << 101 << 1 << "conoptval6" << QStringList{"1", "2", "-1"};
        QTest::newRow("100 enrolment") << 100 << 106 << 4 << "conoptval6" << QStringList{"1", "-1", "0", "-2", "2"};
        QTest::newRow("10 programme: no sector")
            << 10 << 101 << 1 << "conselobjIDs"
            << QStringList{"gender", "orient_ID", "statusID", "exam_ID", "in_year", "studrate", "abroad", "or_date"};
        QTest::newRow("10 department: no curriculum")
            << 10 << 101 << 13 << "conselobjIDs"
            << QStringList{"gender", "sector", "statusID", "exam_ID", "in_year", "studrate", "abroad", "or_date"};
    }
    void offersChoices()
    {
        QFETCH(int, typeId);
        QFETCH(int, context);
        QFETCH(int, kind);
        QFETCH(QString, field);
        QFETCH(QStringList, codes);
        SheetWorld world(context, kind);
        CreateConstraint(world.panel, QString::number(typeId), 3, world.sheet);
        const QString key = ParamKey(3, field);
        QStringList actual;
        for (const QString &choice : world.panel.keys(key)) {
            QVERIFY(choice.startsWith(ChoiceKey(3, QString())));
            actual << choice.mid(ChoiceKey(3, QString()).size());
        }
        QCOMPARE(actual, codes);
    }

    void placesHelpTexts_data()
    {
        QTest::addColumn<int>("typeId");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("description");
        QTest::newRow("30 minimum: description only") << 30 << "conoptval4" << ""
                                                      << s(20624) + ' ' + s(20772);
        QTest::newRow("130 answer: template") << 130 << "conoptval1" << ReplaceParams(s(20675), {s(20674)})
                                              << ReplaceParams(s(20675), {s(20674)});
        QTest::newRow("80 flags: text of no flags")
            << 80 << "conoptval4" << s(20629)
            << s(10001) + " = " + s(20297) + ", " + s(10002) + " = " + s(20297) + ", " + s(10003) + " = " + s(20297)
                   + ", " + s(10004) + " = " + s(20297) + ", " + s(10008) + " = " + s(20297);
        QTest::newRow("10 column: none") << 10 << "conselobjIDs" << "" << "";
    }
    void placesHelpTexts()
    {
        QFETCH(int, typeId);
        QFETCH(QString, field);
        QFETCH(QString, hint);
        QFETCH(QString, description);
        SheetWorld world(typeId == 130 ? 111 : 101);
        CreateConstraint(world.panel, QString::number(typeId), 1, world.sheet);
        QCOMPARE(world.panel.hint(ParamKey(1, field)), hint);
        QCOMPARE(world.panel.description(ParamKey(1, field)), description);
    }

    void twoRequirementsOfOneTypeHaveTheirOwnKeys()
    {
        SheetWorld world;
        QVERIFY(CreateConstraint(world.panel, "20", -1, world.sheet));
        QVERIFY(CreateConstraint(world.panel, "20", -2, world.sheet));
        QCOMPARE(world.panel.keys(), (QStringList{"I-1", "I-2"}));
        QCOMPARE(world.panel.count("I-2"), world.panel.count("I-1"));
        QVERIFY(world.panel.contains("I-2,conoptval1"));
    }

    void unknownTypesAddNothing_data()
    {
        QTest::addColumn<QString>("typeId");
        QTest::newRow("0") << "0";
        QTest::newRow("140") << "140";
    }
    void unknownTypesAddNothing()
    {
        QFETCH(QString, typeId);
        SheetWorld world;
        QVERIFY(!CreateConstraint(world.panel, typeId, 1, world.sheet));
        QCOMPARE(world.panel.itemCount(), 0);
    }

    void codeTablesAreFetchedOnceAndServerErrorsNameCreateConstraint()
    {
        SheetWorld world;
        CreateConstraint(world.panel, "60", 1, world.sheet);
        CreateConstraint(world.panel, "60", 2, world.sheet);
        QCOMPARE(world.fetched, QStringList{"SYS_ERGASIA_TYPE|"});

        world.lookups.setFetcher([](const QString &, const QString &) -> Recordset {
            throw ZrError(462, "cDepartment.getTextList", "server gone");
        });
        world.lookups.clear();
        try {
            CreateConstraint(world.panel, "90", 3, world.sheet);
            QFAIL("no error");
        } catch (const ZrError &error) {
            QCOMPARE(error.number, 462);
            QCOMPARE(error.source, QStringLiteral("cDepartment.getTextList CreateConstraint"));
        }
        // The block stays as far as it was built.
        QVERIFY(world.panel.contains("I3,conoptval2"));
        QVERIFY(!world.panel.contains("I3,conoptval5"));
    }
};

QTEST_GUILESS_MAIN(tst_ParameterSheet)
#include "tst_parametersheet.moc"
