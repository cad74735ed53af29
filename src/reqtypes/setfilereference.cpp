#include "setfilenames.h"

#include "common/langstrings.h"
#include "reqtypes/typecatalog.h"

namespace zr {

namespace {

QString english(qint32 id)
{
    return StringTableText(id, LangEnglish);
}

QString codes(const QStringList &names)
{
    return QLatin1Char('`') + names.join(QStringLiteral("`, `")) + QLatin1Char('`');
}

// What a code list's codes are codes of.
QString tableWords(const QString &table)
{
    if (table == QLatin1String("SYS_CourseType"))
        return QStringLiteral("course types");
    if (table == QLatin1String("SYS_CourseCategory"))
        return QStringLiteral("course modes");
    if (table == QLatin1String("SYS_Dep_CourseSector"))
        return QStringLiteral("sectors");
    if (table == QLatin1String("SYS_Dep_CourseArea"))
        return QStringLiteral("subjects");
    if (table == QLatin1String("SYS_Dep_SectionCategories"))
        return QStringLiteral("class group categories");
    return table;
}

QString valueWords(const FileParameter &p)
{
    QStringList choices;
    for (const FixedChoice &choice : p.row.choices)
        choices << ChoiceFileName(choice);
    switch (p.form) {
    case FileValueForm::Text:
        if (p.row.kind == RowKind::StudentColumn)
            return QStringLiteral(
                "a column of the student view (`\"exam_ID\"`, `\"or_ptyhgrade\"`)");
        if (p.row.kind == RowKind::ExamPeriods)
            return QStringLiteral(
                "academic years, each with an exam period or alone, as typed on the sheet "
                "(`\"2020-1,2021\"`)");
        if (p.row.kind == RowKind::TeachingPeriods)
            return QStringLiteral(
                "academic years, each with a teaching period's code or alone, as typed on the "
                "sheet (`\"2020-1,2021\"`)");
        return QStringLiteral("a text");
    case FileValueForm::Number:
        return QStringLiteral("a number (`7`, `6.5`), or a text as typed on the sheet");
    case FileValueForm::Choice:
        return QStringLiteral("one of ") + codes(choices);
    case FileValueForm::CodeOrAll:
        return p.row.source == ChoiceSource::Terms
                   ? QStringLiteral("a teaching period's code, or `\"all\"`")
                   : QStringLiteral("a project type's code, or `\"all\"`");
    case FileValueForm::Codes:
        return QStringLiteral("a list of codes of ") + tableWords(p.row.codes.table) +
               (p.row.codes.withAll ? QStringLiteral(", or `[\"all\"]`") : QString());
    case FileValueForm::Semesters:
        return QStringLiteral("a list of semesters by short name (`\"Α΄\"`), or `[\"all\"]`");
    case FileValueForm::Groups:
        return QStringLiteral("a list of the programme's course groups by code (`\"Ο2\"`)");
    case FileValueForm::Courses:
        return QStringLiteral("a list of courses by code (`\"ΠΛΗ101\"`); another department's as "
                              "`{\"department\": \"900\", \"code\": \"ΠΛΗ101\"}`");
    case FileValueForm::TypeTotals:
        return QStringLiteral(
            "a list of `{\"courseType\": 1, \"count\": 5}`, `\"all\"` for every type");
    case FileValueForm::SemesterLimits:
        return QStringLiteral("`{") +
               codes(SemesterLimitFileNames())
                   .replace(QStringLiteral("`, `"), QStringLiteral(": N, "))
                   .remove(QLatin1Char('`')) +
               QStringLiteral(": N}`, either or both");
    case FileValueForm::Flags:
        return QStringLiteral("a list of any of ") + codes(FlagFileNames());
    }
    return {};
}

} // namespace

QString SetFileReference()
{
    QStringList lines;
    for (int type : RequirementTypes) {
        // The class-group type belongs to its own context; every other type is shown as the degree
        // has it.
        const int context = type == 130 ? CtxClassGroup : CtxDegree;
        lines << QStringLiteral("### `%1`: %2")
                     .arg(TypeFileName(type), english(TypeNameStringId(type)));
        lines << QString() << QStringLiteral("| Field | On the sheet | Value |")
              << QStringLiteral("|---|---|---|");
        for (const FileParameter &p : FileParameters(type, context)) {
            QString label = english(p.row.labelId);
            if (!p.row.visible)
                label += QStringLiteral(" (not shown)");
            lines << QStringLiteral("| `%1` | %2 | %3 |").arg(p.name, label, valueWords(p));
        }
        lines << QString();
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace zr
