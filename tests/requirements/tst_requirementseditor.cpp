#include "common/langstrings.h"
#include "itempanel/itempanelmodel.h"
#include "reqtypes/requirementkeys.h"
#include "requirementfixture.h"
#include "requirements/requirementseditor.h"

#include <QSignalSpy>
#include <QtTest>

using namespace zr;
using namespace zr::test;

// The editor without widgets, on a QCoreApplication: every edit names its requirement.
class tst_RequirementsEditor : public QObject
{
    Q_OBJECT

    static Recordset curricula()
    {
        Recordset rs({makeField(QStringLiteral("orID"), adInteger),
                      makeField(QStringLiteral("ordescription"), adVarWChar, 100)});
        for (int id : {1, 2}) {
            rs.addNew();
            rs.setValue(u"orID", id);
            rs.setValue(u"ordescription", QStringLiteral("Κατεύθυνση %1").arg(id));
        }
        rs.updateBatch();
        return rs;
    }

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    void editsNameTheirRequirement()
    {
        RequirementsEditor editor;
        editor.lookups().setFetcher([](const QString &table, const QString &) {
            return table == QLatin1String("QEMDPOrientation") ? curricula() : Recordset();
        });
        editor.set().setContext(103);
        editor.set().setObjectKind(1);
        const QVariantMap eval{{QStringLiteral("coneval"), QStringLiteral("[%11] OR [%14]")}};
        editor.load(hierarchicalSet({{11, 103, 1, 7, QStringLiteral("1"), 30, eval},
                                     {12, 103, 1, 7, QStringLiteral("2"), 40},
                                     {14, 103, 1, 7, QStringLiteral("1"), 80, eval}}));
        QCOMPARE(editor.curricula().size(), 2);
        QCOMPARE(editor.list()->keys(), (QStringList{"I11", "I14"}));
        QSignalSpy modified(&editor, &RequirementsEditor::modifiedChanged);
        QSignalSpy changed(&editor, &RequirementsEditor::changed);

        // A delete as the first edit marks the set modified, and takes its place in the
        // expression: one requirement left is the default expression, stored empty.
        QVERIFY(!editor.deleteRequirement(12)); // another curriculum's
        QVERIFY(editor.deleteRequirement(14));
        QCOMPARE(modified.count(), 1);
        QCOMPARE(editor.set().expression(), QString());
        QCOMPARE(editor.list()->keys(), QStringList{"I11"});

        const qint32 added = editor.addRequirement(40);
        QCOMPARE(added, -1);
        QCOMPARE(editor.list()->caption(GroupKey(added)), QStringLiteral("(N1) ") + editor.captionOf(12));
        QCOMPARE(editor.set().expression(), QString()); // the default already has it
        QCOMPARE(changed.count(), 2);
        QVERIFY(editor.set().isModified());

        // A switch keeps each curriculum's rows and expression.
        editor.chooseCurriculum(2);
        QCOMPARE(editor.list()->keys(), QStringList{"I12"});
        editor.chooseCurriculum(1);
        QCOMPARE(editor.list()->keys(), (QStringList{"I11", "I-1"}));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(modified.count(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_RequirementsEditor)
#include "tst_requirementseditor.moc"
