#include "studentrecords.h"

#include "database.h"
#include "exceptionkey.h"
#include "servererrors.h"
#include "common/langstrings.h"
#include "common/zrerror.h"

#include <QAtomicInt>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QSqlQuery>

#include <sqlite3.h>

#include <memory>
#include <optional>

namespace zr::server {

namespace {

// Every query leads with the student id it is merged on; each table's
// columns follow in the order of RecordColumns. Ordered by the students'
// own key, SQLite walks the students' index and each table's index in step
// and never sorts.
const char *const ResultsSql =
    "SELECT r.student_ID, r.courseID, r.acyear, r.epID, r.termID, r.grade, r.exemption "
    "FROM QEMStudents s JOIN QEMStudentResults r ON r.student_ID = s.student_ID "
    "WHERE %1 ORDER BY s.student_ID, r.resID";
// The attributes of the courses as a programme lists them, read once: joined
// to each result instead, they would cost three times the reading of the results.
const char *const CoursesSql =
    "SELECT c.courseID, COALESCE(pc.ctypeID, c.ctypeID), COALESCE(pc.semID, c.semID), pc.dgID, c.categoryID, "
    "c.sectorID, c.areaID, COALESCE(pc.credits, c.credits), COALESCE(pc.hours, c.hours), COALESCE(pc.ects, c.ects), "
    "pc.coefficient, pc.indegreegrade "
    "FROM QEMCourses c LEFT JOIN QEMDepProgramCourses pc ON pc.courseID = c.courseID AND pc.prID = ?";
const int ResultOwnColumns = RecordColumns::ResultCourseType;
const int CourseColumns = RecordColumns::ResultWidth - ResultOwnColumns;
const char *const EnrolmentsSql =
    "SELECT n.student_ID, n.courseID, n.acyear, n.termID, n.sectcatID "
    "FROM QEMStudents s JOIN QEMStudentEnrolments n ON n.student_ID = s.student_ID "
    "WHERE %1 ORDER BY s.student_ID, n.enrID";
const char *const ProjectsSql =
    "SELECT p.student_ID, p.prjtypeID, p.completed, p.credits, p.ects "
    "FROM QEMStudents s JOIN QEMStudentProjects p ON p.student_ID = s.student_ID "
    "WHERE %1 ORDER BY s.student_ID, p.prjID";
const char *const PracticumsSql =
    "SELECT t.student_ID, t.completed "
    "FROM QEMStudents s JOIN QEMStudentPracticums t ON t.student_ID = s.student_ID "
    "WHERE %1 ORDER BY s.student_ID, t.pracID";

// Rows of one ordered query, read one at a time.
class RowStream
{
public:
    virtual ~RowStream() = default;
    /// Moves to the next row; false after the last.
    virtual bool next() = 0;
    /// The student id of the current row.
    virtual qint64 key() const = 0;
    /// Appends `count` columns of the current row, from column `first` on, to `out`.
    virtual void append(QVariantList &out, int first, int count) const = 0;
    /// The same for columns that hold numbers; NULL becomes NaN.
    virtual void appendNumbers(QList<double> &out, int first, int count) const = 0;
};

class SqliteStream : public RowStream
{
public:
    SqliteStream(Database &db, const QString &sql, const QVariantList &values, QList<SqlType> types,
                 const QString &source)
        : m_stmt(db.prepareSqlite(sql, values, source)), m_types(std::move(types)), m_source(source)
    {
    }
    ~SqliteStream() override { sqlite3_finalize(m_stmt); }

