#pragma once

#include "audit/audittrace.h"

#include <QHash>
#include <QList>
#include <QString>

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

private:
    enum Op : qint32 { And = -1, Or = -2, Not = -3 }; // anything else is a place in the list
    QList<qint32> m_postfix;
};

} // namespace zr::audit
