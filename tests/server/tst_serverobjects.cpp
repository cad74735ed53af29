#include "saverows.h"
#include "serverfixture.h"
#include "../datafile.h"
#include "textfold.h"
#include "servererrors.h"
#include "common/createserverobject.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "reqtypes/typecatalog.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace zr;
using namespace zr::server;
using zr::test::onRow;
using zr::test::rowsOf;
using zr::test::serverObject;

namespace {

QStringList column(Recordset rs, const char *field)
{
    QStringList out;
    // A copy shares the cursor and so keeps the caller's filter.
    Recordset c = rs;
    for (c.moveFirst(); !c.eof(); c.moveNext())
        out.append(c.value(QString::fromLatin1(field)).toString());
    return out;
}

} // namespace

class TestServerObjects : public QObject
{
    Q_OBJECT

private:
    zr::test::ServerFixture m_fixture;

private slots:
    void initTestCase() { InitLanguage(LangEnglish); }

    // Objects are created by class name, whatever its case; a database that is missing is created
    // with the sample, folders and all; a class or server that cannot be had is named in the error.
    void createsObjectsByName_data() { zr::test::addDataRows(QFINDTESTDATA("data/serverobjects-by-name.tsv")); }

    void createsObjectsByName()
    {
        QFETCH(QString, className);
        QFETCH(QString, server);
        QFETCH(int, number);
        QTemporaryDir dir;
        server = server.arg(dir.path());
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        Database::closeAll();
        QFile::remove(m_fixture.databaseFile());
        const QString file = server.isEmpty() ? m_fixture.databaseFile() : server.mid(9);
        try {
            auto object = CreateServerObject(className, QStringLiteral("zrQEMSvr"), server);
            QCOMPARE(object->className().toLower(), className.toLower());
            QCOMPARE(number, 0);
        } catch (const ZrError &e) {
            QCOMPARE(e.number, number);
            QCOMPARE(e.source, QStringLiteral("RemoteObject"));
            QVERIFY2(e.description.contains(server), qPrintable(e.description));
            return;
        }
        QVERIFY(QFile::exists(file));
        QCOMPARE(serverObject<cDepartment>(server)->getTextList(QStringLiteral("SYS_semesters"), QString()).recordCount(), 10);
    }

    void listsLookupTables_data() { zr::test::addDataRows(QFINDTESTDATA("data/lookup-lists.tsv"), zr::test::ServerFixture::backends()); }

    void listsLookupTables()
    {
        QFETCH(QString, table);
        QFETCH(QString, filter);
        QFETCH(QString, idField);
        QFETCH(QString, ids);
        ZR_BACKEND_ROW();
        auto dep = serverObject<cDepartment>(server);
        if (ids == u"refused") {
            QCOMPARE(zr::test::errorOf([&] { dep->getTextList(table, filter); }), int(ErrUnknownTable));
            return;
        }
        const Recordset rs = dep->getTextList(table, filter);
        QCOMPARE(column(rs, idField.toLatin1().constData()).join(QLatin1Char(',')), ids);
        QVERIFY(!rs.hasPendingChanges());
    }

    void loadsCourses_data() { zr::test::addDataRows(QFINDTESTDATA("data/courses.tsv"), zr::test::ServerFixture::backends()); }

    void loadsCourses()
    {
        QFETCH(QString, filter);
        QFETCH(int, mode);
        QFETCH(int, count);
        QFETCH(int, fields);
        QFETCH(QStringList, codes);
        ZR_BACKEND_ROW();
        auto courses = serverObject<cCourses>(server);
        QString f = filter;
        const Recordset rs = courses->LoadCourses(f, QStringLiteral("title"), qint16(mode));
        QCOMPARE(rs.recordCount(), count);
        QCOMPARE(rs.fieldCount(), fields);
        QCOMPARE(f, filter);
        // The Greek alphabet's order, whatever the accents: "Όραση" is not first.
        const QStringList titles = column(rs, "title");
        QVERIFY(std::is_sorted(titles.begin(), titles.end(), [](const QString &a, const QString &b) {
            return FoldForSort(a) < FoldForSort(b);
        }));
        QStringList found = column(rs, "coursecode");
        found.sort();
        if (!codes.isEmpty())
            QCOMPARE(found, codes);
    }

