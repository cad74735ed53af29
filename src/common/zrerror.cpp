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
    t_lastError.logged = writeLog;
    if (writeLog)
        AppendLogLine(number, source, description);
}

void RecordError(const ZrError &error, bool writeLog)
{
    RecordError(error.number, error.source, error.description, writeLog);
}

void TrapError(ZrError &error, const QString &trapName)
{
    error.source += trapName;
    RecordError(error.number, error.source, error.description, !error.logged);
    error.logged = t_lastError.logged = true;
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
