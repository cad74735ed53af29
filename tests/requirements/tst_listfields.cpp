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

        QTest::newRow("ID and descr win") << QStringList{"code", "ID", "name", "descr"} << "SYS_terms" << "" << 1 << 3;
        QTest::newRow("known table") << QStringList{"termID", "termShort", "termDesc"} << "SYS_terms" << "" << 0 << 2;
        // The programme key after the name must not be taken for the name.
        QTest::newRow("name before a key") << QStringList{"orID", "ordescription", "prID"} << "" << "" << 0 << 1;
        QTest::newRow("key before the name") << QStringList{"orID", "prID", "ordescription"} << "" << "" << 0 << 2;
        QTest::newRow("column names the id") << QStringList{"prdepID", "prID", "prtitle"} << "" << "prID" << 1 << 2;
        QTest::newRow("no text field") << QStringList{"orID", "prID"} << "" << "" << 0 << 1;
        QTest::newRow("single field") << QStringList{"orID"} << "" << "" << 0 << 0;
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
