#include "filterparser.h"
#include "textfold.h"

#include "servererrors.h"
#include "common/zrerror.h"
#include "recordset/filterlanguage.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

#include <cmath>

namespace zr::server {

namespace {

using filter::Keyword;
using filter::Token;

constexpr int MaxFilterLength = 16000;

// What a node of the filter becomes: SQL with its bound values, or a literal not bound yet, whose
// type comes from the column it meets.
struct Value
{
    enum Kind { Literal, Expr } kind = Expr;
    SqlType type = SqlType::Text;
    QString sql;
    QVariantList params;
    bool hasColumn = false;
    // literal only
    bool isNull = false;
    bool isText = false;
    bool isNumber = false;
    bool typed = false;  // DATE '...' / TIMESTAMP '...'
    QString raw;
};

// Writes the parser's nodes as SQL as each is complete, so that a refusal inside parentheses
// lets the parser read them again as a value.
class SqlWriter
{
public:
    SqlWriter(const QString &text, const SchemaTable &table, SqlDialect dialect, const QString &source)
        : m_text(text), m_table(table), m_dialect(dialect), m_source(source)
    {
    }

    BoundFilter run()
    {
        if (m_text.size() > MaxFilterLength)
            fail(QStringLiteral("the filter is longer than %1 characters").arg(MaxFilterLength), 0);
        try {
            const int root = filter::parse(m_text, filter::Dialect::Sql,
                                           [this](const filter::Tree &tree, int node) { take(tree, node); }).root;
            if (root < 0)
                return {};
            return {m_values[size_t(root)].sql, m_values[size_t(root)].params};
        } catch (const filter::Fault &f) {
            fail(f.why, f.pos);
        }
    }

private:
    [[noreturn]] void fail(const QString &why, qsizetype pos) const
    {
        throw ZrError(ErrFilterRefused, m_source,
                      QStringLiteral("Filter refused on %1: %2 (position %3).").arg(m_table.name, why).arg(pos + 1));
    }

    void take(const filter::Tree &tree, int number)
    {
        const filter::Node &n = tree[number];
        // A parenthesis read again as a value numbers the nodes after it anew.
        m_values.resize(size_t(number));
        const auto operand = [this](int node) { return node < 0 ? Value() : m_values[size_t(node)]; };
        Value left = operand(n.left), right = operand(n.right), high = operand(n.third);
        const int pos = int(n.token.pos);
        Value v;
        switch (n.kind) {
        case filter::Node::Column: {
            const SchemaColumn *col = m_table.column(n.token.text);
            if (!col)
                fail(QStringLiteral("%1 is not a column of %2").arg(n.token.text, m_table.name), pos);
            v.type = col->sqlType;
            v.sql = col->name;
            v.hasColumn = true;
            break;
        }
        case filter::Node::Literal:
            v = literal(n);
            break;
        case filter::Node::Group:
            v = left;
            if (v.kind != Value::Literal)
                v.sql = QLatin1Char('(') + v.sql + QLatin1Char(')');
            break;
        case filter::Node::BitAnd:
            v = bitAnd(left, right, pos);
            break;
        case filter::Node::Not:
            v.sql = QStringLiteral("NOT (") + left.sql + QLatin1Char(')');
            v.params = left.params;
            break;
        case filter::Node::And:
        case filter::Node::Or:
            v.sql = left.sql + (n.kind == filter::Node::And ? QStringLiteral(" AND ") : QStringLiteral(" OR "))
                  + right.sql;
            v.params = left.params + right.params;
            break;
        case filter::Node::Compare: {
            if (!left.hasColumn && !right.hasColumn)
                fail(QStringLiteral("a comparison must name a column"), pos);
            if (left.isNull || right.isNull)
                fail(QStringLiteral("compare with NULL through IS NULL"), pos);
            bind(left, right, pos);
            static const char *const ops[] = {"=", "<>", "<", ">", "<=", ">="};
            v.sql = left.sql + QLatin1Char(' ') + QLatin1String(ops[int(n.token.op)]) + QLatin1Char(' ') + right.sql;
            v.params = left.params + right.params;
            break;
        }
        case filter::Node::IsNull:
            if (!left.hasColumn)
                fail(QStringLiteral("IS NULL needs a column"), pos);
            v.sql = left.sql + (n.negated ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" IS NULL"));
            v.params = left.params;
            break;
        case filter::Node::Like:
            v = like(left, tree, n);
            break;
        case filter::Node::In: {
            if (!left.hasColumn)
                fail(QStringLiteral("IN needs a column on its left"), pos);
            QStringList marks;
            v.params = left.params;
            for (int item : n.items) {
                v.params.append(convert(m_values[size_t(item)], left.type, tree[item].pos));
                marks.append(QStringLiteral("?"));
            }
            v.sql = left.sql + (n.negated ? QStringLiteral(" NOT IN (") : QStringLiteral(" IN ("))
                  + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
            break;
        }
        case filter::Node::Between: {
            if (!left.hasColumn)
                fail(QStringLiteral("BETWEEN needs a column on its left"), pos);
            if (right.isNull || high.isNull)
                fail(QStringLiteral("BETWEEN needs two values"), pos);
            Value l2 = left;
            bind(l2, right, pos);
            bind(left, high, pos);
            v.sql = left.sql + (n.negated ? QStringLiteral(" NOT BETWEEN ") : QStringLiteral(" BETWEEN ")) + right.sql
                  + QStringLiteral(" AND ") + high.sql;
            v.params = left.params + right.params + high.params;
            break;
        }
        }
        m_values.push_back(std::move(v));
    }

