#include "itempanel/itempanelmodel.h"
#include "common/langstrings.h"
#include "recordset/recordset.h"
#include "common/schema.h"
#include "common/zrerror.h"
#include "search/zrsearchx.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>

using namespace zr;

namespace {

SchemaColumn column(const QString &name, int type, const QString &caption, const QString &list = {},
                    bool searchable = true)
{
    SchemaColumn c;
    c.name = name;
    c.captionGreek = caption;
    c.captionEnglish = caption;
    c.type = type;
    c.sqlType = (type == FieldText || type == FieldListText) ? SqlType::Text : SqlType::Integer;
    c.listSource = list;
    c.searchable = searchable;
    return c;
}

// A schema with one student view, as the host describes it.
class TestSchema : public Schema
{
public:
    SchemaTable students;
    TestSchema()
    {
        students.name = QStringLiteral("v_students");
        students.keyColumn = QStringLiteral("student_ID");
        students.columns = {
            column(QStringLiteral("student_ID"), FieldInteger, QStringLiteral("Κωδικός"), {}, false),
            column(QStringLiteral("lastname"), FieldText, QStringLiteral("Επώνυμο")),
            column(QStringLiteral("in_year"), FieldInteger, QStringLiteral("Έτος εισαγωγής")),
            column(QStringLiteral("gender"), FieldListText, QStringLiteral("Φύλο"), QStringLiteral("TEXT:Α;Άνδρας;Θ;Γυναίκα")),
            column(QStringLiteral("statusID"), FieldList, QStringLiteral("Κατάσταση"),
                   QStringLiteral("RECORDSET:SYS_StudentStatus")),
            column(QStringLiteral("or_date"), FieldDate, QStringLiteral("Ορκωμοσία")),
            column(QStringLiteral("title"), FieldText, QStringLiteral("Τίτλος")),
        };
    }
    QString defaultTableName() const override { return students.name; }
    QStringList tableNames() const override { return {students.name}; }
    const SchemaTable *table(const QString &name) const override
    {
        return name.compare(students.name, Qt::CaseInsensitive) == 0 ? &students : nullptr;
    }
    SqlDialect dialect() const override { return SqlDialect::SQLite; }
};

Recordset statusList()
{
    Recordset rs({makeField(QStringLiteral("statusID"), adInteger), makeField(QStringLiteral("statusdescr"), adVarWChar, 50)});
    const QList<QPair<int, QString>> rows = {{1, QStringLiteral("Ενεργός")}, {2, QStringLiteral("Σε αναστολή")},
                                             {3, QStringLiteral("Διαγραμμένος")}};
    for (const auto &row : rows) {
        rs.addNew();
        rs.setValue(0, row.first);
        rs.setValue(1, row.second);
    }
    return rs;
}

// Answers the control's list requests as a container does.
void answerLists(zrSearchX &search)
{
    QObject::connect(&search, &zrSearchX::ListSourceRequest, &search,
                     [](bool &, const QString &source, Recordset &result, bool) {
                         if (source == QLatin1String("SYS_StudentStatus"))
                             result = statusList();
                     });
}

bool selectByCaption(ItemPanelModel *panel, const QString &rowKey, const QString &caption)
{
    const QStringList captions = panel->data(panel->indexOf(rowKey), ItemPanelModel::ChoiceCaptionsRole).toStringList();
    const int position = captions.indexOf(caption);
    return position >= 0 && panel->selectChoiceAt(rowKey, position);
}

QString operatorCaption(int code)
{
    for (int i = 0; i < zrSearchX::operatorCount(); ++i) {
        if (zrSearchX::operatorCodeAt(i) == code)
            return GetLangString(QList<int>{20044, 20045, 20046, 20047, 20048, 20049, 20050, 20051, 20052}.at(i));
    }
    return {};
}

// Advanced criterion in a test row: "caption|operator code|value1|value2"; list values by caption.
bool addAdvanced(zrSearchX &search, const QString &criterion)
{
    const QStringList parts = criterion.split(QLatin1Char('|'));
    ItemPanelModel *panel = search.advancedPanel();
    if (!parts.value(0).isEmpty())
        selectByCaption(panel, QStringLiteral("fields"), parts.value(0));
    if (!parts.value(1).isEmpty())
        selectByCaption(panel, QStringLiteral("operators"), operatorCaption(parts.value(1).toInt()));
    for (int i : {2, 3}) {
        const QString key = i == 2 ? QStringLiteral("value1") : QStringLiteral("value2");
        if (parts.value(i).isEmpty())
            continue;
        if (panel->kind(key) == ItemPanelModel::Kind::ChoiceRow)
            selectByCaption(panel, key, parts.value(i));
        else
            panel->editValue(key, parts.value(i));
    }
    const int before = search.criteriaModel()->rowCount();
    panel->clickItem(QStringLiteral("addcrit"));
    return search.criteriaModel()->rowCount() == before + 1;
}

// Simple criterion in a test row: "field=value"; list values by caption.
void setSimple(zrSearchX &search, const QString &criterion)
{
    const QString key = criterion.section(QLatin1Char('='), 0, 0);
    const QString value = criterion.section(QLatin1Char('='), 1);
    ItemPanelModel *panel = search.fieldsPanel();
    if (panel->kind(key) == ItemPanelModel::Kind::ChoiceRow)
        QVERIFY(selectByCaption(panel, key, value));
    else
        QVERIFY(panel->editValue(key, value));
}

} // namespace

