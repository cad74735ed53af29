// The search criteria builder: random criteria over every field type,
// operator and value. Whatever statement it writes must be read back by the
// server's filter parser as exactly the criteria that were added - the same
// columns, comparisons and values, in order - in both dialects.
#include "fuzzinput.h"
#include "tablefixture.h"

#include "filterparser.h"
#include "textfold.h"
#include "common/zrerror.h"
#include "search/criteriabuilder.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include <cmath>

using namespace zr;
using namespace zr::server;

namespace {

struct Expected
{
    QString sql;
    QVariantList values;
};

bool isIntegerColumn(const fuzz::ColumnDef &c)
{
    return c.sqlType == SqlType::Integer;
}

bool isNumericColumn(const fuzz::ColumnDef &c)
{
    return c.sqlType == SqlType::Integer || c.sqlType == SqlType::Real;
}

// The value the parser should bind for what the user typed.
QVariant expectedValue(const fuzz::ColumnDef &c, QString typed, bool trim)
{
    if (isNumericColumn(c)) {
        typed = typed.trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
        const double number = QLocale::c().toDouble(typed);
        if (c.fieldType == FieldYesNo)
            return qlonglong(number != 0 ? -1 : 0);
        if (isIntegerColumn(c))
            return QLocale::c().toLongLong(typed);
        return number;
    }
    if (c.sqlType == SqlType::Text && c.fieldType != FieldTime)
        return trim ? typed.trimmed() : typed;
    return {}; // dates and times: checked for their form only
}

bool sameValue(const fuzz::ColumnDef &c, const QVariant &expected, const QVariant &bound)
{
    if (c.sqlType == SqlType::Real) {
        const double a = expected.toDouble();
        const double b = bound.toDouble();
        return std::fabs(a - b) <= 1e-14 * std::fmax(std::fabs(a), 1.0);
    }
    if (c.sqlType == SqlType::Date)
        return QDate::fromString(bound.toString(), QStringLiteral("yyyy-MM-dd")).isValid();
    if (c.sqlType == SqlType::Timestamp)
        return QDateTime::fromString(bound.toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid();
    if (c.fieldType == FieldTime)
        return QTime::fromString(bound.toString(), QStringLiteral("HH:mm:ss")).isValid();
    if (isIntegerColumn(c))
        return bound.metaType().id() == QMetaType::LongLong && bound.toLongLong() == expected.toLongLong();
    return bound.toString() == expected.toString();
}

Expected expectedCriterion(const fuzz::ColumnDef &c, int op, const QString &v1, const QString &v2,
                           SqlDialect dialect, int mode)
{
    const QString name = QString::fromLatin1(c.name);
    const bool trim = mode & CriteriaBuilder::TrimValues;
    if (op == 1 || op == 6 || op == 7) {
        QString text = trim ? v1.trimmed() : v1;
        if (isNumericColumn(c))
            text.replace(QLatin1Char(','), QLatin1Char('.'));
        const QString pattern = (op == 6 ? QString() : QStringLiteral("%")) + text + QStringLiteral("%");
        const bool pg = dialect == SqlDialect::PostgreSQL;
        const QString column = pg && c.sqlType != SqlType::Text ? QStringLiteral("CAST(") + name + " AS VARCHAR)" : name;
        QString like = pg && (mode & CriteriaBuilder::IgnoreCase) ? QStringLiteral("ILIKE") : QStringLiteral("LIKE");
        // Text is matched folded on both sides (case, accents, Latin look-alikes).
        if (c.sqlType == SqlType::Text) {
            // On PostgreSQL each fold binds its character table after its own marks.
            QVariantList values;
            const QString left = server::FoldedSql(dialect, column, values);
            values << pattern;
            const QString right = server::FoldedSql(dialect, QStringLiteral("?"), values);
            return {left + (op == 7 ? QStringLiteral(" NOT ") : QStringLiteral(" ")) + QStringLiteral("LIKE ") + right,
                    values};
        }
        return {column + (op == 7 ? QStringLiteral(" NOT ") : QStringLiteral(" ")) + like + QStringLiteral(" ?"),
                {pattern}};
    }
    if (op == 5)
        return {name + QStringLiteral(" BETWEEN ? AND ?"), {expectedValue(c, v1, trim), expectedValue(c, v2, trim)}};
    static const char *const ops[] = {"=", "", "<>", ">", "<", "", "", "", ">=", "<="};
    return {name + QLatin1Char(' ') + QLatin1String(ops[op]) + QStringLiteral(" ?"), {expectedValue(c, v1, trim)}};
}

// Undoes the escaping of a LIKE pattern that was written with ESCAPE '\'.
QString unescapeLike(const QString &pattern)
{
    QString out;
    for (int i = 0; i < pattern.size(); ++i) {
        if (pattern.at(i) == QLatin1Char('\\') && i + 1 < pattern.size())
            ++i;
        out += pattern.at(i);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const SchemaTable table = fuzz::everyTypeTable();
    FuzzedDataProvider in(data, size);
    const SqlDialect dialect = in.ConsumeBool() ? SqlDialect::PostgreSQL : SqlDialect::SQLite;
    CriteriaBuilder builder(dialect);
    builder.setCombination(in.ConsumeBool() ? CriteriaBuilder::CombineAnd : CriteriaBuilder::CombineOr);
    builder.setMode(in.ConsumeIntegralInRange(0, 3));

    QList<Expected> expected;
    QList<const fuzz::ColumnDef *> columns;
    const int criteria = in.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < criteria && in.remaining_bytes() > 0; ++i) {
        const fuzz::ColumnDef &c = fuzz::columnDefs[in.ConsumeIntegralInRange(0, fuzz::columnDefCount - 1)];
        const int op = in.ConsumeIntegralInRange(-1, 10);
        const QString v1 = fuzz::takeText(in, 24);
        const QString v2 = fuzz::takeText(in, 24);
        if (builder.addCriterion(QString::fromLatin1(c.name), c.fieldType, op, v1, v2)) {
            expected << expectedCriterion(c, op, v1, v2, dialect, builder.mode());
            columns << &c;
        }
    }
    const QString statement = builder.statement();
    if (expected.isEmpty()) {
        if (!statement.isEmpty())
            fuzz::propertyFailed("a statement without criteria", statement);
        return 0;
    }
    if (!statement.startsWith(QLatin1String("WHERE ")))
        fuzz::propertyFailed("the statement does not start with WHERE", statement);

    BoundFilter bound;
    try {
        bound = parseFilter(statement.mid(6), table, dialect);
    } catch (const ZrError &e) {
        fuzz::propertyFailed("the parser refuses the builder's statement", statement + "\n" + e.description);
    }

    QStringList fragments;
    QVariantList values;
    for (const Expected &e : expected)
        fragments << e.sql;
    const QString glue = builder.combination() == CriteriaBuilder::CombineAnd ? QStringLiteral(") AND (")
                                                                                : QStringLiteral(") OR (");
    const QString sql = fragments.size() == 1 ? fragments.first() : QLatin1Char('(') + fragments.join(glue) + ')';
    // The builder may add ESCAPE '\' to a LIKE; the parser binds it as one more value.
    QString boundSql = bound.sql;
    boundSql.replace(QStringLiteral(" ESCAPE ?"), QString());
    if (boundSql != sql)
        fuzz::propertyFailed("the statement reads back as other criteria", statement + "\n=> " + bound.sql + "\n!= " + sql);

    // Walk the placeholders in order: each is one written value, or the
    // escape character of the LIKE before it.
    QList<int> marks;
    for (int p = bound.sql.indexOf(QLatin1Char('?')); p >= 0; p = bound.sql.indexOf(QLatin1Char('?'), p + 1))
        marks << p;
    if (marks.size() != bound.values.size())
        fuzz::propertyFailed("placeholders and values differ in number", bound.sql);
    int at = 0;
    for (int i = 0; i < expected.size(); ++i) {
        const bool isLike = expected[i].sql.contains(QLatin1String(" LIKE "));
        for (const QVariant &value : expected[i].values) {
            if (at >= bound.values.size())
                fuzz::propertyFailed("fewer values read back than written", statement);
            QVariant got = bound.values[at];
            const bool escaped = QStringView(bound.sql).mid(marks[at] + 1).startsWith(QLatin1String(" ESCAPE ?"));
            ++at;
            if (isLike) {
                if (escaped) {
                    if (bound.values[at] != QVariant(QStringLiteral("\\")))
                        fuzz::propertyFailed("a LIKE escapes with another character", statement);
                    got = unescapeLike(got.toString());
                    ++at;
                }
                if (got.toString() != value.toString())
                    fuzz::propertyFailed("a LIKE pattern reads back changed", statement + "\n=> " + got.toString());
            } else if (escaped || !sameValue(*columns[i], value, got)) {
                fuzz::propertyFailed("a value reads back changed",
                                     statement + "\n=> " + got.toString() + " != " + value.toString());
            }
        }
    }
    if (at != bound.values.size())
        fuzz::propertyFailed("more values read back than written", statement);
    return 0;
}
