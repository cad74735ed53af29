#include "common/createserverobject.h"
#include "../datafile.h"
#include "dialogfixture.h"
#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/msgboxex.h"
#include "recordset/recordsetmodel.h"
#include "common/serverobjects.h"
#include "itempanel/tilepanel.h"
#include "common/zrerror.h"
#include "dialogs/frmexclusions.h"
#include "jsonschema.h"
#include "requirements/zrrequirements.h"
#include "search/frmselfromlist.h"
#include "serverfixture.h"
#include "studentobject.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>

using namespace zr;

namespace {

const QString Library = QStringLiteral("zrQEMSvr");

// The reference server's students, with a record of the saving calls and a
// switch that makes the next one fail as an unreachable server would.
class RecordingStudents : public zr::server::StudentObject
{
public:
    struct Log
    {
        QStringList saves; // "mode:ids"
        bool failNextSave = false;
    };

    RecordingStudents(const QString &serverName, Log &log)
        : StudentObject(zr::server::Database::open(serverName)), m_log(log)
    {
    }
    QVariant SaveExcludedStudent(const QString &sessionID, const QString &studentIds, const QVariant &objectId,
                                 qint32 objectKind, qint32 context, qint32 extraKey, qint32 mode,
                                 qint64 *version) override
    {
        m_log.saves << QString::number(mode) + QLatin1Char(':') + studentIds;
        if (m_log.failNextSave) {
            m_log.failNextSave = false;
            throw ZrError(462, QStringLiteral("cStudent.SaveExcludedStudent"), QStringLiteral("Ο διακομιστής δεν απαντά"));
        }
        return StudentObject::SaveExcludedStudent(sessionID, studentIds, objectId, objectKind, context, extraKey, mode,
                                                  version);
    }

private:
    Log &m_log;
};

// Answers cStudent with RecordingStudents and every other class as the
// reference server does.
class RecordingBackend : public ServerBackend
{
public:
    RecordingStudents::Log log;

