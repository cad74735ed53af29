#include "common/zrerror.h"
#include "requirementfixture.h"
#include "reqtypes/requirementkeys.h"
#include "requirements/requirementset.h"

#include <QtTest>

using namespace zr;
using namespace zr::test;

class tst_RequirementSet : public QObject
{
    Q_OBJECT

    // Two curricula (1 and 2) of programme 7 in context 103, one row in context 101,
    // and a department row of kind 13.
    static QList<Row> sampleRows()
    {
        return {
            {11, 103, 1, 7, QStringLiteral("1"), 30},  {12, 103, 1, 7, QStringLiteral("2"), 40},
            {13, 101, 1, 7, QVariant(), 10},           {14, 103, 1, 7, QStringLiteral("1"), 80},
            {15, 103, 1, 8, QStringLiteral("1"), 30},  {16, 101, 13, 0, QVariant(), 20},
        };
    }

private Q_SLOTS:
    void filtersToContextObjectAndCurriculum_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("context");
        QTest::addColumn<int>("curricula");
        QTest::addColumn<int>("curriculum");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("degree, two curricula, first") << 1 << 103 << 2 << 1 << QList<int>{11, 14};
        QTest::newRow("degree, one curriculum: every row") << 1 << 103 << 1 << 1 << QList<int>{11, 12, 14, 15};
        QTest::newRow("entry: never by curriculum") << 1 << 101 << 2 << 1 << QList<int>{13, 16};
        QTest::newRow("kind 3 degree: not curriculum-dependent") << 3 << 103 << 2 << 1 << QList<int>{11, 12, 14, 15};
        QTest::newRow("context 0 before it is set") << 1 << 0 << 2 << 1 << QList<int>{};
    }
    void filtersToContextObjectAndCurriculum()
    {
        QFETCH(int, kind);
        QFETCH(int, context);
        QFETCH(int, curricula);
        QFETCH(int, curriculum);
        QFETCH(QList<int>, rows);
        RequirementSet set;
        set.setObjectKind(kind);
        set.setContext(context);
        set.setParent(hierarchicalSet(sampleRows()));
        set.setCurriculumCount(curricula);
        set.setCurriculumId(curriculum);
        set.applyFilter();
        QCOMPARE(ocIds(set.rows()), rows);
        QCOMPARE(ocIds(set.walk()), rows);
    }

    void wholeSetFilterAddsKindAndCurriculum()
    {
        RequirementSet set;
        set.setObjectKind(1);
        set.setContext(103);
        set.setParent(hierarchicalSet(sampleRows()));
        set.setCurriculumCount(1);
        set.setCurriculumId(1);
        QCOMPARE(ocIds(set.walkWholeSet()), (QList<int>{11, 14, 15})); // every object of the kind
        set.setContext(101);
        QCOMPARE(ocIds(set.walkWholeSet()), QList<int>{13}); // 16 is of another kind
    }

    void temporaryIdsContinueAcrossAddsAndDeletes()
    {
        RequirementSet set;
        set.setObjectKind(1);
        set.setContext(101);
        set.setParent(hierarchicalSet(sampleRows()));
        set.applyFilter();
        QCOMPARE(set.addRequirement(30), -1);
        QCOMPARE(set.addRequirement(40), -2);
        QCOMPARE(set.addRequirement(50), -3);
        // Rows are named by id, wherever the cursor stands.
        QVERIFY(set.positionOn(GroupKey(-3)));
        QCOMPARE(set.rowOf(-2), 3);
        QVERIFY(set.deleteRequirement(-2));
        QVERIFY(!set.deleteRequirement(-2));
        QCOMPARE(set.rows().value(u"ocID").toInt(), -3);
        QCOMPARE(set.addRequirement(60), -4);
        QCOMPARE(ocIds(set.walk()), (QList<int>{13, 16, -1, -3, -4}));
        QCOMPARE(set.rowOf(-4), 4);
        QCOMPARE(set.rowOf(-2), -1);
        QVERIFY(!set.positionOn(GroupKey(-2)));

        Recordset rows = set.rows();
        QVERIFY(set.positionOn(ParamKey(-4, QStringLiteral("conoptval1"))));
        QCOMPARE(rows.value(u"conID").toInt(), 60);
        QCOMPARE(rows.value(u"contypeID").toInt(), 101);
        QCOMPARE(rows.value(u"conobject").toInt(), 1);
        QCOMPARE(rows.value(u"objID").toInt(), 7);
        QVERIFY(rows.value(u"secobjID").isNull());
        QCOMPARE(rows.status(), Recordset::adRecNew);

        // A new load restarts the numbering.
        set.setParent(hierarchicalSet(sampleRows()));
        set.applyFilter();
        QCOMPARE(set.addRequirement(10), -1);
    }

    void objectIdByKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariant>("objectId");
        QTest::newRow("programme") << 1 << QVariant(7);
        QTest::newRow("department") << 13 << QVariant(QStringLiteral("D1"));
        QTest::newRow("department by id") << 14 << QVariant(QStringLiteral("D9"));
        QTest::newRow("unknown kind") << 5 << QVariant();
    }
    void objectIdByKind()
    {
        QFETCH(int, kind);
        QFETCH(QVariant, objectId);
        RequirementSet set;
        set.setObjectKind(kind);
        set.setDepartmentId(QStringLiteral("D9"));
        set.setParent(hierarchicalSet(sampleRows()));
        QCOMPARE(set.objectId().toString(), objectId.toString());
        QCOMPARE(set.objectId().isNull(), objectId.isNull());
    }

    void refusesUnusableRecordsets_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("nothing") << 0 << 1001 << "";
        QTest::newRow("no chapter") << 1 << 61200 << "QEMObjectConstraint";
        QTest::newRow("child without coneval") << 2 << 61200 << "coneval";
    }
    void refusesUnusableRecordsets()
    {
        QFETCH(int, which);
        QFETCH(int, number);
        QFETCH(QString, mentions);
        Recordset given;
        if (which == 1) {
            given = Recordset({makeField(QStringLiteral("prID"), adInteger)});
            given.addNew();
        } else if (which == 2) {
            QList<Field> fields = requirementFields();
            fields.removeLast();
            given = Recordset({makeField(QStringLiteral("prID"), adInteger),
                               makeField(QStringLiteral("QEMObjectConstraint"), adChapter)});
            given.addNew();
            given.setChapter(u"QEMObjectConstraint", Recordset(fields));
        }
        RequirementSet set;
        set.setObjectKind(1);
        try {
            set.setParent(given);
            QFAIL("accepted");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, number);
            QVERIFY(e.description.contains(mentions));
            QVERIFY(!e.description.isEmpty());
        }
        QVERIFY(!set.hasRows());
    }
};

QTEST_GUILESS_MAIN(tst_RequirementSet)
#include "tst_requirementset.moc"
