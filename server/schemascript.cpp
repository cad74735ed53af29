#include "schemascript.h"

#include "database.h"
#include "servererrors.h"
#include "common/zrerror.h"

#include <QFile>
#include <QRegularExpression>

namespace zr::server {

namespace {

// The items of a column list, split at the commas outside parentheses.
QStringList topLevelItems(const QString &body)
{
    QStringList items;
    int depth = 0;
    QString current;
    for (const QChar c : body) {
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        if (c == QLatin1Char(',') && depth == 0) {
            items << current.simplified();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        items << current.simplified();
    return items;
}

} // namespace

SchemaScript SchemaScript::parse(const QString &script)
{
    static const QRegularExpression table(QStringLiteral("^CREATE TABLE (\\w+) \\((.*)\\)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression index(QStringLiteral("^CREATE INDEX (\\w+) ON (\\w+)"));
    static const QRegularExpression view(QStringLiteral("^CREATE VIEW (\\w+) AS"));
    static const QRegularExpression constraint(QStringLiteral("^(PRIMARY KEY|UNIQUE|FOREIGN KEY|CHECK|CONSTRAINT)\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
    SchemaScript schema;
    for (const QString &statement : SplitSqlScript(script)) {
        if (const auto m = table.match(statement); m.hasMatch()) {
            Table t{m.captured(1), {}, statement};
            for (const QString &item : topLevelItems(m.captured(2))) {
                if (!constraint.match(item).hasMatch())
                    t.columns.append({item.section(QLatin1Char(' '), 0, 0), item});
            }
            schema.tables.append(t);
        } else if (const auto i = index.match(statement); i.hasMatch()) {
            schema.indexes.append({i.captured(1), i.captured(2), statement});
        } else if (const auto v = view.match(statement); v.hasMatch()) {
            schema.views.append({v.captured(1), QString(), statement});
        }
    }
    return schema;
}

const SchemaScript &SchemaScript::builtIn()
{
    static const SchemaScript schema = [] {
        QFile f(QStringLiteral(":/zrQEMSvr/schema.sql"));
        if (!f.open(QIODevice::ReadOnly))
            throw ZrError(ErrDatabase, QStringLiteral("zrQEMSvr.Database"),
                          QStringLiteral("The server's resource %1 is missing.").arg(f.fileName()));
        return parse(QString::fromUtf8(f.readAll()));
    }();
    return schema;
}

const SchemaScript::Table *SchemaScript::table(const QString &name) const
{
    for (const Table &t : tables) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

} // namespace zr::server
