#include "common/langstrings.h"
#include "common/recordset.h"
#include "common/zrerror.h"
#include "dialogs/coursetypetotals.h"

#include <QtTest>

using namespace zr;

Q_DECLARE_METATYPE(QList<zr::CourseTypeTotal>)

namespace {

// The course-type lookup list as the editor caches it, in the server's order (not by id).
Recordset courseTypes()
{
    Recordset rs({makeField("ctypeID", adInteger), makeField("ctypedesc", adVarWChar, 100),
                  makeField("ctypeabbr", adVarWChar, 10)});
    const QList<std::tuple<int, QString, QString>> rows{
        {5, "Υποχρεωτικό", "Υ"}, {3, "Κατ' επιλογήν", "ΚΕ"}, {7, "Ελεύθερο", "ΕΛ"}, {1, "Πρακτική", "ΠΡ"}};
    for (const auto &[id, desc, abbr] : rows) {
        rs.addNew();
        rs.setValue(u"ctypeID", id);
        rs.setValue(u"ctypedesc", desc);
        rs.setValue(u"ctypeabbr", abbr);
    }
    rs.updateBatch();
    rs.moveFirst();
    return rs;
}

// "id:count" for the checked rows of a working list, in its order ("id:" when cnt is null).
QString checkedRows(const Recordset &rs)
{
    QStringList out;
    const int sel = rs.fieldIndex(u"sel");
    const int cnt = rs.fieldIndex(u"cnt");
    const int id = rs.fieldIndex(u"ctypeID");
    for (int row = 0; row < rs.recordCount(); ++row) {
        if (rs.valueAt(row, sel).toInt() == -1)
            out << rs.valueAt(row, id).toString() + ':' + rs.valueAt(row, cnt).toString();
    }
    return out.join(' ');
}

} // namespace

