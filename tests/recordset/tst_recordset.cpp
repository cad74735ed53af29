#include "recordset/recordset.h"
#include "common/zrerror.h"
#include "../datafile.h"
#include "../server/saverows.h"

#include <QDateTime>
#include <QtTest>

using namespace zr;

namespace {

// Requirement-like rows: numeric keys, a text column holding numbers and
// words, NULLs everywhere, and one deleted row (ocID 6) that must stay unseen.
Recordset sampleRows()
{
    Recordset rs({makeField(QStringLiteral("ocID"), adInteger),
                  makeField(QStringLiteral("contypeID"), adSmallInt),
                  makeField(QStringLiteral("secobjID"), adVarWChar, 50),
                  makeField(QStringLiteral("conID"), adInteger),
                  makeField(QStringLiteral("name"), adVarWChar, 100),
                  makeField(QStringLiteral("grade"), adDouble),
                  makeField(QStringLiteral("since"), adDate),
                  makeField(QStringLiteral("flag"), adBoolean)});
    const QVariant null;
    const QList<QVariantList> rows = {
        {1, 102, QStringLiteral("5"), 10, QStringLiteral("O'Brien"), 7.5, QDate(2020, 1, 10), true},
        {2, 102, QStringLiteral("05"), 20, QStringLiteral("Παπαδόπουλος"), 5.0, QDate(2021, 6, 1), false},
        {-2, 103, QStringLiteral("abc"), 30, QStringLiteral("obrien"), null, null, null},
        {4, 102, null, 90, QStringLiteral("Anna*"), 9.25, QDate(2019, 12, 31), true},
        {5, 109, QStringLiteral("12"), 80, null, 6, QDate(2022, 2, 2), false},
        {6, 109, QStringLiteral("7"), 90, QStringLiteral("Zeta"), 8, QDate(2022, 2, 2), true},
    };
    for (const QVariantList &row : rows) {
        rs.addNew();
        for (int i = 0; i < row.size(); ++i)
            rs.setValue(i, row.at(i));
    }
    rs.updateBatch();
    rs.moveLast();
    rs.deleteCurrent();
    rs.moveFirst();
    return rs;
}

QList<int> visibleIds(Recordset rs)
{
    QList<int> ids;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        ids << rs.value(u"ocID").toInt();
    return ids;
}


QList<int> idList(const QVariant &ids)
{
    QList<int> out;
    for (const QVariant &id : ids.toList())
        out << id.toInt();
    return out;
}

int errorNumber(const QString &name)
{
    return name == u"syntax" ? Recordset::ErrSyntax : name == u"type mismatch" ? Recordset::ErrTypeMismatch
         : name == u"unknown field" ? Recordset::ErrUnknownField : 0;
}

} // namespace

