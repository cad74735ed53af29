#pragma once

// Running the zrreq executable from a test, and comparing the sets it writes.

#include "database.h"
#include "serverfixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDir>
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>

namespace zr::test {

/// ZR_BACKEND_ROW() of a test that runs zrreq: the fresh database is closed again for the command line.
#define ZR_CLI_BACKEND_ROW()                                                                                  \
    ZR_BACKEND_ROW();                                                                                         \
    zr::server::Database::closeAll()

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QStringList outLines;
    QStringList errLines;
};

/// The test's environment with a settings folder of its own: a language the user's window
/// saved does not reach the commands, which then speak the default, Greek.
inline QProcessEnvironment cliEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       QDir::temp().filePath(QStringLiteral("zrreq-cli-settings-%1").arg(QCoreApplication::applicationPid())));
    return environment;
}

/// Runs zrreq with `arguments` (and --server `server` unless it is empty or
/// the command is describe) in `environment`, cliEnvironment() by default.
inline Result zrreq(QStringList arguments, const QString &server = QString(),
                    const QProcessEnvironment &environment = cliEnvironment())
{
    if (!server.isEmpty() && arguments.first() != QLatin1String("describe"))
        arguments << QStringLiteral("--server") << server;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZRREQ_EXECUTABLE), arguments);
    if (!process.waitForFinished(180000))
        process.kill();
    Result r;
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.outLines = QString::fromUtf8(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    r.errLines = QString::fromUtf8(process.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return r;
}

/// Writes `content` to `name` in `dir`: its path, empty when it could not be written.
inline QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        return QString();
    return path;
}

/// The bytes of the file at `path` (a sample kept under data/), empty when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// The stored requirement rows, with the database closed again for the command line.
inline QStringList storedRows(const QString &server)
{
    const QStringList rows = ServerFixture::storedRequirements(server);
    server::Database::closeAll();
    return rows;
}

/// Runs `sql` on `server`, then closes the database again for the command line.
inline bool execSql(const QString &server, const QString &sql)
{
    bool done = false;
    {
        auto db = server::Database::open(server);
        QSqlQuery q(db->connection());
        done = q.exec(sql);
    }
    server::Database::closeAll();
    return done;
}

inline QString describe(const Result &r)
{
    return QStringLiteral("exit %1\nstdout: %2\nstderr: %3")
        .arg(r.exitCode)
        .arg(r.outLines.join(QLatin1String(" | ")), r.errLines.join(QLatin1String(" | ")));
}

/// The rows `zrreq export --format 1` writes for `target`; empty when the export fails.
inline QByteArray exportSet(const QStringList &target, const QString &server)
{
    const Result r = zrreq(QStringList{QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("1")} + target, server);
    if (r.exitCode != 0)
        qWarning("%s", qPrintable(describe(r)));
    return r.exitCode == 0 ? r.out : QByteArray();
}

// A set's rows with ids replaced by their position, so that sets stored under other ids compare equal.
inline QJsonArray comparable(const QByteArray &json)
{
    const QJsonArray rows = QJsonDocument::fromJson(json).object().value(QStringLiteral("rows")).toArray();
    QHash<QString, QString> position;
    for (int i = 0; i < rows.size(); ++i)
        position.insert(QString::number(rows.at(i).toObject().value(QStringLiteral("ocID")).toInt()),
                        QStringLiteral("#%1").arg(i));
    static const QRegularExpression token(QStringLiteral("\\[%(-?\\d+)\\]"));
    QJsonArray out;
    for (const QJsonValue &value : rows) {
        QJsonObject row = value.toObject();
        row.remove(QStringLiteral("ocID"));
        QString eval = row.value(QStringLiteral("coneval")).toString();
        QString replaced;
        qsizetype last = 0;
        for (auto it = token.globalMatch(eval); it.hasNext();) {
            const auto m = it.next();
            replaced += eval.mid(last, m.capturedStart() - last) + QStringLiteral("[%")
                        + position.value(m.captured(1), QStringLiteral("?")) + QLatin1Char(']');
            last = m.capturedEnd();
        }
        row.insert(QStringLiteral("coneval"), replaced + eval.mid(last));
        out.append(row);
    }
    return out;
}

} // namespace zr::test
