#pragma once

#include "database.h"
#include "qemserver.h"
#include "schemascript.h"
#include "common/createserverobject.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace zr::test {

/// The backends an integration test runs on: SQLite always, PostgreSQL when
/// ZRREQ_TEST_PG names a database (tests/pg/with-postgres.sh sets it).
/// Each test row gets the sample database afresh.
class ServerFixture
{
public:
    ServerFixture()
    {
        zr::server::RegisterServer();
        qputenv("ZRREQ_DATABASE", QByteArray(m_dir.path().toUtf8() + "/zrrequirements.db"));
    }

    static void addBackendColumn() { QTest::addColumn<QString>("backend"); }
    /// The backend column and one row per backend: the data of a test with no other data.
    static void backendRows()
    {
        addBackendColumn();
        newRows();
    }
    /// Adds one row per backend, named "<backend>" or "<backend> <name>". A run
    /// against PostgreSQL leaves out the SQLite rows: the plain run has them.
    static void newRows(const char *name = nullptr)
    {
        for (const QString &backend : backends()) {
            const QByteArray tag = name ? backend.toLatin1() + ' ' + name : backend.toLatin1();
            QTest::newRow(tag.constData()) << backend;
        }
    }
    static QStringList backends()
    {
        if (qEnvironmentVariableIsEmpty("ZRREQ_TEST_PG"))
            return {QStringLiteral("sqlite"), QStringLiteral("postgresql")};
        return {QStringLiteral("postgresql")};
    }

    /// Server name of `backend`; QSKIPs the row when PostgreSQL is not set up.
    QString serverName(const QString &backend) const
    {
        if (backend == QLatin1String("postgresql"))
            return qEnvironmentVariable("ZRREQ_TEST_PG");
        return QString();
    }

    /// Gives the backend of the current row a fresh sample database. The
    /// sample is loaded once per process and copied for every later reset:
    /// the students' records make it slow to load.
    bool reset(const QString &backend)
    {
        const QString name = serverName(backend);
        if (backend == QLatin1String("postgresql") && name.isEmpty())
            return false;
        zr::server::Database::closeAll();
        if (backend == QLatin1String("sqlite"))
            resetSqlite();
        else
            resetPostgres(name);
        return true;
    }

    /// The first value `sql` reads, read past the server's own code; -1 when it reads none.
    static int firstValue(const QString &server, const QString &sql, const QVariantList &values = {})
    {
        auto db = zr::server::Database::open(server);
        QSqlQuery q(db->connection());
        q.prepare(sql);
        for (const QVariant &v : values)
            q.addBindValue(v);
        return q.exec() && q.next() ? q.value(0).toInt() : -1;
    }

    QString databaseFile() const { return qEnvironmentVariable("ZRREQ_DATABASE"); }

    /// Runs `sql` on the SQLite file `file` past the server, whose connection would refuse to break its keys.
    static bool execOnFile(const QString &file, const QString &sql)
    {
        bool ok = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("zrtest-direct"));
            db.setDatabaseName(file);
            ok = db.open() && QSqlQuery(db).exec(sql);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("zrtest-direct"));
        return ok;
    }

    /// Every stored requirement field, one line per row, for before/after
    /// comparisons; read past the statement observer.
    static QStringList storedRequirements(const QString &server)
    {
        return tableRows(*zr::server::Database::open(server), QStringLiteral("QEMObjectConstraint"));
    }

    // The database of `server` made again as the first release made it (the script, its schema and
    // part of its sample, kept as tests/server/data/first-release.sql); false when it cannot be read.
    static bool makeFirstRelease(const QString &server, const QString &script)
    {
        QFile file(script);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        {
            auto db = zr::server::Database::open(server, zr::server::Database::Opening::Initialize);
            const zr::server::SchemaScript &now = zr::server::SchemaScript::builtIn();
            for (const zr::server::SchemaScript::Object &view : now.views)
                db->execControl(QStringLiteral("DROP VIEW IF EXISTS %1").arg(view.name), QStringLiteral("test"));
            for (auto it = now.tables.crbegin(); it != now.tables.crend(); ++it)
                db->execControl(QStringLiteral("DROP TABLE IF EXISTS %1").arg(it->name), QStringLiteral("test"));
            db->runScript(QString::fromUtf8(file.readAll()), QStringLiteral("test"));
        }
        zr::server::Database::closeAll();
        return true;
    }

    // Every row of `table` in the order of its first column, cells joined by "|" (NULL as "NULL").
    static QStringList tableRows(zr::server::Database &db, const QString &table)
    {
        QStringList rows;
        QSqlQuery q(db.connection());
        q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table));
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells.append(q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
            rows.append(cells.join(QLatin1Char('|')));
        }
        return rows;
    }

private:
    void resetSqlite()
    {
        const QString file = databaseFile();
        const QString pristine = m_dir.filePath(QStringLiteral("pristine.db"));
        QFile::remove(file);
        if (QFile::exists(pristine) && QFile::copy(pristine, file))
            return;
        zr::server::Database::open(QString());   // a missing file is created with the sample
        QFile::copy(file, pristine);
    }

    // The first reset loads the sample and keeps the database as a template;
    // later ones drop the database and create it again from the template.
    void resetPostgres(const QString &name)
    {
        const QUrl url(name);
        const QString database = url.path().mid(1);
        const QString pristine = database + QStringLiteral("_pristine");
        if (m_pgPristine
            && administer(url, {QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database),
                                QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(database, pristine)}))
            return;
        administer(url, {QStringLiteral("CREATE DATABASE %1").arg(database)});   // after a failed copy
        zr::server::Database::open(name, zr::server::Database::Opening::Initialize)->initialize(true);
        zr::server::Database::closeAll();
        m_pgPristine = administer(url, {QStringLiteral("DROP DATABASE IF EXISTS %1").arg(pristine),
                                        QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(pristine, database)});
    }

    // Runs statements on the cluster's maintenance database; false at the first that fails.
    static bool administer(const QUrl &url, const QStringList &statements)
    {
        bool ok = true;
        {
            QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("zrtest-admin"));
            c.setHostName(url.host());
            c.setPort(url.port(5432));
            c.setUserName(url.userName());
            c.setDatabaseName(QStringLiteral("postgres"));
            ok = c.open();
            QSqlQuery q(c);
            for (const QString &sql : statements)
                ok = ok && q.exec(sql);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("zrtest-admin"));
        return ok;
    }

    QTemporaryDir m_dir;
    bool m_pgPristine = false;
};

/// The server object of class T on `server`, as a host creates it.
template<typename T>
std::unique_ptr<T> serverObject(const QString &server)
{
    auto object = CreateServerObjectAs<T>(QStringLiteral("zrQEMSvr"), server);
    Q_ASSERT(object);
    return object;
}

} // namespace zr::test

#define ZR_BACKEND_ROW()                                                                 \
    QFETCH(QString, backend);                                                             \
    if (!m_fixture.reset(backend))                                                        \
        QSKIP("PostgreSQL is not set up (run through tests/pg/with-postgres.sh)");       \
    const QString server = m_fixture.serverName(backend)
