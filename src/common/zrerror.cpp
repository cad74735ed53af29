#include "zrerror.h"

#include "errorlog.h"
#include "langstrings.h"

namespace zr {

namespace {
thread_local ZrError t_lastError;
}

ZrError::ZrError(qint32 number, QString source, QString description)
    : number(number), source(std::move(source)), description(std::move(description))
{
    m_what = this->description.toUtf8();
}

const char *ZrError::what() const noexcept
{
    return m_what.constData();
}

ZrError LastError()
{
    return t_lastError;
}

void RecordError(qint32 number, const QString &source, const QString &description, bool writeLog)
{
    t_lastError = ZrError(number, source, description);
    if (writeLog)
        AppendLogLine(number, source, description);
}

void RecordError(const ZrError &error, bool writeLog)
{
    RecordError(error.number, error.source, error.description, writeLog);
}

void RecordErrorOnce(const ZrError &error, const QString &trapName)
{
    // An inner trap that recorded the error made it the last one, its source
    // the start of every source the outer traps have given it since.
    const bool logged = t_lastError.number == error.number && t_lastError.description == error.description
                        && t_lastError.source.startsWith(error.source);
    RecordError(error.number, error.source + trapName, error.description, !logged);
}

void RaiseLastError()
{
    throw t_lastError;
}

ZrError MakeError(qint32 number, const QString &source, const QStringList &params)
{
    return ZrError(number, source, ReplaceParams(GetLangString(number), params));
}

} // namespace zr
