#include "datakinds.h"

#include "common/langstrings.h"

#include <QHash>

namespace zr::server {

namespace {

// The catalogue as a table a person can review. A line "kind|name|greek|table|id column|about"
// starts a kind; each line after it is one column:
// name|greek|table column|attributes|refers to|within (columns, by commas)|example|about
// Attributes: required, key, flag, defaulted, range=LEAST..MOST, otherwise=COLUMN, copy=COLUMN.
constexpr const char Catalogue[] = R"(
kind|course types|τύποι μαθημάτων|SYS_CourseType||Kinds of course: compulsory, elective, thesis ...
code|κωδικός|ctypeID|required key|||1|A whole number.
name|όνομα|ctypedesc|required|||Υποχρεωτικό|
abbreviation|συντομογραφία|ctypeabbr|required|||ΥΠ|
kind|modes|τρόποι|SYS_CourseCategory||Course modes: general background, specialisation ...
code|κωδικός|categoryID|required key|||1|A whole number.
name|όνομα|coursecategory|required|||Μάθημα γενικού υποβάθρου|
kind|teaching periods|περίοδοι|SYS_terms||Teaching periods: winter, spring.
code|κωδικός|termID|required key|||1|A whole number.
short name|σύντομο όνομα|termDesc|required|||ΧΕΙΜ|
name|όνομα|termlong||||Χειμερινό εξάμηνο|
kind|exam periods|εξεταστικές|SYS_ExamPeriod||Exam periods and the teaching period each closes.
code|κωδικός|epID|required key|||1|A whole number.
name|όνομα|epdescr|required|||Εξεταστική Ιανουαρίου|
short name|σύντομο όνομα|epshort||||ΙΑΝ|
teaching period|περίοδος|termID||teaching periods||1|
kind|departments|τμήματα|QEMDepartments||The departments of the university.
code|κωδικός|depID|required key|||900|The department's code in the registry.
name|όνομα|depname|required|||Τμήμα Πληροφορικής|
name_en|όνομα αγγλικά|depname_en||||Department of Informatics|The name in English.
school|σχολή|depschool||||Σχολή Θετικών Επιστημών|
local|τοπικό|local|flag|||yes|The university's own department, whose students and courses the pickers offer.
current year|τρέχον έτος|curyear||||2024|The academic year in progress: what course enrolments are checked against.
current teaching period|τρέχουσα περίοδος|curtermID||teaching periods||1|
kind|sectors|τομείς|SYS_Dep_CourseSector||The sectors of a department that teach its courses.
code|κωδικός|sectorID|required key|||1|A whole number, unique in the university.
name|όνομα|coursesector|required|||Τομέας Λογισμικού|
department|τμήμα|depID||departments||900|
kind|subjects|γνωστικά αντικείμενα|SYS_Dep_CourseArea||Subjects (areas) of courses.
code|κωδικός|areaID|required key|||1|A whole number, unique in the university.
name|όνομα|coursearea|required|||Προγραμματισμός|
department|τμήμα|depID||departments||900|
kind|programmes|προγράμματα|QEMDepPrograms|prID|A department's programmes of study.
department|τμήμα|prdepID|required key|departments||900|
code|κωδικός|prshort|required key|||ΠΠΣ|The programme's code within its department.
title|τίτλος|prtitle|required|||Προπτυχιακό Πρόγραμμα Σπουδών|
title_en|τίτλος αγγλικά|prtitle_en||||Undergraduate Programme|
semesters|εξάμηνα|prsemesters||||8|
ects|ects|prects||||240|
first year|έτος έναρξης|prstartyear||||2019|
kind|curricula|κατευθύνσεις|QEMDPOrientation|orID|The curricula (streams) of a programme.
department|τμήμα||required key|||900|
programme|πρόγραμμα|prID|required key|programmes|department|ΠΠΣ|
code|κωδικός|orshort|required key|||ΛΟΓ|The curriculum's code within its programme.
name|όνομα|ordescription|required|||Λογισμικό|
kind|course groups|ομάδες μαθημάτων|QEMDPGroup|dgID|Groups of a programme's courses (core, a stream's electives ...).
department|τμήμα||required key|||900|
programme|πρόγραμμα|prID|required key|programmes|department|ΠΠΣ|
code|κωδικός|groupID|required key|||Ο1|The group's code within its programme.
name|όνομα|dgname|required|||Κορμός|
group type|είδος ομάδας|dgtypeID|defaulted|||2|1 core, 2 compulsory electives, 3 free electives; 2 when empty.
semester|εξάμηνο|dgsemester||||7|
least courses|ελάχιστα μαθήματα|dgmincourses||||3|The courses of the group a student must pass.
kind|courses|μαθήματα|QEMCourses|courseID|A department's courses.
department|τμήμα|depID|required key|departments||900|
code|κωδικός|coursecode|required key|||ΠΛΗ101|The course's code within its department.
title|τίτλος|title|required|||Εισαγωγή στον Προγραμματισμό|
title_en|τίτλος αγγλικά|title_en||||Introduction to Programming|
ects|ects|ects||||6|
credits|διδακτικές μονάδες|credits||||4|
hours|ώρες|hours||||4|
semester|εξάμηνο|semID||||1|
type|τύπος|ctypeID||course types||1|
mode|τρόπος|categoryID||modes||1|
sector|τομέας|sectorID||sectors||1|
subject|γνωστικό αντικείμενο|areaID||subjects||1|
kind|programme courses|μαθήματα προγράμματος|QEMDepProgramCourses|pcID|The courses of a programme, with the place each has in it.
department|τμήμα||required key|||900|
programme|πρόγραμμα|prID|required key|programmes|department|ΠΠΣ|
course department|τμήμα μαθήματος||key otherwise=department|||900|The course's department, when another than the programme's.
course|μάθημα|courseID|required key|courses|course department|ΠΛΗ101|
course code|κωδικός μαθήματος|coursecode|copy=course||||
course title|τίτλος μαθήματος|title|copy=course||||
type|τύπος|ctypeID||course types||1|In this programme; the course's own when empty.
semester|εξάμηνο|semID||||1|In this programme; the course's own when empty.
group|ομάδα|dgID||course groups|department,programme|Ο1|
curriculum|κατεύθυνση|orID||curricula|department,programme|ΛΟΓ|Only for a course of one curriculum.
ects|ects|ects||||6|In this programme; the course's own when empty.
credits|διδακτικές μονάδες|credits||||4|
hours|ώρες|hours||||4|
coefficient|συντελεστής|coefficient||||1,5|The course's weight in the degree grade.
counts in degree grade|μετρά στον βαθμό πτυχίου|indegreegrade|flag defaulted|||yes|Yes when empty.
kind|students|φοιτητές|QEMStudents|student_ID|A department's students.
department|τμήμα|department_ID|required key|departments||900|
registration number|αριθμός μητρώου|spec_aem|required key|||1066001|
last name|επώνυμο|lastname|required|||Παπαδόπουλος|
first name|όνομα|firstname|required|||Γιώργος|
programme|πρόγραμμα|progrspoud_ID|required|programmes|department|ΠΠΣ|
curriculum|κατεύθυνση|orient_ID||curricula|department,programme|ΛΟΓ|
year of entry|έτος εισαγωγής|in_year||||2020|
semester|εξάμηνο|exam_ID||||3|The semester of study the student is in.
entry mode|τρόπος εισαγωγής|in_modeID||||1|1 national exams, 2 placement exams, 3 transfer, 4 from abroad, 5 second degree.
status|κατάσταση|statusID|defaulted|||1|1 active, 2 graduated, 3 removed, 4 suspended; 1 when empty.
kind|results|βαθμολογίες|QEMStudentResults|resID|Students' exam results and exemptions.
department|τμήμα||required key|||900|The student's department.
registration number|αριθμός μητρώου|student_ID|required key|students|department|1066001|
course department|τμήμα μαθήματος||key otherwise=department|||900|The course's department, when another than the student's.
course|μάθημα|courseID|required key|courses|course department|ΠΛΗ101|
year|έτος|acyear|required key|||2021|The academic year's first calendar year.
exam period|εξεταστική|epID|key|exam periods||1|
teaching period|περίοδος|termID||teaching periods||1|
grade|βαθμός|grade|range=0..10|||7,5|A decimal comma or point.
exemption|απαλλαγή|exemption|flag|||no|
kind|enrolments|εγγραφές|QEMStudentEnrolments|enrID|The courses students enrolled in, per teaching period.
department|τμήμα||required key|||900|The student's department.
registration number|αριθμός μητρώου|student_ID|required key|students|department|1066001|
course department|τμήμα μαθήματος||key otherwise=department|||900|The course's department, when another than the student's.
course|μάθημα|courseID|required key|courses|course department|ΠΛΗ101|
year|έτος|acyear|required key|||2021|
teaching period|περίοδος|termID|key|teaching periods||1|
class group category|κατηγορία τμήματος|sectcatID||||1|
kind|projects|εργασίες|QEMStudentProjects|prjID|Students' projects and theses.
department|τμήμα||required key|||900|The student's department.
registration number|αριθμός μητρώου|student_ID|required key|students|department|1066001|
project type|τύπος εργασίας|prjtypeID|key|||1|1 diploma thesis, 2 degree thesis, 3 semester project, 4 research project.
completed|ολοκληρώθηκε|completed|flag|||yes|
credits|διδακτικές μονάδες|credits||||10|
ects|ects|ects||||20|
kind|practicums|πρακτικές|QEMStudentPracticums|pracID|Students' practical training.
department|τμήμα||required key|||900|The student's department.
registration number|αριθμός μητρώου|student_ID|required key|students|department|1066001|
completed|ολοκληρώθηκε|completed|flag|||yes|
)";

