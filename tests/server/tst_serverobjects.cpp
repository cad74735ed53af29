#include "hostilefilters.h"
#include "largevolume.h"
#include "serverfixture.h"
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

// Every stored requirement, one line per row, for before/after comparisons.
QStringList dumpConstraints(const QString &server)
{
    auto db = Database::open(server);
    QSqlQuery q(db->connection());
    q.exec(QStringLiteral("SELECT ocID, contypeID, conobject, objID, secobjID, conID, conoperator, conoptval1, "
                          "conoptval3, conselobjIDs, coneval FROM QEMObjectConstraint ORDER BY ocID"));
    QStringList rows;
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < 11; ++i)
            cells.append(q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

// A data row "<backend> <name>" whose first column is the backend.
QTestData &backendRow(const char *backend, const char *name)
{
    return QTest::newRow((QByteArray(backend) + ' ' + name).constData()) << QString::fromLatin1(backend);
}

int countRows(const QString &server, const QString &sql)
{
    auto db = Database::open(server);
    QSqlQuery q(db->connection());
    if (!q.exec(sql) || !q.next())
        return -1;
    return q.value(0).toInt();
}

} // namespace

class TestServerObjects : public QObject
{
    Q_OBJECT

private:
    zr::test::ServerFixture m_fixture;

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
        QTest::newRow("unknown library") << "cDepartment" << "zrNoSuchLib" << "" << 429 << notInstalled;
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

    void createsEveryClassByName_data()
    {
        zr::test::ServerFixture::addBackendColumn();
        zr::test::ServerFixture::newRows();
    }

    void createsEveryClassByName()
    {
        ZR_BACKEND_ROW();
        for (const char *name : {"cDepartment", "cContraints", "cCourses", "cDepPrograms", "cStudent", "CSTUDENT"}) {
            auto object = CreateServerObject(QString::fromLatin1(name), kLib, server);
            QVERIFY(object);
            QCOMPARE(object->className().toLower(), QString::fromLatin1(name).toLower());
        }
    }

