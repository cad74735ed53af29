#include "auditrules.h"

#include "audittext.h"
#include "common/langstrings.h"
#include "common/systemnumber.h"
#include "coursecatalog.h"
#include "reqtypes/typecatalog.h"

#include <QDate>

#include <algorithm>
#include <cmath>
#include <functional>

namespace zr::audit {

namespace {

constexpr double Epsilon = 1e-9;

// Figures in the language's own format: comma decimals in Greek, a point in English.
QString number(double value)
{
    return FormatLanguageNumber(value, 2, CurrentLanguage());
}

QString numberAgainst(double measured, const std::function<bool(double)> &meets)
{
    return FormatLanguageNumberKeeping(measured, CurrentLanguage(), meets);
}

QString nameOf(const QHash<qint32, QString> &names, qint32 id)
{
    const QString name = names.value(id);
    return name.isEmpty() ? QString::number(id) : name;
}

QString totalLabel(int total)
{
    switch (total) {
    case 0:
        return AuditText(StrCredits);
    case 2:
        return AuditText(StrHours);
    case 3:
        return AuditText(StrEcts);
    default:
        return AuditText(StrCourses);
    }
}

QString operatorSymbol(int op)
{
    switch (op) {
    case 0:
        return QStringLiteral("=");
    case 2:
        return QStringLiteral("≠");
    case 3:
        return QStringLiteral(">");
    case 4:
        return QStringLiteral("<");
    case 8:
        return QStringLiteral("≥");
    case 9:
        return QStringLiteral("≤");
    default:
        return QString();
    }
}

QString comparisonText(int op, const QString &first, const QString &second)
{
    if (op == 5)
        return AuditText(StrBetween, {first, second});
    return operatorSymbol(op) + QLatin1Char(' ') + first;
}

QString comparisonText(const PreparedRequirement &r)
{
    return comparisonText(r.op, number(r.value1.value_or(0)), number(r.value2.value_or(0)));
}

bool compareNumbers(int op, double measured, double first, double second)
{
    switch (op) {
    case 0:
        return std::fabs(measured - first) < Epsilon;
    case 2:
        return std::fabs(measured - first) >= Epsilon;
    case 3:
        return measured > first + Epsilon;
    case 4:
        return measured < first - Epsilon;
    case 5:
        return measured >= std::min(first, second) - Epsilon && measured <= std::max(first, second) + Epsilon;
    case 8:
        return measured >= first - Epsilon;
    case 9:
        return measured <= first + Epsilon;
    default:
        return false;
    }
}

bool compare(const PreparedRequirement &r, double measured)
{
    return compareNumbers(r.op, measured, r.value1.value_or(0), r.value2.value_or(0));
}

AuditVerdict verdictOf(bool met)
{
    return met ? AuditVerdict::Met : AuditVerdict::Unmet;
}

// How far a total has come towards its lower bound; a bound from above ("≤ 20") has no way to go.
void setProgress(RequirementTrace &trace, const PreparedRequirement &r, double amount)
{
    trace.amount = amount;
    if (r.op == 8 || r.op == 3 || r.op == 0)
        trace.target = r.value1.value_or(0);
    else if (r.op == 5)
        trace.target = std::min(r.value1.value_or(0), r.value2.value_or(0));
}

QString shownAgainst(const PreparedRequirement &r, double amount)
{
    return numberAgainst(amount, [&r](double v) { return compare(r, v); });
}

std::optional<qint32> classificationOf(int typeId, const CourseAttributes &course)
{
    switch (typeId) {
    case 20:
        return course.subject;
    case 40:
        return course.courseType;
    case 50:
        return course.group;
    case 110:
        return course.mode;
    case 120:
        return course.sector;
    default:
        return std::nullopt;
    }
}

bool inFilter(const QSet<qint32> &filter, const std::optional<qint32> &code)
{
    return filter.isEmpty() || (code && filter.contains(*code));
}

// The mode, sector and subject filters and the course and course-type exceptions.
bool passesFilters(const PreparedRequirement &r, qint32 courseId, const CourseAttributes &course)
{
    if (r.exceptedCourses.contains(courseId))
        return false;
    if (course.courseType && r.exceptedTypes.contains(*course.courseType))
        return false;
    return inFilter(r.modes, course.mode) && inFilter(r.sectors, course.sector) && inFilter(r.subjects, course.subject);
}

bool passesFilters(const PreparedRequirement &r, const PassedCourse &c)
{
    return passesFilters(r, c.courseId, *c.course);
}

// A course a course total selects (its classification is chosen, or all are) and its filters let through.
bool selectedByTotal(const PreparedRequirement &r, qint32 courseId, const CourseAttributes &course)
{
    const auto own = classificationOf(r.typeId, course);
    return (r.selectsAll || (own && r.selected.contains(*own))) && passesFilters(r, courseId, course);
}

// A listed course passed as type 30 asks: with its grade, or by an exemption without one unless the requirement says not.
bool meetsListedGrade(const PreparedRequirement &r, const PassedCourse &c)
{
    return c.grade ? compareNumbers(r.op, *c.grade, r.grade, r.grade) : r.exemptionMeetsGrade;
}

double amountOf(int total, const PassedCourse &c)
{
    switch (total) {
    case 0:
        return c.course->credits.value_or(0);
    case 2:
        return c.course->hours.value_or(0);
    case 3:
        return c.course->ects.value_or(0);
    default:
        return 1;
    }
}

// The total of the passed courses whose classification is `code` (any when not given).
double totalOf(const PreparedRequirement &r, const StudentDigest &s, const std::optional<qint32> &code)
{
    double sum = 0;
    for (const PassedCourse &c : s.passed) {
        if (s.givenElsewhere(c))
            continue;
        if (code) {
            const auto own = classificationOf(r.typeId, *c.course);
            if (!own || *own != *code)
                continue;
        } else if (!r.selectsAll) {
            const auto own = classificationOf(r.typeId, *c.course);
            if (!own || !r.selected.contains(*own))
                continue;
        }
        if (passesFilters(r, c))
            sum += amountOf(r.total, c);
    }
    return sum;
}

// Verdicts alone leave the caption out: copied for every student, the set's shared strings
// would be contended for by walks on several threads.
RequirementTrace started(const PreparedRequirement &r, const StudentDigest &s)
{
    RequirementTrace trace;
    trace.ocID = r.ocID;
    trace.typeId = r.typeId;
    if (s.explain)
        trace.caption = r.caption;
    return trace;
}

void measured(RequirementTrace &trace, const QString &label, const QString &value, const QString &needed)
{
    trace.measured = AuditText(StrMeasured, {label, value, needed});
}

RequirementTrace courseTotal(const PreparedRequirement &r, const StudentDigest &s)
{
    RequirementTrace trace = started(r, s);
    if (r.typeId == 40 && r.context == CtxTextbooks) {
        trace.measured = AuditText(StrTextbooks);
        return trace;
    }
    const double sum = totalOf(r, s, std::nullopt);
    trace.verdict = verdictOf(compare(r, sum));
    setProgress(trace, r, sum);
    if (!s.explain)
        return trace;
    trace.unit = totalLabel(r.total);
    measured(trace, trace.unit, shownAgainst(r, sum), comparisonText(r));
    return trace;
}

// One total over the selected subjects, drawn from at least the minimum number of them.
RequirementTrace subjects(const PreparedRequirement &r, const StudentDigest &s, const AuditCodes &codes)
{
    if (r.selectsAll)
        return courseTotal(r, s);
    RequirementTrace trace = started(r, s);
    double sum = 0;
    QSet<qint32> drawnFrom;
    for (const PassedCourse &c : s.passed) {
        const auto subject = c.course->subject;
        if (!subject || !r.selected.contains(*subject) || !passesFilters(r, c) || s.givenElsewhere(c))
            continue;
        sum += amountOf(r.total, c);
        drawnFrom.insert(*subject);
    }
    const int count = int(r.selectedInOrder.size());
    const int needed = r.minimum && *r.minimum > 0 ? int(std::ceil(*r.minimum - Epsilon)) : count;
    trace.verdict = verdictOf(compare(r, sum) && drawnFrom.size() >= needed);
    setProgress(trace, r, sum);
    if (!s.explain)
        return trace;
    trace.unit = totalLabel(r.total);
    trace.measured = AuditText(StrSubjects, {trace.unit, shownAgainst(r, sum), QString::number(drawnFrom.size()),
                                        QString::number(count), comparisonText(r), QString::number(needed)});
    if (drawnFrom.size() < needed) {
        QStringList none;
        for (qint32 subject : r.selectedInOrder) {
            if (!drawnFrom.contains(subject))
                none << nameOf(codes.subjectNames, subject);
        }
        trace.measured += AuditText(StrShort, {none.join(QStringLiteral(", "))});
    }
    return trace;
}

// NOT-CHECKED when the student's semester lies outside the limits of types 30 and 100.
bool outsideSemesterLimits(const PreparedRequirement &r, const StudentDigest &s, RequirementTrace &trace)
{
    if (!s.semester)
        return false;
    const QString semester = number(*s.semester);
    if (r.semesterAbove && *s.semester > *r.semesterAbove + Epsilon) {
        trace.verdict = AuditVerdict::NotChecked;
        trace.measured = AuditText(StrAboveLimit, {semester, number(*r.semesterAbove)});
        return true;
    }
    if (r.semesterBelow && *s.semester < *r.semesterBelow - Epsilon) {
        trace.verdict = AuditVerdict::NotChecked;
        trace.measured = AuditText(StrBelowLimit, {semester, number(*r.semesterBelow)});
        return true;
    }
    return false;
}

// How many listed courses are needed: all for an empty or 0 minimum.
int neededOf(const PreparedRequirement &r, int listed)
{
    return r.minimum && *r.minimum > 0 ? int(std::ceil(*r.minimum - Epsilon)) : listed;
}

QString neededText(const PreparedRequirement &r, int listed)
{
    return r.minimum && *r.minimum > 0 ? QString::number(neededOf(r, listed)) : AuditText(StrAll);
}

RequirementTrace prerequisiteCourses(const PreparedRequirement &r, const StudentDigest &s, const AuditCodes &codes)
{
    RequirementTrace trace = started(r, s);
    if (outsideSemesterLimits(r, s, trace))
        return trace;
    const int listed = int(r.selectedInOrder.size());
    int counted = 0;
    int passed = 0;
    for (qint32 course : r.selectedInOrder) {
        const PassedCourse *c = s.passedCourse(course);
        if (c && s.givenElsewhere(*c))
            c = nullptr;
        const bool counts = c && meetsListedGrade(r, *c);
        if (c)
            ++passed;
        if (counts)
            ++counted;
        const bool blocks = r.minimum && *r.minimum < 0 ? c != nullptr : !counts;
        if (blocks && s.explain)
            trace.missing << CourseLabel(codes, course);
    }
    if (r.minimum && *r.minimum < 0) {
        trace.verdict = verdictOf(passed == 0);
        if (!s.explain)
            return trace;
        trace.measured = AuditText(StrListedNone, {QString::number(passed), QString::number(listed)});
    } else {
        trace.verdict = verdictOf(counted >= neededOf(r, listed));
        trace.amount = counted;
        trace.target = neededOf(r, listed);
        if (!s.explain)
            return trace;
        trace.unit = AuditText(StrCourses);
        trace.measured = AuditText(StrListed, {QString::number(counted), QString::number(listed),
                                          comparisonText(r.op, number(r.grade), QString()), neededText(r, listed)});
    }
    if (!trace.missing.isEmpty() && trace.verdict == AuditVerdict::Unmet)
        trace.measured += AuditText(StrMissing, {trace.missing.join(QStringLiteral(", "))});
    if (trace.verdict == AuditVerdict::Met)
        trace.missing.clear();
    if (r.substitutions)
        trace.measured += AuditText(StrNoSubstitutions);
    return trace;
}

RequirementTrace projects(const PreparedRequirement &r, const StudentDigest &s)
{
    RequirementTrace trace = started(r, s);
    double sum = 0;
    for (const StudentProject &project : s.record->projects) {
        if (!project.completed || (!r.selectsAll && !(project.typeId && r.selected.contains(*project.typeId))))
            continue;
        sum += r.total == 0 ? project.credits.value_or(0) : r.total == 3 ? project.ects.value_or(0) : 1;
    }
    trace.verdict = verdictOf(compare(r, sum));
    setProgress(trace, r, sum);
    if (!s.explain)
        return trace;
    trace.unit = r.total == 1 ? AuditText(StrProjects) : totalLabel(r.total);
    measured(trace, trace.unit, shownAgainst(r, sum), comparisonText(r));
    return trace;
}

RequirementTrace practicums(const PreparedRequirement &r, const StudentDigest &s)
{
    RequirementTrace trace = started(r, s);
    double count = 0;
    for (const StudentPracticum &practicum : s.record->practicums)
        count += practicum.completed ? 1 : 0;
    trace.verdict = verdictOf(compare(r, count));
    setProgress(trace, r, count);
    if (!s.explain)
        return trace;
    trace.unit = AuditText(StrPracticums);
    measured(trace, trace.unit, shownAgainst(r, count), comparisonText(r));
    return trace;
}

QString studentText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    return value.toString();
}

std::optional<double> studentNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
        return value.toDouble();
    default: {
        double n = 0;
        if (ReadSystemNumber(value.toString(), &n))
            return n;
        return std::nullopt;
    }
    }
}

