#include "recordset/filterlanguage.h"

#include <QLocale>

#include <cmath>

namespace zr::filter {

namespace {

// In the order of Keyword; the recordset reserves the words up to FALSE.
const char *const spellings[] = {"", "AND", "OR", "NOT", "LIKE", "IS", "NULL", "TRUE", "FALSE",
                                 "ILIKE", "IN", "BETWEEN", "ESCAPE", "DATE", "TIMESTAMP"};

// Refuses the text at `pos` in the words of the dialect.
[[noreturn]] void refuse(bool sql, qsizetype pos, const QString &recordset, const QString &server)
{
    throw Fault(sql ? server : recordset, pos);
}

// Reads the quoted text opening at `i`, a doubled quote standing for one; returns where it ends.
qsizetype quoted(QStringView s, qsizetype i, Token &t, bool sql)
{
    t.kind = Token::Text;
    qsizetype from = i + 1;
    for (qsizetype j = from; j < s.size(); ++j) {
        if (s[j] != u'\'')
            continue;
        const bool doubled = j + 1 < s.size() && s[j + 1] == u'\'';
        t.text += s.mid(from, j + doubled - from);
        if (!doubled)
            return j + 1;
        from = ++j + 1;
    }
    refuse(sql, i, QStringLiteral("unterminated quoted text starting at position %1").arg(i + 1),
           QStringLiteral("unterminated quoted text"));
}

// Reads the number starting at `i` with a digit, a dot or (recordset) a sign; returns where it ends.
qsizetype number(QStringView s, qsizetype i, Token &t, bool sql)
{
    qsizetype j = i + 1;
    // The recordset reads every dot into the number and refuses 1.2.3 whole; SQL ends it at a second dot.
    bool dot = s[i] == u'.';
    for (; j < s.size() && (s[j].isDigit() || (s[j] == u'.' && (!sql || !dot))); ++j)
        dot = dot || s[j] == u'.';
    if (j < s.size() && (s[j] == u'e' || s[j] == u'E')) {
        qsizetype k = j + 1;
        if (k < s.size() && (s[k] == u'-' || s[k] == u'+'))
            ++k;
        while (k < s.size() && s[k].isDigit())
            j = ++k;
    }
    // A number running into a word is a slip, not two tokens.
    const bool runsOn =
        j < s.size() && (s[j].isLetter() || s[j] == u'_' || (!sql && (s[j].isNumber() || s[j] == u'$')));
    t.kind = Token::Number;
    bool ok = false;
    t.number = QLocale::c().toDouble(s.mid(i, j - i), &ok);
    // The server binds the digits as written, checked against their column.
    if (runsOn || (!sql && (!ok || !std::isfinite(t.number))))
        refuse(sql, i, QStringLiteral("malformed number '%1' at position %2")
                           .arg(s.mid(i, j + runsOn - i).toString()).arg(i + 1),
               QStringLiteral("malformed number"));
    return j;
}

} // namespace

Token lex(QStringView s, qsizetype &pos, Dialect dialect)
{
    const bool sql = dialect == Dialect::Sql;
    qsizetype i = pos;
    while (i < s.size() && s[i].isSpace())
        ++i;
    Token t;
    t.pos = pos = i;
    if (i == s.size())
        return t;
    const QChar c = s[i];
    const QChar d = i + 1 < s.size() ? s[i + 1] : QChar();
    qsizetype j = i + 1;
    // A comment would hide the rest of a statement: refused, at the very end too.
    if (sql && ((c == u'-' && d == u'-') || (c == u'/' && d == u'*')))
        throw Fault(QStringLiteral("comments are not allowed"), i);
    if (sql && c == u';')
        throw Fault(QStringLiteral("a second statement is not allowed"), i);
    if (c.isLetter() || c == u'_') {
        while (j < s.size() && (s[j].isLetterOrNumber() || s[j] == u'_' || (!sql && s[j] == u'$')))
            ++j;
        t.kind = Token::Word;
        for (int k = int(sql ? Keyword::Timestamp : Keyword::False); k > 0 && t.keyword == Keyword::None; --k) {
            const QLatin1String spelling(spellings[k]);
            if (spelling.size() == j - i && s.mid(i, j - i).compare(spelling, Qt::CaseInsensitive) == 0)
                t.keyword = Keyword(k);
        }
        t.number = t.keyword == Keyword::True ? -1 : 0;
    } else if (c == u'[' || (!sql && c == u'#')) {
        const qsizetype close = s.indexOf(c == u'[' ? u']' : u'#', j);
        if (close < 0 && c == u'#')
            throw Fault(QStringLiteral("unterminated date starting at position %1").arg(i + 1), i);
        if (close < 0)
            refuse(sql, i, QStringLiteral("unterminated '[' at position %1").arg(i + 1), QStringLiteral("unclosed ["));
        t.kind = c == u'[' ? Token::Name : Token::Date;
        t.text = s.mid(j, close - j).toString();
        j = close + 1;
    } else if (c == u'\'') {
        j = quoted(s, i, t, sql);
        // The drivers would end the text at a NUL.
        if (sql && t.text.contains(QChar(0)))
            throw Fault(QStringLiteral("a NUL character in quoted text"), i);
    } else if (c.isDigit() || (c == u'.' && (!sql || d.isDigit()))
               || (!sql && (c == u'-' || c == u'+') && (d.isDigit() || d == u'.'))) {
        j = number(s, i, t, sql);
    } else if (c == u'(' || c == u')' || (sql && (c == u',' || c == u'&' || c == u'-'))) {
        t.kind = c == u'(' ? Token::Open : c == u')' ? Token::Close : c == u',' ? Token::Comma
               : c == u'&' ? Token::Amp : Token::Minus;
    } else if (c == u'=' || c == u'<' || c == u'>' || (c == u'!' && d == u'=')) {
        t.kind = Token::Compare;
        t.op = c == u'=' ? Op::Eq : c == u'!' ? Op::Ne : c == u'<' ? Op::Lt : Op::Gt;
        if (c != u'=' && (d == u'=' || (c == u'<' && d == u'>'))) {  // <=, >=, != and <>
            t.op = c == u'!' || d == u'>' ? Op::Ne : c == u'<' ? Op::Le : Op::Ge;
            ++j;
        }
    } else {
        refuse(sql, i, QStringLiteral("unexpected character '%1' at position %2").arg(c).arg(i + 1),
               QStringLiteral("the character \"%1\" is not allowed").arg(c));
    }
    t.raw = s.mid(i, j - i);
    if (t.kind != Token::Name && t.kind != Token::Date && t.kind != Token::Text)
        t.text = t.raw.toString();
    pos = j;
    return t;
}

} // namespace zr::filter
