#pragma once

#include "zrsvr_export.h"

#include <QChar>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <optional>

class QIODevice;

namespace zr::server {

/// How a CSV file is written; what is not named is found from the file's first bytes.
struct CsvDialect
{
    enum class Encoding { Detect, Utf8, Windows1253 };
    Encoding encoding = Encoding::Detect;
    /// ',', ';' or a tab; a null character: the one the header line uses most.
    QChar delimiter;
};

/// One record of a CSV file: its fields, and the line of the file it starts on.
struct CsvRecord
{
    QStringList fields;
    qint64 line = 0;
};

/// Reads the CSV files spreadsheets write, one record at a time, never the whole file
/// at once: UTF-8 with or without a byte-order mark or Windows-1253 (Greek Excel), fields
/// separated by ',', ';' or tabs, quoted fields with doubled quotes and line breaks
/// inside. Blank lines are skipped. A malformed file throws ZrError (ErrDataFileRefused)
/// naming the file, the line and the column.
class ZRSVR_EXPORT CsvReader
{
public:
    CsvReader(QIODevice *device, const QString &name, CsvDialect dialect = {});

    /// The next record, or false at the end of the file.
    bool next(CsvRecord &record);

    CsvDialect::Encoding encoding() const { return m_encoding; }
    QChar delimiter() const { return m_delimiter; }

private:
    bool fill();
    QString decode(const QByteArray &bytes);

    QIODevice *m_device;
    QString m_name;
    CsvDialect::Encoding m_encoding;
    QChar m_delimiter;
    QStringDecoder m_utf8;
    QString m_text;     // decoded, not yet read
    qsizetype m_at = 0; // read up to here
    qint64 m_line = 1;
    bool m_ended = false;
};

/// One line of a CSV file, with its line break: a field holding the separator, a quote, a
/// line break or spaces at either end is quoted.
ZRSVR_EXPORT QString CsvLine(const QStringList &fields, QChar delimiter = u',');

/// A number as a spreadsheet writes it, "7,5" or "7.5" (no thousands separators);
/// nothing when the text is not one.
ZRSVR_EXPORT std::optional<double> SpreadsheetNumber(QStringView text);

} // namespace zr::server
