#pragma once

#include "zrreq_export.h"

#include <QByteArray>
#include <QHash>
#include <QString>

namespace zr {

/// The line each value of a JSON text starts on, by its path: members by name, array elements by
/// index, joined by "/" ("requirements/2/total"; "" is the whole document). A member's line is
/// the line of its name. Meant for a text that parses: on one that does not, the lines of what
/// was read so far.
class ZRREQ_EXPORT JsonLines
{
public:
    explicit JsonLines(const QByteArray &json);

    /// The line of `path`; the line of the nearest enclosing path that has one, 1 at the least.
    qint64 line(const QString &path) const;
    /// The line of byte `offset` (a parse error's).
    static qint64 lineAt(const QByteArray &json, qsizetype offset);

private:
    QHash<QString, qint64> m_lines;
};

} // namespace zr
