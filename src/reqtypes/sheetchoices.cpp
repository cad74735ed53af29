#include "sheetchoices.h"

namespace zr {

namespace {
const FixedChoice Equal{QStringLiteral("0"), 20044};
const FixedChoice Contains{QStringLiteral("1"), 20593};
const FixedChoice Different{QStringLiteral("2"), 20046};
const FixedChoice Greater{QStringLiteral("3"), 20589};
const FixedChoice Less{QStringLiteral("4"), 20590};
const FixedChoice Between{QStringLiteral("5"), 20591};
const FixedChoice StartsWith{QStringLiteral("6"), 20592};
const FixedChoice NotContains{QStringLiteral("7"), 20594};
const FixedChoice GreaterOrEqual{QStringLiteral("8"), 20595};
const FixedChoice LessOrEqual{QStringLiteral("9"), 20596};
} // namespace

QList<FixedChoice> OperatorChoices(OperatorList list)
{
    switch (list) {
    case OperatorList::AllTen:
        return {Equal, Different, Greater, Less, Between, StartsWith, Contains, NotContains, GreaterOrEqual,
                LessOrEqual};
    case OperatorList::NumericTotals:
        return {Equal, Greater, Less, Between, GreaterOrEqual, LessOrEqual};
    case OperatorList::Counts:
        return {Equal, Greater, Less, GreaterOrEqual, LessOrEqual};
    case OperatorList::Grade:
        return {Equal, Greater, GreaterOrEqual};
    case OperatorList::AcademicYears:
        return {Equal, Between};
    case OperatorList::ClassCategory:
        return {{QStringLiteral("-1"), 0},
                {QStringLiteral("0"), 20677},
                {QStringLiteral("2"), 20678},
                {QStringLiteral("100"), 20679}};
    }
    return {};
}

QList<FixedChoice> TotalChoices(int typeId, int context)
{
    const FixedChoice credits{QStringLiteral("0"), 20606};
    const FixedChoice courses{QStringLiteral("1"), 20607};
    const FixedChoice hours{QStringLiteral("2"), 20608};
    const FixedChoice ects{QStringLiteral("3"), 20767};
    switch (typeId) {
    case 40:
        // In the textbook context a course-type requirement counts textbooks only.
        if (context == 112)
            return {{QStringLiteral("1"), 20632}};
        return {credits, courses, hours, ects};
    case 20:
    case 50:
    case 110:
    case 120:
        return {credits, courses, hours, ects};
    case 60:
        return {credits, {QStringLiteral("1"), 20637}, ects};
    case 70:
        return {{QStringLiteral("1"), 20639}};
    default:
        return {};
    }
}

QList<FixedChoice> YesNoChoices()
{
    return {{QStringLiteral("-1"), 20295}, {QStringLiteral("0"), 20297}};
}

QList<FixedChoice> SubstitutionChoices()
{
    return {{QStringLiteral("0"), 20769}, {QStringLiteral("1"), 20770}, {QStringLiteral("2"), 20771}};
}

QList<FixedChoice> ExemptionGradeChoices()
{
    return {{QStringLiteral("1"), 20295}, {QStringLiteral("0"), 20297}};
}

QList<FixedChoice> ClaimChoices()
{
    return {{QStringLiteral("0"), 20297}, {QStringLiteral("1"), 20295}};
}

QList<FixedChoice> EnrolmentChoices()
{
    return {{QStringLiteral("1"), 20663},
            {QStringLiteral("-1"), 20664},
            {QStringLiteral("0"), 20665},
            {QStringLiteral("-2"), 20666},
            {QStringLiteral("2"), 20667}};
}

} // namespace zr