// The stored course-type totals, the working list of the totals dialogs and
// the caller's encoding, without a window.
class tst_CourseTypeTotals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { StringService::instance().setLanguageId(LangGreek); }

    void parsesStoredTotals_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QList<CourseTypeTotal>>("expected");
        using L = QList<CourseTypeTotal>;
        QTest::newRow("empty") << "" << L{};
        QTest::newRow("three items") << "3;2#5;0#-1;20" << L{{3, 2}, {5, 0}, {-1, 20}};
        QTest::newRow("stored order kept") << "-1;20#5;1" << L{{-1, 20}, {5, 1}};
        QTest::newRow("decimal comma") << "3;2,5" << L{{3, 2.5}};
        QTest::newRow("decimal point") << "3;2.5" << L{{3, 2.5}};
        QTest::newRow("empty count") << "1;" << L{{1, 0}};
        QTest::newRow("no count") << "7" << L{{7, 0}};
        QTest::newRow("letters as count") << "4;abc" << L{{4, 0}};
        QTest::newRow("separator alone") << "#" << L{};
        QTest::newRow("letters as id skipped") << "x;y#-1;" << L{{-1, 0}};
        QTest::newRow("trailing separator") << "3;2#" << L{{3, 2}};
        QTest::newRow("empty items between") << "3;2##5;4" << L{{3, 2}, {5, 4}};
        QTest::newRow("extra part ignored") << "3;2;9" << L{{3, 2}};
        QTest::newRow("decimal id skipped") << "2.5;3#1;1" << L{{1, 1}};
    }
    void parsesStoredTotals()
    {
        QFETCH(QString, stored);
        QFETCH(QList<CourseTypeTotal>, expected);
        QCOMPARE(ParseCourseTypeTotals(stored), expected);
    }

    void buildsWorkingList()
    {
        Recordset types = courseTypes();
        types.moveNext(); // the caller's position must survive
        const Recordset working = BuildCourseTypesWorkingList(types, true);
        QCOMPARE(types.absolutePosition(), 2);
        QCOMPARE(types.fieldCount(), 3);

        QCOMPARE(working.fieldCount(), 5);
        QCOMPARE(working.field(working.fieldIndex(u"sel")).type, int(adInteger));
        QCOMPARE(working.field(working.fieldIndex(u"cnt")).type, int(adCurrency));
        QCOMPARE(working.recordCount(), 5);
        QStringList ids;
        for (int row = 0; row < working.recordCount(); ++row) {
            ids << working.valueAt(row, 0).toString();
            QVERIFY(working.valueAt(row, working.fieldIndex(u"sel")).isNull());
        }
        QCOMPARE(ids, QStringList({"5", "3", "7", "1", "-1"}));
        QCOMPARE(working.valueAt(4, 1).toString(), GetLangString(20026));
        QCOMPARE(working.valueAt(1, 2).toString(), QStringLiteral("ΚΕ"));
        QVERIFY(!working.hasPendingChanges());
        QVERIFY(!working.sharesRowsWith(types));

        const Recordset noTotal = BuildCourseTypesWorkingList(types, false);
        QCOMPARE(noTotal.recordCount(), 4);
    }

    // Stored totals applied to the working list, then read back as the dialog's
    // result (working-list order) and encoded as the editor stores it.
    void roundTripsTotals_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("empty") << "" << "" << "";
        QTest::newRow("all-types row") << "-1;20" << "-1:20" << "-1;20";
        QTest::newRow("list order, not stored order") << "-1;10#1;4#5;2" << "5:2 1:4 -1:10" << "5;2#1;4#-1;10";
        QTest::newRow("non-numeric count is 0") << "3;x" << "3:0" << "3;0";
        QTest::newRow("missing count") << "1;" << "1:0" << "1;0";
        QTest::newRow("separator alone") << "#" << "" << "";
        QTest::newRow("unreadable id skipped") << "x;y#-1;" << "-1:0" << "-1;0";
        QTest::newRow("decimal count") << "7;2,5" << "7:2.5" << "7;2,5";
        QTest::newRow("item repeated: last count wins") << "3;1#3;6" << "3:6" << "3;6";
    }
    void roundTripsTotals()
    {
        QFETCH(QString, stored);
        QFETCH(QString, checked);
        QFETCH(QString, encoded);
        Recordset working = BuildCourseTypesWorkingList(courseTypes(), true);
        ApplyCourseTypeTotals(working, stored, QStringLiteral("test"));
        QVERIFY(!working.isFiltered());
        QCOMPARE(working.recordCount(), 5);
        QCOMPARE(checkedRows(working), checked);

        const Recordset result = CheckedCourseTypes(working);
        QCOMPARE(result.fieldCount(), working.fieldCount());
        QCOMPARE(checkedRows(result), checked);
        QCOMPARE(result.recordCount(), checked.isEmpty() ? 0 : int(checked.count(' ')) + 1);
        QCOMPARE(EncodeCourseTypeTotals(result), encoded);
    }

    void refusesUnknownCourseType()
    {
        Recordset working = BuildCourseTypesWorkingList(courseTypes(), true);
        try {
            ApplyCourseTypeTotals(working, QStringLiteral("3;1#42;2"), QStringLiteral("frmCourseTypes.Select"));
            QFAIL("a course type missing from the list was accepted");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, 61100);
            QCOMPARE(e.source, QStringLiteral("frmCourseTypes.Select"));
            QVERIFY(e.description.contains(QStringLiteral("42")));
        }
        QVERIFY(!working.isFiltered());
        QCOMPARE(working.recordCount(), 5);

        // Without the all-types row, -1 is just as unknown.
        Recordset noTotal = BuildCourseTypesWorkingList(courseTypes(), false);
        QVERIFY_THROWS_EXCEPTION(ZrError, ApplyCourseTypeTotals(noTotal, QStringLiteral("-1;3"), QString()));
    }

    void encodesRows_data()
    {
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<QVariantList>("counts");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("none") << QList<int>{} << QVariantList{} << "";
        QTest::newRow("one") << QList<int>{3} << QVariantList{2} << "3;2";
        QTest::newRow("null count") << QList<int>{3, -1} << QVariantList{QVariant(), 20} << "3;0#-1;20";
        QTest::newRow("fraction") << QList<int>{4} << QVariantList{1.25} << "4;1,25";
        QTest::newRow("whole double") << QList<int>{4} << QVariantList{6.0} << "4;6";
    }
    void encodesRows()
    {
        QFETCH(QList<int>, ids);
        QFETCH(QVariantList, counts);
        QFETCH(QString, encoded);
        Recordset rows({makeField("ctypeID", adInteger), makeField("cnt", adCurrency)});
        for (int i = 0; i < ids.size(); ++i) {
            rows.addNew();
            rows.setValue(u"ctypeID", ids[i]);
            rows.setValue(u"cnt", counts[i]);
        }
        QCOMPARE(EncodeCourseTypeTotals(rows), encoded);
        QCOMPARE(EncodeCourseTypeTotals(Recordset()), QString());
    }
};

QTEST_MAIN(tst_CourseTypeTotals)
#include "tst_coursetypetotals.moc"