    // The databases fold text as the server's own table says, byte for byte.
    void foldsTextAlikeInEveryDatabase_data() { zr::test::addDataRows(QFINDTESTDATA("data/fold-texts.tsv"), zr::test::ServerFixture::backends()); }
    void foldsTextAlikeInEveryDatabase()
    {
        QFETCH(QString, text);
        ZR_BACKEND_ROW();
        auto db = Database::open(server);
        for (const bool forSort : {false, true}) {
            QSqlQuery q(db->connection());
            QVariantList table;
            QVERIFY(q.prepare(QStringLiteral("SELECT ") + FoldedSql(db->dialect(), QStringLiteral("?"), table, forSort)));
            q.addBindValue(text);
            for (const QVariant &value : std::as_const(table))
                q.addBindValue(value);
            QVERIFY2(q.exec() && q.next(), qPrintable(q.lastError().text()));
            QCOMPARE(q.value(0).toString(), forSort ? FoldForSort(text) : FoldForMatch(text));
        }
    }

    void loadsProgrammeCourses_data() { zr::test::addDataRows(QFINDTESTDATA("data/programme-courses.tsv"), zr::test::ServerFixture::backends()); }

    void loadsProgrammeCourses()
    {
        QFETCH(int, programme);
        QFETCH(QString, filter);
        QFETCH(int, count);
        ZR_BACKEND_ROW();
        auto programs = serverObject<cDepPrograms>(server);
        const Recordset rs = programs->GetRSProgramCourses(programme, 1, QStringLiteral("title"), filter);
        QCOMPARE(rs.recordCount(), count);
        const QStringList programmes = column(rs, "prID");
        if (programme > 0)
            QCOMPARE(programmes, QStringList(count, QString::number(programme)));
    }

    void describesEveryRequirementType_data() { zr::test::ServerFixture::backendRows(); }

    void describesEveryRequirementType()
    {
        ZR_BACKEND_ROW();
        auto constraints = serverObject<cContraints>(server);
        // Every set of the sample, with every type among them.
        const QList<QVariantList> sets = {{1, 101, 2, ""},  {1, 102, 1, "11"}, {1, 102, 1, "13"}, {1, 103, 1, "11"},
                                          {1, 104, 1, ""},  {1, 105, 1, ""},   {1, 110, 1, ""},   {11, 109, 1, ""},
                                          {4, 106, 1, "25"}, {4, 111, 1, "30"}, {13, 112, 105, ""}, {8, 103, 7, ""}};
        QSet<int> seen;
        for (const QVariantList &set : sets) {
            QVariant kind = set.at(0), context = set.at(1), obj = set.at(2), sec = set.at(3);
            const Recordset rs = constraints->LoadConstraintsWithDescription(kind, context, obj, sec);
            QVERIFY2(rs.recordCount() > 0, qPrintable(set.at(1).toString()));
            for (Recordset r = rs.clone(); !r.eof(); r.moveNext()) {
                seen.insert(r.value(u"conID").toInt());
                const QString name = GetTypeName(r.value(u"conID"));
                QCOMPARE(r.value(u"contypeID").toInt(), set.at(1).toInt());
                QCOMPARE(r.value(u"contype").toString(), name);
                QVERIFY(!r.value(u"conshortdesc").toString().isEmpty());
                QVERIFY2(r.value(u"condesc").toString().startsWith(name + QStringLiteral(" - ")), qPrintable(name));
            }
        }
        QCOMPARE(seen.size(), 13);

        // Codes become names.
        QVariant kind = 1, context = 102, obj = 1, sec = QStringLiteral("11");
        const Recordset rs = constraints->LoadConstraintsWithDescription(kind, context, obj, sec);
        Recordset r = rs.clone();
        QVERIFY(r.find(QStringLiteral("conID = 30"), 0, Recordset::SearchForward, Recordset::StartFirst));
        QVERIFY(r.value(u"condesc").toString().contains(QStringLiteral("Δομές Δεδομένων")));
        QVERIFY(r.find(QStringLiteral("conID = 40"), 0, Recordset::SearchForward, Recordset::StartFirst));
        QVERIFY(r.value(u"condesc").toString().contains(QStringLiteral("Υποχρεωτικό")));
    }

