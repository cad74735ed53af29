// Every save of a set keeps the version it replaced: the list of versions,
// each kept version written back as a file, the version in force at a date,
// and the summary line of a save.
#include "saverows.h"
#include "serverfixture.h"
#include "../datafile.h"
#include "requirementstore.h"
#include "roles.h"
#include "schemascript.h"
#include "servererrors.h"
#include "setchangesummary.h"
#include "setdifference.h"
#include "setversionstore.h"
#include "exceptionhistory.h"
#include "common/langstrings.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "requirements/requirementfile.h"
#include "requirements/setversion.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTest>

using namespace zr;
using namespace zr::server;
using zr::test::errorOf;
using zr::test::onRow;
using zr::test::rowsOf;
using zr::test::serverObject;

namespace {

const QString kSource = QStringLiteral("tst_sethistory");
// Programme 1's context 104 holds rows 25 and 26, joined by "[%25] OR [%26]".
const QString kSetKey = RequirementSetKey(1, 1, 104, QString());
const char *const FileFields[] = {"ocID", "conID", "conoperator", "conoptval1", "conoptval5", "conselobjIDs", "coneval"};

// "ocID=25|conID=40|..." per row, in id order, from any recordset of requirement rows.
QStringList lines(Recordset rows)
{
    QStringList out;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        QStringList cells;
        for (const char *name : FileFields) {
            const QVariant v = rows.value(QString::fromLatin1(name));
            cells.append(QLatin1String(name) + QLatin1Char('=') + (v.isNull() ? QStringLiteral("NULL") : v.toString()));
        }
        out.append(cells.join(QLatin1Char('|')));
    }
    out.sort();
    return out;
}

// The set as stored now, read past the server's own code.
QStringList storedSet(const QString &server)
{
    auto db = Database::open(server);
    return lines(db->select(db->knownTable(QStringLiteral("QEMObjectConstraint"), kSource), {},
                            QStringLiteral("conobject = 1 AND objID = 1 AND contypeID = 104"), {}, QStringLiteral("ocID"),
                            kSource));
}

QByteArray versionFile(const QString &server, const QString &key, qint64 number)
{
    return RequirementStore(*Database::open(server)).versionFile(key, number, kSource);
}

// Three saves by three users; returns the set as stored before each save and after the last.
QList<QStringList> saveThreeVersions(const QString &server)
{
    auto constraints = serverObject<cContraints>(server);
    QList<QStringList> stored{storedSet(server)};
    const auto save = [&](const QString &user, const std::function<void(Recordset &)> &edit) {
        SetVersionStore::setSavingUser(user);
        Recordset set = constraints->LoadObjectConstraints(1, 1);
        Recordset rows = rowsOf(set);
        rows.setFilter(QStringLiteral("contypeID = 104"));
        edit(rows);
        try {
            constraints->SaveConstraints(set);
        } catch (const ZrError &e) {
            QFAIL(qPrintable(e.description));
        }
        SetVersionStore::setSavingUser(QString());
        stored.append(storedSet(server));
    };
    save(QStringLiteral("registrar A"), [](Recordset &rows) {
        QVERIFY(onRow(rows, 25));
        rows.setValue(u"conselobjIDs", QStringLiteral("1"));
        rows.setValue(u"conoptval1", QStringLiteral("200"));
    });
    // A copy of 25 comes in for 26.
    save(QStringLiteral("registrar B"), [](Recordset &rows) {
        QVERIFY(onRow(rows, 25));
        QVariantMap copy;
        for (int i = 0; i < rows.fieldCount(); ++i)
            copy.insert(rows.field(i).name, rows.value(i));
        QVERIFY(onRow(rows, 26));
        rows.deleteCurrent();
        rows.addNew();
        for (auto it = copy.constBegin(); it != copy.constEnd(); ++it)
            rows.setValue(it.key(), it.value());
        rows.setValue(u"ocID", -1);
        rows.setValue(u"conoptval1", QStringLiteral("240"));
        for (rows.moveFirst(); !rows.eof(); rows.moveNext())
            rows.setValue(u"coneval", QStringLiteral("[%25] OR [%-1]"));
    });
    save(QString(), [](Recordset &rows) {
        const QString expression = rows.value(u"coneval").toString().replace(QLatin1String(" OR "), QLatin1String(" AND "));
        for (rows.moveFirst(); !rows.eof(); rows.moveNext())
            rows.setValue(u"coneval", expression);
    });
    return stored;
}

