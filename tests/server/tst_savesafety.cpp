// What keeps two writers from losing each other's work on one database: the
// version of every stored set, the server's own checks of the rows it
// stores, and a database that is opened, never taken for empty.
#include "saverows.h"
#include "serverfixture.h"
#include "../datafile.h"
#include "servererrors.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "requirements/setversion.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace zr;
using namespace zr::server;
using zr::test::errorOf;
using zr::test::onRow;
using zr::test::rowsOf;
using zr::test::serverObject;

class TestSaveSafety : public QObject
{
    Q_OBJECT

private:
    test::ServerFixture m_fixture;

private slots:
    void initTestCase() { InitLanguage(LangEnglish); }

    // Programme 1's context 104 holds rows 25 and 26; its degree set of curriculum 11 rows 10 to 16.
    void aSaveOverANewerSetIsRefused_data() { zr::test::ServerFixture::backendRows(); }

    void aSaveOverANewerSetIsRefused()
    {
        ZR_BACKEND_ROW();
        auto constraints = serverObject<cContraints>(server);
        Recordset mine = constraints->LoadObjectConstraints(1, 1);
        Recordset theirs = constraints->LoadObjectConstraints(1, 1);
        Recordset edit = rowsOf(theirs);
        QVERIFY(onRow(edit, 25));
        edit.setValue(u"conoptval1", QStringLiteral("2"));
        constraints->SaveConstraints(theirs);
        const QString key = RequirementSetKey(1, 1, 104, QString());
        const SetVersion saved = ReadSetVersions(theirs).value(key);
        QCOMPARE(saved.number, 1);
        QVERIFY(!saved.savedBy.isEmpty());

        // Mine started from version 0 of the same set: refused, naming who and when, nothing written.
        edit = rowsOf(mine);
        QVERIFY(onRow(edit, 26));
        edit.setValue(u"conoptval1", QStringLiteral("5"));
        const QStringList before = test::ServerFixture::storedRequirements(server);
        QString why;
        QCOMPARE(errorOf([&] { constraints->SaveConstraints(mine); }, &why), int(ErrSetChanged));
        QVERIFY2(why.contains(saved.savedBy) && why.contains(saved.savedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
                 qPrintable(why));
        QCOMPARE(test::ServerFixture::storedRequirements(server), before);
        QVERIFY(rowsOf(mine).hasPendingChanges());

        // Another set of the same object saves, and the set saved again moves on from the version it was loaded at.
        Recordset other = constraints->LoadObjectConstraints(1, 1);
        QVERIFY(ReadSetVersions(other).value(key).number == 1);
        edit = rowsOf(mine);
        edit.cancelBatch();
        QVERIFY(onRow(edit, 10));
        edit.setValue(u"conoptval1", QStringLiteral("290"));
        constraints->SaveConstraints(mine);
        QCOMPARE(ReadSetVersions(mine).value(RequirementSetKey(1, 1, 103, QStringLiteral("11"))).number, 1);
        edit = rowsOf(theirs);
        QVERIFY(onRow(edit, 25));
        edit.setValue(u"conoptval1", QStringLiteral("3"));
        constraints->SaveConstraints(theirs);
        QCOMPARE(ReadSetVersions(theirs).value(key).number, 2);

        // Each course of the programme keeps the version of its own set: course 25's save leaves course 119's to save.
        Recordset courses[] = {constraints->LoadObjectConstraints(4, 1, 25), constraints->LoadObjectConstraints(4, 1, 119)};
        for (Recordset &course : courses) {
            edit = rowsOf(course);
            edit.moveFirst();
            edit.setValue(u"conoptval4", QStringLiteral("2"));
            constraints->SaveConstraints(course);
        }
    }

    void aStudentsRegulationHasAVersion_data() { zr::test::ServerFixture::backendRows(); }

    void aStudentsRegulationHasAVersion()
    {
        ZR_BACKEND_ROW();
        auto students = serverObject<cStudent>(server);
        auto constraints = serverObject<cContraints>(server);
        // Student 7 has an individual regulation: a card shows it, two registrars edit it.
        bool individual = false;
        qint64 shown = -1;
        constraints->LoadStudPtyxConstraints(QStringLiteral("s1"), 7, individual, QVariant(), 1, &shown);
        Recordset first = students->LoadStudConstraints(QStringLiteral("s1"), 7);
        Recordset second = students->LoadStudConstraints(QStringLiteral("s2"), 7);
        for (Recordset *set : {&first, &second}) {
            Recordset edit = rowsOf(*set);
            edit.moveFirst();
            edit.setValue(u"conoptval1", set == &first ? QStringLiteral("250") : QStringLiteral("260"));
        }
        students->SaveStudConstraints(QStringLiteral("s1"), first);
        QCOMPARE(errorOf([&] { students->SaveStudConstraints(QStringLiteral("s2"), second); }), int(ErrSetChanged));
        // The card that showed it before that save may not remove it; removed from the version shown
        // now, an edit begun before may not save over the removal.
        qint64 stale = shown;
        QCOMPARE(errorOf([&] { constraints->DeleteStudPtyxConstraints(QStringLiteral("s1"), 7, false, &stale); }),
                 int(ErrSetChanged));
        second = students->LoadStudConstraints(QStringLiteral("s2"), 7);
        constraints->LoadStudPtyxConstraints(QStringLiteral("s1"), 7, individual, QVariant(), 1, &shown);
        constraints->DeleteStudPtyxConstraints(QStringLiteral("s1"), 7, false, &shown);
        Recordset edit = rowsOf(second);
        edit.moveFirst();
        edit.deleteCurrent();
        QCOMPARE(errorOf([&] { students->SaveStudConstraints(QStringLiteral("s2"), second); }), int(ErrSetChanged));
    }

    // Changing an exception list starts from the version shown: over someone else's newer change it
    // is refused and changes nothing; the version a change makes is handed back, so the next
    // change from the same window goes through.
    void exceptionListsCheckTheirVersion_data() { zr::test::ServerFixture::backendRows(); }

    void exceptionListsCheckTheirVersion()
    {
        ZR_BACKEND_ROW();
        auto students = serverObject<cStudent>(server);
        // Programme 1's exceptions of context 105 hold students 12 and 45.
        qint64 list = -1;
        students->LoadExcludedStudents(1, 1, 105, 0, &list);
        students->SaveExcludedStudent(QStringLiteral("s2"), QStringLiteral("13"), 1, 1, 105, 0, 0);
        const QStringList before = test::ServerFixture::tableRows(*Database::open(server), QStringLiteral("QEMExcludedStudents"));
        qint64 old = list;
        QCOMPARE(errorOf([&] { students->SaveExcludedStudent(QStringLiteral("s1"), QStringLiteral("12"), 1, 1, 105, 0, 1, &old); }),
                 int(ErrSetChanged));
        QCOMPARE(test::ServerFixture::tableRows(*Database::open(server), QStringLiteral("QEMExcludedStudents")), before);
        students->LoadExcludedStudents(1, 1, 105, 0, &list);
        students->SaveExcludedStudent(QStringLiteral("s1"), QStringLiteral("12"), 1, 1, 105, 0, 1, &list);
        students->SaveExcludedStudent(QStringLiteral("s1"), QStringLiteral("14"), 1, 1, 105, 0, 0, &list);
        QCOMPARE(test::ServerFixture::firstValue(server, QStringLiteral("SELECT SUM(student_ID) FROM QEMExcludedStudents "
                                                                        "WHERE conobject = 1 AND contypeID = 105")), 13 + 14 + 45);
    }

    // A save the server refuses stores nothing: a row the editor would refuse (named in the message),
    // an expression naming rows not of its set, a row another writer took away meanwhile.
    void aRefusedSaveStoresNothing_data() { zr::test::addDataRows(QFINDTESTDATA("data/refused-saves.tsv"), zr::test::ServerFixture::backends()); }

    void aRefusedSaveStoresNothing()
    {
        QFETCH(QVariant, edits);
        QFETCH(QString, meanwhile);
        QFETCH(bool, setChanged);
        QFETCH(int, named);
        ZR_BACKEND_ROW();
        auto constraints = serverObject<cContraints>(server);
        Recordset set = constraints->LoadObjectConstraints(1, 1);
        Recordset edit = rowsOf(set);
        const QVariantMap rows = edits.toMap();
        for (auto row = rows.cbegin(); row != rows.cend(); ++row) {
            QVERIFY(onRow(edit, row.key().toInt()));
            if (row.value().toString() == u"deleted")
                edit.deleteCurrent();
            const QVariantMap fields = row.value().toMap();
            for (auto field = fields.cbegin(); field != fields.cend(); ++field)
                edit.setValue(field.key(), field.value());
        }
        if (!meanwhile.isEmpty())
            QVERIFY(QSqlQuery(Database::open(server)->connection()).exec(meanwhile));
        const QStringList before = test::ServerFixture::storedRequirements(server);
        QString why;
        QCOMPARE(errorOf([&] { constraints->SaveConstraints(set); }, &why), int(setChanged ? ErrSetChanged : ErrRowRefused));
        QVERIFY2(!named || why.contains(QString::number(named)), qPrintable(why));
        QCOMPARE(test::ServerFixture::storedRequirements(server), before);
    }

    // A file that is not a requirements database is named and left as it was. (A missing file is
    // created: tst_serverobjects; a folder is refused as a text file is: tst_clisafety.)
    void aDatabaseIsOpenedNeverTakenForEmpty_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("error");
        QTest::newRow("text file") << QString() << int(ErrNotADatabase);
        QTest::newRow("database of something else") << "CREATE TABLE t (x)" << int(ErrNoRequirementTables);
    }

