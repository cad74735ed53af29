#include "auditexpression.h"

#include "audittext.h"
#include "common/zrerror.h"
#include "reqtypes/expressiontokens.h"

#include <vector>

namespace zr::audit {

namespace {

using expression::Token;
using expression::TokenKind;

int precedence(qint32 op)
{
    return op == -3 ? 3 : op == -1 ? 2 : op == -2 ? 1 : 0; // NOT, AND, OR; 0 for "("
}

[[noreturn]] void refuseAt(const QString &text, qsizetype position)
{
    // Quote the expression from the place it stops reading, as the editor's check does.
    const QString rest = position >= text.size() ? text.right(20) : text.mid(position, 40);
    throw ZrError(ErrBadExpression, QStringLiteral("Audit"),
                  AuditText(StrBadExpression, {rest.trimmed()}));
}

} // namespace

AuditExpression AuditExpression::parse(const QString &text, const QList<qint32> &ids)
{
    AuditExpression parsed;
    if (text.trimmed().isEmpty()) {
        for (qsizetype i = 0; i < ids.size(); ++i) {
            parsed.m_postfix << qint32(i);
            if (i > 0)
                parsed.m_postfix << And;
        }
        return parsed;
    }
    QHash<qint32, qint32> place;
    for (qsizetype i = 0; i < ids.size(); ++i)
        place.insert(ids.at(i), qint32(i));
    constexpr qint32 Open = -4;
    QList<qint32> stack;
    bool expectOperand = true;
    expression::Tokenizer tokenizer(text);
    Token token = tokenizer.next();
    for (; token.kind != TokenKind::End; token = tokenizer.next()) {
        switch (token.kind) {
        case TokenKind::Operand: {
            if (!expectOperand)
                refuseAt(text, token.position);
            const auto it = place.constFind(token.id);
            if (it == place.constEnd())
                throw ZrError(ErrUnknownToken, QStringLiteral("Audit"),
                              AuditText(StrUnknownToken, {QString::number(token.id)}));
            parsed.m_postfix << *it;
            expectOperand = false;
            break;
        }
        case TokenKind::Not:
        case TokenKind::Open:
            if (!expectOperand)
                refuseAt(text, token.position);
            stack << (token.kind == TokenKind::Not ? Not : Open);
            break;
        case TokenKind::And:
        case TokenKind::Or: {
            if (expectOperand)
                refuseAt(text, token.position);
            const qint32 op = token.kind == TokenKind::And ? And : Or;
            while (!stack.isEmpty() && stack.last() != Open && precedence(stack.last()) >= precedence(op))
                parsed.m_postfix << stack.takeLast();
            stack << op;
            expectOperand = true;
            break;
        }
        case TokenKind::Close:
            if (expectOperand)
                refuseAt(text, token.position);
            while (!stack.isEmpty() && stack.last() != Open)
                parsed.m_postfix << stack.takeLast();
            if (stack.isEmpty())
                refuseAt(text, token.position);
            stack.removeLast();
            // A NOT before the parenthesis applies to all of it.
            while (!stack.isEmpty() && stack.last() == Not)
                parsed.m_postfix << stack.takeLast();
            break;
        default:
            refuseAt(text, token.position);
        }
        if (token.kind == TokenKind::Operand) {
            while (!stack.isEmpty() && stack.last() == Not)
                parsed.m_postfix << stack.takeLast();
        }
    }
    if (expectOperand)
        refuseAt(text, token.position);
    while (!stack.isEmpty()) {
        if (stack.last() == Open)
            refuseAt(text, text.lastIndexOf(QLatin1Char('(')));
        parsed.m_postfix << stack.takeLast();
    }
    return parsed;
}

bool AuditExpression::evaluate(const QList<RequirementTrace> &verdicts) const
{
    std::vector<char> stack;
    stack.reserve(16);
    for (qint32 step : m_postfix) {
        if (step >= 0) {
            // A requirement that does not apply to the student counts as met.
            stack.push_back(verdicts.at(step).verdict != AuditVerdict::Unmet);
        } else if (step == Not) {
            stack.back() = !stack.back();
        } else {
            const char right = stack.back();
            stack.pop_back();
            stack.back() = step == And ? (stack.back() && right) : (stack.back() || right);
        }
    }
    return stack.empty() || stack.back();
}

} // namespace zr::audit
