#include "auditexpression.h"

#include "audittext.h"
#include "common/zrerror.h"
#include "reqtypes/expressiontokens.h"

#include <functional>
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

namespace {

// The expression as a tree, built from the postfix form for the walks that need the branches.
struct Node
{
    qint32 op = 0;          // a place in the list, or And, Or, Not
    int left = -1, right = -1;
    bool value = false;
};

struct Tree
{
    std::vector<Node> nodes;
    int root = -1;
};

} // namespace

void AuditExpression::markRoles(QList<RequirementTrace> &trace, const QList<double> &cost) const
{
    Tree tree;
    std::vector<int> stack;
    for (qint32 step : m_postfix) {
        Node node;
        node.op = step;
        if (step >= 0) {
            node.value = trace.at(step).verdict != AuditVerdict::Unmet;
        } else if (step == Not) {
            node.left = stack.back();
            stack.pop_back();
            node.value = !tree.nodes[node.left].value;
        } else {
            node.right = stack.back();
            stack.pop_back();
            node.left = stack.back();
            stack.pop_back();
            const bool l = tree.nodes[node.left].value, r = tree.nodes[node.right].value;
            node.value = step == And ? l && r : l || r;
        }
        tree.nodes.push_back(node);
        stack.push_back(int(tree.nodes.size()) - 1);
    }
    if (stack.empty())
        return;
    tree.root = stack.back();
    // A node is wanted true, or false under an odd number of NOTs. An AND wanted true and an OR
    // wanted false need every child; the others need any one.
    const auto needsAll = [](const Node &n, bool goal) { return (n.op == And) == goal; };
    const std::function<double(int, bool)> costOf = [&](int at, bool goal) -> double {
        const Node &n = tree.nodes[at];
        if (n.value == goal)
            return 0;
        if (n.op >= 0)
            return n.op < cost.size() ? cost.at(n.op) : 1;
        if (n.op == Not)
            return costOf(n.left, !goal);
        const double l = costOf(n.left, goal), r = costOf(n.right, goal);
        return needsAll(n, goal) ? l + r : std::min(l, r);
    };
    const std::function<void(int, bool, bool)> mark = [&](int at, bool goal, bool needed) {
        const Node &n = tree.nodes[at];
        if (n.op >= 0) {
            trace[n.op].needed = needed;
            return;
        }
        if (n.op == Not)
            return mark(n.left, !goal, needed);
        const bool any = !needsAll(n, goal) && n.value == goal;
        for (int child : {n.left, n.right})
            mark(child, goal, needed && (!any || tree.nodes[child].value == goal));
    };
    const std::function<void(int, bool)> decide = [&](int at, bool goal) {
        const Node &n = tree.nodes[at];
        if (n.value == goal)
            return;
        if (n.op >= 0) {
            trace[n.op].deciding = true;
            return;
        }
        if (n.op == Not)
            return decide(n.left, !goal);
        if (needsAll(n, goal)) {
            decide(n.left, goal);
            decide(n.right, goal);
        } else {
            decide(costOf(n.right, goal) < costOf(n.left, goal) ? n.right : n.left, goal);
        }
    };
    mark(tree.root, true, true);
    decide(tree.root, true);
}

} // namespace zr::audit
