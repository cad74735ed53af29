#include "../datafile.h"
#include "common/langstrings.h"
#include "itempanel/itempanelmodel.h"
#include "reqtypes/requirementkeys.h"
#include "requirementfixture.h"
#include "requirements/requirementseditor.h"
#include "requirements/setedit.h"

#include <QSignalSpy>
#include <QtTest>

using namespace zr;
using namespace zr::test;

// The editor without widgets, on a QCoreApplication: every edit names its requirement.
class tst_RequirementsEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    void editsNameTheirRequirement()
    {
        RequirementsEditor editor;
        setUpEditor(editor, 103); // each curriculum has its own degree set
        const QVariantMap eval{{QStringLiteral("coneval"), QStringLiteral("[%11] OR [%14]")}};
        editor.load(hierarchicalSet({{11, 103, 1, 7, QStringLiteral("1"), 30, eval},
                                     {12, 103, 1, 7, QStringLiteral("2"), 40},
                                     {14, 103, 1, 7, QStringLiteral("1"), 80, eval}}));
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
        QCOMPARE(changed.count(), 2);
        // A switch keeps each curriculum's rows and expression.
        editor.chooseCurriculum(2);
        QCOMPARE(editor.list()->keys(), QStringList{"I12"});
        editor.chooseCurriculum(1);
        QCOMPARE(editor.list()->keys(), (QStringList{"I11", GroupKey(added)}));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(modified.count(), 1);
    }

    void singleCurriculumTakesEveryRow()
    {
        RequirementsEditor editor;
        setUpEditor(editor, 103, 1, {5});
        editor.load(hierarchicalSet({{11, 103, 1, 7, QStringLiteral("1"), 30},
                                     {12, 103, 1, 7, QStringLiteral("2"), 40},
                                     {13, 101, 1, 7, QVariant(), 10}}));
        QCOMPARE(editor.list()->keys(), (QStringList{"I11", "I12"}));
        Recordset rows = editor.set().walk();
        for (rows.moveFirst(); !rows.eof(); rows.moveNext())
            QCOMPARE(rows.value(u"secobjID").toString(), QStringLiteral("5"));
    }

    // Every edit the editor reports can be taken back and made again: the
    // rows written back, the expression and the list come out as they were.
    void editsUndoAndRedo_data() { zr::test::addDataRows(QFINDTESTDATA("data/editorsteps.tsv")); }
    void editsUndoAndRedo()
    {
        QFETCH(QString, operation);
        RequirementsEditor editor;
        setUpEditor(editor, 103); // each curriculum has its own degree set
        const QVariantMap eval{{QStringLiteral("coneval"), QStringLiteral("[%11] OR [%14] OR [%15]")}};
        QVariantMap grade = eval;
        grade.insert(QStringLiteral("conoptval3"), QStringLiteral("0,5"));
        grade.insert(QStringLiteral("conselobjIDs"), QStringLiteral("7,8"));
        // Rows as the editor writes them back (12 with the choice its sheet loads a NULL as),
        // so that only the edit tells the snapshots apart.
        editor.load(hierarchicalSet({{11, 103, 1, 7, QStringLiteral("1"), 30, grade},
                                     {12, 103, 1, 7, QStringLiteral("2"), 40, {{QStringLiteral("conoptval6"), 0}}},
                                     {14, 103, 1, 7, QStringLiteral("1"), 80, eval},
                                     {15, 103, 1, 7, QStringLiteral("1"), 70, eval}}));
        if (operation == QLatin1String("delete new"))
            editor.addRequirement(70);
        const QStringList before = snapshot(editor);

        QSignalSpy edits(&editor, &RequirementsEditor::edited);
        if (operation.startsWith(QLatin1String("value")) || operation == QLatin1String("operator")) {
            const bool value = operation != QLatin1String("operator");
            const QString key = ParamKey(11, QLatin1String(value ? "conoptval3" : "conoperator"));
            QVERIFY(editor.list()->editValue(key, value ? QVariant(QStringLiteral("0,8"))
                                                        : QVariant(ChoiceKey(11, QStringLiteral("3")))));
            editor.valueChanged(key);
            if (operation == QLatin1String("value rebuilt")) {
                editor.rebuildSheets(); // as a language change does: the sheets wait to be built again
                QVERIFY(editor.list()->isDeferred(GroupKey(11)));
            }
        } else if (operation == QLatin1String("add")) {
            editor.addRequirement(40);
        } else if (operation == QLatin1String("delete")) {
            QVERIFY(editor.deleteRequirement(14));
        } else if (operation == QLatin1String("delete new")) {
            QVERIFY(editor.deleteRequirement(-1));
        } else if (operation == QLatin1String("expression")) {
            editor.setExpression(QStringLiteral("[%11] AND ([%14] OR [%15])"));
        } else {
            editor.chooseCurriculum(2);
        }
        QCOMPARE(edits.count(), 1);
        const SetEdit edit = edits.first().first().value<SetEdit>();
        const QStringList after = snapshot(editor);
        QVERIFY(after != before);

        editor.apply(edit.inverse());
        QCOMPARE(snapshot(editor), before);
        editor.apply(edit);
        QCOMPARE(snapshot(editor), after);
        QCOMPARE(edits.count(), 1); // applying is no edit of its own
    }

private:
    // What an edit can change, written back: the list's keys and captions, the
    // curriculum shown and its expression, and every live row's fields by id.
    static QStringList snapshot(RequirementsEditor &editor)
    {
        editor.storeAllGroups();
        QStringList lines{QString::number(editor.set().curriculumId()), editor.set().expression()};
        ItemPanelModel *list = editor.list();
        for (const QString &key : list->keys()) {
            lines << key + QLatin1Char(' ') + list->caption(key);
            // What each sheet shows (asking for its rows builds a sheet left to be built).
            for (const QString &row : list->keys(key))
                lines << row + QLatin1Char(' ') + list->valueText(row);
        }
        QMap<int, QString> rows;
        Recordset walk = editor.set().rows().clone();
        for (walk.moveFirst(); !walk.eof(); walk.moveNext()) {
            QStringList fields;
            for (int i = 0; i < walk.fieldCount(); ++i)
                fields << walk.value(i).toString() + (walk.value(i).isNull() ? QStringLiteral("(NULL)") : QString());
            rows.insert(walk.value(u"ocID").toInt(), fields.join(QLatin1Char('|')));
        }
        for (const QString &row : std::as_const(rows))
            lines << row;
        return lines;
    }
};

QTEST_GUILESS_MAIN(tst_RequirementsEditor)
#include "tst_requirementseditor.moc"
