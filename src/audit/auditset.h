#pragma once

#include "audit/auditcodes.h"
#include "audit/audittrace.h"
#include "audit/studentrecord.h"
#include "recordset/recordset.h"
#include "zrreq_export.h"

#include <QHash>

#include <memory>

namespace zr {

struct RequirementValue;
namespace audit {
struct PreparedSet;
}

/// How much a trace says.
enum class AuditDetail {
    Explained,    ///< what each requirement measured, compared and misses
    VerdictsOnly, ///< the verdicts alone, for a run over many students; only the deciding requirements are named
};

/// A requirement set made ready to be checked against many students: every
/// requirement's values read and the expression parsed once, so that
/// evaluate() only walks the student's record. Copies share the prepared
/// set, which is never changed: one set may be evaluated from several threads.
class ZRREQ_EXPORT AuditSet
{
public:
    AuditSet();
    ~AuditSet();
    AuditSet(const AuditSet &other);
    AuditSet &operator=(const AuditSet &other);

    /// Prepares the visible rows of the requirement recordset `rows` (one
    /// set: one object, context and curriculum; its cursor is not moved) of
    /// requirement context `context`, with the code tables `codes`. Throws
    /// ZrError 10350 to 10354 when the set can not be checked: an expression
    /// that does not read or names a requirement the set does not hold, a
    /// requirement without a value its rule needs, a type outside the thirteen.
    static AuditSet prepare(const Recordset &rows, int context, const AuditCodes &codes);
    /// The same for a set held as typed values (an editor's, saved or not),
    /// in list order, combined by `expression` (stored form, "" for all of them with AND).
    static AuditSet prepare(const QList<RequirementValue> &values, const QString &expression, const AuditCodes &codes);

    /// Checks every requirement against `record` and combines the verdicts
    /// with the expression. A record marked excepted is EXCEPTED without a check.
    /// A set that was never prepared holds nothing to meet: MET.
    AuditTrace evaluate(const StudentRecord &record, AuditDetail detail = AuditDetail::Explained) const;

    /// The number of requirements.
    int size() const;

    /// The same set, its requirements described in words (by id, as the editor
    /// describes them) in every trace it gives.
    AuditSet withDescriptions(const QHash<qint32, QString> &descriptions) const;
    /// The requirement ids, in list order.
    QList<qint32> ids() const;
    /// Whether `course` (id `courseId`), if passed, would count towards
    /// requirement `index` (in list order): a course total it selects, or a
    /// course of a prerequisite list.
    bool countsTowards(int index, qint32 courseId, const CourseAttributes &course) const;
    /// The prepared requirements and expression, for the audit's own planner; null for a set never prepared.
    const audit::PreparedSet *prepared() const;

private:
    struct Data;
    std::shared_ptr<const Data> d;
};

} // namespace zr
