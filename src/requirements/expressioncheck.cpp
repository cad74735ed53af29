#include "expressioncheck.h"

#include "common/langstrings.h"
#include "requirements/expressionform.h"
#include "requirements/expressiontokens.h"

#include <QSet>

namespace zr {

namespace {

using namespace expression;

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
