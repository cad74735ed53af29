#include "filterparser.h"
#include "textfold.h"

#include "servererrors.h"
#include "common/zrerror.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QSet>

#include <cmath>

namespace zr::server {

namespace {

constexpr int MaxFilterLength = 16000;
constexpr int MaxDepth = 48;

enum class Tok { End, Ident, Number, String, Op, LParen, RParen, Comma };

struct Token
{
    Tok kind = Tok::End;
    QString text;   // identifier (as written), operator, number text or string contents
    int pos = 0;
    bool bracketed = false;  // identifier written as [name]
};

// A value on one side of a predicate: a column, a literal not yet bound
// (its type comes from the column it meets) or a bit expression.
struct Value
{
    enum Kind { Column, Literal, Expr } kind = Literal;
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

struct Fragment
{
    QString sql;
    QVariantList params;
};

bool isSqlKeyword(const QString &upper)
{
    static const QSet<QString> words = {
        QStringLiteral("SELECT"), QStringLiteral("UNION"), QStringLiteral("INSERT"), QStringLiteral("UPDATE"),
        QStringLiteral("DELETE"), QStringLiteral("DROP"), QStringLiteral("CREATE"), QStringLiteral("ALTER"),
        QStringLiteral("EXEC"), QStringLiteral("EXECUTE"), QStringLiteral("FROM"), QStringLiteral("WHERE"),
        QStringLiteral("INTO"), QStringLiteral("ATTACH"), QStringLiteral("PRAGMA"), QStringLiteral("GRANT"),
        QStringLiteral("TRUNCATE"), QStringLiteral("COPY"), QStringLiteral("EXCEPT"), QStringLiteral("INTERSECT"),
        QStringLiteral("JOIN"), QStringLiteral("HAVING"), QStringLiteral("GROUP"), QStringLiteral("ORDER"),
        QStringLiteral("LIMIT"), QStringLiteral("OFFSET"), QStringLiteral("CASE"), QStringLiteral("WHEN"),
        QStringLiteral("CAST"), QStringLiteral("EXISTS"), QStringLiteral("WITH"), QStringLiteral("VALUES"),
        QStringLiteral("RETURNING"), QStringLiteral("DETACH"), QStringLiteral("VACUUM"), QStringLiteral("SET")};
    return words.contains(upper);
}

class Parser
{
public:
    Parser(const QString &text, const SchemaTable &table, SqlDialect dialect, const QString &source)
        : m_text(text), m_table(table), m_dialect(dialect), m_source(source)
    {
    }

    BoundFilter run()
    {
        if (m_text.size() > MaxFilterLength)
            fail(QStringLiteral("the filter is longer than %1 characters").arg(MaxFilterLength), 0);
        tokenize();
        if (m_tokens.first().kind == Tok::End)
            return {};
        Fragment f = parseOr(0);
        if (peek().kind != Tok::End)
            fail(QStringLiteral("unexpected \"%1\" after the condition").arg(peek().text), peek().pos);
        return {f.sql, f.params};
    }

private:
    [[noreturn]] void fail(const QString &why, int pos) const
    {
        throw ZrError(ErrFilterRefused, m_source,
                      QStringLiteral("Filter refused on %1: %2 (position %3).").arg(m_table.name, why).arg(pos + 1));
    }

