#include "../datafile.h"
#include "clirunner.h"
#include "datakinds.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <QSettings>
#include <QTest>

using namespace zr;
using namespace zr::server;
using namespace zr::test;

namespace {

// The command-line arguments naming each stored set.
QList<QStringList> storedSets(const QString &server)
{
    QList<QStringList> sets;
    {
        auto db = Database::open(server);
        QSqlQuery q(db->connection());
        q.exec(QStringLiteral("SELECT DISTINCT conobject, objID, contypeID, secobjID FROM QEMObjectConstraint "
                              "ORDER BY conobject, objID, contypeID, secobjID"));
        while (q.next()) {
            const int kind = q.value(0).toInt();
            const int context = q.value(2).toInt();
            QStringList args{QStringLiteral("--kind"), QString::number(kind), QStringLiteral("--object"),
                             q.value(1).toString(), QStringLiteral("--context"), QString::number(context)};
            if (kind == 3 || kind == 4 || (kind == 1 && (context == 102 || context == 103)))
                args << QStringLiteral("--secondary") << q.value(3).toString();
            if (!sets.contains(args))
                sets.append(args);
        }
    }
    Database::closeAll();
    return sets;
}

// Where two sets differ in meaning, or nothing. The editor writes a minimum
// of "0" ("all of the chosen codes") as the number of chosen codes.
QString meaningMismatch(const QJsonArray &before, const QJsonArray &after)
{
    if (before.size() != after.size())
        return QStringLiteral("%1 rows became %2").arg(before.size()).arg(after.size());
    for (int i = 0; i < before.size(); ++i) {
        const QJsonObject b = before.at(i).toObject();
        const QJsonObject a = after.at(i).toObject();
        for (auto it = b.constBegin(); it != b.constEnd(); ++it) {
            const QJsonValue now = a.value(it.key());
            if (now == it.value())
                continue;
            const int codes = a.value(QStringLiteral("conselobjIDs")).toString().split(QLatin1Char(','),
                                                                                     Qt::SkipEmptyParts).size();
            if (it.key() == QLatin1String("conoptval4") && it.value() == QJsonValue(QStringLiteral("0"))
                && now == QJsonValue(QString::number(codes)))
                continue;
            return QStringLiteral("row %1: %2 was %3, is %4")
                .arg(i)
                .arg(it.key(), it.value().toVariant().toString(), now.toVariant().toString());
        }
    }
    return QString();
}

} // namespace

namespace {
// The whole degree docs/set-format.md shows first.
QByteArray documentedDegree()
{
    QFile page(QFINDTESTDATA("../../docs/set-format.md"));
    const QByteArray text = page.open(QIODevice::ReadOnly) ? page.readAll() : QByteArray();
    const qsizetype from = text.indexOf("```json\n") + 8;
    return text.mid(from, text.indexOf("```", from) - from);
}
} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private:
    zr::test::ServerFixture m_fixture;
    QTemporaryDir m_files;

    // A fresh sample database for the row's backend; false (after QSKIP) when it is not set up.
    QString resetServer(const QString &backend)
    {
        m_fixture.reset(backend);
        Database::closeAll();
        return m_fixture.serverName(backend);
    }