    void listsLookupTables_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("idField");
        QTest::addColumn<QString>("ids");
        for (const char *backend : {"sqlite", "postgresql"}) {
            backendRow(backend, "curricula") << "QEMDPOrientation" << "prID=1" << "orID" << "11,12,13";
            backendRow(backend, "groups") << "QEMDPGroup" << "prID = 1 AND dgtypeID <> 1" << "dgID" << "2,3,4,5";
            backendRow(backend, "term by text") << "SYS_terms" << "termDesc='ΕΑΡ'" << "termID" << "2";
            backendRow(backend, "term by quoted id") << "SYS_terms" << "termID='1'" << "termID" << "1";
            backendRow(backend, "exam period") << "SYS_ExamPeriod" << "epID=3" << "epID" << "3";
            backendRow(backend, "project types") << "SYS_ERGASIA_TYPE" << "" << "ID" << "1,2,3,4";
            backendRow(backend, "case of the name") << "sys_coursetype" << "ctypeID IN (1, 7)" << "ctypeID" << "1,7";
            backendRow(backend, "local departments") << "QEMDepartments" << "local=-1" << "depID" << "105";
            backendRow(backend, "programmes of department") << "QEMDepPrograms" << "prdepID='105'" << "prID" << "1,2";
            backendRow(backend, "sectors like") << "SYS_Dep_CourseSector" << "coursesector LIKE '%Υλικού%'" << "sectorID" << "2";
            backendRow(backend, "no match") << "SYS_CourseCategory" << "categoryID > 100" << "categoryID" << "";
        }
    }

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

    void refusesUnknownTables_data()
    {
        zr::test::ServerFixture::addBackendColumn();
        zr::test::ServerFixture::newRows();
    }

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

    void refusesHostileFiltersBeforeRunning_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("filter");
        const QStringList corpus = zr::test::hostileFilters();
        for (const char *backend : {"sqlite", "postgresql"}) {
            for (int i = 0; i < corpus.size(); ++i)
                QTest::addRow("%s %d", backend, i) << QString::fromLatin1(backend) << corpus.at(i);
        }
    }

    void refusesHostileFiltersBeforeRunning()
    {
        QFETCH(QString, filter);
        QFETCH(QString, backend);
        const QString server = m_fixture.serverName(backend);
        if (backend == QLatin1String("postgresql") && server.isEmpty())
            QSKIP("PostgreSQL is not set up");
        // One fresh database for the whole corpus of a backend.
        if (QTest::currentDataTag() == backend + QStringLiteral(" 0"))
            QVERIFY(m_fixture.reset(backend));
        auto courses = create<cCourses>(server);
        auto students = create<cStudent>(server);
        QString f = filter;
        try {
            if (filter.contains(QLatin1String("or_date")))
                students->LoadStudents(filter);
            else
                courses->LoadCourses(f, QStringLiteral("title"), 1);
            QFAIL("accepted");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, qint32(ErrFilterRefused));
        }
        QCOMPARE(countRows(server, QStringLiteral("SELECT COUNT(*) FROM QEMCourses")), 140);
        QCOMPARE(countRows(server, QStringLiteral("SELECT COUNT(*) FROM QEMStudents")), 400);
    }

    void loadsCourses_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("fields");
        for (const char *backend : {"sqlite", "postgresql"}) {
            backendRow(backend, "department and shared") << "(depID='105' OR cshared=-1)" << 1 << 140 << 16;
            backendRow(backend, "for course exceptions") << "((depID='105' OR cshared=-1) AND ((coursetype & 5) <> 0))" << 1 << 138
                                          << 16;
            backendRow(backend, "short form") << "semID = 10" << 0 << 20 << 3;
            backendRow(backend, "everything") << "" << 1 << 140 << 16;
        }
    }

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
    void foldsTextAlikeInEveryDatabase_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("text");
        for (const char *backend : {"sqlite", "postgresql"}) {
            backendRow(backend, "accents and case") << "Όραση Υπολογιστών, αλγόριθμοι";
            backendRow(backend, "diaeresis and final sigma") << "ΐΰ Προϊόν ς Ϊ Ϋ ώ";
            backendRow(backend, "Latin look-alikes") << "mhy420 MHY ABEHIKMNOPTXYZ abcxyz";
            backendRow(backend, "other scripts pass") << "é ü Ж 日本 — 😀";
            backendRow(backend, "empty") << "";
        }
    }
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
    void findsGreekTextLikeAReaderWould_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("codes");
        for (const char *backend : {"sqlite", "postgresql"}) {
            const QStringList algorithms{"ΜΗΥ420"};
            backendRow(backend, "as written") << "title LIKE 'Αλγόρ%'" << algorithms;
            backendRow(backend, "small letters, no accent") << "title LIKE 'αλγορ%'" << algorithms;
            backendRow(backend, "capitals") << "title LIKE 'ΑΛΓΟΡΙΘ%'" << algorithms;
            backendRow(backend, "small letters with accent") << "title LIKE 'αλγόριθ%'" << algorithms;
            backendRow(backend, "contains, anywhere in the title") << "title LIKE '%αλγοριθ%'"
                                                                   << QStringList{"ΜΗΥ127", "ΜΗΥ234", "ΜΗΥ420"};
            backendRow(backend, "accented capital") << "title LIKE 'ορασ%'" << QStringList{"ΜΗΥ848", "ΜΗΥ980"};
            backendRow(backend, "Latin look-alikes in a code") << "coursecode LIKE 'MHY42%'"
                                                               << QStringList{"ΜΗΥ420", "ΜΗΥ421", "ΜΗΥ422", "ΜΗΥ423",
                                                                              "ΜΗΥ424"};
            backendRow(backend, "small Latin look-alikes") << "coursecode LIKE 'mhy848'" << QStringList{"ΜΗΥ848"};
        }
    }
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

    void loadsProgrammeCourses_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("programme");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("count");
        for (const char *backend : {"sqlite", "postgresql"}) {
            backendRow(backend, "undergraduate") << 1 << "" << 126;
            backendRow(backend, "postgraduate") << 2 << "" << 14;
            backendRow(backend, "fifth semester") << 1 << "semID = 5" << 7;
            backendRow(backend, "every programme") << 0 << "" << 140;
            backendRow(backend, "search text") << 2 << "title LIKE '%Μάθηση%'" << 2;
        }
    }

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

    void describesEveryRequirementType_data()
    {
        zr::test::ServerFixture::addBackendColumn();
        zr::test::ServerFixture::newRows();
    }

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

    void loadsStudentDegreeRequirements_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("student");
        QTest::addColumn<bool>("individual");
        QTest::addColumn<int>("count");
        for (const char *backend : {"sqlite", "postgresql"}) {
            backendRow(backend, "individual regulation") << 7 << true << 3;
            backendRow(backend, "curriculum 11") << 6 << false << 7;
            backendRow(backend, "no curriculum yet") << 2 << false << 0;
        }
    }

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

    void deletingTheRegulationRestoresTheProgrammes_data()
    {
        zr::test::ServerFixture::addBackendColumn();
        zr::test::ServerFixture::newRows();
    }

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
        QCOMPARE(countRows(server, QStringLiteral("SELECT COUNT(*) FROM QEMObjectConstraint WHERE conobject = 8")), 0);
        QVERIFY(constraints->DeleteStudPtyxConstraints(QStringLiteral("s1"), 7, false).isNull());
    }

    void keepsStudentExceptions_data()
    {
        zr::test::ServerFixture::addBackendColumn();
        zr::test::ServerFixture::newRows();
    }

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

    void loadsStudents_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("count");
        for (const char *backend : {"sqlite", "postgresql"}) {
            backendRow(backend, "programme") << "progrspoud_ID=2" << 70;
            backendRow(backend, "department") << "department_ID = '105'" << 400;
            backendRow(backend, "search with table text") << "(progrspoud_ID=1) AND ((spec_aem LIKE '1000%') AND (statusID <> 3))" << 0;
            backendRow(backend, "no curriculum") << "progrspoud_ID = 1 AND orient_ID IS NULL" << 71;
        }
    }

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

    void savesAndRemapsIds_data()
    {
        zr::test::ServerFixture::addBackendColumn();
        zr::test::ServerFixture::newRows();
    }

    void savesAndRemapsIds()
    {
        ZR_BACKEND_ROW();
        auto constraints = create<cContraints>(server);
        Recordset parent = constraints->LoadObjectConstraints(1, 1);
        QCOMPARE(parent.value(u"prID").toInt(), 1);
        QCOMPARE(parent.value(u"depID").toString(), QStringLiteral("105"));
        Recordset rows = parent.chapter(u"QEMObjectConstraint");
        const int before = rows.recordCount();
        QCOMPARE(before, countRows(server, QStringLiteral("SELECT COUNT(*) FROM QEMObjectConstraint "
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
        const int maxBefore = countRows(server, QStringLiteral("SELECT MAX(ocID) FROM QEMObjectConstraint"));

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
        const QStringList dump = dumpConstraints(server);
        constraints->SaveConstraints(parent);
        QCOMPARE(dumpConstraints(server), dump);
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
        const QStringList before = dumpConstraints(server);
        QVERIFY_THROWS_EXCEPTION(ZrError, constraints->SaveConstraints(parent));
        QCOMPARE(dumpConstraints(server), before);

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
        QCOMPARE(countRows(server, QStringLiteral("SELECT COUNT(*) FROM QEMObjectConstraint WHERE ocID = 5")), 0);
        QCOMPARE(countRows(server, QStringLiteral("SELECT COUNT(*) FROM QEMObjectConstraint WHERE conoptval1 = '100'")), 1);
    }

    void loadsEveryObjectKind_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariant>("objectId");
        QTest::addColumn<QVariant>("secondary");
        QTest::addColumn<QString>("keyField");
        QTest::addColumn<QString>("keyValue");
        QTest::addColumn<int>("rows");
        for (const char *backend : {"sqlite", "postgresql"}) {
            backendRow(backend, "programme") << 1 << QVariant(2) << QVariant() << "prID" << "2" << 4;
            backendRow(backend, "programme, students only") << 11 << QVariant(1) << QVariant() << "progrspoud_ID" << "1" << 2;
            backendRow(backend, "group") << 3 << QVariant(1) << QVariant(3) << "prID" << "1" << 1;
            backendRow(backend, "programme course") << 4 << QVariant(1) << QVariant(25) << "courseID" << "25" << 2;
            backendRow(backend, "student") << 8 << QVariant(7) << QVariant() << "department_ID" << "105" << 3;
            backendRow(backend, "department") << 13 << QVariant("105") << QVariant() << "depID" << "105" << 4;
            backendRow(backend, "department course") << 14 << QVariant(25) << QVariant() << "courseID" << "25" << 0;
        }
    }

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

    void generatesLargeVolume_data()
    {
        zr::test::ServerFixture::addBackendColumn();
        zr::test::ServerFixture::newRows();
    }

    void generatesLargeVolume()
    {
        ZR_BACKEND_ROW();
        LargeVolume sizes;
        sizes.courses = 300;
        sizes.students = 450;
        sizes.requirements = 39;
        GenerateLargeVolume(*Database::open(server), sizes);
        auto students = create<cStudent>(server);
        auto programs = create<cDepPrograms>(server);
        auto constraints = create<cContraints>(server);
        QCOMPARE(students->LoadStudents(QStringLiteral("progrspoud_ID = %1").arg(LargeVolumeKeys::programme)).recordCount(),
                 450);
        QCOMPARE(programs->GetRSProgramCourses(LargeVolumeKeys::programme, 0, QString(), QString()).recordCount(), 300);
        QVariant kind = 1, context = 103, obj = LargeVolumeKeys::programme, sec = LargeVolumeKeys::curriculum;
        const Recordset set = constraints->LoadConstraintsWithDescription(kind, context, obj, sec);
        QCOMPARE(set.recordCount(), 39);
        QSet<int> types;
        for (Recordset r = set.clone(); !r.eof(); r.moveNext()) {
            types.insert(r.value(u"conID").toInt());
            QVERIFY(r.value(u"condesc").toString().startsWith(r.value(u"contype").toString()));
        }
        QCOMPARE(types.size(), 13);
        // The sample department is still there beside it.
        QCOMPARE(students->LoadStudents(QStringLiteral("department_ID = '105'")).recordCount(), 400);
        // Sized from the student count as init-db --large does.
        const LargeVolume big = LargeVolume::forStudents(50000);
        QCOMPARE(big.courses, 10000);
        QCOMPARE(big.requirements, 3000);
    }

    void opensNamedSqliteFiles()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/sub/folder/other.db");
        auto dep = create<cDepartment>(QStringLiteral("sqlite://") + file);
        QVERIFY(QFile::exists(file));
        QCOMPARE(dep->getTextList(QStringLiteral("QEMDPOrientation"), QStringLiteral("prID = 2")).recordCount(), 1);
    }

    void savesStudentRegulation_data()
    {
        zr::test::ServerFixture::addBackendColumn();
        zr::test::ServerFixture::newRows();
    }

    void savesStudentRegulation()
    {
        ZR_BACKEND_ROW();
        auto students = create<cStudent>(server);
        auto constraints = create<cContraints>(server);
        // Student 2 has no curriculum yet, so the set starts without the programme's requirements.
        Recordset set = students->LoadStudConstraints(QStringLiteral("s1"), 2);
        QCOMPARE(set.value(u"department_ID").toString(), QStringLiteral("105"));
        QCOMPARE(set.value(u"progrspoud_ID").toInt(), 1);
        Recordset rows = set.chapter(u"QEMObjectConstraint");
        QCOMPARE(rows.recordCount(), 0);
        for (int temp : {-1, -2}) {
            rows.addNew();
            rows.setValue(u"ocID", temp);
            rows.setValue(u"contypeID", 103);
            rows.setValue(u"conobject", 8);
            rows.setValue(u"conID", 40);
            rows.setValue(u"conoperator", 8);
            rows.setValue(u"conselobjIDs", QStringLiteral("-1"));
            rows.setValue(u"conoptval6", QStringLiteral("3"));
            rows.setValue(u"conoptval1", temp == -1 ? QStringLiteral("300") : QStringLiteral("280"));
            rows.setValue(u"coneval", QStringLiteral("[%-1] OR [%-2]"));
        }
        const Recordset handed = set;
        QVERIFY(students->SaveStudConstraints(QStringLiteral("s1"), set).isNull());
        QVERIFY(!set.isSameObject(handed));
        const Recordset saved = set.chapter(u"QEMObjectConstraint");
        QCOMPARE(saved.recordCount(), 2);
        const QStringList ids = column(saved, "ocID");
        QVERIFY(ids.at(0).toInt() > 0 && ids.at(1).toInt() > 0);
        QCOMPARE(column(saved, "coneval"), QStringList(2, QStringLiteral("[%%1] OR [%%2]").arg(ids.at(0), ids.at(1))));
        QCOMPARE(column(saved, "objID"), QStringList(2, QStringLiteral("2")));
        bool individual = false;
        const Recordset shown = constraints->LoadStudPtyxConstraints(QStringLiteral("s1"), 2, individual, QVariant(), 1);
        QVERIFY(individual);
        QCOMPARE(column(shown, "ocID"), ids);
    }
};

QTEST_GUILESS_MAIN(TestServerObjects)
#include "tst_serverobjects.moc"
