#include "common/langstrings.h"
#include "itempanel/itempanelmodel.h"
#include "itempanel/widgetfillers.h"
#include "recordset/recordsetmodel.h"
#include "recordset/recordsetutils.h"
#include "recordsetfixture.h"

#include <QComboBox>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QtTest>

using namespace zr;
using namespace zr::testing;

class tst_WidgetFillers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void selectedRowsOfGrid_data();
    void selectedRowsOfGrid();
    void fillChoices_data();
    void fillChoices();
    void selectChoice_data();
    void selectChoice();
    void fillCombo_data();
    void fillCombo();
};

void tst_WidgetFillers::selectedRowsOfGrid_data()
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

void tst_WidgetFillers::selectedRowsOfGrid()
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

void tst_WidgetFillers::fillChoices_data()
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

void tst_WidgetFillers::fillChoices()
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

void tst_WidgetFillers::selectChoice_data()
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

void tst_WidgetFillers::selectChoice()
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

void tst_WidgetFillers::fillCombo_data()
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

void tst_WidgetFillers::fillCombo()
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

QTEST_MAIN(tst_WidgetFillers)
#include "tst_widgetfillers.moc"
