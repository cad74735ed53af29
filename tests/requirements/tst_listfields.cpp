#include "../datafile.h"
#include "recordset/lookupcache.h"

#include <QtTest>

using namespace zr;

// Which fields of a code table's answer hold the code and its name.
class tst_ListFields : public QObject
{
    Q_OBJECT

    static Recordset listOf(const QStringList &names)
    {
        QList<Field> fields;
        for (const QString &name : names) {
            const bool number = name.endsWith(QLatin1String("ID"), Qt::CaseInsensitive) && name != u"ID";
            fields << makeField(name, number ? adInteger : adVarWChar, number ? 0 : 50);
        }
        return Recordset(fields);
    }

private Q_SLOTS:
    void idAndText_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("idHint");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("text");

        for (const QStringList &row : zr::test::dataRows(QFINDTESTDATA("data/listfields.tsv"))) {
            QTest::newRow(qPrintable(row.at(0))) << row.value(1).split(QLatin1Char(' ')) << row.value(2) << row.value(3)
                                                 << row.value(4).toInt() << row.value(5).toInt();
        }
    }

    void idAndText()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, table);
        QFETCH(QString, idHint);
        QFETCH(int, id);
        QFETCH(int, text);
        const auto found = IdAndTextFields(listOf(fields), table, idHint);
        QCOMPARE(found.first, id);
        QCOMPARE(found.second, text);
    }
};

QTEST_GUILESS_MAIN(tst_ListFields)
#include "tst_listfields.moc"
