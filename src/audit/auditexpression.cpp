#include "auditexpression.h"

#include "audittext.h"
#include "common/zrerror.h"
#include "reqtypes/expressiontokens.h"

#include <algorithm>
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
        parsed.linkOperands();
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
    parsed.linkOperands();
    return parsed;
}

void AuditExpression::linkOperands()
{
    m_operands.assign(m_postfix.size(), {-1, -1});
    std::vector<int> stack;
    for (int i = 0; i < int(m_postfix.size()); ++i) {
        const qint32 step = m_postfix.at(i);
        if (step == Not) {
            m_operands[i].first = stack.back();
            stack.pop_back();
        } else if (step < 0) {
            m_operands[i] = {stack[stack.size() - 2], stack.back()};
            stack.resize(stack.size() - 2);
        }
        stack.push_back(i);
    }
}

namespace {
template <typename Holds> bool evaluatePostfix(const QList<qint32> &postfix, Holds holds)
{
    std::vector<char> stack;
    stack.reserve(16);
    for (qint32 step : postfix) {
        if (step >= 0) {
            stack.push_back(holds(step));
        } else if (step == -3) {
            stack.back() = !stack.back();
        } else {
            const char right = stack.back();
            stack.pop_back();
            stack.back() = step == -1 ? (stack.back() && right) : (stack.back() || right);
        }
    }
    return stack.empty() || stack.back();
}
} // namespace

bool AuditExpression::evaluate(const QList<RequirementTrace> &verdicts) const
{
    // A requirement that does not apply to the student counts as met.
    return evaluatePostfix(m_postfix, [&verdicts](qint32 i) { return verdicts.at(i).verdict != AuditVerdict::Unmet; });
}

bool AuditExpression::evaluate(const std::vector<char> &holds) const
{
    return evaluatePostfix(m_postfix, [&holds](qint32 i) { return holds.at(size_t(i)) != 0; });
}

bool AuditExpression::mayHold(const std::vector<char> &canMeet, const std::vector<char> &canFail) const
{
    // Each step: whether it can come out true, and whether false.
    std::vector<std::pair<bool, bool>> stack;
    stack.reserve(16);
    for (qint32 step : m_postfix) {
        if (step >= 0) {
            stack.emplace_back(canMeet.at(size_t(step)) != 0, canFail.at(size_t(step)) != 0);
        } else if (step == Not) {
            std::swap(stack.back().first, stack.back().second);
        } else {
            const auto right = stack.back();
            stack.pop_back();
            auto &left = stack.back();
            left = step == And ? std::make_pair(left.first && right.first, left.second || right.second)
                               : std::make_pair(left.first || right.first, left.second && right.second);
        }
    }
    return stack.empty() || stack.back().first;
}

void AuditExpression::markRoles(QList<RequirementTrace> &trace, const QList<double> &cost) const
{
    const int n = int(m_postfix.size());
    if (n == 0)
        return;
    // Bottom up, in postfix order (operands come first): each step's value, and what making it
    // true or false would take. An AND true and an OR false take all of their operands; an AND
    // false and an OR true the cheaper one.
    std::vector<char> value(n);
    std::vector<double> toTrue(n), toFalse(n);
    for (int i = 0; i < n; ++i) {
        const qint32 step = m_postfix.at(i);
        const auto [l, r] = m_operands[i];
        if (step >= 0) {
            value[i] = trace.at(step).verdict != AuditVerdict::Unmet;
            const double c = step < cost.size() ? cost.at(step) : 1;
            toTrue[i] = value[i] ? 0 : c;
            toFalse[i] = value[i] ? c : 0;
        } else if (step == Not) {
            value[i] = !value[l];
            toTrue[i] = toFalse[l];
            toFalse[i] = toTrue[l];
        } else if (step == And) {
            value[i] = value[l] && value[r];
            toTrue[i] = toTrue[l] + toTrue[r];
            toFalse[i] = std::min(toFalse[l], toFalse[r]);
        } else {
            value[i] = value[l] || value[r];
            toTrue[i] = std::min(toTrue[l], toTrue[r]);
            toFalse[i] = toFalse[l] + toFalse[r];
        }
    }
    // Top down from the whole, which is wanted true; under a NOT the operand is wanted false. A
    // requirement named twice is needed when either place needs it.
    for (qint32 step : m_postfix) {
        if (step >= 0)
            trace[step].needed = false;
    }
    struct Visit
    {
        int at;
        bool goal;
        bool needed;  // its branch can change the result
        bool decides; // on the cheapest way from what is to what is wanted
    };
    std::vector<Visit> pending{{n - 1, true, true, true}};
    while (!pending.empty()) {
        const Visit v = pending.back();
        pending.pop_back();
        const qint32 step = m_postfix.at(v.at);
        const auto [l, r] = m_operands[v.at];
        const bool decides = v.decides && value[v.at] != v.goal;
        if (step >= 0) {
            trace[step].needed = trace[step].needed || v.needed;
            trace[step].deciding = trace[step].deciding || decides;
            continue;
        }
        if (step == Not) {
            pending.push_back({l, !v.goal, v.needed, decides});
            continue;
        }
        const bool all = (step == And) == v.goal;
        // Met through any one operand: those that are not what is wanted cannot change it.
        const bool any = !all && value[v.at] == v.goal;
        const auto costOf = [&](int op) { return v.goal ? toTrue[op] : toFalse[op]; };
        const int way = costOf(r) < costOf(l) ? r : l;
        for (int op : {l, r})
            pending.push_back({op, v.goal, v.needed && (!any || value[op] == v.goal), decides && (all || op == way)});
    }
}

} // namespace zr::audit