DataColumn columnOf(const QStringList &fields)
{
    DataColumn column;
    column.name = fields.at(0);
    column.greek = fields.at(1);
    column.column = fields.at(2);
    for (const QString &attribute : fields.at(3).split(u' ', Qt::SkipEmptyParts)) {
        const QString value = attribute.section(u'=', 1);
        if (attribute == QLatin1String("required"))
            column.required = true;
        else if (attribute == QLatin1String("key"))
            column.key = true;
        else if (attribute == QLatin1String("flag"))
            column.flag = true;
        else if (attribute == QLatin1String("defaulted"))
            column.defaulted = true;
        else if (attribute.startsWith(QLatin1String("range="))) {
            column.least = value.section(QStringLiteral(".."), 0, 0).toDouble();
            column.most = value.section(QStringLiteral(".."), 1).toDouble();
        } else if (attribute.startsWith(QLatin1String("otherwise=")))
            column.otherwise = value;
        else if (attribute.startsWith(QLatin1String("copy=")))
            column.copiedFrom = value;
        else
            qFatal("data catalogue: unknown attribute %s", qPrintable(attribute));
    }
    column.refersTo = fields.at(4);
    column.scope = fields.at(5).split(u',', Qt::SkipEmptyParts);
    column.example = fields.at(6);
    column.about = fields.at(7);
    return column;
}

