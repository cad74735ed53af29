#include "expressioncheck.h"

#include "common/langstrings.h"
#include "requirements/expressionform.h"

#include <QSet>

namespace zr {

namespace {

enum class TokenKind { Operand, And, Or, Not, Open, Close, BadToken, Stray, End };

struct Token
{
    TokenKind kind = TokenKind::End;
    qsizetype position = 0;
    qsizetype length = 0;
    qint32 id = 0;
};

bool isWordChar(QChar c)
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
        if (ok && ExpressionToken(id) == QStringView(m_text).mid(m_pos, token.length)) {
            token.kind = TokenKind::Operand;
            token.id = id;
        }
    }

    const QString &m_text;
    qsizetype m_pos = 0;
};

QString quoted(const QString &text, const Token &token)
{
    constexpr qsizetype shown = 24;
    QString fragment = text.mid(token.position, qMin(token.length, shown));
    if (token.length > shown)
        fragment += QChar(0x2026);
    return fragment;
}

QString explain(ExpressionProblem problem, const QString &fragment)
{
    switch (problem) {
    case ExpressionProblem::UnexpectedText:
        return ReplaceParams(GetLangString(61450), {fragment});
    case ExpressionProblem::MalformedToken:
        return ReplaceParams(GetLangString(61451), {fragment});
    case ExpressionProblem::OperatorWithoutLeftOperand:
        return ReplaceParams(GetLangString(61452), {fragment});
    case ExpressionProblem::MissingOperand:
        return GetLangString(61453);
    case ExpressionProblem::MissingOperator:
        return GetLangString(61454);
    case ExpressionProblem::UnclosedParenthesis:
        return GetLangString(61455);
    case ExpressionProblem::UnmatchedClosingParenthesis:
        return GetLangString(61456);
    case ExpressionProblem::None:
        break;
    }
    return {};
}

} // namespace

ExpressionDiagnosis CheckExpressionSyntax(const QString &text, const QList<qint32> &knownIds)
{
    ExpressionDiagnosis diagnosis;
    const QSet<qint32> known(knownIds.cbegin(), knownIds.cend());
    QSet<qint32> used;

    auto fail = [&](ExpressionProblem problem, qsizetype position, qsizetype length, const QString &fragment) {
        diagnosis.wellFormed = false;
        diagnosis.problem = problem;
        diagnosis.errorPosition = position;
        diagnosis.errorLength = length;
        diagnosis.message = explain(problem, fragment);
    };

    Tokenizer tokenizer(text);
    bool expectOperand = true;
    bool anyToken = false;
    Token lastOperator;
    QList<qsizetype> openParentheses;

    for (Token token = tokenizer.next(); token.kind != TokenKind::End; token = tokenizer.next()) {
        anyToken = true;
        if (token.kind == TokenKind::Operand) {
            if (!known.contains(token.id) && !used.contains(token.id))
                diagnosis.unknownIds << token.id;
            used.insert(token.id);
        }
        if (!diagnosis.wellFormed)
            continue; // only the ids are still of interest

        switch (token.kind) {
        case TokenKind::Stray:
            fail(ExpressionProblem::UnexpectedText, token.position, token.length, quoted(text, token));
            break;
        case TokenKind::BadToken:
            fail(ExpressionProblem::MalformedToken, token.position, token.length, quoted(text, token));
            break;
        case TokenKind::Operand:
            if (!expectOperand)
                fail(ExpressionProblem::MissingOperator, token.position, token.length, {});
            expectOperand = false;
            break;
        case TokenKind::Not:
        case TokenKind::Open:
            if (!expectOperand) {
                fail(ExpressionProblem::MissingOperator, token.position, token.length, {});
                break;
            }
            if (token.kind == TokenKind::Open)
                openParentheses << token.position;
            lastOperator = token;
            break;
        case TokenKind::And:
        case TokenKind::Or:
            if (expectOperand) {
                fail(ExpressionProblem::OperatorWithoutLeftOperand, token.position, token.length,
                     quoted(text, token));
                break;
            }
            expectOperand = true;
            lastOperator = token;
            break;
        case TokenKind::Close:
            if (expectOperand)
                fail(ExpressionProblem::MissingOperand, token.position, token.length, {});
            else if (openParentheses.isEmpty())
                fail(ExpressionProblem::UnmatchedClosingParenthesis, token.position, token.length, {});
            else
                openParentheses.removeLast();
            break;
        case TokenKind::End:
            break;
        }
    }

    if (diagnosis.wellFormed && anyToken) {
        if (expectOperand)
            fail(ExpressionProblem::MissingOperand, lastOperator.position, lastOperator.length, {});
        else if (!openParentheses.isEmpty())
            fail(ExpressionProblem::UnclosedParenthesis, openParentheses.last(), 1, {});
    }

    // A blank text is the default expression, which names every requirement.
    if (anyToken) {
        QSet<qint32> reported;
        for (qint32 id : knownIds) {
            if (!used.contains(id) && !reported.contains(id)) {
                diagnosis.missingIds << id;
                reported.insert(id);
            }
        }
    }
    return diagnosis;
}

} // namespace zr
