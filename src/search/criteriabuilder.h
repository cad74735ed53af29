#pragma once

#include "common/sqldialect.h"
#include "zrreq_export.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace zr {

/// Collects search criteria (field, field type, operator code, values) and
/// writes them as one SQL filter statement "WHERE ..." in the dialect of the
/// server in use. Every value is converted to its field's type and escaped;
/// a criterion whose values do not fit its field is refused.
///
/// Operator codes: 0 equal, 1 contains, 2 different, 3 greater, 4 less,
/// 5 between, 6 starts with, 7 does not contain, 8 greater or equal,
/// 9 less or equal. Field types are the codes of zr::FieldTypeCode.
class ZRREQ_EXPORT CriteriaBuilder
{
public:
    enum Combination { CombineOr = 0, CombineAnd = 1 };
    /// Mode flags: text matching ignores case, values are trimmed.
    enum ModeFlag { IgnoreCase = 1, TrimValues = 2 };

    explicit CriteriaBuilder(SqlDialect dialect = SqlDialect::SQLite);

    SqlDialect dialect() const { return m_dialect; }
    void setDialect(SqlDialect dialect) { m_dialect = dialect; }
    /// Combination of the criteria; CombineAnd by default.
    int combination() const { return m_combination; }
    void setCombination(int combination) { m_combination = combination; }
    /// ModeFlag bits; 3 (both) by default, as the search control uses it.
    int mode() const { return m_mode; }
    void setMode(int mode) { m_mode = mode; }

    /// Adds one criterion. Returns false and adds nothing when the field name
    /// is not a plain column name, the operator is unknown, or a value is
    /// missing or does not fit the field type (a date that is no date, a
    /// number that is no number). Decimal commas are accepted ("0,5").
    bool addCriterion(const QString &field, int fieldType, int operatorCode,
                      const QVariant &value1, const QVariant &value2 = {});
    int count() const { return m_criteria.size(); }
    void clear() { m_criteria.clear(); }

    /// "WHERE " followed by the criteria joined by the combination; empty
    /// when there is no criterion.
    QString statement() const;

private:
    QString literal(int fieldType, const QVariant &value, bool *ok) const;
    QString likePattern(const QString &field, int fieldType, const QVariant &value, bool negate,
                        bool prefixOnly, bool *ok) const;

    SqlDialect m_dialect;
    int m_combination = CombineAnd;
    int m_mode = IgnoreCase | TrimValues;
    QStringList m_criteria;
};

} // namespace zr
