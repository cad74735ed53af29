#include "jsonlines.h"

#include <QList>

namespace zr {

namespace {

// One open object or array: the path it stands at and, for an array, the next element's index.
struct Open
{
    QString path;
    bool isArray = false;
    int next = 0;
};

QString joined(const QString &path, const QString &part)
{
    return path.isEmpty() ? part : path + QLatin1Char('/') + part;
}

} // namespace

JsonLines::JsonLines(const QByteArray &json)
{
    QList<Open> open;
    QString pendingPath; // the path of the value about to start
    qint64 line = 1;
    bool inString = false;
    const auto valueStarts = [&] {
        if (!open.isEmpty() && open.last().isArray)
            pendingPath = joined(open.last().path, QString::number(open.last().next++));
        if (!m_lines.contains(pendingPath))
            m_lines.insert(pendingPath, line);
    };
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json.at(i);
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            else if (c == '\n')
                ++line;
            continue;
        }
        switch (c) {
        case '\n':
            ++line;
            break;
        case '"': {
            // A member name when a ':' follows; a value otherwise.
            qsizetype end = i + 1;
            while (end < json.size() && !(json.at(end) == '"' && json.at(end - 1) != '\\'))
                ++end;
            qsizetype after = end + 1;
            while (after < json.size() && QChar::isSpace(uchar(json.at(after))))
                ++after;
            const bool name = after < json.size() && json.at(after) == ':' && !open.isEmpty() &&
                              !open.last().isArray;
            if (name) {
                pendingPath =
                    joined(open.last().path, QString::fromUtf8(json.mid(i + 1, end - i - 1)));
                m_lines.insert(pendingPath, line);
            } else {
                valueStarts();
            }
            inString = true;
            break;
        }
        case '{':
        case '[':
            valueStarts();
            open.append({pendingPath, c == '[', 0});
            break;
        case '}':
        case ']':
            if (!open.isEmpty())
                open.removeLast();
            break;
        case ',':
        case ':':
            break;
        default:
            // The first character of a number, true, false or null.
            if (!QChar::isSpace(uchar(c)) &&
                (i == 0 || QByteArrayView(",:[").contains(json.at(i - 1)) ||
                 QChar::isSpace(uchar(json.at(i - 1)))))
                valueStarts();
            break;
        }
    }
}

qint64 JsonLines::line(const QString &path) const
{
    for (QString at = path;; at = at.section(QLatin1Char('/'), 0, -2)) {
        if (const auto it = m_lines.constFind(at); it != m_lines.constEnd())
            return *it;
        if (at.isEmpty())
            return 1;
    }
}

qint64 JsonLines::lineAt(const QByteArray &json, qsizetype offset)
{
    return json.left(offset).count('\n') + 1;
}

} // namespace zr
