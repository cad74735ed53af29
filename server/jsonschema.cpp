#include "jsonschema.h"

#include "servererrors.h"
#include "common/zrerror.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zr::server {

namespace {

SqlType sqlTypeFromName(const QString &name, bool *ok)
{
    *ok = true;
    if (name == QLatin1String("int"))
        return SqlType::Integer;
    if (name == QLatin1String("real"))
        return SqlType::Real;
    if (name == QLatin1String("text"))
        return SqlType::Text;
    if (name == QLatin1String("date"))
        return SqlType::Date;
    if (name == QLatin1String("timestamp"))
        return SqlType::Timestamp;
    *ok = false;
    return SqlType::Text;
}

[[noreturn]] void malformed(const QString &why)
{
    throw ZrError(ErrBadArgument, QStringLiteral("zrQEMSvr.Schema"),
                  QStringLiteral("The schema description is malformed: %1.").arg(why));
}

} // namespace

std::shared_ptr<const JsonSchema::Data> JsonSchema::parse(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (doc.isNull())
        malformed(error.errorString());
    auto data = std::make_shared<Data>();
    const QJsonObject root = doc.object();
    data->defaultTable = root.value(QLatin1String("defaultTable")).toString();
    for (const QJsonValue &tv : root.value(QLatin1String("tables")).toArray()) {
        const QJsonObject to = tv.toObject();
        SchemaTable t;
        t.name = to.value(QLatin1String("name")).toString();
        if (t.name.isEmpty())
            malformed(QStringLiteral("a table without a name"));
        t.captionGreek = to.value(QLatin1String("caption")).toString();
        t.captionEnglish = to.value(QLatin1String("caption_en")).toString();
        t.keyColumn = to.value(QLatin1String("key")).toString();
        t.whereText = to.value(QLatin1String("where")).toString();
        t.isView = to.value(QLatin1String("view")).toBool();
        for (const QJsonValue &cv : to.value(QLatin1String("columns")).toArray()) {
            const QJsonObject co = cv.toObject();
            SchemaColumn c;
            c.name = co.value(QLatin1String("name")).toString();
            bool ok = false;
            c.sqlType = sqlTypeFromName(co.value(QLatin1String("sqltype")).toString(), &ok);
            if (c.name.isEmpty() || !ok)
                malformed(QStringLiteral("a column of %1 without a name or storage type").arg(t.name));
            c.captionGreek = co.value(QLatin1String("caption")).toString();
            c.captionEnglish = co.value(QLatin1String("caption_en")).toString();
            c.type = co.value(QLatin1String("type")).toInt();
            c.subType = co.value(QLatin1String("subtype")).toInt();
            c.definedSize = co.value(QLatin1String("size")).toInt();
            c.listSource = co.value(QLatin1String("list")).toString();
            c.searchable = co.value(QLatin1String("searchable")).toBool(true);
            if (c.type < 0 || c.type > 12)
                malformed(QStringLiteral("the field type of %1.%2").arg(t.name, c.name));
            t.columns.append(c);
        }
        if (t.columns.isEmpty())
            malformed(QStringLiteral("the table %1 has no columns").arg(t.name));
        const QJsonObject layouts = to.value(QLatin1String("layouts")).toObject();
        for (auto it = layouts.begin(); it != layouts.end(); ++it) {
            QStringList cols;
            for (const QJsonValue &v : it.value().toArray()) {
                if (!t.column(v.toString()))
                    malformed(QStringLiteral("layout %1 of %2 names %3").arg(it.key(), t.name, v.toString()));
                cols.append(v.toString());
            }
            t.layouts.insert(it.key(), cols);
        }
        data->index.insert(t.name.toLower(), data->tables.size());
        data->tables.append(t);
    }
    if (!data->defaultTable.isEmpty() && !data->index.contains(data->defaultTable.toLower()))
        malformed(QStringLiteral("the default table %1 is not described").arg(data->defaultTable));
    return data;
}

JsonSchema::JsonSchema(SqlDialect dialect) : m_dialect(dialect)
{
    static const std::shared_ptr<const Data> builtIn = [] {
        QFile f(QStringLiteral(":/zrQEMSvr/schema/tables.json"));
        if (!f.open(QIODevice::ReadOnly))
            malformed(QStringLiteral("the built-in description is missing"));
        return parse(f.readAll());
    }();
    m_data = builtIn;
}

JsonSchema JsonSchema::fromJson(const QByteArray &json, SqlDialect dialect)
{
    JsonSchema s(dialect);
    s.m_data = parse(json);
    return s;
}

QString JsonSchema::defaultTableName() const
{
    return m_data->defaultTable;
}

QStringList JsonSchema::tableNames() const
{
    QStringList names;
    for (const SchemaTable &t : m_data->tables)
        names.append(t.name);
    return names;
}

const SchemaTable *JsonSchema::table(const QString &name) const
{
    const auto it = m_data->index.constFind(name.toLower());
    return it == m_data->index.constEnd() ? nullptr : &m_data->tables.at(*it);
}

} // namespace zr::server