    void tokenize()
    {
        const QString &s = m_text;
        int i = 0;
        const int n = s.size();
        while (i < n) {
            const QChar c = s.at(i);
            if (c.isSpace()) {
                ++i;
                continue;
            }
            Token t;
            t.pos = i;
            if (c == QLatin1Char('-') && i + 1 < n && s.at(i + 1) == QLatin1Char('-'))
                fail(QStringLiteral("comments are not allowed"), i);
            if (c == QLatin1Char('/') && i + 1 < n && s.at(i + 1) == QLatin1Char('*'))
                fail(QStringLiteral("comments are not allowed"), i);
            if (c == QLatin1Char(';'))
                fail(QStringLiteral("a second statement is not allowed"), i);
            if (c.isLetter() || c == QLatin1Char('_')) {
                int j = i;
                while (j < n && (s.at(j).isLetterOrNumber() || s.at(j) == QLatin1Char('_')))
                    ++j;
                t.kind = Tok::Ident;
                t.text = s.mid(i, j - i);
                i = j;
            } else if (c == QLatin1Char('[')) {
                const int close = s.indexOf(QLatin1Char(']'), i + 1);
                if (close < 0)
                    fail(QStringLiteral("unclosed ["), i);
                t.kind = Tok::Ident;
                t.text = s.mid(i + 1, close - i - 1);
                t.bracketed = true;
                i = close + 1;
            } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s.at(i + 1).isDigit())) {
                int j = i;
                while (j < n && s.at(j).isDigit())
                    ++j;
                if (j < n && s.at(j) == QLatin1Char('.')) {
                    ++j;
                    while (j < n && s.at(j).isDigit())
                        ++j;
                }
                if (j < n && (s.at(j) == QLatin1Char('e') || s.at(j) == QLatin1Char('E'))) {
                    int k = j + 1;
                    if (k < n && (s.at(k) == QLatin1Char('+') || s.at(k) == QLatin1Char('-')))
                        ++k;
                    if (k < n && s.at(k).isDigit()) {
                        j = k;
                        while (j < n && s.at(j).isDigit())
                            ++j;
                    }
                }
                if (j < n && (s.at(j).isLetter() || s.at(j) == QLatin1Char('_')))
                    fail(QStringLiteral("malformed number"), i);
                t.kind = Tok::Number;
                t.text = s.mid(i, j - i);
                i = j;
            } else if (c == QLatin1Char('\'')) {
                QString value;
                int j = i + 1;
                bool closed = false;
                while (j < n) {
                    if (s.at(j) == QLatin1Char('\'')) {
                        if (j + 1 < n && s.at(j + 1) == QLatin1Char('\'')) {
                            value += QLatin1Char('\'');
                            j += 2;
                            continue;
                        }
                        closed = true;
                        ++j;
                        break;
                    }
                    value += s.at(j++);
                }
                if (!closed)
                    fail(QStringLiteral("unterminated quoted text"), i);
                if (value.contains(QChar(0)))
                    fail(QStringLiteral("a NUL character in quoted text"), i);
                t.kind = Tok::String;
                t.text = value;
                i = j;
            } else if (c == QLatin1Char('(')) {
                t.kind = Tok::LParen;
                t.text = c;
                ++i;
            } else if (c == QLatin1Char(')')) {
                t.kind = Tok::RParen;
                t.text = c;
                ++i;
            } else if (c == QLatin1Char(',')) {
                t.kind = Tok::Comma;
                t.text = c;
                ++i;
            } else {
                static const char *const ops[] = {"<>", "!=", "<=", ">=", "=", "<", ">", "&", "-"};
                bool found = false;
                for (const char *op : ops) {
                    const QLatin1String o(op);
                    if (QStringView(s).mid(i).startsWith(o)) {
                        t.kind = Tok::Op;
                        t.text = o;
                        i += o.size();
                        found = true;
                        break;
                    }
                }
                if (!found)
                    fail(QStringLiteral("the character \"%1\" is not allowed").arg(c), i);
            }
            m_tokens.append(t);
        }
        Token end;
        end.pos = n;
        m_tokens.append(end);
    }

    const Token &peek(int ahead = 0) const
    {
        return m_tokens.at(qMin(m_pos + ahead, m_tokens.size() - 1));
    }
    Token next() { return m_tokens.at(qMin(m_pos++, m_tokens.size() - 1)); }

