#include "recordset/recordsetmodel.h"
#include "../datafile.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using namespace zr;

namespace {

Recordset courses()
{
    Recordset child({makeField(QStringLiteral("x"), adInteger)});
    Recordset rs({makeField(QStringLiteral("ID"), adInteger), makeField(QStringLiteral("title"), adVarWChar, 100),
                  makeField(QStringLiteral("rows"), adChapter), makeField(QStringLiteral("sel"), adBoolean),
                  makeField(QStringLiteral("cnt"), adCurrency)});
    const char *titles[] = {"Άλγεβρα", "Ανάλυση", "Φυσική"};
    for (int i = 0; i < 3; ++i) {
        rs.addNew();
        rs.setValue(u"ID", 10 * (i + 1));
        rs.setValue(u"title", QString::fromUtf8(titles[i]));
        rs.setChapter(u"rows", child);
        rs.setValue(u"sel", i == 1);
    }
    rs.updateBatch();
    return rs;
}

} // namespace

class tst_RecordsetModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void headersFromCaptionsOrNames_data() { zr::test::addDataRows(QFINDTESTDATA("data/recordsetmodel-headers-from-captions-or-names.tsv")); }

    void headersFromCaptionsOrNames()
    {
        QFETCH(QStringList, captions);
        QFETCH(QStringList, headers);
        RecordsetModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setRecordset(courses(), captions);
        QStringList shown;
        for (int c = 0; c < model.columnCount(); ++c)
            shown << model.headerData(c, Qt::Horizontal).toString();
        QCOMPARE(shown, headers);
        QCOMPARE(model.headerData(0, Qt::Vertical).toInt(), 1);
    }

    void showsVisibleRowsWithoutChapters()
    {
        Recordset rs = courses();
        RecordsetModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setRecordset(rs);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 4);
        QCOMPARE(model.fieldOfColumn(2), rs.fieldIndex(u"sel"));
        QCOMPARE(model.columnOfField(QStringLiteral("CNT")), 3);
        QCOMPARE(model.columnOfField(QStringLiteral("rows")), -1);
        QCOMPARE(model.data(model.index(2, 1)).toString(), QStringLiteral("Φυσική"));
        QVERIFY(!model.data(model.index(0, 3)).isValid()); // NULL
        rs.setAbsolutePosition(3);
        const Recordset::Bookmark third = rs.bookmark();
        QCOMPARE(model.rowOfBookmark(third), 2);
        QCOMPARE(model.bookmarkOfRow(2), third);
        QCOMPARE(model.data(model.index(2, 0), RecordsetModel::BookmarkRole).toLongLong(), third);

        rs.setFilter(QStringLiteral("ID >= 20"));
        rs.moveLast();
        rs.deleteCurrent();
        model.refresh();
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.rowOfBookmark(third), -1);
        QCOMPARE(model.data(model.index(0, 0)).toInt(), 20);

        model.setRecordset(Recordset());
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 0);
    }

    void editsReachTheRecordset_data() { zr::test::addDataRows(QFINDTESTDATA("data/recordsetmodel-edits-reach-the-recordset.tsv")); }

    void editsReachTheRecordset()
    {
        QFETCH(bool, editable);
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(bool, accepted);

        Recordset rs = courses();
        RecordsetModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setRecordset(rs);
        model.setEditable(editable);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        const QModelIndex cell = model.index(1, column);
        const QVariant before = model.data(cell, Qt::EditRole);
        QCOMPARE(bool(model.flags(cell) & Qt::ItemIsEditable), editable);
        QCOMPARE(model.setData(cell, value), accepted);
        QCOMPARE(changed.count(), accepted ? 1 : 0);
        rs.setAbsolutePosition(2);
        if (accepted) {
            QCOMPARE(rs.value(model.fieldOfColumn(column)).toString(), value.toString());
            QCOMPARE(model.data(cell, RecordsetModel::StatusRole).toInt(), int(Recordset::adRecModified));
        } else {
            QCOMPARE(model.data(cell, Qt::EditRole), before);
            QCOMPARE(rs.status(), Recordset::adRecUnmodified);
        }
    }

    void checkColumn_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("state");
        QTest::addColumn<QVariant>("afterToggle");
        QTest::newRow("boolean true") << int(adBoolean) << QVariant(true) << int(Qt::Checked) << QVariant(false);
        QTest::newRow("boolean NULL") << int(adBoolean) << QVariant() << int(Qt::Unchecked) << QVariant(true);
        QTest::newRow("integer -1") << int(adInteger) << QVariant(-1) << int(Qt::Checked) << QVariant(0);
        QTest::newRow("integer 0") << int(adInteger) << QVariant(0) << int(Qt::Unchecked) << QVariant(-1);
        QTest::newRow("text -1") << int(adVarWChar) << QVariant(QStringLiteral("-1")) << int(Qt::Checked)
                                 << QVariant(QStringLiteral("0"));
    }

    void checkColumn()
    {
        QFETCH(int, type);
        QFETCH(QVariant, value);
        QFETCH(int, state);
        QFETCH(QVariant, afterToggle);

        Recordset rs({makeField(QStringLiteral("ID"), adInteger), makeField(QStringLiteral("sel"), type)});
        rs.addNew();
        rs.setValue(u"sel", value);
        RecordsetModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setRecordset(rs);
        model.setCheckField(QStringLiteral("SEL"));
        model.setEditable(true);
        const QModelIndex cell = model.index(0, 1);
        QCOMPARE(model.data(cell, Qt::CheckStateRole).toInt(), state);
        QVERIFY(model.flags(cell) & Qt::ItemIsUserCheckable);
        QVERIFY(!model.data(cell, Qt::CheckStateRole).isNull());
        QVERIFY(!model.data(model.index(0, 0), Qt::CheckStateRole).isValid());
        const int toggled = state == Qt::Checked ? Qt::Unchecked : Qt::Checked;
        QVERIFY(model.setData(cell, toggled, Qt::CheckStateRole));
        QCOMPARE(rs.value(u"sel"), afterToggle);
        QCOMPARE(model.data(cell, Qt::CheckStateRole).toInt(), toggled);
    }

    void valueListShowsTexts()
    {
        Recordset rs = courses();
        RecordsetModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setRecordset(rs);
        ColumnValueList kinds;
        kinds.append(QStringLiteral("10"), QStringLiteral("Υποχρεωτικό"));
        kinds.append(20, QStringLiteral("Επιλογής"));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setColumnValueList(0, kinds);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("Υποχρεωτικό"));
        QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("Επιλογής"));
        QCOMPARE(model.data(model.index(2, 0)).toInt(), 30); // no entry: the id itself
        QCOMPARE(model.data(model.index(0, 0), Qt::EditRole).toInt(), 10);
        kinds.unknownText = QStringLiteral("Άγνωστο");
        model.setColumnValueList(0, kinds);
        QCOMPARE(model.data(model.index(2, 0)).toString(), QStringLiteral("Άγνωστο"));
        QCOMPARE(model.data(model.index(2, 0), Qt::EditRole).toInt(), 30);
        // Names align as text; the bare numbers again once the list is gone.
        QVERIFY(!model.data(model.index(0, 0), Qt::TextAlignmentRole).isValid());
        model.setColumnValueList(0, ColumnValueList());
        QCOMPARE(model.data(model.index(0, 0)).toInt(), 10);
        QCOMPARE(model.data(model.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignVCenter);
    }
};

QTEST_GUILESS_MAIN(tst_RecordsetModel)
#include "tst_recordsetmodel.moc"
