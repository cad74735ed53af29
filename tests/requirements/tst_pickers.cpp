#include "../datafile.h"
#include "common/zrerror.h"
#include "recordset/lookupcache.h"
#include "requirements/pickers.h"
#include "serverfixture.h"

#include <QtTest>

using namespace zr;

Q_DECLARE_METATYPE(zr::PickerKind)

class tst_Pickers : public QObject
{
    Q_OBJECT
    zr::test::ServerFixture m_server;

    static PickerContext programme() { return {1, 1, QStringLiteral("105")}; }
    static PickerContext department() { return {13, QVariant(), QStringLiteral("105")}; }

private Q_SLOTS:
    void choosesThePickerOfEachRow_data()
    {
        QTest::addColumn<int>("conID");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("ofDepartment");
        QTest::addColumn<PickerKind>("kind");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("titleId");
        const QStringList kinds{"None", "List", "Options", "CourseTypeTotals", "MaxGradeTotals"};
        for (const QStringList &row : zr::test::dataRows(QFINDTESTDATA("data/pickers.tsv"))) {
            QVERIFY2(row.size() == 8 && kinds.contains(row.at(4)), qPrintable(row.join(QLatin1Char('|'))));
            QTest::newRow(qPrintable(row.at(0))) << row.at(1).toInt() << row.at(2) << (row.at(3) == u"1")
                                                 << PickerKind(kinds.indexOf(row.at(4))) << row.at(5) << row.at(6)
                                                 << row.at(7).toInt();
        }
    }
    void choosesThePickerOfEachRow()
    {
        QFETCH(int, conID);
        QFETCH(QString, field);
        QFETCH(bool, ofDepartment);
        QFETCH(PickerKind, kind);
        QFETCH(QString, table);
        QFETCH(QString, filter);
        QFETCH(int, titleId);
        const PickerSpec picker = PickerFor(conID, field, ofDepartment ? department() : programme());
        QCOMPARE(picker.kind, kind);
        QCOMPARE(picker.table, table);
        QCOMPARE(picker.filter, filter);
        QCOMPARE(picker.titleId, titleId);
        if (kind == PickerKind::List) {
            QVERIFY(!picker.idField.isEmpty());
            QVERIFY(!picker.textField.isEmpty());
        }
    }

    // Searches reach the right server list: programme courses carry prID,
    // department courses their depID, semesters come from the cache.
    void answersSearchesFromTheServer()
    {
        QVERIFY(m_server.reset(QStringLiteral("sqlite")));
        LookupCache lookups;
        Recordset programmeCourses = AnswerPickerSearch(QStringLiteral("QEMDepProgramCourses"), 30, programme(),
                                                        QString(), QString(), lookups);
        QVERIFY(programmeCourses.recordCount() > 0);
        for (programmeCourses.moveFirst(); !programmeCourses.eof(); programmeCourses.moveNext())
            QCOMPARE(programmeCourses.value(u"prID").toInt(), 1);

        Recordset courses = AnswerPickerSearch(QStringLiteral("QEMCourses"), 40, programme(),
                                               QStringLiteral("depID='105'"), QString(), lookups);
        QVERIFY(courses.recordCount() > 0);
        for (courses.moveFirst(); !courses.eof(); courses.moveNext())
            QCOMPARE(courses.value(u"depID").toString(), QStringLiteral("105"));

        const Recordset semesters = AnswerPickerSearch(QStringLiteral("SYS_semesters"), 80, programme(), QString(),
                                                       QString(), lookups);
        QVERIFY(semesters.recordCount() >= 10);
        QCOMPARE(lookups.fetchCount(), 1);
        QVERIFY(AnswerPickerSearch(QStringLiteral("SYS_CourseType"), 40, programme(), QString(), QString(), lookups)
                    .isNull());
    }

    void hostileSearchTextIsRefusedBeforeAnythingRuns()
    {
        QVERIFY(m_server.reset(QStringLiteral("sqlite")));
        LookupCache lookups;
        QVERIFY_THROWS_EXCEPTION(ZrError, AnswerPickerSearch(QStringLiteral("QEMCourses"), 40, programme(),
                                                             QStringLiteral("1=1; DROP TABLE QEMCourses"),
                                                             QString(), lookups));
        QVERIFY(AnswerPickerSearch(QStringLiteral("QEMCourses"), 40, programme(), QString(), QString(), lookups)
                    .recordCount() > 0);
    }
};

QTEST_GUILESS_MAIN(tst_Pickers)
#include "tst_pickers.moc"