    bool isWord(const Token &t, const char *word) const
    {
        return t.kind == Tok::Ident && !t.bracketed && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool acceptWord(const char *word)
    {
        if (isWord(peek(), word)) {
            ++m_pos;
            return true;
        }
        return false;
    }
    void expectWord(const char *word)
    {
        if (!acceptWord(word))
            fail(QStringLiteral("expected %1").arg(QLatin1String(word)), peek().pos);
    }
    void enter(int depth) const
    {
        if (depth > MaxDepth)
            fail(QStringLiteral("the condition is nested too deeply"), peek().pos);
    }

    Fragment parseOr(int depth)
    {
        enter(depth);
        Fragment left = parseAnd(depth + 1);
        while (acceptWord("OR")) {
            Fragment right = parseAnd(depth + 1);
            left.sql = left.sql + QStringLiteral(" OR ") + right.sql;
            left.params += right.params;
        }
        return left;
    }

    Fragment parseAnd(int depth)
    {
        Fragment left = parseNot(depth + 1);
        while (acceptWord("AND")) {
            Fragment right = parseNot(depth + 1);
            left.sql = left.sql + QStringLiteral(" AND ") + right.sql;
            left.params += right.params;
        }
        return left;
    }

    Fragment parseNot(int depth)
    {
        enter(depth);
        if (acceptWord("NOT")) {
            Fragment inner = parseNot(depth + 1);
            inner.sql = QStringLiteral("NOT (") + inner.sql + QLatin1Char(')');
            return inner;
        }
        return parsePredicate(depth + 1);
    }

    Fragment parsePredicate(int depth)
    {
        enter(depth);
        if (peek().kind == Tok::LParen) {
            if (isWord(peek(1), "SELECT") || isWord(peek(1), "WITH") || isWord(peek(1), "VALUES"))
                fail(QStringLiteral("sub-queries are not allowed"), peek(1).pos);
            // "(" opens either a condition or a value such as (coursetype & 5):
            // try the condition first and fall back to the value.
            const int start = m_pos;
            try {
                ++m_pos;
                Fragment inner = parseOr(depth + 1);
                if (peek().kind != Tok::RParen)
                    fail(QStringLiteral("expected )"), peek().pos);
                ++m_pos;
                if (!startsComparison(peek())) {
                    inner.sql = QLatin1Char('(') + inner.sql + QLatin1Char(')');
                    return inner;
                }
            } catch (const ZrError &) {
                if (m_pos <= start)
                    throw;
            }
            m_pos = start;
        }
        Value left = parseValue(depth + 1);
        return parseComparison(left, depth);
    }

    bool startsComparison(const Token &t) const
    {
        if (t.kind == Tok::Op && t.text != QLatin1String("-"))
            return true;
        return isWord(t, "LIKE") || isWord(t, "ILIKE") || isWord(t, "IN") || isWord(t, "IS")
            || isWord(t, "BETWEEN") || (isWord(t, "NOT") && (isWord(peek(1), "LIKE") || isWord(peek(1), "ILIKE")
                                                            || isWord(peek(1), "IN") || isWord(peek(1), "BETWEEN")));
    }

    Fragment parseComparison(Value left, int depth)
    {
        const Token t = peek();
        if (t.kind == Tok::Op && t.text != QLatin1String("&") && t.text != QLatin1String("-")) {
            ++m_pos;
            Value right = parseValue(depth + 1);
            if (!left.hasColumn && !right.hasColumn)
                fail(QStringLiteral("a comparison must name a column"), t.pos);
            if (left.isNull || right.isNull)
                fail(QStringLiteral("compare with NULL through IS NULL"), t.pos);
            bind(left, right, t.pos);
            const QString op = t.text == QLatin1String("!=") ? QStringLiteral("<>") : t.text;
            return {left.sql + QLatin1Char(' ') + op + QLatin1Char(' ') + right.sql, left.params + right.params};
        }
        bool negate = false;
        if (isWord(t, "NOT")) {
            negate = true;
            ++m_pos;
        }
        const Token w = peek();
        if (isWord(w, "LIKE") || isWord(w, "ILIKE"))
            return parseLike(left, negate, isWord(w, "ILIKE"));
        if (isWord(w, "IN"))
            return parseIn(left, negate);
        if (isWord(w, "BETWEEN"))
            return parseBetween(left, negate, depth);
        if (isWord(w, "IS") && !negate) {
            ++m_pos;
            const bool isNot = acceptWord("NOT");
            expectWord("NULL");
            if (!left.hasColumn)
                fail(QStringLiteral("IS NULL needs a column"), w.pos);
            return {left.sql + (isNot ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" IS NULL")), left.params};
        }
        if (w.kind == Tok::End)
            fail(QStringLiteral("the condition ends too early"), w.pos);
        fail(QStringLiteral("expected a comparison, found \"%1\"").arg(w.text), w.pos);
    }

