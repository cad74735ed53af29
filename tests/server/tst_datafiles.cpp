#include "common/langstrings.h"
#include "common/zrerror.h"
#include "csvreader.h"
#include "database.h"
#include "dataimport.h"
#include "serverfixture.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

using namespace zr;
using namespace zr::server;

namespace {

// The encoding read, then the records as "field|field@line", joined by "; "; or the refusal.
QString readAll(const QByteArray &bytes, CsvDialect dialect)
{
    QBuffer file;
    file.setData(bytes);
    file.open(QIODevice::ReadOnly);
    CsvReader reader(&file, QStringLiteral("courses.csv"), dialect);
    QStringList records;
    try {
        for (CsvRecord record; reader.next(record);)
            records << record.fields.join(u'|') + u'@' + QString::number(record.line);
    } catch (const ZrError &error) {
        return QStringLiteral("%1: %2").arg(error.number).arg(error.description);
    }
    const bool greek = reader.encoding() == CsvDialect::Encoding::Windows1253;
    return (greek ? QStringLiteral("1253: ") : QStringLiteral("UTF-8: ")) +
           records.join(QStringLiteral("; "));
}

// What the import would do per kind: "+added ~changed -removed =unchanged".
QString counted(DataImport &import)
{
    QStringList counts;
    for (const DataKindChanges &kind : import.changes())
        counts << QStringLiteral("%1 +%2 ~%3%4 =%5")
                      .arg(kind.kind)
                      .arg(kind.added)
                      .arg(kind.changed)
                      .arg(kind.removed > 0 ? QStringLiteral(" -%1").arg(kind.removed) : QString())
                      .arg(kind.unchanged);
    return counts.join(QStringLiteral("; "));
}

// Files as "name" then its text, in pairs; what the import would do, or its refusals.
QString plan(DataImport &import, const QStringList &files)
{
    try {
        for (qsizetype i = 0; i + 1 < files.size(); i += 2) {
            auto file = std::make_unique<QBuffer>();
            file->setData(files.at(i + 1).toUtf8());
            file->open(QIODevice::ReadOnly);
            import.addFile(std::move(file), files.at(i));
        }
    } catch (const ZrError &error) {
        return QStringLiteral("%1: %2").arg(error.number).arg(error.description);
    }
    if (!import.problems().isEmpty())
        return import.problems().join(u'\n');
    return counted(import);
}

const QString Departments = QStringLiteral("departments.csv"),
              Courses = QStringLiteral("courses.csv");

} // namespace

class tst_DataFiles : public QObject
{
    Q_OBJECT

    test::ServerFixture m_fixture;

private Q_SLOTS:
    void initTestCase() { InitLanguage(LangEnglish); }

