#include "common/itempanelmodel.h"
#include "common/langstrings.h"
#include "common/recordsetmodel.h"
#include "common/recordsetutils.h"
#include "common/zrerror.h"

#include <QComboBox>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QtTest>

using namespace zr;

namespace {

// A source as the server hands it over: keys, texts, system columns with
// values, a chapter, a precision, and one deleted row that must not be copied.
Recordset sourceRows()
{
    Field grade = makeField(QStringLiteral("grade"), adNumeric, 19, adFldUpdatable, 5);
    Recordset rs({makeField(QStringLiteral("ID"), adInteger, 4, adFldKeyColumn),
                  makeField(QStringLiteral("a"), adVarWChar, 10),
                  makeField(QStringLiteral("b"), adVarWChar, 10),
                  makeField(QStringLiteral("RowGuid"), adVarWChar, 38),
                  makeField(QStringLiteral("ModifiedDate"), adDate),
                  makeField(QStringLiteral("kids"), adChapter),
                  grade,
                  makeField(QStringLiteral("title"), adVarWChar, 100)});
    const char *titles[] = {"Άλγεβρα", "Ανάλυση", "Φυσική", "Σβησμένο"};
    for (int i = 0; i < 4; ++i) {
        rs.addNew();
        rs.setValue(u"ID", i + 1);
        rs.setValue(u"a", QStringLiteral("a%1").arg(i + 1));
        rs.setValue(u"b", i == 1 ? QVariant() : QVariant(QStringLiteral("b%1").arg(i + 1)));
        rs.setValue(u"RowGuid", QStringLiteral("{0000-%1}").arg(i));
        rs.setValue(u"ModifiedDate", QDateTime(QDate(2024, 1, 1), QTime(12, 0)));
        rs.setChapter(u"kids", Recordset({makeField(QStringLiteral("x"), adInteger)}));
        rs.setValue(u"grade", 7.5 + i);
        rs.setValue(u"title", QString::fromUtf8(titles[i]));
    }
    rs.updateBatch();
    rs.deleteCurrent();
    rs.moveFirst();
    return rs;
}

QStringList namesOf(const Recordset &rs)
{
    QStringList names;
    for (const Field &f : rs.fields())
        names << f.name;
    return names;
}

QStringList column(Recordset rs, const QString &field)
{
    QStringList out;
    Recordset walker = rs.clone();
    for (walker.moveFirst(); !walker.eof(); walker.moveNext())
        out << (walker.value(field).isNull() ? QStringLiteral("<null>") : walker.value(field).toString());
    return out;
}

Recordset groups()
{
    Recordset rs({makeField(QStringLiteral("dgID"), adInteger), makeField(QStringLiteral("groupID"), adVarWChar, 10),
                  makeField(QStringLiteral("dgname"), adVarWChar, 50), makeField(QStringLiteral("code"), adVarWChar, 10)});
    const struct { int id; const char *group; const char *name; const char *code; } rows[] = {
        {1, "Α1", "Υποχρεωτικά", "ΠΛΗ10"}, {2, "Β2", "Επιλογής", "O'K"}, {3, "Γ3", nullptr, "010"},
        {10, "Δ10", "Ελεύθερα", "10"}, {4, "Ε4", "Σβησμένη", "X"}};
    for (const auto &r : rows) {
        rs.addNew();
        rs.setValue(u"dgID", r.id);
        rs.setValue(u"groupID", QString::fromUtf8(r.group));
        rs.setValue(u"dgname", r.name ? QVariant(QString::fromUtf8(r.name)) : QVariant());
        rs.setValue(u"code", QString::fromUtf8(r.code));
    }
    rs.updateBatch();
    rs.deleteCurrent();
    rs.moveFirst();
    return rs;
}

} // namespace

