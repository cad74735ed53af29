// The command line where work could be lost: two imports racing for one set,
// a read-only command on a database another program has locked, a file
// written before the set was saved again, validate and import disagreeing,
// a password in a message or the log, a failure without its line in the log.
#include "../datafile.h"
#include "clirunner.h"
#include "servererrors.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QTest>

using namespace zr;
using namespace zr::server;
using namespace zr::test;

namespace {

const QStringList kDegree11{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11"};
const QStringList kDegree12{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "12"};
const QStringList kDegree13{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "13"};

// The number of the one "ERROR <number>\t..." line of `lines`, or 0.
int errorNumber(const QStringList &lines)
{
    static const QRegularExpression error(QStringLiteral("^ERROR (\\d+)\\t"));
    for (const QString &line : lines) {
        const auto m = error.match(line);
        if (m.hasMatch())
            return m.captured(1).toInt();
    }
    return 0;
}

// A set's rows as the target holds them, without the keys the target gives them.
QJsonArray content(const QByteArray &json)
{
    QJsonArray rows = comparable(json);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QJsonObject row = rows.at(i).toObject();
        for (const char *key : {"objID", "secobjID", "conobject", "contypeID"})
            row.remove(QLatin1String(key));
        rows.replace(i, row);
    }
    return rows;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

// `json`, a set file, with one mutation of data/mutations.tsv applied at the row `pick` chooses.
QByteArray mutated(const QByteArray &json, const QString &target, const QString &value, int pick)
{
    QJsonObject file = QJsonDocument::fromJson(json).object();
    QJsonArray rows = file.value(QStringLiteral("rows")).toArray();
    const int at = rows.isEmpty() ? 0 : pick % int(rows.size());
    const QJsonValue given = value == QLatin1String("-") ? QJsonValue(QJsonValue::Undefined)
                                                         : QJsonDocument::fromJson("[" + value.toUtf8() + "]").array().first();
    const QString part = target.section(QLatin1Char('.'), 0, 0), key = target.section(QLatin1Char('.'), 1);
    const auto set = [&](QJsonObject &object) {
        if (given.isUndefined())
            object.remove(key);
        else
            object.insert(key, given);
    };
    if ((part == QLatin1String("row") || part == QLatin1String("rows")) && !rows.isEmpty()) {
        for (int i = part == QLatin1String("row") ? at : 0; i < (part == QLatin1String("row") ? at + 1 : rows.size()); ++i) {
            QJsonObject row = rows.at(i).toObject();
            set(row);
            rows.replace(i, row);
        }
    } else if (part == QLatin1String("object")) {
        QJsonObject object = file.value(QStringLiteral("object")).toObject();
        set(object);
        file.insert(QStringLiteral("object"), object);
    } else if (part == QLatin1String("top")) {
        set(file);
    } else if (target == QLatin1String("drop-row") && !rows.isEmpty()) {
        rows.removeAt(at);
    } else if (target == QLatin1String("copy-row") && !rows.isEmpty()) {
        QJsonObject copy = rows.at(at).toObject();
        copy.insert(QStringLiteral("ocID"), 900000 + at);
        rows.append(copy);
    }
    file.insert(QStringLiteral("rows"), rows);
    return QJsonDocument(file).toJson();
}

} // namespace

class TestCliSafety : public QObject
{
    Q_OBJECT

private:
    ServerFixture m_fixture;
    QTemporaryDir m_files;

    // A fresh sample database for the row's backend, closed again for the command line.
    bool fresh(const QString &backend)
    {
        if (!m_fixture.reset(backend))
            return false;
        Database::closeAll();
        return true;
    }

