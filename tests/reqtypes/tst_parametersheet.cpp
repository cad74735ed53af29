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

    void offersChoices_data() { addDataRows(QFINDTESTDATA("data/parametersheet-offers-choices.tsv")); }
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
    void namesTypes_data()
    {
        QTest::addColumn<QVariant>("typeId");
        QTest::addColumn<bool>("shortName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("40 long is the course-type heading") << QVariant(40) << false << "Τύπος μαθήματος";
        QTest::newRow("110 as text") << QVariant(QStringLiteral("110")) << false << "Χαρακτηρισμός μαθήματος";
        QTest::newRow("16-bit stored") << QVariant::fromValue<qint16>(80) << false
                                       << "Μέσος όρος βαθμολογίας ανά εξάμηνα μαθημάτων";
        QTest::newRow("double 30") << QVariant(30.0) << true << "Προαπ Μαθ";
        QTest::newRow("0") << QVariant(0) << false << "";
        QTest::newRow("not a multiple") << QVariant(10.5) << false << "";
        QTest::newRow("null") << QVariant() << false << "";
        QTest::newRow("text garbage") << QVariant(QStringLiteral("1O")) << false << "";
    }
    void namesTypes()
    {
        QFETCH(QVariant, typeId);
        QFETCH(bool, shortName);
        QFETCH(QString, expected);
        QCOMPARE(GetTypeName(typeId, shortName), expected);
    }

    void paletteOffersTypesPerContextAndKind_data()
    {
        QTest::addColumn<int>("context");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<int>>("visible");
        const QList<int> upTo120 = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
        QList<int> without50 = upTo120;
        without50.removeOne(50);
        QTest::newRow("101 programme") << 101 << 1 << upTo120;
        QTest::newRow("106 department by id") << 106 << 14 << without50;
        QTest::newRow("111 programme: all thirteen") << 111 << 1 << (upTo120 + QList<int>{130});
        QTest::newRow("111 department: no 50") << 111 << 13 << (without50 + QList<int>{130});
        QTest::newRow("112 only 10 and 40") << 112 << 1 << QList<int>{10, 40};
        QTest::newRow("no context") << 0 << 1 << upTo120;
    }
    void paletteOffersTypesPerContextAndKind()
    {
        QFETCH(int, context);
        QFETCH(int, kind);
        QFETCH(QList<int>, visible);
        const QList<PaletteEntry> palette = RequirementPalette(context, kind);
        QCOMPARE(palette.size(), 13);
        QList<int> shown;
        for (const PaletteEntry &entry : palette) {
            if (entry.visible)
                shown << entry.typeId;
        }
        QCOMPARE(shown, visible);
    }

    // Every context is named in words, each its own, in both languages; none outside the twelve.
    void contextTitles()
    {
        for (const int language : {LangGreek, LangEnglish}) {
            StringService::instance().setLanguageId(language);
            QSet<QString> titles;
            for (int context = 101; context <= 112; ++context) {
                QVERIFY2(!ContextTitle(context).isEmpty(), qPrintable(QString::number(context)));
                titles.insert(ContextTitle(context));
            }
            QCOMPARE(titles.size(), 12);
        }
        StringService::instance().setLanguageId(LangGreek);
        QVERIFY(ContextTitle(113).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_ParameterSheet)
#include "tst_parametersheet.moc"
