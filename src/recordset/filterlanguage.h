#pragma once

// Internal to the libraries: the filter language of the recordset's criteria and of the server's
// filters, read by one lexer and one parser into a syntax tree. The recordset evaluates the tree
// over rows and the server writes it as SQL; each words the faults in its own terms.

#include "zrreq_export.h"

#include <QString>
#include <QStringView>

#include <exception>
#include <functional>
#include <vector>

namespace zr::filter {

enum class Dialect {
    /// Recordset criteria: `field op value` and IS [NOT] NULL joined by AND, OR and parentheses;
    /// LIKE with * or %, #dates#, numbers with their sign, '$' in names. The value is the one token
    /// after the operator, which the reader judges against its field.
    Recordset,
    /// Server filters: also NOT, [NOT] LIKE / ILIKE with ESCAPE, [NOT] IN, [NOT] BETWEEN, & and
    /// literals on either side, DATE and TIMESTAMP '...'. Read whole before parsing; comments, ';',
    /// NULs, sub-queries, functions, statement words and deep nesting are refused.
    Sql,
};

/// Words reserved when written bare; the recordset reserves AND to FALSE only.
enum class Keyword : quint8 {
    None, And, Or, Not, Like, Is, Null, True, False, Ilike, In, Between, Escape, Date, Timestamp
};
enum class Op : quint8 { Eq, Ne, Lt, Gt, Le, Ge };

struct Token
{
    enum Kind : quint8 { End, Word, Name, Text, Number, Date, Compare, Amp, Minus, Open, Close, Comma };
    Kind kind = End;
    Keyword keyword = Keyword::None;
    Op op = Op::Eq;
    qsizetype pos = 0;
    QStringView raw;    ///< as written
    QString text;       ///< a Name, Text or Date without its brackets, quotes or #s; else raw
    double number = 0;  ///< a Number's value (in the recordset with its sign); TRUE is -1

    bool is(Keyword k) const { return kind == Word && keyword == k; }
    bool isLiteral() const
    {
        return kind == Text || kind == Number || kind == Date || is(Keyword::Null) || is(Keyword::True)
            || is(Keyword::False);
    }
    /// Where the recordset wants a field: bracketed, or a word it does not reserve.
    bool isName() const { return kind == Name || (kind == Word && keyword == Keyword::None); }
};

struct Node
{
    enum Kind : quint8 { Or, And, Not, Group, Compare, Like, In, Between, IsNull, BitAnd, Column, Literal };
    Node(Kind kind = Literal, const Token &token = {}, int left = -1, int right = -1)
        : kind(kind), left(left), right(right), token(token), pos(token.pos)
    {
    }

    Kind kind;
    bool negated = false;          ///< NOT LIKE / IN / BETWEEN, IS NOT NULL; a Literal after a minus
    Keyword type = Keyword::None;  ///< a Literal after DATE or TIMESTAMP
    int left = -1, right = -1;     ///< operands, by node number
    int third = -1;                ///< LIKE's ESCAPE, BETWEEN's upper bound
    std::vector<int> items;        ///< IN's literals
    Token token;                   ///< the operator, name or value
    qsizetype pos = 0;             ///< where the node's text starts
};

struct Tree
{
    std::vector<Node> nodes;
    int root = -1;  ///< -1 for a blank text
    const Node &operator[](int node) const { return nodes[size_t(node)]; }
};

/// A text that does not read, worded in its dialect's terms.
struct ZRREQ_EXPORT Fault : std::exception
{
    Fault(QString why, qsizetype pos) : why(std::move(why)), pos(pos) {}
    const char *what() const noexcept override { return "filter text does not read"; }

    QString why;
    qsizetype pos;  ///< where the text goes wrong
};

/// The token at `pos`, after blanks, moving `pos` past it; End at the end. Throws Fault.
Token lex(QStringView text, qsizetype &pos, Dialect dialect);

/// Reads `text` into its syntax tree. Each node goes to `read` as soon as it is complete, operands
/// first and numbered in that order, before the recordset's text after it is read: a reader's
/// refusal comes before a fault further on. A server filter's "(" that opens no condition is read
/// again as a value, numbering the nodes after it anew. Throws Fault, or what `read` throws.
ZRREQ_EXPORT Tree parse(QStringView text, Dialect dialect, const std::function<void(const Tree &, int)> &read = {});

} // namespace zr::filter