    QString libraryName() const override { return Library; }
    std::unique_ptr<ServerObject> create(const QString &className, const QString &serverName) override
    {
        if (className.compare(cStudent::staticClassName(), Qt::CaseInsensitive) == 0)
            return std::make_unique<RecordingStudents>(serverName, log);
        zr::server::RegisterServer();
        std::unique_ptr<ServerObject> object = CreateServerObject(className, Library, serverName);
        RegisterServerBackend(m_self.lock());
        return object;
    }
    static std::shared_ptr<RecordingBackend> install()
    {
        auto backend = std::make_shared<RecordingBackend>();
        backend->m_self = backend;
        RegisterServerBackend(backend);
        return backend;
    }

private:
    std::weak_ptr<RecordingBackend> m_self;
};

QStringList columnValues(const Recordset &rs, const char *field)
{
    QStringList values;
    const int f = rs.fieldIndex(QString::fromLatin1(field));
    for (int row = 0; row < rs.recordCount(); ++row)
        values << rs.valueAt(row, f).toString();
    return values;
}

QStringList sorted(QStringList list)
{
    std::sort(list.begin(), list.end(), [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    return list;
}

} // namespace

// The exceptions dialog against the sample database: what it lists, what
// adding and removing send to the server, and what a failure leaves.
class tst_FrmExclusions : public QObject
{
    Q_OBJECT
    zr::test::ServerFixture m_server;
    zr::server::JsonSchema m_schema;
    std::shared_ptr<RecordingBackend> m_backend;
    QList<QPointer<QTimer>> m_timers;

    QStringList serverExceptions(const QVariant &objectId, int kind, int context)
    {
        auto students = CreateServerObjectAs<cStudent>(Library, QString());
        return sorted(columnValues(students->LoadExcludedStudents(objectId, kind, context, 0), "student_ID"));
    }

    // Answers the grid's and the search pane's list requests from the server's code tables.
    void answerLists(frmExclusions &dialog)
    {
        connect(&dialog, &frmExclusions::ListSourceRequest, this,
                [](bool &cancel, const QString &source, Recordset &result, bool isQuery) {
                    QVERIFY(!isQuery);
                    auto department = CreateServerObjectAs<cDepartment>(Library, QString());
                    result = department->getTextList(source, QString());
                    cancel = false;
                });
    }

    void answerMessages(const QList<int> &results, QStringList *texts)
    {
        m_timers << zr::test::answerMessages(this, results, texts);
    }

    // Opens the dialog for an object, runs `whileOpen` on it and closes it.
    void open(const QVariant &objectId, int kind, int context, const QString &filter,
              std::function<void(frmExclusions *)> whileOpen)
    {
        frmExclusions dialog;
        answerLists(dialog);
        bool ran = false;
        zr::test::whenModal<frmExclusions>(this, [&](frmExclusions *shown) {
            whileOpen(shown);
            ran = true;
            shown->findChild<QPushButton *>(QStringLiteral("cmdClose"))->click();
        });
        dialog.ShowExcludStudents(objectId, kind, context, &m_schema, QString(), QStringLiteral("s1"), Recordset(), 0,
                                  filter, nullptr);
        QVERIFY(ran);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    static QTableView *grid(frmExclusions *dialog)
    {
        return dialog->findChild<QTableView *>(QStringLiteral("gxStudents"));
    }
    static RecordsetModel *gridModel(frmExclusions *dialog)
    {
        return qobject_cast<RecordsetModel *>(grid(dialog)->model());
    }
    static QStringList gridIds(frmExclusions *dialog)
    {
        return columnValues(gridModel(dialog)->recordset(), "student_ID");
    }
    static QString countText(frmExclusions *dialog)
    {
        return dialog->findChild<QLabel *>(QStringLiteral("lblCount"))->text();
    }
    static QString countFor(int count)
    {
        return count == 0 ? GetLangString(20566) : ReplaceParams(GetLangString(20567), {QString::number(count)});
    }

    // The students listed by the select dialog: `excepted` already excepted ones and `fresh` others.
    static void choose(frmSelFromList *selection, const QStringList &exceptedIds, int excepted, int fresh,
                       QStringList *chosenFresh)
    {
        const Recordset list = selection->list();
        QVERIFY2(!list.isNull() && list.recordCount() > 0, "the select dialog lists no students");
        const int idField = list.fieldIndex(u"student_ID");
        for (int row = 0; row < list.recordCount() && (excepted > 0 || fresh > 0); ++row) {
            const QString id = list.valueAt(row, idField).toString();
            const bool isExcepted = exceptedIds.contains(id);
            int &wanted = isExcepted ? excepted : fresh;
            if (wanted == 0)
                continue;
            --wanted;
            selection->setChosen(row, true);
            if (!isExcepted)
                *chosenFresh << id;
        }
        QCOMPARE(excepted + fresh, 0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        StringService::instance().setLanguageId(LangGreek);
        QVERIFY(m_server.reset(QStringLiteral("sqlite")));
        m_backend = RecordingBackend::install();
    }

    void cleanupTestCase()
    {
        zr::server::RegisterServer();
    }

    void init()
    {
        QVERIFY(m_server.reset(QStringLiteral("sqlite")));
        m_backend->log = {};
    }

    void cleanup()
    {
        // A box that never opened leaves its answering timer behind.
        for (const QPointer<QTimer> &timer : std::as_const(m_timers))
            delete timer.data();
        m_timers.clear();
    }

    void studentFilterFollowsObjectKind_data() { zr::test::addDataRows(QFINDTESTDATA("data/frmexclusions-student-filter-follows-object-kind.tsv")); }

    void studentFilterFollowsObjectKind()
    {
        QFETCH(int, kind);
        QFETCH(QString, filter);
        Recordset parent({makeField(QStringLiteral("prID"), adInteger),
                          makeField(QStringLiteral("progrspoud_ID"), adInteger),
                          makeField(QStringLiteral("depID"), adVarWChar, 10)});
        parent.addNew();
        parent.setValue(u"prID", 7);
        parent.setValue(u"progrspoud_ID", 9);
        parent.setValue(u"depID", QStringLiteral("D'1"));
        QCOMPARE(ExclusionStudentFilter(kind, parent, QStringLiteral("105")), filter);
        // An object without its key admits nobody rather than everybody.
        if (kind == 1) {
            parent.setValue(u"prID", QVariant());
            QCOMPARE(ExclusionStudentFilter(kind, parent, QString()), QStringLiteral("progrspoud_ID IS NULL"));
        }
    }

    void listsTheObjectsExceptions_data() { zr::test::addDataRows(QFINDTESTDATA("data/frmexclusions-lists-the-objects-exceptions.tsv")); }

    void listsTheObjectsExceptions()
    {
        QFETCH(QVariant, objectId);
        QFETCH(int, context);
        QFETCH(QStringList, ids);
        open(objectId, 1, context, QStringLiteral("progrspoud_ID=1"), [&](frmExclusions *dialog) {
            QAbstractItemModelTester tester(gridModel(dialog), QAbstractItemModelTester::FailureReportingMode::QtTest);
            QCOMPARE(sorted(gridIds(dialog)), ids);
            QCOMPARE(countText(dialog), countFor(int(ids.size())));
            QCOMPARE(dialog->findChild<QPushButton *>(QStringLiteral("cmdDelete"))->isEnabled(), !ids.isEmpty());
        });
        QCOMPARE(m_backend->log.saves, QStringList());
    }

    void addingSavesOnlyNewStudents_data() { zr::test::addDataRows(QFINDTESTDATA("data/frmexclusions-adding-saves-only-new-students.tsv")); }

    void addingSavesOnlyNewStudents()
    {
        QFETCH(QVariant, objectId);
        QFETCH(int, kind);
        QFETCH(int, context);
        QFETCH(QString, filter);
        QFETCH(int, excepted);
        QFETCH(int, fresh);
        QFETCH(int, titleId);
        QFETCH(bool, accepted);
        const QStringList before = serverExceptions(objectId, kind, context);
        QStringList chosenFresh;
        QStringList gridBefore;
        QStringList gridAfter;
        open(objectId, kind, context, filter, [&](frmExclusions *dialog) {
            gridBefore = gridIds(dialog);
            zr::test::whenModal<frmSelFromList>(this, [&](frmSelFromList *selection) {
                // The object's students, titled as its kind.
                QCOMPARE(selection->findChild<QLabel *>(QStringLiteral("smTitle"))->text(), GetLangString(titleId));
                const QStringList listed = columnValues(selection->list(), "student_ID");
                auto students = CreateServerObjectAs<cStudent>(Library, QString());
                QCOMPARE(listed, columnValues(students->LoadStudents(filter), "student_ID"));
                choose(selection, gridBefore, excepted, fresh, &chosenFresh);
                if (!accepted)
                    chosenFresh.clear(); // a cancelled choice adds nobody
                accepted ? selection->accept() : selection->reject();
            });
            dialog->findChild<QPushButton *>(QStringLiteral("cmdAdd"))->click();
            gridAfter = gridIds(dialog);
            QCOMPARE(countText(dialog), countFor(int(gridAfter.size())));
        });
        QCOMPARE(chosenFresh.size(), accepted ? fresh : 0);
        QCOMPARE(m_backend->log.saves,
                 !chosenFresh.isEmpty() ? QStringList{QStringLiteral("0:") + chosenFresh.join(QLatin1Char(','))} : QStringList());
        QCOMPARE(gridAfter, gridBefore + chosenFresh);
        QCOMPARE(serverExceptions(objectId, kind, context), sorted(before + chosenFresh));
    }

    void removingAsksThenDeletes_data() { zr::test::addDataRows(QFINDTESTDATA("data/frmexclusions-removing-asks-then-deletes.tsv")); }

    void removingAsksThenDeletes()
    {
        QFETCH(QStringList, rows);
        QFETCH(bool, selectAll);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QStringList questions;
        QStringList removed;
        QStringList remaining;
        bool deleteEnabled = true;
        open(1, 1, 105, QString(), [&](frmExclusions *dialog) {
            QTableView *view = grid(dialog);
            view->clearSelection();
            const QStringList ids = gridIds(dialog);
            if (selectAll) {
                view->setFocus();
                QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
                removed = ids;
            }
            for (const QString &row : rows) {
                view->selectionModel()->select(view->model()->index(row.toInt(), 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
                removed << ids[row.toInt()];
            }
            answerMessages({answer}, &questions);
            dialog->findChild<QPushButton *>(QStringLiteral("cmdDelete"))->click();
            if (answer != IdYes)
                removed.clear();
            remaining = gridIds(dialog);
            deleteEnabled = dialog->findChild<QPushButton *>(QStringLiteral("cmdDelete"))->isEnabled();
            QCOMPARE(countText(dialog), countFor(int(remaining.size())));
        });
        QCOMPARE(questions, asked ? QStringList{GetLangString(20015)} : QStringList());
        QCOMPARE(m_backend->log.saves,
                 removed.isEmpty() ? QStringList() : QStringList{QStringLiteral("1:") + removed.join(QLatin1Char(','))});
        QStringList expected{QStringLiteral("12"), QStringLiteral("45")};
        for (const QString &id : std::as_const(removed))
            expected.removeOne(id);
        QCOMPARE(sorted(remaining), expected);
        QCOMPARE(serverExceptions(1, 1, 105), expected);
        QCOMPARE(deleteEnabled, !expected.isEmpty());
    }

    void failedSaveLeavesTheListAsItWas_data() { zr::test::addDataRows(QFINDTESTDATA("data/frmexclusions-failed-save-leaves-the-list-as-it-was.tsv")); }

    void failedSaveLeavesTheListAsItWas()
    {
        QFETCH(bool, adding);
        QFETCH(int, headingId);
        QFETCH(bool, meanwhile);
        QFETCH(QString, error);
        QStringList messages;
        QStringList gridBefore;
        QStringList gridAfter;
        open(1, 1, 105, QStringLiteral("progrspoud_ID=1"), [&](frmExclusions *dialog) {
            gridBefore = gridIds(dialog);
            if (meanwhile)
                CreateServerObjectAs<cStudent>(QStringLiteral("zrQEMSvr"), QString())
                    ->SaveExcludedStudent(QStringLiteral("other"), QStringLiteral("13"), 1, 1, 105, 0, 0);
            else
                m_backend->log.failNextSave = true;
            if (adding) {
                zr::test::whenModal<frmSelFromList>(this, [&](frmSelFromList *selection) {
                    QStringList fresh;
                    choose(selection, gridBefore, 0, 2, &fresh);
                    selection->accept();
                });
                answerMessages({IdOk}, &messages);
                dialog->findChild<QPushButton *>(QStringLiteral("cmdAdd"))->click();
            } else {
                QTableView *view = grid(dialog);
                view->selectionModel()->select(view->model()->index(0, 0),
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                answerMessages({IdYes, IdOk}, &messages);
                dialog->findChild<QPushButton *>(QStringLiteral("cmdDelete"))->click();
            }
            gridAfter = gridIds(dialog);
            QCOMPARE(countText(dialog), countFor(int(gridAfter.size())));
        });
        const QStringList stored = meanwhile ? QStringList{"12", "13", "45"} : QStringList{"12", "45"};
        QCOMPARE(messages.size(), adding ? 1 : 2);
        QCOMPARE(m_backend->log.saves.size(), meanwhile ? 2 : 1);
        QCOMPARE(sorted(gridAfter), stored);
        QCOMPARE(serverExceptions(1, 1, 105), stored);
        QVERIFY2(messages.last().startsWith(GetLangString(headingId)) && messages.last().contains(error),
                 qPrintable(messages.last()));
    }

    // Refused before the dialog shows (were it shown, nothing here would close it).
    void degreeContextIsRefused()
    {
        frmExclusions dialog;
        try {
            dialog.ShowExcludStudents(1, 1, 103, &m_schema, QString(), QStringLiteral("s1"), Recordset(), 0,
                                      QString(), nullptr);
            QFAIL("the degree context was accepted");
        } catch (const ZrError &error) {
            QCOMPARE(error.number, 20017);
        }
        QVERIFY(!dialog.isVisible() && !QGuiApplication::overrideCursor());
    }

    // The editor opens the dialog for the object of its current requirement row: for a course of a
    // department (kind 14) the course, not the department it belongs to.
    void editorOpensTheDialogForItsObject_data() { zr::test::addDataRows(QFINDTESTDATA("data/frmexclusions-editor-opens-the-dialog.tsv")); }

    void editorOpensTheDialogForItsObject()
    {
        QFETCH(int, kind);
        QFETCH(int, object);
        QFETCH(int, context);
        QFETCH(QStringList, excepted);
        QFETCH(QString, admitted);
        QFETCH(int, titleId);
        if (kind == 14) {
            zr::server::Database::open(QString())->execControl(
                QStringLiteral("INSERT INTO QEMObjectConstraint (ocID, contypeID, conobject, objID, conID, conoperator, "
                               "conoptval1) VALUES (9001, 106, 14, 30, 70, 8, '1')"),
                QStringLiteral("test"));
            CreateServerObjectAs<cStudent>(Library, QString())
                ->SaveExcludedStudent(QStringLiteral("s"), QStringLiteral("13"), 30, 14, 106, 0, 0);
        }
        zrRequirements editor;
        editor.setConstrType(context);
        editor.setAppliesTo(kind);
        editor.setDepartID(QStringLiteral("105"));
        editor.setShowExclusions(true);
        editor.setOSchema(std::make_shared<zr::server::JsonSchema>());
        auto constraints = CreateServerObjectAs<cContraints>(Library, QString());
        editor.setRsConstraints(constraints->LoadObjectConstraints(kind, object));
        ItemPanelModel *commands = editor.findChild<TilePanel *>(QStringLiteral("smButtons"))->model();
        QStringList listed;
        QString title;
        QString filter;
        zr::test::whenModal<frmExclusions>(this, [&](frmExclusions *dialog) {
            listed = sorted(gridIds(dialog));
            zr::test::whenModal<frmSelFromList>(this, [&](frmSelFromList *selection) {
                title = selection->findChild<QLabel *>(QStringLiteral("smTitle"))->text();
                filter = selection->combinedFilter(QString());
                selection->reject();
            });
            dialog->findChild<QPushButton *>(QStringLiteral("cmdAdd"))->click();
            dialog->findChild<QPushButton *>(QStringLiteral("cmdClose"))->click();
        });
        QVERIFY(commands->clickItem(QStringLiteral("exclusions")));
        QCOMPARE(listed, excepted);
        QCOMPARE(title, GetLangString(titleId));
        QCOMPARE(filter, admitted);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(tst_FrmExclusions)
#include "tst_frmexclusions.moc"