    bool next() override
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw ZrError(ErrDatabase, m_source, QStringLiteral("The database failed while reading: %1")
                                                     .arg(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_stmt)))));
        return false;
    }
    qint64 key() const override { return sqlite3_column_int64(m_stmt, 0); }
    void append(QVariantList &out, int first, int count) const override
    {
        for (int i = first; i < first + count; ++i) {
            switch (sqlite3_column_type(m_stmt, i)) {
            case SQLITE_NULL:
                out.append(QVariant());
                break;
            case SQLITE_INTEGER: {
                const qint64 number = sqlite3_column_int64(m_stmt, i);
                out.append(number == qint64(int(number)) ? QVariant(int(number)) : QVariant(qlonglong(number)));
                break;
            }
            case SQLITE_FLOAT:
                out.append(sqlite3_column_double(m_stmt, i));
                break;
            default:
                out.append(text(i));
                break;
            }
        }
    }

    void appendNumbers(QList<double> &out, int first, int count) const override
    {
        for (int i = first; i < first + count; ++i) {
            switch (sqlite3_column_type(m_stmt, i)) {
            case SQLITE_NULL:
                out.append(RecordRows::null());
                break;
            case SQLITE_INTEGER:
                out.append(double(sqlite3_column_int64(m_stmt, i)));
                break;
            default:
                out.append(sqlite3_column_double(m_stmt, i));
                break;
            }
        }
    }

private:
    // SQLite keeps dates as text; the record holds them as dates on every backend.
    QVariant text(int column) const
    {
        const QString value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column)),
                                                sqlite3_column_bytes(m_stmt, column));
        const SqlType type = column < m_types.size() ? m_types.at(column) : SqlType::Text;
        if (type == SqlType::Date)
            return QDate::fromString(value.left(10), Qt::ISODate);
        if (type == SqlType::Timestamp)
            return QDateTime::fromString(QString(value).replace(QLatin1Char(' '), QLatin1Char('T')), Qt::ISODate);
        return value;
    }

    sqlite3_stmt *m_stmt;
    QList<SqlType> m_types;
    QString m_source;
};

// A cursor fetched in batches: the whole result would otherwise arrive at
// once, and a cursor is the way to keep several queries open on one connection.
class PostgresStream : public RowStream
{
public:
    PostgresStream(Database &db, const QString &sql, const QVariantList &values, const QString &source)
        : m_db(db), m_source(source)
    {
        static QAtomicInt counter;
        m_name = QStringLiteral("zr_records_%1").arg(counter.fetchAndAddRelaxed(1));
        // Qt prepares statements with PREPARE, which a DECLARE cannot be part of, so the
        // values, all integers, are written into the text.
        QString text = sql;
        for (const QVariant &v : values) {
            const qsizetype at = text.indexOf(QLatin1Char('?'));
            Q_ASSERT(at >= 0 && (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong));
            text.replace(at, 1, QString::number(v.toLongLong()));
        }
        m_db.execControl(QStringLiteral("DECLARE %1 NO SCROLL CURSOR FOR %2").arg(m_name, text), m_source);
    }
    ~PostgresStream() override
    {
        try {
            m_db.execControl(QStringLiteral("CLOSE ") + m_name, m_source);
        } catch (const ZrError &) {
            // A failed transaction has closed its cursors already.
        }
    }

    bool next() override
    {
        if (m_batch.isActive() && m_batch.next())
            return true;
        if (!m_more)
            return false;
        m_batch = m_db.execUnprepared(QStringLiteral("FETCH FORWARD %1 FROM %2").arg(BatchRows).arg(m_name), m_source);
        m_more = m_batch.size() == BatchRows;
        return m_batch.next();
    }
    qint64 key() const override { return m_batch.value(0).toLongLong(); }
    void append(QVariantList &out, int first, int count) const override
    {
        for (int i = first; i < first + count; ++i) {
            const QVariant v = m_batch.value(i);
            out.append(v.isNull() ? QVariant() : v);
        }
    }
    void appendNumbers(QList<double> &out, int first, int count) const override
    {
        for (int i = first; i < first + count; ++i) {
            const QVariant v = m_batch.value(i);
            out.append(v.isNull() ? RecordRows::null() : v.toDouble());
        }
    }

private:
    static constexpr int BatchRows = 5000;
    Database &m_db;
    QString m_source;
    QString m_name;
    QSqlQuery m_batch;
    bool m_more = true;
};

