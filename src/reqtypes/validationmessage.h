#pragma once

#include "common/zrerror.h"
#include "zrreq_export.h"

#include <QList>
#include <QString>

namespace zr {

/// One value put into a validation message: a caption the user gave (a
/// requirement's or a row's), quoted unless the message quotes it itself,
/// or a fixed text that brings its own quotes.
struct MessageArg
{
    QString text;
    bool isCaption = true;
};

inline MessageArg Caption(const QString &text) { return {text, true}; }
inline MessageArg FixedText(const QString &text) { return {text, false}; }

/// A requirement named for a message: its caption and its place (1-based)
/// in the list, which tells two requirements of one type apart.
ZRREQ_EXPORT QString RequirementName(const QString &caption, int position);

/// The parameter row (its field name) that the last rule to fail on this
/// thread was about; empty when it was about the requirement as a whole.
ZRREQ_EXPORT QString FailedField();
/// Set by the rules before they raise.
ZRREQ_EXPORT void SetFailedField(const QString &field);

/// The number a failed rule is raised with: the message id, except for the
/// messages that share the number of an older, more general message.
qint32 RaisedNumber(qint32 messageId);

/// The localised message `messageId` with `args` in %1, %2 ...
ZRREQ_EXPORT QString FormatMessage(qint32 messageId, const QList<MessageArg> &args);

/// Throws ZrError(RaisedNumber(messageId), source, FormatMessage(...)).
/// Records nothing: the caller's trap does.
[[noreturn]] void raiseMessage(qint32 messageId, const QString &source, const QList<MessageArg> &args);

/// Runs `check` under the trap of a validation routine: a failure is logged
/// and reported, then thrown on unchanged.
template<typename Check>
void RecordedCheck(Check check)
{
    try {
        check();
    } catch (ZrError &error) {
        TrapError(error);
        throw;
    }
}

} // namespace zr
