// Two processes append to one log through its rotation at the same time.
// The test binary is its own writer: started with --write-log it records
// numbered errors and exits.
#include "common/errorlog.h"
#include "common/zrerror.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <map>

#include <sys/stat.h>
#include <unistd.h>

using namespace zr;

namespace {

constexpr int LinesPerWriter = 10000;
const char *const WriterSwitch = "--write-log";

// Varying lengths and multi-byte text make a torn or interleaved line visible.
QString description(const QString &writer, int seq)
{
    return QStringLiteral("%1 %2 Απαίτηση %3 end").arg(writer).arg(seq).arg(QString(seq % 97, QLatin1Char('x')));
}

// Waits for the go file so that both writers start together, then writes.
int runWriter(const QString &logPath, const QString &writer, const QString &goFile)
{
    for (int i = 0; i < 10000 && !QFile::exists(goFile); ++i)
        QThread::msleep(1);
    try {
        SetLogFile(logPath, true);
        for (int seq = 0; seq < LinesPerWriter; ++seq)
            RecordError(20000 + seq % 7, QStringLiteral("zrRequirements.") + writer, description(writer, seq));
    } catch (...) {
        return 3;
    }
    return 0;
}

struct LogFile
{
    QString name;
    QByteArray bytes;
};

} // namespace

class tst_LogLoad : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    // The kept links, in the order of rotation (every rotated file still there is linked), then the live file.
    QList<LogFile> readLogs() const
    {
        QStringList names =
            QDir(m_dir.path()).entryList({QStringLiteral("zrrequirements_kept*.log")}, QDir::Files, QDir::Name);
        names << QStringLiteral("zrrequirements.log");
        QList<LogFile> logs;
        for (const QString &name : std::as_const(names)) {
            QFile f(m_dir.filePath(name));
            if (f.open(QIODevice::ReadOnly))
                logs.append({name, f.readAll()});
        }
        return logs;
    }

private Q_SLOTS:
    void twoWritersThroughRotation()
    {
        QVERIFY(m_dir.isValid());
        const QString logPath = m_dir.filePath(QStringLiteral("zrrequirements.log"));
        const QString goFile = m_dir.filePath(QStringLiteral("go"));
        const QStringList writers{QStringLiteral("alpha"), QStringLiteral("beta")};

        std::vector<std::unique_ptr<QProcess>> processes;
        for (const QString &writer : writers) {
            auto p = std::make_unique<QProcess>();
            p->setProcessChannelMode(QProcess::ForwardedChannels);
            p->start(QCoreApplication::applicationFilePath(),
                     {QString::fromLatin1(WriterSwitch), logPath, writer, goFile});
            QVERIFY2(p->waitForStarted(), qPrintable(p->errorString()));
            processes.push_back(std::move(p));
        }
        QFile go(goFile);
        QVERIFY(go.open(QIODevice::WriteOnly));
        go.close();
        // Rotations within one minute reuse the rotated name; keep a link to
        // each rotated file as it appears so that its lines can be checked too.
        QElapsedTimer clock;
        clock.start();
        int kept = 0;
        QSet<quint64> seenInodes;
        const auto keepRotated = [&] {
            const QStringList rotated = QDir(m_dir.path()).entryList({QStringLiteral("zrrequirements_2*.log")}, QDir::Files);
            for (const QString &name : rotated) {
                const QByteArray path = QFile::encodeName(m_dir.filePath(name));
                struct stat st {};
                if (::stat(path.constData(), &st) != 0 || seenInodes.contains(quint64(st.st_ino)))
                    continue;
                const QByteArray keptPath =
                    QFile::encodeName(m_dir.filePath(QStringLiteral("zrrequirements_kept%1.log").arg(kept, 4, 10, QLatin1Char('0'))));
                if (::link(path.constData(), keptPath.constData()) != 0)
                    continue;
                // A rotation between the stat and the link gives the link a newer file than the one
                // looked at: what counts is the file linked, and one already kept is not kept twice.
                struct stat linked {};
                if (::stat(keptPath.constData(), &linked) != 0 || seenInodes.contains(quint64(linked.st_ino))) {
                    ::unlink(keptPath.constData());
                    continue;
                }
                seenInodes.insert(quint64(linked.st_ino));
                ++kept;
            }
        };
        for (auto &p : processes) {
            while (p->state() != QProcess::NotRunning && clock.elapsed() < 240000) {
                keepRotated();
                p->waitForFinished(1);
            }
            QCOMPARE(p->state(), QProcess::NotRunning);
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0); // 3 would mean an exception reached the writer
        }
        keepRotated();

        const QRegularExpression lineFormat(QStringLiteral(
            "^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\tzrRequirements\\.(alpha|beta)\\t 2000\\d : "
            "(alpha|beta) (\\d+) Απαίτηση (x*) end$"));
        const QList<LogFile> logs = readLogs();
        QVERIFY(logs.size() >= 2); // at least one rotation besides the live file
        // Per writer: the file and the number of its last line read so far.
        std::map<QString, std::pair<int, int>> last;
        for (int i = 0; i < logs.size(); ++i) {
            const LogFile &log = logs.at(i);
            QVERIFY2(log.bytes.endsWith("\r\n"), qPrintable(log.name));
            QList<QByteArray> lines = log.bytes.split('\n');
            lines.removeLast(); // after the last CR LF
            for (const QByteArray &raw : lines) {
                QVERIFY2(raw.endsWith('\r'), raw.constData());
                const QRegularExpressionMatch m = lineFormat.match(QString::fromUtf8(raw.chopped(1)));
                QVERIFY2(m.hasMatch(), raw.constData());
                const QString writer = m.captured(1);
                QCOMPARE(m.captured(2), writer);
                const int seq = m.captured(3).toInt();
                QCOMPARE(m.captured(4).size(), seq % 97);
                const auto before = last.find(writer);
                if (before != last.end()) {
                    // No line is repeated or reordered across files; none is lost inside a file, nor
                    // between the live file and the rotated one it replaced.
                    QVERIFY2(seq > before->second.second, raw.constData());
                    const int file = before->second.first;
                    if (file == i || (file == i - 1 && i == logs.size() - 1))
                        QCOMPARE(seq, before->second.second + 1);
                }
                last[writer] = {i, seq};
            }
        }
        for (const auto &[writer, at] : last) {
            if (at.first == logs.size() - 1)
                QCOMPARE(at.second, LinesPerWriter - 1);
        }
    }
};

int main(int argc, char **argv)
{
    if (argc == 5 && qstrcmp(argv[1], WriterSwitch) == 0)
        return runWriter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                         QString::fromLocal8Bit(argv[4]));
    QCoreApplication app(argc, argv);
    tst_LogLoad test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logload.moc"
