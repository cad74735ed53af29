#include "clirunner.h"
#include "../datafile.h"
#include "hostfixture.h"
#include "saverows.h"

#include "common/serverobjects.h"
#include "requirements/zrrequirements.h"
#include "dataimport.h"
#include "mainwindow.h"
#include "roles.h"
#include "servererrors.h"
#include "setversionstore.h"

#include <QAction>
#include <QBuffer>
#include <QLabel>
#include <QSqlError>
#include <QtTest>

using namespace zr;
using namespace zr::server;

// Who may change what on PostgreSQL, as the database enforces it: a reader, an editor of
// department 105 and an administrator on every write path, through the server, the command
// line, plain SQL past both, and the host's window. Department 105 holds the sample's sets;
// the same sets are copied to department 120 for each case.
class tst_Roles : public QObject
{
    Q_OBJECT
    test::ServerFixture m_fixture;
    QTemporaryDir m_files;

    // The server name of the same database for `user`: the cluster trusts every local user.
    static QString serverAs(const QString &user)
    {
        QString name = qEnvironmentVariable("ZRREQ_TEST_PG");
        return name.replace(QRegularExpression(QStringLiteral("//[^@]*@")), QStringLiteral("//%1@").arg(user));
    }

    // A fresh sample with department 120's copies of 105's department sets, and the roles given.
    bool prepare()
    {
        if (!m_fixture.reset(QStringLiteral("postgresql")))
            return false;
        auto db = Database::open(qEnvironmentVariable("ZRREQ_TEST_PG"));
        db->execControl(QStringLiteral("INSERT INTO QEMObjectConstraint (ocID, contypeID, conobject, objID, conID, "
                                       "conoperator, conoptval1, conoptval7, conselobjIDs) SELECT ocID + 1000, contypeID, "
                                       "conobject, 120, conID, conoperator, conoptval1, conoptval7, conselobjIDs "
                                       "FROM QEMObjectConstraint WHERE conobject = 13 AND objID = 105"),
                        QStringLiteral("test"));
        // Roles are the cluster's: what an earlier case granted outlives its database.
        for (const char *user : Users)
            Roles::revoke(*db, QLatin1String(user), {});
        Roles::grant(*db, QStringLiteral("zr_reader_u"), QStringLiteral("reader"), {});
        Roles::grant(*db, QStringLiteral("zr_editor_u"), QStringLiteral("editor"), {QStringLiteral("105")});
        Roles::grant(*db, QStringLiteral("zr_admin_u"), QStringLiteral("admin"), {});
        Roles::grant(*db, QStringLiteral("zr_other_u"), QStringLiteral("editor"), {QStringLiteral("120")});
        Database::closeAll();
        return true;
    }

    // Everything a write could change, read by the tables' owner.
    static QStringList snapshot()
    {
        auto db = Database::open(qEnvironmentVariable("ZRREQ_TEST_PG"));
        QStringList rows;
        for (const char *table : {"QEMObjectConstraint", "QEMExcludedStudents", "QEMStudRegulation", "QEMSetVersion",
                                  "QEMSetHistory", "QEMSetHistoryRow", "QEMDepartments", "zr_editor_department"})
            rows << test::ServerFixture::tableRows(*db, QLatin1String(table));
        QSqlQuery q(db->connection());
        q.exec(QStringLiteral("SELECT r.rolname, u.rolname FROM pg_auth_members m JOIN pg_roles r ON r.oid = m.roleid "
                              "JOIN pg_roles u ON u.oid = m.member WHERE r.rolname LIKE 'zrreq%' ORDER BY 1, 2"));
        while (q.next())
            rows << q.value(0).toString() + QLatin1Char('>') + q.value(1).toString();
        Database::closeAll();
        return rows;
    }

