#pragma once

#include "audit/audittrace.h"

#include <QHash>
#include <QList>
#include <QString>

#include <utility>
#include <vector>

namespace zr::audit {

/// A set's expression in postfix order over the requirements' places in the
/// list: parsed once, evaluated per student without recursion.
class AuditExpression
{
public:
    /// Parses `text` over the requirements `ids` (in list order). Blank text
    /// joins every requirement with AND. NOT binds tighter than AND, AND
    /// tighter than OR. Throws ZrError 10350 for text that does not read and
    /// 10351 for a requirement the list does not hold.
    static AuditExpression parse(const QString &text, const QList<qint32> &ids);

    /// The expression's value over the verdicts of the requirements in list order.
    bool evaluate(const QList<RequirementTrace> &verdicts) const;
    /// The same over whether each requirement holds (is not unmet), one per requirement in list order.
    bool evaluate(const std::vector<char> &holds) const;
    /// Whether the expression may still hold when each requirement can turn out met
    /// (`canMeet`) or not (`canFail`): a bound that takes no two requirements as linked.
    bool mayHold(const std::vector<char> &canMeet, const std::vector<char> &canFail) const;

    /// Marks which requirements of `trace` matter for its verdict. `needed`
    /// turns false for one whose branch cannot change the result (an OR whose
    /// other branch is met). For an unmet set, `deciding` marks the fewest
    /// requirements whose meeting would make it met: every failing part of an
    /// AND, the cheapest branch of an OR by `cost` (one per requirement, list
    /// order on ties). `cost` holds one figure per requirement.
    void markRoles(QList<RequirementTrace> &trace, const QList<double> &cost) const;

private:
    enum Op : qint32 { And = -1, Or = -2, Not = -3 }; // anything else is a place in the list
    QList<qint32> m_postfix;
    // The operands of each step of m_postfix (by place in it; -1 for none), linked once at parse.
    std::vector<std::pair<int, int>> m_operands;

    void linkOperands();
};

} // namespace zr::audit