    void aDatabaseIsOpenedNeverTakenForEmpty()
    {
        QFETCH(QString, sql);
        QFETCH(int, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.db"));
        QFile f(path);
        if (sql.isEmpty())
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("degree requirements, not a database\n") > 0 && f.flush());
        else
            QVERIFY(test::ServerFixture::execOnFile(path, sql));
        f.close();
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        QString why;
        QCOMPARE(errorOf([&] { Database::open(QStringLiteral("sqlite://") + path); }, &why), error);
        Database::closeAll();
        QVERIFY2(why.contains(path), qPrintable(why));
        QVERIFY(f.seek(0));
        QCOMPARE(f.readAll(), before);
    }

    void aLockedDatabaseIsReportedNotRecreated()
    {
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        Database::closeAll();
        const QStringList before = test::ServerFixture::storedRequirements(QString());
        Database::closeAll();
        QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
        locker.setDatabaseName(m_fixture.databaseFile());
        QVERIFY(locker.open());
        QVERIFY(QSqlQuery(locker).exec(QStringLiteral("BEGIN EXCLUSIVE")));
        QVERIFY(QSqlQuery(locker).exec(QStringLiteral("SELECT COUNT(*) FROM QEMObjectConstraint")));
        QString why;
        QCOMPARE(errorOf([&] { serverObject<cContraints>(QString())->LoadObjectConstraints(1, 1); }, &why), int(ErrDatabaseBusy));
        QVERIFY2(why.contains(m_fixture.databaseFile()), qPrintable(why));
        QVERIFY(QSqlQuery(locker).exec(QStringLiteral("COMMIT")));
        locker.close();
        locker = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        Database::closeAll();
        QCOMPARE(test::ServerFixture::storedRequirements(QString()), before);
    }
};

QTEST_GUILESS_MAIN(TestSaveSafety)
#include "tst_savesafety.moc"