    Value like(const Value &left, const filter::Tree &tree, const filter::Node &n)
    {
        if (!left.hasColumn)
            fail(QStringLiteral("LIKE needs a column on its left"), n.token.pos);
        Value f;
        f.params = left.params;
        f.sql = left.sql;
        // PostgreSQL has no LIKE on numbers or dates; SQLite compares their text anyway.
        if (m_dialect == SqlDialect::PostgreSQL && left.type != SqlType::Text)
            f.sql = QStringLiteral("CAST(") + f.sql + QStringLiteral(" AS VARCHAR)");
        const bool ilike = n.token.is(Keyword::Ilike) && m_dialect == SqlDialect::PostgreSQL;
        QString op = ilike ? QStringLiteral("ILIKE") : QStringLiteral("LIKE");
        QString mark = QStringLiteral("?");
        QVariantList foldValues;
        // Text is matched folded on both sides: case, accents and Latin look-alikes aside.
        if (left.type == SqlType::Text) {
            f.sql = FoldedSql(m_dialect, f.sql, f.params);
            mark = FoldedSql(m_dialect, mark, foldValues);
            op = QStringLiteral("LIKE");
        }
        f.sql += (n.negated ? QStringLiteral(" NOT ") : QStringLiteral(" ")) + op + QLatin1Char(' ') + mark;
        f.params << tree[n.right].token.text << foldValues;
        if (n.third >= 0) {
            f.sql += QStringLiteral(" ESCAPE ?");
            f.params.append(tree[n.third].token.text);
        }
        return f;
    }

    Value literal(const filter::Node &n) const
    {
        const Token &t = n.token;
        Value v;
        v.kind = Value::Literal;
        v.raw = t.text;
        if (t.kind == Token::Number) {
            v.isNumber = true;
            if (n.negated)
                v.raw = QLatin1Char('-') + t.text;
        } else if (t.kind == Token::Text) {
            v.isText = true;
            if (n.type != Keyword::None) {
                v.typed = true;
                v.type = n.type == Keyword::Date ? SqlType::Date : SqlType::Timestamp;
                convert(v, v.type, int(t.pos));
            }
        } else if (t.is(Keyword::Null)) {
            v.isNull = true;
        } else {
            v.isNumber = true;
            v.raw = t.is(Keyword::True) ? QStringLiteral("-1") : QStringLiteral("0");
        }
        return v;
    }

    Value bitAnd(Value left, Value right, int pos)
    {
        for (Value *v : {&left, &right}) {
            if (v->kind == Value::Literal ? v->isNull || !v->isNumber : v->type != SqlType::Integer)
                fail(QStringLiteral("& works on whole numbers only"), pos);
            if (v->kind == Value::Literal)
                bindTo(*v, SqlType::Integer, pos);
        }
        Value v;
        v.type = SqlType::Integer;
        v.hasColumn = left.hasColumn || right.hasColumn;
        v.sql = QLatin1Char('(') + left.sql + QStringLiteral(" & ") + right.sql + QLatin1Char(')');
        v.params = left.params + right.params;
        return v;
    }

