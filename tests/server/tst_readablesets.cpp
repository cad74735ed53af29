#include "../rowtexts.h"
#include "serverfixture.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "database.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/setfilenames.h"
#include "requirements/readablesetfile.h"
#include "requirementstore.h"
#include "setfilecodes.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>

using namespace zr;
using namespace zr::server;

namespace {

QString page()
{
    QFile f(QFINDTESTDATA("../../docs/set-format.md"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}


// Every stored set of the database, as the database's rows in a file.
QList<QByteArray> storedSets(Database &db)
{
    QList<std::tuple<int, qlonglong, QString, int>> sets;
    QSqlQuery &q = db.exec(
        QStringLiteral(
            "SELECT DISTINCT conobject, objID, secobjID, contypeID FROM QEMObjectConstraint "
            "ORDER BY 1, 2, 3, 4"),
        {}, QStringLiteral("test"));
    while (q.next())
        sets.append({q.value(0).toInt(), q.value(1).toLongLong(), q.value(2).toString(),
                     q.value(3).toInt()});
    q.finish();
    QList<QByteArray> files;
    RequirementStore store(db);
    for (const auto &[kind, object, secondary, context] : sets) {
        const bool keyed = kind == 3 || kind == 4;
        const bool perCurriculum = kind == 1 && (context == 102 || context == 103);
        const Recordset parent = store.loadObject(
            kind, object, keyed ? QVariant(secondary) : QVariant(), QStringLiteral("test"));
        files << WriteRequirementFile(parent, kind, context, perCurriculum ? secondary.toInt() : 0);
    }
    return files;
}

} // namespace

class TestReadableSets : public QObject
{
    Q_OBJECT

    test::ServerFixture m_fixture;

private Q_SLOTS:
    void initTestCase() { InitLanguage(LangEnglish); }

    // Every set of the sample, written readable and read back, is the same rows; and written
    // readable again, the same text.
    void everySampleSetRoundTrips()
    {
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        auto db = Database::open(m_fixture.serverName(QStringLiteral("sqlite")));
        DatabaseSetFileCodes codes(*db);
        const QList<QByteArray> sets = storedSets(*db);
        QVERIFY(sets.size() >= 20);
        for (const QByteArray &rows : sets) {
            const RequirementFile first = ReadRequirementFile(rows);
            const QByteArray readable = WriteReadableSetFile(first, codes);
            QVERIFY2(!readable.contains("conoptval") && !readable.contains("[%"),
                     readable.constData());
            const RequirementFile second = ReadSetFile(readable, codes);
            QCOMPARE(test::rowTexts(second.rows), test::rowTexts(first.rows));
            QCOMPARE(second.setKey(), first.setKey());
            QCOMPARE(WriteReadableSetFile(second, codes), readable);
        }
    }

    void theFieldReferenceIsTheSheets()
    {
        const QString text = page();
        const QString start = QStringLiteral("a test holds them to it. -->");
        const qsizetype from = text.indexOf(start) + start.size();
        const qsizetype to = text.indexOf(QStringLiteral("<!-- end of the fields -->"));
        QVERIFY(from > start.size() && to > from);
        QVERIFY2(text.mid(from, to - from).trimmed() == SetFileReference().trimmed(),
                 "docs/set-format.md is behind the sheets: put in what `zrreq describe --fields` "
                 "prints");
        // Every type has its example.
        for (const QString &type : TypeFileNames())
            QVERIFY2(text.contains(QStringLiteral("\"type\": \"%1\"").arg(type)), qPrintable(type));
    }

    // The page's examples read in the sample department as they are written.
    void thePagesExamplesRead()
    {
        QVERIFY(m_fixture.reset(QStringLiteral("sqlite")));
        DatabaseSetFileCodes codes(m_fixture.serverName(QStringLiteral("sqlite")));
        static const QRegularExpression block(QStringLiteral("```json\\n(.*?)```"),
                                              QRegularExpression::DotMatchesEverythingOption);
        int read = 0;
        for (auto it = block.globalMatch(page()); it.hasNext(); ++read) {
            QString json = it.next().captured(1);
            // A requirement alone stands in a set of its own.
            if (!json.contains(QLatin1String("\"format\"")))
                json =
                    QStringLiteral(
                        R"({"format": "zrreq-requirements/2", "appliesTo": "programme", "context": "%1",
                                          "department": "105", "programme": "ΠΠΣ", "requirements": [%2]})")
                        .arg(json.contains(QLatin1String("class-group-category"))
                                 ? QStringLiteral("class-group")
                                 : QStringLiteral("scholarship"),
                             json);
            try {
                const RequirementFile file = ReadSetFile(json.toUtf8(), codes);
                QVERIFY(file.rows.recordCount() >= 1);
            } catch (const ZrError &error) {
                QFAIL(qPrintable(error.description + QLatin1Char('\n') + json));
            }
        }
        QCOMPARE(read, 14);
    }
};

QTEST_GUILESS_MAIN(TestReadableSets)
#include "tst_readablesets.moc"
