#include "csvreader.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "servererrors.h"

#include <QIODevice>

#include <charconv>

#include <cmath>

namespace zr::server {

namespace {

enum : int {
    StrQuoteNotClosed = 65000, // "%1, line %2: a quoted field is not closed"
    StrTextAfterQuote = 65001, // "%1, line %2, column %3: text after the closing quote"
};

constexpr qint64 ChunkBytes = 64 * 1024;

// Windows-1253 from 0x80 to 0xBF; from 0xC0 on it is Greek in Unicode order, 0x2D0 higher
// (0xD2 and 0xFF are unassigned).
constexpr char16_t Windows1253High[64] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0xFFFD, 0x2030, 0xFFFD,
    0x2039, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0xFFFD, 0x203A, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0x00A0,
    0x0385, 0x0386, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0xFFFD, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x2015, 0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x0384, 0x00B5, 0x00B6,
    0x00B7, 0x0388, 0x0389, 0x038A, 0x00BB, 0x038C, 0x00BD, 0x038E, 0x038F};

QString fromWindows1253(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            *out++ = QChar(b);
        else if (b < 0xC0)
            *out++ = QChar(Windows1253High[b - 0x80]);
        else
            *out++ = QChar(b == 0xD2 || b == 0xFF ? char16_t(0xFFFD) : char16_t(b + 0x2D0));
    }
    return text;
}

// The separator the header line uses most, outside quotes; a comma when it uses none.
QChar headerDelimiter(QStringView text)
{
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted)
            commas += c == u',', semicolons += c == u';', tabs += c == u'\t';
    }
    if (semicolons > commas && semicolons >= tabs)
        return u';';
    return tabs > commas ? u'\t' : u',';
}

} // namespace

CsvReader::CsvReader(QIODevice *device, const QString &name, CsvDialect dialect)
    : m_device(device), m_name(name), m_encoding(dialect.encoding), m_delimiter(dialect.delimiter),
      m_utf8(QStringDecoder::Utf8)
{
}

QString CsvReader::decode(const QByteArray &bytes)
{
    return m_encoding == CsvDialect::Encoding::Windows1253 ? fromWindows1253(bytes)
                                                           : QString(m_utf8.decode(bytes));
}

bool CsvReader::fill()
{
    if (m_ended)
        return false;
    const QByteArray bytes = m_device->read(ChunkBytes);
    if (bytes.isEmpty()) {
        m_ended = true;
        return false;
    }
    m_text.remove(0, m_at);
    m_at = 0;
    bool decoded = false;
    if (m_encoding == CsvDialect::Encoding::Detect) {
        // Text that does not read as UTF-8 is taken for Greek Excel's own encoding.
        QStringDecoder probe(QStringDecoder::Utf8);
        const QString probed = probe.decode(bytes);
        decoded = !probe.hasError();
        m_encoding = decoded ? CsvDialect::Encoding::Utf8 : CsvDialect::Encoding::Windows1253;
        if (decoded) {
            m_utf8 = std::move(probe); // it holds a character the chunk cut in two
            m_text += probed;
        }
    }
    if (!decoded)
        m_text += decode(bytes);
    if (m_delimiter.isNull())
        m_delimiter = headerDelimiter(m_text);
    return true;
}

bool CsvReader::next(CsvRecord &record)
{
    record.fields.clear();
    record.line = m_line;
    QString field;
    bool started = false, quoted = false, wasQuoted = false;
    const auto more = [this] { return m_at < m_text.size() || fill(); };
    while (more()) {
        const QChar c = m_text.at(m_at++);
        if (quoted) {
            if (c != u'"') {
                m_line += c == u'\n';
                field += c;
            } else if (more() && m_text.at(m_at) == u'"') {
                field += c;
                ++m_at;
            } else {
                quoted = false;
            }
            continue;
        }
        if (c == u'\r' && more() && m_text.at(m_at) == u'\n')
            continue;
        const bool lineEnd = c == u'\n' || c == u'\r';
        if (wasQuoted && c != m_delimiter && !lineEnd)
            throw ZrError(ErrDataFileRefused, QStringLiteral("CsvReader"),
                          ReplaceParams(GetLangString(StrTextAfterQuote),
                                        {m_name, QString::number(m_line),
                                         QString::number(record.fields.size() + 1)}));
        if (lineEnd) {
            ++m_line;
            if (!started) { // a blank line
                record.line = m_line;
                continue;
            }
            record.fields << field;
            return true;
        }
        started = true;
        if (c == m_delimiter) {
            record.fields << field;
            field.clear();
            wasQuoted = false;
        } else if (c == u'"' && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else {
            // The rest of an unquoted field at once: a grade, a code, a name.
            const qsizetype from = m_at - 1;
            while (m_at < m_text.size()) {
                const QChar n = m_text.at(m_at);
                if (n == m_delimiter || n == u'\n' || n == u'\r')
                    break;
                ++m_at;
            }
            field.append(m_text.constData() + from, m_at - from);
        }
    }
    if (quoted)
        throw ZrError(ErrDataFileRefused, QStringLiteral("CsvReader"),
                      ReplaceParams(GetLangString(StrQuoteNotClosed),
                                    {m_name, QString::number(record.line)}));
    if (!started)
        return false;
    record.fields << field;
    return true;
}

QString CsvLine(const QStringList &fields, QChar delimiter)
{
    QStringList written;
    for (const QString &field : fields) {
        const bool quoted = field.contains(delimiter) || field.contains(u'"') ||
                            field.contains(u'\n') || field.contains(u'\r') ||
                            field != field.trimmed();
        written << (quoted ? u'"' + QString(field).replace(u'"', QStringLiteral("\"\"")) + u'"'
                           : field);
    }
    return written.join(delimiter) + QStringLiteral("\r\n");
}

std::optional<double> SpreadsheetNumber(QStringView text)
{
    text = text.trimmed();
    // One decimal mark, comma or point; "1.234,5" could mean two things and is refused.
    if (text.isEmpty() || text.count(u',') + text.count(u'.') > 1)
        return std::nullopt;
    // Read as plain ASCII, as the C locale would: millions of grades go through here.
    char ascii[64];
    if (text.size() >= qsizetype(sizeof ascii))
        return std::nullopt;
    qsizetype length = 0;
    for (const QChar c : text) {
        if (c.unicode() > 127)
            return std::nullopt;
        ascii[length++] = c == u',' ? '.' : char(c.unicode());
    }
    const char *from = ascii[0] == '+' && length > 1 && ascii[1] != '-' ? ascii + 1 : ascii;
    double number = 0;
    const auto [end, error] = std::from_chars(from, ascii + length, number);
    if (error != std::errc() || end != ascii + length || !std::isfinite(number))
        return std::nullopt;
    return number;
}

} // namespace zr::server
