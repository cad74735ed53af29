#include "errorlog.h"

#include "serveraddress.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zr {

namespace {
struct LogState
{
    bool enabled = false;
    QString path;
};
thread_local LogState t_log;

// Writes all of `data` with as few write() calls as the kernel allows; with
// O_APPEND each call lands at the end of the file, so one call is one line.
bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}
} // namespace

QString GetSpecialFolder(int folderId)
{
    QStandardPaths::StandardLocation location;
    switch (folderId) {
    case CSIDL_LOCAL_APPDATA:
        location = QStandardPaths::GenericDataLocation;
        break;
    case 26:
        location = QStandardPaths::GenericConfigLocation;
        break;
    case 5:
        location = QStandardPaths::DocumentsLocation;
        break;
    default:
        return {};
    }
    return QStandardPaths::writableLocation(location);
}

QString GetAppDataFolder(const QString &subFolder)
{
    const QString base = GetSpecialFolder(CSIDL_LOCAL_APPDATA);
    if (base.isEmpty())
        return {};
    const QString path =
        QDir::cleanPath(base + QLatin1Char('/') + (subFolder.isEmpty() ? QStringLiteral("Zerith") : subFolder));
    CreatePrivateFolder(path);
    return path;
}

bool CreatePrivateFolder(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists() || path.isEmpty())
        return false;
    const QString parent = info.absolutePath();
    if (parent != info.absoluteFilePath() && !CreatePrivateFolder(parent))
        return false;
    // Another process may create it at the same moment; what counts is that it exists.
    return ::mkdir(QFile::encodeName(info.absoluteFilePath()).constData(), 0700) == 0 || QFileInfo(path).isDir();
}

bool LoggingEnabled()
{
    return t_log.enabled;
}

QString LogFilePath()
{
    return t_log.path;
}

void SetLogFile(const QString &path, bool enabled)
{
    t_log.path = path;
    t_log.enabled = enabled;
}

QByteArray FormatLogLine(const QDateTime &when, qint32 number, const QString &source,
                         const QString &description)
{
    QByteArray line = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    line += '\t';
    if (!source.isEmpty()) {
        line += HidePasswords(source).toUtf8();
        line += '\t';
    }
    // A number is written as a print statement writes it: sign place, digits, blank.
    line += number < 0 ? '-' : ' ';
    line += QByteArray::number(qAbs(qint64(number)));
    line += " : ";
    line += HidePasswords(description).toUtf8();
    line += "\r\n";
    return line;
}

QString RotatedLogPath(const QString &logPath, const QDateTime &when)
{
    QString rotated = logPath;
    const QString stamp = when.toString(QStringLiteral("_yyyyMMdd_HHmm")) + QStringLiteral(".log");
    if (rotated.endsWith(QLatin1String(".log"), Qt::CaseInsensitive))
        rotated.chop(4);
    return rotated + stamp;
}

void AppendLogLine(qint32 number, const QString &source, const QString &description)
{
    if (!t_log.enabled || t_log.path.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(t_log.path);
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray line = FormatLogLine(now, number, source, description);

    // The lock serialises rotation between processes; the line itself is one
    // O_APPEND write, so writers never interleave inside a line.
    bool rotated = false;
    for (int attempt = 0; attempt < 4; ++attempt) {
        // Lines may quote what a user typed or a server said: the file is the user's alone.
        const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return;
        if (::flock(fd, LOCK_EX) != 0) {
            ::close(fd);
            return;
        }
        struct stat opened {};
        struct stat named {};
        const bool same = ::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0
                          && opened.st_ino == named.st_ino && opened.st_dev == named.st_dev;
        if (!same) {
            // Another writer rotated the file between our open and lock.
            ::close(fd);
            continue;
        }
        if ((opened.st_mode & 077) != 0)
            ::fchmod(fd, 0600);  // a log written by an older version was readable by all
        if (opened.st_size > LogRotateBytes && !rotated) {
            rotated = true;
            const QByteArray target = QFile::encodeName(RotatedLogPath(t_log.path, now));
            const bool moved = ::rename(path.constData(), target.constData()) == 0;
            ::close(fd);
            if (moved)
                continue;
            return;
        }
        writeAll(fd, line);
        ::close(fd);
        return;
    }
}

} // namespace zr
