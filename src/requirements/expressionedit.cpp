#include "expressionedit.h"

#include "expressioncheck.h"
#include "expressionform.h"
#include "expressiontokens.h"

namespace zr {

namespace {

using namespace expression;

bool isJoin(const Token &token)
{
    return token.kind == TokenKind::And || token.kind == TokenKind::Or;
}

qsizetype endOf(const Token &token)
{
    return token.position + token.length;
}

// Takes the first occurrence of the requirement out of `text`; false when there is none.
bool removeOnce(QString &text, qint32 ocID)
{
    const QList<Token> tokens = tokenize(text);
    qsizetype first = -1;
    for (qsizetype i = 0; i < tokens.size() && first < 0; ++i) {
        if (tokens.at(i).kind == TokenKind::Operand && tokens.at(i).id == ocID)
            first = i;
    }
    if (first < 0)
        return false;
    qsizetype last = first;
    // The requirement with its NOTs, grown to the parentheses it was alone in.
    for (;;) {
        while (first > 0 && tokens.at(first - 1).kind == TokenKind::Not)
            --first;
        const bool enclosed = first > 0 && last + 1 < tokens.size() && tokens.at(first - 1).kind == TokenKind::Open
                              && tokens.at(last + 1).kind == TokenKind::Close;
        if (!enclosed)
            break;
        --first;
        ++last;
    }
    const bool joinBefore = first > 1 && isJoin(tokens.at(first - 1));
    const bool joinAfter = last + 2 < tokens.size() && isJoin(tokens.at(last + 1));
    // AND binds closer than OR: the operand leaves with its AND.
    const bool takeBefore = joinBefore && (!joinAfter || tokens.at(first - 1).kind == TokenKind::And
                                           || tokens.at(last + 1).kind != TokenKind::And);
    if (takeBefore) {
        const qsizetype from = endOf(tokens.at(first - 2));
        text.remove(from, endOf(tokens.at(last)) - from);
    } else if (joinAfter) {
        const qsizetype from = tokens.at(first).position;
        text.remove(from, tokens.at(last + 2).position - from);
    } else {
        const qsizetype from = tokens.at(first).position;
        text.remove(from, endOf(tokens.at(last)) - from);
    }
    return true;
}

} // namespace

QString RemoveFromExpression(const QString &text, qint32 ocID)
{
    QString edited = text;
    if (!CheckExpressionSyntax(text, {}).wellFormed)
        return edited.remove(ExpressionToken(ocID));
    while (removeOnce(edited, ocID)) {
    }
    edited = edited.trimmed();
    return ExpressionNeedsStoring(edited) ? edited : QString();
}

QString AppendToExpression(const QString &text, qint32 ocID)
{
    if (text.trimmed().isEmpty())
        return QString();
    bool orOutside = false;
    int depth = 0;
    for (const Token &token : tokenize(text)) {
        if (token.kind == TokenKind::Open)
            ++depth;
        else if (token.kind == TokenKind::Close)
            --depth;
        else if (token.kind == TokenKind::Or && depth == 0)
            orOutside = true;
    }
    const QString joined = orOutside ? QLatin1Char('(') + text.trimmed() + QLatin1Char(')') : text.trimmed();
    return joined + QStringLiteral(" AND ") + ExpressionToken(ocID);
}

} // namespace zr