class tst_RecordsetUtils : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void isSystemField_data();
    void isSystemField();
    void isRsEmpty();
    void duplicateLeavesOutNamedFields_data();
    void duplicateLeavesOutNamedFields();
    void duplicateCopiesValuesButNotSystemFields();
    void duplicateOfEmptyOrNothing();
    void copyRecordsetModes_data();
    void copyRecordsetModes();
    void copyRecordsetIntoTargetMissingAField();
    void listTextToRecordset_data();
    void listTextToRecordset();
    void formatRecord_data();
    void formatRecord();
    void joinRecordTexts_data();
    void joinRecordTexts();
    void describeIdList_data();
    void describeIdList();
    void selectedRowsOfGrid_data();
    void selectedRowsOfGrid();
    void fillChoices_data();
    void fillChoices();
    void selectChoice_data();
    void selectChoice();
    void fillCombo_data();
    void fillCombo();
    void loadColumn();
    void conversions_data();
    void conversions();
};

void tst_RecordsetUtils::isSystemField_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("system");
    QTest::newRow("AltKey") << "AltKey" << true;
    QTest::newRow("case matters") << "rowguid" << false;
    QTest::newRow("longer name") << "AltIDs" << false;
    QTest::newRow("empty") << "" << false;
}

void tst_RecordsetUtils::isSystemField()
{
    QFETCH(QString, name);
    QFETCH(bool, system);
    QCOMPARE(IsSystemField(name), system);
}

void tst_RecordsetUtils::isRsEmpty()
{
    QVERIFY(IsRsEmpty(Recordset()));
    Recordset rs({makeField(QStringLiteral("a"), adInteger)});
    QVERIFY(IsRsEmpty(rs));
    rs.addNew();
    QVERIFY(!IsRsEmpty(rs));
    rs.setFilter(QStringLiteral("a = 1"));
    QVERIFY(IsRsEmpty(rs));
    rs.setFilter(QString());
    rs.deleteCurrent();
    QVERIFY(IsRsEmpty(rs));
}

void tst_RecordsetUtils::duplicateLeavesOutNamedFields_data()
{
    QTest::addColumn<QString>("leaveOut");
    QTest::addColumn<QStringList>("fields");
    const QStringList all{"ID", "a", "b", "RowGuid", "ModifiedDate", "grade", "title"};
    QTest::newRow("nothing left out, chapter dropped") << "" << all;
    QTest::newRow("a and b, each followed by a comma") << "a,b," << QStringList{"ID", "RowGuid", "ModifiedDate", "grade", "title"};
    QTest::newRow("without the final comma only a") << "a,b" << QStringList{"ID", "b", "RowGuid", "ModifiedDate", "grade", "title"};
    QTest::newRow("names are exact") << "A,TITLE," << all;
    QTest::newRow("a part of a name is not the name") << "itl,rad," << all;
    QTest::newRow("system field can be left out") << "RowGuid," << QStringList{"ID", "a", "b", "ModifiedDate", "grade", "title"};
}

void tst_RecordsetUtils::duplicateLeavesOutNamedFields()
{
    QFETCH(QString, leaveOut);
    QFETCH(QStringList, fields);
    const Recordset copy = CreateRSDuplicate(sourceRows(), leaveOut);
    QVERIFY(!copy.isNull());
    QCOMPARE(namesOf(copy), fields);
}

void tst_RecordsetUtils::duplicateCopiesValuesButNotSystemFields()
{
    Recordset source = sourceRows();
    Recordset copy = CreateRSDuplicate(source);
    QVERIFY(source.eof()); // the source is walked to its end
    QVERIFY(!copy.sharesRowsWith(source));
    QCOMPARE(column(copy, QStringLiteral("title")), (QStringList{"Άλγεβρα", "Ανάλυση", "Φυσική"}));
    QCOMPARE(column(copy, QStringLiteral("b")), (QStringList{"b1", "<null>", "b3"}));
    QCOMPARE(column(copy, QStringLiteral("RowGuid")), (QStringList{"<null>", "<null>", "<null>"}));
    QCOMPARE(column(copy, QStringLiteral("ModifiedDate")), (QStringList{"<null>", "<null>", "<null>"}));
    QCOMPARE(column(copy, QStringLiteral("grade")), (QStringList{"7.5", "8.5", "9.5"}));

    const Field id = copy.field(copy.fieldIndex(u"ID"));
    QCOMPARE(id.type, int(adInteger));
    QCOMPARE(id.definedSize, 4);
    QCOMPARE(id.attributes, 96);
    const Field grade = copy.field(copy.fieldIndex(u"grade"));
    QCOMPARE(grade.precision, 5);
    QCOMPARE(grade.attributes, 96);

    copy.moveFirst();
    QCOMPARE(copy.status(), Recordset::adRecNew);
    // A filtered source gives its visible rows only.
    source.setFilter(QStringLiteral("ID >= 2"));
    QCOMPARE(CreateRSDuplicate(source).recordCount(), 2);
}