    Fragment parseLike(Value left, bool negate, bool ignoreCase)
    {
        const int pos = peek().pos;
        ++m_pos;
        if (!left.hasColumn)
            fail(QStringLiteral("LIKE needs a column on its left"), pos);
        const Token pattern = next();
        if (pattern.kind != Tok::String)
            fail(QStringLiteral("LIKE needs quoted text"), pattern.pos);
        QString sql = left.sql;
        // PostgreSQL has no LIKE on numbers or dates; SQLite compares their text anyway.
        if (m_dialect == SqlDialect::PostgreSQL && left.type != SqlType::Text)
            sql = QStringLiteral("CAST(") + sql + QStringLiteral(" AS VARCHAR)");
        QString op = QStringLiteral("LIKE");
        if (ignoreCase && m_dialect == SqlDialect::PostgreSQL)
            op = QStringLiteral("ILIKE");
        Fragment f{QString(), left.params};
        QString mark = QStringLiteral("?");
        // Text is matched folded on both sides: case, accents and Latin look-alikes aside.
        const bool folded = left.type == SqlType::Text;
        QVariantList foldValues;
        if (folded) {
            sql = FoldedSql(m_dialect, sql, f.params);
            mark = FoldedSql(m_dialect, mark, foldValues);
            op = QStringLiteral("LIKE");
        }
        f.sql = sql + (negate ? QStringLiteral(" NOT ") : QStringLiteral(" ")) + op + QLatin1Char(' ') + mark;
        f.params.append(pattern.text);
        f.params.append(foldValues);
        if (acceptWord("ESCAPE")) {
            const Token esc = next();
            if (esc.kind != Tok::String || esc.text.size() != 1)
                fail(QStringLiteral("ESCAPE needs one quoted character"), esc.pos);
            f.sql += QStringLiteral(" ESCAPE ?");
            f.params.append(esc.text);
        }
        return f;
    }

    Fragment parseIn(Value left, bool negate)
    {
        const int pos = peek().pos;
        ++m_pos;
        if (!left.hasColumn)
            fail(QStringLiteral("IN needs a column on its left"), pos);
        if (peek().kind != Tok::LParen)
            fail(QStringLiteral("IN needs a list in parentheses"), peek().pos);
        ++m_pos;
        if (isWord(peek(), "SELECT") || isWord(peek(), "WITH") || isWord(peek(), "VALUES"))
            fail(QStringLiteral("sub-queries are not allowed"), peek().pos);
        QStringList marks;
        QVariantList params = left.params;
        for (;;) {
            const Token t = peek();
            Value item = parseLiteral();
            if (item.isNull)
                fail(QStringLiteral("NULL cannot be in an IN list"), t.pos);
            params.append(convert(item, left.type, t.pos));
            marks.append(QStringLiteral("?"));
            if (peek().kind == Tok::Comma) {
                ++m_pos;
                continue;
            }
            if (peek().kind == Tok::RParen) {
                ++m_pos;
                break;
            }
            fail(QStringLiteral("expected , or ) in the IN list"), peek().pos);
        }
        return {left.sql + (negate ? QStringLiteral(" NOT IN (") : QStringLiteral(" IN (")) + marks.join(QStringLiteral(", "))
                    + QLatin1Char(')'),
                params};
    }

