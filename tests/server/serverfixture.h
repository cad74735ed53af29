#pragma once

#include "database.h"
#include "qemserver.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

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

    static void addBackendColumn()
    {
        QTest::addColumn<QString>("backend");
    }
    /// Adds one row per backend, named "<backend>" or "<backend> <name>".
    static void newRows(const char *name = nullptr)
    {
        for (const char *backend : {"sqlite", "postgresql"}) {
            const QByteArray tag = name ? QByteArray(backend) + ' ' + name : QByteArray(backend);
            QTest::newRow(tag.constData()) << QString::fromLatin1(backend);
        }
    }

    /// Server name of `backend`; QSKIPs the row when PostgreSQL is not set up.
    QString serverName(const QString &backend) const
    {
        if (backend == QLatin1String("postgresql"))
            return qEnvironmentVariable("ZRREQ_TEST_PG");
        return QString();
    }

    /// Gives the backend of the current row a fresh sample database.
    bool reset(const QString &backend)
    {
        const QString name = serverName(backend);
        if (backend == QLatin1String("postgresql") && name.isEmpty())
            return false;
        zr::server::Database::closeAll();
        if (backend == QLatin1String("sqlite"))
            QFile::remove(qEnvironmentVariable("ZRREQ_DATABASE"));
        auto db = zr::server::Database::open(name);
        if (backend == QLatin1String("postgresql"))
            db->initialize(true);
        return true;
    }

    QString databaseFile() const { return qEnvironmentVariable("ZRREQ_DATABASE"); }

    /// Every stored requirement field, one line per row, for before/after
    /// comparisons; read past the statement observer.
    static QStringList storedRequirements(const QString &server)
    {
        QStringList rows;
        auto db = zr::server::Database::open(server);
        QSqlQuery q(db->connection());
        q.exec(QStringLiteral("SELECT * FROM QEMObjectConstraint ORDER BY ocID"));
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells.append(q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
            rows.append(cells.join(QLatin1Char('|')));
        }
        return rows;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace zr::test

#define ZR_BACKEND_ROW()                                                                 \
    QFETCH(QString, backend);                                                             \
    if (!m_fixture.reset(backend))                                                        \
        QSKIP("PostgreSQL is not set up (run through tests/pg/with-postgres.sh)");       \
    const QString server = m_fixture.serverName(backend)