void tst_RecordsetUtils::duplicateOfEmptyOrNothing()
{
    Recordset source = sourceRows();
    source.setFilter(QStringLiteral("ID = 99"));
    const Recordset copy = CreateRSDuplicate(source);
    QVERIFY(!copy.isNull());
    QCOMPARE(copy.recordCount(), 0);
    QCOMPARE(copy.fieldCount(), 7);

    RecordError(0, QString(), QString(), false);
    QVERIFY(CreateRSDuplicate(Recordset()).isNull());
    QCOMPARE(LastError().source, QStringLiteral("CreateRSDuplicate"));
    QCOMPARE(LastError().number, int(Recordset::ErrNothing));
}

void tst_RecordsetUtils::copyRecordsetModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("emptySource");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<int>("status");

    QTest::newRow("all rows") << 0 << false << QStringList{"Άλγεβρα", "Ανάλυση", "Φυσική"}
                              << int(Recordset::adRecUnmodified);
    QTest::newRow("all rows of none") << 0 << true << QStringList{} << 0;
    QTest::newRow("structure only") << 1 << false << QStringList{} << 0;
    QTest::newRow("current row") << 2 << false << QStringList{"Ανάλυση"} << int(Recordset::adRecNew);
    QTest::newRow("current row of none adds a blank row") << 2 << true << QStringList{"<null>"}
                                                          << int(Recordset::adRecNew);
}

void tst_RecordsetUtils::copyRecordsetModes()
{
    QFETCH(int, mode);
    QFETCH(bool, emptySource);
    QFETCH(QStringList, titles);
    QFETCH(int, status);

    Recordset source = sourceRows();
    if (emptySource)
        source.setFilter(QStringLiteral("ID = 99"));
    else
        source.moveNext(); // current: the second row
    Recordset target;
    CopyRecordset(source, target, qint16(mode), {QStringLiteral("sel"), QStringLiteral("cnt")},
                  {int(adBoolean), int(adCurrency)}, {2, 8});
    QVERIFY(!target.isNull());
    QCOMPARE(namesOf(target), (QStringList{"ID", "a", "b", "RowGuid", "ModifiedDate", "grade", "title", "sel", "cnt"}));
    const Field sel = target.field(target.fieldIndex(u"sel"));
    QCOMPARE(sel.type, int(adBoolean));
    QCOMPARE(sel.definedSize, 2);
    QCOMPARE(sel.attributes, 100);
    QCOMPARE(column(target, QStringLiteral("title")), titles);
    QCOMPARE(column(target, QStringLiteral("RowGuid")), QStringList(titles.size(), QStringLiteral("<null>")));
    if (mode == 0) {
        QCOMPARE(target.absolutePosition(), titles.isEmpty() ? int(Recordset::PosUnknown) : 1);
        QVERIFY(!target.hasPendingChanges());
        QVERIFY(source.eof());
    }
    if (!titles.isEmpty())
        QCOMPARE(int(target.status()), status);

    // Copying again appends to the existing target with its own fields.
    const int before = target.recordCount();
    CopyRecordset(source, target, qint16(mode));
    QCOMPARE(target.fieldCount(), 9);
    QCOMPARE(target.recordCount(), before + (mode == 1 ? 0 : titles.size()));
}