    void loadsStudentDegreeRequirements_data() { zr::test::addDataRows(QFINDTESTDATA("data/degree-requirements.tsv"), zr::test::ServerFixture::backends()); }

    void loadsStudentDegreeRequirements()
    {
        QFETCH(int, student);
        QFETCH(bool, individual);
        QFETCH(int, count);
        ZR_BACKEND_ROW();
        auto constraints = serverObject<cContraints>(server);
        bool flag = !individual;
        const Recordset rs = constraints->LoadStudPtyxConstraints(QStringLiteral("s1"), student, flag, QVariant(), 1);
        QCOMPARE(flag, individual);
        QCOMPARE(rs.recordCount(), count);
        for (Recordset r = rs.clone(); !r.eof(); r.moveNext()) {
            QVERIFY(!r.value(u"condesc").toString().isEmpty());
            QCOMPARE(r.value(u"conobject").toInt(), individual ? 8 : 1);
        }
    }

    void keepsStudentExceptions_data() { zr::test::ServerFixture::backendRows(); }

    void keepsStudentExceptions()
    {
        ZR_BACKEND_ROW();
        auto students = serverObject<cStudent>(server);
        const auto excepted = [&](const QVariant &obj, int kind, int context) {
            QStringList ids = column(students->LoadExcludedStudents(obj, kind, context, 0), "student_ID");
            std::sort(ids.begin(), ids.end());
            return ids;
        };
        QCOMPARE(excepted(1, 1, 105), QStringList({"12", "45"}));

        // Adding and removing students is tst_sethistory's (it reads every version of the list back).
        // Other contexts and objects are separate lists; a null object id is its own key.
        QCOMPARE(excepted(1, 1, 108), QStringList({"101"}));
        QCOMPARE(students->SaveExcludedStudent(QStringLiteral("s1"), QStringLiteral("200"), QVariant(), 1, 105, 0, 0).toInt(), 1);
        QCOMPARE(excepted(QVariant(), 1, 105), QStringList({"200"}));
        QCOMPARE(excepted(1, 1, 105), QStringList({"12", "45"}));

        for (const char *bad : {"", "12,", "12, x", "1;DROP TABLE QEMStudents", "-5", "99999"}) {
            QVERIFY_THROWS_EXCEPTION(ZrError, students->SaveExcludedStudent(QStringLiteral("s1"), QString::fromLatin1(bad),
                                                                            1, 1, 105, 0, 0));
        }
        // A mode that is neither add nor remove.
        QVERIFY_THROWS_EXCEPTION(ZrError, students->SaveExcludedStudent(QStringLiteral("s1"), QStringLiteral("14"),
                                                                        1, 1, 105, 0, 2));
        QCOMPARE(excepted(1, 1, 105), QStringList({"12", "45"}));
    }

    void loadsStudents_data() { zr::test::addDataRows(QFINDTESTDATA("data/students.tsv"), zr::test::ServerFixture::backends()); }

    void loadsStudents()
    {
        QFETCH(QString, filter);
        QFETCH(int, count);
        ZR_BACKEND_ROW();
        auto students = serverObject<cStudent>(server);
        const Recordset rs = students->LoadStudents(filter);
        QCOMPARE(rs.recordCount(), count);
    }

