#include "../datafile.h"
#include "requirementfixture.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "requirements/requirementfile.h"
#include "requirements/requirementset.h"
#include "requirements/setversion.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace zr;
using namespace zr::test;

namespace {

// A programme with a three-row degree set for curriculum 11, one row for
// curriculum 12, and one entry requirement.
Recordset programme()
{
    const QString expression = QStringLiteral("[%10] AND ([%11] OR NOT([%12]))");
    return hierarchicalSet({
        {10, 103, 1, 7, QStringLiteral("11"), 40, {{"conoperator", 8}, {"conoptval1", "300"}, {"coneval", expression}}},
        {11, 103, 1, 7, QStringLiteral("11"), 50, {{"conoptval6", "1"}, {"conselobjIDs", "2,4"}, {"coneval", expression}}},
        {12, 103, 1, 7, QStringLiteral("11"), 10, {{"conoperator", 0}, {"conoptval1", "6,5"}, {"coneval", expression}}},
        {20, 103, 1, 7, QStringLiteral("12"), 40, {{"conoptval1", "240"}}},
        {30, 101, 1, 7, QVariant(), 10, {{"conoptval1", "5"}}},
    });
}

// A minimal valid document with `rows` (JSON text of the list).
QByteArray document(const QByteArray &rows, const QByteArray &head = "\"AppliesTo\": 1, \"ConstrType\": 101")
{
    return "{\"format\": \"zrreq-requirements/1\", " + head + ", \"object\": {\"prID\": 7}, \"rows\": " + rows + "}";
}

struct Stored
{
    int ocID;
    int status;
    QString secobjID;
    QString eval;
};

QList<Stored> rowsOf(const Recordset &parent, const QString &filter)
{
    Recordset rows = Recordset(parent).chapter(RequirementSet::chapterName()).clone();
    rows.setFilter(filter);
    QList<Stored> out;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
        out.append({rows.value(u"ocID").toInt(), int(rows.status()), rows.value(u"secobjID").toString(),
                    rows.value(u"coneval").toString()});
    return out;
}

} // namespace

class TestRequirementFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InitLanguage(LangEnglish); }

    void rejectsMalformedDocuments_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("error");
        for (const QStringList &row : dataRows(QFINDTESTDATA("data/malformedfiles.tsv"))) {
            const QByteArray text = row.value(2).toUtf8();
            QTest::newRow(qPrintable(row.at(0)))
                << (text.startsWith("rows:") ? document(text.mid(5)) : text) << row.value(1).toInt();
        }
    }

    void rejectsMalformedDocuments()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, error);
        try {
            ReadRequirementFile(json);
            QFAIL("the document was accepted");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, error);
            QVERIFY2(!e.description.isEmpty() && !e.description.contains(QLatin1String("%1")),
                     qPrintable(e.description));
        }
    }

    void largeFilesAreRefusedUnread_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("endless device") << QStringLiteral("/dev/zero");
        QTest::newRow("file one byte over the limit") << QStringLiteral("sparse");
    }

    void largeFilesAreRefusedUnread()
    {
        QFETCH(QString, path);
        QTemporaryDir dir;
        if (path == QLatin1String("sparse")) {
            path = dir.filePath(QStringLiteral("large.json"));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(MaxRequirementFileBytes + 1));
        }
        try {
            ReadRequirementFile(path);
            QFAIL("the file was read");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, 62000);
            QVERIFY2(e.description.contains(path) && e.description.contains(QLatin1String("64")), qPrintable(e.description));
        }
    }

    void versionTravelsWithTheFile()
    {
        Recordset parent = programme();
        WriteSetVersions(parent, {{RequirementSetKey(1, 7, 103, QStringLiteral("11")), {4, QStringLiteral("ann@pc"), {}}},
                                  {RequirementSetKey(1, 7, 103, QStringLiteral("12")), {9, QStringLiteral("bob@pc"), {}}},
                                  {RequirementSetKey(1, 7, 104, QString()), {2, QStringLiteral("bob@pc"), {}}}});
        const RequirementFile file = ReadRequirementFile(WriteRequirementFile(parent, 1, 103, 11));
        QCOMPARE(file.version, 4);
        QCOMPARE(file.setKey(), RequirementSetKey(1, 7, 103, QStringLiteral("11")));
        // A set never saved since versions are kept is at 0; a file that names none has -1.
        QCOMPARE(ReadRequirementFile(WriteRequirementFile(parent, 1, 101)).version, 0);
        QCOMPARE(ReadRequirementFile(document("[]")).version, -1);
        // Imported over its set at version 2, a file written at any other version is outdated, one
        // written before the set's first save too; a file that names no version is not.
        QStringList outdated;
        for (const char *version : {"0", "-3", "1", "2", "null"}) {
            const QByteArray head = QByteArray("\"AppliesTo\": 1, \"ConstrType\": 104, \"version\": ") + version;
            if (!OutdatedFileFacts(ReadRequirementFile(document("[]", head)), parent, 1, 104, 0).isEmpty())
                outdated << QString::fromLatin1(version);
        }
        QCOMPARE(outdated, QStringList({"0", "-3", "1"}));
    }

    void writesOneSetWithNumbersAndNullsButNoDeletedRow()
    {
        Recordset parent = programme();
        Recordset stored = parent.chapter(RequirementSet::chapterName());
        QVERIFY(stored.find(QStringLiteral("ocID = 11"), 0, Recordset::SearchForward, Recordset::StartFirst));
        stored.deleteCurrent();
        const QJsonObject root = QJsonDocument::fromJson(WriteRequirementFile(parent, 1, 103, 11)).object();
        QCOMPARE(root.value("object").toObject().value("prID"), QJsonValue(7));
        QCOMPARE(root.value("object").toObject().value("secobjID"), QJsonValue("11"));
        const QJsonArray rows = root.value("rows").toArray();
        QCOMPARE(rows.size(), 2);
        const QJsonObject first = rows.at(0).toObject();
        QCOMPARE(first.value("ocID"), QJsonValue(10));
        QVERIFY(first.value("conoperator").isDouble());
        QCOMPARE(first.value("conoptval1"), QJsonValue("300"));
        QVERIFY(first.value("conoptval2").isNull());
        QCOMPARE(rows.at(1).toObject().value("ocID"), QJsonValue(12));
        QCOMPARE(rows.at(1).toObject().value("conoptval1"), QJsonValue("6,5"));
    }

    void curriculumSetsNeedTheirCurriculum()
    {
        QVERIFY_THROWS_EXCEPTION(ZrError, WriteRequirementFile(programme(), 1, 103, 0));
        const RequirementFile file = ReadRequirementFile(WriteRequirementFile(programme(), 1, 101));
        Recordset parent = programme();
        try {
            ImportRequirementRows(file, parent, 1, 102, 0);
            QFAIL("imported without a curriculum");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, 60213);
        }
        QVERIFY(!parent.chapter(RequirementSet::chapterName()).hasPendingChanges());
    }

    void importKeepsEachRequirementsId()
    {
        // From curriculum 11 into curriculum 12 of another programme's copy.
        const RequirementFile file = ReadRequirementFile(WriteRequirementFile(programme(), 1, 103, 11));
        QCOMPARE(file.curriculumId(), 11);
        // A file of curriculum-choice requirements names its curriculum as well.
        QCOMPARE(ReadRequirementFile(WriteRequirementFile(programme(), 1, 102, 12)).curriculumId(), 12);
        Recordset target = programme();
        QCOMPARE(ImportRequirementRows(file, target, 1, 103, 12), 3);

        // Another set's file: the n-th requirement of a type is the n-th of that type here. Row 20
        // (a course type) takes the file's values in place; the other two are new.
        const QList<Stored> set = rowsOf(target, QStringLiteral("secobjID = '12'"));
        QCOMPARE(set.size(), 3);
        const QString expression = QStringLiteral("[%20] AND ([%-1] OR NOT([%-2]))");
        const QList<int> ids{20, -1, -2}, statuses{Recordset::adRecModified, Recordset::adRecNew, Recordset::adRecNew};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(set.at(i).ocID, ids.at(i));
            QCOMPARE(set.at(i).status, statuses.at(i));
            QCOMPARE(set.at(i).eval, expression);
        }
        // The other curriculum and the other context stay as they were.
        for (const Stored &row : rowsOf(target, QStringLiteral("secobjID = '11' OR contypeID = 101")))
            QCOMPARE(row.status, int(Recordset::adRecUnmodified));

        // Values travel, target fields follow the target.
        Recordset rows = target.chapter(RequirementSet::chapterName()).clone();
        QVERIFY(rows.find(QStringLiteral("ocID = 20"), 0, Recordset::SearchForward, Recordset::StartFirst));
        QCOMPARE(rows.value(u"conoptval1").toString(), QStringLiteral("300"));
        QVERIFY(rows.find(QStringLiteral("ocID = -2"), 0, Recordset::SearchForward, Recordset::StartFirst));
        QCOMPARE(rows.value(u"conoptval1").toString(), QStringLiteral("6,5"));
        QCOMPARE(rows.value(u"conoperator").toInt(), 0);
        QCOMPARE(rows.value(u"conID").toInt(), 10);
        QCOMPARE(rows.value(u"contypeID").toInt(), 103);
        QCOMPARE(rows.value(u"objID").toInt(), 7);

        // The same file again changes nothing, and the editor numbers below the new ones.
        QCOMPARE(ImportRequirementRows(file, target, 1, 103, 12), 3);
        QCOMPARE(rowsOf(target, QStringLiteral("secobjID = '12'")).first().eval, expression);
        QCOMPARE(rowsOf(target, QStringLiteral("secobjID = '12'")).size(), 3);
        RequirementSet editing;
        editing.setObjectKind(1);
        editing.setContext(103);
        editing.setParent(target);
        QCOMPARE(editing.addRequirement(40, 12), -3);
    }

    // A file of the set itself: requirements are known by id. One deleted since comes back under
    // its id, one given another type is another requirement, one the file lacks is deleted.
    void aFileOfTheSetMatchesById()
    {
        Recordset target = programme();
        const QByteArray written = WriteRequirementFile(target, 1, 103, 11);
        QJsonObject root = QJsonDocument::fromJson(written).object();
        QJsonArray rows = root.value(u"rows").toArray();
        QJsonObject retyped = rows.at(1).toObject();
        retyped.insert(QStringLiteral("conID"), 110);
        rows.replace(1, retyped);
        root.insert(QStringLiteral("rows"), rows);
        const RequirementFile file = ReadRequirementFile(QJsonDocument(root).toJson());
        // Row 12 is gone from the set before the file comes back.
        Recordset chapter = target.chapter(RequirementSet::chapterName()).clone();
        QVERIFY(chapter.find(QStringLiteral("ocID = 12"), 0, Recordset::SearchForward, Recordset::StartFirst));
        chapter.deleteRows({chapter.bookmark()});
        ImportRequirementRows(file, target, 1, 103, 11);
        const QList<Stored> set = rowsOf(target, QStringLiteral("secobjID = '11'"));
        QList<int> ids;
        for (const Stored &row : set)
            ids << row.ocID;
        QCOMPARE(ids, (QList<int>{10, -1, 12}));
        // Row 10 keeps its values; only the expression, which names the new row, changed.
        QCOMPARE(set.first().eval, QStringLiteral("[%10] AND ([%-1] OR NOT([%12]))"));
    }

    // Imported rows take the target's keys: no curriculum in a context without any, a course's own id.
    void importTakesTheTargetsKeys_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("secobjID");
        QTest::newRow("context without curricula") << 1 << 104 << QString();
        QTest::newRow("a course's rows") << 4 << 106 << "25";
    }
    void importTakesTheTargetsKeys()
    {
        QFETCH(int, kind);
        QFETCH(int, context);
        QFETCH(QString, secobjID);
        const RequirementFile file = ReadRequirementFile(WriteRequirementFile(programme(), 1, 103, 11));
        Recordset target = programme();
        target.appendField(makeField(QStringLiteral("secobjID"), adVarWChar, 20));
        target.setValue(u"secobjID", secobjID.isEmpty() ? QVariant() : QVariant(secobjID)); // a course's id
        ImportRequirementRows(file, target, kind, context);
        const QList<Stored> set = rowsOf(target, QStringLiteral("contypeID = %1").arg(context));
        QCOMPARE(set.size(), 3);
        for (const Stored &row : set)
            QCOMPARE(row.secobjID, secobjID);
    }

    void fileAloneLoadsAsItsObject()
    {
        const RequirementFile file = ReadRequirementFile(WriteRequirementFile(programme(), 1, 103, 11));
        Recordset parent = RequirementFileRecordset(file);
        QCOMPARE(parent.value(u"prID").toInt(), 7);
        // Written again, the set reads the same apart from its ids.
        const QJsonArray before =
            QJsonDocument::fromJson(WriteRequirementFile(programme(), 1, 103, 11)).object().value("rows").toArray();
        const QJsonArray after =
            QJsonDocument::fromJson(WriteRequirementFile(parent, 1, 103, 11)).object().value("rows").toArray();
        QCOMPARE(after.size(), before.size());
        for (int i = 0; i < before.size(); ++i) {
            QJsonObject a = after.at(i).toObject();
            QJsonObject b = before.at(i).toObject();
            QCOMPARE(a.value("ocID").toInt(), -(i + 1));
            for (const char *key : {"ocID", "coneval"}) {
                a.remove(QLatin1String(key));
                b.remove(QLatin1String(key));
            }
            QCOMPARE(a, b);
        }
    }
};

QTEST_GUILESS_MAIN(TestRequirementFile)
#include "tst_requirementfile.moc"
