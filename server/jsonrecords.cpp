#include "jsonrecords.h"

#include "common/jsonlines.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "servererrors.h"

#include <QFileInfo>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zr::server {

namespace {

enum : qint32 {
    StrNotJson = 65022,    // "%1, line %2: not a file of rows in JSON: %3"
    StrNotAnObject = 65023, // "%1, line %2: a row is not an object of named values"
    StrNotAValue = 65024,  // "%1, line %2: «%3» holds a list or an object, not a value"
};

[[noreturn]] void refuse(qint32 id, const QStringList &values)
{
    throw ZrError(ErrDataFileRefused, QStringLiteral("JsonRecords"),
                  ReplaceParams(GetLangString(id), values));
}

QString fieldText(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 15);
    case QJsonValue::String:
        return value.toString();
    default:
        return QString();
    }
}

} // namespace

JsonRecords::JsonRecords(QIODevice *device, const QString &name)
{
    const QByteArray bytes = device->readAll();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        refuse(StrNotJson,
               {name, QString::number(JsonLines::lineAt(bytes, error.offset)), error.errorString()});
    QJsonArray rows = document.array();
    if (document.isObject()) {
        m_kind = document.object().value(QStringLiteral("kind")).toString();
        if (!document.object().value(QStringLiteral("rows")).isArray())
            refuse(StrNotJson, {name, QStringLiteral("1"), QStringLiteral("no \"rows\" array")});
        rows = document.object().value(QStringLiteral("rows")).toArray();
    }
    // The line each row's object starts on: an element of the document, or of its "rows".
    const JsonLines lines(bytes);
    const QString rowsPath = document.isObject() ? QStringLiteral("rows/") : QString();
    const auto lineOf = [&](qsizetype r) { return lines.line(rowsPath + QString::number(r)); };
    CsvRecord header{{}, 1};
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QString line = QString::number(lineOf(r));
        if (!rows.at(r).isObject())
            refuse(StrNotAnObject, {name, line});
        const QJsonObject row = rows.at(r).toObject();
        for (auto member = row.begin(); member != row.end(); ++member) {
            if (member->isArray() || member->isObject())
                refuse(StrNotAValue, {name, line, member.key()});
            if (!header.fields.contains(member.key()))
                header.fields << member.key();
        }
    }
    m_records << header;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QJsonObject row = rows.at(r).toObject();
        CsvRecord record{{}, lineOf(r)};
        for (const QString &column : std::as_const(header.fields))
            record.fields << fieldText(row.value(column));
        m_records << record;
    }
}

bool JsonRecords::next(CsvRecord &record)
{
    if (m_at >= m_records.size())
        return false;
    record = m_records.at(m_at++);
    return true;
}

bool IsJsonDataFile(QIODevice *device, const QString &name)
{
    if (QFileInfo(name).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0)
        return true;
    const QByteArray start = device->peek(64).trimmed();
    return start.startsWith('[') || start.startsWith('{');
}

} // namespace zr::server
