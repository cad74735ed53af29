#include "audittrace.h"

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

const RequirementTrace *AuditTrace::firstUnmet() const
{
    for (const RequirementTrace &requirement : requirements) {
        if (requirement.verdict == AuditVerdict::Unmet)
            return &requirement;
    }
    return nullptr;
}

} // namespace zr