    Fragment parseBetween(Value left, bool negate, int depth)
    {
        const int pos = peek().pos;
        ++m_pos;
        Value low = parseValue(depth + 1);
        expectWord("AND");
        Value high = parseValue(depth + 1);
        if (!left.hasColumn)
            fail(QStringLiteral("BETWEEN needs a column on its left"), pos);
        if (low.isNull || high.isNull)
            fail(QStringLiteral("BETWEEN needs two values"), pos);
        Value l2 = left;
        bind(l2, low, pos);
        bind(left, high, pos);
        return {left.sql + (negate ? QStringLiteral(" NOT BETWEEN ") : QStringLiteral(" BETWEEN ")) + low.sql
                    + QStringLiteral(" AND ") + high.sql,
                left.params + low.params + high.params};
    }

    // Value := Term ('&' Term)*
    Value parseValue(int depth)
    {
        enter(depth);
        Value left = parseTerm(depth + 1);
        while (peek().kind == Tok::Op && peek().text == QLatin1String("&")) {
            const int pos = next().pos;
            Value right = parseTerm(depth + 1);
            left = bitAnd(left, right, pos);
        }
        return left;
    }

    Value bitAnd(Value left, Value right, int pos)
    {
        for (Value *v : {&left, &right}) {
            if (v->kind == Value::Literal) {
                if (v->isNull || !v->isNumber)
                    fail(QStringLiteral("& works on whole numbers only"), pos);
                v->sql = QStringLiteral("?");
                v->params = {convert(*v, SqlType::Integer, pos)};
                v->kind = Value::Expr;
                v->type = SqlType::Integer;
            } else if (v->type != SqlType::Integer) {
                fail(QStringLiteral("& works on whole numbers only"), pos);
            }
        }
        Value v;
        v.kind = Value::Expr;
        v.type = SqlType::Integer;
        v.hasColumn = left.hasColumn || right.hasColumn;
        v.sql = QLatin1Char('(') + left.sql + QStringLiteral(" & ") + right.sql + QLatin1Char(')');
        v.params = left.params + right.params;
        return v;
    }

    Value parseTerm(int depth)
    {
        enter(depth);
        const Token t = peek();
        if (t.kind == Tok::LParen) {
            if (isWord(peek(1), "SELECT") || isWord(peek(1), "WITH") || isWord(peek(1), "VALUES"))
                fail(QStringLiteral("sub-queries are not allowed"), peek(1).pos);
            ++m_pos;
            Value inner = parseValue(depth + 1);
            if (peek().kind != Tok::RParen)
                fail(QStringLiteral("expected )"), peek().pos);
            ++m_pos;
            if (inner.kind != Value::Literal)
                inner.sql = QLatin1Char('(') + inner.sql + QLatin1Char(')');
            return inner;
        }
        if (t.kind == Tok::Ident && !t.bracketed && !isLiteralWord(t)) {
            const QString upper = t.text.toUpper();
            if (peek(1).kind == Tok::LParen)
                fail(QStringLiteral("the function %1 is not allowed").arg(t.text), t.pos);
            if (isSqlKeyword(upper))
                fail(QStringLiteral("%1 is not allowed in a filter").arg(upper), t.pos);
        }
        if (t.kind == Tok::Ident && (t.bracketed || !isLiteralWord(t))) {
            ++m_pos;
            if (!t.bracketed && peek().kind == Tok::Ident && !isOperatorWord(peek()))
                fail(QStringLiteral("unexpected \"%1\" after %2").arg(peek().text, t.text), peek().pos);
            const SchemaColumn *col = m_table.column(t.text);
            if (!col)
                fail(QStringLiteral("%1 is not a column of %2").arg(t.text, m_table.name), t.pos);
            Value v;
            v.kind = Value::Column;
            v.type = col->sqlType;
            v.sql = col->name;
            v.hasColumn = true;
            return v;
        }
        return parseLiteral();
    }