void setSavedAt(const QString &server, qint64 version, const QString &stamp, const QString &key = kSetKey)
{
    auto db = Database::open(server);
    QSqlQuery q(db->connection());
    q.prepare(QStringLiteral("UPDATE QEMSetHistory SET saveddate = ? WHERE setkey = ? AND version = ?"));
    q.addBindValue(stamp);
    q.addBindValue(key);
    q.addBindValue(version);
    QVERIFY(q.exec() && q.numRowsAffected() == 1);
}

QList<qlonglong> studentsOf(const QByteArray &file)
{
    QList<qlonglong> ids;
    for (const QJsonValue v : QJsonDocument::fromJson(file).object().value(QStringLiteral("students")).toArray())
        ids.append(v.toInteger());
    return ids;
}

} // namespace

class TestSetHistory : public QObject
{
    Q_OBJECT

private:
    test::ServerFixture m_fixture;

private slots:
    void initTestCase() { InitLanguage(LangEnglish); }

    void eachSaveKeepsTheVersionItReplaced_data() { zr::test::ServerFixture::backendRows(); }

    void eachSaveKeepsTheVersionItReplaced()
    {
        ZR_BACKEND_ROW();
        saveThreeVersions(server);
        if (QTest::currentTestFailed())
            return;
        // As a reader sees them: version 0 first, then each save's line in the reader's language.
        const QList<KeptVersion> kept = ReadableHistory(*Database::open(server), kSetKey, kSource).mid(1);
        QCOMPARE(kept.size(), 3);
        // On PostgreSQL the saver is the database user, whatever name the client gives.
        const bool postgres = backend == QLatin1String("postgresql");
        const QStringList users = postgres ? QStringList(3, QStringLiteral("zrtest"))
                                           : QStringList{QStringLiteral("registrar A"), QStringLiteral("registrar B"),
                                                         SetVersionStore::savingUser()};
        const QStringList summaries{QStringLiteral("Course types of Course Type Υποχρεωτικό, Κατ' επιλογήν υποχρεωτικό → "
                                                   "Υποχρεωτικό (+1 more)"), QStringLiteral("1 added, 1 removed, expression changed"),
                                    QStringLiteral("expression changed")};
        for (int i = 0; i < kept.size(); ++i) {
            QCOMPARE(kept.at(i).number, i + 1);
            QCOMPARE(kept.at(i).savedBy, users.at(i));
            QCOMPARE(kept.at(i).summary, summaries.at(i));
            QVERIFY(qAbs(kept.at(i).savedAt.secsTo(QDateTime::currentDateTime())) < 600);
        }
    }

    // New rows that ask for ids: one held by another set gets a new id, one no requirement ever
    // had keeps it, and the id counted on for the first is never the one the second asked for.
    void newRowsAskingForIdsGetIdsOfTheirOwn_data() { zr::test::ServerFixture::backendRows(); }

