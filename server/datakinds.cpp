#include "datakinds.h"

namespace zr::server {

const QList<DataKind> &DataKinds()
{
    // Columns: English and Greek headers, the table's column, required, key, refers to, within.
    const auto column = [](const char *name, const char *greek, const char *tableColumn,
                           bool required = false, bool key = false, const char *refersTo = "",
                           QStringList scope = {}) {
        DataColumn column;
        column.name = QString::fromUtf8(name);
        column.greek = QString::fromUtf8(greek);
        column.column = QString::fromUtf8(tableColumn);
        column.required = required;
        column.key = key;
        column.refersTo = QString::fromUtf8(refersTo);
        column.scope = scope;
        return column;
    };
    const auto within = [](DataColumn column, double least, double most) {
        column.least = least;
        column.most = most;
        return column;
    };
    const auto yesOrNo = [](DataColumn column) {
        column.flag = true;
        return column;
    };
    const auto otherwise = [](DataColumn column, const char *standIn) {
        column.otherwise = QString::fromUtf8(standIn);
        return column;
    };
    const QStringList inDepartment{QStringLiteral("department")};
    static const QList<DataKind> kinds{
        {QStringLiteral("departments"),
         QStringLiteral("τμήματα"),
         QStringLiteral("QEMDepartments"),
         QString(),
         {column("code", "κωδικός", "depID", true, true), column("name", "όνομα", "depname", true),
          column("name_en", "όνομα αγγλικά", "depname_en"),
          column("school", "σχολή", "depschool")}},
        {QStringLiteral("programmes"),
         QStringLiteral("προγράμματα"),
         QStringLiteral("QEMDepPrograms"),
         QStringLiteral("prID"),
         {column("department", "τμήμα", "prdepID", true, true, "departments"),
          column("code", "κωδικός", "prshort", true, true),
          column("title", "τίτλος", "prtitle", true),
          column("title_en", "τίτλος αγγλικά", "prtitle_en"),
          column("semesters", "εξάμηνα", "prsemesters"), column("ects", "ects", "prects"),
          column("first year", "έτος έναρξης", "prstartyear")}},
        {QStringLiteral("curricula"),
         QStringLiteral("κατευθύνσεις"),
         QStringLiteral("QEMDPOrientation"),
         QStringLiteral("orID"),
         {column("department", "τμήμα", "", true, true),
          column("programme", "πρόγραμμα", "prID", true, true, "programmes", inDepartment),
          column("code", "κωδικός", "orshort", true, true),
          column("name", "όνομα", "ordescription", true)}},
        {QStringLiteral("courses"),
         QStringLiteral("μαθήματα"),
         QStringLiteral("QEMCourses"),
         QStringLiteral("courseID"),
         {column("department", "τμήμα", "depID", true, true, "departments"),
          column("code", "κωδικός", "coursecode", true, true),
          column("title", "τίτλος", "title", true),
          column("title_en", "τίτλος αγγλικά", "title_en"), column("ects", "ects", "ects"),
          column("credits", "διδακτικές μονάδες", "credits"), column("hours", "ώρες", "hours"),
          column("semester", "εξάμηνο", "semID")}},
        {QStringLiteral("students"),
         QStringLiteral("φοιτητές"),
         QStringLiteral("QEMStudents"),
         QStringLiteral("student_ID"),
         {column("department", "τμήμα", "department_ID", true, true, "departments"),
          column("registration number", "αριθμός μητρώου", "spec_aem", true, true),
          column("last name", "επώνυμο", "lastname", true),
          column("first name", "όνομα", "firstname", true),
          column("programme", "πρόγραμμα", "progrspoud_ID", true, false, "programmes",
                 inDepartment),
          column("curriculum", "κατεύθυνση", "orient_ID", false, false, "curricula",
                 {QStringLiteral("department"), QStringLiteral("programme")}),
          column("year of entry", "έτος εισαγωγής", "in_year"),
          column("status", "κατάσταση", "statusID")}},
        {QStringLiteral("results"),
         QStringLiteral("βαθμολογίες"),
         QStringLiteral("QEMStudentResults"),
         QStringLiteral("resID"),
         {column("department", "τμήμα", "", true, true),
          column("registration number", "αριθμός μητρώου", "student_ID", true, true, "students",
                 inDepartment),
          otherwise(column("course department", "τμήμα μαθήματος", "", false, true), "department"),
          column("course", "μάθημα", "courseID", true, true, "courses",
                 {QStringLiteral("course department")}),
          column("year", "έτος", "acyear", true, true),
          column("exam period", "εξεταστική", "epID", false, true),
          column("teaching period", "περίοδος", "termID"),
          within(column("grade", "βαθμός", "grade"), 0, 10),
          yesOrNo(column("exemption", "απαλλαγή", "exemption"))}},
    };
    return kinds;
}

const DataKind *FindDataKind(const QString &name)
{
    for (const DataKind &kind : DataKinds())
        if (name.compare(kind.name, Qt::CaseInsensitive) == 0 ||
            name.compare(kind.greek, Qt::CaseInsensitive) == 0)
            return &kind;
    return nullptr;
}

} // namespace zr::server