RequirementTrace studentData(const PreparedRequirement &r, const StudentDigest &s, const AuditCodes &codes)
{
    RequirementTrace trace = started(r, s);
    const QVariant value = s.record->student.value(r.column);
    const QString shown = studentText(value);
    if (value.isNull() || shown.isEmpty()) {
        trace.verdict = AuditVerdict::Unmet;
        trace.measured = AuditText(StrNoValue, {r.column});
        return trace;
    }
    const auto measuredNumber = studentNumber(value);
    const bool textOnly = r.op == 1 || r.op == 6 || r.op == 7;
    bool met = false;
    if (!textOnly && measuredNumber && r.value1 && (r.op != 5 || r.value2)) {
        met = compareNumbers(r.op, *measuredNumber, *r.value1, r.value2.value_or(0));
    } else {
        const auto fold = [&codes](const QString &t) { return codes.fold ? codes.fold(t) : t.toCaseFolded(); };
        const QString a = fold(shown);
        const QString v1 = fold(r.text1);
        const QString v2 = fold(r.text2);
        switch (r.op) {
        case 1:
            met = a.contains(v1);
            break;
        case 6:
            met = a.startsWith(v1);
            break;
        case 7:
            met = !a.contains(v1);
            break;
        case 5:
            met = a.compare(std::min(v1, v2)) >= 0 && a.compare(std::max(v1, v2)) <= 0;
            break;
        default: {
            const int order = a.compare(v1);
            met = (r.op == 0 && order == 0) || (r.op == 2 && order != 0) || (r.op == 3 && order > 0)
                  || (r.op == 4 && order < 0) || (r.op == 8 && order >= 0) || (r.op == 9 && order <= 0);
        }
        }
    }
    trace.verdict = verdictOf(met);
    if (!s.explain)
        return trace;
    QString needed;
    switch (r.op) {
    case 1:
    case 6:
    case 7:
        // The operator's own caption names a text condition.
        needed = GetLangString(r.op == 1 ? 20593 : r.op == 6 ? 20592 : 20594) + QLatin1Char(' ') + r.text1;
        break;
    default:
        needed = comparisonText(r.op, r.text1, r.text2);
    }
    measured(trace, r.column, shown, needed);
    return trace;
}

