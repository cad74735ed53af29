#include "auditsources.h"

#include "audit/auditcodesource.h"
#include "common/createserverobject.h"
#include "common/serverobjects.h"
#include "reqtypes/typecatalog.h"
#include "requirements/requirementset.h"
#include "requirements/setversion.h"
#include "constraintdescriber.h"
#include "database.h"
#include "requirements/requirementfile.h"
#include "requirementstore.h"
#include "setversionstore.h"
#include "textfold.h"

#include <QSet>
#include <QSqlQuery>

namespace zr::app {

QList<CatalogCourse> ProgrammeCatalog(const QString &server, qint32 programme)
{
    return LoadProgrammeCourses(*ServerObjectOf<cDepPrograms>(server), *ServerObjectOf<cCourses>(server), programme);
}

Recordset SetRowsOf(const Recordset &parent, qint32 kind, qint32 context, qint32 curriculum)
{
    RequirementSet set;
    set.setObjectKind(kind);
    set.setContext(context);
    set.setParent(parent);
    set.setCurriculumId(curriculum);
    return set.walkWholeSet();
}

QString DepartmentOf(const Recordset &parent)
{
    Recordset row = parent.clone();
    row.moveFirst();
    return row.eof() || !row.hasField(u"depID") ? QString() : row.value(u"depID").toString();
}

AuditCodes LoadCodes(const QString &server, const QString &department, CourseNames courses)
{
    AuditCodes codes = LoadAuditCodes(*ServerObjectOf<cDepartment>(server), department, courses);
    codes.fold = server::FoldForMatch;
    return codes;
}

QHash<qint32, QString> DescribeRows(const QString &server, const Recordset &rows)
{
    auto db = server::Database::open(server);
    server::ConstraintDescriber describer(*db);
    QHash<qint32, QString> descriptions;
    Recordset row = rows.view();
    for (row.moveFirst(); !row.eof(); row.moveNext())
        descriptions.insert(row.value(u"ocID").toInt(), describer.describe(row));
    return descriptions;
}

QHash<qint32, QString> DescribeValues(const QString &server, const Recordset &shape,
                                      const QList<RequirementValue> &values)
{
    QList<Field> fields;
    for (int i = 0; i < shape.fieldCount(); ++i)
        fields << shape.field(i);
    Recordset rows(fields);
    for (const RequirementValue &value : values) {
        rows.addNew();
        rows.setValue(u"ocID", value.ocID);
        rows.setValue(u"conID", value.typeId);
        rows.setValue(u"contypeID", value.context);
        value.writeTo(rows, rows.recordCount() - 1);
    }
    return DescribeRows(server, rows);
}

AuditSet PrepareDescribed(const QString &server, const Recordset &rows, int context, const AuditCodes &codes)
{
    return AuditSet::prepare(rows, context, codes).withDescriptions(DescribeRows(server, rows));
}

AuditSet PreparedOrEmpty(const QString &server, const Recordset &parent, qint32 kind, qint32 context,
                         qint32 curriculum, const AuditCodes &codes)
{
    const Recordset rows = SetRowsOf(parent, kind, context, curriculum);
    return rows.recordCount() == 0 ? AuditSet() : PrepareDescribed(server, rows, context, codes);
}

AuditSet RegulationSet(const QString &server, qint32 studentId, const AuditCodes &codes, const QDateTime &asOf)
{
    if (!asOf.isValid()) {
        const Recordset parent = ServerObjectOf<cContraints>(server)->LoadObjectConstraints(KindStudent, studentId);
        return PreparedOrEmpty(server, parent, KindStudent, CtxDegree, 0, codes);
    }
    const QString source = QStringLiteral("audit");
    const QString key = RequirementSetKey(KindStudent, studentId, CtxDegree, QString());
    auto db = server::Database::open(server);
    // Never saved: as it is now; saved only after `asOf`: as first stored.
    const std::optional<qint64> number = server::SetVersionStore(*db, source).versionInForce(key, asOf);
    if (!number)
        return RegulationSet(server, studentId, codes);
    const Recordset rows = ReadRequirementFile(server::RequirementStore(*db).versionFile(key, *number, source)).rows;
    return rows.recordCount() == 0 ? AuditSet() : PrepareDescribed(server, rows, CtxDegree, codes);
}

QHash<qint32, AuditSet> RegulationSets(const QString &server, qint32 programme, qint32 context, const AuditCodes &codes,
                                       const QDateTime &asOf)
{
    QHash<qint32, AuditSet> sets;
    if (context != CtxDegree)
        return sets;
    QList<qint32> students;
    {
        auto db = server::Database::open(server);
        QSqlQuery &q = db->exec(QStringLiteral("SELECT r.student_ID FROM QEMStudRegulation r JOIN QEMStudents s "
                                               "ON s.student_ID = r.student_ID WHERE s.progrspoud_ID = ?"),
                                {programme}, QStringLiteral("audit"));
        while (q.next())
            students << q.value(0).toInt();
        q.finish();
        // At an earlier time, also the students whose regulation was given up since: its versions are kept.
        if (asOf.isValid()) {
            QSqlQuery &kept = db->exec(QStringLiteral("SELECT s.student_ID FROM QEMSetVersion v JOIN QEMStudents s "
                                                      "ON v.setkey = '8/' || s.student_ID || '/103/' "
                                                      "WHERE s.progrspoud_ID = ?"),
                                       {programme}, QStringLiteral("audit"));
            while (kept.next())
                if (!students.contains(kept.value(0).toInt()))
                    students << kept.value(0).toInt();
            kept.finish();
        }
    }
    for (qint32 student : std::as_const(students)) {
        const AuditSet own = RegulationSet(server, student, codes, asOf);
        if (own.size() > 0)
            sets.insert(student, own);
    }
    return sets;
}

QList<qint32> CurriculaWithSets(const Recordset &parent, qint32 context)
{
    QSet<qint32> curricula;
    Recordset object = parent.clone();
    object.moveFirst();
    if (object.eof())
        return {};
    Recordset rows = object.chapter(RequirementSet::chapterName()).clone();
    if (rows.isNull())
        return {};
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        if (rows.value(u"contypeID").toInt() == context)
            curricula.insert(rows.value(u"secobjID").toInt());
    }
    QList<qint32> sorted(curricula.cbegin(), curricula.cend());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

qint64 StudentCount(const QString &server, qint32 programme, qint32 curriculum)
{
    auto db = server::Database::open(server);
    QString sql = QStringLiteral("SELECT COUNT(*) FROM QEMStudents WHERE progrspoud_ID = ?");
    QVariantList values{programme};
    if (curriculum != 0) {
        sql += QStringLiteral(" AND orient_ID = ?");
        values << curriculum;
    }
    QSqlQuery &q = db->exec(sql, values, QStringLiteral("audit"));
    const qint64 count = q.next() ? q.value(0).toLongLong() : 0;
    q.finish();
    return count;
}

SetImpact PrepareImpact(const QString &server, qint32 programme, qint32 context, const QList<qint32> &curricula,
                        const Recordset &edited)
{
    const Recordset stored = ServerObjectOf<cContraints>(server)->LoadObjectConstraints(KindProgramme, programme);
    const AuditCodes codes = LoadCodes(server, DepartmentOf(stored), CourseNames::Skipped);
    QList<qint32> keys = curricula;
    if (keys.isEmpty() && IsKeyedBySecondary(KindProgramme, context)) {
        keys = CurriculaWithSets(stored, context);
        for (qint32 curriculum : CurriculaWithSets(edited, context)) {
            if (!keys.contains(curriculum))
                keys << curriculum;
        }
    } else if (keys.isEmpty()) {
        keys << 0;
    }
    QHash<qint32, SetPair> sets;
    for (qint32 curriculum : std::as_const(keys)) {
        sets.insert(curriculum, SetPair{PreparedOrEmpty(server, stored, KindProgramme, context, curriculum, codes),
                                        PreparedOrEmpty(server, edited, KindProgramme, context, curriculum, codes)});
    }
    const QList<qint32> own = RegulationSets(server, programme, context, codes).keys();
    return SetImpact(std::move(sets), QSet<qint32>(own.cbegin(), own.cend()));
}

} // namespace zr::app
