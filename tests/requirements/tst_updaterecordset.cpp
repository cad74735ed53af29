#include "../datafile.h"
#include "common/errorlog.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "itempanel/itempanelmodel.h"
#include "requirementfixture.h"
#include "reqtypes/requirementkeys.h"
#include "reqtypes/parametervalidation.h"
#include "requirements/requirementseditor.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace zr;
using namespace zr::test;

// Checks the editor makes before it writes a set back: parameter rules,
// the rule between requirements, and the expression of every curriculum.
class tst_UpdateRecordset : public QObject
{
    Q_OBJECT

    // Type 70 (completed practicums) with a valid count: passes its own checks and the audit's.
    static Row valid(int ocID, const QString &curriculum, const QString &eval, int context = 103)
    {
        return {ocID, context, 1, 7, curriculum, 70,
                {{QStringLiteral("conoperator"), 8}, {QStringLiteral("conoptval1"), QStringLiteral("5")},
                 {QStringLiteral("coneval"), eval}}};
    }

    // Requirements 1-3 in curriculum 1 with `eval1`, 4 in curriculum 2 with `eval2`.
    static QList<Row> rowsOfTwo(const QString &eval1, const QString &eval2 = QString())
    {
        return {valid(1, QStringLiteral("1"), eval1), valid(2, QStringLiteral("1"), eval1),
                valid(3, QStringLiteral("1"), eval1), valid(4, QStringLiteral("2"), eval2)};
    }

    static Recordset table(const QStringList &names, const QList<QVariantList> &rows)
    {
        QList<Field> fields{makeField(names.first(), adInteger)};
        for (const QString &name : names.mid(1))
            fields << makeField(name, adVarWChar, 100);
        Recordset rs(fields);
        for (const QVariantList &row : rows) {
            rs.addNew();
            for (int i = 0; i < names.size(); ++i)
                rs.setValue(names.at(i), row.value(i));
        }
        rs.updateBatch();
        return rs;
    }

    // The code tables of programme 7 as the server gives them (groups and courses of that programme only).
    static Recordset programmeTables(const QString &name)
    {
        if (name == QLatin1String("QEMDPGroup"))
            return table({"dgID", "groupID", "dgname"}, {{3, "Ο2", "Λογισμικό"}});
        if (name == QLatin1String("SYS_CourseType"))
            return table({"ctypeID", "ctypedesc", "ctypeabbr"}, {{1, "Υποχρεωτικό", "Υ"}, {2, "Επιλογής", "Ε"}});
        if (name == QLatin1String("SYS_Dep_CourseArea"))
            return table({"areaID", "coursearea"}, {{4, "Λογισμικό"}});
        if (name == QLatin1String("QEMDepProgramCourses"))
            return table({"courseID", "title", "coursecode"}, {{11, "Αλγόριθμοι", "ΜΗΥ411"}});
        if (name == QLatin1String("QEMCourses"))
            return table({"courseID", "title", "coursecode"}, {{11, "Αλγόριθμοι", "ΜΗΥ411"}, {12, "Άλλο", "ΜΗΥ912"}});
        return Recordset();
    }

    static std::unique_ptr<RequirementsEditor> load(const QList<Row> &rows, int context = 103)
    {
        auto editor = std::make_unique<RequirementsEditor>();
        setUpEditor(*editor, context);
        editor->load(hierarchicalSet(rows));
        return editor;
    }

    static void edit(RequirementsEditor &editor, qint32 ocID, const QString &value)
    {
        const QString key = ParamKey(ocID, QStringLiteral("conoptval1"));
        QVERIFY(editor.list()->editValue(key, value));
        editor.valueChanged(key);
    }

    // The error writeBack throws; 0 when it succeeds.
    static ZrError writeError(RequirementsEditor &editor)
    {
        try {
            editor.writeBack();
        } catch (const ZrError &error) {
            return error;
        }
        return ZrError(0, QString(), QString());
    }

