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
    if (part == QLatin1String("row") && !rows.isEmpty()) {
        QJsonObject row = rows.at(at).toObject();
        set(row);
        rows.replace(at, row);
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

// Where an import of `json` goes: the object and curriculum the file names, as validate reads them.
QStringList targetOf(const QByteArray &json)
{
    const QJsonObject file = QJsonDocument::fromJson(json).object();
    const QJsonObject object = file.value(QStringLiteral("object")).toObject();
    const QJsonValue id = object.contains(QStringLiteral("objID")) ? object.value(QStringLiteral("objID"))
                                                                   : object.value(QStringLiteral("prID"));
    QStringList target{"--kind", file.value(QStringLiteral("AppliesTo")).toVariant().toString(), "--object",
                       id.toVariant().toString(), "--context", file.value(QStringLiteral("ConstrType")).toVariant().toString()};
    QString secondary = object.value(QStringLiteral("secobjID")).toString();
    if (secondary.isEmpty() && !file.value(QStringLiteral("rows")).toArray().isEmpty())
        secondary = file.value(QStringLiteral("rows")).toArray().first().toObject().value(QStringLiteral("secobjID")).toString();
    if (!secondary.isEmpty())
        target << "--curriculum" << secondary;
    return target;
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
    void racingImportsNeverMixSets_data()
    {
        ServerFixture::addBackendColumn();
        ServerFixture::newRows();
    }

    void racingImportsNeverMixSets()
    {
        QFETCH(QString, backend);
        if (!fresh(backend))
            QSKIP("PostgreSQL is not set up (run through tests/pg/with-postgres.sh)");
        const QString server = m_fixture.serverName(backend);
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
    void anImportOverANewerSetIsRefused_data()
    {
        ServerFixture::addBackendColumn();
        ServerFixture::newRows();
    }

    void anImportOverANewerSetIsRefused()
    {
        QFETCH(QString, backend);
        if (!fresh(backend))
            QSKIP("PostgreSQL is not set up (run through tests/pg/with-postgres.sh)");
        const QString server = m_fixture.serverName(backend);
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
    void initDbNeverReplacesADatabaseInUse_data()
    {
        ServerFixture::addBackendColumn();
        ServerFixture::newRows();
    }

    void initDbNeverReplacesADatabaseInUse()
    {
        QFETCH(QString, backend);
        if (!fresh(backend))
            QSKIP("PostgreSQL is not set up (run through tests/pg/with-postgres.sh)");
        const QString server = m_fixture.serverName(backend);
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

    // The same file, checked and imported: the same verdict, the same error.
    void validateAndImportAgree_data() { addDataRows(QFINDTESTDATA("data/validateimport.tsv")); }

    void validateAndImportAgree()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QStringList, target);
        QFETCH(int, error);
        QFETCH(int, importError);
        QVERIFY(fresh(QStringLiteral("sqlite")));
        QByteArray json = exportSet(kDegree11, QString());
        QVERIFY2(json.contains(from.toUtf8()), json.constData());
        const QByteArray eval = "[%10] AND [%11] AND [%12] AND ([%13] OR [%14]) AND [%15] AND [%16]";
        json.replace(from.toUtf8(), to.toUtf8().replace("{nested}", QByteArray(2000, '(') + eval + QByteArray(2000, ')')));
        if (target.isEmpty())
            target = kDegree11;
        const QString path = writeFile(m_files, QStringLiteral("faulty.json"), json);

        const Result checked = zrreq({"validate", "--lang", "en", "--file", path});
        const QStringList before = storedRows(QString());
        const Result imported = zrreq(QStringList{"import", "--lang", "en", "--file", path} + target);
        QCOMPARE(storedRows(QString()), before);
        QVERIFY2(checked.exitCode != 0 && (checked.exitCode == imported.exitCode || error != importError),
                 qPrintable(describe(checked) + QLatin1Char('\n') + describe(imported)));
        QCOMPARE(errorNumber(checked.outLines + checked.errLines), error);
        QCOMPARE(errorNumber(imported.errLines), importError);
    }

    // Some 240 mutated set files, each checked by validate, imported (in its own object) and
    // checked by the audit: all three accept it, or all three refuse it with the same number,
    // validate and import with the same exit code. A set that saves can be audited.
    void mutatedFilesGetOneVerdict()
    {
        QVERIFY(fresh(QStringLiteral("sqlite")));
        const QString pristine = m_files.filePath(QStringLiteral("pristine.db"));
        QFile::remove(pristine);
        QVERIFY(QFile::copy(m_fixture.databaseFile(), pristine));
        const QString work = m_files.filePath(QStringLiteral("work.db"));
        const QString server = QStringLiteral("sqlite://") + work;
        const QList<QStringList> sources{kDegree11, kDegree12,
                                         {"--kind", "1", "--object", "1", "--context", "102", "--curriculum", "11"},
                                         {"--kind", "4", "--object", "1", "--context", "106", "--curriculum", "25"},
                                         {"--kind", "13", "--object", "105", "--context", "106"}};
        QList<QStringList> mutations = dataRows(QFINDTESTDATA("data/mutations.tsv"));
        mutations.removeFirst();
        const QString student = QFINDTESTDATA("data/auditstudent.json");
        const auto verdict = [](const Result &r) {
            return QStringLiteral("exit %1 error %2").arg(r.exitCode).arg(errorNumber(r.outLines + r.errLines));
        };
        QStringList disagreements;
        int files = 0;
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
                const Result imported = zrreq(QStringList{"import", "--lang", "en", "--force", "--file", path} + targetOf(json), server);
                const int number = errorNumber(checked.outLines + checked.errLines);
                const bool refused = checked.exitCode != 0;
                const bool agree = checked.exitCode == imported.exitCode && number == errorNumber(imported.errLines)
                                   && number == errorNumber(audited.errLines) && refused == (audited.exitCode == 2);
                if (!agree)
                    disagreements << QStringLiteral("%1 / %2: validate %3, import %4, audit %5")
                                         .arg(source.mid(0, 6).join(' '), mutations.at(m).at(0), verdict(checked),
                                              verdict(imported), verdict(audited));
                ++files;
                ++exits[checked.exitCode];
            }
        }
        // Enough of every verdict for the agreement to mean something: saved, refused by a rule, unusable.
        QVERIFY2(files >= 200 && exits.value(0) >= 40 && exits.value(1) >= 40 && exits.value(2) >= 40,
                 qPrintable(QStringLiteral("%1 files; exit 0: %2, 1: %3, 2: %4").arg(files).arg(exits.value(0))
                                .arg(exits.value(1)).arg(exits.value(2))));
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
        const QList<QStringList> commands{QStringList{"export"} + kDegree11, {"validate", "--all"},
                                          QStringList{"import", "--file", "SET"} + kDegree11,
                                          QStringList{"history"} + kDegree11, QStringList{"audit", "--all"} + kDegree11,
                                          {"init-db"}};
        // Kinds of failure: {name, address with PW for the password, error}.
        QList<std::tuple<QString, QString, int>> kinds{
            {"closed port", "postgresql://zq:PW@127.0.0.1:1/zr", 462},
            {"no database named", "postgresql://zq:PW@127.0.0.1:1", 462}};
        const QString secret = qEnvironmentVariable("ZRREQ_TEST_PG_SECRET");
        if (!secret.isEmpty()) {
            kinds.append({"wrong password", QString(secret).replace(QLatin1String("Zr-S3cret-Pw"), QLatin1String("PW")),
                          int(ErrAuthentication)});
            QString trusted = qEnvironmentVariable("ZRREQ_TEST_PG");
            trusted = trusted.left(trusted.lastIndexOf(QLatin1Char('/'))) + QStringLiteral("/nodb");
            kinds.append({"no such database", trusted.replace(QLatin1String("zrtest@"), QLatin1String("zrtest:PW@")),
                          int(ErrNoSuchDatabase)});
        }
        QList<QStringList> passwords = dataRows(QFINDTESTDATA("data/passwords.tsv"));
        passwords.removeFirst();
        int turn = 0;
        for (const QStringList &row : std::as_const(passwords)) {
            for (const auto &[kind, address, error] : std::as_const(kinds)) {
                const QStringList &command = commands.at(turn++ % commands.size());
                QString server = address;
                // Typed into the address as it stands: the user information runs to the last "@".
                server.replace(QLatin1String(":PW@"), QLatin1Char(':') + row.at(1) + QLatin1Char('@'));
                QTest::newRow(qPrintable(row.at(0) + QStringLiteral(", ") + kind + QStringLiteral(", ") + command.first()))
                    << command << server << row.at(1) << error;
            }
        }
        if (!secret.isEmpty()) {
            QTest::newRow("no rights on the tables") << QStringList{QStringList{"export"} + kDegree11} << secret
                                                     << QStringLiteral("Zr-S3cret-Pw") << int(ErrPermissionDenied);
        }
        QTest::newRow("not a database file") << QStringList{QStringList{"export"} + kDegree11}
                                             << "sqlite://" + m_files.filePath(QStringLiteral("text.db")) << QString()
                                             << int(ErrNotADatabase);
        QTest::newRow("folder") << QStringList{QStringList{"export"} + kDegree11} << "sqlite://" + m_files.path()
                                << QString() << int(ErrNotADatabase);
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
        command.replaceInStrings(QStringLiteral("SET"), QFINDTESTDATA("data/set-good.json"));
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
        QVERIFY2(!server.startsWith(QLatin1String("postgresql")) || r.errLines.first().contains(QLatin1String("@127.0.0.1")),
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
    void everyFailureLeavesOneLogLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("validate, invalid set") << QStringList{"validate", "--file", "INVALID"}
                                               << QStringList{"zrreq validate", "INVALID"};
        QTest::newRow("import, invalid set") << (QStringList{"import", "--file", "INVALID"} + kDegree11)
                                             << QStringList{"zrreq import", "INVALID", "kind 1 object 1 context 103 curriculum 11"};
        QTest::newRow("export, unknown object") << QStringList{"export", "--kind", "13", "--object", "999", "--context", "106"}
                                                << QStringList{"zrreq export", "kind 13 object 999 context 106"};
        QTest::newRow("bad option") << QStringList{"export", "--kind", "one"} << QStringList{"zrreq export"};
    }

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
