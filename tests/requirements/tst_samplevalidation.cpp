#include "common/createserverobject.h"
#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "itempanel/tilepanel.h"
#include "common/zrerror.h"
#include "jsonschema.h"
#include "requirements/zrrequirements.h"
#include "serverfixture.h"

#include <QtTest>

using namespace zr;

// Every requirement set of the sample department, loaded into the editor
// from the reference server with its real code tables, field sizes and
// student view, passes the parameter checks: what the department ships
// must be saveable as it is.
class tst_SampleValidation : public QObject
{
    Q_OBJECT
    zr::test::ServerFixture m_server;

private Q_SLOTS:
    void initTestCase()
    {
        StringService::instance().setLanguageId(LangGreek);
        QVERIFY(m_server.reset(QStringLiteral("sqlite")));
    }

    void sampleSetsPass_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("objectId");
        QTest::addColumn<QVariant>("secondary");
        QTest::addColumn<int>("context");
        QTest::addColumn<int>("curriculum");
        QTest::addColumn<QString>("department");
        const QVariant none;
        const QString dep = QStringLiteral("105");
        for (int curriculum : {11, 12, 13}) {
            QTest::addRow("programme 1, 102, curriculum %d", curriculum) << 1 << 1 << none << 102 << curriculum << dep;
            QTest::addRow("programme 1, 103, curriculum %d", curriculum) << 1 << 1 << none << 103 << curriculum << dep;
        }
        for (int context : {104, 105, 108, 110})
            QTest::addRow("programme 1, %d", context) << 1 << 1 << none << context << 0 << dep;
        QTest::newRow("programme 2, 101") << 1 << 2 << none << 101 << 0 << dep;
        QTest::newRow("programme 2, 103, curriculum 21") << 1 << 2 << none << 103 << 21 << dep;
        QTest::newRow("programme 1 as kind 11, 109") << 11 << 1 << none << 109 << 0 << dep;
        QTest::newRow("course 25, 106") << 4 << 1 << QVariant(25) << 106 << 0 << dep;
        QTest::newRow("course 119, 106") << 4 << 1 << QVariant(119) << 106 << 0 << dep;
        QTest::newRow("course 30, 111") << 4 << 1 << QVariant(30) << 111 << 0 << dep;
        QTest::newRow("department, 112") << 13 << 105 << none << 112 << 0 << dep;
        QTest::newRow("department, 106") << 13 << 105 << none << 106 << 0 << dep;
    }
    void sampleSetsPass()
    {
        QFETCH(int, kind);
        QFETCH(int, objectId);
        QFETCH(QVariant, secondary);
        QFETCH(int, context);
        QFETCH(int, curriculum);
        QFETCH(QString, department);
        auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), QString());
        QVERIFY(constraints);

        zrRequirements editor;
        editor.setServerName(QString());
        editor.setDepartID(department);
        editor.setConstrType(context);
        editor.setAppliesTo(kind);
        editor.setOSchema(std::make_shared<const server::JsonSchema>());
        if (curriculum != 0)
            editor.setCurrentCurriculum(curriculum);
        editor.setRsConstraints(constraints->LoadObjectConstraints(kind, objectId, secondary));

        const ItemPanelModel *list = editor.findChild<TilePanel *>(QStringLiteral("smRequirements"))->model();
        QVERIFY2(list->count() > 0, "the sample has requirements here");
        try {
            QVERIFY(editor.ValidateRecords());
        } catch (const ZrError &e) {
            QFAIL(qPrintable(QStringLiteral("%1 %2: %3").arg(e.number).arg(e.source, e.description)));
        }
    }

    // A grade typed into the list fails before anything reaches the record.
    void editedGradeStopsTheSave()
    {
        auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), QString());
        zrRequirements editor;
        editor.setDepartID(QStringLiteral("105"));
        editor.setConstrType(102);
        editor.setAppliesTo(1);
        editor.setOSchema(std::make_shared<const server::JsonSchema>());
        editor.setCurrentCurriculum(11);
        editor.setRsConstraints(constraints->LoadObjectConstraints(1, 1));
        ItemPanelModel *list = editor.findChild<TilePanel *>(QStringLiteral("smRequirements"))->model();
        QVERIFY(list->editValue(QStringLiteral("I5,conoptval3"), QStringLiteral("1,5")));

        try {
            editor.UpdateRecordset();
            QFAIL("the grade 1,5 was accepted");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, 20002);
            QVERIFY2(e.description.contains(QLatin1Char('\'') + list->caption(QStringLiteral("I5")) + QLatin1Char('\'')),
                     qPrintable(e.description));
        }
        const Recordset rows = editor.rsConstraints();
        Recordset row = rows.clone();
        QVERIFY(row.find(QStringLiteral("ocID = 5")));
        QCOMPARE(row.value(u"conoptval3").toString(), QStringLiteral("0,7"));
    }
};

QTEST_MAIN(tst_SampleValidation)
#include "tst_samplevalidation.moc"