    // Department `department`'s set of context 106 with its student-status requirement changed.
    static void saveDepartmentSet(const QString &server, int department)
    {
        auto constraints = test::serverObject<cContraints>(server);
        Recordset set = constraints->LoadObjectConstraints(13, department);
        Recordset rows = test::rowsOf(set);
        if (!test::onRow(rows, department == 105 ? 42 : 1042))
            throw ZrError(0, QStringLiteral("test"), QStringLiteral("no requirement to change"));
        rows.setValue(u"conoptval1", QStringLiteral("2"));
        constraints->SaveConstraints(set);
    }

    // Runs zrreq; a refusal is one line on stderr and thrown as its error number.
    static void run(const QStringList &arguments, const QString &server)
    {
        const test::Result r = test::zrreq(arguments, server);
        if (r.exitCode == 0)
            return;
        const QStringList fields = r.errLines.value(0).split(QLatin1Char('\t'));
        if (r.errLines.size() != 1 || fields.size() != 3)
            throw ZrError(-1, QStringLiteral("zrreq"), r.errLines.join(QLatin1Char('\n')));
        throw ZrError(fields.first().section(QLatin1Char(' '), 1).toInt(), fields.at(1), fields.at(2));
    }

    void writePath(const QString &path, const QString &server)
    {
        if (path == QLatin1String("save 105") || path == QLatin1String("save 120"))
            return saveDepartmentSet(server, path.right(3).toInt());
        if (path.startsWith(QLatin1String("exceptions")))
            return void(test::serverObject<cStudent>(server)->SaveExcludedStudent(
                QStringLiteral("zrreq"), QStringLiteral("3"), path.right(3).toInt(), 13, 106, 0, 0));
        if (path == QLatin1String("regulation 105"))
            return void(test::serverObject<cContraints>(server)->DeleteStudPtyxConstraints(QStringLiteral("zrreq"), 7, false));
        if (path.startsWith(QLatin1String("import"))) {
            // The department's set of context 112 in place of its set of context 106.
            const QString file = test::writeFile(m_files, QStringLiteral("set112.json"),
                                                 test::zrreq(words("export --kind 13 --object 105 --context 112"), server).out);
            return run(words("import --kind 13 --context 106 --object") << path.right(3) << QStringLiteral("--file") << file,
                       server);
        }
        if (path == QLatin1String("data import")) {
            DataImport import(Database::open(server));
            auto file = std::make_unique<QBuffer>();
            file->setData("code,name\n900,Τμήμα Δοκιμών\n");
            file->open(QIODevice::ReadOnly);
            import.addFile(std::move(file), QStringLiteral("departments.csv"));
            return void(import.apply());
        }
        if (path == QLatin1String("grant"))
            return run(words("grant zr_other_u --role admin"), server);
        QFAIL(qPrintable(QStringLiteral("no write path \"%1\"").arg(path)));
    }