// The counted courses of types 80 and 90, and whether each course's result falls in the chosen periods.
bool inPeriodList(const QList<PeriodItem> &list, qint32 year, const std::optional<qint32> &period)
{
    if (list.isEmpty())
        return true;
    for (const PeriodItem &item : list) {
        if (item.year == year && (!item.period || (period && *item.period == *period)))
            return true;
    }
    return false;
}

bool countsInAverage(const PreparedRequirement &r, const PassedCourse &c)
{
    if (!(r.flags & 16) && !c.course->inDegreeGrade)
        return false;
    if (!passesFilters(r, c))
        return false;
    if (r.typeId == 80) {
        if (!r.selectsAll && !(c.course->semester && r.selected.contains(*c.course->semester)))
            return false;
        return inPeriodList(r.examPeriods, c.year, c.examPeriod)
               && inPeriodList(r.teachingPeriods, c.year, c.teachingPeriod);
    }
    if (c.year < r.yearFrom || c.year > r.yearTo)
        return false;
    return !r.term || (c.teachingPeriod && *c.teachingPeriod == *r.term);
}

QList<const PassedCourse *> bestGrades(const QList<const PassedCourse *> &graded, const QList<CourseTypeTotal> &items)
{
    if (items.isEmpty())
        return graded;
    QList<const PassedCourse *> sorted = graded;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const PassedCourse *a, const PassedCourse *b) { return *a->grade > *b->grade; });
    QList<const PassedCourse *> chosen;
    QSet<qint32> taken;
    for (const CourseTypeTotal &item : items) {
        int left = item.count > 0 ? int(item.count) : -1;
        for (const PassedCourse *c : std::as_const(sorted)) {
            if (left == 0)
                break;
            if (item.typeId != AllCourseTypesId && c->course->courseType != item.typeId)
                continue;
            --left;
            if (!taken.contains(c->courseId)) {
                taken.insert(c->courseId);
                chosen << c;
            }
        }
    }
    return chosen;
}

