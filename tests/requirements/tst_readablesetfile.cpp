#include "../rowtexts.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "recordset/recordsetutils.h"
#include "requirements/readablesetfile.h"

#include <QFile>
#include <QTest>

using namespace zr;

namespace {

// The codes of a small programme 7 ("ΠΠΣ") of department 850, with one course of department 900.
class Codes : public SetFileCodes
{
public:
    QString codeOf(Table table, qint64 id, QString *department) override
    {
        for (const Row &row : m_rows)
            if (row.table == table && row.id == id) {
                if (department)
                    *department = row.scope;
                return row.code;
            }
        return {};
    }
    std::optional<qint64> idOf(Table table, const QString &code, const QString &scope) override
    {
        for (const Row &row : m_rows)
            if (row.table == table && row.code == code && row.scope == scope)
                return row.id;
        return std::nullopt;
    }

private:
    struct Row
    {
        Table table;
        qint64 id;
        QString code;
        QString scope;
    };
    const QList<Row> m_rows{
        {Table::Programme, 7, "ΠΠΣ", "850"}, {Table::Curriculum, 11, "ΟΙΚ", "7"},
        {Table::CourseGroup, 2, "Ο2", "7"},  {Table::CourseGroup, 3, "Ο3", "7"},
        {Table::Course, 1, "ΠΛΗ101", "850"}, {Table::Course, 2, "ΠΛΗ102", "850"},
        {Table::Course, 9, "ΜΑΘ1", "900"},   {Table::Semester, 1, "Α΄", ""},
        {Table::Semester, 2, "Β΄", ""},      {Table::Student, 45, "1066001", "850"},
    };
};

QByteArray everyType()
{
    QFile f(QFINDTESTDATA("data/readable-every-type.json"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}


// A degree set's file with one more requirement, written on the lines given, after a course-type
// one on line 10.
QByteArray withRequirement(const QByteArray &requirement,
                           const QByteArray &expression = "ects and extra",
                           const QByteArray &head = "\"curriculum\": \"ΟΙΚ\"")
{
    return "{\n"
           "    \"format\": \"zrreq-requirements/2\", \"appliesTo\": \"programme\", \"context\": "
           "\"degree\",\n"
           "    \"department\": \"850\",\n"
           "    \"programme\": \"ΠΠΣ\",\n"
           "    " +
           head +
           ",\n"
           "    \"expression\": \"" +
           expression +
           "\",\n"
           "    \"requirements\": [\n"
           "\n"
           "\n"
           "        {\"label\": \"ects\", \"type\": \"course-type\", \"total\": \"ects\", "
           "\"value\": 240},\n"
           "        " +
           requirement +
           "\n"
           "    ]\n"
           "}\n";
}

} // namespace

class TestReadableSetFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InitLanguage(LangEnglish); }

