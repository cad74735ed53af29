#include "setimpact.h"

#include "common/langstrings.h"

namespace zr {

namespace {

constexpr qint32 StrImpactSummary = 63500; // "%1 students no longer meet it, %2 now meet it"
constexpr qint32 StrNoImpact = 63501;      // "No student's result changes"

bool meets(SetVerdict verdict)
{
    return verdict != SetVerdict::Unmet;
}

} // namespace

qint64 ImpactReport::noLongerMeet() const
{
    return std::count_if(changes.cbegin(), changes.cend(),
                         [](const StudentImpact &c) { return meets(c.before) && !meets(c.after); });
}

qint64 ImpactReport::nowMeet() const
{
    return std::count_if(changes.cbegin(), changes.cend(),
                         [](const StudentImpact &c) { return !meets(c.before) && meets(c.after); });
}

QString ImpactReport::summary() const
{
    if (changes.isEmpty())
        return GetLangString(StrNoImpact);
    return ReplaceParams(GetLangString(StrImpactSummary),
                         {QString::number(noLongerMeet()), QString::number(nowMeet())});
}

SetImpact::SetImpact(QHash<qint32, SetPair> sets, QSet<qint32> ownSetStudents)
    : m_sets(std::move(sets)), m_ownSet(std::move(ownSetStudents))
{
}

void SetImpact::add(const StudentRecord &record)
{
    ++m_report.students;
    if (record.regulation && m_ownSet.contains(record.studentId()))
        return;
    const auto pair = m_sets.constFind(m_sets.contains(0) ? 0 : record.student.value(QStringLiteral("orient_ID")).toInt());
    if (pair == m_sets.constEnd())
        return;
    const AuditTrace before = pair->stored.evaluate(record, AuditDetail::VerdictsOnly);
    const AuditTrace after = pair->edited.evaluate(record, AuditDetail::VerdictsOnly);
    // Excepted stays excepted: only a change between met and not met is an effect of the edit.
    if (meets(before.verdict) == meets(after.verdict))
        return;
    StudentImpact change;
    change.studentId = record.studentId();
    change.registration = record.registration();
    change.name = record.name();
    change.before = before.verdict;
    change.after = after.verdict;
    change.decidedBy = (meets(after.verdict) ? before : after).decidingNames();
    m_report.changes << change;
}

ImpactReport SetImpact::measure(cStudent &students, qint32 programme, qint32 curriculum, const RecordScope &scope,
                                SetImpact impact, const std::function<bool(qint64)> &progress)
{
    students.WalkStudentRecords(programme, curriculum, scope, [&](const StudentRecordRows &rows) {
        impact.add(StudentRecord::fromRows(rows));
        if (progress && !progress(impact.m_report.students)) {
            impact.m_report.cancelled = true;
            return false;
        }
        return true;
    });
    return impact.m_report;
}

} // namespace zr