void tst_RecordsetUtils::copyRecordsetIntoTargetMissingAField()
{
    Recordset source = sourceRows();
    Recordset target({makeField(QStringLiteral("ID"), adInteger)});
    RecordError(0, QString(), QString(), false);
    CopyRecordset(source, target, CopyAllRows);
    QCOMPARE(LastError().source, QStringLiteral("CopyRecordset"));
    QVERIFY2(LastError().description.contains(QLatin1String("'a'")), qPrintable(LastError().description));
    QCOMPARE(target.recordCount(), 0);
}

void tst_RecordsetUtils::listTextToRecordset_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QStringList>("descriptions");

    QTest::newRow("yes/no") << "TEXT:1;Ναι;0;Όχι" << ";" << false << QStringList{"1", "0"}
                            << QStringList{"Ναι", "Όχι"};
    QTest::newRow("without prefix") << "1;Ναι;0;Όχι" << ";" << false << QStringList{"1", "0"}
                                    << QStringList{"Ναι", "Όχι"};
    QTest::newRow("odd item count") << "TEXT:1;Ναι;0" << ";" << false << QStringList{"1", "0"}
                                    << QStringList{"Ναι", "<null>"};
    QTest::newRow("empty list") << "TEXT:" << ";" << false << QStringList{} << QStringList{};
    QTest::newRow("other delimiter, blanks kept") << "a| A |b|B" << "|" << false << QStringList{"a", "b"}
                                                  << QStringList{" A ", "B"};
    QTest::newRow("prefix only at the start") << "x;TEXT:" << ";" << false << QStringList{"x"}
                                              << QStringList{"TEXT:"};
    QTest::newRow("numeric ids") << "TEXT:1;a;-2;b" << ";" << true << QStringList{"1", "-2"}
                                 << QStringList{"a", "b"};
}

void tst_RecordsetUtils::listTextToRecordset()
{
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(bool, numeric);
    QFETCH(QStringList, ids);
    QFETCH(QStringList, descriptions);

    const Recordset rs = ListTextToRecordset(text, QStringLiteral("ID"), QStringLiteral("descr"), delimiter, numeric);
    QCOMPARE(namesOf(rs), (QStringList{"ID", "descr"}));
    QCOMPARE(column(rs, QStringLiteral("ID")), ids);
    QCOMPARE(column(rs, QStringLiteral("descr")), descriptions);
    // The search control filters such lists by number and by text.
    if (!ids.isEmpty()) {
        Recordset cl = rs.clone();
        cl.setFilter(QStringLiteral("ID = '%1'").arg(ids.last()));
        QCOMPARE(cl.recordCount(), 1);
    }
}

void tst_RecordsetUtils::formatRecord_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    QTest::newRow("field name") << "title" << "Άλγεβρα";
    QTest::newRow("field name ignores case") << "TITLE" << "Άλγεβρα";
    QTest::newRow("NULL field") << "b" << "";
    QTest::newRow("two fields with a dash") << "%a%-%title%" << "a1-Άλγεβρα";
    QTest::newRow("NULL leaves nothing") << "%a%-%b%" << "a1-";
    QTest::newRow("group template") << "[%ID%] %title%" << "[1] Άλγεβρα";
    QTest::newRow("number") << "%grade%" << "7.5";
    QTest::newRow("repeated field") << "%a%/%a%" << "a1/a1";
    QTest::newRow("unknown name stays") << "%nosuch% %a%" << "%nosuch% a1";
    QTest::newRow("tokens are exact") << "%Title%" << "%Title%";
    QTest::newRow("chapter is empty") << "<%kids%>" << "<>";
    QTest::newRow("lone percent") << "100% %a%" << "100% a1";
}

void tst_RecordsetUtils::formatRecord()
{
    QFETCH(QString, format);
    QFETCH(QString, text);
    Recordset rs = sourceRows();
    rs.setValue(u"b", QVariant());
    QCOMPARE(FormatRecord(rs, format), text);
}

