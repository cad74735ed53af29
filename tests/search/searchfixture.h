#pragma once

// The schema and lists the search control and the selection dialog are tried on, as the host gives them.

#include "common/schema.h"
#include "recordset/recordset.h"

#include <QStringList>

namespace zr::test {

inline SchemaColumn column(const QString &name, int type, const QString &caption, const QString &list = {})
{
    SchemaColumn c;
    c.name = name;
    c.captionGreek = caption;
    c.captionEnglish = caption;
    c.type = type;
    c.sqlType = (type == FieldText || type == FieldListText) ? SqlType::Text : SqlType::Integer;
    c.listSource = list;
    return c;
}

/// The students' view (its own text leaves out status 3) and the programme's courses.
class TestSchema : public Schema
{
public:
    SchemaTable students;
    SchemaTable courses;
    TestSchema()
    {
        students.name = QStringLiteral("v_students");
        students.keyColumn = QStringLiteral("student_ID");
        students.whereText = QStringLiteral("statusID <> 3");
        students.columns = {
            column(QStringLiteral("student_ID"), FieldInteger, QStringLiteral("Κωδικός")),
            column(QStringLiteral("spec_aem"), FieldText, QStringLiteral("Α.Μ.")),
            column(QStringLiteral("lastname"), FieldText, QStringLiteral("Επώνυμο")),
            column(QStringLiteral("gender"), FieldListText, QStringLiteral("Φύλο"), QStringLiteral("TEXT:Α;Άνδρας;Θ;Γυναίκα")),
            column(QStringLiteral("statusID"), FieldList, QStringLiteral("Κατάσταση"),
                   QStringLiteral("RECORDSET:SYS_StudentStatus")),
            column(QStringLiteral("in_year"), FieldInteger, QStringLiteral("Έτος εισαγωγής")),
            column(QStringLiteral("or_date"), FieldDate, QStringLiteral("Ορκωμοσία")),
            column(QStringLiteral("title"), FieldText, QStringLiteral("Τίτλος")),
        };
        students.columns[0].searchable = false;
        students.layouts.insert(QStringLiteral("selectStudents"),
                                {QStringLiteral("spec_aem"), QStringLiteral("lastname"), QStringLiteral("gender"),
                                 QStringLiteral("statusID")});
        courses.name = QStringLiteral("QEMDepProgramCourses");
        courses.keyColumn = QStringLiteral("courseID");
        courses.columns = {
            column(QStringLiteral("courseID"), FieldInteger, QStringLiteral("Μάθημα")),
            column(QStringLiteral("coursecode"), FieldText, QStringLiteral("Κωδικός μαθήματος")),
            column(QStringLiteral("title"), FieldText, QStringLiteral("Τίτλος")),
            column(QStringLiteral("coursetype"), FieldBitMask, QStringLiteral("Είδος μαθήματος")),
            column(QStringLiteral("semID"), FieldInteger, QStringLiteral("Εξάμηνο")),
        };
    }
    QString defaultTableName() const override { return students.name; }
    QStringList tableNames() const override { return {students.name, courses.name}; }
    const SchemaTable *table(const QString &name) const override
    {
        if (name.compare(students.name, Qt::CaseInsensitive) == 0)
            return &students;
        return name.compare(courses.name, Qt::CaseInsensitive) == 0 ? &courses : nullptr;
    }
    SqlDialect dialect() const override { return SqlDialect::SQLite; }
};

/// The list of SYS_StudentStatus: 1 active, 2 suspended, 3 struck off.
inline Recordset statusList()
{
    Recordset rs({makeField(QStringLiteral("statusID"), adInteger), makeField(QStringLiteral("statusdescr"), adVarWChar, 50)});
    const QStringList texts = {QStringLiteral("Ενεργός"), QStringLiteral("Σε αναστολή"), QStringLiteral("Διαγραμμένος")};
    for (int i = 0; i < texts.size(); ++i) {
        rs.addNew();
        rs.setValue(0, i + 1);
        rs.setValue(1, texts.at(i));
    }
    return rs;
}

} // namespace zr::test
