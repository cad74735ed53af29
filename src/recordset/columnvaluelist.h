#pragma once

#include "zrreq_export.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace zr {

/// The value list of a grid column: the text shown for each stored id (a
/// course kind shown by name while the column holds its code). Filled by
/// GRD_LoadColumn; ids match by their text, so 3 and "3" are the same entry.
struct ZRREQ_EXPORT ColumnValueList
{
    /// Stored ids, in the order they were added.
    QList<QVariant> ids;
    /// Text shown for the id at the same position.
    QStringList texts;
    /// Text a grid shows for a stored id that the list lacks ("Unknown");
    /// empty shows the id as stored.
    QString unknownText;

    /// Number of entries.
    int size() const { return int(ids.size()); }
    /// Removes every entry.
    void clear();
    /// Appends one entry.
    void append(const QVariant &id, const QString &text);
    /// Position of `id` (compared as text), or -1.
    int indexOf(const QVariant &id) const;
    /// The text for `id`; `fallback` when the list has no such id.
    QString text(const QVariant &id, const QString &fallback = QString()) const;
};

} // namespace zr