    static bool editorMay(const QString &path) { return path.endsWith(QLatin1String("105")); }
    static QStringList words(const char *line) { return QString::fromLatin1(line).split(u' '); }
    static constexpr const char *Users[] = {"zr_reader_u", "zr_editor_u", "zr_admin_u", "zr_other_u"};

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("ZRREQ_TEST_PG"))
            QSKIP("roles are PostgreSQL's (run through tests/pg/with-postgres.sh)");
        test::useOwnSettings(QStringLiteral("tst_roles"));
        QVERIFY(m_files.isValid());
        QVERIFY(m_fixture.reset(QStringLiteral("postgresql")));
        auto db = Database::open(qEnvironmentVariable("ZRREQ_TEST_PG"));
        for (const char *user : Users)
            db->execControl(QStringLiteral("CREATE ROLE %1 LOGIN").arg(QLatin1String(user)), QStringLiteral("test"));
        Database::closeAll();
    }

    // Every write path, by each role: done and recorded under the database's user, or refused
    // in one line naming what the user may not do, the database left as it was.
    void writePathsFollowTheRole_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("allowed");
        const QStringList paths{"save 105", "save 120", "exceptions 105", "exceptions 120", "regulation 105",
                                "import 105", "import 120", "data import", "grant"};
        for (const QString &path : paths) {
            QTest::newRow(qPrintable(QStringLiteral("reader, ") + path)) << "zr_reader_u" << path << false;
            QTest::newRow(qPrintable(QStringLiteral("editor of 105, ") + path)) << "zr_editor_u" << path << editorMay(path);
            QTest::newRow(qPrintable(QStringLiteral("admin, ") + path)) << "zr_admin_u" << path << true;
        }
    }

    void writePathsFollowTheRole()
    {
        QFETCH(QString, user);
        QFETCH(QString, path);
        QFETCH(bool, allowed);
        QVERIFY(prepare());
        const QStringList before = snapshot();
        // The name a client gives is not the one the history keeps.
        SetVersionStore::setSavingUser(QStringLiteral("someone else"));
        QString refusal;
        const int error = test::errorOf([&] { writePath(path, serverAs(user)); }, &refusal);
        Database::closeAll();
        if (!allowed) {
            QCOMPARE(error, int(ErrPermissionDenied));
            QVERIFY2(!refusal.contains(QLatin1Char('\n')) && refusal.contains(user), qPrintable(refusal));
            if (path.contains(QLatin1Char(' ')) && path.right(3).toInt() > 0)
                QVERIFY2(refusal.contains(path.right(3)), qPrintable(refusal));
            QCOMPARE(snapshot(), before);
            return;
        }
        QVERIFY2(error == 0, qPrintable(refusal));
        QVERIFY(snapshot() != before);
        const QString server = qEnvironmentVariable("ZRREQ_TEST_PG");
        const QString saved = QStringLiteral("SELECT COUNT(*) FROM QEMSetHistory WHERE savedby = ?");
        QCOMPARE(test::ServerFixture::firstValue(server, saved, {QStringLiteral("someone else")}), 0);
        if (editorMay(path))
            QVERIFY(test::ServerFixture::firstValue(server, saved, {user}) > 0);
    }

    // The same writes sent straight to the database, past every check of the client: each is
    // refused (an error, or no row it may touch) unless the role allows it. Rolled back after.
    void theDatabaseRefusesWhatTheRoleDoesNotAllow_data() { test::addDataRows(QFINDTESTDATA("data/rolewrites.tsv")); }

    void theDatabaseRefusesWhatTheRoleDoesNotAllow()
    {
        QFETCH(QString, sql);
        QFETCH(QString, allowedTo);
        QVERIFY(prepare());
        for (const auto &[user, letter] : {std::pair{"zr_reader_u", 'r'}, {"zr_editor_u", 'e'}, {"zr_admin_u", 'a'}}) {
            bool done = false;
            QString said;
            {
                QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("direct"));
                const QUrl url(serverAs(QLatin1String(user)));
                c.setHostName(url.host());
                c.setPort(url.port());
                c.setUserName(url.userName());
                c.setDatabaseName(url.path().mid(1));
                QVERIFY(c.open());
                QSqlQuery q(c);
                QVERIFY(q.exec(QStringLiteral("BEGIN")));
                done = q.exec(sql) && (q.isSelect() || sql.startsWith(QLatin1String("TRUNCATE")) || q.numRowsAffected() > 0);
                said = q.lastError().text();
                q.exec(QStringLiteral("ROLLBACK"));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("direct"));
            QVERIFY2(done == allowedTo.contains(QLatin1Char(letter)), qPrintable(QLatin1String(user) + u' ' + said));
        }
        // A client that names its own saver is not believed.
        auto db = Database::open(serverAs(QStringLiteral("zr_editor_u")));
        db->execControl(QStringLiteral("INSERT INTO QEMSetHistory (setkey, version, savedby) VALUES ('1/1/103/11', 99, 'mallory')"),
                        QStringLiteral("test"));
        Database::closeAll();
        QCOMPARE(test::ServerFixture::firstValue(qEnvironmentVariable("ZRREQ_TEST_PG"),
                                                 QStringLiteral("SELECT COUNT(*) FROM QEMSetHistory WHERE version = 99 "
                                                                "AND savedby = 'zr_editor_u'")),
                 1);
    }

    // A reader reads: a student's audit, the effect an import would have, the history of a set.
    void aReaderRunsAuditsAndTheEffectOfAnImport()
    {
        QVERIFY(prepare());
        const QString reader = serverAs(QStringLiteral("zr_reader_u"));
        const QStringList target{"--kind", "1", "--object", "1", "--context", "104"};
        const QString file = test::writeFile(m_files, QStringLiteral("set104.json"),
                                             test::zrreq(QStringList{"export"} + target, reader).out);
        for (const QStringList &arguments : {QStringList{"audit", "--student", "84"},
                                             QStringList{"import", "--impact", "--file", file} + target,
                                             QStringList{"history"} + target}) {
            const test::Result r = test::zrreq(arguments, reader);
            QVERIFY2((r.exitCode == 0 || r.exitCode == 1) && r.errLines.isEmpty(), qPrintable(r.errLines.join(u'\n')));
        }
    }

    // A database of the version before the roles is refused until upgrade-db gives it them, keeping
    // its prefix; then the database refuses an editor another department's rows again.
    void upgradeGivesADatabaseOfAnEarlierVersionTheRoles()
    {
        QVERIFY(prepare());
        const QString owner = qEnvironmentVariable("ZRREQ_TEST_PG");
        Database::open(owner)->execControl(QStringLiteral("DROP FUNCTION zr_may_edit CASCADE"), QStringLiteral("test"));
        Database::closeAll();
        QCOMPARE(test::errorOf([&] { Database::open(owner); }), int(ErrSchemaOutdated));
        Database::closeAll();
        const test::Result upgraded = test::zrreq(words("upgrade-db --lang en"), owner);
        QCOMPARE(upgraded.exitCode, 0);
        QVERIFY2(upgraded.outLines.value(0).contains(QLatin1String("zr_may_edit")), upgraded.out.constData());
        auto db = Database::open(serverAs(QStringLiteral("zr_editor_u")));
        QCOMPARE(db->write(QStringLiteral("UPDATE QEMObjectConstraint SET conlabel = 'x' WHERE objID = ?"), {120},
                           QStringLiteral("test")),
                 0);
        QCOMPARE(Roles::prefixOf(*db), QStringLiteral("zrreq_"));
        Database::closeAll();
    }

    // The host opens a set its user may not change read-only, the refusal in a banner; audits and
    // the history stay, and only an administrator is offered the data import.
    void theHostOpensASetItMayNotChangeReadOnly_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("reader") << "zr_reader_u" << true;
        QTest::newRow("editor of 105") << "zr_editor_u" << false;
        QTest::newRow("editor of 120") << "zr_other_u" << true;
        QTest::newRow("admin") << "zr_admin_u" << false;
    }

    void theHostOpensASetItMayNotChangeReadOnly()
    {
        QFETCH(QString, user);
        QFETCH(bool, readOnly);
        QVERIFY(prepare());
        app::MainWindow window(serverAs(user));
        window.loadObjects();
        window.selectFirstProgramme(); // a programme of department 105
        QVERIFY(!window.editor()->rsConstraints().isNull());
        QCOMPARE(window.isReadOnly(), readOnly);
        auto *banner = window.findChild<QLabel *>(QStringLiteral("readOnlyBanner"));
        QCOMPARE(banner->isVisibleTo(&window), readOnly);
        QCOMPARE(banner->text().contains(QLatin1String("105")) && banner->text().contains(user), readOnly);
        QCOMPARE(window.findChild<QAction *>(QStringLiteral("saveAction"))->isEnabled(), !readOnly);
        QCOMPARE(window.findChild<QAction *>(QStringLiteral("importAction"))->isEnabled(), !readOnly);
        QCOMPARE(window.editor()->Enabled(), !readOnly);
        QVERIFY(window.findChild<QAction *>(QStringLiteral("historyAction"))->isEnabled());
        QCOMPARE(window.findChild<QAction *>(QStringLiteral("importDataAction"))->isEnabled(), user == "zr_admin_u");
    }
};

QTEST_MAIN(tst_Roles)
#include "tst_roles.moc"