QList<DataKind> readCatalogue()
{
    QList<DataKind> kinds;
    for (const QString &line : QString::fromUtf8(Catalogue).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'|');
        if (fields.first() == QLatin1String("kind")) {
            kinds.append(DataKind{fields.at(1), fields.at(2), fields.at(3), fields.at(4),
                                  fields.at(5), {}});
            continue;
        }
        if (fields.size() != 8 || kinds.isEmpty())
            qFatal("data catalogue: malformed line %s", qPrintable(line));
        kinds.last().columns << columnOf(fields);
    }
    for (DataKind &kind : kinds)
        for (DataColumn &column : kind.columns)
            for (const QString &scope : std::as_const(column.scope))
                for (qsizetype at = 0; at < kind.columns.size(); ++at)
                    if (kind.columns.at(at).name == scope)
                        column.scopeAt << at;
    return kinds;
}

// "Key, required. The code of one of the programmes ..." for the reference.
QString describe(const DataColumn &column)
{
    QStringList parts;
    parts << (column.key ? (column.required ? QStringLiteral("Key, required.")
                                            : QStringLiteral("Key, optional."))
                         : (column.required ? QStringLiteral("Required.")
                                            : QStringLiteral("Optional.")));
    if (!column.refersTo.isEmpty())
        parts << QStringLiteral("The code of one of the %1%2.")
                     .arg(column.refersTo,
                          column.scope.isEmpty()
                              ? QString()
                              : QStringLiteral(" of its %1")
                                    .arg(column.scope.join(QStringLiteral(" and "))));
    if (column.flag)
        parts << QStringLiteral("Yes or no (1/0, ναι/όχι)%1.")
                     .arg(column.defaulted ? QString() : QStringLiteral("; no when empty"));
    if (column.most > column.least)
        parts << QStringLiteral("From %1 to %2.").arg(column.least).arg(column.most);
    if (!column.about.isEmpty())
        parts << column.about;
    if (!column.otherwise.isEmpty())
        parts << QStringLiteral("The %1 when empty.").arg(column.otherwise);
    return parts.join(u' ');
}

} // namespace