class tst_Recordset : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filterSelectsRows_data()
    {
        zr::test::addDataRows(QFINDTESTDATA("data/filters.tsv"));
        // Too long for the file: nesting this deep once exhausted the stack.
        QTest::newRow("bad: nested too deeply") << QString(100000, u'(') + QStringLiteral("ocID = 1") + QString(100000, u')')
                                                << QVariant(QVariantList()) << QStringLiteral("syntax") << QStringLiteral("deeply");
    }

    // Filter and find select the same rows; bad criteria leave the filter and the position as they were.
    void filterSelectsRows()
    {
        QFETCH(QString, criteria);
        QFETCH(QVariant, expectedIds);
        QFETCH(QString, errorName);
        QFETCH(QString, named);
        const QList<int> expected = idList(expectedIds);
        const int error = errorNumber(errorName);

        Recordset rs = sampleRows();
        Recordset all = rs.clone();
        all.moveLast();
        rs.setFilter(QStringLiteral("contypeID=102"));
        rs.moveNext();
        const Recordset::Bookmark before = rs.bookmark();
        QString why;
        QCOMPARE(test::errorOf([&] { rs.setFilter(criteria); }, &why), error);
        // The error names what is wrong.
        QVERIFY2(why.contains(named), qPrintable(why));
        if (!criteria.isEmpty())
            QCOMPARE(test::errorOf([&] { all.find(criteria, 0, Recordset::SearchForward, Recordset::StartFirst); }), error);
        if (error) {
            QCOMPARE(rs.filter(), QStringLiteral("contypeID=102"));
            QCOMPARE(rs.recordCount(), 3);
            QCOMPARE(rs.bookmark(), before);
            QCOMPARE(all.value(u"ocID").toInt(), 5);
            return;
        }
        QCOMPARE(visibleIds(rs), expected);
        QCOMPARE(rs.recordCount(), expected.size());
        // The filter leaves the cursor on the first row.
        rs.setFilter(criteria);
        QCOMPARE(rs.eof(), expected.isEmpty());
        if (!expected.isEmpty())
            QCOMPARE(rs.value(u"ocID").toInt(), expected.first());
        if (criteria.isEmpty())
            return;
        // Find walks the same rows forward, and backward from the last row down to the first.
        QList<int> found;
        for (bool ok = all.find(criteria, 0, Recordset::SearchForward, Recordset::StartFirst); ok; ok = all.find(criteria, 1))
            found << all.value(u"ocID").toInt();
        QVERIFY(all.eof());
        QCOMPARE(found, expected);
        found.clear();
        for (bool ok = all.find(criteria, 0, Recordset::SearchBackward, Recordset::StartLast); ok;
             ok = all.find(criteria, 1, Recordset::SearchBackward))
            found.prepend(all.value(u"ocID").toInt());
        QVERIFY(all.bof());
        QCOMPARE(found, expected);
    }

    void writesConvertToFieldType_data() { zr::test::addDataRows(QFINDTESTDATA("data/recordset-writes-convert-to-field-type.tsv")); }

    void writesConvertToFieldType()
    {
        QFETCH(QString, type);
        QFETCH(QVariant, input);
        QFETCH(QString, stored);
        QFETCH(QString, storedType);
        QFETCH(bool, fails);
        const QHash<QString, int> types{{"text", adVarWChar}, {"int", adInteger}, {"smallint", adSmallInt}, {"double", adDouble},
                                        {"boolean", adBoolean}, {"bigint", adBigInt}, {"date", adDate}, {"chapter", adChapter}};

        Recordset rs({makeField(QStringLiteral("v"), types.value(type))});
        rs.addNew();
        const int error = test::errorOf([&] { rs.setValue(u"v", input); });
        QCOMPARE(error, fails ? int(Recordset::ErrTypeMismatch) : 0);
        // A failed write leaves the field as it was: NULL.
        const QVariant v = rs.value(u"v");
        QCOMPARE(v.isNull() ? QString() : QString::fromLatin1(v.metaType().name()), storedType);
        QCOMPARE(v.toString(), stored);
    }

    void statusAndOriginalValuesThroughEdits()
    {
        Recordset rs = sampleRows();
        QCOMPARE(rs.status(), Recordset::adRecUnmodified);
        // The original is the value as loaded, however often the row is written.
        rs.setValue(u"name", QStringLiteral("First"));
        rs.setValue(u"name", QStringLiteral("Second"));
        QCOMPARE(rs.status(), Recordset::adRecModified);
        QCOMPARE(rs.originalValue(u"name").toString(), QStringLiteral("O'Brien"));

        rs.addNew();
        rs.setValue(u"ocID", -7);
        QCOMPARE(rs.status(), Recordset::adRecNew); // writes keep a new row new
        QVERIFY(rs.originalValue(u"ocID").isNull());

        rs.setFilter(QStringLiteral("ocID = 2"));
        rs.setValue(u"contypeID", 109);
        rs.deleteCurrent();
        QCOMPARE(rs.status(), Recordset::adRecDeleted);
        QVERIFY(test::errorOf([&] { rs.setValue(u"name", QStringLiteral("x")); }) == Recordset::ErrRowDeleted);

        // The pending rows include the deleted ones, with their saved values.
        Recordset pending = rs.clone();
        pending.setFilter(Recordset::FilterPendingRecords);
        QList<int> statuses;
        for (pending.moveFirst(); !pending.eof(); pending.moveNext()) {
            statuses << pending.status();
            if (pending.value(u"ocID").toInt() == 2)
                QCOMPARE(pending.originalValue(u"contypeID").toInt(), 102);
        }
        QCOMPARE(statuses, (QList<int>{Recordset::adRecModified, Recordset::adRecDeleted, Recordset::adRecDeleted,
                                       Recordset::adRecNew}));
        QVERIFY(rs.hasPendingChanges());

        rs.updateBatch();
        QVERIFY(!rs.hasPendingChanges());
        rs.setFilter(QString());
        QCOMPARE(visibleIds(rs), (QList<int>{1, -2, 4, 5, -7}));
        pending.setFilter(Recordset::FilterPendingRecords);
        QCOMPARE(pending.recordCount(), 0);
    }

    void deleteWhileWalkingVisitsEveryRow()
    {
        Recordset rs = sampleRows();
        Recordset other = rs.clone();
        other.setFilter(QStringLiteral("contypeID = 102"));
        other.moveLast(); // on ocID 4
        QList<int> visited;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            visited << rs.value(u"ocID").toInt();
            if (rs.value(u"contypeID").toInt() == 102 && rs.value(u"ocID").toInt() != 4)
                rs.deleteCurrent();
        }
        QCOMPARE(visited, (QList<int>{1, 2, -2, 4, 5}));
        QCOMPARE(visibleIds(rs), (QList<int>{-2, 4, 5}));
        // The other cursor lost the deleted rows but kept its own row.
        QCOMPARE(other.recordCount(), 1);
        QCOMPARE(other.value(u"ocID").toInt(), 4);
        QCOMPARE(other.absolutePosition(), 1);
    }

    void deleteRowsDeletesAsRowByRow()
    {
        Recordset rs = sampleRows();
        rs.setValue(u"grade", 1.0);
        rs.addNew();
        rs.setValue(u"ocID", 99);
        const Recordset::Bookmark added = rs.bookmark();
        QList<Recordset::Bookmark> gone{added};
        Recordset all = rs.clone();
        all.setFilter(Recordset::FilterPendingRecords); // shows the deleted ocID 6 too
        for (all.moveFirst(); !all.eof(); all.moveNext())
            gone << all.bookmark();
        rs.moveFirst();
        rs.moveNext(); // on ocID 2, which goes
        gone << rs.bookmarkAt(0) << rs.bookmark();

        rs.deleteRows(gone);
        rs.moveNext(); // from the hole to the row after it
        QCOMPARE(rs.value(u"ocID").toInt(), -2);
        QCOMPARE(visibleIds(rs), (QList<int>{-2, 4, 5}));
        QCOMPARE(visibleIds([&] { Recordset p = rs.clone(); p.setFilter(Recordset::FilterPendingRecords); return p; }()),
                 (QList<int>{1, 2, 6, 99}));
        // Undone as any change: the stored rows come back as they were loaded, the new one goes.
        rs.cancelBatch();
        QCOMPARE(visibleIds(rs), (QList<int>{1, 2, -2, 4, 5, 6}));
        rs.moveFirst();
        QCOMPARE(rs.value(u"grade").toDouble(), 7.5);
        QCOMPARE(rs.status(), Recordset::adRecUnmodified);
    }

    void clonesShareRowsNotPosition()
    {
        Recordset rs = sampleRows();
        rs.setFilter(QStringLiteral("contypeID = 102"));
        rs.moveNext();
        Recordset copy = rs;            // the same object
        Recordset cl = rs.clone();      // a second cursor
        QVERIFY(cl.sharesRowsWith(rs));
        QVERIFY(!cl.isFiltered());
        QCOMPARE(cl.recordCount(), 5);
        QCOMPARE(cl.value(u"ocID").toInt(), 1);

        copy.moveNext();
        QCOMPARE(rs.value(u"ocID").toInt(), 4);

        cl.setFilter(QStringLiteral("ocID = 4"));
        cl.setValue(u"name", QStringLiteral("Changed"));
        QCOMPARE(rs.value(u"name").toString(), QStringLiteral("Changed"));
        QCOMPARE(rs.recordCount(), 3); // the clone's filter is its own
        cl.deleteCurrent();
        QCOMPARE(rs.recordCount(), 2);
    }

    // A view is the source's filter on a second cursor: it walks the rows a clone
    // filtered again would walk, and after rows are deleted or added, what its source walks.
    void viewsWalkWhatTheirFilterSelects_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("criteria");
        QTest::newRow("no filter") << 0 << QString();
        QTest::newRow("criteria") << 0 << QStringLiteral("contypeID = 102 OR conID > 70");
        QTest::newRow("key criteria") << 0 << QStringLiteral("ocID = 4");
        QTest::newRow("bookmarks") << 1 << QString();
        QTest::newRow("pending rows") << 2 << QString();
    }

    void viewsWalkWhatTheirFilterSelects()
    {
        QFETCH(int, kind);
        QFETCH(QString, criteria);
        Recordset rs = sampleRows();
        rs.moveFirst();
        rs.setValue(u"name", QStringLiteral("pending")); // one row with a pending change
        QList<Recordset::Bookmark> some;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            if (rs.value(u"ocID").toInt() != 2)
                some << rs.bookmark();
        const auto filtered = [&](Recordset r) {
            if (kind == 1)
                r.setFilter(some);
            else if (kind == 2)
                r.setFilter(Recordset::FilterPendingRecords);
            else
                r.setFilter(criteria);
            return r;
        };
        const Recordset source = filtered(rs.clone());
        source.recordCount(); // the source's rows are built; the view must not share its position
        Recordset view = source.view();
        QCOMPARE(view.eof(), view.recordCount() == 0); // at its first row
        QCOMPARE(view.filter(), source.filter());
        QCOMPARE(visibleIds(view), visibleIds(filtered(rs.clone())));

        Recordset writer = rs.clone();
        writer.setFilter(QStringLiteral("ocID = 4"));
        writer.deleteCurrent();
        writer.addNew();
        writer.setValue(u"ocID", 7);
        writer.setValue(u"contypeID", 102);
        // Both cursors were built before the change and follow it alike.
        QCOMPARE(visibleIds(view), visibleIds(source));
        QCOMPARE(visibleIds(source.view()), visibleIds(source));
    }

    void bookmarksSurviveFiltersAndBatchUpdates()
    {
        Recordset rs = sampleRows();
        rs.setAbsolutePosition(4);
        const Recordset::Bookmark four = rs.bookmark();
        QCOMPARE(rs.value(u"ocID").toInt(), 4);
        rs.moveFirst();
        const Recordset::Bookmark one = rs.bookmark();
        rs.moveNext();
        rs.deleteCurrent();
        rs.updateBatch();

        rs.setFilter(QStringLiteral("conID >= 80"));
        rs.setBookmark(four);
        QCOMPARE(rs.value(u"ocID").toInt(), 4);
        QCOMPARE(test::errorOf([&] { rs.setBookmark(one); }), int(Recordset::ErrBadBookmark));
        QCOMPARE(rs.value(u"ocID").toInt(), 4);

        Recordset cl = rs.clone();
        cl.setBookmark(one);
        QCOMPARE(cl.value(u"ocID").toInt(), 1);

        // A bookmark list shows those rows in table order and ignores stale ones.
        cl.setFilter(QList<Recordset::Bookmark>{four, one, 987654});
        QCOMPARE(visibleIds(cl), (QList<int>{1, 4}));
        QVERIFY(cl.isFiltered());
        QVERIFY(cl.filter().isEmpty());
        QCOMPARE(cl.rowOfBookmark(four), 1);
        cl.setFilter(QString());
        QVERIFY(!cl.isFiltered());
        QCOMPARE(cl.recordCount(), 4);
    }

    void addNewStaysVisibleInFilteredCursor()
    {
        Recordset rs = sampleRows();
        rs.setFilter(QStringLiteral("contypeID = 103"));
        Recordset other = rs.clone();
        other.setFilter(QStringLiteral("contypeID = 103"));
        QCOMPARE(other.recordCount(), 1);

        rs.addNew();                     // all NULL: does not match, stays visible here
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(rs.absolutePosition(), 2);
        rs.setValue(u"ocID", -3);
        rs.setValue(u"contypeID", 103);
        QCOMPARE(other.recordCount(), 2); // matches by the time the other cursor looks
        other.moveLast();
        QCOMPARE(other.value(u"ocID").toInt(), -3);
    }

    void findUsesFreshIndexAfterWrites()
    {
        Recordset rs = sampleRows();
        QVERIFY(rs.find(QStringLiteral("ocID = 4"), 0, Recordset::SearchForward, Recordset::StartFirst));
        rs.setValue(u"ocID", 40);
        QVERIFY(!rs.find(QStringLiteral("ocID = 4"), 0, Recordset::SearchForward, Recordset::StartFirst));
        QVERIFY(rs.eof());
        QVERIFY(rs.find(QStringLiteral("ocID = 40"), 0, Recordset::SearchForward, Recordset::StartFirst));

        rs.addNew();
        rs.setValue(u"ocID", -3);
        rs.moveFirst();
        QVERIFY(rs.find(QStringLiteral("ocID = -3")));
        QCOMPARE(rs.status(), Recordset::adRecNew);
        rs.deleteCurrent();
        QVERIFY(!rs.find(QStringLiteral("ocID = -3"), 0, Recordset::SearchForward, Recordset::StartFirst));

        // The same key filtered through the index and without it.
        rs.setFilter(QStringLiteral("secobjID = '5'"));
        QCOMPARE(visibleIds(rs), (QList<int>{1}));
        rs.setFilter(QStringLiteral("secobjID = '5' OR secobjID = '5'"));
        QCOMPARE(visibleIds(rs), (QList<int>{1}));
    }

    void findDirectionsAndSkip()
    {
        Recordset rs = sampleRows();
        rs.setFilter(QStringLiteral("contypeID = 102"));
        rs.moveLast();
        QVERIFY(rs.find(QStringLiteral("flag = -1"), 0, Recordset::SearchBackward));
        QCOMPARE(rs.value(u"ocID").toInt(), 4); // the current row itself
        QVERIFY(rs.find(QStringLiteral("flag = -1"), 1, Recordset::SearchBackward));
        QCOMPARE(rs.value(u"ocID").toInt(), 1);
        // Rows outside the filter are not found even by key.
        QVERIFY(!rs.find(QStringLiteral("ocID = 5"), 0, Recordset::SearchForward, Recordset::StartFirst));
        QVERIFY(rs.find(QStringLiteral("conID = 20"), 0, Recordset::SearchForward, Recordset::StartLast) == false);
        QVERIFY(rs.find(QStringLiteral("conID = 20"), 0, Recordset::SearchBackward, Recordset::StartLast));
        QCOMPARE(rs.value(u"ocID").toInt(), 2);
    }

    void keysWithSignsAndCommasAreExact()
    {
        Recordset rs({makeField(QStringLiteral("key"), adVarWChar, 60)});
        for (const char *k : {"I-2", "I-2,conoptval1", "I-2,conoptval10", "KI-2,1", "I2"}) {
            rs.addNew();
            rs.setValue(u"key", QString::fromUtf8(k));
        }
        QVERIFY(rs.find(QStringLiteral("key = 'I-2,conoptval1'"), 0, Recordset::SearchForward, Recordset::StartFirst));
        QCOMPARE(rs.absolutePosition(), 2);
        rs.setFilter(QStringLiteral("key = 'I-2'"));
        QCOMPARE(rs.recordCount(), 1);
        rs.setFilter(QStringLiteral("key LIKE 'I-2,*'"));
        QCOMPARE(rs.recordCount(), 2);
    }

    void chapterHoldsChildRecordset()
    {
        Recordset child({makeField(QStringLiteral("ocID"), adInteger), makeField(QStringLiteral("objID"), adInteger)});
        for (int i = 1; i <= 3; ++i) {
            child.addNew();
            child.setValue(u"ocID", i);
            child.setValue(u"objID", 7);
        }
        child.updateBatch();
        Recordset parent({makeField(QStringLiteral("prID"), adInteger),
                          makeField(QStringLiteral("QEMObjectConstraint"), adChapter)});
        parent.addNew();
        parent.setValue(u"prID", 7);
        parent.updateBatch();
        parent.setChapter(u"qemobjectconstraint", child);
        QCOMPARE(parent.status(), Recordset::adRecUnmodified);

        Recordset rows = parent.chapter(u"QEMObjectConstraint");
        QVERIFY(rows.isSameObject(child));
        rows.setFilter(QStringLiteral("ocID >= 2"));
        QCOMPARE(child.recordCount(), 2); // one object, seen through both references
        QVERIFY(parent.value(u"QEMObjectConstraint").value<Recordset>().isSameObject(child));

        QCOMPARE(test::errorOf([&] { parent.setFilter(QStringLiteral("QEMObjectConstraint = 1")); }),
                 int(Recordset::ErrTypeMismatch));
        QCOMPARE(test::errorOf([&] { parent.chapter(u"prID"); }), int(Recordset::ErrTypeMismatch));
        parent.setValue(u"QEMObjectConstraint", QVariant::fromValue(Recordset()));
        QVERIFY(parent.chapter(u"QEMObjectConstraint").isNull());
    }

    void navigationAtTheEdges()
    {
        Recordset rs({makeField(QStringLiteral("a"), adInteger)});
        QVERIFY(rs.bof() && rs.eof());
        QCOMPARE(rs.absolutePosition(), int(Recordset::PosUnknown));
        QCOMPARE(test::errorOf([&] { rs.value(0); }), int(Recordset::ErrNoCurrentRow));
        rs.moveFirst();
        QVERIFY(rs.eof());
        rs.addNew();
        rs.addNew();
        rs.moveFirst();
        QVERIFY(!rs.bof() && !rs.eof());
        rs.movePrevious();
        QVERIFY(rs.bof() && !rs.eof());
        QCOMPARE(rs.absolutePosition(), int(Recordset::PosBOF));
        QCOMPARE(test::errorOf([&] { rs.movePrevious(); }), int(Recordset::ErrNoCurrentRow));
        rs.moveNext();
        rs.moveNext();
        rs.moveNext();
        QVERIFY(rs.eof());
        QCOMPARE(rs.absolutePosition(), int(Recordset::PosEOF));
        QCOMPARE(test::errorOf([&] { rs.moveNext(); }), int(Recordset::ErrNoCurrentRow));
        rs.movePrevious();
        QCOMPARE(rs.absolutePosition(), 2);
        QCOMPARE(test::errorOf([&] { rs.setAbsolutePosition(3); }), int(Recordset::ErrNoCurrentRow));
        QCOMPARE(test::errorOf([&] { rs.value(u"b"); }), int(Recordset::ErrUnknownField));
        QCOMPARE(test::errorOf([&] { rs.appendField(makeField(QStringLiteral("A"), adInteger)); }),
                 int(Recordset::ErrBadField));
        rs.appendField(makeField(QStringLiteral("b"), adVarWChar));
        QVERIFY(rs.value(u"B").isNull());
    }

    void nothingAnswersAsEmptyAndRefusesChanges()
    {
        Recordset none;
        QVERIFY(none.isNull());
        QCOMPARE(none.recordCount(), 0);
        QVERIFY(none.eof() && none.bof());
        QCOMPARE(none.fieldIndex(u"x"), -1);
        QCOMPARE(test::errorOf([&] { none.addNew(); }), int(Recordset::ErrNothing));
        QCOMPARE(test::errorOf([&] { none.setFilter(QStringLiteral("a=1")); }), int(Recordset::ErrNothing));
        QCOMPARE(test::errorOf([&] { none.clone(); }), int(Recordset::ErrNothing));
    }
};

QTEST_GUILESS_MAIN(tst_Recordset)
#include "tst_recordset.moc"