void tst_RecordsetUtils::joinRecordTexts_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("enclose");
    QTest::addColumn<bool>("isTemplate");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("joined");

    QTest::newRow("field enclosed") << "a" << "'" << false << "," << "" << "'a1','a2','a3'";
    QTest::newRow("field with NULL") << "b" << "" << false << ", " << "" << "b1, , b3";
    QTest::newRow("template") << "%ID%:%a%" << "" << true << ";" << "" << "1:a1;2:a2;3:a3";
    QTest::newRow("trailing blank NULL trimmed") << "b" << "" << false << " " << "ID >= 2" << "b3";
    QTest::newRow("one row") << "title" << "" << false << "," << "ID = 3" << "Φυσική";
    QTest::newRow("no rows") << "title" << "'" << false << "," << "ID = 9" << "";
}

void tst_RecordsetUtils::joinRecordTexts()
{
    QFETCH(QString, format);
    QFETCH(QString, enclose);
    QFETCH(bool, isTemplate);
    QFETCH(QString, separator);
    QFETCH(QString, filter);
    QFETCH(QString, joined);

    Recordset source = sourceRows();
    Recordset rs = source.clone();
    rs.setFilter(filter);
    // The routine walks all rows of a clone; its caller passes the filtered rows it wants.
    Recordset view = CreateRSDuplicate(rs);
    view.moveFirst();
    QCOMPARE(JoinRecordTexts(view, format, enclose, isTemplate, separator), joined);
    QCOMPARE(view.absolutePosition(), view.isEmpty() ? int(Recordset::PosUnknown) : 1);
}

void tst_RecordsetUtils::describeIdList_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("codes");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<QString>("text");

    QTest::newRow("names in code order") << "dgID" << "dgname" << "10,1" << true << "Ελεύθερα,Υποχρεωτικά";
    QTest::newRow("unknown codes skipped") << "dgID" << "dgname" << "1,99,2" << true << "Υποχρεωτικά,Επιλογής";
    QTest::newRow("group template") << "dgID" << "[%groupID%] %dgname%" << "1,10" << true
                                    << "[Α1] Υποχρεωτικά,[Δ10] Ελεύθερα";
    QTest::newRow("template with NULL") << "dgID" << "[%groupID%] %dgname%" << "3" << true << "[Γ3] ";
    QTest::newRow("NULL text keeps its place") << "dgID" << "dgname" << "3,1" << true << ",Υποχρεωτικά";
    QTest::newRow("deleted row not found") << "dgID" << "dgname" << "4" << true << "";
    QTest::newRow("blank codes skipped") << "dgID" << "dgname" << "1,,2," << true << "Υποχρεωτικά,Επιλογής";
    QTest::newRow("empty list") << "dgID" << "dgname" << "" << true << "";
    QTest::newRow("text codes") << "code" << "groupID" << "ΠΛΗ10,O'K" << false << "Α1,Β2";
    QTest::newRow("text codes are exact") << "code" << "groupID" << "10" << false << "Δ10";
    QTest::newRow("numeric codes on text keys") << "code" << "groupID" << "10" << true << "Γ3";
}

void tst_RecordsetUtils::describeIdList()
{
    QFETCH(QString, key);
    QFETCH(QString, format);
    QFETCH(QString, codes);
    QFETCH(bool, numeric);
    QFETCH(QString, text);

    Recordset rs = groups();
    rs.moveLast();
    const Recordset::Bookmark at = rs.bookmark();
    QCOMPARE(DescribeIdList(rs, key, format, codes, QString(), numeric, format.contains(u'%'), QStringLiteral(",")),
             text);
    QCOMPARE(rs.bookmark(), at);
    QVERIFY(!rs.isFiltered());
}

