#pragma once

#include "audit/auditset.h"
#include "common/serverobjects.h"
#include "zrreq_export.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>

namespace zr {

/// One student whose verdict an edit of a requirement set changes.
struct ZRREQ_EXPORT StudentImpact
{
    qint32 studentId = 0;
    QString registration; ///< the student's registration number (spec_aem), when the record has it
    QString name;         ///< "lastname firstname", when the record has them
    SetVerdict before = SetVerdict::Met;
    SetVerdict after = SetVerdict::Met;
    /// The requirement that decided: the first one not met under the set the
    /// student now fails, or failed before ("caption [%ocID]").
    QString decidedBy;
};

/// What replacing a stored set by an edited one does to the students checked.
struct ZRREQ_EXPORT ImpactReport
{
    qint64 students = 0; ///< students checked
    bool cancelled = false;
    QList<StudentImpact> changes; ///< in the order the students were checked

    qint64 noLongerMeet() const;
    qint64 nowMeet() const;
    /// "37 students no longer meet it, 4 now meet it", or that nobody's result changes.
    QString summary() const;
};

/// A stored set and its edited form; an AuditSet that was never prepared
/// stands for a set without requirements (met by everyone).
struct ZRREQ_EXPORT SetPair
{
    AuditSet stored;
    AuditSet edited;
};

/// Compares, student by student, the verdict of a stored set with that of its
/// edited form. Students checked against their own degree requirements are
/// left out: an edit of the programme's set does not reach them.
class ZRREQ_EXPORT SetImpact
{
public:
    /// The sets by curriculum (the student's orient_ID); the key 0 holds the
    /// one set of a programme whose sets are not per curriculum. A student of
    /// a curriculum without a pair is counted but not compared.
    explicit SetImpact(QHash<qint32, SetPair> sets = {}, QSet<qint32> ownSetStudents = {});

    /// Checks one student under both sets.
    void add(const StudentRecord &record);
    const ImpactReport &report() const { return m_report; }
    ImpactReport &report() { return m_report; }

    /// Walks every student of `programme` (and `curriculum`, 0 for all) that
    /// `students` holds. `progress` is called with the number checked so far
    /// and stops the walk (marked cancelled) when it returns false.
    static ImpactReport measure(cStudent &students, qint32 programme, qint32 curriculum, const RecordScope &scope,
                                SetImpact impact, const std::function<bool(qint64)> &progress = {});

private:
    QHash<qint32, SetPair> m_sets;
    QSet<qint32> m_ownSet;
    ImpactReport m_report;
};

} // namespace zr
