#include "recordset/filterlanguage.h"

#include <algorithm>
#include <cstdint>
#include <deque>

namespace zr::filter {

namespace {

// How deep a text may nest, in grammar levels (four a parenthesis): the server's own rule, and for
// the recordset a thousand parentheses, which keeps the stack safe.
constexpr int MaxSqlDepth = 48;
constexpr int MaxRecordsetDepth = 4000;

bool isWord(const Token &t, std::initializer_list<const char *> words)
{
    return t.kind == Token::Word && std::any_of(words.begin(), words.end(), [&](const char *w) {
        const QLatin1String word(w);
        return word.size() == t.text.size() && t.text.compare(word, Qt::CaseInsensitive) == 0;
    });
}

// Words that begin or join statements: never a column of a server filter.
bool isStatementWord(const Token &t)
{
    return isWord(t, {"SELECT", "UNION", "INSERT", "UPDATE", "DELETE", "DROP", "CREATE", "ALTER", "EXEC", "EXECUTE",
                      "FROM", "WHERE", "INTO", "ATTACH", "PRAGMA", "GRANT", "TRUNCATE", "COPY", "EXCEPT", "INTERSECT",
                      "JOIN", "HAVING", "GROUP", "ORDER", "LIMIT", "OFFSET", "CASE", "WHEN", "CAST", "EXISTS", "WITH",
                      "VALUES", "RETURNING", "DETACH", "VACUUM", "SET"});
}

// LIKE, ILIKE, IN and BETWEEN, which NOT may precede.
bool isNegatable(const Token &t)
{
    return t.is(Keyword::Like) || t.is(Keyword::Ilike) || t.is(Keyword::In) || t.is(Keyword::Between);
}

class Parser
{
public:
    Parser(QStringView text, Dialect dialect, const std::function<void(const Tree &, int)> &read)
        : m_text(text), m_dialect(dialect), m_sql(dialect == Dialect::Sql), m_read(read)
    {
    }

    Tree run()
    {
        // A server filter is read whole first: a refused character outranks a parse fault.
        if (m_sql)
            peek(SIZE_MAX);
        if (peek().kind != Token::End) {
            m_tree.root = condition(0);
            const Token &t = peek();
            if (t.kind == Token::Close)
                refuse(t, QStringLiteral("unbalanced ')' at position %1").arg(t.pos + 1),
                       QStringLiteral("unexpected \")\" after the condition"));
            if (t.kind != Token::End)
                refuse(t, QStringLiteral("unexpected '%1' at position %2 after a complete condition")
                              .arg(t.raw.toString()).arg(t.pos + 1),
                       QStringLiteral("unexpected \"%1\" after the condition").arg(t.text));
        }
        return std::move(m_tree);
    }

private:
    // Refuses the text at `at` in the words of the dialect.
    [[noreturn]] void refuse(const Token &at, const QString &recordset, const QString &sql) const
    {
        throw Fault(m_sql ? sql : recordset, at.pos);
    }

    // The token `ahead` of the current one, read when first wanted; End past the end.
    const Token &peek(size_t ahead = 0)
    {
        const size_t want = m_pos + std::min(ahead, SIZE_MAX - m_pos);
        while (m_tokens.size() <= want && (m_tokens.empty() || m_tokens.back().kind != Token::End))
            m_tokens.push_back(lex(m_text, m_lexed, m_dialect));
        return m_tokens[std::min(want, m_tokens.size() - 1)];
    }
    Token next()
    {
        Token t = peek();
        ++m_pos;
        return t;
    }
    // Steps over the current token when it is the one wanted.
    bool step(bool wanted)
    {
        m_pos += wanted;
        return wanted;
    }
    bool accept(Keyword word) { return step(peek().is(word)); }
    bool accept(Token::Kind kind) { return step(peek().kind == kind); }
    void expect(Keyword word, const char *spelling)
    {
        if (!accept(word))
            refuse(peek(), QStringLiteral("expected NULL after IS at position %1").arg(peek().pos + 1),
                   QStringLiteral("expected %1").arg(QLatin1String(spelling)));
    }
    // The quoted text that `word` wants next.
    Token quoted(const QString &word)
    {
        const Token t = next();
        if (t.kind != Token::Text)
            throw Fault(QStringLiteral("%1 needs quoted text").arg(word), t.pos);
        return t;
    }
    void enter(int depth)
    {
        if (depth > (m_sql ? MaxSqlDepth : MaxRecordsetDepth))
            refuse(peek(), QStringLiteral("parentheses nested too deeply at position %1").arg(peek().pos + 1),
                   QStringLiteral("the condition is nested too deeply"));
    }
    void noSubQuery(size_t ahead)
    {
        if (isWord(peek(ahead), {"SELECT", "WITH", "VALUES"}))
            throw Fault(QStringLiteral("sub-queries are not allowed"), peek(ahead).pos);
    }