// The attributes of every course by id as `programme` lists them, or only
// of those `student` (his id, when given) has results in.
template<typename Open>
QHash<int, QList<double>> readCourses(const Open &open, qint32 programme, const QVariantList &student)
{
    QString sql = QString::fromLatin1(CoursesSql);
    if (!student.isEmpty())
        sql += QStringLiteral(" WHERE c.courseID IN (SELECT courseID FROM QEMStudentResults WHERE student_ID = ?)");
    std::unique_ptr<RowStream> rows = open(sql, QVariantList{programme} + student, {});
    QHash<int, QList<double>> courses;
    while (rows->next()) {
        QList<double> &attributes = courses[int(rows->key())];
        attributes.clear();
        rows->appendNumbers(attributes, 1, CourseColumns);
    }
    return courses;
}

} // namespace

// Which students a read covers: the same condition on every table's query.
struct StudentRecordReader::Selection
{
    QString condition;   ///< on the students' columns, "%1" standing for the table's alias
    QVariantList values;
    bool student = false;   ///< one student, by id: the only value

    QString on(const char *alias) const { return condition.arg(QLatin1String(alias)); }
};

StudentRecordRows StudentRecordReader::load(qint32 studentId, const RecordScope &scope)
{
    StudentRecordRows found;
    CourseAttributes courses;
    const qint64 count = run({QStringLiteral("%1.student_ID = ?"), {studentId}, true}, scope,
                             [&](const StudentRecordRows &record) {
                                 found = record;
                                 return false;
                             },
                             courses);
    if (count == 0)
        throw ZrError(ErrNotFound, m_source, ReplaceParams(GetLangString(61552), {QString::number(studentId)}));
    return found;
}

qint64 StudentRecordReader::walk(qint32 programmeId, qint32 curriculumId, const RecordScope &scope,
                                 const cStudent::StudentRecordVisitor &visit, const cStudent::StudentRangeSource &ranges)
{
    Selection selection{QStringLiteral("%1.progrspoud_ID = ?"), {programmeId}, false};
    if (curriculumId != 0) {
        selection.condition += QStringLiteral(" AND %1.orient_ID = ?");
        selection.values.append(curriculumId);
    }
    CourseAttributes courses; // read with the first range, the same for the others
    if (!ranges)
        return run(selection, scope, visit, courses);
    qint64 count = 0;
    bool stopped = false;
    const auto visitUntilStopped = [&](const StudentRecordRows &record) {
        stopped = !visit(record);
        return !stopped;
    };
    while (!stopped) {
        const std::optional<StudentIdRange> range = ranges();
        if (!range)
            break;
        Selection slice = selection;
        slice.condition += QStringLiteral(" AND %1.student_ID BETWEEN ? AND ?");
        slice.values << range->first << range->last;
        count += run(slice, scope, visitUntilStopped, courses);
    }
    return count;
}

// The students' columns of v_students, then whether each is excepted from
// the set of `scope` and whether he has an individual regulation.
QString StudentRecordReader::studentsQuery(const QStringList &columns, const RecordScope &scope,
                                           const Selection &selection, QVariantList &values)
{
    QString excepted = QStringLiteral("0");
    if (scope.objectKind != 0)
        excepted = QStringLiteral("CASE WHEN EXISTS (SELECT 1 FROM QEMExcludedStudents e WHERE e.student_ID = "
                                  "v.student_ID AND ")
            + ExceptionKeyCondition(scope.objectId, scope.objectKind, scope.context, scope.extraKey, values)
            + QStringLiteral(") THEN -1 ELSE 0 END");
    values += selection.values;
    return QStringLiteral("SELECT v.%1, %2, CASE WHEN EXISTS (SELECT 1 FROM QEMStudRegulation g WHERE g.student_ID "
                          "= v.student_ID) THEN -1 ELSE 0 END FROM v_students v WHERE %3 ORDER BY v.student_ID")
        .arg(columns.join(QStringLiteral(", v.")), excepted, selection.on("v"));
}