    bool isLiteralWord(const Token &t) const
    {
        return isWord(t, "NULL") || isWord(t, "TRUE") || isWord(t, "FALSE") || isWord(t, "DATE")
            || isWord(t, "TIMESTAMP");
    }
    bool isOperatorWord(const Token &t) const
    {
        return isWord(t, "AND") || isWord(t, "OR") || isWord(t, "NOT") || isWord(t, "LIKE") || isWord(t, "ILIKE")
            || isWord(t, "IN") || isWord(t, "IS") || isWord(t, "BETWEEN") || isWord(t, "ESCAPE");
    }

    Value parseLiteral()
    {
        const Token t = next();
        Value v;
        v.kind = Value::Literal;
        if (t.kind == Tok::Op && t.text == QLatin1String("-")) {
            const Token num = next();
            if (num.kind != Tok::Number)
                fail(QStringLiteral("arithmetic is not allowed"), t.pos);
            v.isNumber = true;
            v.raw = QLatin1Char('-') + num.text;
            return v;
        }
        if (t.kind == Tok::Number) {
            v.isNumber = true;
            v.raw = t.text;
            return v;
        }
        if (t.kind == Tok::String) {
            v.isText = true;
            v.raw = t.text;
            return v;
        }
        if (isWord(t, "NULL")) {
            v.isNull = true;
            return v;
        }
        if (isWord(t, "TRUE") || isWord(t, "FALSE")) {
            v.isNumber = true;
            v.raw = isWord(t, "TRUE") ? QStringLiteral("-1") : QStringLiteral("0");
            return v;
        }
        if (isWord(t, "DATE") || isWord(t, "TIMESTAMP")) {
            const Token s = next();
            if (s.kind != Tok::String)
                fail(QStringLiteral("%1 needs quoted text").arg(t.text.toUpper()), s.pos);
            v.isText = true;
            v.typed = true;
            v.raw = s.text;
            v.type = isWord(t, "DATE") ? SqlType::Date : SqlType::Timestamp;
            if (!convert(v, v.type, s.pos).isValid())
                fail(QStringLiteral("\"%1\" is not a valid date").arg(s.text), s.pos);
            return v;
        }
        if (t.kind == Tok::End)
            fail(QStringLiteral("the condition ends too early"), t.pos);
        fail(QStringLiteral("unexpected \"%1\"").arg(t.text), t.pos);
    }

    // Binds literals against the type of the other side.
    void bind(Value &a, Value &b, int pos)
    {
        if (a.kind == Value::Literal && b.kind == Value::Literal)
            fail(QStringLiteral("a comparison must name a column"), pos);
        if (a.kind == Value::Literal) {
            a.params = {convert(a, b.type, pos)};
            a.sql = QStringLiteral("?");
            a.kind = Value::Expr;
            a.type = b.type;
            return;
        }
        if (b.kind == Value::Literal) {
            b.params = {convert(b, a.type, pos)};
            b.sql = QStringLiteral("?");
            b.kind = Value::Expr;
            b.type = a.type;
            return;
        }
        const auto family = [](SqlType t) {
            return t == SqlType::Integer || t == SqlType::Real ? 0 : (t == SqlType::Text ? 1 : 2);
        };
        if (family(a.type) != family(b.type))
            fail(QStringLiteral("the two sides have different types"), pos);
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
            if (!d.isValid()) {
                const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
                if (day.isValid())
                    d = QDateTime(day, QTime(0, 0));
            }
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
    QList<Token> m_tokens;
    int m_pos = 0;
};

} // namespace

BoundFilter parseFilter(const QString &filter, const SchemaTable &table, SqlDialect dialect, const QString &source)
{
    Parser parser(filter, table, dialect, source);
    return parser.run();
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