    int add(Node n)
    {
        m_tree.nodes.push_back(std::move(n));
        const int number = int(m_tree.nodes.size()) - 1;
        if (m_read)
            m_read(m_tree, number);
        return number;
    }

    // condition := conjunction (OR conjunction)*
    int condition(int depth)
    {
        enter(depth);
        int left = conjunction(depth + 1);
        while (accept(Keyword::Or)) {
            const int right = conjunction(depth + 1);
            left = add({Node::Or, {}, left, right});
        }
        return left;
    }

    // conjunction := negation (AND negation)*
    int conjunction(int depth)
    {
        int left = negation(depth + 1);
        while (accept(Keyword::And)) {
            const int right = negation(depth + 1);
            left = add({Node::And, {}, left, right});
        }
        return left;
    }

    // negation := NOT negation | predicate; the recordset has no NOT.
    int negation(int depth)
    {
        enter(depth);
        if (m_sql && accept(Keyword::Not))
            return add({Node::Not, {}, negation(depth + 1)});
        return predicate(depth + 1);
    }

    // predicate := '(' condition ')' | operand comparison
    int predicate(int depth)
    {
        enter(depth);
        if (peek().kind != Token::Open)
            return comparison(m_sql ? value(depth + 1) : field(), depth);
        if (!m_sql) {
            const Token open = next();
            if (peek().kind == Token::Close)
                throw Fault(QStringLiteral("empty parentheses at position %1").arg(open.pos + 1), open.pos);
            return group(condition(depth + 1), open);
        }
        noSubQuery(1);
        // A server filter's "(" opens a condition or a value such as (coursetype & 5): the
        // condition is tried first, and whatever is refused in it sends the text back as a value.
        const size_t pos = m_pos;
        const size_t nodes = m_tree.nodes.size();
        try {
            const Token open = next();
            const int inner = group(condition(depth + 1), open);
            const Token &t = peek();
            if (t.kind != Token::Compare && t.kind != Token::Amp && !t.is(Keyword::Is) && !isNegatable(t)
                && !(t.is(Keyword::Not) && isNegatable(peek(1))))
                return inner;
        } catch (const std::exception &) {
        }
        m_pos = pos;
        m_tree.nodes.resize(nodes);
        return comparison(value(depth + 1), depth);
    }

    int group(int inner, const Token &open)
    {
        if (!accept(Token::Close))
            refuse(peek(), QStringLiteral("unbalanced '(' at position %1: no closing parenthesis").arg(open.pos + 1),
                   QStringLiteral("expected )"));
        return add({Node::Group, open, inner});
    }

    // The field a recordset comparison starts with.
    int field()
    {
        const Token t = next();
        if (t.kind == Token::End)
            throw Fault(QStringLiteral("a condition is missing at the end"), t.pos);
        if (!t.isName())
            throw Fault(QStringLiteral("expected a field name at position %1, found '%2'")
                            .arg(t.pos + 1).arg(t.raw.toString()), t.pos);
        return add({Node::Column, t});
    }

