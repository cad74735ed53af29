#include "../requirements/requirementfixture.h"
#include "sheetfixture.h"
#include "common/langstrings.h"
#include "reqtypes/requirementchange.h"

#include <QtTest>

using namespace zr;
using namespace zr::test;

class tst_RequirementChange : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    // The fields that differ between two values of one requirement, each
    // said with its label and its values by name.
    void saysEachChangedField_data()
    {
        QTest::addColumn<int>("typeId");
        QTest::addColumn<int>("context");
        QTest::addColumn<QVariantMap>("before");
        QTest::addColumn<QVariantMap>("after");
        QTest::addColumn<QString>("expected");

        QTest::newRow("a value") << 40 << 103 << QVariantMap{{"conoptval1", "240"}} << QVariantMap{{"conoptval1", "300"}}
                                 << "Τιμή1: 240 → 300";
        QTest::newRow("one number, two notations")
            << 30 << 101 << QVariantMap{{"conoptval3", "0.5"}} << QVariantMap{{"conoptval3", "0,50"}} << "";
        QTest::newRow("a value emptied") << 40 << 103 << QVariantMap{{"conoptval1", "240"}} << QVariantMap{}
                                         << "Τιμή1: 240 → (κενό)";
        QTest::newRow("codes by name, an unknown one as itself")
            << 40 << 103 << QVariantMap{{"conselobjIDs", "1"}} << QVariantMap{{"conselobjIDs", "1,2,9"}}
            << "Τύποι μαθημάτων: Υποχρεωτικό → Υποχρεωτικό, Επιλογής, 9";
        QTest::newRow("a choice by its caption") << 100 << 101 << QVariantMap{{"conoptval3", "0"}}
                                                 << QVariantMap{{"conoptval3", "-1"}}
                                                 << "Χρέωση βάση περιόδου πρ. σπουδών: Όχι → Ναι";
        QTest::newRow("a looked-up choice") << 60 << 101 << QVariantMap{{"conselobjIDs", "1"}}
                                            << QVariantMap{{"conselobjIDs", "2"}} << "Τύπος εργασίας: Διπλωματική → Πτυχιακή";
        QTest::newRow("options by their text, on one line")
            << 30 << 101 << QVariantMap{{"conoptval5", "5"}} << QVariantMap{{"conoptval5", "5;8"}}
            << "Παράμετροι - Επιλογές προϋπόθεσης: Εξαιρούνται οι φοιτητές με τρέχον εξάμηνο φοίτησης μεγαλύτερο από : 5 → "
               "Εξαιρούνται οι φοιτητές με τρέχον εξάμηνο φοίτησης μεγαλύτερο από : 5; "
               "Εξαιρούνται οι φοιτητές με τρέχον εξάμηνο φοίτησης μικρότερο από : 8";
        QTest::newRow("two fields, in the sheet's order")
            << 40 << 103 << QVariantMap{{"conoptval2", "5"}, {"conoptval1", "1"}}
            << QVariantMap{{"conoptval2", "6"}, {"conoptval1", "2"}} << "Τιμή1: 1 → 2|Τιμή2: 5 → 6";
    }

    void saysEachChangedField()
    {
        QFETCH(int, typeId);
        QFETCH(int, context);
        QFETCH(QVariantMap, before);
        QFETCH(QVariantMap, after);
        QFETCH(QString, expected);

        SheetWorld world(context);
        const RequirementValue was = RequirementValue::fromRow(storedRow(typeId, context, 1, before), 0, context);
        const RequirementValue now = RequirementValue::fromRow(storedRow(typeId, context, 1, after), 0, context);
        QStringList said;
        for (const FieldChange &change : ChangedFields(was, now))
            said << FieldChangeText(change, world.sheet);
        QCOMPARE(said.join(QLatin1Char('|')), expected);
        QVERIFY(ChangedFields(now, now).isEmpty());
    }

    // One change on one line names its requirement by its type.
    void namesTheRequirementByItsType()
    {
        SheetWorld world(103);
        const RequirementValue was = RequirementValue::fromRow(storedRow(40, 103, 1, {{"conoptval1", "240"}}), 0, 103);
        const RequirementValue now = RequirementValue::fromRow(storedRow(40, 103, 1, {{"conoptval1", "300"}}), 0, 103);
        const QList<FieldChange> changes = ChangedFields(was, now);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(FieldChangeInRequirementText(changes.first(), world.sheet), "Τιμή1 στο Τύπος μαθήματος: 240 → 300");
    }
};

QTEST_GUILESS_MAIN(tst_RequirementChange)
#include "tst_requirementchange.moc"