    // A refused save stores nothing and keeps every pending change, temporary ids included; mended,
    // the same recordset saves, its new rows taking ids after the largest stored one, in expressions too.
    void savesAndRemapsIds_data() { zr::test::ServerFixture::backendRows(); }

    void savesAndRemapsIds()
    {
        ZR_BACKEND_ROW();
        auto constraints = serverObject<cContraints>(server);
        Recordset parent = constraints->LoadObjectConstraints(1, 1);
        QCOMPARE(parent.value(u"prID").toInt(), 1);
        QCOMPARE(parent.value(u"depID").toString(), QStringLiteral("105"));
        Recordset rows = parent.chapter(u"QEMObjectConstraint");
        const int before = rows.recordCount();
        QCOMPARE(before, zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT COUNT(*) FROM QEMObjectConstraint "
                                                          "WHERE conobject = 1 AND objID = 1")));
        // The set of context 104: rows 25 (type 40) and 26 (type 90).
        Recordset edit = rows.clone();
        QVERIFY(onRow(edit, 25));
        edit.setValue(u"conoptval1", QStringLiteral("200"));
        QVERIFY(onRow(edit, 26));
        edit.deleteCurrent();
        const QString expression = QStringLiteral("[%25] AND ([%-1] OR NOT([%-2]))");
        for (int temp : {-1, -2}) {
            edit.addNew();
            edit.setValue(u"ocID", temp);
            edit.setValue(u"contypeID", 104);
            edit.setValue(u"conobject", 1);
            edit.setValue(u"conID", temp == -1 ? 60 : 10);
            edit.setValue(u"conoperator", 8);
            // The fault, struck after good changes: a text longer than its column.
            edit.setValue(u"conselobjIDs", temp == -1 ? QString(1001, QLatin1Char('7')) : QStringLiteral("exam_ID"));
            edit.setValue(u"conoptval1", QStringLiteral("1"));
        }
        for (int id : {25, -1, -2}) {
            QVERIFY(onRow(edit, id));
            edit.setValue(u"coneval", expression);
        }
        const QStringList stored = zr::test::ServerFixture::storedRequirements(server);
        QVERIFY_THROWS_EXCEPTION(ZrError, constraints->SaveConstraints(parent));
        QCOMPARE(zr::test::ServerFixture::storedRequirements(server), stored);
        // Mended, the same edits save: none was lost with the refusal.
        Recordset check = rows.clone();
        QVERIFY(onRow(check, -1));
        check.setValue(u"conselobjIDs", QStringLiteral("1"));
        const int maxBefore = zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT MAX(ocID) FROM QEMObjectConstraint"));

        constraints->SaveConstraints(parent);

        QVERIFY(!rows.hasPendingChanges());
        QCOMPARE(rows.recordCount(), before + 1);
        const QString saved = QStringLiteral("[%25] AND ([%%1] OR NOT([%%2]))").arg(maxBefore + 1).arg(maxBefore + 2);
        check.setFilter(QStringLiteral("contypeID = 104"));
        QCOMPARE(column(check, "ocID"), QStringList({"25", QString::number(maxBefore + 1), QString::number(maxBefore + 2)}));
        QCOMPARE(column(check, "coneval"), QStringList(3, saved));
        QCOMPARE(column(check, "objID"), QStringList(3, QStringLiteral("1")));

        // What the database holds is what the recordset shows.
        QVariant kind = 1, context = 104, obj = 1, sec;
        const Recordset reread = constraints->LoadConstraintsWithDescription(kind, context, obj, sec);
        QCOMPARE(column(reread, "ocID"), column(check, "ocID"));
        QCOMPARE(column(reread, "coneval"), QStringList(3, saved));
        QCOMPARE(column(reread, "conoptval1"), QStringList({"200", "1", "1"}));

        // Saving again with nothing pending changes nothing.
        const QStringList dump = zr::test::ServerFixture::storedRequirements(server);
        constraints->SaveConstraints(parent);
        QCOMPARE(zr::test::ServerFixture::storedRequirements(server), dump);
    }

    void loadsEveryObjectKind_data() { zr::test::addDataRows(QFINDTESTDATA("data/object-kinds.tsv"), zr::test::ServerFixture::backends()); }

    void loadsEveryObjectKind()
    {
        QFETCH(int, kind);
        QFETCH(QVariant, objectId);
        QFETCH(QVariant, secondary);
        QFETCH(QString, keyField);
        QFETCH(QString, keyValue);
        QFETCH(int, rows);
        ZR_BACKEND_ROW();
        auto constraints = serverObject<cContraints>(server);
        const Recordset parent = constraints->LoadObjectConstraints(kind, objectId, secondary);
        QCOMPARE(parent.recordCount(), 1);
        QCOMPARE(parent.value(keyField).toString(), keyValue);
        QVERIFY(!parent.value(u"title").toString().isEmpty());
        const Recordset child = parent.chapter(u"QEMObjectConstraint");
        QCOMPARE(child.recordCount(), rows);
        for (Recordset r = child.clone(); !r.eof(); r.moveNext())
            QCOMPARE(r.value(u"conobject").toInt(), kind);
        QVERIFY_THROWS_EXCEPTION(ZrError, constraints->LoadObjectConstraints(kind, 987654, secondary.isNull() ? QVariant() : QVariant(987654)));
    }

    void firstEditStartsFromTheProgrammes_data()
    {
        zr::test::addDataRows(QFINDTESTDATA("data/first-edits.tsv"), zr::test::ServerFixture::backends());
    }

    void firstEditStartsFromTheProgrammes()
    {
        QFETCH(int, student);
        QFETCH(int, count);
        QFETCH(bool, copies);
        QFETCH(bool, expression);
        ZR_BACKEND_ROW();
        auto students = serverObject<cStudent>(server);
        Recordset editSet = students->LoadStudConstraints(QStringLiteral("t"), student);
        Recordset rows = rowsOf(editSet);
        QCOMPARE(rows.recordCount(), count);
        QCOMPARE(rows.hasPendingChanges(), copies && count > 0);

        QStringList tokens;
        QSet<QString> expressions;
        for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
            QCOMPARE(rows.value(u"conobject").toInt(), 8);
            QCOMPARE(rows.value(u"contypeID").toInt(), 103);
            QCOMPARE(rows.value(u"objID").toInt(), student);
            QCOMPARE(rows.value(u"ocID").toInt() < 0, copies);
            tokens.append(QStringLiteral("[%") + rows.value(u"ocID").toString() + QLatin1Char(']'));
            expressions.insert(rows.value(u"coneval").toString());
        }
        if (count > 0) {
            QCOMPARE(expressions.size(), 1);
            const QString eval = *expressions.begin();
            QCOMPARE(!eval.isEmpty(), expression);
            for (const QString &token : std::as_const(tokens))
                QVERIFY2(!expression || eval.contains(token), qPrintable(eval));
        }
    }

    void refusesWithAClearMessage_data() { zr::test::addDataRows(QFINDTESTDATA("data/regulation-refusals.tsv")); }

    void refusesWithAClearMessage()
    {
        QFETCH(int, student);
        QFETCH(QString, setup);
        QFETCH(int, message);
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        QVERIFY(setup.isEmpty() || m_fixture.execOnFile(m_fixture.databaseFile(), setup));
        bool individual = true;
        QString why;
        QCOMPARE(zr::test::errorOf([&] {
                     serverObject<cContraints>(QString())->LoadStudPtyxConstraints(QStringLiteral("t"), student, individual);
                 }, &why),
                 int(ErrNotFound));
        QCOMPARE(why, ReplaceParams(GetLangString(message), {QString::number(student)}));
        QVERIFY(individual);
    }

};

QTEST_GUILESS_MAIN(TestServerObjects)
#include "tst_serverobjects.moc"
