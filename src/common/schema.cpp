#include "schema.h"

#include "langstrings.h"

namespace zr {

QString SchemaColumn::caption() const
{
    InitLanguage(0);  // adopt a language the host switched since the last look-up
    if (CurrentLanguage() == LangEnglish && !captionEnglish.isEmpty())
        return captionEnglish;
    return captionGreek;
}

QString SchemaTable::caption() const
{
    InitLanguage(0);
    if (CurrentLanguage() == LangEnglish && !captionEnglish.isEmpty())
        return captionEnglish;
    return captionGreek;
}

int SchemaTable::indexOf(const QString &name) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const SchemaColumn *SchemaTable::column(const QString &name) const
{
    const int i = indexOf(name);
    return i < 0 ? nullptr : &columns.at(i);
}

QList<SchemaColumn> SchemaTable::layout(const QString &name) const
{
    QList<SchemaColumn> result;
    for (const QString &col : layouts.value(name)) {
        if (const SchemaColumn *c = column(col))
            result.append(*c);
    }
    return result;
}

QList<SchemaColumn> SchemaTable::searchableColumns() const
{
    QList<SchemaColumn> result;
    for (const SchemaColumn &c : columns) {
        if (c.searchable)
            result.append(c);
    }
    return result;
}

Schema::~Schema() = default;

} // namespace zr
