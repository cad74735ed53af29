#include "../datafile.h"
#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "itempanel/itempanelmodel.h"
#include "jsonschema.h"
#include "requirements/requirementseditor.h"
#include "serverfixture.h"

#include <QtTest>

using namespace zr;

// The sample database's sets, loaded from the server, pass the checks a save makes.
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
        QTest::addColumn<QStringList>("set");
        for (const QStringList &row : zr::test::dataRows(QFINDTESTDATA("data/samplesets.tsv")))
            QTest::newRow(qPrintable(row.join(QLatin1Char(' ')))) << row;
    }
    void sampleSetsPass()
    {
        QFETCH(QStringList, set);
        QCOMPARE(set.size(), 5);
        auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), QString());
        RequirementsEditor editor;
        editor.setServerName(QString());
        editor.setDepartmentId(QStringLiteral("105"));
        editor.setSchema(std::make_shared<const server::JsonSchema>());
        editor.set().setObjectKind(set.at(0).toInt());
        editor.set().setContext(set.at(3).toInt());
        if (set.at(4).toInt() != 0)
            editor.setCurriculum(set.at(4).toInt());
        const QVariant secondary = set.at(2).isEmpty() ? QVariant() : QVariant(set.at(2).toInt());
        try {
            editor.load(constraints->LoadObjectConstraints(set.at(0).toInt(), set.at(1).toInt(), secondary));
            QVERIFY2(editor.list()->count() > 0, "the sample has requirements here");
            editor.validate();
        } catch (const ZrError &e) {
            QFAIL(qPrintable(QStringLiteral("%1 %2: %3").arg(e.number).arg(e.source, e.description)));
        }
    }
};

QTEST_GUILESS_MAIN(tst_SampleValidation)
#include "tst_samplevalidation.moc"