    int comparison(int left, int depth)
    {
        const Token t = peek();
        if (t.kind == Token::Compare || (!m_sql && t.is(Keyword::Like))) {
            ++m_pos;
            const int right = m_sql ? value(depth + 1) : literal();
            return add({t.kind == Token::Compare ? Node::Compare : Node::Like, t, left, right});
        }
        const bool negated = m_sql && accept(Keyword::Not);
        const Token w = peek();
        if (w.is(Keyword::Is) && !negated) {
            Node n(Node::IsNull, next(), left);
            n.negated = accept(Keyword::Not);
            expect(Keyword::Null, "NULL");
            return add(n);
        }
        if (w.kind == Token::End && m_sql)
            throw Fault(QStringLiteral("the condition ends too early"), w.pos);
        if (!m_sql || !isNegatable(w))
            refuse(w, QStringLiteral("expected an operator after '%1' at position %2, found '%3'")
                          .arg(m_tree[left].token.text).arg(w.pos + 1)
                          .arg(w.kind == Token::End ? QStringLiteral("end of text") : w.raw.toString()),
                   QStringLiteral("expected a comparison, found \"%1\"").arg(w.text));
        ++m_pos;
        Node n(w.is(Keyword::In) ? Node::In : w.is(Keyword::Between) ? Node::Between : Node::Like, w, left);
        n.negated = negated;
        if (n.kind == Node::Like) {
            n.right = add({Node::Literal, quoted(QStringLiteral("LIKE"))});
            if (accept(Keyword::Escape)) {
                const Token e = next();
                if (e.kind != Token::Text || e.text.size() != 1)
                    throw Fault(QStringLiteral("ESCAPE needs one quoted character"), e.pos);
                n.third = add({Node::Literal, e});
            }
        } else if (n.kind == Node::In) {
            if (!accept(Token::Open))
                throw Fault(QStringLiteral("IN needs a list in parentheses"), peek().pos);
            noSubQuery(0);
            do {
                if (peek().is(Keyword::Null))
                    throw Fault(QStringLiteral("NULL cannot be in an IN list"), peek().pos);
                n.items.push_back(literal());
            } while (accept(Token::Comma));
            if (!accept(Token::Close))
                throw Fault(QStringLiteral("expected , or ) in the IN list"), peek().pos);
        } else {
            n.right = value(depth + 1);
            expect(Keyword::And, "AND");
            n.third = value(depth + 1);
        }
        return add(n);
    }

    // value := term ('&' term)*
    int value(int depth)
    {
        enter(depth);
        int left = term(depth + 1);
        while (peek().kind == Token::Amp) {
            const Token amp = next();
            const int right = term(depth + 1);
            left = add({Node::BitAnd, amp, left, right});
        }
        return left;
    }

    // term := '(' value ')' | column | literal
    int term(int depth)
    {
        enter(depth);
        const Token t = peek();
        if (t.kind == Token::Open) {
            noSubQuery(1);
            ++m_pos;
            return group(value(depth + 1), t);
        }
        if (t.kind != Token::Name && (t.kind != Token::Word || t.isLiteral() || t.is(Keyword::Date)
                                      || t.is(Keyword::Timestamp)))
            return literal();
        if (t.kind == Token::Word && peek(1).kind == Token::Open)
            throw Fault(QStringLiteral("the function %1 is not allowed").arg(t.text), t.pos);
        if (isStatementWord(t))
            throw Fault(QStringLiteral("%1 is not allowed in a filter").arg(t.text.toUpper()), t.pos);
        const Token &after = peek(1);
        const bool joins = isNegatable(after) || after.is(Keyword::And) || after.is(Keyword::Or)
                        || after.is(Keyword::Not) || after.is(Keyword::Is) || after.is(Keyword::Escape);
        if (t.kind == Token::Word && (after.kind == Token::Word || after.kind == Token::Name) && !joins)
            throw Fault(QStringLiteral("unexpected \"%1\" after %2").arg(after.text, t.text), after.pos);
        ++m_pos;
        return add({Node::Column, t});
    }

    // A literal, in a server filter also a minus before a number and DATE or TIMESTAMP before a text;
    // in the recordset the one token after the operator, which the reader judges.
    int literal()
    {
        const Token t = next();
        Node n(Node::Literal, t);
        if (m_sql && t.kind == Token::Minus) {
            n.token = next();
            n.negated = true;
            if (n.token.kind != Token::Number)
                throw Fault(QStringLiteral("arithmetic is not allowed"), t.pos);
        } else if (m_sql && (t.is(Keyword::Date) || t.is(Keyword::Timestamp))) {
            n.token = quoted(t.text.toUpper());
            n.type = t.keyword;
        } else if (m_sql && !t.isLiteral()) {
            throw Fault(t.kind == Token::End ? QStringLiteral("the condition ends too early")
                                             : QStringLiteral("unexpected \"%1\"").arg(t.text), t.pos);
        }
        return add(n);
    }

    const QStringView m_text;
    const Dialect m_dialect;
    const bool m_sql;
    const std::function<void(const Tree &, int)> &m_read;
    qsizetype m_lexed = 0;
    std::deque<Token> m_tokens;  // a deque keeps peek()'s references while later tokens are read
    size_t m_pos = 0;
    Tree m_tree;
};

} // namespace

Tree parse(QStringView text, Dialect dialect, const std::function<void(const Tree &, int)> &read)
{
    return Parser(text, dialect, read).run();
}

} // namespace zr::filter