class TestZrSearchX : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitLanguage(LangGreek); }

    void findBuildsWhereStatement_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<bool>("andCombination");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<QStringList>("simple");
        QTest::addColumn<QStringList>("advanced");
        QTest::addColumn<QString>("tableWhere");
        QTest::addColumn<QString>("expected");

        const QString own = QStringLiteral("statusID <> 3");
        QTest::newRow("nothing at all") << "simple" << true << false << QStringList() << QStringList() << QString()
                                        << QString();
        QTest::newRow("only the table's own text, bare")
            << "simple" << true << false << QStringList() << QStringList() << own << own;
        QTest::newRow("text starts with")
            << "simple" << true << false << QStringList{"lastname=Pap"} << QStringList() << QString()
            << "lastname LIKE 'Pap%'";
        QTest::newRow("exact match on")
            << "simple" << true << true << QStringList{"lastname=Pap"} << QStringList() << QString()
            << "lastname = 'Pap'";
        QTest::newRow("simple with table text")
            << "simple" << true << false << QStringList{"lastname=Pap"} << QStringList() << own
            << "(lastname LIKE 'Pap%') AND (statusID <> 3)";
        QTest::newRow("simple AND, numbers compare equal")
            << "simple" << true << false << QStringList{"lastname=Pap", "in_year=2020"} << QStringList() << QString()
            << "(lastname LIKE 'Pap%') AND (in_year = 2020)";
        QTest::newRow("simple OR kept inside the table text")
            << "simple" << false << false << QStringList{"lastname=Pap", "in_year=2020"} << QStringList() << own
            << "((lastname LIKE 'Pap%') OR (in_year = 2020)) AND (statusID <> 3)";
        QTest::newRow("list fields give their ids")
            << "simple" << true << false << QStringList{"gender=Γυναίκα", "statusID=Σε αναστολή"} << QStringList()
            << QString() << "(gender = 'Θ') AND (statusID = 2)";
        QTest::newRow("date typed the Greek way")
            << "simple" << true << false << QStringList{"or_date=5/3/2021"} << QStringList() << QString()
            << "or_date = '2021-03-05'";
        QTest::newRow("a field named like a heading")
            << "simple" << true << false << QStringList{"title=Dr"} << QStringList() << QString()
            << "title LIKE 'Dr%'";
        QTest::newRow("advanced AND")
            << "advanced" << true << false << QStringList()
            << QStringList{"Επώνυμο|1|ou|", "Έτος εισαγωγής|5|2019|2021"} << QString()
            << "(lastname LIKE '%ou%') AND (in_year BETWEEN 2019 AND 2021)";
        QTest::newRow("advanced OR with table text")
            << "advanced" << false << false << QStringList()
            << QStringList{"Επώνυμο|6|Pa|", "Κατάσταση|2|Ενεργός|"} << own
            << "((lastname LIKE 'Pa%') OR (statusID <> 1)) AND (statusID <> 3)";
        QTest::newRow("advanced operators greater/less or equal")
            << "advanced" << true << false << QStringList()
            << QStringList{"Έτος εισαγωγής|8|2019|", "Έτος εισαγωγής|9|2021|"} << QString()
            << "(in_year >= 2019) AND (in_year <= 2021)";
        QTest::newRow("simple entries do not leak into the advanced view")
            << "advanced" << true << false << QStringList{"lastname=Pap"} << QStringList() << QString() << QString();
        QTest::newRow("custom view searches with the table text only")
            << "custom" << true << false << QStringList{"lastname=Pap"} << QStringList{"Επώνυμο|0|x|"} << own << own;
    }

    void findBuildsWhereStatement()
    {
        QFETCH(QString, view);
        QFETCH(bool, andCombination);
        QFETCH(bool, exact);
        QFETCH(QStringList, simple);
        QFETCH(QStringList, advanced);
        QFETCH(QString, tableWhere);
        QFETCH(QString, expected);

        TestSchema schema;
        schema.students.whereText = tableWhere;
        zrSearchX search;
        answerLists(search);
        search.Init(&schema, QStringLiteral("v_students"));
        QAbstractItemModelTester fieldsTester(search.fieldsPanel());
        QAbstractItemModelTester criteriaTester(search.criteriaModel());
        for (const QString &criterion : simple)
            setSimple(search, criterion);
        for (const QString &criterion : advanced)
            QVERIFY2(addAdvanced(search, criterion), qPrintable(criterion + QLatin1String(": ") + search.message()));
        search.setAndCombination(andCombination);
        search.setExactMatch(exact);
        search.setCurrentView(view);

        QStringList emitted;
        connect(&search, &zrSearchX::Search, &search, [&](QString &where) { emitted << where; });
        search.buttonsPanel()->clickItem(QStringLiteral("find"));
        QCOMPARE(emitted, QStringList{expected});
        QCOMPARE(search.WhereStatement(), expected);
    }

    // Each hostile value is run as a filter over a table that holds it and its
    // look-alikes: exactly the rows that start with (or equal) it must match.
    void hostileValuesStayValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<QStringList>("matches");

        const QString longText = QString(3000, QChar(0x03AC)) + QStringLiteral("'%_\\");
        QTest::newRow("quote") << "O'Brien" << false << QStringList{"O'Brien", "O'Briensky"};
        QTest::newRow("quote exact") << "O'Brien" << true << QStringList{"O'Brien"};
        QTest::newRow("percent is no wildcard") << "50%" << false << QStringList{"50%", "50% off"};
        QTest::newRow("underscore is no wildcard") << "a_b" << false << QStringList{"a_b"};
        QTest::newRow("backslash") << "a\\b" << false << QStringList{"a\\b"};
        QTest::newRow("injection attempt") << "x' OR '1'='1" << false << QStringList();
        QTest::newRow("comment attempt") << "x'; --" << true << QStringList();
        QTest::newRow("accented Greek") << "Παπαδόπουλ" << false << QStringList{"Παπαδόπουλος"};
        QTest::newRow("very long text") << longText << false << QStringList{longText};
        QTest::newRow("very long text exact") << longText << true << QStringList{longText};
    }

    void hostileValuesStayValues()
    {
        QFETCH(QString, value);
        QFETCH(bool, exact);
        QFETCH(QStringList, matches);

        const QString longText = QString(3000, QChar(0x03AC)) + QStringLiteral("'%_\\");
        const QStringList rows = {"O'Brien", "O'Briensky", "50%", "50% off", "500", "a_b", "axb", "a\\b",
                                  "ab", "Παπαδόπουλος", "x", longText, longText + "x'"};
        QStringList expectedRows = matches;
        if (!exact && value == longText)
            expectedRows << longText + "x'";

        TestSchema schema;
        zrSearchX search;
        answerLists(search);
        search.Init(&schema, QString());
        search.setExactMatch(exact);
        setSimple(search, QStringLiteral("lastname=") + value);
        search.Find();
        const QString where = search.WhereStatement();
        QVERIFY(!where.isEmpty());

        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("hostile"));
            db.setDatabaseName(QStringLiteral(":memory:"));
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("CREATE TABLE v_students (lastname TEXT)")));
            QVERIFY(query.prepare(QStringLiteral("INSERT INTO v_students VALUES (?)")));
            for (const QString &row : rows) {
                query.addBindValue(row);
                QVERIFY(query.exec());
            }
            QVERIFY2(query.exec(QStringLiteral("SELECT lastname FROM v_students WHERE ") + where + " ORDER BY rowid"),
                     qPrintable(query.lastError().text() + QLatin1String(" in ") + where.left(200)));
            QStringList found;
            while (query.next())
                found << query.value(0).toString();
            QCOMPARE(found, expectedRows);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("hostile"));
    }

    void addCriterionChecksInOrder_data()
    {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<int>("messageId");
        QTest::addColumn<QString>("shownValue1");

        QTest::newRow("no field") << "|0|x|" << 20334 << QString();
        QTest::newRow("no operator") << "Επώνυμο||x|" << 20335 << QString();
        QTest::newRow("no value") << "Επώνυμο|0||" << 20336 << QString();
        QTest::newRow("blank value") << "Επώνυμο|0|   |" << 20336 << QString();
        QTest::newRow("between without second value") << "Έτος εισαγωγής|5|2019|" << 20337 << QString();
        QTest::newRow("between with both") << "Έτος εισαγωγής|5|2019|2021" << 0 << "2019";
        QTest::newRow("second value ignored unless between") << "Έτος εισαγωγής|3|2019|" << 0 << "2019";
        QTest::newRow("number field given text") << "Έτος εισαγωγής|0|abc|" << 61080 << QString();
        QTest::newRow("list field shows the description") << "Κατάσταση|0|Σε αναστολή|" << 0 << "Σε αναστολή";
    }

    void addCriterionChecksInOrder()
    {
        QFETCH(QString, criterion);
        QFETCH(int, messageId);
        QFETCH(QString, shownValue1);

        TestSchema schema;
        zrSearchX search;
        answerLists(search);
        search.Init(&schema, QString(), zrSearchX::AdvancedView);
        QCOMPARE(search.CurrentView(), QStringLiteral("advanced"));
        QAbstractItemModelTester tester(search.advancedPanel());
        const bool added = addAdvanced(search, criterion);
        QCOMPARE(added, messageId == 0);
        ItemPanelModel *panel = search.advancedPanel();
        if (messageId != 0) {
            const QString expectedMessage = messageId == 61080
            ? ReplaceParams(GetLangString(messageId), {criterion.section('|', 2, 2), criterion.section('|', 0, 0)})
            : GetLangString(messageId);
        QCOMPARE(search.message(), expectedMessage);
            // A refused criterion leaves the entries as the user left them.
            if (!criterion.section('|', 0, 0).isEmpty())
                QVERIFY(!panel->value(QStringLiteral("fields")).isNull());
            return;
        }
        QVERIFY(search.message().isEmpty());
        QAbstractItemModel *grid = search.criteriaModel();
        QCOMPARE(grid->index(0, zrSearchX::ColValue1Descr).data().toString(), shownValue1);
        QCOMPARE(grid->index(0, zrSearchX::ColField).data().toString(), criterion.section('|', 0, 0));
        QCOMPARE(grid->index(0, zrSearchX::ColOperator).data().toInt(), criterion.section('|', 1, 1).toInt());
        // The entries are emptied for the next criterion.
        QVERIFY(panel->value(QStringLiteral("fields")).isNull());
        QVERIFY(panel->value(QStringLiteral("operators")).isNull());
        QVERIFY(panel->value(QStringLiteral("value1")).isNull());
    }

    void deleteRemovesTheCurrentRow()
    {
        TestSchema schema;
        zrSearchX search;
        answerLists(search);
        search.Init(&schema, QString(), zrSearchX::AdvancedView);
        QVERIFY(addAdvanced(search, QStringLiteral("Επώνυμο|0|a|")));
        QVERIFY(addAdvanced(search, QStringLiteral("Επώνυμο|0|b|")));
        auto *grid = search.findChild<QTableView *>(QStringLiteral("gxCriteria"));
        QVERIFY(grid);
        grid->setCurrentIndex(grid->model()->index(0, zrSearchX::ColOperDescr));
        search.advancedPanel()->clickItem(QStringLiteral("delcrit"));
        QCOMPARE(search.criteriaModel()->rowCount(), 1);
        QCOMPARE(search.criteriaModel()->index(0, zrSearchX::ColValue1Descr).data().toString(), QStringLiteral("b"));
        search.Find();
        QCOMPARE(search.WhereStatement(), QStringLiteral("lastname = 'b'"));
    }

    void clearEmptiesEveryCriterion()
    {
        TestSchema schema;
        schema.students.whereText = QStringLiteral("statusID <> 3");
        zrSearchX search;
        answerLists(search);
        search.Init(&schema, QString());
        setSimple(search, QStringLiteral("lastname=Pap"));
        setSimple(search, QStringLiteral("gender=Άνδρας"));
        search.setExactMatch(true);
        QVERIFY(addAdvanced(search, QStringLiteral("Επώνυμο|0|a|")));
        search.Find();
        QVERIFY(!search.WhereStatement().isEmpty());

        QSignalSpy cleared(&search, &zrSearchX::Cleared);
        search.buttonsPanel()->clickItem(QStringLiteral("clear"));
        QCOMPARE(cleared.count(), 1);
        QVERIFY(search.WhereStatement().isEmpty());
        QVERIFY(!search.isExactMatch());
        QCOMPARE(search.criteriaModel()->rowCount(), 0);
        QVERIFY(search.fieldsPanel()->value(QStringLiteral("lastname")).isNull());
        QVERIFY(search.fieldsPanel()->value(QStringLiteral("gender")).isNull());
        search.Find();
        QCOMPARE(search.WhereStatement(), QStringLiteral("statusID <> 3"));
    }

    void andOrItemNamesTheCombination()
    {
        zrSearchX search;
        ItemPanelModel *buttons = search.buttonsPanel();
        QCOMPARE(buttons->caption(QStringLiteral("andor")), GetLangString(20062).remove(QLatin1Char('&')));
        QVERIFY(search.isAndCombination());
        buttons->clickItem(QStringLiteral("andor"));
        QVERIFY(!search.isAndCombination());
        QCOMPARE(buttons->caption(QStringLiteral("andor")), ReplaceParams(GetLangString(20331), {GetLangString(20333)}));
        buttons->clickItem(QStringLiteral("andor"));
        QCOMPARE(buttons->caption(QStringLiteral("andor")), ReplaceParams(GetLangString(20331), {GetLangString(20332)}));
    }

    void keysRunCommands_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("searches");
        QTest::addColumn<int>("clears");

        QTest::newRow("F3 finds") << int(Qt::Key_F3) << int(Qt::NoModifier) << 1 << 0;
        QTest::newRow("Alt+A finds") << int(Qt::Key_A) << int(Qt::AltModifier) << 1 << 0;
        QTest::newRow("Alt+K clears") << int(Qt::Key_K) << int(Qt::AltModifier) << 0 << 1;
        QTest::newRow("plain A is typing") << int(Qt::Key_A) << int(Qt::NoModifier) << 0 << 0;
    }

    void keysRunCommands()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, searches);
        QFETCH(int, clears);

        TestSchema schema;
        zrSearchX search;
        answerLists(search);
        search.Init(&schema, QString());
        search.show();
        search.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&search));
        QWidget *fields = search.findChild<QWidget *>(QStringLiteral("smFields"));
        QVERIFY(fields);
        fields->setFocus();
        int searched = 0;
        connect(&search, &zrSearchX::Search, &search, [&](QString &) { ++searched; });
        QSignalSpy cleared(&search, &zrSearchX::Cleared);
        QTest::keyClick(fields, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(searched, searches);
        QCOMPARE(cleared.count(), clears);
    }

    void listSourcesComeFromTheContainer_data()
    {
        QTest::addColumn<QString>("listSource");
        QTest::addColumn<QString>("expectedSource");
        QTest::addColumn<bool>("expectedQuery");

        QTest::newRow("named recordset") << "RECORDSET:SYS_StudentStatus" << "SYS_StudentStatus" << false;
        QTest::newRow("query") << "select statusID, statusdescr from SYS_StudentStatus"
                               << "select statusID, statusdescr from SYS_StudentStatus" << true;
    }

    void listSourcesComeFromTheContainer()
    {
        QFETCH(QString, listSource);
        QFETCH(QString, expectedSource);
        QFETCH(bool, expectedQuery);

        TestSchema schema;
        schema.students.columns[4].listSource = listSource;
        zrSearchX search;
        QStringList sources;
        bool query = !expectedQuery;
        connect(&search, &zrSearchX::ListSourceRequest, &search,
                [&](bool &, const QString &source, Recordset &result, bool isQuery) {
                    sources << source;
                    query = isQuery;
                    result = statusList();
                });
        search.Init(&schema, QString());
        QCOMPARE(sources, QStringList{expectedSource});
        QCOMPARE(query, expectedQuery);
        const QStringList captions = search.fieldsPanel()
                                         ->data(search.fieldsPanel()->indexOf(QStringLiteral("statusID")),
                                                ItemPanelModel::ChoiceCaptionsRole)
                                         .toStringList();
        QCOMPARE(captions, (QStringList{QString(), "Ενεργός", "Σε αναστολή", "Διαγραμμένος"}));
    }

    void initFailsWithSchemaError_data()
    {
        QTest::addColumn<bool>("withSchema");
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("listThrows");

        QTest::newRow("no schema") << false << "v_students" << false;
        QTest::newRow("unknown table") << true << "v_nothing" << false;
        QTest::newRow("list request fails") << true << "v_students" << true;
    }

    void initFailsWithSchemaError()
    {
        QFETCH(bool, withSchema);
        QFETCH(QString, table);
        QFETCH(bool, listThrows);

        TestSchema schema;
        zrSearchX search;
        connect(&search, &zrSearchX::ListSourceRequest, &search, [&](bool &, const QString &, Recordset &result, bool) {
            if (listThrows)
                throw ZrError(462, QStringLiteral("cDepartment"), QStringLiteral("server gone"));
            result = statusList();
        });
        try {
            search.Init(withSchema ? &schema : nullptr, table);
            QFAIL("Init succeeded");
        } catch (const ZrError &error) {
            QCOMPARE(error.number, 30021);
            QCOMPARE(error.source, QStringLiteral("zrSearch.Init"));
            QCOMPARE(error.description, GetLangString(20330));
        }
    }
};

QTEST_MAIN(TestZrSearchX)
#include "tst_zrsearchx.moc"