    static QVariant stored(RequirementsEditor &editor, int ocID, const char16_t *field)
    {
        Recordset rs = editor.set().rows().clone();
        if (!rs.find(QStringLiteral("ocID = ") + QString::number(ocID), 0, Recordset::SearchForward,
                     Recordset::StartFirst))
            return QStringLiteral("<no row>");
        return rs.value(field);
    }

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    // Sets as they arrive (a file, another program, the host deleting a row):
    // the editor's own edits keep the expression in step (below).
    void expressionChecks_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<int>("hostDeletes");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("named");
        for (const QStringList &row : dataRows(QFINDTESTDATA("data/savedexpressions.tsv"))) {
            QTest::newRow(qPrintable(row.at(0))) << row.value(1) << row.value(2).toInt() << row.value(3).toInt()
                                                 << row.value(4);
        }
    }
    void expressionChecks()
    {
        QFETCH(QString, expression);
        QFETCH(int, hostDeletes);
        QFETCH(int, number);
        QFETCH(QString, named);

        auto editor = load(rowsOfTwo(expression));
        if (hostDeletes != 0) {
            Recordset rows = editor->set().rows();
            QVERIFY(rows.find(QStringLiteral("ocID = ") + QString::number(hostDeletes), 0, Recordset::SearchForward,
                              Recordset::StartFirst));
            rows.deleteCurrent();
            editor->list()->removeItem(GroupKey(hostDeletes));
        }
        const ZrError error = writeError(*editor);
        QCOMPARE(error.number, number);
        QVERIFY2(error.description.contains(named), qPrintable(error.description));
        if (number == 0) {
            // Every row of the curriculum holds the expression, NULL for the default.
            for (int ocID : {1, 2, 3})
                QCOMPARE(stored(*editor, ocID, u"coneval"), expression.isEmpty() ? QVariant() : QVariant(expression));
        }
    }

    // Adding and deleting never leave a set that cannot be saved.
    void addAndDeleteKeepTheExpressionWhole_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<int>("deleteId");
        QTest::addColumn<QString>("written");
        QTest::newRow("delete the one before AND") << "[%1] OR [%2] AND [%3]" << 2 << "[%1] OR [%3]";
        QTest::newRow("add to an OR") << "[%1] OR [%2] OR [%3]" << 0 << "([%1] OR [%2] OR [%3]) AND [%-1]";
    }
    void addAndDeleteKeepTheExpressionWhole()
    {
        QFETCH(QString, expression);
        QFETCH(int, deleteId);
        QFETCH(QString, written);
        auto editor = load(rowsOfTwo(expression));
        if (deleteId != 0) {
            QVERIFY(editor->deleteRequirement(deleteId));
        } else {
            edit(*editor, editor->addRequirement(70), QStringLiteral("2"));
        }
        const ZrError error = writeError(*editor);
        QVERIFY2(error.number == 0, qPrintable(error.description));
        QCOMPARE(stored(*editor, 1, u"coneval"), written.isEmpty() ? QVariant() : QVariant(written));
    }

    // What was typed in a curriculum reached its rows when the user left it;
    // writing the set from another curriculum checks it all the same, and
    // points at the requirement and curriculum that failed.
    void curriculumLeftIsChecked_data() { zr::test::addDataRows(QFINDTESTDATA("data/curriculumleft.tsv")); }
    void curriculumLeftIsChecked()
    {
        QFETCH(QString, typed);
        QFETCH(int, addType);
        QFETCH(QString, expression);
        QFETCH(int, number);
        auto editor = load(rowsOfTwo(expression, QStringLiteral("[%4]")));
        edit(*editor, 2, typed);
        if (addType != 0)
            editor->addRequirement(addType);
        editor->chooseCurriculum(2);
        QCOMPARE(editor->list()->keys(), QStringList{"I4"});
        const ZrError error = writeError(*editor);
        QCOMPARE(error.number, number);
        QCOMPARE(editor->set().isModified(), number != 0);
        if (number != 0) {
            QVERIFY2(error.description.endsWith(editor->curriculumNote(1)), qPrintable(error.description));
            QCOMPARE(editor->problem().curriculum, 1);
        }
        if (number == 20007) {
            QCOMPARE(editor->problem().ocID, 2);
            QCOMPARE(editor->problem().field, QStringLiteral("conoptval1"));
            // Three requirements of one type: the message says which one.
            QVERIFY2(error.description.contains(QStringLiteral("2η στη λίστα")), qPrintable(error.description));
        }
    }

    void requirementOfNoKnownTypeIsRefused()
    {
        QList<Row> rows = rowsOfTwo(QString());
        rows[2].conID = 9999;
        auto editor = load(rows);
        // It has no sheet to show, but it is not passed over.
        QCOMPARE(editor->list()->keys(), (QStringList{"I1", "I2"}));
        const ZrError error = writeError(*editor);
        QCOMPARE(error.number, 10102);
        QVERIFY2(error.description.contains(QStringLiteral("[%3]")) && error.description.contains(QStringLiteral("9999")),
                 qPrintable(error.description));
    }

    // A code the sheet cannot name shows as nothing chosen; the check names the code instead,
    // refusing where the list would be empty and warning otherwise, and the row keeps it.
    void codesTheTablesLackAreNamed_data() { zr::test::addDataRows(QFINDTESTDATA("data/unknowncodes.tsv")); }
    void codesTheTablesLackAreNamed()
    {
        QFETCH(int, type);
        QFETCH(QVariant, fields);
        QFETCH(int, number);
        QFETCH(int, warning);
        QFETCH(QString, named);
        QFETCH(bool, switched);
        const QVariantMap given = fields.toMap();
        QVariantMap row = given;
        row.insert(QStringLiteral("coneval"), QStringLiteral("[%1]"));
        auto editor = std::make_unique<RequirementsEditor>();
        setUpEditor(*editor, 103, 1, {1, 2}, programmeTables);
        editor->load(hierarchicalSet({{1, 103, 1, 7, QStringLiteral("1"), type, row},
                                      valid(4, QStringLiteral("2"), QStringLiteral("[%4]"))}));
        editor->valueOf(1);
        if (switched)
            editor->chooseCurriculum(2);
        const ZrError error = writeError(*editor);
        QCOMPARE(error.number, number);
        if (number != 0) {
            QVERIFY2(error.description.contains(named), qPrintable(error.description));
            // Nothing the row names is lost to the refusal.
            for (auto it = given.cbegin(); it != given.cend(); ++it)
                QCOMPARE(stored(*editor, 1, reinterpret_cast<const char16_t *>(it.key().utf16())).toString(),
                         it.value().toString());
        }
        QStringList warned;
        for (const ValidationWarning &w : editor->warnings()) {
            QCOMPARE(w.number, warning);
            warned << w.description;
        }
        QCOMPARE(warned.size(), warning != 0 ? 1 : 0);
        QVERIFY2(warned.isEmpty() || warned.first().contains(named), qPrintable(warned.join(u'\n')));
    }

    void aFailedRuleWritesNothing()
    {
        QList<Row> rows = rowsOfTwo(QString());
        rows[1].extra.insert(QStringLiteral("conoptval1"), QStringLiteral("0"));
        auto editor = load(rows);
        edit(*editor, 1, QStringLiteral("7"));
        QCOMPARE(writeError(*editor).number, 20007);
        QVERIFY(editor->set().isModified());
        QCOMPARE(stored(*editor, 1, u"conoptval1").toString(), QStringLiteral("5"));

        // Once corrected, the edit reaches the row.
        edit(*editor, 2, QStringLiteral("1"));
        editor->writeBack();
        QCOMPARE(stored(*editor, 1, u"conoptval1").toString(), QStringLiteral("7"));
        QVERIFY(!editor->set().isModified());
    }

    // A refused write is in the log once, whichever check refused it and however many traps it
    // passed; the same refusal a second time is a second line.
    void everyRefusalIsLoggedOnce_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<bool>("withoutOperator");
        QTest::newRow("a value") << "0" << "[%1] AND [%2] AND [%3]" << false;
        QTest::newRow("the expression") << "7" << "[%1] AND" << false;
        QTest::newRow("a requirement the audit cannot check") << "7" << "[%1] AND [%2] AND [%3]" << true;
    }
    void everyRefusalIsLoggedOnce()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expression);
        QFETCH(bool, withoutOperator);
        QTemporaryDir dir;
        QFile log(dir.filePath(QStringLiteral("zrrequirements.log")));
        SetLogFile(log.fileName(), true);
        QList<Row> rows = rowsOfTwo(expression);
        if (withoutOperator)
            rows[0].extra.insert(QStringLiteral("conoperator"), QVariant());
        auto editor = load(rows);
        edit(*editor, 2, typed);
        for (int attempt = 1; attempt <= 2; ++attempt) {
            const ZrError error = writeError(*editor);
            QVERIFY(error.number != 0 && log.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(log.readAll()).count(error.description), attempt);
            log.close();
        }
        SetLogFile(QString(), false);
    }
    void oneGradeAverageInTheScholarshipContext_data()
    {
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<bool>("refused");
        QTest::newRow("80 and 90") << QList<int>{80, 90} << true;
        QTest::newRow("two of 90") << QList<int>{90, 90} << true;
        QTest::newRow("90 alone") << QList<int>{90, 70} << false;
    }
    void oneGradeAverageInTheScholarshipContext()
    {
        QFETCH(QList<int>, types);
        QFETCH(bool, refused);
        QList<Row> rows;
        int ocID = 1;
        for (int type : types) {
            Row row = valid(ocID++, QString(), QString(), 109);
            row.conID = type;
            row.extra.insert(QStringLiteral("conoptval1"), type == 70 ? QStringLiteral("5") : QStringLiteral("2001"));
            row.extra.insert(QStringLiteral("conoptval3"), QStringLiteral("1"));
            row.extra.insert(QStringLiteral("conoperator"), 0);
            rows << row;
        }
        auto editor = load(rows, 109);
        const ZrError error = writeError(*editor);
        QCOMPARE(error.number == 20014, refused);
    }
};

QTEST_GUILESS_MAIN(tst_UpdateRecordset)
#include "tst_updaterecordset.moc"
