#pragma once

// A degree audit filled in by hand as the registry would hand it out: short of ECTS (deciding),
// a course group and the thesis met, the practicum not needed as the subjects branch is met.

#include "audit/auditreport.h"

#include <QTimeZone>

namespace zr::test {

inline ReportRequirement sampleRequirement(qint32 ocID, const char *caption, const char *description,
                                           AuditVerdict verdict, const char *measured)
{
    ReportRequirement r;
    r.ocID = ocID;
    r.caption = QString::fromUtf8(caption);
    r.description = QString::fromUtf8(description);
    r.verdict = verdict;
    r.measured = QString::fromUtf8(measured);
    return r;
}

/// The report in `language` ("el" or "en"): the builder's own words (summary, what is missing)
/// in that language, the set's texts in Greek as the registry wrote them.
inline AuditReport SampleReport(const QString &language)
{
    const bool greek = language == QLatin1String("el");
    AuditReport r{QStringLiteral("Παπαδοπούλου Ελένη"), QStringLiteral("1001123"),
                  QStringLiteral("Προπτυχιακό Πρόγραμμα Σπουδών Μηχανικών Η/Υ και Πληροφορικής"),
                  QStringLiteral("Λογισμικό και Πληροφοριακά Συστήματα"), QStringLiteral("Προϋποθέσεις λήψης πτυχίου"), 4,
                  QDateTime(QDate(2025, 3, 5), QTime(12, 0), QTimeZone::utc()), language, SetVerdict::Unmet,
                  greek ? QStringLiteral("Πληρούνται 4 από τις 5 προϋποθέσεις· χρειάζεται ακόμη: ects")
                        : QStringLiteral("4 of 5 requirements met; still needed: ects"), {}, {}, {}, {}, {}};
    const auto course = [](qint32 id, const char *code, const char *title, qint32 semester, double ects) {
        return ReportCourse{id, QString::fromUtf8(code), QString::fromUtf8(title), semester, ects, std::nullopt};
    };
    ReportRequirement ects = sampleRequirement(10, "ects", "ECTS όλων των τύπων μαθημάτων ≥ 300, εκτός από ΜΗΥ106",
                                               AuditVerdict::Unmet, "ECTS 262,5, απαιτείται ≥ 300");
    ects.deciding = true;
    ects.progress = ReportProgress{262.5, 300, QStringLiteral("ECTS"), greek ? QStringLiteral("37,5 ECTS") : QStringLiteral("37.5 ECTS")};
    ects.candidates = {course(20, "ΜΗΥ420", "Αλγόριθμοι και Πολυπλοκότητα", 7, 6), course(22, "ΜΗΥ422", "Θεωρία Υπολογισμού", 7, 6),
                       course(23, "ΜΗΥ423", "Αρχές Γλωσσών Προγραμματισμού", 7, 6)};
    ReportRequirement group = sampleRequirement(11, "group-software", "Μαθήματα της ομάδας Ο2 ≥ 4", AuditVerdict::Met,
                                                "μαθήματα 5, απαιτείται ≥ 4");
    group.progress = ReportProgress{5, 4, greek ? QStringLiteral("μαθήματα") : QStringLiteral("courses"), QString()};
    ReportRequirement practicum = sampleRequirement(13, "practicum", "Πρακτική άσκηση ολοκληρωμένη", AuditVerdict::Unmet,
                                                    "ολοκληρωμένες πρακτικές ασκήσεις 0, απαιτείται ≥ 1");
    practicum.needed = false;
    ReportRequirement subjects = sampleRequirement(14, "subjects", "ΔΜ από τα γνωστικά αντικείμενα Λογισμικό και Δίκτυα ≥ 20, από 2 τουλάχιστον",
                                                   AuditVerdict::Met, "ΔΜ 28 από 2 των 2 γνωστικών αντικειμένων, απαιτείται ≥ 20 από 2");
    subjects.progress = ReportProgress{28, 20, greek ? QStringLiteral("ΔΜ") : QStringLiteral("credits"), QString()};
    r.requirements = {ects, group,
                      sampleRequirement(12, "thesis", "Διπλωματική εργασία ολοκληρωμένη", AuditVerdict::Met,
                                        "ολοκληρωμένες εργασίες 1, απαιτείται ≥ 1"),
                      practicum, subjects};
    r.plan.outcome = ReportPlan::Outcome::Exact;
    r.plan.courses = ects.candidates;
    r.plan.courses << course(31, "ΜΗΥ431", "Μεταγλωττιστές", 8, 7.5) << course(41, "ΜΗΥ441", "Κατανεμημένα Συστήματα", 8, 6)
                   << course(52, "ΜΗΥ452", "Ασφάλεια Υπολογιστικών Συστημάτων", 9, 6);
    return r;
}

} // namespace zr::test
