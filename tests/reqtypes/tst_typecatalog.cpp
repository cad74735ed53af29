#include "common/langstrings.h"
#include "reqtypes/typecatalog.h"

#include <QtTest>

using namespace zr;

class tst_TypeCatalog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

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
            QCOMPARE(entry.key, QString::number(entry.typeId));
            QCOMPARE(entry.caption, GetTypeName(entry.typeId));
            if (entry.visible)
                shown << entry.typeId;
        }
        QCOMPARE(shown, visible);
    }

    void contextTitles()
    {
        QVERIFY(!ContextTitle(103).isEmpty());
        QVERIFY(ContextTitle(110) != ContextTitle(103));
        QVERIFY(ContextTitle(111).isEmpty());
        QVERIFY(ContextTitle(112).isEmpty());
        QVERIFY(ContextTitle(100).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_TypeCatalog)
#include "tst_typecatalog.moc"
