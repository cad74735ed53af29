#pragma once

#include "itempanel/itempanelmodel.h"
#include "recordset/recordset.h"
#include "common/schema.h"
#include "reqtypes/parametersheet.h"
#include "recordset/lookupcache.h"

#include <QStringList>
#include <QVariantMap>

#include <memory>

namespace zr::test {

/// A code table of integer ids and text columns, rows given as lists of values.
inline Recordset codeTable(const QString &idField, const QStringList &textFields, const QList<QVariantList> &rows)
{
    QList<Field> fields{makeField(idField, adInteger)};
    for (const QString &name : textFields)
        fields << makeField(name, adVarWChar, 200);
    Recordset rs(fields);
    for (const QVariantList &values : rows) {
        rs.addNew();
        for (int i = 0; i < values.size(); ++i)
            rs.setValue(i, values[i]);
    }
    rs.updateBatch();
    rs.moveFirst();
    return rs;
}

/// The code tables of a small department, as the server would give them.
inline Recordset sampleTable(const QString &table)
{
    if (table == QLatin1String("SYS_CourseType"))
        return codeTable("ctypeID", {"ctypedesc", "ctypeabbr"},
                         {{1, "Υποχρεωτικό", "ΥΠ"}, {2, "Επιλογής", "ΕΠ"}, {3, "Εργαστηριακό", "ΕΡΓ"}});
    if (table == QLatin1String("SYS_semesters"))
        return codeTable("semID", {"semshort", "semlong"}, {{1, "Α'", "Α' εξάμηνο"}, {2, "Β'", "Β' εξάμηνο"}});
    if (table == QLatin1String("SYS_Dep_CourseArea"))
        return codeTable("areaID", {"coursearea"}, {{4, "Αλγόριθμοι"}, {5, "Δίκτυα"}});
    if (table == QLatin1String("SYS_CourseCategory"))
        return codeTable("categoryID", {"coursecategory"}, {{2, "Θεωρία"}, {3, "Εργαστήριο"}});
    if (table == QLatin1String("SYS_Dep_CourseSector"))
        return codeTable("sectorID", {"coursesector"}, {{1, "Λογισμικό"}, {4, "Υλικό"}});
    if (table == QLatin1String("SYS_Dep_SectionCategories"))
        return codeTable("sectcatID", {"sectcatdescr"}, {{1, "Πρωινό"}, {3, "Απογευματινό"}});
    if (table == QLatin1String("QEMDPGroup"))
        return codeTable("dgID", {"groupID", "dgname"}, {{7, "Γ1", "Ομάδα Α"}, {8, "Γ2", "Ομάδα Β"}});
    if (table == QLatin1String("SYS_ERGASIA_TYPE"))
        return codeTable("ID", {"descr"}, {{1, "Διπλωματική"}, {2, "Πτυχιακή"}});
    if (table == QLatin1String("SYS_terms"))
        return codeTable("termID", {"termDesc"}, {{1, "ΧΕΙΜ"}, {2, "ΕΑΡ"}});
    if (table == QLatin1String("SYS_StudentStatus"))
        return codeTable("statusID", {"statusdescr"}, {{1, "Ενεργός"}, {4, "Σε αναστολή"}});
    if (table == QLatin1String("QEMDPOrientation"))
        return codeTable("orID", {"ordescription"}, {{11, "Λογισμικό"}, {12, "Δίκτυα"}});
    return Recordset();
}

/// A schema that knows only the student view, with typed, listed and yes/no columns.
class StudentSchema : public Schema
{
public:
    StudentSchema()
    {
        m_students.name = QStringLiteral("v_students");
        auto add = [this](const char *name, const char *greek, int type, const char *list = "") {
            SchemaColumn column;
            column.name = QString::fromUtf8(name);
            column.captionGreek = QString::fromUtf8(greek);
            column.captionEnglish = QString::fromUtf8(name);
            column.type = type;
            column.listSource = QString::fromUtf8(list);
            m_students.columns << column;
        };
        add("gender", "Φύλο", FieldListText, "TEXT:Α;Άνδρας;Θ;Γυναίκα");
        add("orient_ID", "Κατεύθυνση", FieldList, "RECORDSET:QEMDPOrientation");
        add("sector", "Τομέας", FieldList, "RECORDSET:SYS_Dep_CourseSector");
        add("statusID", "Κατάσταση φοίτησης", FieldList, "RECORDSET:SYS_StudentStatus");
        add("exam_ID", "Εξάμηνο φοίτησης", FieldInteger);
        add("in_year", "Έτος εισαγωγής", FieldInteger);
        add("studrate", "Μέσος όρος", FieldDecimal);
        add("abroad", "Εξωτερικού", FieldYesNo);
        add("or_date", "Ημερομηνία ορκωμοσίας", FieldDate);
    }
    QString defaultTableName() const override { return m_students.name; }
    QStringList tableNames() const override { return {m_students.name}; }
    const SchemaTable *table(const QString &name) const override
    {
        return name.compare(m_students.name, Qt::CaseInsensitive) == 0 ? &m_students : nullptr;
    }
    SqlDialect dialect() const override { return SqlDialect::SQLite; }

private:
    SchemaTable m_students;
};

/// Everything a sheet needs, in memory: the code tables (with a record of
/// the fetches), the student view and programme 7 of course 25.
struct SheetWorld
{
    explicit SheetWorld(int context = 101, int kind = 1)
    {
        lookups.setFetcher([this](const QString &table, const QString &filter) {
            fetched << table + QLatin1Char('|') + filter;
            return sampleTable(table);
        });
        sheet.context = context;
        sheet.objectKind = kind;
        sheet.lookups = &lookups;
        sheet.students = schema.table(QStringLiteral("v_students"));
        sheet.programmeId = 7;
        sheet.courseId = 25;
        sheet.departmentId = QStringLiteral("105");
    }

    LookupCache lookups;
    StudentSchema schema;
    SheetContext sheet;
    ItemPanelModel panel;
    QStringList fetched;
};

} // namespace zr::test