RequirementTrace average(const PreparedRequirement &r, const StudentDigest &s, const AuditCodes &codes)
{
    RequirementTrace trace = started(r, s);
    QList<const PassedCourse *> counted;
    QList<const PassedCourse *> graded;
    for (const PassedCourse &c : s.passed) {
        if (!countsInAverage(r, c))
            continue;
        counted << &c;
        if (c.grade)
            graded << &c;
    }
    if (r.flags & 4)
        graded = bestGrades(graded, r.averageTypes);
    if (graded.isEmpty()) {
        trace.verdict = AuditVerdict::Unmet;
        trace.measured = AuditText(StrNoGradedCourse);
        return trace;
    }
    double weighted = 0;
    double weights = 0;
    for (const PassedCourse *c : std::as_const(graded)) {
        const double weight = (r.flags & 1) ? c->course->coefficient.value_or(1) : 1;
        weighted += *c->grade * weight;
        weights += weight;
    }
    const double mean = weights > 0 ? weighted / weights : 0;
    bool met = mean >= r.grade - Epsilon;
    trace.amount = mean;
    trace.target = r.grade;
    if (s.explain)
        trace.measured = AuditText(StrAverage, {numberAgainst(mean, [&r](double v) { return v >= r.grade - Epsilon; }),
                                                QString::number(graded.size()), number(r.grade)});

    QSet<qint32> listedTypes;
    for (const CourseTypeTotal &item : r.performance)
        listedTypes.insert(item.typeId);
    for (const CourseTypeTotal &item : r.performance) {
        double amount = 0;
        for (const PassedCourse *c : std::as_const(counted)) {
            if ((r.flags & 2) && c->exemption)
                continue;
            const bool ofItem = item.typeId == AllCourseTypesId
                                    ? !(c->course->courseType && listedTypes.contains(*c->course->courseType))
                                    : c->course->courseType == item.typeId;
            if (ofItem)
                amount += (r.flags & 8) ? c->course->credits.value_or(0) : 1;
        }
        met = met && amount >= item.count - Epsilon;
        if (!s.explain)
            continue;
        const QString name = item.typeId == AllCourseTypesId ? AuditText(StrOtherTypes)
                                                              : nameOf(codes.courseTypeNames, item.typeId);
        trace.measured += QStringLiteral("; ")
                          + AuditText(StrMeasured, {name,
                                                    numberAgainst(amount, [&item](double v) { return v >= item.count - Epsilon; }),
                                                    comparisonText(8, number(item.count), {})});
    }
    trace.verdict = verdictOf(met);
    return trace;
}

