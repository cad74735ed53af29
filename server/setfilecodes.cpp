#include "setfilecodes.h"

#include "database.h"

#include <QSqlQuery>

namespace zr::server {

namespace {

// Each table's id, code and the column its codes are unique within (empty: the whole table).
struct CodeColumns
{
    const char *table;
    const char *id;
    const char *code;
    const char *within;
};

CodeColumns columnsOf(SetFileCodes::Table table)
{
    switch (table) {
    case SetFileCodes::Table::Programme:
        return {"QEMDepPrograms", "prID", "prshort", "prdepID"};
    case SetFileCodes::Table::Curriculum:
        return {"QEMDPOrientation", "orID", "orshort", "prID"};
    case SetFileCodes::Table::CourseGroup:
        return {"QEMDPGroup", "dgID", "groupID", "prID"};
    case SetFileCodes::Table::Course:
        return {"QEMCourses", "courseID", "coursecode", "depID"};
    case SetFileCodes::Table::Semester:
        return {"SYS_semesters", "semID", "semshort", ""};
    case SetFileCodes::Table::Student:
        return {"QEMStudents", "student_ID", "spec_aem", "department_ID"};
    }
    return {};
}

const QString Source = QStringLiteral("SetFileCodes");

} // namespace

DatabaseSetFileCodes::~DatabaseSetFileCodes() = default;

Database &DatabaseSetFileCodes::db()
{
    if (!m_db) {
        m_opened = Database::open(m_server);
        m_db = m_opened.get();
    }
    return *m_db;
}

QString DatabaseSetFileCodes::codeOf(Table table, qint64 id, QString *department)
{
    const QString key = QString::number(int(table)) + QLatin1Char('/') + QString::number(id);
    auto it = m_codes.constFind(key);
    if (it == m_codes.constEnd()) {
        const CodeColumns c = columnsOf(table);
        const bool within = *c.within != 0;
        QSqlQuery &q =
            db().exec(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 = ?")
                          .arg(QLatin1String(c.code), QLatin1String(within ? c.within : c.code),
                               QLatin1String(c.table), QLatin1String(c.id)),
                      {id}, Source);
        Code found;
        if (q.next())
            found = {q.value(0).toString(), within ? q.value(1).toString() : QString()};
        q.finish();
        it = m_codes.insert(key, found);
    }
    if (department)
        *department = it->department;
    return it->code;
}

std::optional<qint64> DatabaseSetFileCodes::idOf(Table table, const QString &code,
                                                 const QString &scope)
{
    const QString key =
        QString::number(int(table)) + QLatin1Char('/') + scope + QLatin1Char('/') + code;
    auto it = m_ids.constFind(key);
    if (it == m_ids.constEnd()) {
        const CodeColumns c = columnsOf(table);
        const bool within = *c.within != 0;
        QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                          .arg(QLatin1String(c.id), QLatin1String(c.table), QLatin1String(c.code));
        QVariantList values{code};
        if (within) {
            sql += QStringLiteral(" AND %1 = ?").arg(QLatin1String(c.within));
            // Programme ids are numbers; departments are codes.
            const bool byProgramme = table == Table::Curriculum || table == Table::CourseGroup;
            values << (byProgramme ? QVariant(scope.toLongLong()) : QVariant(scope));
        }
        QSqlQuery &q = db().exec(sql, values, Source);
        std::optional<qint64> found;
        if (q.next())
            found = q.value(0).toLongLong();
        // A code two rows share names neither.
        if (q.next())
            found.reset();
        q.finish();
        it = m_ids.insert(key, found);
    }
    return *it;
}

} // namespace zr::server
