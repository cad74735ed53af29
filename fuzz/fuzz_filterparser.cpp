// The server's filter parser: any text is either refused with the filter
// error or turned into SQL that holds no literal at all - only the table's
// column names, the parser's own key words, operators and one "?" per bound
// value - so nothing a caller writes can reach the database as code.
#include "fuzzinput.h"
#include "tablefixture.h"

#include "filterparser.h"
#include "servererrors.h"
#include "common/zrerror.h"

#include <QRegularExpression>
#include <QSet>

using namespace zr;
using namespace zr::server;

namespace {

void checkWrittenSql(const QString &filter, const BoundFilter &bound, const SchemaTable &table)
{
    if (bound.sql.count(QLatin1Char('?')) != bound.values.size())
        fuzz::propertyFailed("placeholders and bound values differ in number", filter + "\n=> " + bound.sql);
    static const QSet<QString> keywords = {
        QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOT"), QStringLiteral("LIKE"),
        QStringLiteral("ILIKE"), QStringLiteral("ESCAPE"), QStringLiteral("IN"), QStringLiteral("IS"),
        QStringLiteral("NULL"), QStringLiteral("BETWEEN"), QStringLiteral("CAST"), QStringLiteral("AS"),
        QStringLiteral("VARCHAR"), QStringLiteral("zr_fold"), QStringLiteral("translate")};
    static const QRegularExpression token(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*|<>|<=|>=|[=<>&(),?.]|\\s+"));
    int pos = 0;
    while (pos < bound.sql.size()) {
        const QRegularExpressionMatch m =
            token.match(bound.sql, pos, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch())
            fuzz::propertyFailed("written SQL holds a foreign character", filter + "\n=> " + bound.sql);
        const QString word = m.captured();
        if (word.at(0).isLetter() || word.at(0) == QLatin1Char('_')) {
            if (!keywords.contains(word) && table.indexOf(word) < 0)
                fuzz::propertyFailed("written SQL holds a foreign word", filter + "\n=> " + bound.sql);
        }
        pos += word.size();
    }
}

void checkOrderBy(const QString &text, const SchemaTable &table)
{
    try {
        const QString order = checkedOrderBy(text, table);
        for (const QString &item : order.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
            const QStringList words = item.split(QLatin1Char(' '));
            if (table.indexOf(words.first()) < 0 || words.size() > 2
                || (words.size() == 2 && words[1] != QLatin1String("ASC") && words[1] != QLatin1String("DESC")))
                fuzz::propertyFailed("ORDER BY lets a foreign item through", text + "\n=> " + order);
        }
    } catch (const ZrError &e) {
        if (e.number != ErrUnknownColumn)
            fuzz::propertyFailed("ORDER BY threw an unexpected error", e.description);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const SchemaTable table = fuzz::everyTypeTable();
    const QString filter = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (SqlDialect dialect : {SqlDialect::SQLite, SqlDialect::PostgreSQL}) {
        try {
            checkWrittenSql(filter, parseFilter(filter, table, dialect), table);
        } catch (const ZrError &e) {
            if (e.number != ErrFilterRefused)
                fuzz::propertyFailed("the parser threw an unexpected error", e.description);
        }
    }
    checkOrderBy(filter, table);
    return 0;
}