    void newRowsAskingForIdsGetIdsOfTheirOwn()
    {
        ZR_BACKEND_ROW();
        const qlonglong top = qMax(zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT MAX(ocID) FROM QEMObjectConstraint")),
                                   zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT COALESCE(MAX(ocID), 0) FROM QEMSetHistoryRow")));
        auto constraints = serverObject<cContraints>(server);
        Recordset set = constraints->LoadObjectConstraints(1, 1);
        Recordset rows = rowsOf(set);
        rows.setFilter(QStringLiteral("contypeID = 104"));
        QVERIFY(onRow(rows, 25));
        QVariantMap copy;
        for (int i = 0; i < rows.fieldCount(); ++i)
            copy.insert(rows.field(i).name, rows.value(i));
        const QString expression = QStringLiteral("[%25] OR [%26] OR [%10] OR [%%1]").arg(top + 1);
        for (const qlonglong asked : {qlonglong(10), top + 1}) { // 10: a requirement of the degree set
            rows.addNew();
            for (auto it = copy.constBegin(); it != copy.constEnd(); ++it)
                rows.setValue(it.key(), it.value());
            rows.setValue(u"ocID", asked);
        }
        for (rows.moveFirst(); !rows.eof(); rows.moveNext())
            rows.setValue(u"coneval", expression);
        try {
            constraints->SaveConstraints(set);
        } catch (const ZrError &e) {
            QFAIL(qPrintable(e.description));
        }
        const QStringList stored = storedSet(server);
        QCOMPARE(stored.size(), 4);
        const QString saved = QStringLiteral("[%25] OR [%26] OR [%%1] OR [%%2]").arg(top + 2).arg(top + 1);
        for (const qlonglong id : {qlonglong(25), qlonglong(26), top + 1, top + 2})
            QVERIFY2(stored.filter(QStringLiteral("ocID=%1|").arg(id)).size() == 1, qPrintable(stored.join(QLatin1Char('\n'))));
        QVERIFY2(stored.first().endsWith(QStringLiteral("coneval=") + saved), qPrintable(stored.first()));
    }

    // Two database users save in turn: each version is under its own, and a name written by hand
    // is written over by the database.
    void postgresqlKeepsTheSessionUser()
    {
        if (!m_fixture.reset(QStringLiteral("postgresql")))
            QSKIP("PostgreSQL is not set up (run through tests/pg/with-postgres.sh)");
        const QString owner = m_fixture.serverName(QStringLiteral("postgresql"));
        const QString other = qEnvironmentVariable("ZRREQ_TEST_PG_SECRET");
        {
            auto db = Database::open(owner);
            Roles::grant(*db, QStringLiteral("zrsecret"), QStringLiteral("editor"), {QStringLiteral("105")});
        }
        Database::closeAll();
        SetVersionStore::setSavingUser(QStringLiteral("somebody else"));
        for (const QString &server : {owner, other}) {
            auto constraints = serverObject<cContraints>(server);
            Recordset set = constraints->LoadObjectConstraints(1, 1);
            Recordset rows = rowsOf(set);
            QVERIFY(onRow(rows, 25));
            rows.setValue(u"conoptval1", server == owner ? QStringLiteral("201") : QStringLiteral("202"));
            constraints->SaveConstraints(set);
            Database::closeAll();
        }
        SetVersionStore::setSavingUser(QString());
        const QList<KeptVersion> kept = SetVersionStore(*Database::open(owner), kSource).history(kSetKey);
        QCOMPARE(kept.size(), 2);
        QCOMPARE(kept.at(0).savedBy, QStringLiteral("zrtest"));
        QCOMPARE(kept.at(1).savedBy, QStringLiteral("zrsecret"));
        auto db = Database::open(other);
        db->execControl(QStringLiteral("UPDATE QEMSetHistory SET savedby = 'forged'"), kSource);
        QSqlQuery &q = db->exec(QStringLiteral("SELECT DISTINCT savedby FROM QEMSetHistory"), {}, kSource);
        QStringList savers;
        while (q.next())
            savers << q.value(0).toString();
        q.finish();
        QCOMPARE(savers, QStringList{QStringLiteral("zrsecret")});
        Database::closeAll();
    }

    // What changed from one version to another, in words: requirements added
    // and removed, fields by label with names for codes, the expression.
    void theDifferenceOfTwoVersionsSaysWhatChanged_data() { zr::test::addDataRows(QFINDTESTDATA("data/version-differences.tsv"), zr::test::ServerFixture::backends()); }

    void theDifferenceOfTwoVersionsSaysWhatChanged()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, expected);
        ZR_BACKEND_ROW();
        saveThreeVersions(server);
        const SetDifference difference = CompareVersions(*Database::open(server), kSetKey, from, to, kSource);
        QCOMPARE(difference.lines().join(QLatin1Char('\n')), expected);
        QCOMPARE(difference.isEmpty(), expected.isEmpty());
    }

    // Versions 1, 2, 3 saved at fixed times; what is in force just before, at and after each.
    void asOfPicksTheVersionInForce_data() { zr::test::addDataRows(QFINDTESTDATA("data/version-at.tsv"), zr::test::ServerFixture::backends()); }

    void asOfPicksTheVersionInForce()
    {
        QFETCH(QString, when);
        QFETCH(int, version);
        ZR_BACKEND_ROW();
        saveThreeVersions(server);
        setSavedAt(server, 1, QStringLiteral("2026-01-10 10:00:00"));
        setSavedAt(server, 2, QStringLiteral("2026-02-01 00:00:00"));
        setSavedAt(server, 3, QStringLiteral("2026-03-01 12:30:00"));
        const QDateTime at = QDateTime::fromString(when, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        RequirementStore store(*Database::open(server));
        if (version < 0) {
            QCOMPARE(errorOf([&] { store.versionFileAt(kSetKey, at, kSource); }), 64002);
            return;
        }
        QCOMPARE(SetVersionStore(*Database::open(server), kSource).versionAt(kSetKey, at), version);
        QCOMPARE(store.versionFileAt(kSetKey, at, kSource), versionFile(server, kSetKey, version));
    }

    void exceptionsAndARegulationKeepTheirVersions_data() { zr::test::ServerFixture::backendRows(); }

    void exceptionsAndARegulationKeepTheirVersions()
    {
        ZR_BACKEND_ROW();
        auto students = serverObject<cStudent>(server);
        // Programme 1's exceptions in context 105 are students 12 and 45.
        const QString list = ExceptionListKey(1, 1, 105, 0);
        students->SaveExcludedStudent(QStringLiteral("s"), QStringLiteral("13,15"), 1, 1, 105, 0, 0);
        // A change that changes nothing keeps no version.
        QCOMPARE(students->SaveExcludedStudent(QStringLiteral("s"), QStringLiteral("13"), 1, 1, 105, 0, 0).toInt(), 0);
        students->SaveExcludedStudent(QStringLiteral("s"), QStringLiteral("12"), 1, 1, 105, 0, 1);
        QCOMPARE(studentsOf(versionFile(server, list, 0)), (QList<qlonglong>{12, 45}));
        QCOMPARE(studentsOf(versionFile(server, list, 1)), (QList<qlonglong>{12, 13, 15, 45}));
        QCOMPARE(studentsOf(versionFile(server, list, 2)), (QList<qlonglong>{13, 15, 45}));
        QList<KeptVersion> kept = ReadableHistory(*Database::open(server), list, kSource).mid(1);
        QCOMPARE(kept.size(), 2);
        QCOMPARE(kept.at(0).summary, QStringLiteral("2 added"));
        QCOMPARE(kept.at(1).summary, QStringLiteral("1 removed"));
        auto db = Database::open(server);
        QCOMPARE(ExceptionListDifference(*db, list, 0, 2, kSource),
                 (QStringList{"No longer excepted: 1001084 Τσιρίγος Αναστάσιος", "Excepted: 1001091 Αλεξίου Μαρία",
                              "Excepted: 1001105 Αλεξίου Αναστάσιος"}));
        // In force at a time: the list before its first change, then each version; a list never
        // changed (context 106) as it is stored.
        setSavedAt(server, 1, QStringLiteral("2026-01-10 10:00:00"), list);
        setSavedAt(server, 2, QStringLiteral("2026-02-01 00:00:00"), list);
        const auto at = [&](const char *when, qint32 context = 105) {
            const QSet<qint64> found = ExceptedStudentsAt(*db, ExceptionListKey(1, 1, context, 0),
                                                          QDateTime::fromString(QString::fromLatin1(when), Qt::ISODate),
                                                          kSource);
            QList<qint64> sorted(found.cbegin(), found.cend());
            std::sort(sorted.begin(), sorted.end());
            return sorted;
        };
        QCOMPARE(at("2026-01-10T09:59:59"), (QList<qint64>{12, 45}));
        QCOMPARE(at("2026-01-31T00:00:00"), (QList<qint64>{12, 13, 15, 45}));
        QCOMPARE(at("2026-02-01T00:00:00"), (QList<qint64>{13, 15, 45}));
        QCOMPARE(at("2026-02-01T00:00:00", 106), QList<qint64>{});

        // Student 7's regulation: rows 43 to 45, edited once, then given up for the programme's.
        const QString regulation = RequirementSetKey(8, 7, 103, QString());
        const QStringList original = lines(rowsOf(serverObject<cContraints>(server)->LoadObjectConstraints(8, 7)));
        Recordset edit = students->LoadStudConstraints(QStringLiteral("s"), 7);
        Recordset rows = rowsOf(edit);
        QVERIFY(onRow(rows, 44));
        rows.setValue(u"conoptval1", QStringLiteral("6"));
        students->SaveStudConstraints(QStringLiteral("s"), edit);
        serverObject<cContraints>(server)->DeleteStudPtyxConstraints(QStringLiteral("s"), 7, false);
        kept = ReadableHistory(*Database::open(server), regulation, kSource).mid(1);
        QCOMPARE(kept.size(), 2);
        QCOMPARE(kept.at(0).summary, QStringLiteral("Value 1 of Course group 5 → 6"));
        QCOMPARE(kept.at(1).summary, QStringLiteral("3 removed"));
        QCOMPARE(lines(ReadRequirementFile(versionFile(server, regulation, 0)).rows), original);
        QCOMPARE(ReadRequirementFile(versionFile(server, regulation, 2)).rows.recordCount(), 0);
    }

    // A database the first release made is refused until it is brought up to date; the upgrade
    // keeps every row it held, and the set saves with its history as in a new one.
    void aDatabaseOfTheFirstReleaseIsUpgradedKeepingEveryRow_data() { zr::test::ServerFixture::backendRows(); }

    void aDatabaseOfTheFirstReleaseIsUpgradedKeepingEveryRow()
    {
        ZR_BACKEND_ROW();
        const QString script = QFINDTESTDATA("data/first-release.sql");
        QVERIFY(zr::test::ServerFixture::makeFirstRelease(server, script));
        QHash<QString, QStringList> held;  // every row of every table
        {
            QFile file(script);
            QVERIFY(file.open(QIODevice::ReadOnly));
            auto db = Database::open(server, Database::Opening::Initialize);
            for (const SchemaScript::Table &table : SchemaScript::parse(QString::fromUtf8(file.readAll())).tables)
                held.insert(table.name, zr::test::ServerFixture::tableRows(*db, table.name));
        }
        Database::closeAll();
        QCOMPARE(errorOf([&] { Database::open(server); }), int(ErrSchemaOutdated));
        Database::closeAll();

        auto db = Database::open(server, Database::Opening::Initialize);
        const QStringList added = db->upgrade();
        QVERIFY2(added.contains(QStringLiteral("QEMSetHistory")) && added.contains(QStringLiteral("QEMDepProgramCourses.coefficient")),
                 qPrintable(added.join(QLatin1Char(' '))));
        for (auto it = held.constBegin(); it != held.constEnd(); ++it) {
            QStringList now = zr::test::ServerFixture::tableRows(*db, it.key());
            // A column the upgrade added stands at the end of each row, empty or at its default.
            for (QString &row : now)
                row = row.section(QLatin1Char('|'), 0, int(it->value(0).count(QLatin1Char('|'))));
            QCOMPARE(now, it.value());
        }
        QVERIFY(db->upgrade().isEmpty());
        Database::closeAll();
        const QList<QStringList> stored = saveThreeVersions(server);
        QCOMPARE(SetVersionStore(*Database::open(server), kSource).history(kSetKey).size(), 3);
        QCOMPARE(lines(ReadRequirementFile(versionFile(server, kSetKey, 0)).rows), stored.at(0));
    }

    void aRequirementChangesWithItsValuesNotItsExpressionOrStamp_data() { zr::test::addDataRows(QFINDTESTDATA("data/requirement-changes.tsv")); }

    void aRequirementChangesWithItsValuesNotItsExpressionOrStamp()
    {
        QFETCH(QVariant, changes);
        QFETCH(bool, changed);
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        Recordset rows = rowsOf(serverObject<cContraints>(QString())->LoadObjectConstraints(1, 1));
        QVERIFY(onRow(rows, 25));
        const QVariantMap edit = changes.toMap();
        for (auto it = edit.constBegin(); it != edit.constEnd(); ++it)
            rows.setValue(it.key(), it.value());
        QCOMPARE(rows.status(), Recordset::adRecModified);
        QCOMPARE(RequirementComparison(rows).changed(rows, rows), changed);
    }
};

QTEST_GUILESS_MAIN(TestSetHistory)
#include "tst_sethistory.moc"
