#include "audittrace.h"

#include "common/langstrings.h"

namespace zr {

QString VerdictWord(AuditVerdict verdict)
{
    switch (verdict) {
    case AuditVerdict::Met:
        return QStringLiteral("MET");
    case AuditVerdict::Unmet:
        return QStringLiteral("UNMET");
    case AuditVerdict::NotChecked:
        break;
    }
    return QStringLiteral("NOT-CHECKED");
}

QString VerdictWord(SetVerdict verdict)
{
    switch (verdict) {
    case SetVerdict::Met:
        return QStringLiteral("MET");
    case SetVerdict::Unmet:
        return QStringLiteral("UNMET");
    case SetVerdict::Excepted:
        break;
    }
    return QStringLiteral("EXCEPTED");
}

QString VerdictText(SetVerdict verdict)
{
    switch (verdict) {
    case SetVerdict::Met:
        return GetLangString(63510);
    case SetVerdict::Unmet:
        return GetLangString(63511);
    case SetVerdict::Excepted:
        break;
    }
    return GetLangString(63512);
}

QString VerdictMark(AuditVerdict verdict)
{
    switch (verdict) {
    case AuditVerdict::Met:
        return QStringLiteral("\u2714");
    case AuditVerdict::Unmet:
        return QStringLiteral("\u2718");
    case AuditVerdict::NotChecked:
        break;
    }
    return QStringLiteral("?");
}

const RequirementTrace *AuditTrace::firstUnmet() const
{
    for (const RequirementTrace &requirement : requirements) {
        if (requirement.verdict == AuditVerdict::Unmet)
            return &requirement;
    }
    return nullptr;
}

QList<const RequirementTrace *> AuditTrace::deciding() const
{
    QList<const RequirementTrace *> found;
    for (const RequirementTrace &requirement : requirements) {
        if (requirement.deciding)
            found << &requirement;
    }
    return found;
}

QString AuditTrace::decidingNames() const
{
    QStringList names;
    for (const RequirementTrace *r : deciding())
        names << r->readableName();
    return names.join(QStringLiteral("; "));
}

} // namespace zr