// An academic period as one ordered number: year, then the teaching period's place in the year.
qint64 periodKey(const AuditCodes &codes, qint32 year, const std::optional<qint32> &term)
{
    const qsizetype place = term ? codes.termOrder.indexOf(*term) : -1;
    return qint64(year) * 1000 + place;
}

QString periodName(const AuditCodes &codes, qint32 year, qint32 term)
{
    return QString::number(year) + QLatin1Char(' ') + nameOf(codes.termNames, term);
}

RequirementTrace enrolments(const PreparedRequirement &r, const StudentDigest &s, const AuditCodes &codes)
{
    RequirementTrace trace = started(r, s);
    if (outsideSemesterLimits(r, s, trace))
        return trace;
    const int listed = int(r.selectedInOrder.size());
    if (r.enrolment == 1) {
        trace.verdict = AuditVerdict::Met;
        trace.measured = AuditText(StrEnrolmentIgnored, {QString::number(listed)});
        return trace;
    }
    if (codes.currentYear == 0) {
        trace.measured = AuditText(StrNoCurrentPeriod);
        return trace;
    }
    const qint64 current = periodKey(codes, codes.currentYear, codes.currentTerm);
    qint32 previousYear = codes.currentYear;
    qint32 previousTerm = codes.currentTerm;
    const qsizetype place = codes.termOrder.indexOf(codes.currentTerm);
    if (place > 0) {
        previousTerm = codes.termOrder.at(place - 1);
    } else if (!codes.termOrder.isEmpty()) {
        previousYear -= 1;
        previousTerm = codes.termOrder.last();
    }
    const bool previousOnly = r.enrolment == -2 || r.enrolment == 2;
    const bool wanted = r.enrolment == -1 || r.enrolment == -2;
    int passing = 0;
    for (qint32 course : r.selectedInOrder) {
        // With assignment by the programme's period, only enrolments in the period of the course's semester count.
        std::optional<qint32> assignedTerm;
        if (r.byProgrammePeriod && codes.termOrder.size() >= 2) {
            for (const CourseResult &result : s.record->results) {
                if (result.courseId == course && result.course.semester) {
                    assignedTerm = codes.termOrder.at(*result.course.semester % 2 == 1 ? 0 : 1);
                    break;
                }
            }
        }
        bool found = false;
        for (const CourseEnrolment &e : s.record->enrolments) {
            if (e.courseId != course || (assignedTerm && e.teachingPeriod != assignedTerm))
                continue;
            found = found || (previousOnly ? e.year == previousYear && e.teachingPeriod == previousTerm
                                           : periodKey(codes, e.year, e.teachingPeriod) < current);
        }
        if (found == wanted)
            ++passing;
        else if (s.explain)
            trace.missing << CourseLabel(codes, course);
    }
    trace.verdict = verdictOf(passing >= neededOf(r, listed));
    trace.amount = passing;
    trace.target = neededOf(r, listed);
    if (!s.explain)
        return trace;
    const qint32 id = r.enrolment == -1 ? StrEnrolledBefore
                      : r.enrolment == 0 ? StrNotEnrolledBefore
                      : r.enrolment == -2 ? StrEnrolledIn
                                          : StrNotEnrolledIn;
    const QString period = previousOnly ? periodName(codes, previousYear, previousTerm)
                                        : periodName(codes, codes.currentYear, codes.currentTerm);
    trace.measured = AuditText(id, {QString::number(passing), QString::number(listed), period, neededText(r, listed)});
    if (trace.verdict == AuditVerdict::Unmet)
        trace.measured += AuditText(StrMissing, {trace.missing.join(QStringLiteral(", "))});
    else
        trace.missing.clear();
    return trace;
}

