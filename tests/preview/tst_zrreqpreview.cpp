#include "../datafile.h"
#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "preview/frmstudconstraints.h"
#include "dialogs/frmexclusions.h"
#include "itempanel/tilepanel.h"
#include "search/zrsearchx.h"
#include "audit/audittrace.h"
#include "preview/zrreqpreview.h"
#include "requirements/zrrequirements.h"
#include "database.h"
#include "serverfixture.h"
#include "../requirements/widgetfixture.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace zr;
using namespace zr::test;

// The student preview on the sample database: what it shows for a student,
// and what editing and restoring leave on the server.
class tst_zrReqPreview : public QObject
{
    Q_OBJECT
    ServerFixture m_server;

    static QString label(const zrReqPreview &preview) { return preview.findChild<QLabel *>(QStringLiteral("Label4"))->text(); }
    static QStringList lines(const zrReqPreview &preview)
    {
        const QString text = preview.findChild<QPlainTextEdit *>(QStringLiteral("txtConstraints"))->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
    static QPushButton *button(const zrReqPreview &preview, const char *name)
    {
        return preview.findChild<QPushButton *>(QLatin1String(name));
    }
    // What the server says applies to the student, bypassing the control.
    static bool individualOnServer(qint32 student, int *count = nullptr)
    {
        bool individual = false;
        const Recordset rows = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), QString())
                                   ->LoadStudPtyxConstraints(QStringLiteral("t"), student, individual);
        if (count)
            *count = rows.recordCount();
        return individual;
    }
    // The student's own requirement rows on the server.
    static int ownRows(qint32 student)
    {
        QVariant kind = 8, context = 103, id = student, curriculum = QString();
        return CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), QString())
            ->LoadConstraintsWithDescription(kind, context, id, curriculum)
            .recordCount();
    }
    static QString refuseTrigger(const char *statement)
    {
        return QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON QEMStudRegulation BEGIN SELECT RAISE(ABORT, 'refused'); END")
            .arg(QLatin1String(statement));
    }
    static void execSql(const QString &sql) { server::Database::open(QString())->execControl(sql, QStringLiteral("test")); }
    std::unique_ptr<zrReqPreview> shown(qint32 student)
    {
        auto preview = std::make_unique<zrReqPreview>();
        preview->setSessionID(QStringLiteral("t"));
        preview->LoadStudConstraints(student);
        return preview;
    }

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }
    void init() { QVERIFY(m_server.reset(QStringLiteral("sqlite"))); }

    // Each load replaces what was shown: the regulation that applies; nothing for an id below 1,
    // asking no server; for an unknown student an error and nothing shown.
    void showsTheRegulationThatApplies_data() { zr::test::addDataRows(QFINDTESTDATA("data/regulations.tsv")); }
    void showsTheRegulationThatApplies()
    {
        QFETCH(int, student);
        QFETCH(bool, individual);
        QFETCH(int, count);
        auto preview = shown(7);
        // Any call to this server fails, so only a call that is never made succeeds.
        if (student < 1)
            preview->setServerName(QStringLiteral("no-such-host.invalid"));
        try {
            preview->LoadStudConstraints(student);
            QVERIFY(count >= 0);
        } catch (const ZrError &error) {
            QCOMPARE(count, -1);
            QVERIFY(error.source.endsWith(QStringLiteral(", zrReqPreview.LoadStudConstraints")));
            QVERIFY(error.description.contains(QString::number(student)));
            QVERIFY(lines(*preview).isEmpty());
            QVERIFY(preview->shownRequirements().isNull());
            return;
        }
        QCOMPARE(preview->isIndividual(), individual);
        QCOMPARE(label(*preview), GetLangString(individual ? 20583 : 20584));
        QCOMPARE(button(*preview, "cmdRestore")->isEnabled(), individual);
        QVERIFY(button(*preview, "cmdEdit")->isEnabled());
        const QStringList shownLines = lines(*preview);
        QCOMPARE(shownLines.size(), count);
        Recordset rows = count ? preview->shownRequirements().clone() : Recordset();
        for (int n = 0; n < count; ++n, rows.moveNext()) {
            QCOMPARE(shownLines.at(n), QString::number(n + 1) + QStringLiteral(") ") + rows.value(u"condesc").toString());
            QVERIFY(!rows.value(u"condesc").toString().isEmpty());
        }
        if (student < 1)
            QVERIFY_THROWS_EXCEPTION(ZrError, preview->LoadStudConstraints(7));
    }

    // With ShowAudit each requirement carries the mark the audit gives it, and the header the set's
    // verdict; switching it off brings the plain numbered text back.
    void marksFollowTheStudentsRecord_data()
    {
        QTest::addColumn<int>("student");
        QTest::addColumn<int>("verdict"); // SetVerdict
        QTest::addColumn<QList<int>>("unmetLines");
        QTest::newRow("too few ECTS") << 84 << int(SetVerdict::Unmet) << QList<int>{1};
        QTest::newRow("excepted from the programme's set") << 205 << int(SetVerdict::Excepted) << QList<int>{};
        QTest::newRow("his own regulation") << 7 << int(SetVerdict::Met) << QList<int>{2};
    }
    void marksFollowTheStudentsRecord()
    {
        QFETCH(int, student);
        QFETCH(int, verdict);
        QFETCH(QList<int>, unmetLines);
        auto preview = shown(student);
        const QStringList plain = lines(*preview);
        preview->setShowAudit(true);
        QVERIFY2(label(*preview).endsWith(VerdictText(SetVerdict(verdict))), qPrintable(label(*preview)));
        const QStringList marked = lines(*preview);
        QCOMPARE(marked.size(), plain.size());
        QList<int> unmet;
        const QStringList marks{VerdictMark(AuditVerdict::Met), VerdictMark(AuditVerdict::Unmet),
                                VerdictMark(AuditVerdict::NotChecked)};
        for (int n = 0; n < marked.size(); ++n) {
            const QString prefix = QString::number(n + 1) + QStringLiteral(") ");
            const QString mark = marked.at(n).mid(prefix.size(), 1);
            QVERIFY2(marks.contains(mark), qPrintable(marked.at(n)));
            // The description stays whole after the mark.
            QVERIFY(marked.at(n).contains(plain.at(n).mid(prefix.size())));
            if (mark == VerdictMark(AuditVerdict::Unmet))
                unmet << n + 1;
        }
        QCOMPARE(unmet, unmetLines);
        preview->setShowAudit(false);
        QCOMPARE(lines(*preview), plain);
        QVERIFY(!label(*preview).endsWith(VerdictText(SetVerdict(verdict))));
    }

    // The host's choice to disable the control outlasts a later load; enabled, restore stays for the student's own set.
    void disabledControlStaysDisabledOnLoad()
    {
        for (qint32 student : {7, 6}) {
            auto preview = shown(student);
            preview->EnableControl(false);
            preview->LoadStudConstraints(student);
            QVERIFY(!button(*preview, "cmdEdit")->isEnabled());
            QVERIFY(!button(*preview, "cmdRestore")->isEnabled());
            preview->EnableControl(true);
            QVERIFY(button(*preview, "cmdEdit")->isEnabled());
            QCOMPARE(button(*preview, "cmdRestore")->isEnabled(), student == 7);
        }
    }

    // OK saves the programme's set, edited, as the student's own; Cancel, or a server that refuses, saves nothing.
    void editSavesAnIndividualRegulation_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("refused");
        QTest::newRow("OK") << true << false;
        QTest::newRow("Cancel") << false << false;
        QTest::newRow("OK, the server refuses") << true << true;
    }
    void editSavesAnIndividualRegulation()
    {
        QFETCH(bool, accept);
        QFETCH(bool, refused);
        auto preview = shown(6);
        if (refused)
            execSql(refuseTrigger("INSERT"));
        QSignalSpy changed(preview.get(), &zrReqPreview::ConstraintsChanged);
        QSignalSpy failed(preview.get(), &zrReqPreview::ErrorOccurred);
        whenShown<frmStudConstraints>(this, [accept](frmStudConstraints *dialog) {
            zrRequirements *editor = dialog->requirements();
            QCOMPARE(editor->ConstrType(), 103); // its kind: the saved rows' below
            QCOMPARE(editor->DepartID(), QStringLiteral("105"));
            QVERIFY(!editor->ShowExclusions());
            // The programme's requirements are offered to start from.
            Recordset rows = editor->rsConstraints().clone();
            QVERIFY(rows.find(QStringLiteral("conID = 70"), 0, Recordset::SearchForward, Recordset::StartFirst));
            QVERIFY(listOf(*editor)->editValue(QStringLiteral("I%1,conoptval1").arg(rows.value(u"ocID").toInt()),
                                               QStringLiteral("9")));
            accept ? dialog->accept() : dialog->reject();
        });
        button(*preview, "cmdEdit")->click();
        QVERIFY(!QApplication::activeModalWidget());
        const bool saved = accept && !refused;
        QCOMPARE(failed.count(), refused ? 1 : 0);
        QCOMPARE(changed.count(), saved ? 1 : 0);
        QCOMPARE(preview->isIndividual(), saved);
        QCOMPARE(label(*preview), GetLangString(saved ? 20583 : 20584));
        QCOMPARE(button(*preview, "cmdRestore")->isEnabled(), saved);
        if (refused) {
            QVERIFY(failed.first().at(2).toString().contains(QStringLiteral("zrReqPreview.cmdEdit")));
            QCOMPARE(LastError().number, failed.first().at(0).toInt());
            execSql(QStringLiteral("DROP TRIGGER refuse"));
        }
        int count = 0;
        QCOMPARE(individualOnServer(6, &count), saved);
        QCOMPARE(count, 7);
        QCOMPARE(lines(*preview).size(), 7);
        QCOMPARE(ownRows(6), saved ? 7 : 0); // nothing half-saved
        if (!saved)
            return;
        Recordset row = preview->shownRequirements().clone();
        QVERIFY(row.find(QStringLiteral("conID = 70"), 0, Recordset::SearchForward, Recordset::StartFirst));
        QCOMPARE(row.value(u"conoptval1").toString(), QStringLiteral("9"));
        QCOMPARE(row.value(u"conobject").toInt(), 8);
        // The expression names the saved requirements, not the temporary ones.
        QVERIFY(row.value(u"coneval").toString().contains(QStringLiteral("[%") + row.value(u"ocID").toString()));
        QVERIFY(!row.value(u"coneval").toString().contains(QStringLiteral("[%-")));
    }

    void restoreAsksThenDeletes_data() { zr::test::addDataRows(QFINDTESTDATA("data/restores.tsv")); }
    void restoreAsksThenDeletes()
    {
        QFETCH(bool, yes);
        QFETCH(bool, refused);
        QFETCH(bool, savedSince);
        auto preview = shown(7);
        if (savedSince) {
            execSql(QStringLiteral("UPDATE QEMObjectConstraint SET conoptval1 = '261' WHERE conobject = 8 AND objID = 7"));
            execSql(QStringLiteral("INSERT OR REPLACE INTO QEMSetVersion (setkey, version) VALUES ('8/7/103/', 99)"));
        } else if (refused) {
            execSql(refuseTrigger("DELETE"));
        }
        QSignalSpy changed(preview.get(), &zrReqPreview::ConstraintsChanged);
        QSignalSpy failed(preview.get(), &zrReqPreview::ErrorOccurred);
        whenShown<QMessageBox>(this, [yes](QMessageBox *box) {
            QCOMPARE(box->windowTitle(), GetLangString(20582));
            box->findChild<QPushButton *>(yes ? QStringLiteral("button6") : QStringLiteral("button7"))->click();
        });
        button(*preview, "cmdRestore")->click();

        const bool restored = yes && !refused;
        QCOMPARE(failed.count(), refused ? 1 : 0);
        QCOMPARE(changed.count(), restored ? 1 : 0);
        QCOMPARE(preview->isIndividual(), !restored);
        QCOMPARE(button(*preview, "cmdRestore")->isEnabled(), !restored);
        QCOMPARE(label(*preview), GetLangString(restored ? 20584 : 20583));
        if (refused) {
            QVERIFY(failed.first().at(2).toString().contains(QStringLiteral("zrReqPreview.cmdRestore")));
            QCOMPARE(LastError().number, failed.first().at(0).toInt());
            if (savedSince)
                QCOMPARE(failed.first().at(0).toInt(), ErrStoredSetChanged);
            else
                execSql(QStringLiteral("DROP TRIGGER refuse"));
        }
        int count = 0;
        QCOMPARE(individualOnServer(7, &count), !restored);
        // Nothing removed, the requirements shown stay: after a newer save, as it has them now.
        QCOMPARE(lines(*preview).size(), count);
        if (savedSince)
            QCOMPARE(preview->shownRequirements().clone().value(u"conoptval1").toString(), QStringLiteral("261"));
        QCOMPARE(ownRows(7), restored ? 0 : 3);
        if (restored) // the programme's rules of the student's curriculum 13
            QCOMPARE(preview->shownRequirements().clone().value(u"conobject").toInt(), 1);
    }

    void invalidRequirementKeepsTheDialogOpen()
    {
        Recordset editSet = CreateServerObjectAs<cStudent>(QStringLiteral("zrQEMSvr"), QString())->LoadStudConstraints(QStringLiteral("t"), 7);
        Recordset rows = editSet.clone().chapter(u"QEMObjectConstraint").clone();
        QVERIFY(rows.find(QStringLiteral("conID = 40"), 0, Recordset::SearchForward, Recordset::StartFirst));
        const QString key = QStringLiteral("I") + rows.value(u"ocID").toString() + QStringLiteral(",conoptval1");
        const QVariant stored = rows.value(u"conoptval1");

        frmStudConstraints dialog;
        bool cancelled = false;
        QString messageTitle;
        bool stillOpen = false;
        whenShown<frmStudConstraints>(this, [&](frmStudConstraints *shownDialog) {
            QVERIFY(listOf(*shownDialog)->editValue(key, QStringLiteral("many")));
            whenShown<QMessageBox>(this, [&messageTitle](QMessageBox *box) {
                messageTitle = box->windowTitle();
                box->findChild<QPushButton *>(QStringLiteral("button1"))->click();
            });
            shownDialog->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
            stillOpen = shownDialog->isVisible();
            shownDialog->reject();
        });
        dialog.ShowStudConstraints(QString(), QStringLiteral("t"), 7, editSet, cancelled);
        QCOMPARE(messageTitle, GetLangString(20576));
        QVERIFY(stillOpen);
        QVERIFY(cancelled);
        // Nothing of the refused edit reached the rows.
        QCOMPARE(rows.value(u"conoptval1"), stored);
    }

    void refusesToOpenWithoutARequirementSet()
    {
        for (Recordset editSet : {Recordset(), Recordset({makeField(QStringLiteral("department_ID"), adVarWChar, 10)})}) {
            frmStudConstraints dialog;
            bool cancelled = false;
            try {
                dialog.ShowStudConstraints(QString(), QStringLiteral("t"), 7, editSet, cancelled);
                QFAIL("the dialog opened");
            } catch (const ZrError &error) {
                QCOMPARE(error.number, 61550);
            }
            QVERIFY(cancelled);
            QVERIFY(!dialog.isVisible());
        }
    }

    // Every property of ours a host or a designer can write says when it changed, and only then.
    void writablePropertiesNotifyTheirChanges()
    {
        for (QObject *control : std::initializer_list<QObject *>{new zrRequirements, new zrReqPreview, new TilePanel,
                                                                 new ItemPanelModel, new zrSearchX, new frmExclusions}) {
            const std::unique_ptr<QObject> owned(control);
            const QMetaObject *meta = control->metaObject();
            for (int i = 0; i < meta->propertyCount(); ++i) {
                const QMetaProperty property = meta->property(i);
                if (!property.isWritable() || !QByteArray(property.enclosingMetaObject()->className()).startsWith("zr::"))
                    continue;
                QVERIFY2(property.hasNotifySignal(), property.name());
                QSignalSpy spy(control, property.notifySignal());
                const QVariant before = property.read(control);
                QVERIFY(property.write(control, before) && spy.isEmpty());
                QVariant other;
                switch (before.typeId()) {
                case QMetaType::Bool: other = !before.toBool(); break;
                case QMetaType::Int: other = before.toInt() + 1; break;
                case QMetaType::QString: other = before.toString() + QLatin1Char('1'); break;
                case QMetaType::QColor: other = QColor(before.value<QColor>() == Qt::red ? Qt::blue : Qt::red); break;
                case QMetaType::QFont: other = QFont(QStringLiteral("Serif"), before.value<QFont>().pointSize() + 3); break;
                case QMetaType::QObjectStar: other = QVariant::fromValue(control); break;
                default: QFAIL(property.typeName());
                }
                QVERIFY(property.write(control, other));
                QVERIFY2(spy.size() == (property.read(control) != before ? 1 : 0), property.name());
            }
        }
    }
};

QTEST_MAIN(tst_zrReqPreview)
#include "tst_zrreqpreview.moc"