    // Binds literals against the type of the other side.
    void bind(Value &a, Value &b, int pos)
    {
        if (a.kind == Value::Literal && b.kind == Value::Literal)
            fail(QStringLiteral("a comparison must name a column"), pos);
        if (a.kind == Value::Literal)
            return bindTo(a, b.type, pos);
        if (b.kind == Value::Literal)
            return bindTo(b, a.type, pos);
        const auto family = [](SqlType t) {
            return t == SqlType::Integer || t == SqlType::Real ? 0 : (t == SqlType::Text ? 1 : 2);
        };
        if (family(a.type) != family(b.type))
            fail(QStringLiteral("the two sides have different types"), pos);
    }

    void bindTo(Value &literal, SqlType type, int pos) const
    {
        literal.params = {convert(literal, type, pos)};
        literal.sql = QStringLiteral("?");
        literal.kind = Value::Expr;
        literal.type = type;
    }

    QVariant convert(const Value &v, SqlType target, int pos) const
    {
        switch (target) {
        case SqlType::Integer: {
            bool ok = false;
            const QString text = v.raw.trimmed();
            const qlonglong n = QLocale::c().toLongLong(text, &ok);
            if (ok)
                return n;
            const double d = QLocale::c().toDouble(text, &ok);
            // Only a whole number within 64 bits converts; the cast is undefined beyond.
            if (ok && std::fabs(d) < 9.2e18 && d == std::trunc(d))
                return qlonglong(d);
            if (ok && !v.isText)
                return d;
            fail(QStringLiteral("\"%1\" is not a whole number").arg(v.raw), pos);
        }
        case SqlType::Real: {
            bool ok = false;
            const double d = QLocale::c().toDouble(v.raw.trimmed(), &ok);
            if (!ok)
                fail(QStringLiteral("\"%1\" is not a number").arg(v.raw), pos);
            return d;
        }
        case SqlType::Text:
            if (v.typed)
                fail(QStringLiteral("a date cannot be compared with text"), pos);
            return v.raw;
        case SqlType::Date: {
            const QDate d = QDate::fromString(v.raw.trimmed(), QStringLiteral("yyyy-MM-dd"));
            if (!d.isValid())
                fail(QStringLiteral("\"%1\" is not a date (yyyy-mm-dd)").arg(v.raw), pos);
            return d.toString(QStringLiteral("yyyy-MM-dd"));
        }
        case SqlType::Timestamp: {
            const QString text = v.raw.trimmed();
            QDateTime d = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            if (!d.isValid())
                d = QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
            if (!d.isValid())
                d = QDateTime(QDate::fromString(text, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
            if (!d.isValid())
                fail(QStringLiteral("\"%1\" is not a date and time").arg(v.raw), pos);
            return d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        }
        return {};
    }

    const QString &m_text;
    const SchemaTable &m_table;
    SqlDialect m_dialect;
    QString m_source;
    std::vector<Value> m_values;  // by node number
};

} // namespace

BoundFilter parseFilter(const QString &filter, const SchemaTable &table, SqlDialect dialect, const QString &source)
{
    return SqlWriter(filter, table, dialect, source).run();
}

QString checkedOrderBy(const QString &orderBy, const SchemaTable &table, const QString &source)
{
    QStringList out;
    const QStringList items = orderBy.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &item : items) {
        const QStringList words = item.simplified().split(QLatin1Char(' '));
        const SchemaColumn *col = words.isEmpty() ? nullptr : table.column(words.first());
        bool ok = col && words.size() <= 2;
        QString direction;
        if (ok && words.size() == 2) {
            direction = words.at(1).toUpper();
            ok = direction == QLatin1String("ASC") || direction == QLatin1String("DESC");
        }
        if (!ok)
            throw ZrError(ErrUnknownColumn, source,
                          QStringLiteral("Cannot order %1 by \"%2\".").arg(table.name, item.trimmed()));
        out.append(direction.isEmpty() ? col->name : col->name + QLatin1Char(' ') + direction);
    }
    return out.join(QStringLiteral(", "));
}

} // namespace zr::server