RequirementTrace classGroupCategory(const PreparedRequirement &r, const StudentDigest &s, const AuditCodes &codes)
{
    RequirementTrace trace = started(r, s);
    const qint32 course = r.selectedInOrder.value(0);
    const CourseEnrolment *latest = nullptr;
    for (const CourseEnrolment &e : s.record->enrolments) {
        if (e.courseId == course
            && (!latest || periodKey(codes, e.year, e.teachingPeriod) >= periodKey(codes, latest->year, latest->teachingPeriod)))
            latest = &e;
    }
    QStringList chosen;
    for (qint32 category : r.categories)
        chosen << nameOf(codes.categoryNames, category);
    std::sort(chosen.begin(), chosen.end());
    const bool againstCorresponding = r.corresponding || r.op == 100;
    if (!latest) {
        trace.measured = AuditText(StrNeverEnrolled);
        trace.verdict = againstCorresponding ? AuditVerdict::NotChecked : verdictOf(r.op == 2);
        return trace;
    }
    if (!latest->classCategory) {
        trace.measured = AuditText(StrNoCategory);
        trace.verdict = againstCorresponding ? AuditVerdict::NotChecked : verdictOf(r.op == 2);
        return trace;
    }
    const QString category = nameOf(codes.categoryNames, *latest->classCategory);
    if (againstCorresponding) {
        trace.verdict = AuditVerdict::Met;
        trace.measured = AuditText(r.op == 100 ? StrCategoryOther : StrCategorySame, {category});
        return trace;
    }
    const bool inList = r.categories.contains(*latest->classCategory);
    const QString list = chosen.isEmpty() ? AuditText(StrCategoryNone) : chosen.join(QStringLiteral(", "));
    trace.verdict = verdictOf(r.op == 2 ? !inList : inList);
    trace.measured = AuditText(r.op == 2 ? StrCategoryNoneOf : StrCategoryOneOf, {category, list});
    return trace;
}

} // namespace

