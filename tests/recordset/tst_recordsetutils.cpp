#include "common/zrerror.h"
#include "../datafile.h"
#include "recordset/recordsetutils.h"
#include "recordsetfixture.h"

#include <QtTest>

using namespace zr;
using namespace zr::testing;

class tst_RecordsetUtils : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void isSystemField_data() { zr::test::addDataRows(QFINDTESTDATA("data/recordsetutils-is-system-field.tsv")); }

    void isSystemField()
    {
        QFETCH(QString, name);
        QFETCH(bool, system);
        QCOMPARE(IsSystemField(name), system);
    }

    void isRsEmpty()
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

    void duplicateLeavesOutNamedFields_data() { zr::test::addDataRows(QFINDTESTDATA("data/recordsetutils-duplicate-leaves-out-named-fields.tsv")); }

    void duplicateLeavesOutNamedFields()
    {
        QFETCH(QString, leaveOut);
        QFETCH(QStringList, fields);
        const Recordset copy = CreateRSDuplicate(sourceRows(), leaveOut);
        QVERIFY(!copy.isNull());
        QCOMPARE(namesOf(copy), fields);
    }

    void duplicateCopiesValuesButNotSystemFields()
    {
        Recordset source = sourceRows();
        Recordset copy = CreateRSDuplicate(source);
        QVERIFY(source.eof()); // the source is walked to its end
        QVERIFY(!copy.sharesRowsWith(source));
        QCOMPARE(column(copy, QStringLiteral("title")), (QStringList{"Άλγεβρα", "Ανάλυση", "Φυσική"}));
        QCOMPARE(column(copy, QStringLiteral("b")), (QStringList{"b1", "<null>", "b3"}));
        QCOMPARE(column(copy, QStringLiteral("RowGuid")), (QStringList{"<null>", "<null>", "<null>"}));
        QCOMPARE(column(copy, QStringLiteral("grade")), (QStringList{"7.5", "8.5", "9.5"}));

        // The copy keeps each field's definition, a precision too.
        QCOMPARE(copy.field(copy.fieldIndex(u"grade")).precision, 5);

        copy.moveFirst();
        QCOMPARE(copy.status(), Recordset::adRecNew);
        // A filtered source gives its visible rows only; one with none, the fields alone.
        source.setFilter(QStringLiteral("ID >= 2"));
        QCOMPARE(CreateRSDuplicate(source).recordCount(), 2);
        source.setFilter(QStringLiteral("ID = 99"));
        copy = CreateRSDuplicate(source);
        QCOMPARE(copy.recordCount(), 0);
        QCOMPARE(copy.fieldCount(), 7);
    }

    void duplicateOfNothing()
    {
        RecordError(0, QString(), QString(), false);
        QVERIFY(CreateRSDuplicate(Recordset()).isNull());
        QCOMPARE(LastError().source, QStringLiteral("CreateRSDuplicate"));
        QCOMPARE(LastError().number, int(Recordset::ErrNothing));
    }

    void copyRecordsetModes_data() { zr::test::addDataRows(QFINDTESTDATA("data/copymodes.tsv")); }

    void copyRecordsetModes()
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

    void copyRecordsetIntoTargetMissingAField()
    {
        Recordset source = sourceRows();
        Recordset target({makeField(QStringLiteral("ID"), adInteger)});
        RecordError(0, QString(), QString(), false);
        CopyRecordset(source, target, CopyAllRows);
        QCOMPARE(LastError().source, QStringLiteral("CopyRecordset"));
        QVERIFY2(LastError().description.contains(QLatin1String("'a'")), qPrintable(LastError().description));
        QCOMPARE(target.recordCount(), 0);
    }

    void listTextToRecordset_data() { zr::test::addDataRows(QFINDTESTDATA("data/recordsetutils-list-text-to-recordset.tsv")); }

    void listTextToRecordset()
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

    void formatRecord_data() { zr::test::addDataRows(QFINDTESTDATA("data/recordsetutils-format-record.tsv")); }

    void formatRecord()
    {
        QFETCH(QString, format);
        QFETCH(QString, text);
        Recordset rs = sourceRows();
        rs.setValue(u"b", QVariant());
        QCOMPARE(FormatRecord(rs, format), text);
    }

    void joinRecordTexts_data() { zr::test::addDataRows(QFINDTESTDATA("data/recordsetutils-join-record-texts.tsv")); }

    void joinRecordTexts()
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

    void describeIdList_data() { zr::test::addDataRows(QFINDTESTDATA("data/recordsetutils-describe-id-list.tsv")); }

    void describeIdList()
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

    void loadColumn()
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

    void conversions_data() { zr::test::addDataRows(QFINDTESTDATA("data/recordsetutils-conversions.tsv")); }

    void conversions()
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
        QCOMPARE(got.toString(), output.toString());
    }
};

QTEST_MAIN(tst_RecordsetUtils)
#include "tst_recordsetutils.moc"
