#include "csvreader.h"
#include "common/langstrings.h"
#include "common/zrerror.h"

#include <QBuffer>
#include <QtTest>

using namespace zr;
using namespace zr::server;

namespace {

// The encoding read, then the records as "field|field@line", joined by "; "; or the refusal.
QString readAll(const QByteArray &bytes, CsvDialect dialect)
{
    QBuffer file;
    file.setData(bytes);
    file.open(QIODevice::ReadOnly);
    CsvReader reader(&file, QStringLiteral("courses.csv"), dialect);
    QStringList records;
    try {
        for (CsvRecord record; reader.next(record);)
            records << record.fields.join(u'|') + u'@' + QString::number(record.line);
    } catch (const ZrError &error) {
        return QStringLiteral("%1: %2").arg(error.number).arg(error.description);
    }
    const bool greek = reader.encoding() == CsvDialect::Encoding::Windows1253;
    return (greek ? QStringLiteral("1253: ") : QStringLiteral("UTF-8: ")) + records.join(QStringLiteral("; "));
}

} // namespace

class tst_DataFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InitLanguage(LangEnglish); }

    void readsWhatSpreadsheetsWriteOrNamesTheLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("delimiter"); // forced; empty: detected
        QTest::addColumn<QString>("records");
        QTest::newRow("UTF-8 with a byte-order mark") << QByteArray("\xEF\xBB\xBF" "code,title\n") + QStringLiteral("ΠΛΗ101,Προγραμματισμός\n").toUtf8()
            << QString() << QStringLiteral("UTF-8: code|title@1; ΠΛΗ101|Προγραμματισμός@2");
        QTest::newRow("Greek Excel: Windows-1253, ';', CR LF")
            << QByteArray("\xea\xf9\xe4\xe9\xea\xfc\xf2;ECTS\r\n\xd0\xcb\xc7" "101;7,5\r\n") << QString()
            << QStringLiteral("1253: κωδικός|ECTS@1; ΠΛΗ101|7,5@2");
        QTest::newRow("quotes: separators, doubled quotes and line breaks inside, no last line break")
            << QByteArray("a,b\n\"x, \"\"y\"\"\",\"line1\nline2\"\n3,4") << QString()
            << QStringLiteral("UTF-8: a|b@1; x, \"y\"|line1\nline2@2; 3|4@4");
        QTest::newRow("tabs, blank lines skipped, empty fields kept") << QByteArray("a\tb\n\n\r\nc\t\n") << QString()
            << QStringLiteral("UTF-8: a|b@1; c|@4");
        QTest::newRow("a named separator wins") << QByteArray("a,b;c\n") << QStringLiteral(";")
            << QStringLiteral("UTF-8: a,b|c@1");
        QTest::newRow("unclosed quote") << QByteArray("a,b\n\"open,x\n1,2\n") << QString()
            << QStringLiteral("31023: courses.csv, line 2: a quoted field is not closed");
        QTest::newRow("text after a quote") << QByteArray("a,b\nx,\"q\"z\n") << QString()
            << QStringLiteral("31023: courses.csv, line 2, column 2: text after the closing quote");
        // The first chunk read ends inside a two-byte letter.
        QTest::newRow("a letter cut by the reading") << QByteArray("kk\n") + QString(40000, u'α').toUtf8() << QString()
            << QStringLiteral("UTF-8: kk@1; ") + QString(40000, u'α') + QStringLiteral("@2");
    }

    void readsWhatSpreadsheetsWriteOrNamesTheLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, delimiter);
        QFETCH(QString, records);
        QCOMPARE(readAll(bytes, {CsvDialect::Encoding::Detect, delimiter.isEmpty() ? QChar() : delimiter.at(0)}), records);
    }

    void numbersWithEitherDecimalMark_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("number"); // empty: not a number
        for (const auto &[text, number] : {std::pair{"7,5", "7.5"}, {" 7.5 ", "7.5"}, {"-0,25", "-0.25"}, {"10", "10"},
                                           {"1.234,5", ""}, {"1,2,3", ""}, {"abc", ""}, {"", ""}, {"inf", ""}})
            QTest::newRow(text) << QString::fromUtf8(text) << QString::fromUtf8(number);
    }

    void numbersWithEitherDecimalMark()
    {
        QFETCH(QString, text);
        QFETCH(QString, number);
        const std::optional<double> read = SpreadsheetNumber(text);
        QCOMPARE(read ? QString::number(*read) : QString(), number);
    }
};

QTEST_GUILESS_MAIN(tst_DataFiles)
#include "tst_datafiles.moc"