    // An environment whose log goes to a folder of its own.
    static QProcessEnvironment withLogIn(const QString &home)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home);
        return env;
    }

    static QStringList logLines(const QString &home)
    {
        QFile f(home + QStringLiteral("/Zerith/zrrequirements.log"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

private slots:
    // Two processes import different sets into one target at once, again and
    // again: the stored set is always exactly one of them, and a process that
    // lost says why. ZR_RACE_RUNS sets the number of races (20 by default).
    void racingImportsNeverMixSets_data() { ServerFixture::backendRows(); }

    void racingImportsNeverMixSets()
    {
        ZR_CLI_BACKEND_ROW();
        const QString a = writeFile(m_files, QStringLiteral("a.json"), exportSet(kDegree11, server));
        const QString b = writeFile(m_files, QStringLiteral("b.json"), exportSet(kDegree12, server));
        // What each file stores when it is alone.
        QList<QJsonArray> whole;
        for (const QString &path : {a, b}) {
            const Result r = zrreq(QStringList{"import", "--file", path} + kDegree13, server);
            QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
            whole.append(content(exportSet(kDegree13, server)));
        }
        QVERIFY(whole.at(0) != whole.at(1));

        const int runs = qEnvironmentVariableIntValue("ZR_RACE_RUNS") > 0 ? qEnvironmentVariableIntValue("ZR_RACE_RUNS")
                                                                          : 20;
        for (int run = 0; run < runs; ++run) {
            QProcess first, second;
            for (auto [process, path] : {std::pair{&first, a}, std::pair{&second, b}}) {
                QStringList arguments = QStringList{"import", "--lang", "en", "--file", path} + kDegree13;
                if (!server.isEmpty())
                    arguments << "--server" << server;
                process->start(QStringLiteral(ZRREQ_EXECUTABLE), arguments);
            }
            int saved = 0;
            for (QProcess *process : {&first, &second}) {
                QVERIFY(process->waitForFinished(120000));
                const QStringList err = QString::fromUtf8(process->readAllStandardError()).split('\n', Qt::SkipEmptyParts);
                if (process->exitCode() == 0) {
                    ++saved;
                    continue;
                }
                // The loser is told: the set changed under it, or the database stayed locked.
                QVERIFY2(process->exitCode() == 1 && err.size() == 1
                             && (errorNumber(err) == ErrSetChanged || errorNumber(err) == ErrDatabaseBusy),
                         qPrintable(QStringLiteral("run %1: exit %2: %3").arg(run).arg(process->exitCode()).arg(err.join('|'))));
            }
            QVERIFY2(saved >= 1, qPrintable(QStringLiteral("run %1: neither import saved").arg(run)));
            const QJsonArray now = content(exportSet(kDegree13, server));
            QVERIFY2(now == whole.at(0) || now == whole.at(1),
                     qPrintable(QStringLiteral("run %1: a mixed set of %2 rows").arg(run).arg(now.size())));
        }
    }

    // Another program holds the database for seven seconds; each command that
    // only reads waits, says so when the wait runs out, and leaves the file as
    // it was (it once took the locked file for an empty one and re-created it
    // the moment the lock went).
    void readOnlyCommandsLeaveALockedDatabaseAlone()
    {
        QVERIFY(fresh(QStringLiteral("sqlite")));
        const QStringList arguments{"validate", "--all", "--server", "sqlite://" + m_fixture.databaseFile()};
        const QByteArray before = fileBytes(m_fixture.databaseFile());
        QProcess command;
        {
            QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
            locker.setDatabaseName(m_fixture.databaseFile());
            QVERIFY(locker.open());
            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("SELECT COUNT(*) FROM QEMObjectConstraint")));
            command.start(QStringLiteral(ZRREQ_EXECUTABLE), arguments);
            QTest::qWait((Database::LockWaitSeconds + 2) * 1000);
            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("COMMIT")));
            locker.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        QVERIFY(command.state() == QProcess::NotRunning || command.waitForFinished(120000));
        const QStringList err = QString::fromUtf8(command.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        // A command that reached the database only after the lock went has read it as usual.
        if (command.exitCode() == 2)
            QVERIFY2(err.size() == 1 && errorNumber(err) == ErrDatabaseBusy, qPrintable(err.join('|')));
        QCOMPARE(fileBytes(m_fixture.databaseFile()), before);
    }

    // A registrar exports a set, someone saves it, the registrar imports the file back.
    void anImportOverANewerSetIsRefused_data() { ServerFixture::backendRows(); }

    void anImportOverANewerSetIsRefused()
    {
        ZR_CLI_BACKEND_ROW();
        QByteArray mine = exportSet(kDegree11, server);
        const QString theirs = writeFile(m_files, QStringLiteral("theirs.json"), exportSet(kDegree12, server));
        QVERIFY(zrreq(QStringList{"import", "--file", theirs} + kDegree11, server).exitCode == 0);
        mine.replace("\"conoptval1\": \"300\"", "\"conoptval1\": \"290\"");
        const QString path = writeFile(m_files, QStringLiteral("mine.json"), mine);

        const QStringList before = storedRows(server);
        const Result refused = zrreq(QStringList{"import", "--lang", "en", "--file", path} + kDegree11, server);
        QVERIFY2(refused.exitCode == 1 && refused.errLines.size() == 1 && errorNumber(refused.errLines) == ErrSetChanged,
                 qPrintable(describe(refused)));
        QVERIFY2(refused.errLines.first().contains(QLatin1String("--force")), qPrintable(refused.errLines.first()));
        QCOMPARE(storedRows(server), before);

        const Result forced = zrreq(QStringList{"import", "--force", "--file", path} + kDegree11, server);
        QVERIFY2(forced.exitCode == 0, qPrintable(describe(forced)));
        QVERIFY(exportSet(kDegree11, server).contains("\"conoptval1\": \"290\""));
    }

    // init-db over a database in use refuses, names --force and upgrade-db, and changes nothing;
    // with --force it makes the database anew.
    void initDbNeverReplacesADatabaseInUse_data() { ServerFixture::backendRows(); }

    void initDbNeverReplacesADatabaseInUse()
    {
        ZR_CLI_BACKEND_ROW();
        const QStringList sample = storedRows(server);
        QByteArray set = exportSet(kDegree11, server);
        const QString changed = writeFile(m_files, QStringLiteral("changed.json"), set.replace("\"300\"", "\"287\""));
        QVERIFY(zrreq(QStringList{"import", "--file", changed} + kDegree11, server).exitCode == 0);
        const QStringList saved = storedRows(server);

        const Result refused = zrreq({"init-db", "--lang", "en"}, server);
        QVERIFY2(refused.exitCode == 2 && errorNumber(refused.errLines) == ErrHoldsData
                     && refused.errLines.first().contains(QLatin1String("--force"))
                     && refused.errLines.first().contains(QLatin1String("upgrade-db")),
                 qPrintable(describe(refused)));
        QCOMPARE(storedRows(server), saved);
        const Result forced = zrreq({"init-db", "--force"}, server);
        QVERIFY2(forced.exitCode == 0, qPrintable(describe(forced)));
        QCOMPARE(storedRows(server), sample);
    }

    // Some 250 mutated set files, each checked by validate, imported (into the object it names) and
    // checked by the audit: all three accept it, or all three refuse it with the same number,
    // validate and import with the same exit code, and a refused import stores nothing. A set that
    // saves can be audited.
    void mutatedFilesGetOneVerdict()
    {
        QVERIFY(fresh(QStringLiteral("sqlite")));
        const QString pristine = m_files.filePath(QStringLiteral("pristine.db"));
        QVERIFY(QFile::copy(m_fixture.databaseFile(), pristine));
        const QString work = m_files.filePath(QStringLiteral("work.db"));
        const QString server = QStringLiteral("sqlite://") + work;
        const QList<QStringList> sources{kDegree11, kDegree12,
                                         {"--kind", "1", "--object", "1", "--context", "102", "--curriculum", "11"},
                                         {"--kind", "4", "--object", "1", "--context", "106", "--curriculum", "25"},
                                         {"--kind", "13", "--object", "105", "--context", "106"}};
        const QList<QStringList> mutations = dataRows(QFINDTESTDATA("data/mutations.tsv")).mid(1);
        const QString student = QFINDTESTDATA("data/auditstudent.json");
        const auto verdict = [](const Result &r) {
            return QStringLiteral("exit %1 error %2").arg(r.exitCode).arg(errorNumber(r.outLines + r.errLines));
        };
        QStringList disagreements;
        QMap<int, int> exits;  // validate's exit code -> files
        for (const QStringList &source : sources) {
            const QByteArray exported = exportSet(source, QStringLiteral("sqlite://") + pristine);
            QVERIFY(!exported.isEmpty());
            for (int m = 0; m < mutations.size(); ++m) {
                const QByteArray json = mutated(exported, mutations.at(m).at(1), mutations.at(m).value(2), m);
                const QString path = writeFile(m_files, QStringLiteral("mutated.json"), json);
                QFile::remove(work);
                QVERIFY(QFile::copy(pristine, work));
                const Result checked = zrreq({"validate", "--lang", "en", "--file", path}, server);
                const Result audited = zrreq({"audit", "--lang", "en", "--validate", "--file", path, "--student-file", student}, server);
                const QStringList stored = storedRows(server);
                const Result imported = zrreq({"import", "--lang", "en", "--force", "--file", path}, server);
                const int number = errorNumber(checked.outLines + checked.errLines);

                const bool refused = checked.exitCode != 0;
                const bool agree = checked.exitCode == imported.exitCode && number == errorNumber(imported.errLines)
                                   && number == errorNumber(audited.errLines) && refused == (audited.exitCode == 2)
                                   && (source != sources.first() || number == mutations.at(m).at(3).toInt())
                                   && (!refused || storedRows(server) == stored);
                if (!agree)
                    disagreements << QStringLiteral("%1 / %2: validate %3, import %4, audit %5")
                                         .arg(source.mid(0, 6).join(' '), mutations.at(m).at(0), verdict(checked),
                                              verdict(imported), verdict(audited));
                ++exits[checked.exitCode];
            }
        }
        // Enough of every verdict for the agreement to mean something: saved, refused by a rule, unusable.
        QVERIFY2(sources.size() * mutations.size() >= 200 && exits.value(0) >= 40 && exits.value(1) >= 40 && exits.value(2) >= 40,
                 qPrintable(QStringLiteral("exit 0: %1, 1: %2, 2: %3").arg(exits.value(0)).arg(exits.value(1)).arg(exits.value(2))));
        QVERIFY2(disagreements.isEmpty(), qPrintable(disagreements.join(QLatin1Char('\n'))));
    }

    // Each way a connection fails says its cause in one line; no password, whole or in part,
    // reaches the terminal or the log, which only its user can read. Every password of the
    // table meets every kind of failure, the command turning with the row.
    void connectionFailuresKeepThePasswordSecret_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("error");
        const QUrl cluster(qEnvironmentVariable("ZRREQ_TEST_PG"));
        const QString pg = cluster.isEmpty() ? QString() : QStringLiteral("%1:%2").arg(cluster.host()).arg(cluster.port());
        QList<QStringList> passwords = dataRows(QFINDTESTDATA("data/passwords.tsv")).mid(1);
        for (const QStringList &kind : dataRows(QFINDTESTDATA("data/connectionfailures.tsv")).mid(1)) {
            if (pg.isEmpty() && kind.at(1).contains(QLatin1String("{pg}")))
                continue;
            const bool once = !kind.at(3).isEmpty();
            const QStringList exported = QStringList() << kind.at(0) << kind.at(3) << QStringLiteral("export|--kind|1|--object|1|--context|104");
            const QList<QStringList> typedRows = once ? QList<QStringList>(1, exported) : passwords;
            for (const QStringList &typed : typedRows) {
                // Typed into the address as it stands: the user information runs to the last "@".
                QString server = kind.at(1);
                server.replace(QLatin1String("{pw}"), typed.at(1)).replace(QLatin1String("{pg}"), pg)
                    .replace(QLatin1String("{files}"), m_files.path());
                QTest::newRow(qPrintable(typed.at(0) + QStringLiteral(", ") + kind.at(0)))
                    << typed.at(2).split(QLatin1Char('|')) << server << (typed.at(1) == u"-" ? QString() : typed.at(1))
                    << kind.at(2).toInt();
            }
        }
    }

    void connectionFailuresKeepThePasswordSecret()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, server);
        QFETCH(QString, password);
        QFETCH(int, error);
        writeFile(m_files, QStringLiteral("text.db"), "not a database\n");
        // A user the database knows, without rights on the tables another user made.
        if (error == int(ErrPermissionDenied))
            QVERIFY(fresh(QStringLiteral("postgresql")));
        command.replaceInStrings(QStringLiteral("{set}"), QFINDTESTDATA("data/set-good.json"));
        QTemporaryDir home;
        const Result r = zrreq(command + QStringList{"--lang", "en"}, server, withLogIn(home.path()));
        QVERIFY2(r.exitCode == 2 && r.errLines.size() == 1 && errorNumber(r.errLines) == error, qPrintable(describe(r)));
        const QStringList log = logLines(home.path());
        QCOMPARE(log.size(), 1);
        // The password, and what stands before or after any of its separators.
        QStringList parts{password, QUrl::fromPercentEncoding(password.toUtf8())};
        static const QRegularExpression separator(QStringLiteral("[ #?/@:%]"));
        for (auto it = separator.globalMatch(password); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            parts << password.left(m.capturedStart()) << password.mid(m.capturedEnd());
        }
        // The address is still named, only its password hidden.
        QVERIFY2(!server.startsWith(QLatin1String("postgresql")) || r.errLines.first().contains(QLatin1String("127.0.0.1")),
                 qPrintable(r.errLines.first()));
        for (const QString &text : {QString::fromUtf8(r.out), r.errLines.first(), log.first()}) {
            for (const QString &part : std::as_const(parts))
                QVERIFY2(part.trimmed().size() < 4 || !text.contains(part), qPrintable(part + QStringLiteral(" in ") + text));
        }
        const QFileInfo folder(home.path() + QStringLiteral("/Zerith"));
        QCOMPARE(folder.permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        QCOMPARE(QFileInfo(folder.filePath() + QStringLiteral("/zrrequirements.log")).permissions() & 0x0777,
                 QFile::ReadUser | QFile::WriteUser);
    }

    // One line in the log for each failure, naming the command, the file and the set.
    void everyFailureLeavesOneLogLine_data() { addDataRows(QFINDTESTDATA("data/loglines.tsv")); }

    void everyFailureLeavesOneLogLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, named);
        QVERIFY(fresh(QStringLiteral("sqlite")));
        QByteArray json = exportSet(kDegree11, QString());
        const QString invalid = writeFile(m_files, QStringLiteral("invalid.json"), json.replace("\"300\"", "\"abc\""));
        arguments.replaceInStrings(QStringLiteral("INVALID"), invalid);
        named.replaceInStrings(QStringLiteral("INVALID"), invalid);
        QTemporaryDir home;
        const Result r = zrreq(arguments, QString(), withLogIn(home.path()));
        QVERIFY2(r.exitCode != 0, qPrintable(describe(r)));
        const QStringList log = logLines(home.path());
        QVERIFY2(log.size() == 1, qPrintable(log.join(QLatin1Char('\n'))));
        for (const QString &part : std::as_const(named))
            QVERIFY2(log.first().contains(part), qPrintable(log.first() + QStringLiteral(" lacks ") + part));
    }

};

QTEST_GUILESS_MAIN(TestCliSafety)
#include "tst_clisafety.moc"
