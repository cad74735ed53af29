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
using zr::test::rowsOf;

namespace {

const QString kLib = QStringLiteral("zrQEMSvr");

template<typename T>
std::unique_ptr<T> create(const QString &server)
{
    auto object = CreateServerObjectAs<T>(kLib, server);
    Q_ASSERT(object);
    return object;
}

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

    // Runs `sql` on the SQLite file past the server, whose connection would refuse to break its keys.
    void execOnFile(const QString &sql)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("direct"));
            db.setDatabaseName(m_fixture.databaseFile());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("direct"));
    }

private slots:
    void initTestCase() { InitLanguage(LangEnglish); }

    void createsMissingDatabase()
    {
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        Database::closeAll();
        QFile::remove(m_fixture.databaseFile());
        auto dep = create<cDepartment>(QString());
        QVERIFY(QFile::exists(m_fixture.databaseFile()));
        QCOMPARE(dep->getTextList(QStringLiteral("SYS_semesters"), QString()).recordCount(), 10);
    }

    void translatesCreationErrors_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("server");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        const QString notInstalled = StringTableText(20577, LangEnglish);
        QTest::newRow("unknown class") << "cNoSuchClass" << kLib << "" << 429 << notInstalled;
        QTest::newRow("unknown server") << "cDepartment" << kLib << "MAINFRAME" << 462
                                        << StringTableText(20578, LangEnglish) + "MAINFRAME"
                                               + StringTableText(20579, LangEnglish);
        const QString down = QStringLiteral("postgresql://nobody@127.0.0.1:1/none");
        QTest::newRow("unreachable postgresql") << "cStudent" << kLib << down << 462
                                                << StringTableText(20578, LangEnglish) + down
                                                       + StringTableText(20579, LangEnglish);
    }

    void translatesCreationErrors()
    {
        QFETCH(QString, className);
        QFETCH(QString, library);
        QFETCH(QString, server);
        QFETCH(int, number);
        QFETCH(QString, description);
        try {
            CreateServerObject(className, library, server);
            QFAIL("created");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, number);
            QCOMPARE(e.source, QStringLiteral("RemoteObject"));
            QCOMPARE(e.description, description);
        }
    }

    void createsEveryClassByName_data() { zr::test::ServerFixture::backendRows(); }

    void createsEveryClassByName()
    {
        ZR_BACKEND_ROW();
        for (const char *name : {"cDepartment", "cContraints", "cCourses", "cDepPrograms", "cStudent", "CSTUDENT"}) {
            auto object = CreateServerObject(QString::fromLatin1(name), kLib, server);
            QVERIFY(object);
            QCOMPARE(object->className().toLower(), QString::fromLatin1(name).toLower());
        }
    }

    void listsLookupTables_data() { zr::test::addDataRows(QFINDTESTDATA("data/lookup-lists.tsv"), zr::test::ServerFixture::backends()); }

    void listsLookupTables()
    {
        QFETCH(QString, table);
        QFETCH(QString, filter);
        QFETCH(QString, idField);
        QFETCH(QString, ids);
        ZR_BACKEND_ROW();
        auto dep = create<cDepartment>(server);
        const Recordset rs = dep->getTextList(table, filter);
        QCOMPARE(column(rs, idField.toLatin1().constData()).join(QLatin1Char(',')), ids);
        QVERIFY(!rs.hasPendingChanges());
    }

    void refusesUnknownTables_data() { zr::test::ServerFixture::backendRows(); }

    void refusesUnknownTables()
    {
        ZR_BACKEND_ROW();
        auto dep = create<cDepartment>(server);
        for (const char *table : {"sqlite_master", "pg_user", "QEMCourses; DROP TABLE QEMCourses", "users"}) {
            try {
                dep->getTextList(QString::fromLatin1(table), QString());
                QFAIL(table);
            } catch (const ZrError &e) {
                QCOMPARE(e.number, qint32(ErrUnknownTable));
                QCOMPARE(e.source, QStringLiteral("cDepartment.getTextList"));
            }
        }
    }

    void loadsCourses_data() { zr::test::addDataRows(QFINDTESTDATA("data/courses.tsv"), zr::test::ServerFixture::backends()); }

    void loadsCourses()
    {
        QFETCH(QString, filter);
        QFETCH(int, mode);
        QFETCH(int, count);
        QFETCH(int, fields);
        ZR_BACKEND_ROW();
        auto courses = create<cCourses>(server);
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
        if (titles.contains(QStringLiteral("Όραση Υπολογιστών")))
            QVERIFY(titles.indexOf(QStringLiteral("Όραση Υπολογιστών")) > titles.indexOf(QStringLiteral("Μαθηματικά I")));
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
        QCOMPARE(FoldForMatch(QStringLiteral("αλγόρ")), FoldForMatch(QStringLiteral("ΑΛΓΟΡ")));
        QCOMPARE(FoldForMatch(QStringLiteral("MHY")), FoldForMatch(QStringLiteral("ΜΗΥ")));
        QVERIFY(FoldForSort(QStringLiteral("MHY")) != FoldForSort(QStringLiteral("ΜΗΥ")));
    }

    // A search finds Greek text whatever its case and accents, and codes
    // typed with the Latin letters that look like the Greek ones.
    void findsGreekTextLikeAReaderWould_data() { zr::test::addDataRows(QFINDTESTDATA("data/greek-search.tsv"), zr::test::ServerFixture::backends()); }
    void findsGreekTextLikeAReaderWould()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, codes);
        ZR_BACKEND_ROW();
        auto courses = create<cCourses>(server);
        QString f = filter;
        const Recordset rs = courses->LoadCourses(f, QStringLiteral("title"), 1);
        QStringList found = column(rs, "coursecode");
        found.sort();
        QCOMPARE(found, codes);
    }

    void loadsProgrammeCourses_data() { zr::test::addDataRows(QFINDTESTDATA("data/programme-courses.tsv"), zr::test::ServerFixture::backends()); }

    void loadsProgrammeCourses()
    {
        QFETCH(int, programme);
        QFETCH(QString, filter);
        QFETCH(int, count);
        ZR_BACKEND_ROW();
        auto programs = create<cDepPrograms>(server);
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
        auto constraints = create<cContraints>(server);
        auto dep = create<cDepartment>(server);
        const Recordset types = dep->getTextList(QStringLiteral("SYS_ConstraintTypes"), QString());
        // Type names follow the language of the strings.
        QHash<int, QString> longNames;
        for (Recordset t = types.clone(); !t.eof(); t.moveNext())
            longNames.insert(t.value(u"conID").toInt(), GetTypeName(t.value(u"conID")));
        QCOMPARE(longNames.size(), 13);

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
                const int type = r.value(u"conID").toInt();
                seen.insert(type);
                QCOMPARE(r.value(u"contypeID").toInt(), set.at(1).toInt());
                QCOMPARE(r.value(u"contype").toString(), longNames.value(type));
                QVERIFY(!r.value(u"conshortdesc").toString().isEmpty());
                const QString desc = r.value(u"condesc").toString();
                QVERIFY2(desc.startsWith(longNames.value(type) + QStringLiteral(" - ")), qPrintable(desc));
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
        auto constraints = create<cContraints>(server);
        bool flag = !individual;
        const Recordset rs = constraints->LoadStudPtyxConstraints(QStringLiteral("s1"), student, flag, QVariant(), 1);
        QCOMPARE(flag, individual);
        QCOMPARE(rs.recordCount(), count);
        for (Recordset r = rs.clone(); !r.eof(); r.moveNext()) {
            QVERIFY(!r.value(u"condesc").toString().isEmpty());
            QCOMPARE(r.value(u"conobject").toInt(), individual ? 8 : 1);
        }
    }

    void deletingTheRegulationRestoresTheProgrammes_data() { zr::test::ServerFixture::backendRows(); }

    void deletingTheRegulationRestoresTheProgrammes()
    {
        ZR_BACKEND_ROW();
        auto constraints = create<cContraints>(server);
        const Recordset after = constraints->DeleteStudPtyxConstraints(QStringLiteral("s1"), 7, true);
        // Student 7 follows curriculum 13, whose degree set has three rows.
        QCOMPARE(after.recordCount(), 3);
        QCOMPARE(column(after, "conobject"), QStringList({"1", "1", "1"}));
        bool individual = true;
        constraints->LoadStudPtyxConstraints(QStringLiteral("s1"), 7, individual, QVariant(), 1);
        QVERIFY(!individual);
        QCOMPARE(zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT COUNT(*) FROM QEMObjectConstraint WHERE conobject = 8")), 0);
        QVERIFY(constraints->DeleteStudPtyxConstraints(QStringLiteral("s1"), 7, false).isNull());
    }

    void keepsStudentExceptions_data() { zr::test::ServerFixture::backendRows(); }

    void keepsStudentExceptions()
    {
        ZR_BACKEND_ROW();
        auto students = create<cStudent>(server);
        const auto excepted = [&](const QVariant &obj, int kind, int context) {
            QStringList ids = column(students->LoadExcludedStudents(obj, kind, context, 0), "student_ID");
            std::sort(ids.begin(), ids.end());
            return ids;
        };
        QCOMPARE(excepted(1, 1, 105), QStringList({"12", "45"}));
        const Recordset rs = students->LoadExcludedStudents(1, 1, 105, 0);
        QVERIFY(rs.hasField(u"spec_aem") && rs.hasField(u"lastname") && rs.hasField(u"prtitle"));

        // Adding one already there changes only the other.
        QCOMPARE(students->SaveExcludedStudent(QStringLiteral("s1"), QStringLiteral("12,13"), 1, 1, 105, 0, 0).toInt(), 1);
        QCOMPARE(excepted(1, 1, 105).size(), 3);
        QCOMPARE(students->SaveExcludedStudent(QStringLiteral("s1"), QStringLiteral("12,45"), 1, 1, 105, 0, 1).toInt(), 2);
        QCOMPARE(excepted(1, 1, 105), QStringList({"13"}));
        // Other contexts and objects are separate lists; a null object id is its own key.
        QCOMPARE(excepted(1, 1, 108), QStringList({"101"}));
        QCOMPARE(students->SaveExcludedStudent(QStringLiteral("s1"), QStringLiteral("200"), QVariant(), 1, 105, 0, 0).toInt(), 1);
        QCOMPARE(excepted(QVariant(), 1, 105), QStringList({"200"}));
        QCOMPARE(excepted(1, 1, 105), QStringList({"13"}));

        for (const char *bad : {"", "12,", "12, x", "1;DROP TABLE QEMStudents", "-5"}) {
            QVERIFY_THROWS_EXCEPTION(ZrError, students->SaveExcludedStudent(QStringLiteral("s1"), QString::fromLatin1(bad),
                                                                            1, 1, 105, 0, 0));
        }
        QVERIFY_THROWS_EXCEPTION(ZrError, students->SaveExcludedStudent(QStringLiteral("s1"), QStringLiteral("99999"),
                                                                        1, 1, 105, 0, 0));
        QVERIFY_THROWS_EXCEPTION(ZrError, students->SaveExcludedStudent(QStringLiteral("s1"), QStringLiteral("14"),
                                                                        1, 1, 105, 0, 2));
        QCOMPARE(excepted(1, 1, 105), QStringList({"13"}));
    }

    void loadsStudents_data() { zr::test::addDataRows(QFINDTESTDATA("data/students.tsv"), zr::test::ServerFixture::backends()); }

    void loadsStudents()
    {
        QFETCH(QString, filter);
        QFETCH(int, count);
        ZR_BACKEND_ROW();
        auto students = create<cStudent>(server);
        const Recordset rs = students->LoadStudents(filter);
        QCOMPARE(rs.recordCount(), count);
        if (count > 0) {
            QVERIFY(rs.hasField(u"in_year") && rs.hasField(u"or_ptyhgrade") && rs.hasField(u"orient_ID"));
            QCOMPARE(rs.field(rs.fieldIndex(u"spec_aem")).definedSize, 20);
        }
    }

    void savesAndRemapsIds_data() { zr::test::ServerFixture::backendRows(); }

    void savesAndRemapsIds()
    {
        ZR_BACKEND_ROW();
        auto constraints = create<cContraints>(server);
        Recordset parent = constraints->LoadObjectConstraints(1, 1);
        QCOMPARE(parent.value(u"prID").toInt(), 1);
        QCOMPARE(parent.value(u"depID").toString(), QStringLiteral("105"));
        Recordset rows = parent.chapter(u"QEMObjectConstraint");
        const int before = rows.recordCount();
        QCOMPARE(before, zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT COUNT(*) FROM QEMObjectConstraint "
                                                          "WHERE conobject = 1 AND objID = 1")));
        // The set of context 104: rows 25 (type 40) and 26 (type 90).
        Recordset edit = rows.clone();
        QVERIFY(edit.find(QStringLiteral("ocID = 25"), 0, Recordset::SearchForward, Recordset::StartFirst));
        edit.setValue(u"conoptval1", QStringLiteral("200"));
        QVERIFY(edit.find(QStringLiteral("ocID = 26"), 0, Recordset::SearchForward, Recordset::StartFirst));
        edit.deleteCurrent();
        const QString expression = QStringLiteral("[%25] AND ([%-1] OR NOT([%-2]))");
        for (int temp : {-1, -2}) {
            edit.addNew();
            edit.setValue(u"ocID", temp);
            edit.setValue(u"contypeID", 104);
            edit.setValue(u"conobject", 1);
            edit.setValue(u"conID", temp == -1 ? 60 : 10);
            edit.setValue(u"conoperator", 8);
            edit.setValue(u"conselobjIDs", temp == -1 ? QStringLiteral("1") : QStringLiteral("exam_ID"));
            edit.setValue(u"conoptval1", QStringLiteral("1"));
        }
        QVERIFY(edit.find(QStringLiteral("ocID = 25"), 0, Recordset::SearchForward, Recordset::StartFirst));
        edit.setValue(u"coneval", expression);
        for (int temp : {-1, -2}) {
            QVERIFY(edit.find(QStringLiteral("ocID = %1").arg(temp), 0, Recordset::SearchForward, Recordset::StartFirst));
            edit.setValue(u"coneval", expression);
        }
        const int maxBefore = zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT MAX(ocID) FROM QEMObjectConstraint"));

        constraints->SaveConstraints(parent);

        QVERIFY(!rows.hasPendingChanges());
        QCOMPARE(rows.recordCount(), before + 1);
        const QString saved = QStringLiteral("[%25] AND ([%%1] OR NOT([%%2]))").arg(maxBefore + 1).arg(maxBefore + 2);
        Recordset check = rows.clone();
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

    void failedSaveChangesNothing_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("fault");
        for (const char *backend : {"sqlite", "postgresql"}) {
            for (const char *fault : {"too long", "missing context", "unknown token", "row gone"})
                QTest::addRow("%s %s", backend, fault) << QString::fromLatin1(backend) << QString::fromLatin1(fault);
        }
    }

    void failedSaveChangesNothing()
    {
        QFETCH(QString, fault);
        ZR_BACKEND_ROW();
        auto constraints = create<cContraints>(server);
        Recordset parent = constraints->LoadObjectConstraints(1, 1);
        Recordset rows = parent.chapter(u"QEMObjectConstraint");
        // Good changes first, so that the fault strikes halfway through the save.
        Recordset edit = rows.clone();
        QVERIFY(edit.find(QStringLiteral("ocID = 3"), 0, Recordset::SearchForward, Recordset::StartFirst));
        edit.setValue(u"conoptval1", QStringLiteral("100"));
        QVERIFY(edit.find(QStringLiteral("ocID = 5"), 0, Recordset::SearchForward, Recordset::StartFirst));
        edit.deleteCurrent();
        edit.addNew();
        edit.setValue(u"ocID", -1);
        edit.setValue(u"contypeID", 102);
        edit.setValue(u"conobject", 1);
        edit.setValue(u"secobjID", QStringLiteral("11"));
        edit.setValue(u"conID", 70);
        edit.setValue(u"coneval", QStringLiteral("[%3] AND [%4] AND [%-1]"));
        // The rows of a set share its expression.
        for (int id : {3, 4}) {
            QVERIFY(edit.find(QStringLiteral("ocID = %1").arg(id), 0, Recordset::SearchForward, Recordset::StartFirst));
            edit.setValue(u"coneval", QStringLiteral("[%3] AND [%4] AND [%-1]"));
        }
        edit.addNew();
        edit.setValue(u"ocID", -2);
        edit.setValue(u"contypeID", 102);
        edit.setValue(u"conobject", 1);
        edit.setValue(u"conID", 30);
        if (fault == QLatin1String("too long"))
            edit.setValue(u"conselobjIDs", QString(1001, QLatin1Char('7')));
        else if (fault == QLatin1String("missing context"))
            edit.setValue(u"contypeID", QVariant());
        else if (fault == QLatin1String("unknown token"))
            edit.setValue(u"coneval", QStringLiteral("[%-1] OR [%-9]"));
        if (fault == QLatin1String("row gone")) {
            auto db = Database::open(server);
            QSqlQuery q(db->connection());
            QVERIFY(q.exec(QStringLiteral("DELETE FROM QEMObjectConstraint WHERE ocID = 3")));
        }
        const QStringList before = zr::test::ServerFixture::storedRequirements(server);
        QVERIFY_THROWS_EXCEPTION(ZrError, constraints->SaveConstraints(parent));
        QCOMPARE(zr::test::ServerFixture::storedRequirements(server), before);

        // The recordset still holds the pending changes, temporary ids included.
        QVERIFY(rows.hasPendingChanges());
        Recordset check = rows.clone();
        QVERIFY(check.find(QStringLiteral("ocID = -1"), 0, Recordset::SearchForward, Recordset::StartFirst));
        QCOMPARE(check.status(), Recordset::adRecNew);
        QVERIFY(check.find(QStringLiteral("ocID = 3"), 0, Recordset::SearchForward, Recordset::StartFirst));
        QCOMPARE(check.status(), Recordset::adRecModified);
        QVERIFY(!check.find(QStringLiteral("ocID = 5"), 0, Recordset::SearchForward, Recordset::StartFirst));

        // Once the fault is mended the same recordset saves.
        if (fault == QLatin1String("row gone"))
            return;
        QVERIFY(check.find(QStringLiteral("ocID = -2"), 0, Recordset::SearchForward, Recordset::StartFirst));
        check.setValue(u"contypeID", 102);
        check.setValue(u"conselobjIDs", QStringLiteral("12"));
        check.setValue(u"coneval", QVariant());
        constraints->SaveConstraints(parent);
        QVERIFY(!rows.hasPendingChanges());
        QCOMPARE(zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT COUNT(*) FROM QEMObjectConstraint WHERE ocID = 5")), 0);
        QCOMPARE(zr::test::ServerFixture::firstValue(server, QStringLiteral("SELECT COUNT(*) FROM QEMObjectConstraint WHERE conoptval1 = '100'")), 1);
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
        auto constraints = create<cContraints>(server);
        const Recordset parent = constraints->LoadObjectConstraints(kind, objectId, secondary);
        QCOMPARE(parent.recordCount(), 1);
        QCOMPARE(parent.value(keyField).toString(), keyValue);
        QVERIFY(!parent.value(u"title").toString().isEmpty());
        const Recordset child = parent.chapter(u"QEMObjectConstraint");
        QCOMPARE(child.recordCount(), rows);
        QCOMPARE(child.field(child.fieldIndex(u"conselobjIDs")).definedSize, 1000);
        QCOMPARE(child.field(child.fieldIndex(u"conoptval7")).definedSize, 1000);
        for (Recordset r = child.clone(); !r.eof(); r.moveNext())
            QCOMPARE(r.value(u"conobject").toInt(), kind);
        QVERIFY_THROWS_EXCEPTION(ZrError, constraints->LoadObjectConstraints(kind, 987654, secondary.isNull() ? QVariant() : QVariant(987654)));
    }

    void opensNamedSqliteFiles()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/sub/folder/other.db");
        auto dep = create<cDepartment>(QStringLiteral("sqlite://") + file);
        QVERIFY(QFile::exists(file));
        QCOMPARE(dep->getTextList(QStringLiteral("QEMDPOrientation"), QStringLiteral("prID = 2")).recordCount(), 1);
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
        auto students = create<cStudent>(server);
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
        if (!copies || count == 0)
            return;

        // Saved as they are, they become the student's regulation.
        students->SaveStudConstraints(QStringLiteral("t"), editSet);
        bool individual = false;
        const Recordset applied = create<cContraints>(server)->LoadStudPtyxConstraints(QStringLiteral("t"), student,
                                                                                       individual);
        QVERIFY(individual);
        QCOMPARE(applied.recordCount(), count);
        for (Recordset r = applied.clone(); !r.eof(); r.moveNext()) {
            QVERIFY(r.value(u"ocID").toInt() > 0);
            QVERIFY(!r.value(u"coneval").toString().contains(QStringLiteral("[%-")));
        }
        // The next edit starts from the saved regulation, not from new copies.
        QCOMPARE(rowsOf(students->LoadStudConstraints(QStringLiteral("t"), student)).hasPendingChanges(), false);
    }

    void refusesWithAClearMessage_data() { zr::test::addDataRows(QFINDTESTDATA("data/regulation-refusals.tsv")); }

    void refusesWithAClearMessage()
    {
        QFETCH(int, student);
        QFETCH(QString, setup);
        QFETCH(int, message);
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        if (!setup.isEmpty())
            execOnFile(setup);
        const QString expected = ReplaceParams(GetLangString(message), {QString::number(student)});
        bool individual = true;
        try {
            create<cContraints>(QString())->LoadStudPtyxConstraints(QStringLiteral("t"), student, individual);
            QFAIL("the requirements were loaded");
        } catch (const ZrError &error) {
            QCOMPARE(error.number, int(zr::server::ErrNotFound));
            QCOMPARE(error.description, expected);
        }
        QVERIFY(individual);
    }

    void failedSaveStoresNothing()
    {
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        auto students = create<cStudent>(QString());
        Recordset editSet = students->LoadStudConstraints(QStringLiteral("t"), 6);
        QCOMPARE(rowsOf(editSet).recordCount(), 7);
        execOnFile(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON QEMStudRegulation "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY_THROWS_EXCEPTION(ZrError, students->SaveStudConstraints(QStringLiteral("t"), editSet));
        execOnFile(QStringLiteral("DROP TRIGGER refuse"));

        Recordset rows = rowsOf(editSet);
        QVERIFY(rows.hasPendingChanges());
        rows.moveFirst();
        QVERIFY(rows.value(u"ocID").toInt() < 0);
        QVariant kind = 8, context = 103, student = 6, curriculum = QString();
        QCOMPARE(create<cContraints>(QString())->LoadConstraintsWithDescription(kind, context, student, curriculum)
                     .recordCount(),
                 0);
    }
};

QTEST_GUILESS_MAIN(TestServerObjects)
#include "tst_serverobjects.moc"
