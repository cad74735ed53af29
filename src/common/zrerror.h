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
    /// A trap has written the error's log line: the traps it passes after add their names only.
    bool logged = false;

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

/// A trap's record of the error it caught: `trapName` is appended to the error's source, the
/// error becomes the last one, and its log line is written unless the error says a trap wrote
/// it already. A trap that goes on rethrows the same object (`throw;`), so each error is in the
/// log once, however many traps it passes and however like an earlier error it is.
ZRREQ_EXPORT void TrapError(ZrError &error, const QString &trapName = QString());

/// Throws the last recorded error again; records nothing itself. For callers of a routine
/// that records its failure and returns nothing.
[[noreturn]] ZRREQ_EXPORT void RaiseLastError();

/// Builds a ZrError whose description is the localised text of `number`
/// with its %1, %2 ... placeholders filled.
ZRREQ_EXPORT ZrError MakeError(qint32 number, const QString &source, const QStringList &params = {});

} // namespace zr