void tst_RecordsetUtils::selectedRowsOfGrid_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("sorted");
    QTest::addColumn<QList<int>>("select");
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("titles");

    using L = QList<int>;
    const int extended = QAbstractItemView::ExtendedSelection;
    const int single = QAbstractItemView::SingleSelection;
    QTest::newRow("several rows, table order") << extended << false << L{2, 0} << -1
                                               << QStringList{"Άλγεβρα", "Φυσική"};
    QTest::newRow("several, none selected") << extended << false << L{} << 1 << QStringList{};
    QTest::newRow("single: the current row") << single << false << L{} << 1 << QStringList{"Ανάλυση"};
    QTest::newRow("single: no current row") << single << false << L{} << -1 << QStringList{};
    QTest::newRow("through a sorting proxy") << extended << true << L{0} << -1 << QStringList{"Φυσική"};
}

void tst_RecordsetUtils::selectedRowsOfGrid()
{
    QFETCH(int, mode);
    QFETCH(bool, sorted);
    QFETCH(QList<int>, select);
    QFETCH(int, current);
    QFETCH(QStringList, titles);

    Recordset rs = sourceRows();
    rs.moveNext();
    const Recordset::Bookmark at = rs.bookmark();
    RecordsetModel model;
    model.setRecordset(rs);
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    proxy.sort(0, Qt::DescendingOrder);
    QTableView grid;
    grid.setModel(sorted ? static_cast<QAbstractItemModel *>(&proxy) : &model);
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    grid.setSelectionMode(QAbstractItemView::SelectionMode(mode));
    if (current >= 0)
        grid.selectionModel()->setCurrentIndex(grid.model()->index(current, 0), QItemSelectionModel::NoUpdate);
    for (int row : select)
        grid.selectionModel()->select(grid.model()->index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);

    const Recordset picked = GetSelectedRows(&grid);
    QCOMPARE(picked.isNull(), titles.isEmpty());
    if (!titles.isEmpty()) {
        QVERIFY(!picked.sharesRowsWith(rs));
        QCOMPARE(column(picked, QStringLiteral("title")), titles);
    }
    QCOMPARE(rs.bookmark(), at);
    QVERIFY(!rs.isFiltered());
}

void tst_RecordsetUtils::fillChoices_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QVariant>("select");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QString>("value");

    QTest::newRow("one choice per row") << int(FillNoFlags) << QVariant() << QStringList{"K1", "K2", "K3", "K10"}
                                        << QStringList{"Υποχρεωτικά", "Επιλογής", "", "Ελεύθερα"} << "";
    QTest::newRow("selects the key") << int(FillNoFlags) << QVariant(QStringLiteral("10"))
                                     << QStringList{"K1", "K2", "K3", "K10"}
                                     << QStringList{"Υποχρεωτικά", "Επιλογής", "", "Ελεύθερα"} << "K10";
    QTest::newRow("browse last") << int(FillAddBrowse) << QVariant(QStringLiteral("2"))
                                 << QStringList{"K1", "K2", "K3", "K10", "browse"}
                                 << QStringList{"Υποχρεωτικά", "Επιλογής", "", "Ελεύθερα", GetLangString(20034)}
                                 << "K2";
}

void tst_RecordsetUtils::fillChoices()
{
    QFETCH(int, flags);
    QFETCH(QVariant, select);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, captions);
    QFETCH(QString, value);

    ItemPanelModel panel;
    QVERIFY(panel.addItem(QStringLiteral("I-2,conoptval1"), QStringLiteral("Ομάδα"), ItemStyle::ChoiceRow));
    Recordset rs = groups();
    rs.moveLast();
    FillChoices(&panel, QStringLiteral("I-2,conoptval1"), rs, QStringLiteral("dgID"), QStringLiteral("dgname"),
                select, flags);
    QCOMPARE(panel.keys(QStringLiteral("I-2,conoptval1")), keys);
    QStringList shown;
    for (const QString &k : keys)
        shown << panel.choiceCaption(QStringLiteral("I-2,conoptval1"), k);
    QCOMPARE(shown, captions);
    QCOMPARE(panel.value(QStringLiteral("I-2,conoptval1")).toString(), value);
    QCOMPARE(rs.absolutePosition(), 4); // walked on a clone

    // An empty recordset adds nothing, not even "browse".
    ItemPanelModel empty;
    empty.addItem(QStringLiteral("r"), QString(), ItemStyle::ChoiceRow);
    rs.setFilter(QStringLiteral("dgID = 99"));
    FillChoices(&empty, QStringLiteral("r"), rs, QStringLiteral("dgID"), QStringLiteral("dgname"), {}, FillAddBrowse);
    QCOMPARE(empty.count(QStringLiteral("r")), 0);
}

