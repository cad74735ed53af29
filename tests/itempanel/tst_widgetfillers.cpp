#include "common/langstrings.h"
#include "itempanel/itempanelmodel.h"
#include "itempanel/widgetfillers.h"
#include "recordset/recordsetmodel.h"
#include "recordset/recordsetutils.h"
#include "recordsetfixture.h"
#include "../datafile.h"

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
    void selectedRowsOfGrid_data() { zr::test::addDataRows(QFINDTESTDATA("data/widgetfillers-selected-rows-of-grid.tsv")); }
    void selectedRowsOfGrid()
    {
        QFETCH(int, mode);
        QFETCH(bool, sorted);
        QFETCH(QStringList, select);
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
        for (const QString &row : select)
            grid.selectionModel()->select(grid.model()->index(row.toInt(), 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);

        const Recordset picked = GetSelectedRows(&grid);
        QCOMPARE(picked.isNull(), titles.isEmpty());
        if (!titles.isEmpty()) {
            QVERIFY(!picked.sharesRowsWith(rs));
            QCOMPARE(column(picked, QStringLiteral("title")), titles);
        }
        QCOMPARE(rs.bookmark(), at);
    }

    void fillChoices_data() { zr::test::addDataRows(QFINDTESTDATA("data/widgetfillers-fill-choices.tsv")); }
    void fillChoices()
    {
        QFETCH(int, flags);
        QFETCH(QString, select);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, captions);
        captions.replaceInStrings(QStringLiteral("{browse}"), GetLangString(20034));
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

    void selectChoice_data() { zr::test::addDataRows(QFINDTESTDATA("data/widgetfillers-select-choice.tsv")); }
    void selectChoice()
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

    void fillCombo_data() { zr::test::addDataRows(QFINDTESTDATA("data/widgetfillers-fill-combo.tsv")); }
    void fillCombo()
    {
        QFETCH(QString, filter);
        QFETCH(bool, selectFirst);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, ids);
        QFETCH(int, index);

        QComboBox combo;
        combo.addItem(QStringLiteral("stale"));
        Recordset rs = groups();
        rs.setFilter(filter);
        FillCombo(&combo, rs, QStringLiteral("dgname"), QStringLiteral("dgID"), selectFirst);
        QStringList shown;
        QStringList data;
        for (int i = 0; i < combo.count(); ++i) {
            shown << combo.itemText(i);
            QCOMPARE(combo.itemData(i).typeId(), int(QMetaType::Int));
            data << combo.itemData(i).toString();
        }
        QCOMPARE(shown, texts);
        QCOMPARE(data, ids);
        QCOMPARE(combo.currentIndex(), index);
    }
};

QTEST_MAIN(tst_WidgetFillers)
#include "tst_widgetfillers.moc"