private slots:
    void unusableInputExitsTwoAndChangesNothing_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QStringList>("arguments");
        const QHash<QString, QString> files{{"{good}", QFINDTESTDATA("data/set-good.json")},
                                            {"{auditset}", QFINDTESTDATA("data/auditset.json")},
                                            {"{unreadset}", QFINDTESTDATA("data/auditset-unread.json")},
                                            {"{student}", QFINDTESTDATA("data/auditstudent.json")},
                                            {"{typedstudent}", QFINDTESTDATA("data/auditstudent-typed.json")},
                                            {"{otherstudent}", QFINDTESTDATA("data/auditstudent-otherprogramme.json")},
                                            {"{typo}", m_files.filePath(QStringLiteral("typo.db"))},
                                            {"{unreachable}", QStringLiteral("postgresql://nobody@127.0.0.1:1/none")},
                                            {"{broken}", QFINDTESTDATA("data/set-broken.json")},
                                            {"{empty}", QFINDTESTDATA("data/set-empty.json")},
                                            {"{wrongtype}", QFINDTESTDATA("data/set-wrongtype.json")},
                                            {"{unknownkind}", QFINDTESTDATA("data/set-unknownkind.json")},
                                            {"{unknowncontext}", QFINDTESTDATA("data/set-unknowncontext.json")},
                                            {"{missing}", m_files.filePath(QStringLiteral("missing.json"))},
                                            {"{into}", QStringLiteral("--kind 1 --object 2 --context 101")}};
        for (const QStringList &row : dataRows(QFINDTESTDATA("data/unusableinput.tsv"))) {
            // Also within a word: sqlite://{typo} names the database file in the test's own folder.
            QString line = row.value(1);
            for (auto it = files.cbegin(); it != files.cend(); ++it)
                line.replace(it.key(), it.value());
            const QStringList arguments = line.split(QLatin1Char(' '));
            for (const char *backend : {"sqlite", "postgresql"})
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(backend, row.first()))) << QString::fromLatin1(backend) << arguments;
        }
    }

    void unusableInputExitsTwoAndChangesNothing()
    {
        QFETCH(QStringList, arguments);
        ZR_CLI_BACKEND_ROW();
        const QStringList before = storedRows(server);
        const Result r = zrreq(arguments, arguments.contains(QStringLiteral("--server")) ? QString() : server);
        QVERIFY2(r.exitCode == 2, qPrintable(describe(r)));
        QVERIFY2(r.errLines.size() == 1, qPrintable(describe(r)));
        QVERIFY2(r.outLines.isEmpty(), qPrintable(describe(r)));
        QCOMPARE(storedRows(server), before);
        // Only init-db creates a database: a mistyped file name is refused, not started empty.
        QVERIFY(!QFileInfo::exists(m_files.filePath(QStringLiteral("typo.db"))));
    }

    // A command that only reads, on the embedded database when its file is missing, says so and
    // creates nothing; only init-db makes a database.
    void readOnlyCommandsCreateNoDatabase_data() { addDataRows(QFINDTESTDATA("data/readonlycommands.tsv")); }

    void readOnlyCommandsCreateNoDatabase()
    {
        QFETCH(QStringList, arguments);
        arguments.replaceInStrings(QStringLiteral("{set}"), QFINDTESTDATA("data/set-good.json"));
        const QString file = m_files.filePath(QStringLiteral("none.db"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZRREQ_DATABASE"), file);
        const Result r = zrreq(arguments, QString(), env);
        QVERIFY2(r.exitCode == 2 && r.errLines.size() == 1, qPrintable(describe(r)));
        QVERIFY(!QFileInfo::exists(file));
    }

    // Greek Excel's CSV comes in: a dry run lists, --apply writes, a second import changes
    // nothing, and a file with a refused row writes nothing.
    void dataImportsMatchRowsByCode()
    {
        const QString server = QStringLiteral("sqlite://") + m_files.filePath(QStringLiteral("data.db"));
        QVERIFY(zrreq({"init-db"}, server).exitCode == 0);
        const QString courses = m_files.filePath(QStringLiteral("courses.csv"));
        QFile file(courses);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // "τμήμα;κωδικός;τίτλος;ects", then two courses of department 105 in Windows-1253
        file.write("\xf4\xec\xde\xec\xe1;\xea\xf9\xe4\xe9\xea\xfc\xf2;\xf4\xdf\xf4\xeb\xef\xf2;ects\r\n"
                   "105;\xcc\xc7\xd5" "101;\xcc\xe1\xe8\xe7\xec\xe1\xf4\xe9\xea\xdc;5\r\n105;X1;\xc1;7,5\r\n");
        file.close();
        const QStringList import{"data", "import", courses, "--lang", "en"};
        QCOMPARE(zrreq(import, server).outLines,
                 (QStringList{"courses: 1 to add, 1 to change, 0 unchanged", "  ~ courses.csv:2 105/ΜΗΥ101",
                              "  + courses.csv:3 105/X1"}));
        QCOMPARE(zrreq(import + QStringList{"--apply"}, server).outLines,
                 QStringList{"courses: 1 added, 1 changed, 0 unchanged"});
        QCOMPARE(zrreq(import, server).outLines, QStringList{"courses: 0 to add, 0 to change, 2 unchanged"});
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Append));
        file.write("999;X2;B;5\r\n");
        file.close();
        const Result refused = zrreq(import + QStringList{"--apply"}, server);
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(refused.errLines.value(0), "courses.csv, line 4, column 1: no row of departments has the code «999»");
        QCOMPARE(zrreq(import, server).exitCode, 1);
        QCOMPARE(zrreq({"data", "import", courses, "--lang", "en", "--kind", "departments"}, server).errLines.value(0),
                 "courses.csv, line 1, column 1: there is no column «τμήμα» in a file of departments");
        // What export writes, an import reads back unchanged.
        const QString folder = m_files.filePath(QStringLiteral("exported"));
        QCOMPARE(zrreq({"data", "export", folder}, server).exitCode, 0);
        QStringList exported{"data", "import", "--lang", "en"};
        for (const QString &name : QDir(folder).entryList({"*.csv"}))
            exported << QDir(folder).filePath(name);
        const QStringList readBack = zrreq(exported, server).outLines;
        QCOMPARE(readBack.size(), zr::server::DataKinds().size()); // every kind
        for (const QString &line : readBack)
            QVERIFY2(line.contains(" 0 to add, 0 to change, "), qPrintable(line));
    }

    // The window's help speaks one language, --lang's: not a Greek letter in English, every option in Greek.
    // The version said is the project's, with the libraries it runs on.
    void versionNamesTheProjectAndItsLibraries()
    {
        const test::Result r = test::zrreq({QStringLiteral("--version")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.outLines.value(0), QStringLiteral("zrreq " ZR_PROJECT_VERSION));
        QCOMPARE(r.outLines.value(1), QStringLiteral("Qt ") + QString::fromLatin1(qVersion()));
        QVERIFY2(r.outLines.value(2).startsWith(QLatin1String("SQLite 3.")), qPrintable(r.outLines.join('|')));
        QVERIFY2(r.outLines.value(3).startsWith(QLatin1String("PostgreSQL client")), qPrintable(r.outLines.join('|')));
    }

    void helpSpeaksOneLanguage()
    {
        static const QRegularExpression greek(QStringLiteral("[\\x{0370}-\\x{03FF}]"));
        Result r = zrreq({"--help", "--lang", "en"});
        QVERIFY2(r.exitCode == 0 && !QString::fromUtf8(r.out).contains(greek), r.out.constData());
        r = zrreq({"--lang", "el", "--help"});
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        for (const QString &line : r.outLines) {
            if (line.startsWith(QLatin1String("  -")))
                QVERIFY2(line.contains(greek), qPrintable(line));
        }
        r = zrreq({"--lang", "fr"});
        QVERIFY2(r.exitCode == 2 && r.errLines.size() == 1 && r.errLines.first().contains(QLatin1String("fr")),
                 qPrintable(describe(r)));
    }

    // The help wraps to the terminal's width where the shell exports it (COLUMNS), to 80 columns
    // otherwise; the manual page is written from it unwrapped.
    void helpWrapsToTheTerminal_data()
    {
        QTest::addColumn<QString>("columns"); // empty: not set
        QTest::addColumn<int>("wider");       // the longest line is wider than this
        QTest::addColumn<int>("widest");      // and at most this wide
        QTest::newRow("no COLUMNS") << QString() << 59 << 79;
        QTest::newRow("a narrow terminal") << QStringLiteral("60") << 40 << 59;
        QTest::newRow("narrower than any help") << QStringLiteral("20") << 59 << 79;
        QTest::newRow("unwrapped") << QStringLiteral("100000") << 79 << 100000;
    }

    void helpWrapsToTheTerminal()
    {
        QFETCH(QString, columns);
        QFETCH(int, wider);
        QFETCH(int, widest);
        QProcessEnvironment env = test::cliEnvironment();
        env.remove(QStringLiteral("COLUMNS"));
        if (!columns.isEmpty())
            env.insert(QStringLiteral("COLUMNS"), columns);
        const Result r = zrreq({"audit", "--help", "--lang", "en"}, QString(), env);
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        // A word longer than the room left stands alone on its line, however long.
        qsizetype longest = 0;
        for (const QString &line : r.outLines) {
            if (line.trimmed().contains(QLatin1Char(' ')))
                longest = std::max(longest, line.size());
        }
        QVERIFY2(longest > wider && longest <= widest, qPrintable(r.outLines.join(QLatin1Char('\n'))));
    }

    // A subcommand's help and usage errors speak one language: --lang's, else the one the window
    // saved last, else Greek. Greek help has no heading and no option left in English.
    void helpAndErrorsSpeakTheChosenLanguage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("saved"); // the window's saved language; 0 for none
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");   // a pattern the output matches
        QTest::addColumn<QString>("unsaid"); // one it does not
        const QString english = QStringLiteral("Usage:|Options:|Arguments:|Displays help|^  -[^\\x{0370}-\\x{03FF}]*$");
        const QString greek = QStringLiteral("Χρήση:|Επιλογές:|Ορίσματα:|Δείχνει");
        for (const char *name : {"validate", "describe", "export", "history", "import", "init-db", "upgrade-db",
                                 "audit", "data", "list", "grant", "revoke"}) {
            const QString arguments = name == QByteArray("data") ? QStringLiteral(".*^Ορίσματα:$") : QString();
            QTest::newRow(qPrintable(QStringLiteral("%1 --help el").arg(name)))
                << QStringList{name, "--help", "--lang", "el"} << 0 << 0
                << QStringLiteral("^Χρήση: zrreq %1 .*^Επιλογές:$").arg(name) + arguments << english;
            QTest::newRow(qPrintable(QStringLiteral("%1 --help en").arg(name)))
                << QStringList{name, "--lang", "en", "--help"} << 0 << 0
                << QStringLiteral("^Usage: zrreq %1 .*^Options:$").arg(name) << greek;
        }
        const QStringList notANumber{"export", "--kind", "one", "--object", "1", "--context", "101"};
        QTest::newRow("not a number el") << notANumber + QStringList{"--lang", "el"} << 0 << 2
                                         << "^zrreq export: Το --kind θέλει ακέραιο αριθμό, όχι «one»$" << english;
        QTest::newRow("not a number en") << notANumber + QStringList{"--lang", "en"} << 0 << 2
                                         << "^zrreq export: --kind must be a whole number, not \"one\"$" << greek;
        QTest::newRow("unknown option el") << QStringList{"history", "--bogus", "--lang", "el"} << 0 << 2
                                           << "^zrreq history: Άγνωστη επιλογή: --bogus$" << english;
        QTest::newRow("unknown option en") << QStringList{"history", "--lang=en", "--bogus"} << 0 << 2
                                           << "^zrreq history: unknown option: --bogus$" << greek;
        QTest::newRow("missing value el") << QStringList{"audit", "--lang", "el", "--student"} << 0 << 2
                                          << "^zrreq audit: Η επιλογή --student θέλει τιμή$" << english;
        QTest::newRow("value to a switch en") << QStringList{"list", "--lang", "en", "--json=yes"} << 0 << 2
                                              << "^zrreq list: --json takes no value$" << greek;
        QTest::newRow("nothing saved") << QStringList{"validate"} << 0 << 2
                                       << "^zrreq validate: Δώστε είτε --file είτε --all$" << english;
        QTest::newRow("saved English") << QStringList{"validate"} << 1033 << 2
                                       << "^zrreq validate: give either --file or --all$" << greek;
        QTest::newRow("--lang over the saved") << QStringList{"validate", "--lang", "el"} << 1033 << 2
                                               << "^zrreq validate: Δώστε είτε --file είτε --all$" << english;
        QTest::newRow("saved English help") << QStringList{"import", "--help"} << 1033 << 0
                                            << "^Usage: zrreq import .*^Options:$" << greek;
        QTest::newRow("unknown language, saved English") << QStringList{"list", "--lang", "fr"} << 1033 << 2
                                                         << "^zrreq list: --lang takes el or en, not \"fr\"\\.$" << greek;
    }

    void helpAndErrorsSpeakTheChosenLanguage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, saved);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QFETCH(QString, unsaid);
        QTemporaryDir config; // where the window keeps its settings, fresh for each row
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        if (saved != 0)
            QSettings(config.filePath(QStringLiteral("Zerith/zrreq.conf")), QSettings::IniFormat)
                .setValue(QStringLiteral("language"), saved);
        const Result r = zrreq(arguments, QString(), env);
        const QString text = QString::fromUtf8(r.out) + r.errLines.join(QLatin1Char('\n'));
        const auto options = QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption;
        QVERIFY2(r.exitCode == exitCode, qPrintable(describe(r)));
        QVERIFY2(text.contains(QRegularExpression(said, options)), qPrintable(text));
        QVERIFY2(!text.contains(QRegularExpression(unsaid, QRegularExpression::MultilineOption)), qPrintable(text));
    }

    // A database without the requirement tables is said in one line by every command, which exits 2.
    void databaseWithoutTablesIsSaid_data()
    {
        ServerFixture::addBackendColumn();
        QTest::addColumn<QStringList>("arguments");
        const QStringList target{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11"};
        const QString set = QFINDTESTDATA("data/set-good.json");
        const QList<std::pair<const char *, QStringList>> commands{
            {"validate all", {"validate", "--all"}},
            {"validate a file", {"validate", "--file", set}},
            {"describe", {"describe", "--file", set}},
            {"export", QStringList{"export"} + target},
            {"history", QStringList{"history"} + target},
            {"import", QStringList{"import", "--file", set} + target},
            {"effect of an import", QStringList{"import", "--impact", "--file", set} + target},
            {"audit all", QStringList{"audit", "--all"} + target},
            {"audit a student", {"audit", "--student", "84"}},
            {"list", {"list"}},
            {"data import", {"data", "import", set}},
            {"data export", {"data", "export", m_files.filePath(QStringLiteral("notables"))}},
            {"upgrade", {"upgrade-db"}},
        };
        for (const auto &[name, arguments] : commands)
            for (const QString &backend : ServerFixture::backends())
                QTest::newRow(qPrintable(backend + QLatin1Char(' ') + QLatin1String(name))) << backend << arguments;
    }

    void databaseWithoutTablesIsSaid()
    {
        QFETCH(QStringList, arguments);
        ZR_CLI_BACKEND_ROW();
        QString address = server;
        if (backend == QLatin1String("sqlite")) { // a file holding another program's table
            const QString file = m_files.filePath(QStringLiteral("notables.db"));
            QFile::remove(file);
            QVERIFY(ServerFixture::execOnFile(file, QStringLiteral("CREATE TABLE t (x)")));
            address = QStringLiteral("sqlite://") + file;
        } else {
            // One statement: the server refuses to open the database between the two.
            QVERIFY(execSql(server, QStringLiteral("DROP SCHEMA public CASCADE; CREATE SCHEMA public")));
        }
        // Given to describe too, which otherwise reads the embedded database.
        const Result r = zrreq(arguments + QStringList{"--server", address});
        QVERIFY2(r.exitCode == 2 && r.errLines.size() == 1 && r.outLines.isEmpty(), qPrintable(describe(r)));
        QVERIFY2(r.errLines.first().startsWith(QLatin1String("ERROR 31017\t")), qPrintable(describe(r)));
    }

    // Help and the subcommands run without widgets: a display platform that does not exist
    // is never asked for.
    void subcommandsNeedNoDisplayPlatform()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        const QString server = QStringLiteral("sqlite://") + m_files.filePath(QStringLiteral("headless.db"));
        const QStringList target{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11"};
        Result r = zrreq({"--help"}, QString(), env);
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        for (const char *name : {"validate", "describe", "export", "history", "import", "init-db", "audit", "data", "--server"})
            QVERIFY2(r.out.contains(name), r.out.constData());
        r = zrreq({"init-db", "--sample"}, server, env);
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        r = zrreq(QStringList{"export"} + target, server, env);
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        const QString set = writeFile(m_files, QStringLiteral("headless.json"), r.out);
        for (const QStringList &command : {QStringList{"validate", "--file", set}, QStringList{"validate", "--all"},
                                           QStringList{"describe", "--file", set},
                                           QStringList{"import", "--file", set} + target}) {
            r = zrreq(command, server, env);
            QVERIFY2(r.exitCode == 0, qPrintable(command.first() + QLatin1Char(' ') + describe(r)));
        }
    }

    void everySampleSetRoundTrips_data() { zr::test::ServerFixture::backendRows(); }

    void everySampleSetRoundTrips()
    {
        ZR_CLI_BACKEND_ROW();
        const QList<QStringList> sets = storedSets(server);
        QVERIFY(sets.size() >= 15);
        for (const QStringList &target : sets) {
            const QByteArray before = exportSet(target, server);
            QVERIFY2(!before.isEmpty(), qPrintable(target.join(QLatin1Char(' '))));
            const QString path = writeFile(m_files, QStringLiteral("set.json"), before);
            const Result imported = zrreq(QStringList{QStringLiteral("import"), QStringLiteral("--file"), path} + target,
                                          server);
            QVERIFY2(imported.exitCode == 0 && imported.outLines == QStringList{"OK"},
                     qPrintable(target.join(QLatin1Char(' ')) + QLatin1Char('\n') + describe(imported)));
            const QByteArray after = exportSet(target, server);
            const QString mismatch = meaningMismatch(comparable(before), comparable(after));
            QVERIFY2(mismatch.isEmpty(), qPrintable(target.join(QLatin1Char(' ')) + QLatin1Char('\n') + mismatch));
            // Once written by the editor, a set goes through unchanged.
            const Result again = zrreq(QStringList{QStringLiteral("import"), QStringLiteral("--file"),
                                                   writeFile(m_files, QStringLiteral("set.json"), after)} + target, server);
            QVERIFY2(again.exitCode == 0, qPrintable(describe(again)));
            QCOMPARE(comparable(exportSet(target, server)), comparable(after));
        }
    }

    // list names every stored set once, by the keys the other subcommands take: each line's set
    // exports, with as many requirements as the line says, and nothing stored is left out.
    void listNamesEveryStoredSet_data() { zr::test::ServerFixture::backendRows(); }
    void listNamesEveryStoredSet()
    {
        ZR_CLI_BACKEND_ROW();
        const Result r = zrreq({QStringLiteral("list"), QStringLiteral("--lang"), QStringLiteral("en")}, server);
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        QCOMPARE(r.outLines.size(), storedSets(server).size());
        for (const QString &line : r.outLines) {
            const QStringList fields = line.split(QLatin1Char('\t'));
            QVERIFY2(fields.size() == 6 && fields.at(5).contains(QLatin1String(": Requirements for ")), qPrintable(line));
            QStringList target{QStringLiteral("--kind"), fields.at(0), QStringLiteral("--object"), fields.at(1),
                               QStringLiteral("--context"), fields.at(2)};
            if (fields.at(3) != QLatin1String("0"))
                target << QStringLiteral("--curriculum") << fields.at(3);
            const QJsonObject set = QJsonDocument::fromJson(exportSet(target, server)).object();
            QVERIFY2(set.value(QStringLiteral("rows")).toArray().size() == fields.at(4).toInt(), qPrintable(line));
        }
    }

    // Requirements keep their ids through exports, imports and restores, so the history says what
    // changed: one value, one requirement removed, and restored versions come back id for id.
    void historyKeepsEachRequirementsIdentity_data() { zr::test::ServerFixture::backendRows(); }

    void historyKeepsEachRequirementsIdentity()
    {
        ZR_CLI_BACKEND_ROW();
        const QStringList degree{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11"};
        const auto readable = [&](const QStringList &more = {}) {
            return zrreq(QStringList{"export", "--format", "2"} + more + degree, server).out;
        };
        const auto import = [&](const QByteArray &file) {
            // Saved in Greek; the history is read in either language.
            const Result r = zrreq(QStringList{"import", "--force", "--lang", "el", "--file",
                                               writeFile(m_files, QStringLiteral("set.json"), file)} + degree, server);
            return r.exitCode == 0 ? QString() : describe(r);
        };
        const auto ids = [&](const QByteArray &file) {
            QList<int> out;
            for (const QJsonValue &r : QJsonDocument::fromJson(file).object().value(u"requirements").toArray())
                out << r.toObject().value(u"id").toInt();
            return out;
        };
        QList<QByteArray> versions{exportSet(degree, server)};
        const QByteArray first = readable();
        // A set never saved says so.
        QCOMPARE(zrreq(QStringList{"history", "--lang", "en"} + degree, server).outLines.size(), 1);
        // An unchanged file saves nothing.
        QCOMPARE(import(first), QString());
        QCOMPARE(exportSet(degree, server), versions.first());
        // Version 1: one value changed.
        QCOMPARE(import(QByteArray(first).replace("\"value\": 300,", "\"value\": 287,")), QString());
        versions << exportSet(degree, server);
        const Result changed = zrreq(QStringList{"history", "--lang", "en", "--diff", "0", "1"} + degree, server);
        QCOMPARE(changed.outLines, (QStringList{"Changed (10) Course Type:", "  Value 1: 300 → 287"}));
        // Version 2: the projects requirement (12) removed.
        QJsonObject set = QJsonDocument::fromJson(readable()).object();
        QJsonArray requirements = set.value(u"requirements").toArray();
        requirements.removeAt(2);
        set.insert(QStringLiteral("requirements"), requirements);
        set.insert(QStringLiteral("expression"), set.value(u"expression").toString().remove(QStringLiteral("projects and ")));
        QCOMPARE(import(QJsonDocument(set).toJson()), QString());
        versions << exportSet(degree, server);
        QCOMPARE(ids(readable()), (QList<int>{10, 11, 13, 14, 15, 16}));
        const Result listed = zrreq(QStringList{"history", "--lang", "en"} + degree, server);
        // Version 0, the set as first stored, is listed with the saves.
        QVERIFY2(listed.outLines.size() == 3 && listed.outLines.first() == QLatin1String("0\t\t\tthe set as first stored")
                     && listed.outLines.at(1).endsWith(QStringLiteral("\tValue 1 of Course Type 300 → 287"))
                     && listed.outLines.last().endsWith(QLatin1String("\t1 removed, expression changed")),
                 qPrintable(describe(listed)));
        QVERIFY(zrreq(QStringList{"history", "--lang", "el"} + degree, server)
                    .outLines.at(1)
                    .endsWith(QStringLiteral("\tΤιμή1 στο Τύπος μαθήματος: 300 → 287")));
        // Restored, version 0 comes back id for id; so does version 1, and the second restore
        // changes only the value.
        const auto rows = [](const QByteArray &file) { return QJsonDocument::fromJson(file).object().value(u"rows"); };
        for (int v : {0, 1}) {
            QCOMPARE(import(readable({"--version", QString::number(v)})), QString());
            QCOMPARE(rows(exportSet(degree, server)), rows(versions.at(v)));
        }
        QCOMPARE(zrreq(QStringList{"history", "--lang", "en", "--diff", "3", "4"} + degree, server).outLines,
                 (QStringList{"Changed (10) Course Type:", "  Value 1: 300 → 287"}));
        // A requirement added later never takes the id of one that was removed.
        requirements.append(QJsonObject{{"label", "more"}, {"type", "practicums"}, {"total", "practicums"},
                                        {"operator", ">="}, {"value", 2}});
        set.insert(QStringLiteral("requirements"), requirements);
        set.insert(QStringLiteral("expression"), set.value(u"expression").toString() + QStringLiteral(" and more"));
        QCOMPARE(import(QJsonDocument(set).toJson()), QString());
        QVERIFY(ids(readable()).last() > 45);
    }

    // Versions 1 and 2 saved at 10:00 on 10 January and 09:00 on 11 January; a date alone is the end of
    // its day. Export writes the version in force then, and audit checks against it.
    void asOfReadsTheVersionInForce_data()
    {
        QTest::addColumn<QString>("when");
        QTest::addColumn<int>("version");
        QTest::newRow("day of version 1") << "2026-01-10" << 1;
        QTest::newRow("a second before version 2") << "2026-01-11T08:59:59" << 1;
        QTest::newRow("time of version 2, with a space") << "2026-01-11 09:00" << 2;
        // A moment with an offset is that moment here, wherever here is.
        const QDateTime beforeTwo(QDate(2026, 1, 11), QTime(8, 59, 59));
        QTest::newRow("a second before version 2, five hours east")
            << beforeTwo.toOffsetFromUtc(5 * 3600).toString(Qt::ISODate) << 1;
        QTest::newRow("time of version 2, in UTC") << beforeTwo.addSecs(1).toUTC().toString(Qt::ISODate) << 2;
    }

    void asOfReadsTheVersionInForce()
    {
        QFETCH(QString, when);
        QFETCH(int, version);
        const QString server = resetServer(QStringLiteral("sqlite"));
        const QStringList set{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11"};
        const QByteArray stored = exportSet(set, server);
        const QByteArray credits("\"conoptval1\": \"300\"");
        QList<QByteArray> versions{stored};
        // Version 1 asks a single credit of requirement 10, version 2 the 300 again.
        for (const QByteArray &file : {QByteArray(stored).replace(credits, "\"conoptval1\": \"1\""), stored}) {
            const Result imported = zrreq(QStringList{"import", "--force", "--file", writeFile(m_files, QStringLiteral("v.json"), file)} + set, server);
            QVERIFY2(imported.exitCode == 0, qPrintable(describe(imported)));
            versions.append(exportSet(set, server));
        }
        QVERIFY(execSql(server, QStringLiteral("UPDATE QEMSetHistory SET saveddate = '2026-01-10 10:00:00' WHERE version = 1")));
        QVERIFY(execSql(server, QStringLiteral("UPDATE QEMSetHistory SET saveddate = '2026-01-11 09:00:00' WHERE version = 2")));
        const Result r = zrreq(QStringList{"export", "--format", "1", "--as-of", when} + set, server);
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        QCOMPARE(r.out, versions.at(version));
        // Audit checks against the version in force: student 84 lacks the 300 credits, not the one.
        const Result audited = zrreq(QStringList{"audit", "--student", "84", "--as-of", when} + set, server);
        QVERIFY2(audited.exitCode == (version == 1 ? 0 : 1), qPrintable(describe(audited)));
    }

    // The whole degree of docs/set-format.md, as a registrar would write it: checked, stored with
    // its labels and audited; the labels come back in the export.
    void theDocumentedDegreeGoesInWithItsLabels()
    {
        const QString server = resetServer(QStringLiteral("sqlite"));
        const QString path = writeFile(m_files, QStringLiteral("degree.json"), documentedDegree());
        const Result valid = zrreq({"validate", "--file", path}, server);
        QVERIFY2(valid.exitCode == 0 && valid.outLines == QStringList{"OK"}, qPrintable(describe(valid)));
        const Result imported = zrreq({"import", "--file", path}, server);
        QVERIFY2(imported.exitCode == 0, qPrintable(describe(imported)));
        const QStringList set{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11"};
        const Result exported = zrreq(QStringList{"export", "--format", "2"} + set, server);
        QVERIFY2(exported.outLines.contains(QStringLiteral("    \"expression\": \"ects and group-software and thesis and "
                                                           "(practicum or subjects) and modes and sector\",")),
                 qPrintable(describe(exported)));
        QVERIFY(exported.outLines.contains(QStringLiteral("            \"label\": \"group-software\",")));
        // Student 84 lacks the 300 ECTS.
        const Result audited = zrreq(QStringList{"audit", "--student", "84", "--lang", "en"} + set, server);
        QVERIFY2(audited.exitCode == 1, qPrintable(describe(audited)));
    }

    // What the editor's checks refuse in a readable file is said where it stands in the file.
    void editorChecksSayWhereInTheFile_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("place");
        QTest::newRow("value") << QByteArray("\"value\": 300,") << QByteArray("\"value\": \"lots\",")
                               << "Line 16, requirement «ects», field «value»: ";
        QTest::newRow("no group") << QByteArray("\"groups\": [\"Ο2\"],") << QByteArray("\"groups\": [],")
                                  << "Line 22, requirement «group-software», field «groups»: ";
    }
    void editorChecksSayWhereInTheFile()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, place);
        const QString server = resetServer(QStringLiteral("sqlite"));
        const QString path = writeFile(m_files, QStringLiteral("wrong.json"), documentedDegree().replace(from, to));
        for (const char *command : {"validate", "import"}) {
            const Result r = zrreq({command, "--lang", "en", "--file", path}, server);
            // validate says it on stdout, import on stderr.
            const QStringList said = r.outLines + r.errLines;
            QVERIFY2(r.exitCode == 1 && said.size() == 1 && said.first().contains(place), qPrintable(describe(r)));
        }
    }

    // Codes the programme's tables lack, given by id in the file: said by their code, refused where
    // the sheet would show nothing chosen, a warning (on stderr, the set saved) otherwise.
    void codesTheTablesLackAreNamed_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("exitCode");
        // The line's start and a part of its message.
        QTest::addColumn<QString>("said");
        const QByteArray groups("\"groups\": [\"Ο2\"],");
        QTest::newRow("group of another programme") << groups << QByteArray("\"groups\": [7],") << 1
                                                    << "ERROR 20030|Line 22, requirement «group-software», "
                                                       "field «groups»: Group 7 of field";
        QTest::newRow("unknown course type") << QByteArray("\"courseTypes\": [\"all\"],")
                                             << QByteArray("\"courseTypes\": [99],") << 1
                                             << "ERROR 20031|Line 13, requirement «ects», "
                                                "field «courseTypes»: Code 99 of field";
        QTest::newRow("unknown subject") << QByteArray("\"subjects\": [1, 2, 4],") << QByteArray("\"subjects\": [99],")
                                         << 1 << "ERROR 20031|Line 45, requirement «subjects», "
                                                 "field «subjects»: Code 99 of field";
        QTest::newRow("a group of the programme beside another's") << groups << QByteArray("\"groups\": [\"Ο2\", 7],")
                                                                   << 0 << "WARNING 20030|\tGroup 7 of field";
        QTest::newRow("as documented") << groups << groups << 0 << QString();
    }
    void codesTheTablesLackAreNamed()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        const QString server = resetServer(QStringLiteral("sqlite"));
        QByteArray json = documentedDegree();
        QVERIFY(json.contains(from));
        const QString path = writeFile(m_files, QStringLiteral("codes.json"), json.replace(from, to));
        for (const char *command : {"validate", "import"}) {
            const Result r = zrreq({command, "--lang", "en", "--file", path}, server);
            const QStringList lines = r.outLines + r.errLines;
            const bool told = said.isEmpty() ? r.errLines.isEmpty()
                                             : std::any_of(lines.cbegin(), lines.cend(), [&said](const QString &line) {
                                                   return line.startsWith(said.section(u'|', 0, 0) + u'\t')
                                                          && line.contains(said.section(u'|', 1));
                                               });
            QVERIFY2(r.exitCode == exitCode && told, qPrintable(describe(r)));
        }
    }

    // A set imported for a student is his individual regulation: his audit checks it, not the
    // programme's. Student 84 lacks the programme's 300 credits; his own set asks one.
    void anImportedStudentSetIsHisRegulation()
    {
        const QString server = resetServer(QStringLiteral("sqlite"));
        const QStringList degree{"--kind", "1", "--object", "1", "--context", "103"};
        QByteArray set = exportSet(degree + QStringList{"--curriculum", "11"}, server);
        const QString own = writeFile(m_files, QStringLiteral("own.json"), set.replace("\"conoptval1\": \"300\"", "\"conoptval1\": \"1\""));
        QCOMPARE(zrreq(QStringList{"audit", "--student", "84"} + degree, server).exitCode, 1);
        const Result refused = zrreq({"import", "--file", own, "--kind", "8", "--object", "84", "--context", "101"}, server);
        QVERIFY2(refused.exitCode == 2 && refused.errLines.size() == 1, qPrintable(describe(refused)));
        const Result imported = zrreq({"import", "--file", own, "--kind", "8", "--object", "84", "--context", "103"}, server);
        QVERIFY2(imported.exitCode == 0, qPrintable(describe(imported)));
        QCOMPARE(zrreq(QStringList{"audit", "--student", "84"} + degree, server).exitCode, 0);

        // At an earlier time the audit checks the regulation in force then: none before it was
        // imported on 12 January, his own after. The programme's set has a version from 10 January.
        const QString relabelled = writeFile(m_files, QStringLiteral("relabelled.json"),
                                             exportSet(degree + QStringList{"--curriculum", "11"}, server)
                                                 .replace("\"conlabel\": null", "\"conlabel\": \"ects\""));
        QCOMPARE(zrreq(QStringList{"import", "--file", relabelled, "--curriculum", "11"} + degree, server).exitCode, 0);
        QVERIFY(execSql(server, QStringLiteral("UPDATE QEMSetHistory SET saveddate = '2026-01-10 10:00:00' "
                                               "WHERE setkey LIKE '1/%'")));
        QVERIFY(execSql(server, QStringLiteral("UPDATE QEMSetHistory SET saveddate = '2026-01-12 10:00:00' "
                                               "WHERE setkey LIKE '8/84/%'")));
        for (const auto &[when, verdict] : {std::pair{"2026-01-11", 1}, {"2026-01-13", 0}}) {
            const Result r = zrreq(QStringList{"audit", "--student", "84", "--as-of", when, "--curriculum", "11"} + degree, server);
            QVERIFY2(r.exitCode == verdict, qPrintable(when + describe(r)));
            const Result all = zrreq(QStringList{"audit", "--all", "--as-of", when, "--curriculum", "11"} + degree, server);
            QVERIFY2(all.outLines.filter(QRegularExpression(QStringLiteral("^84\t"))).value(0).contains(
                         verdict == 0 ? QStringLiteral("\tMET") : QStringLiteral("\tUNMET")),
                     qPrintable(when + describe(all)));
        }
    }

    // Student 205 is excepted from the degree set until the exception is lifted on 12 January: an
    // audit at an earlier time finds him excepted, and the set's history lists the list's versions.
    void aLiftedExceptionStillHoldsAtAnEarlierTime()
    {
        const QString server = resetServer(QStringLiteral("sqlite"));
        const QStringList degree{"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11", "--lang", "en"};
        QCOMPARE(zrreq(QStringList{"audit", "--student", "205"} + degree, server).outLines.last(), QStringLiteral("RESULT EXCEPTED"));
        // The set itself has a version from 10 January.
        const QString relabelled = writeFile(m_files, QStringLiteral("relabelled.json"),
                                             exportSet(degree, server).replace("\"conlabel\": null", "\"conlabel\": \"ects\""));
        QCOMPARE(zrreq(QStringList{"import", "--file", relabelled} + degree, server).exitCode, 0);
        serverObject<cStudent>(server)->SaveExcludedStudent(QStringLiteral("s"), QStringLiteral("205"), 1, 1, 103, 0, 1);
        Database::closeAll();
        QVERIFY(execSql(server, QStringLiteral("UPDATE QEMSetHistory SET saveddate = '2026-01-10 10:00:00' "
                                               "WHERE setkey LIKE '1/%'")));
        QVERIFY(execSql(server, QStringLiteral("UPDATE QEMSetHistory SET saveddate = '2026-01-12 10:00:00' "
                                               "WHERE setkey LIKE 'exceptions/%'")));
        for (const auto &[when, excepted] : {std::pair{"2026-01-11", true}, {"2026-01-13", false}}) {
            const Result r = zrreq(QStringList{"audit", "--student", "205", "--as-of", when} + degree, server);
            QVERIFY2(r.outLines.contains(QStringLiteral("RESULT EXCEPTED")) == excepted, qPrintable(when + describe(r)));
            const Result all = zrreq(QStringList{"audit", "--all", "--as-of", when} + degree, server);
            QVERIFY2(all.outLines.contains(QStringLiteral("205\tEXCEPTED\t")) == excepted, qPrintable(when + describe(all)));
        }
        const Result history = zrreq(QStringList{"history"} + degree, server);
        const QStringList listed = history.outLines.mid(history.outLines.indexOf(QStringLiteral("Excepted students:")));
        QCOMPARE(listed.size(), 3);
        QCOMPARE(listed.at(1), QStringLiteral("0\t\t\tthe list as it was before its first change"));
        QVERIFY2(listed.at(2).startsWith(QLatin1String("1\t2026-01-12 10:00:00\t"))
                     && listed.at(2).endsWith(QLatin1String("\t1 removed")),
                 qPrintable(describe(history)));
        QCOMPARE(zrreq(QStringList{"history", "--exceptions", "--diff", "0", "1"} + degree, server).outLines,
                 QStringList{"No longer excepted: 1002435 Αθανασίου Δήμητρα"});
    }

    void validateChecksEveryStoredSet()
    {
        const QString server = resetServer(QStringLiteral("sqlite"));
        const int sets = storedSets(server).size();
        Result all = zrreq({"validate", "--all", "--lang", "en"}, server);
        QVERIFY2(all.exitCode == 0, qPrintable(describe(all)));
        QCOMPARE(all.outLines.size(), sets + 1);
        QCOMPARE(all.outLines.last(), QStringLiteral("%1 sets, %1 valid, 0 invalid").arg(sets));
        QVERIFY(all.outLines.contains(QStringLiteral("kind 1 object 1 context 103 curriculum 11: OK")));

        // One broken stored value makes its set, and only its set, invalid.
        QVERIFY(execSql(server, QStringLiteral("UPDATE QEMObjectConstraint SET conoptval1 = 'abc' WHERE ocID = 17")));
        all = zrreq({"validate", "--all", "--lang", "en"}, server);
        QVERIFY2(all.exitCode == 1, qPrintable(describe(all)));
        QCOMPARE(all.outLines.last(), QStringLiteral("%1 sets, %2 valid, 1 invalid").arg(sets).arg(sets - 1));
        const QStringList broken = all.outLines.filter(QStringLiteral(": ERROR "));
        QCOMPARE(broken.size(), 1);
        QVERIFY2(broken.first().startsWith(QLatin1String("kind 1 object 1 context 103 curriculum 12: ERROR ")),
                 qPrintable(broken.first()));

        // A stored expression that does not read is no valid set either.
        QVERIFY(execSql(server, QStringLiteral("UPDATE QEMObjectConstraint SET coneval = coneval || ' AND (' "
                                       "WHERE conobject = 1 AND objID = 1 AND contypeID = 103 AND secobjID = '11'")));
        all = zrreq({"validate", "--all", "--lang", "en"}, server);
        QVERIFY2(!all.outLines.filter(QStringLiteral("curriculum 11: ERROR 10100\t")).isEmpty(),
                 qPrintable(all.outLines.join(QLatin1Char('\n'))));

        // Nor is one the audit cannot check: curriculum 13's projects (row 22) without their operator.
        QVERIFY(execSql(server, QStringLiteral("UPDATE QEMObjectConstraint SET conoperator = NULL WHERE ocID = 22")));
        all = zrreq({"validate", "--all", "--lang", "en"}, server);
        QVERIFY2(!all.outLines.filter(QStringLiteral("curriculum 13: ERROR 10352\t")).isEmpty(),
                 qPrintable(all.outLines.join(QLatin1Char('\n'))));
        QCOMPARE(zrreq(QStringList{"audit", "--all", "--kind", "1", "--object", "1", "--context", "103", "--curriculum", "13"},
                       server).exitCode, 2);
    }

    void describeShowsEachRequirementAsTheEditorDoes()
    {
        const QString server = resetServer(QStringLiteral("sqlite"));
        const QByteArray json =
            exportSet({"--kind", "1", "--object", "1", "--context", "103", "--curriculum", "11"}, server);
        const Result r = zrreq({"describe", "--lang", "en", "--file", writeFile(m_files, QStringLiteral("describe.json"), json)});
        QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
        // The sheets, then the expression, then each requirement it names with what it asks.
        const qsizetype expression = r.outLines.indexOf(QRegularExpression(QStringLiteral("Expression: .*")));
        QVERIFY2(expression > 0, qPrintable(r.outLines.join('\n')));
        const QStringList sheets = r.outLines.mid(0, expression);
        const QStringList groups = sheets.filter(QRegularExpression(QStringLiteral("^\\S")));
        QCOMPARE(groups.size(), 7);
        const QStringList rows = sheets.filter(QRegularExpression(QStringLiteral("^  \\S.*: ")));
        QCOMPARE(rows.size() + groups.size(), sheets.size());
        const QStringList named = r.outLines.mid(expression + 1);
        QCOMPARE(named.size(), groups.size());
        for (const QString &line : named) {
            const QString caption = line.section(QStringLiteral(": "), 0, 0);
            QVERIFY2(r.outLines.at(expression).contains(QLatin1Char('[') + caption + QLatin1Char(']')), qPrintable(line));
        }
        QVERIFY2(!rows.filter(QRegularExpression(QStringLiteral(": 300$"))).isEmpty(), qPrintable(r.outLines.join('\n')));
        // In Greek the captions change, the values do not.
        const Result greek = zrreq({"describe", "--file", writeFile(m_files, QStringLiteral("describe.json"), json)});
        QCOMPARE(greek.outLines.size(), r.outLines.size());
        QVERIFY(greek.outLines.first() != r.outLines.first());
    }

};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_cli.moc"