void tst_RecordsetUtils::selectChoice_data()
{
    QTest::addColumn<QVariant>("key");
    QTest::addColumn<QVariant>("second");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("value");

    const QVariant none;
    QTest::newRow("text key") << QVariant(QStringLiteral("5")) << none << true << "K5";
    QTest::newRow("number is a position") << QVariant(2) << none << true << "K5";
    QTest::newRow("missing key") << QVariant(QStringLiteral("9")) << none << false << "";
    QTest::newRow("position past the end") << QVariant(4) << none << false << "";
    QTest::newRow("second key") << QVariant(QStringLiteral("9")) << QVariant(QStringLiteral("-1")) << true << "K-1";
    QTest::newRow("second key as position") << QVariant(QStringLiteral("9")) << QVariant(1) << true << "K1";
    QTest::newRow("both missing") << QVariant(QStringLiteral("9")) << QVariant(QStringLiteral("8")) << false << "";
    QTest::newRow("null key") << none << none << false << "";
}

void tst_RecordsetUtils::selectChoice()
{
    QFETCH(QVariant, key);
    QFETCH(QVariant, second);
    QFETCH(bool, selected);
    QFETCH(QString, value);

    ItemPanelModel panel;
    panel.addItem(QStringLiteral("row"), QString(), ItemStyle::ChoiceRow);
    const Recordset list = ListTextToRecordset(QStringLiteral("TEXT:1;Ένα;5;Πέντε;-1;Όλοι"), QStringLiteral("ID"),
                                               QStringLiteral("descr"), QStringLiteral(";"));
    FillChoices(&panel, QStringLiteral("row"), list, QStringLiteral("ID"), QStringLiteral("descr"));
    QCOMPARE(SelectChoice(&panel, QStringLiteral("row"), key, second), selected);
    QCOMPARE(panel.value(QStringLiteral("row")).toString(), value);
}

void tst_RecordsetUtils::fillCombo_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("selectFirst");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<int>("index");

    QTest::newRow("rows, first selected") << "" << true << QStringList{"Υποχρεωτικά", "Επιλογής", "", "Ελεύθερα"}
                                          << QList<int>{1, 2, 3, 10} << 0;
    QTest::newRow("rows, none selected") << "dgID >= 3" << false << QStringList{"", "Ελεύθερα"} << QList<int>{3, 10}
                                         << -1;
    QTest::newRow("no rows") << "dgID = 99" << true << QStringList{} << QList<int>{} << -1;
}

void tst_RecordsetUtils::fillCombo()
{
    QFETCH(QString, filter);
    QFETCH(bool, selectFirst);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, ids);
    QFETCH(int, index);

    QComboBox combo;
    combo.addItem(QStringLiteral("stale"));
    Recordset rs = groups();
    rs.setFilter(filter);
    FillCombo(&combo, rs, QStringLiteral("dgname"), QStringLiteral("dgID"), selectFirst);
    QStringList shown;
    QList<int> data;
    for (int i = 0; i < combo.count(); ++i) {
        shown << combo.itemText(i);
        QCOMPARE(combo.itemData(i).typeId(), int(QMetaType::Int));
        data << combo.itemData(i).toInt();
    }
    QCOMPARE(shown, texts);
    QCOMPARE(data, ids);
    QCOMPARE(combo.currentIndex(), index);
}