bool CountsTowards(const PreparedRequirement &r, qint32 courseId, const CourseAttributes &course)
{
    switch (r.typeId) {
    case 30:
        // "None of these" is met by not passing them.
        return r.selected.contains(courseId) && !(r.minimum && *r.minimum < 0);
    case 20:
    case 40:
    case 50:
    case 110:
    case 120: {
        if (r.typeId == 40 && r.context == CtxTextbooks)
            return false;
        PassedCourse passed;
        passed.courseId = courseId;
        passed.course = &course;
        return selectedByTotal(r, courseId, course) && amountOf(r.total, passed) > 0;
    }
    default:
        return false;
    }
}

bool CanClaim(const PreparedRequirement &r, const StudentDigest &s)
{
    switch (r.typeId) {
    case 30: {
        if (r.minimum && *r.minimum < 0)
            return false;
        RequirementTrace unused;
        return !outsideSemesterLimits(r, s, unused);
    }
    case 40:
        return r.context != CtxTextbooks;
    case 20:
    case 50:
    case 110:
    case 120:
        return true;
    default:
        return false;
    }
}

bool WouldCount(const PreparedRequirement &r, const PassedCourse &c)
{
    if (r.typeId == 30)
        return r.selected.contains(c.courseId) && meetsListedGrade(r, c);
    return selectedByTotal(r, c.courseId, *c.course);
}

double AmountFor(const PreparedRequirement &r, const PassedCourse &c)
{
    return r.typeId == 30 ? 1 : amountOf(r.total, c);
}

bool FigureMeets(const PreparedRequirement &r, double sum, int subjects)
{
    if (r.typeId == 30)
        return sum >= neededOf(r, int(r.selectedInOrder.size())) - Epsilon;
    if (CountsSubjects(r)) {
        const int count = int(r.selectedInOrder.size());
        const int needed = r.minimum && *r.minimum > 0 ? int(std::ceil(*r.minimum - Epsilon)) : count;
        return compare(r, sum) && subjects >= needed;
    }
    return compare(r, sum);
}

bool GrowsTowardsMet(const PreparedRequirement &r)
{
    return r.typeId == 30 || r.op == 8 || r.op == 3;
}

bool CountsSubjects(const PreparedRequirement &r)
{
    return r.typeId == 20 && !r.selectsAll;
}

RequirementTrace EvaluateRequirement(const PreparedRequirement &r, const StudentDigest &student, const AuditCodes &codes)
{
    switch (r.typeId) {
    case 10:
        return studentData(r, student, codes);
    case 20:
        return subjects(r, student, codes);
    case 30:
        return prerequisiteCourses(r, student, codes);
    case 60:
        return projects(r, student);
    case 70:
        return practicums(r, student);
    case 80:
    case 90:
        return average(r, student, codes);
    case 100:
        return enrolments(r, student, codes);
    case 130:
        return classGroupCategory(r, student, codes);
    default:
        return courseTotal(r, student);
    }
}

} // namespace zr::audit
