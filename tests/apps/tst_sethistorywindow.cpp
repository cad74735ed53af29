#include "clirunner.h"
#include "common/langstrings.h"
#include "database.h"
#include "hostfixture.h"
#include "impactanswer.h"
#include "mainwindow.h"
#include "requirementstore.h"
#include "requirements/setversion.h"
#include "saverows.h"
#include "serverfixture.h"
#include "sethistorywindow.h"
#include "setversionstore.h"
#include "common/createserverobject.h"
#include "common/serverobjects.h"

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

using namespace zr;
using zr::test::comparable;
using zr::test::onRow;
using zr::test::rowsOf;

namespace {

const QString kSource = QStringLiteral("tst_sethistorywindow");
// Programme 1's context 104 holds rows 25 and 26, joined by "[%25] OR [%26]".
const QString kSetKey = RequirementSetKey(1, 1, 104, QString());

// Saves `value` as Value 1 of requirement 25 of the set.
void saveValue(const QString &server, const QString &value)
{
    auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), server);
    Recordset set = constraints->LoadObjectConstraints(1, 1);
    Recordset rows = rowsOf(set);
    QVERIFY(onRow(rows, 25));
    rows.setValue(u"conoptval1", value);
    constraints->SaveConstraints(set);
}

// Version `number` of the set, its rows compared without their ids.
QJsonArray versionRows(const QString &server, qint64 number)
{
    auto db = server::Database::open(server);
    return comparable(server::RequirementStore(*db).versionFile(kSetKey, number, kSource));
}

} // namespace

// File > History of the set in the host window: the list of versions, the
// difference of two, and a restored version that is saved as a new one.
class tst_SetHistoryWindow : public QObject
{
    Q_OBJECT
    zr::test::ServerFixture m_fixture;

private Q_SLOTS:
    void initTestCase()
    {
        test::useOwnSettings(QStringLiteral("tst_sethistorywindow"));
        StringService::instance().setLanguageId(LangEnglish);
    }

    void listsComparesAndRestores_data() { zr::test::ServerFixture::backendRows(); }

    void listsComparesAndRestores()
    {
        ZR_BACKEND_ROW();
        saveValue(server, QStringLiteral("200"));
        saveValue(server, QStringLiteral("300"));
        saveValue(server, QStringLiteral("400"));
        CreateServerObjectAs<cStudent>(QStringLiteral("zrQEMSvr"), server)
            ->SaveExcludedStudent(QStringLiteral("s"), QStringLiteral("12"), 1, 1, 104, 0, 0);
        if (QTest::currentTestFailed())
            return;

        app::MainWindow window(server);
        window.loadObjects();
        window.selectFirstProgramme();
        auto *context = window.findChild<QComboBox *>(QStringLiteral("context"));
        context->setCurrentIndex(context->findData(104));
        Q_EMIT context->activated(context->currentIndex());

        // The window as File > History opens it: newest first, one version
        // shows what its save did, two what changed between them.
        QAction *show = window.findChild<QAction *>(QStringLiteral("historyAction"));
        QVERIFY(show);
        show->trigger();
        const QPointer<app::SetHistoryWindow> history = window.findChild<app::SetHistoryWindow *>();
        QVERIFY(history && history->isVisible());
        QStringList seen;
        const app::SetHistoryModel &model = history->model();
        for (int row = 0; row < model.rowCount(); ++row)
            seen << model.index(row, app::SetHistoryModel::VersionColumn).data().toString() + QLatin1Char(' ')
                        + model.index(row, app::SetHistoryModel::SummaryColumn).data().toString();
        seen << history->differenceText();
        history->choose({1, 3});
        seen << history->differenceText();
        QCOMPARE(seen, (QStringList{QStringLiteral("3 Value 1 of Course Type 300 → 400"),
                                    QStringLiteral("2 Value 1 of Course Type 200 → 300"),
                                    QStringLiteral("1 Value 1 of Course Type 180 → 200"),
                                    QStringLiteral("0 the set as first stored"),
                                    QStringLiteral("From version 2 to version 3:\nChanged (25) Course Type:\n  Value 1: 300 → 400"),
                                    QStringLiteral("From version 1 to version 3:\nChanged (25) Course Type:\n  Value 1: 200 → 400")}));
        // The set's list of excepted students follows, compared the same way but not restored here.
        auto *restore = history->findChild<QPushButton *>(QStringLiteral("historyRestore"));
        const app::SetHistoryModel &exceptions = history->exceptionsModel();
        QCOMPARE(exceptions.rowCount(), 2);
        QCOMPARE(exceptions.index(0, app::SetHistoryModel::SummaryColumn).data().toString(), QStringLiteral("1 added"));
        history->choose({1}, true);
        QCOMPARE(history->differenceText(), QStringLiteral("From version 0 to version 1:\nExcepted: 1001084 Τσιρίγος Αναστάσιος"));
        QVERIFY(!restore->isEnabled());
        history->choose({1});
        QVERIFY(restore->isEnabled());
        QVERIFY(history->findChild<QTreeView *>(QStringLiteral("historyExceptions"))->selectionModel()->selectedRows().isEmpty());
        restore->click();
        QVERIFY(!history || !history->isVisible());

        // Restored, the version is an unsaved edit; saved, a new version with its rows.
        QVERIFY(window.isWindowModified());
        const test::ImpactAnswer impact; // the restored version may turn some students' results
        QVERIFY(window.save());
        const QList<server::KeptVersion> kept
            = server::SetVersionStore(*server::Database::open(server), kSource).history(kSetKey);
        QCOMPARE(kept.size(), 4);
        QCOMPARE(versionRows(server, 4), versionRows(server, 1));
        QVERIFY(versionRows(server, 4) != versionRows(server, 3));
    }
};

QTEST_MAIN(tst_SetHistoryWindow)
#include "tst_sethistorywindow.moc"