void tst_RecordsetUtils::loadColumn()
{
    ColumnValueList list;
    list.append(QStringLiteral("old"), QStringLiteral("old"));
    GRD_LoadColumn(list, QStringLiteral("dgID"), QStringLiteral("dgname"), groups());
    QCOMPARE(list.size(), 4);
    QCOMPARE(list.text(10), QStringLiteral("Ελεύθερα"));
    QCOMPARE(list.text(QStringLiteral("10")), QStringLiteral("Ελεύθερα"));
    QCOMPARE(list.text(3, QStringLiteral("?")), QString());
    QCOMPARE(list.text(4, QStringLiteral("?")), QStringLiteral("?")); // deleted row
    QCOMPARE(list.text(QVariant(), QStringLiteral("?")), QStringLiteral("?"));

    RecordError(0, QString(), QString(), false);
    GRD_LoadColumn(list, QStringLiteral("dgID"), QStringLiteral("nosuch"), groups());
    QCOMPARE(LastError().source, QStringLiteral("GRD_LoadColumn"));
    QCOMPARE(list.size(), 0);
}

void tst_RecordsetUtils::conversions_data()
{
    QTest::addColumn<QString>("routine");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QVariant>("output");

    const QVariant null;
    QTest::newRow("ValLng half to even down") << "ValLng" << QVariant(2.5) << QVariant(2);
    QTest::newRow("ValLng half to even up") << "ValLng" << QVariant(3.5) << QVariant(4);
    QTest::newRow("ValLng negative text") << "ValLng" << QVariant(QStringLiteral(" -7 ")) << QVariant(-7);
    QTest::newRow("ValLng word") << "ValLng" << QVariant(QStringLiteral("abc")) << QVariant(0);
    QTest::newRow("ValLng NULL") << "ValLng" << null << QVariant(0);
    QTest::newRow("ValLng true") << "ValLng" << QVariant(true) << QVariant(-1);
    QTest::newRow("ValLng out of range") << "ValLng" << QVariant(3e10) << QVariant(0);
    QTest::newRow("ValCur four decimals") << "ValCur" << QVariant(1.23456) << QVariant(1.2346);
    QTest::newRow("ValCur text") << "ValCur" << QVariant(QStringLiteral("2.5")) << QVariant(2.5);
    QTest::newRow("ValCur word") << "ValCur" << QVariant(QStringLiteral("x")) << QVariant(0.0);
    QTest::newRow("ValCur NULL") << "ValCur" << null << QVariant(0.0);
    QTest::newRow("NzStr NULL") << "NzStr" << null << QVariant(QString());
    QTest::newRow("NzStr number") << "NzStr" << QVariant(5) << QVariant(QStringLiteral("5"));
    QTest::newRow("NzStr double") << "NzStr" << QVariant(0.1) << QVariant(QStringLiteral("0.1"));
    QTest::newRow("EmptyToNull empty") << "EmptyToNull" << QVariant(QString()) << null;
    QTest::newRow("EmptyToNull blank stays") << "EmptyToNull" << QVariant(QStringLiteral(" ")) << QVariant(QStringLiteral(" "));
    QTest::newRow("EmptyToNull zero stays") << "EmptyToNull" << QVariant(0) << QVariant(0);
    QTest::newRow("EmptyToNull NULL") << "EmptyToNull" << null << null;
}

void tst_RecordsetUtils::conversions()
{
    QFETCH(QString, routine);
    QFETCH(QVariant, input);
    QFETCH(QVariant, output);

    QVariant got;
    if (routine == QLatin1String("ValLng"))
        got = ValLng(input);
    else if (routine == QLatin1String("ValCur"))
        got = ValCur(input);
    else if (routine == QLatin1String("NzStr"))
        got = NzStr(input);
    else
        got = EmptyToNull(input);
    QCOMPARE(got.isNull(), output.isNull());
    if (!output.isNull()) {
        QCOMPARE(got.metaType(), output.metaType());
        QCOMPARE(got, output);
    }
}

QTEST_MAIN(tst_RecordsetUtils)
#include "tst_recordsetutils.moc"