QString DataKind::shownName() const
{
    return CurrentLanguage() == LangGreek ? greek : name;
}

QString DataKind::fileName() const
{
    return QString(name).replace(u' ', u'-') + QStringLiteral(".csv");
}

QStringList DataKind::header() const
{
    QStringList names;
    for (const DataColumn &c : columns)
        if (c.inFiles())
            names << c.name;
    return names;
}

const QList<DataKind> &DataKinds()
{
    static const QList<DataKind> kinds = readCatalogue();
    return kinds;
}

const DataKind *FindDataKind(const QString &givenName)
{
    // Rows look up the kinds they name by their exact names, many times over.
    static const QHash<QString, const DataKind *> exact = [] {
        QHash<QString, const DataKind *> byName;
        for (const DataKind &kind : DataKinds())
            byName.insert(kind.name, &kind);
        return byName;
    }();
    if (const DataKind *kind = exact.value(givenName))
        return kind;
    // A file's name: "programme-courses" or "programme_courses".
    QString name = givenName;
    name.replace(u'-', u' ').replace(u'_', u' ');
    for (const DataKind &kind : DataKinds())
        if (name.compare(kind.name, Qt::CaseInsensitive) == 0 ||
            name.compare(kind.greek, Qt::CaseInsensitive) == 0)
            return &kind;
    return nullptr;
}

QString DataKindNames()
{
    QStringList names;
    for (const DataKind &kind : DataKinds())
        names << kind.name;
    return names.join(QStringLiteral(", "));
}

QString DataKindsReference(const DataKind *only)
{
    QString text;
    for (const DataKind &kind : DataKinds()) {
        if (only && only != &kind)
            continue;
        text += QStringLiteral("### %1 (%2)\n\n%3 File name: `%4`.\n\n")
                    .arg(kind.name, kind.greek, kind.about, kind.fileName());
        text += QStringLiteral("| Column | Greek | Example | What it holds |\n|---|---|---|---|\n");
        for (const DataColumn &column : kind.columns)
            if (column.inFiles())
                text += QStringLiteral("| %1 | %2 | %3 | %4 |\n")
                            .arg(column.name, column.greek, column.example, describe(column));
        text += u'\n';
    }
    return text;
}

} // namespace zr::server