qint64 StudentRecordReader::run(const Selection &selection, const RecordScope &scope,
                                const cStudent::StudentRecordVisitor &visit, CourseAttributes &courses)
{
    const SchemaTable &view = m_db.knownTable(QStringLiteral("v_students"), m_source);
    StudentRecordRows record;
    QList<SqlType> types;
    for (const SchemaColumn &c : view.columns) {
        // A copy of the name's characters, not of the schema's shared string: every record's
        // fields are keyed by it, and walks on other threads would contend for its count.
        record.studentColumns.append(QString(c.name.constData(), c.name.size()));
        types.append(c.sqlType);
    }
    QVariantList studentValues;
    const QString studentsSql = studentsQuery(record.studentColumns, scope, selection, studentValues);

    Database::Transaction tx(m_db, Database::Transaction::Read, m_source);
    qint64 count = 0;
    {
        const bool sqlite = m_db.dialect() == SqlDialect::SQLite;
        const auto open = [&](const QString &sql, const QVariantList &values,
                              const QList<SqlType> &columnTypes) -> std::unique_ptr<RowStream> {
            if (sqlite)
                return std::make_unique<SqliteStream>(m_db, sql, values, columnTypes, m_source);
            return std::make_unique<PostgresStream>(m_db, sql, values, m_source);
        };
        const auto child = [&](const char *sql) {
            return open(QString::fromLatin1(sql).arg(selection.on("s")), selection.values, {});
        };
        std::unique_ptr<RowStream> students = open(studentsSql, studentValues, types);
        struct Table
        {
            std::unique_ptr<RowStream> rows;
            RecordRows *target;
            int columns;
            bool more;
        };
        Table tables[] = {{child(ResultsSql), &record.results, ResultOwnColumns, false},
                          {child(EnrolmentsSql), &record.enrolments, RecordColumns::EnrolmentWidth, false},
                          {child(ProjectsSql), &record.projects, RecordColumns::ProjectWidth, false},
                          {child(PracticumsSql), &record.practicums, RecordColumns::PracticumWidth, false}};
        for (Table &t : tables)
            t.more = t.rows->next();
        const int width = int(record.studentColumns.size());
        const int programmeColumn = int(record.studentColumns.indexOf(QStringLiteral("progrspoud_ID")));
        const QList<double> noCourse(CourseColumns, RecordRows::null());
        while (students->next()) {
            const qint64 id = students->key();
            record.student.clear();
            students->append(record.student, 0, width + 2);
            record.excepted = record.student.at(width).toInt() != 0;
            record.regulation = record.student.at(width + 1).toInt() != 0;
            record.student.resize(width);
            // Every student of a walk is of one programme; one student reads only his own courses.
            if (!courses)
                courses = readCourses(open, record.student.value(programmeColumn).toInt(),
                                      selection.student ? selection.values : QVariantList());
            for (Table &t : tables) {
                t.target->cells.clear();
                // Every table is read in student order: rows of this student come next.
                while (t.more && t.rows->key() < id)
                    t.more = t.rows->next();
                while (t.more && t.rows->key() == id) {
                    t.rows->appendNumbers(t.target->cells, 1, t.columns);
                    if (t.target == &record.results) {
                        const int course = int(t.target->cells.at(t.target->cells.size() - t.columns));
                        const auto found = courses->constFind(course);
                        t.target->cells += found == courses->constEnd() ? noCourse : *found;
                    }
                    t.more = t.rows->next();
                }
            }
            ++count;
            if (!visit(record))
                break;
        }
    }
    tx.commit();
    return count;
}

} // namespace zr::server
