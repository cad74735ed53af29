#include "../datafile.h"
#include "search/listprint.h"

#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTest>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

using namespace zr;

namespace {

// Courses: code, title, semester (a number, right-aligned as a view would show it).
std::unique_ptr<QStandardItemModel> courses()
{
    auto model = std::make_unique<QStandardItemModel>(0, 3);
    model->setHorizontalHeaderLabels({QStringLiteral("Κωδικός"), QStringLiteral("Τίτλος"), QStringLiteral("Εξάμηνο")});
    const QList<QStringList> rows = {{"ΦΥΣ101", "Μηχανική", "1"},
                                     {"ΜΑΘ201", "Ανάλυση <b>&</b> Άλγεβρα", "3"},
                                     {"ΠΛΗ110", "Προγραμματισμός", "2"},
                                     {"ΦΥΣ210", "Οπτική", "4"}};
    for (const QStringList &row : rows) {
        QList<QStandardItem *> items;
        for (const QString &text : row)
            items << new QStandardItem(text);
        items.last()->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        model->appendRow(items);
    }
    return model;
}

// The table of `document`: the heading row and each row after it as "cell|cell";
// a cell spanning the row (a group heading) as "# text".
QStringList tableRows(const QTextDocument &document, int *headerRows = nullptr)
{
    QTextTable *table = nullptr;
    for (QTextFrame *frame : document.rootFrame()->childFrames()) {
        if ((table = qobject_cast<QTextTable *>(frame)))
            break;
    }
    if (!table)
        return {};
    if (headerRows)
        *headerRows = table->format().headerRowCount();
    QStringList rows;
    for (int r = 0; r < table->rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columns();) {
            const QTextTableCell cell = table->cellAt(r, c);
            QTextCursor cursor = cell.firstCursorPosition();
            cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
            cells << (cell.columnSpan() > 1 && cell.columnSpan() == table->columns() ? QStringLiteral("# ") : QString())
                    + cursor.selectedText();
            c += qMax(1, cell.columnSpan());
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

class TestListPrint : public QObject
{
    Q_OBJECT

private slots:
    // The printed table is the list as the view shows it.
    void documentFollowsTheView_data() { zr::test::addDataRows(QFINDTESTDATA("data/listprint-document-follows-the-view.tsv")); }
    void documentFollowsTheView()
    {
        QFETCH(QString, shown);
        QFETCH(QStringList, rows);

        std::unique_ptr<QStandardItemModel> source = courses();
        QSortFilterProxyModel proxy;
        proxy.setSourceModel(source.get());
        QAbstractItemModel *model = source.get();
        QHeaderView header(Qt::Horizontal);
        header.setModel(source.get());
        QHeaderView *usedHeader = nullptr;
        if (shown == QLatin1String("header")) {
            header.setSectionHidden(1, true);
            header.moveSection(2, 0);
            usedHeader = &header;
        } else if (shown == QLatin1String("none")) {
            for (int c = 0; c < 3; ++c)
                header.setSectionHidden(c, true);
            usedHeader = &header;
        } else if (shown == QLatin1String("sorted")) {
            proxy.sort(2, Qt::DescendingOrder);
            model = &proxy;
        } else if (shown == QLatin1String("grouped")) {
            // Physics first, then the rest, each under its heading.
            QList<QList<QStandardItem *>> taken;
            for (int r = source->rowCount() - 1; r >= 0; --r)
                taken.prepend(source->takeRow(r));
            auto *physics = new QStandardItem(QStringLiteral("Τμήμα: Φυσική (2)"));
            auto *others = new QStandardItem(QStringLiteral("Τμήμα: Άλλα (2)"));
            for (int r : {0, 3})
                physics->appendRow(taken.at(r));
            for (int r : {1, 2})
                others->appendRow(taken.at(r));
            source->appendRow(physics);
            source->appendRow(others);
        } else if (shown == QLatin1String("checked")) {
            for (int r = 0; r < source->rowCount(); ++r) {
                source->item(r, 0)->setCheckable(true);
                source->item(r, 0)->setCheckState(r % 2 ? Qt::Checked : Qt::Unchecked);
            }
        }

        int headerRows = 0;
        const std::unique_ptr<QTextDocument> document = ListDocument(*model, usedHeader, QString(), QString());
        QCOMPARE(tableRows(*document, &headerRows), rows);
        if (!rows.isEmpty())
            QCOMPARE(headerRows, 1); // repeated on every page
    }

    // Values (the rows above), captions, the title and the footer are text, never markup.
    void textsAreEscaped()
    {
        std::unique_ptr<QStandardItemModel> model = courses();
        model->setHorizontalHeaderItem(0, new QStandardItem(QStringLiteral("<i>Κωδικός</i>")));
        const std::unique_ptr<QTextDocument> document =
            ListDocument(*model, nullptr, QStringLiteral("A & <B>"), QStringLiteral("<script>x</script>"));
        QCOMPARE(tableRows(*document).value(0), QStringLiteral("<i>Κωδικός</i>|Τίτλος|Εξάμηνο"));
        const QString text = document->toPlainText();
        QVERIFY(text.startsWith(QStringLiteral("A & <B>")));
        QVERIFY(text.endsWith(QStringLiteral("<script>x</script>")));
    }
};

QTEST_MAIN(TestListPrint)
#include "tst_listprint.moc"