    // A hand-written file of every type reads into the stored forms the editor keeps.
    void everyTypeReadsAsStored_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        const struct
        {
            int row;
            const char *field;
            const char *stored;
        } cases[] = {
            {0, "conselobjIDs", "or_ptyhgrade"},
            {0, "conoperator", "8"},
            {0, "conoptval1", "6,5"},
            {1, "conselobjIDs", "1,2"},
            {1, "conoptval6", "0"},
            {1, "conoptval4", "2"},
            {1, "conoptval7", "1"},
            {2, "conselobjIDs", "1,9"},
            {2, "conoptval5", "8;2"},
            {2, "conoptval6", "2"},
            {2, "conlabel", "basics"},
            {3, "ocID", "56"},
            {3, "conselobjIDs", "-1"},
            {3, "conoptval6", "3"},
            {3, "conlabel", "ects"},
            {4, "conselobjIDs", "2,3"},
            {4, "conoperator", "5"},
            {4, "conoptval2", "5"},
            {5, "conselobjIDs", "1"},
            {5, "conoptval6", "1"},
            {7, "conselobjIDs", "1,2"},
            {7, "conoptval1", "2020-1,2021"},
            {7, "conoptval5", "1;5#-1;30"},
            {7, "conoptval4", "9"},
            {7, "conoptval12", "2;3,5"},
            {7, "conlabel", ""},
            {8, "conoptval6", "-1"},
            {8, "conoptval3", "6,5"},
            {8, "conoptval4", "2"},
            {9, "conoptval6", "-2"},
            {9, "conoptval3", "0"},
            {9, "conoptval5", "6"},
            {11, "conoperator", "3"},
            {12, "conoptval1", "-1"},
            {12, "conoperator", "0"},
            {12, "conoptval10", "1,2"},
            {0, "secobjID", "11"},
            {0, "objID", "7"},
            {0, "contypeID", "103"},
            {1, "conlabel", ""},
        };
        for (const auto &c : cases)
            QTest::addRow("%d %s", c.row, c.field)
                << c.row << QString::fromLatin1(c.field) << QString::fromUtf8(c.stored);
    }
    void everyTypeReadsAsStored()
    {
        QFETCH(int, row);
        QFETCH(QString, field);
        QFETCH(QString, stored);
        Codes codes;
        const RequirementFile file = ReadSetFile(everyType(), codes);
        QCOMPARE(file.objectKind, 1);
        QCOMPARE(file.curriculumId(), 11);
        QCOMPARE(file.version, 4);
        Recordset rows = file.rows.clone();
        QCOMPARE(rows.recordCount(), 13);
        rows.setAbsolutePosition(row + 1);
        QCOMPARE(rows.value(field).toString(), stored);
    }

    // Labels become the rows' tokens; the expression keeps its shape.
    void theExpressionNamesTheRowsByLabel()
    {
        Codes codes;
        const RequirementFile file = ReadSetFile(everyType(), codes);
        Recordset rows = file.rows.clone();
        rows.moveFirst();
        const QString eval = NzStr(rows.value(u"coneval"));
        QVERIFY2(eval.startsWith(QStringLiteral(
                     "[%-1] AND [%-2] AND [%-3] AND [%56] AND [%-4] AND ([%-5] OR [%-6]) "
                     "AND NOT([%-7])")),
                 qPrintable(eval));
    }

    // What is read is written back as it was written, and reads back to the same rows.
    void aFileWritesBackAsItWasWritten()
    {
        Codes codes;
        const QByteArray text = everyType();
        const RequirementFile file = ReadSetFile(text, codes);
        const QByteArray written = WriteReadableSetFile(file, codes);
        QCOMPARE(QString::fromUtf8(written), QString::fromUtf8(text));
        QCOMPARE(test::rowTexts(ReadSetFile(written, codes).rows), test::rowTexts(file.rows));
    }

    // A value the readable form cannot say as stored, or a code no table knows, is kept as it is.
    void whatHasNoNameIsKeptAsStored_data()
    {
        QTest::addColumn<QByteArray>("requirement");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("written");
        QTest::newRow("unknown course")
            << QByteArray(R"({"label": "extra", "type": "prerequisite-course", "courses": [77]})")
            << "conselobjIDs"
            << "77"
            << R"("courses": [77])";
        QTest::newRow("totals not as written")
            << QByteArray(
                   R"({"label": "extra", "type": "semester-average", "courseTypeTotals": "1;05"})")
            << "conoptval5"
            << "1;05"
            << R"("courseTypeTotals": "1;05")";
        QTest::newRow("number with zeros")
            << QByteArray(R"({"label": "extra", "type": "course-type", "value": "240,50"})")
            << "conoptval1"
            << "240,50"
            << R"("value": "240,50")";
        QTest::newRow("field of no sheet")
            << QByteArray(R"({"label": "extra", "type": "practicums", "conoptval9": "x"})")
            << "conoptval9"
            << "x"
            << R"("conoptval9": "x")";
    }
    void whatHasNoNameIsKeptAsStored()
    {
        QFETCH(QByteArray, requirement);
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(QString, written);
        Codes codes;
        const RequirementFile file = ReadSetFile(withRequirement(requirement), codes);
        Recordset rows = file.rows.clone();
        rows.moveLast();
        QCOMPARE(rows.value(field).toString(), stored);
        QVERIFY(QString::fromUtf8(WriteReadableSetFile(file, codes)).contains(written));
    }

    // Each fault names its line, the requirement by label and the field by its name in the file.
    void faultsSayWhereTheyAre_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("message");
        QTest::newRow("course code")
            << withRequirement(
                   R"({"label": "extra", "type": "prerequisite-course", "courses": ["ΠΛΗ999"]})")
            << 60235
            << "Line 11, requirement «extra», field «courses»: no course of department 850 has the "
               "code «ΠΛΗ999»";
        QTest::newRow("misspelt field")
            << withRequirement("{\"label\": \"extra\", \"type\": \"course-group\",\n"
                               "         \"grups\": [\"Ο2\"]}")
            << 60233
            << "Line 12, requirement «extra», field «grups»: there is no such field; a requirement "
               "of type «course-group» has the fields «groups», «total», «operator», «value», "
               "«value2», «exceptCourses»";
        QTest::newRow("group code")
            << withRequirement(R"({"label": "extra", "type": "course-group", "groups": ["Ο9"]})")
            << 60236
            << "Line 11, requirement «extra», field «groups»: no course group of the programme has "
               "the code «Ο9»";
        QTest::newRow("semester")
            << withRequirement(
                   R"({"label": "extra", "type": "semester-average", "semesters": ["Θ΄"]})")
            << 60237
            << "Line 11, requirement «extra», field «semesters»: no semester is called «Θ΄»";
        QTest::newRow("choice")
            << withRequirement(R"({"label": "extra", "type": "course-type", "total": "ectz"})")
            << 60234
            << "Line 11, requirement «extra», field «total»: «ectz» is not one of «credits», "
               "«courses», «hours», «ects»";
        QTest::newRow("flag")
            << withRequirement(R"({"label": "extra", "type": "year-average", "options": ["fast"]})")
            << 60234 << "field «options»: «fast» is not one of «weighted-by-coefficient»";
        QTest::newRow("not a list")
            << withRequirement(R"({"label": "extra", "type": "course-type", "courseTypes": 1})")
            << 60239 << "Line 11, requirement «extra», field «courseTypes»: must be a list";
        QTest::newRow("another department's course")
            << withRequirement(
                   R"({"label": "extra", "type": "prerequisite-course", "courses": [{"department": "900"}]})")
            << 60252 << "field «courses»: {\"department\": \"900\"} is not a course";
        QTest::newRow("group not a text") << withRequirement(R"({"label": "extra", "type": "course-group", "groups": [{"x": 1}]})")
                                          << 60258 << "Line 11, requirement «extra», field «groups»: {\"x\": 1} is not a code: write the code as a text";
        QTest::newRow("neither format") << QByteArray(R"({"format": "zrreq-requirements/3"})") << 60202
                                        << "«zrreq-requirements/2» / «zrreq-requirements/1»";
        QTest::newRow("type")
            << withRequirement(R"({"label": "extra", "type": "course-typ"})") << 60241
            << "Line 11, requirement «extra», field «type»: unknown requirement type «course-typ»";
        QTest::newRow("no type") << withRequirement(R"({"label": "extra"})") << 60210
                                 << "Line 11, requirement «extra»: «type» is missing";
        QTest::newRow("label twice")
            << withRequirement(R"({"label": "ects", "type": "practicums"})") << 60242
            << "Line 11, requirement «ects», field «label»: the label «ects» is already the label "
               "of the requirement on line 10";
        QTest::newRow("label a keyword")
            << withRequirement(R"({"label": "or", "type": "practicums"})") << 60243
            << "Line 11, requirement «practicums», field «label»: «or» is not a label";
        QTest::newRow("label with a blank")
            << withRequirement(R"({"label": "a b", "type": "practicums"})") << 60243
            << "«a b» is not a label";
        QTest::newRow("unknown label")
            << withRequirement(R"({"label": "extra", "type": "practicums"})",
                               "ects and (extra or thesis)")
            << 60244
            << "Line 6: the expression names «thesis», which is the label of no requirement";
        QTest::newRow("stray sign")
            << withRequirement(R"({"label": "extra", "type": "practicums"})", "ects & extra")
            << 60245 << "Line 6: «&» cannot stand in an expression";
        for (const auto &[expression, at, why] :
             {std::tuple{"ects and (extra", "(extra", "the bracket is never closed"},
              {"ects extra", "extra", "and, or or a closing bracket belongs here"},
              {"ects and", "end", "a label, not or an opening bracket belongs here"},
              {"not ects)", ")", "there is no open bracket to close"}})
            QTest::addRow("expression %s", expression)
                << withRequirement(R"({"label": "extra", "type": "practicums"})", expression) << 60246
                << QStringLiteral("Line 6: the expression does not read at «%1»: %2").arg(QString::fromUtf8(at), why);
        QTest::newRow("misspelt head")
            << withRequirement(R"({"label": "extra", "type": "practicums"})", "ects",
                               "\"curiculum\": \"ΟΙΚ\"")
            << 60234 << "Line 5: «curiculum» is not one of «format»";
        QTest::newRow("curriculum code")
            << withRequirement(R"({"label": "extra", "type": "practicums"})", "ects",
                               "\"curriculum\": \"ΧΧΧ\"")
            << 60248 << "Line 5: no curriculum of the programme has the code «ΧΧΧ»";
        QTest::newRow("bad json") << withRequirement(R"({"label": "extra", "type": "practicums",})")
                                  << 60201 << "Line 11: The file is not valid JSON";
    }
    void faultsSayWhereTheyAre()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, number);
        QFETCH(QString, message);
        Codes codes;
        try {
            ReadSetFile(file, codes);
            QFAIL("the file was read");
        } catch (const ZrError &error) {
            QVERIFY2(error.description.contains(message), qPrintable(error.description));
            QCOMPARE(error.number, number);
        }
    }
};

QTEST_GUILESS_MAIN(TestReadableSetFile)
#include "tst_readablesetfile.moc"
