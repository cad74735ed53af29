#pragma once

#include "zrreq_export.h"

#include <QString>
#include <QStringList>
#include <exception>

namespace zr {

/// The one error type of the library: a numbered, localised error with the
/// routine or member that raised it. Public members re-throw it to the host.
struct ZRREQ_EXPORT ZrError : public std::exception
{
    ZrError() = default;
    ZrError(qint32 number, QString source, QString description);

    qint32 number = 0;
    QString source;
    QString description;

    const char *what() const noexcept override;

private:
    QByteArray m_what;
};

/// The most recent error handed to RecordError on this thread.
ZRREQ_EXPORT ZrError LastError();

/// Records an error as the thread's last error and, when writeLog is set and
/// logging is enabled (after Main), appends one line to the log file.
/// Never throws.
ZRREQ_EXPORT void RecordError(qint32 number, const QString &source, const QString &description,
                              bool writeLog = true);
/// Records a caught error (its own number, source and description).
ZRREQ_EXPORT void RecordError(const ZrError &error, bool writeLog = true);

/// Records a caught error with `trapName` appended to its source, as an
/// outer trap does; the log line is written only when no inner trap has
/// recorded this error already, so each error is in the log once.
ZRREQ_EXPORT void RecordErrorOnce(const ZrError &error, const QString &trapName);

/// Throws the last recorded error again; records nothing itself.
[[noreturn]] ZRREQ_EXPORT void RaiseLastError();

/// Builds a ZrError whose description is the localised text of `number`
/// with its %1, %2 ... placeholders filled.
ZRREQ_EXPORT ZrError MakeError(qint32 number, const QString &source, const QStringList &params = {});

} // namespace zr
