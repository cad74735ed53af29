#pragma once

#include "csvreader.h"
#include "zrsvr_export.h"

#include <QList>

class QIODevice;

namespace zr::server {

/// The rows of a JSON data file as the records a CSV file would give: first a header of
/// every member name the rows use (in the order they first appear), then one record per
/// row, numbered by the line its object starts on. The file is an array of objects, or an
/// object whose "rows" member is one. Numbers and yes/no come as text; null as an empty
/// field. A file that is no such document throws ZrError (ErrDataFileRefused) naming the
/// file and the line.
class ZRSVR_EXPORT JsonRecords
{
public:
    JsonRecords(QIODevice *device, const QString &name);

    /// The next record, the header first, or false after the last row.
    bool next(CsvRecord &record);
    /// The kind the file names in its "kind" member, if it does.
    QString kind() const { return m_kind; }

private:
    QList<CsvRecord> m_records;
    qsizetype m_at = 0;
    QString m_kind;
};

/// Whether a data file is JSON: by its name, else by its first character.
ZRSVR_EXPORT bool IsJsonDataFile(QIODevice *device, const QString &name);

} // namespace zr::server
