#pragma once

#include "zrreq_export.h"

#include <QDateTime>
#include <QString>

namespace zr {

/// Size above which the log file is moved aside before the next line.
constexpr qint64 LogRotateBytes = 64000;

/// Shell folder id of the user's local (non-roaming) application data.
constexpr int CSIDL_LOCAL_APPDATA = 28;

/// Path of a well-known user folder by its shell folder id (28 local data,
/// 26 roaming data, 5 documents); an empty text for any other id.
ZRREQ_EXPORT QString GetSpecialFolder(int folderId);

/// `subFolder` (default "Zerith") under the local data folder, created when
/// missing (readable by the user alone); empty when the local data folder
/// cannot be determined.
ZRREQ_EXPORT QString GetAppDataFolder(const QString &subFolder);

/// Creates `path` and any missing folder above it; the folders it creates are
/// readable by the user alone (0700). False when `path` is not a folder afterwards.
ZRREQ_EXPORT bool CreatePrivateFolder(const QString &path);

/// Whether log writing is allowed on this thread (true after Main).
ZRREQ_EXPORT bool LoggingEnabled();
ZRREQ_EXPORT QString LogFilePath();
/// Used by start-up; tests point the log elsewhere with it.
ZRREQ_EXPORT void SetLogFile(const QString &path, bool enabled = true);

/// The text of one log line, CR LF included; passwords of server addresses are hidden.
ZRREQ_EXPORT QByteArray FormatLogLine(const QDateTime &when, qint32 number, const QString &source,
                                      const QString &description);

/// Appends one line when logging is enabled, rotating a file above
/// LogRotateBytes first. The file is readable by the user alone. Failures
/// lose the line silently.
ZRREQ_EXPORT void AppendLogLine(qint32 number, const QString &source, const QString &description);

/// The name a log file is moved to when rotated at `when`.
ZRREQ_EXPORT QString RotatedLogPath(const QString &logPath, const QDateTime &when);

} // namespace zr