    void readsWhatSpreadsheetsWriteOrNamesTheLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("delimiter"); // forced; empty: detected
        QTest::addColumn<QString>("records");
        QTest::newRow("UTF-8 with a byte-order mark")
            << QByteArray("\xEF\xBB\xBF"
                          "code,title\n") +
                   QStringLiteral("ΠΛΗ101,Προγραμματισμός\n").toUtf8()
            << QString() << QStringLiteral("UTF-8: code|title@1; ΠΛΗ101|Προγραμματισμός@2");
        QTest::newRow("Greek Excel: Windows-1253, ';', CR LF")
            << QByteArray("\xea\xf9\xe4\xe9\xea\xfc\xf2;ECTS\r\n\xd0\xcb\xc7"
                          "101;7,5\r\n")
            << QString() << QStringLiteral("1253: κωδικός|ECTS@1; ΠΛΗ101|7,5@2");
        QTest::newRow(
            "quotes: separators, doubled quotes and line breaks inside, no last line break")
            << QByteArray("a,b\n\"x, \"\"y\"\"\",\"line1\nline2\"\n3,4") << QString()
            << QStringLiteral("UTF-8: a|b@1; x, \"y\"|line1\nline2@2; 3|4@4");
        QTest::newRow("tabs, blank lines skipped, empty fields kept")
            << QByteArray("a\tb\n\n\r\nc\t\n") << QString() << QStringLiteral("UTF-8: a|b@1; c|@4");
        QTest::newRow("a named separator wins")
            << QByteArray("a,b;c\n") << QStringLiteral(";") << QStringLiteral("UTF-8: a,b|c@1");
        QTest::newRow("unclosed quote")
            << QByteArray("a,b\n\"open,x\n1,2\n") << QString()
            << QStringLiteral("31023: courses.csv, line 2: a quoted field is not closed");
        QTest::newRow("text after a quote")
            << QByteArray("a,b\nx,\"q\"z\n") << QString()
            << QStringLiteral("31023: courses.csv, line 2, column 2: text after the closing quote");
        // The first chunk read ends inside a two-byte letter.
        QTest::newRow("a letter cut by the reading")
            << QByteArray("kk\n") + QString(40000, u'α').toUtf8() << QString()
            << QStringLiteral("UTF-8: kk@1; ") + QString(40000, u'α') + QStringLiteral("@2");
    }

    void readsWhatSpreadsheetsWriteOrNamesTheLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, delimiter);
        QFETCH(QString, records);
        QCOMPARE(readAll(bytes, {CsvDialect::Encoding::Detect,
                                 delimiter.isEmpty() ? QChar() : delimiter.at(0)}),
                 records);
    }

    // Rows are matched by their codes; every refusal names the file, the line and the column.
    void importsPlanByCode_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("planned");
        const QString newDepartment = QStringLiteral("code,name\nD9,Τμήμα Δοκιμών\n");
        QTest::newRow("a department and its courses, Greek headers, ';', decimal comma")
            << QStringList{Courses,
                           QStringLiteral("τμήμα;κωδικός;τίτλος;ects\nD9;Τ101;Άλγεβρα;7,5\nD9;Τ102;"
                                          "Ανάλυση;6\n"),
                           Departments, newDepartment}
            << QStringLiteral("departments +1 ~0 =0; courses +2 ~0 =0");
        QTest::newRow("stored courses matched by department and code")
            << QStringList{Courses,
                           QStringLiteral("department,code,title,ects\n105,ΜΗΥ101,Μαθηματικά I,5\n"
                                          "105,ΜΗΥ102,Φυσική II,5\n120,ΜΗΥ101,Μαθηματικά I,5\n")}
            << QStringLiteral("courses +1 ~1 =1");
        QTest::newRow("refusals")
            << QStringList{Courses,
                           QStringLiteral("department,code,title,ects,hours\n"
                                          "NOPE,X1,T,5,3\n105,X2,T,five,3\n105,X3,T,5,3.5\n"
                                          "105,X4,,5,3\n105,X5,T,5\n105,X6,T,5,3\n105,X6,T,6,3\n"
                                          "105,0123456789012345678901,T,5,3\n105,X7,T,5,1e30\n")}
            << QStringLiteral(
                   "courses.csv, line 2, column 1: no row of departments has the code «NOPE»\n"
                   "courses.csv, line 3, column 4: «five» is not a number\n"
                   "courses.csv, line 4, column 5: «3.5» is not a whole number\n"
                   "courses.csv, line 5, column 3: a value is required\n"
                   "courses.csv, line 6: 4 fields where the header has 5\n"
                   "courses.csv, line 8: 105/X6 is already at courses.csv, line 7\n"
                   "courses.csv, line 9, column 2: «0123456789012345678901» is longer than 20 "
                   "characters\n"
                   "courses.csv, line 10, column 5: «1e30» is not a whole number");
        QTest::newRow("unknown and missing columns")
            << QStringList{Courses, QStringLiteral("department,code,ects,colour\n105,A,5,red\n")}
            << QStringLiteral("courses.csv, line 1, column 4: there is no column «colour» in a "
                              "file of courses\n"
                              "courses.csv, line 1: the column «title» is missing");
        QTest::newRow("a column named twice, in English and in Greek")
            << QStringList{Courses, QStringLiteral("department,code,title,τίτλος\n105,A,T,U\n")}
            << QStringLiteral("courses.csv, line 1, column 4: the column «τίτλος» is already "
                              "column 3");
        QTest::newRow("a header several kinds could have")
            << QStringList{QStringLiteral("catalogue.csv"),
                           QStringLiteral("department,code,title\n105,A,T\n")}
            << QStringLiteral("catalogue.csv, line 1: its columns do not say what it holds; name it with "
                              "--kind (%1)")
                   .arg(DataKindNames());
        const QString programmes =
            QStringLiteral("department,code,title\n105,ΠΠΣ,Νέος τίτλος\n105,ΝΕΟ,Νέο\n");
        const QString curricula =
            QStringLiteral("department,programme,code,name\n"
                           "105,ΠΠΣ,ΛΟΓ,Λογισμικό και Πληροφοριακά Συστήματα\n105,ΝΕΟ,Α,Πρώτη\n");
        QTest::newRow("curricula named by their programme's department and code")
            << QStringList{QStringLiteral("curricula.csv"), curricula,
                           QStringLiteral("programmes.csv"), programmes}
            << QStringLiteral("programmes +1 ~1 =0; curricula +1 ~0 =1");
        const QString students = QStringLiteral(
            "department,registration number,last name,first name,programme,curriculum\n"
            "105,1001007,Χατζηδάκη,Χαρίκλεια,ΠΠΣ,ΥΛΙΚ\n105,1001014,Ραφαηλίδης,Γεώργιος,ΠΠΣ,\n105,"
            "9999999,Νέα,Φ,ΠΠΣ,ΛΟΓ\n");
        QTest::newRow("students named by department and registration number")
            << QStringList{QStringLiteral("students.csv"), students}
            << QStringLiteral("students +1 ~0 =2");
        QTest::newRow("a student of no curriculum")
            << QStringList{QStringLiteral("students.csv"),
                           students + QStringLiteral("105,9999998,Άλλη,Φ,ΠΠΣ,ΧΧ\n")}
            << QStringLiteral(
                   "students.csv, line 5, column 6: no row of curricula has the code «105/ΠΠΣ/ΧΧ»");
        const QString results =
            QStringLiteral("τμήμα;αριθμός μητρώου;μάθημα;έτος;εξεταστική;βαθμός;απαλλαγή\n"
                           "105;1001007;ΜΗΥ101;2018;1;5,5;όχι\n105;1001007;ΜΗΥ102;2018;1;7;\n");
        QTest::newRow("results named by student, course, year and exam period")
            << QStringList{QStringLiteral("results.csv"), results}
            << QStringLiteral("results +0 ~1 =1");
        QTest::newRow("grades and yes-or-no")
            << QStringList{QStringLiteral("results.csv"),
                           results + QStringLiteral("105;1001014;ΜΗΥ101;2023;2;11;\n105;1001014;"
                                                    "ΜΗΥ101;2023;3;8;ίσως\n")}
            << QStringLiteral("results.csv, line 4, column 6: «11» is outside 0 to 10\n"
                              "results.csv, line 5, column 7: «ίσως» is neither yes nor no");
        const QString programmeCourses =
            QStringLiteral("department,programme,course,group,curriculum,coefficient\n"
                           "105,ΠΠΣ,ΜΗΥ101,Ο1,,1.5\n105,ΠΜΣ,ΜΗΥ101,Μ1,ΓΕΝ,2\n");
        QTest::newRow("a programme's courses, in groups and curricula of the programme")
            << QStringList{QStringLiteral("programme-courses.csv"), programmeCourses}
            << QStringLiteral("programme courses +1 ~0 =1");
        QTest::newRow("a group of another programme")
            << QStringList{QStringLiteral("programme-courses.csv"),
                           programmeCourses + QStringLiteral("105,ΠΠΣ,ΜΗΥ102,Μ1,,\n")}
            << QStringLiteral("programme-courses.csv, line 4, column 4: no row of course groups "
                              "has the code «105/ΠΠΣ/Μ1»");
        QTest::newRow("a refusal named by the file's column, not the kind's")
            << QStringList{QStringLiteral("results.csv"),
                           QStringLiteral("course,department,registration number,year\n"
                                          "NOPE,105,1001007,2020\n")}
            << QStringLiteral(
                   "results.csv, line 2, column 1: no row of courses has the code «105/NOPE»");
        QTest::newRow("JSON rows, a refusal named by line and member")
            << QStringList{QStringLiteral("new.json"),
                           QStringLiteral("{\"kind\": \"courses\", \"rows\": [\n"
                                          " {\"department\": \"105\", \"code\": \"J1\", "
                                          "\"title\": \"Νέο\", \"ects\": 7.5},\n"
                                          " {\"department\": \"NOPE\", \"code\": \"J2\", "
                                          "\"title\": \"[{\\\"\"}\n]}")}
            << QStringLiteral("new.json, line 3, column department: no row of departments has the "
                              "code «NOPE»");
        QTest::newRow("JSON rows of a kind its name says")
            << QStringList{QStringLiteral("courses.json"),
                           QStringLiteral("[{\"department\": \"105\", \"code\": \"ΜΗΥ101\", "
                                          "\"title\": \"Μαθηματικά I\", \"ects\": 5}]")}
            << QStringLiteral("courses +0 ~0 =1");
        QTest::newRow("JSON that is no rows")
            << QStringList{QStringLiteral("courses.json"),
                           QStringLiteral("[\n{\"code\": 1},\n{\"code\": [1]}\n]")}
            << QStringLiteral("31023: courses.json, line 3: «code» holds a list or an object, "
                              "not a value");
        QTest::newRow("broken JSON")
            << QStringList{QStringLiteral("courses.json"), QStringLiteral("[\n{\"code\": 1},\n")}
            << QStringLiteral("31023: courses.json, line 3: not a file of rows in JSON: "
                              "unterminated array");
        // Another student's rows between, more than a batch of them: the first row is written by
        // then, and met again it is still a duplicate.
        QString between;
        for (int year = 1900; year < 1970; ++year)
            between += QStringLiteral("105;1001014;ΜΗΥ101;%1;1;5;\n").arg(year);
        QTest::newRow("a duplicate after another owner's rows")
            << QStringList{QStringLiteral("results.csv"),
                           QStringLiteral("τμήμα;αριθμός μητρώου;μάθημα;έτος;εξεταστική;βαθμός;απαλλαγή\n"
                                          "105;1001007;ΜΗΥ101;2030;1;6;\n") +
                               between + QStringLiteral("105;1001007;ΜΗΥ101;2030;1;7;\n")}
            << QStringLiteral("results.csv, line 73: 105/1001007/105/ΜΗΥ101/2030/1 is already at "
                              "results.csv, line 2");
        QTest::newRow("a curriculum of no programme")
            << QStringList{QStringLiteral("curricula.csv"),
                           curricula + QStringLiteral("120,ΠΠΣ,Β,Άλλη\n")}
            << QStringLiteral(
                   "curricula.csv, line 3, column 2: no row of programmes has the code «105/ΝΕΟ»\n"
                   "curricula.csv, line 4, column 2: no row of programmes has the code «120/ΠΠΣ»");
    }

    void importsPlanByCode()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, planned);
        QTemporaryDir dir;
        DataImport import(
            Database::open(QStringLiteral("sqlite://") + dir.filePath(QStringLiteral("u.db"))));
        QCOMPARE(plan(import, files), planned);
        Database::closeAll();
    }

    // Pruning removes what no file names unless a stored row still names it; skipping leaves
    // refused rows out, and the rows that name them.
    void pruningAndSkipping_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("prune");
        QTest::addColumn<QString>("planned");  // refusals, then what is written
        QTest::addColumn<QString>("written"); // what a second reading, not pruning, finds
        QTest::newRow("a kind's stored rows no file names")
            << QStringList{QStringLiteral("programme-courses.csv"),
                           QStringLiteral("department,programme,course\n105,ΠΠΣ,ΜΗΥ101\n")}
            << true << QStringLiteral("programme courses +0 ~0 -139 =1")
            << QStringLiteral("programme courses +0 ~0 =1");
        QTest::newRow("rows still named are kept")
            << QStringList{QStringLiteral("course-types.csv"),
                           QStringLiteral("code,name,abbreviation\n1,Υ,ΥΠ\n2,Κ,ΚΕΥ\n3,Ε,ΕΕ\n"
                                          "4,Ε,ΕΡΓ\n5,Δ,ΔΕ\n6,Π,ΠΑ\n")}
            << true
            << QStringLiteral("course types «7» cannot be removed: 2 of courses still name it\n"
                              "course types «7» cannot be removed: 2 of programme courses still "
                              "name it\n"
                              "course types +0 ~6 =0")
            << QStringLiteral("course types +0 ~0 =6");
        QTest::newRow("a refused row and the row that names it")
            << QStringList{Courses,
                           QStringLiteral("department,code,title,ects\n105,J1,Χ,five\n105,J2,Ψ,5\n"),
                           QStringLiteral("programme-courses.csv"),
                           QStringLiteral("department,programme,course\n105,ΠΠΣ,J1\n105,ΠΠΣ,J2\n")}
            << false
            << QStringLiteral("courses.csv, line 2, column 4: «five» is not a number\n"
                              "programme-courses.csv, line 2, column 3: no row of courses has the "
                              "code «105/J1»\n"
                              "courses +1 ~0 =0; programme courses +1 ~0 =0")
            << QStringLiteral("courses.csv, line 2, column 4: «five» is not a number\n"
                              "programme-courses.csv, line 2, column 3: no row of courses has the "
                              "code «105/J1»\n"
                              "courses +0 ~0 =1; programme courses +0 ~0 =1");
    }

    void pruningAndSkipping()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, prune);
        QFETCH(QString, planned);
        QFETCH(QString, written);
        QTemporaryDir dir;
        const QString server = QStringLiteral("sqlite://") + dir.filePath(QStringLiteral("u.db"));
        DataImport import(Database::open(server));
        import.setPrune(prune);
        import.setSkipBad(true);
        plan(import, files);
        QCOMPARE((import.problems() << counted(import)).join(u'\n'), planned);
        QVERIFY(import.apply());
        DataImport again(Database::open(server));
        again.setSkipBad(true);
        plan(again, files);
        QCOMPARE((again.problems() << counted(again)).join(u'\n'), written);
        Database::closeAll();
    }

    // Applied, the files are in the database; read again, they change nothing.
    void appliedImportsAreRoundTrips_data() { test::ServerFixture::backendRows(); }
    void appliedImportsAreRoundTrips()
    {
        ZR_BACKEND_ROW();
        const QStringList files{
            Departments,
            QStringLiteral("code,name\nD9,Τμήμα Δοκιμών\n"),
            QStringLiteral("programmes.csv"),
            QStringLiteral("department,code,title\nD9,Π1,Π\n"),
            QStringLiteral("curricula.csv"),
            QStringLiteral("department,programme,code,name\nD9,Π1,Κ1,Κ\nD9,Π1,Κ2,Κ\n"),
            Courses,
            // A title with what PostgreSQL's COPY escapes: a backslash, a tab, a line break.
            QStringLiteral(
                "department;code;title;ects\nD9;Τ101;Άλγεβρα;7,5\n105;ΜΗΥ101;Μαθηματικά;5\n"
                "D9;Τ102;Ανάλυση;6\nD9;Τ103;\"Α\\Β\tΓ\nΔ\";4\n")};
        {
            DataImport import(Database::open(server));
            plan(import, files);
            import.apply();
        }
        DataImport again(Database::open(server));
        QCOMPARE(
            plan(again, files),
            QStringLiteral(
                "departments +0 ~0 =1; programmes +0 ~0 =1; curricula +0 ~0 =2; courses +0 ~0 =4"));
        QSqlQuery &stored = Database::open(server)->exec(
            QStringLiteral("SELECT title, ects, CASE WHEN courseID > 3 THEN 1 ELSE 0 END FROM "
                           "QEMCourses WHERE depID = 'D9' OR "
                           "coursecode = 'ΜΗΥ101'"
                           " ORDER BY depID, coursecode"),
            {}, QStringLiteral("test"));
        QStringList rows;
        while (stored.next())
            rows << QStringLiteral("%1 %2 %3")
                        .arg(stored.value(0).toString(), stored.value(1).toString(),
                             stored.value(2).toString());
        QCOMPARE(rows,
                 QStringList({QStringLiteral("Μαθηματικά 5 0"), QStringLiteral("Άλγεβρα 7.5 1"),
                              QStringLiteral("Ανάλυση 6 1"), QStringLiteral("Α\\Β\tΓ\nΔ 4 1")}));

        QSqlQuery &curricula = Database::open(server)->exec(
            QStringLiteral(
                "SELECT COUNT(*) FROM QEMDPOrientation o JOIN QEMDepPrograms p ON o.prID = p.prID"
                " WHERE p.prdepID = 'D9' AND p.prshort = 'Π1'"),
            {}, QStringLiteral("test"));
        QVERIFY(curricula.next());
        QCOMPARE(curricula.value(0).toInt(), 2);

        DataImport refused(Database::open(server));
        plan(refused, {Courses, QStringLiteral("department,code,title\nD9,Τ109,X\nD7,Τ103,Y\n")});
        QVERIFY_THROWS_EXCEPTION(ZrError, refused.apply());
        QSqlQuery &count = Database::open(server)->exec(
            QStringLiteral("SELECT COUNT(*) FROM QEMCourses WHERE coursecode = 'Τ109'"), {},
            QStringLiteral("test"));
        QVERIFY(count.next());
        QCOMPARE(count.value(0).toInt(), 0);
        Database::closeAll();
    }

    // The sample department written out as files reads back unchanged, every kind of it.
    void storedRowsReadBackUnchanged()
    {
        QTemporaryDir dir;
        const QString server = QStringLiteral("sqlite://") + dir.filePath(QStringLiteral("u.db"));
        DataImport writer(Database::open(server));
        QStringList files, expected;
        for (const DataKind &kind : DataKinds()) {
            QString text = CsvLine(kind.header());
            const QList<QStringList> rows = writer.storedRows(kind);
            for (const QStringList &row : rows)
                text += CsvLine(row);
            files << kind.fileName() << text;
            expected << QStringLiteral("%1 +0 ~0 =%2").arg(kind.name).arg(rows.size());
        }
        DataImport reader(Database::open(server));
        QCOMPARE(plan(reader, files), expected.join(QStringLiteral("; ")));
        Database::closeAll();
    }

    // The page that documents the files says what the catalogue does, column by column.
    void theColumnReferenceIsTheCatalogues()
    {
        QFile page(QFINDTESTDATA("../../docs/data.md"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(page.readAll());
        const QString start = QStringLiteral("a test holds them to it. -->");
        const qsizetype from = text.indexOf(start) + start.size();
        const qsizetype to = text.indexOf(QStringLiteral("<!-- end of the columns -->"));
        QVERIFY(from > start.size() && to > from);
        QVERIFY2(text.mid(from, to - from).trimmed() == DataKindsReference().trimmed(),
                 "docs/data.md is behind the catalogue: put in what `zrreq data columns` prints");
    }

    void numbersWithEitherDecimalMark_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("number"); // empty: not a number
        for (const auto &[text, number] : {std::pair{"7,5", "7.5"},
                                           {" 7.5 ", "7.5"},
                                           {"-0,25", "-0.25"},
                                           {"10", "10"},
                                           {"1.234,5", ""},
                                           {"1,2,3", ""},
                                           {"abc", ""},
                                           {"", ""},
                                           {"inf", ""},
                                           {"+5", "5"},
                                           {"1e3", "1000"},
                                           {"0x10", ""},
                                           {"5 5", ""},
                                           {"\u0663", ""}})
            QTest::newRow(text) << QString::fromUtf8(text) << QString::fromUtf8(number);
    }

    void numbersWithEitherDecimalMark()
    {
        QFETCH(QString, text);
        QFETCH(QString, number);
        const std::optional<double> read = SpreadsheetNumber(text);
        QCOMPARE(read ? QString::number(*read) : QString(), number);
    }
};

QTEST_GUILESS_MAIN(tst_DataFiles)
#include "tst_datafiles.moc"
