#pragma once

#include <QList>
#include <QString>

namespace zr::expression {

// The words of a stored expression, read left to right. Shared by the
// syntax check, the edits that keep an expression in step with its set and the audit.
enum class TokenKind { Operand, And, Or, Not, Open, Close, BadToken, Stray, End };

struct Token
{
    TokenKind kind = TokenKind::End;
    qsizetype position = 0;
    qsizetype length = 0;
    qint32 id = 0;
};

inline bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Reads the token that starts at or after `from`. Every character is looked
// at a bounded number of times, so a whole scan stays linear.
class Tokenizer
{
public:
    explicit Tokenizer(const QString &text) : m_text(text) {}

    Token next()
    {
        const qsizetype n = m_text.size();
        while (m_pos < n && m_text.at(m_pos).isSpace())
            ++m_pos;
        Token token;
        token.position = m_pos;
        if (m_pos >= n)
            return token;

        const QChar c = m_text.at(m_pos);
        if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
            token.kind = c == QLatin1Char('(') ? TokenKind::Open : TokenKind::Close;
            token.length = 1;
        } else if (c == QLatin1Char('[')) {
            readBracket(token);
        } else if (isWordChar(c)) {
            qsizetype end = m_pos + 1;
            while (end < n && isWordChar(m_text.at(end)))
                ++end;
            token.length = end - m_pos;
            const QStringView word = QStringView(m_text).mid(m_pos, token.length);
            if (word.compare(QLatin1String("AND"), Qt::CaseInsensitive) == 0)
                token.kind = TokenKind::And;
            else if (word.compare(QLatin1String("OR"), Qt::CaseInsensitive) == 0)
                token.kind = TokenKind::Or;
            else if (word.compare(QLatin1String("NOT"), Qt::CaseInsensitive) == 0)
                token.kind = TokenKind::Not;
            else
                token.kind = TokenKind::Stray;
        } else {
            token.kind = TokenKind::Stray;
            token.length = c.isHighSurrogate() && m_pos + 1 < n && m_text.at(m_pos + 1).isLowSurrogate() ? 2 : 1;
        }
        m_pos += token.length;
        return token;
    }

private:
    // "[" up to the next "]"; a "[" met first ends a malformed token there,
    // so that "[[[[" is not rescanned from every bracket.
    void readBracket(Token &token)
    {
        const qsizetype n = m_text.size();
        qsizetype end = m_pos + 1;
        while (end < n && m_text.at(end) != QLatin1Char(']') && m_text.at(end) != QLatin1Char('['))
            ++end;
        const bool closed = end < n && m_text.at(end) == QLatin1Char(']');
        token.length = (closed ? end + 1 : end) - m_pos;
        token.kind = TokenKind::BadToken;
        if (!closed || token.length < 4 || m_text.at(m_pos + 1) != QLatin1Char('%'))
            return;
        const QStringView number = QStringView(m_text).mid(m_pos + 2, token.length - 3);
        for (qsizetype i = 0; i < number.size(); ++i) {
            const QChar d = number.at(i);
            if (!(d.unicode() >= '0' && d.unicode() <= '9') && !(i == 0 && d == QLatin1Char('-')))
                return;
        }
        bool ok = false;
        const qint32 id = number.toInt(&ok);
        // Only the one spelling of each id counts: the editor finds tokens by
        // their exact text, so "[%012]" would never match requirement 12.
        if (ok && QString::number(id) == number) {
            token.kind = TokenKind::Operand;
            token.id = id;
        }
    }

    const QString &m_text;
    qsizetype m_pos = 0;
};

// Every token of `text`, the closing End token left out.
inline QList<Token> tokenize(const QString &text)
{
    QList<Token> tokens;
    Tokenizer tokenizer(text);
    for (Token token = tokenizer.next(); token.kind != TokenKind::End; token = tokenizer.next())
        tokens << token;
    return tokens;
}

} // namespace zr::expression
