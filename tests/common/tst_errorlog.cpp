#include "common/errorlog.h"
#include "common/startup.h"
#include "common/zrerror.h"
#include "../datafile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace zr;

class tst_ErrorLog : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString logPath() const { return m_dir.filePath(QStringLiteral("zrrequirements.log")); }
    QByteArray readLog() const
    {
        QFile f(logPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void fillLog(qint64 bytes)
    {
        QFile f(logPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(bytes, 'x'));
    }
    QStringList rotatedFiles() const
    {
        return QDir(m_dir.path()).entryList({QStringLiteral("zrrequirements_*.log")}, QDir::Files);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        SetLogFile(logPath(), true);
    }

    void formatsLine_data() { zr::test::addDataRows(QFINDTESTDATA("data/errorlog-formats-line.tsv")); }
    void formatsLine()
    {
        QFETCH(int, number);
        QFETCH(QString, source);
        QFETCH(QString, description);
        QFETCH(QString, afterDate);

        RecordError(number, source, description, true);
        const QByteArray line = readLog();
        const QByteArray date = line.left(line.indexOf('\t'));
        QVERIFY(QDateTime::fromString(QString::fromLatin1(date), QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid());
        QCOMPARE(line.mid(date.size()), afterDate.toUtf8());
    }

    void rotatesOnlyAboveLimit_data()
    {
        QTest::addColumn<qint64>("existing");
        QTest::addColumn<bool>("rotates");
        QTest::newRow("exactly at the limit") << LogRotateBytes << false;
        QTest::newRow("one byte over") << LogRotateBytes + 1 << true;
    }
    void rotatesOnlyAboveLimit()
    {
        QFETCH(qint64, existing);
        QFETCH(bool, rotates);
        fillLog(existing);
        RecordError(7, QStringLiteral("s"), QStringLiteral("line"));
        const QByteArray log = readLog();
        QVERIFY(log.endsWith(" 7 : line\r\n"));
        if (rotates) {
            QCOMPARE(rotatedFiles().size(), 1);
            QVERIFY(!log.startsWith('x'));
            QCOMPARE(QFile(m_dir.filePath(rotatedFiles().first())).size(), existing);
        } else {
            QVERIFY(rotatedFiles().isEmpty());
            QVERIFY(log.startsWith(QByteArray(existing, 'x')));
        }
    }

    // An error recorded without writing is still the last error, and the one raised.
    void recordsWithoutWritingWhenAsked()
    {
        RecordError(1, QStringLiteral("old"), QStringLiteral("old"), true);
        const QByteArray before = readLog();
        RecordError(42, QStringLiteral("new source"), QStringLiteral("new text"), false);
        QCOMPARE(readLog(), before);
        try {
            RaiseLastError();
            QFAIL("no exception");
        } catch (const ZrError &e) {
            QCOMPARE(e.number, 42);
            QCOMPARE(e.source, QStringLiteral("new source"));
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("new text"));
        }
    }

    // A log that is switched off or cannot be written loses the line, silently.
    void writesNothingWhereItCannot_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("switched off") << "zrrequirements.log" << false;
        QTest::newRow("folder missing") << "no/such/folder/zrrequirements.log" << true;
    }
    void writesNothingWhereItCannot()
    {
        QFETCH(QString, path);
        QFETCH(bool, enabled);
        SetLogFile(m_dir.filePath(path), enabled);
        RecordError(3, QStringLiteral("s"), QStringLiteral("lost"));
        QCOMPARE(LastError().number, 3);
        QVERIFY(!QFile::exists(m_dir.filePath(path)));
    }

    // A log an older version left readable by all becomes its user's alone.
    void anOldLogBecomesTheUsersAlone()
    {
        fillLog(10);
        QFile::setPermissions(logPath(), QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
        SetLogFile(logPath(), true);
        RecordError(2, QStringLiteral("s"), QStringLiteral("second"));
        QCOMPARE(QFileInfo(logPath()).permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);
    }

    void startupPointsLogIntoDataFolder()
    {
        Main();
        const QString folder = GetAppDataFolder(QStringLiteral("Zerith"));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(LogFilePath(), folder + QStringLiteral("/zrrequirements.log"));
        QVERIFY(LoggingEnabled());
        QCOMPARE(GetAppDataFolder(QString()), folder);
    }
};

QTEST_GUILESS_MAIN(tst_ErrorLog)
#include "tst_errorlog.moc"
