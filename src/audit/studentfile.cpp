#include "studentfile.h"

#include "common/langstrings.h"
#include "common/zrerror.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace zr {

namespace {

enum : qint32 {
    ErrCannotRead = 10300,
    ErrTooLarge = 10301,
    ErrBadJson = 10302,
    ErrWrongFormat = 10303,
    ErrUnknownField = 10304,
    ErrMissingField = 10305,
    ErrNotWholeNumber = 10306,
    ErrNotNumber = 10307,
    ErrNotFlag = 10308,
    ErrNotText = 10309,
    ErrNotDate = 10310,
    ErrNotGrade = 10311,
    ErrNotObject = 10312,
    ErrNotList = 10313,
};

// The messages; those a requirement file says the same way are shared with it.
enum : qint32 {
    StrCannotRead = 60200,
    StrBadJson = 60201,
    StrWholeNumberOrNull = 60203,
    StrTextOrNull = 60204,
    StrNotObject = 60205,
    StrNotList = 60206,
    StrUnknownField = 60209,
    StrMissing = 60210,
    StrTooLarge = 63000,
    StrWrongFormat = 63001,
    StrWholeNumber = 63002,
    StrNumberOrNull = 63003,
    StrFlag = 63004,
    StrDateOrNull = 63005,
    StrGradeOrNull = 63006,
};

const QString Source = QStringLiteral("StudentFile");

[[noreturn]] void refuse(qint32 number, qint32 message, const QStringList &params)
{
    throw ZrError(number, Source, ReplaceParams(GetLangString(message), params));
}

// What a field of a record's table holds.
enum class Kind { Id, OptionalId, Number, Grade, Flag };

struct FileField
{
    const char *name;
    Kind kind;
};

// Each table's fields in the order of its columns (RecordColumns).
const FileField ResultFields[] = {
    {"courseID", Kind::Id},          {"year", Kind::Id},           {"examPeriod", Kind::OptionalId},
    {"teachingPeriod", Kind::OptionalId}, {"grade", Kind::Grade},  {"exemption", Kind::Flag},
    {"ctypeID", Kind::OptionalId},   {"semID", Kind::OptionalId},  {"dgID", Kind::OptionalId},
    {"categoryID", Kind::OptionalId}, {"sectorID", Kind::OptionalId}, {"areaID", Kind::OptionalId},
    {"credits", Kind::Number},       {"hours", Kind::Number},      {"ects", Kind::Number},
    {"coefficient", Kind::Number},   {"inDegreeGrade", Kind::Flag},
};
const FileField EnrolmentFields[] = {
    {"courseID", Kind::Id}, {"year", Kind::Id}, {"teachingPeriod", Kind::OptionalId},
    {"classCategory", Kind::OptionalId},
};
const FileField ProjectFields[] = {
    {"typeID", Kind::OptionalId}, {"completed", Kind::Flag}, {"credits", Kind::Number}, {"ects", Kind::Number},
};
const FileField PracticumFields[] = {{"completed", Kind::Flag}};
static_assert(std::size(ResultFields) == RecordColumns::ResultWidth);
static_assert(std::size(EnrolmentFields) == RecordColumns::EnrolmentWidth);
static_assert(std::size(ProjectFields) == RecordColumns::ProjectWidth);
static_assert(std::size(PracticumFields) == RecordColumns::PracticumWidth);

struct Table
{
    const char *name;
    const FileField *fields;
    int width;
    RecordRows StudentRecordRows::*rows;
};
const Table Tables[] = {
    {"results", ResultFields, RecordColumns::ResultWidth, &StudentRecordRows::results},
    {"enrolments", EnrolmentFields, RecordColumns::EnrolmentWidth, &StudentRecordRows::enrolments},
    {"projects", ProjectFields, RecordColumns::ProjectWidth, &StudentRecordRows::projects},
    {"practicums", PracticumFields, RecordColumns::PracticumWidth, &StudentRecordRows::practicums},
};
// The names of the courses, an audit's code tables carried by the file.
const QStringList CourseFields{QStringLiteral("courseID"), QStringLiteral("code"), QStringLiteral("title"),
                               QStringLiteral("title_en")};

bool isWholeNumber(const QJsonValue &value)
{
    const double d = value.toDouble();
    return value.isDouble() && std::floor(d) == d && std::abs(d) <= 2147483647.0;
}

double readCell(const QJsonValue &value, Kind kind, const QString &where)
{
    if (kind == Kind::Flag) {
        if (value.isUndefined())
            return 0;
        if (!value.isBool())
            refuse(ErrNotFlag, StrFlag, {where});
        return value.toBool() ? -1 : 0;
    }
    if (kind == Kind::Id) {
        if (value.isUndefined())
            refuse(ErrMissingField, StrMissing, {where});
        if (!isWholeNumber(value))
            refuse(ErrNotWholeNumber, StrWholeNumber, {where});
        return value.toDouble();
    }
    if (value.isNull() || value.isUndefined())
        return RecordRows::null();
    switch (kind) {
    case Kind::OptionalId:
        if (!isWholeNumber(value))
            refuse(ErrNotWholeNumber, StrWholeNumberOrNull, {where});
        break;
    case Kind::Grade:
        if (!value.isDouble() || value.toDouble() < 0.0 || value.toDouble() > 10.0)
            refuse(ErrNotGrade, StrGradeOrNull, {where});
        break;
    default:
        if (!value.isDouble())
            refuse(ErrNotNumber, StrNumberOrNull, {where});
        break;
    }
    return value.toDouble();
}

QJsonValue writeCell(double value, Kind kind)
{
    if (kind == Kind::Flag)
        return value != 0 && !RecordRows::isNull(value);
    if (RecordRows::isNull(value))
        return QJsonValue::Null;
    if (kind == Kind::Id || kind == Kind::OptionalId)
        return qint32(value);
    return value;
}

QJsonObject asObject(const QJsonValue &value, const QString &where)
{
    if (!value.isObject())
        refuse(ErrNotObject, StrNotObject, {where});
    return value.toObject();
}

// A student column's value as the view's type has it.
QVariant readStudentValue(const QJsonValue &value, const SchemaColumn &column, const QString &where)
{
    if (value.isNull())
        return QVariant();
    switch (column.sqlType) {
    case SqlType::Integer:
        if (!isWholeNumber(value))
            refuse(ErrNotWholeNumber, StrWholeNumberOrNull, {where});
        return qint32(value.toDouble());
    case SqlType::Real:
        if (!value.isDouble())
            refuse(ErrNotNumber, StrNumberOrNull, {where});
        return value.toDouble();
    case SqlType::Date: {
        const QDate date = QDate::fromString(value.toString(), Qt::ISODate);
        if (!value.isString() || !date.isValid())
            refuse(ErrNotDate, StrDateOrNull, {where});
        return date;
    }
    case SqlType::Timestamp: {
        const QDateTime stamp = QDateTime::fromString(value.toString(), Qt::ISODate);
        if (!value.isString() || !stamp.isValid())
            refuse(ErrNotDate, StrDateOrNull, {where});
        return stamp;
    }
    case SqlType::Text:
        break;
    }
    if (!value.isString())
        refuse(ErrNotText, StrTextOrNull, {where});
    return value.toString();
}

QJsonValue writeStudentValue(const QVariant &value, const SchemaColumn &column)
{
    if (value.isNull())
        return QJsonValue::Null;
    switch (column.sqlType) {
    case SqlType::Integer: return value.toInt();
    case SqlType::Real: return value.toDouble();
    case SqlType::Date: return value.toDate().toString(Qt::ISODate);
    case SqlType::Timestamp: return value.toDateTime().toString(Qt::ISODate);
    case SqlType::Text: break;
    }
    return value.toString();
}

void readStudent(const QJsonValue &value, const SchemaTable &students, StudentRecordRows &rows)
{
    if (value.isUndefined())
        refuse(ErrMissingField, StrMissing, {QStringLiteral("student")});
    const QJsonObject object = asObject(value, QStringLiteral("student"));
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const QString where = QStringLiteral("student.") + it.key();
        const SchemaColumn *column = students.column(it.key());
        if (!column)
            refuse(ErrUnknownField, StrUnknownField, {where});
        rows.studentColumns.append(column->name);
        rows.student.append(readStudentValue(it.value(), *column, where));
    }
    const int id = int(rows.studentColumns.indexOf(QStringLiteral("student_ID")));
    if (id < 0)
        refuse(ErrMissingField, StrMissing, {QStringLiteral("student.student_ID")});
    if (rows.student.at(id).isNull())
        refuse(ErrNotWholeNumber, StrWholeNumber, {QStringLiteral("student.student_ID")});
}

void readTable(const QJsonValue &value, const Table &table, StudentRecordRows &rows)
{
    if (value.isUndefined())
        return;
    const QString name = QLatin1String(table.name);
    if (!value.isArray())
        refuse(ErrNotList, StrNotList, {name});
    RecordRows &target = rows.*table.rows;
    const QJsonArray items = value.toArray();
    target.cells.reserve(items.size() * table.width);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString at = QStringLiteral("%1[%2]").arg(name).arg(i);
        const QJsonObject item = asObject(items.at(i), at);
        for (auto it = item.constBegin(); it != item.constEnd(); ++it) {
            const auto known = std::find_if(table.fields, table.fields + table.width,
                                            [&](const FileField &f) { return it.key() == QLatin1String(f.name); });
            if (known == table.fields + table.width)
                refuse(ErrUnknownField, StrUnknownField, {at + QLatin1Char('.') + it.key()});
        }
        for (int c = 0; c < table.width; ++c) {
            const QString field = QLatin1String(table.fields[c].name);
            target.cells.append(readCell(item.value(field), table.fields[c].kind, at + QLatin1Char('.') + field));
        }
    }
}

// The courses a file names, as an audit's code tables name them.
void readCourses(const QJsonValue &value, AuditCodes &names)
{
    if (value.isUndefined())
        return;
    if (!value.isArray())
        refuse(ErrNotList, StrNotList, {QStringLiteral("courses")});
    const bool english = CurrentLanguage() == LangEnglish;
    const QJsonArray items = value.toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString at = QStringLiteral("courses[%1]").arg(i);
        const QJsonObject item = asObject(items.at(i), at);
        for (auto it = item.constBegin(); it != item.constEnd(); ++it) {
            if (!CourseFields.contains(it.key()))
                refuse(ErrUnknownField, StrUnknownField, {at + QLatin1Char('.') + it.key()});
            if (it.key() != QLatin1String("courseID") && !it.value().isString() && !it.value().isNull())
                refuse(ErrNotText, StrTextOrNull, {at + QLatin1Char('.') + it.key()});
        }
        if (!item.contains(QStringLiteral("courseID")))
            refuse(ErrMissingField, StrMissing, {at + QStringLiteral(".courseID")});
        const qint32 id = qint32(readCell(item.value(QStringLiteral("courseID")), Kind::Id, at + QStringLiteral(".courseID")));
        const QString inEnglish = english ? item.value(QStringLiteral("title_en")).toString() : QString();
        if (const QString code = item.value(QStringLiteral("code")).toString(); !code.isEmpty())
            names.courseCodes.insert(id, code);
        if (const QString title = inEnglish.isEmpty() ? item.value(QStringLiteral("title")).toString() : inEnglish;
            !title.isEmpty())
            names.courseNames.insert(id, title);
    }
}

QJsonArray writeCourses(const StudentRecord &record, const AuditCodes &names)
{
    QList<qint32> ids;
    for (const CourseResult &r : record.results)
        ids << r.courseId;
    for (const CourseEnrolment &e : record.enrolments)
        ids << e.courseId;
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    QJsonArray courses;
    for (qint32 id : std::as_const(ids)) {
        if (!names.courseCodes.contains(id) && !names.courseNames.contains(id))
            continue;
        courses.append(QJsonObject{{QStringLiteral("courseID"), id},
                                   {QStringLiteral("code"), names.courseCodes.value(id)},
                                   {QStringLiteral("title"), names.courseNames.value(id)}});
    }
    return courses;
}

} // namespace

QByteArray WriteStudentFile(const StudentRecord &record, const SchemaTable &students, const AuditCodes *names)
{
    const StudentRecordRows rows = record.toRows();
    QJsonObject student;
    for (int i = 0; i < rows.studentColumns.size(); ++i) {
        const SchemaColumn *column = students.column(rows.studentColumns.at(i));
        if (!column)
            refuse(ErrUnknownField, StrUnknownField, {QStringLiteral("student.") + rows.studentColumns.at(i)});
        student.insert(column->name, writeStudentValue(rows.student.at(i), *column));
    }
    QJsonObject root;
    root.insert(QStringLiteral("format"), StudentFile::formatName());
    root.insert(QStringLiteral("student"), student);
    for (const Table &table : Tables) {
        const RecordRows &source = rows.*table.rows;
        QJsonArray items;
        for (int r = 0; r < source.rowCount(); ++r) {
            QJsonObject item;
            for (int c = 0; c < table.width; ++c)
                item.insert(QLatin1String(table.fields[c].name), writeCell(source.value(r, c), table.fields[c].kind));
            items.append(item);
        }
        root.insert(QLatin1String(table.name), items);
    }
    if (names)
        root.insert(QStringLiteral("courses"), writeCourses(record, *names));
    root.insert(QStringLiteral("excepted"), record.excepted);
    root.insert(QStringLiteral("regulation"), record.regulation);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

StudentRecord ReadStudentFile(const QByteArray &json, const SchemaTable &students, AuditCodes *names)
{
    if (json.size() > StudentFile::MaximumSize)
        refuse(ErrTooLarge, StrTooLarge, {QString::number(StudentFile::MaximumSize)});
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        refuse(ErrBadJson, StrBadJson, {parseError.errorString(), QString::number(parseError.offset)});
    const QJsonObject root = doc.object();
    if (!doc.isObject() || root.value(QStringLiteral("format")) != StudentFile::formatName())
        refuse(ErrWrongFormat, StrWrongFormat, {StudentFile::formatName()});
    static const QStringList known{QStringLiteral("format"),     QStringLiteral("student"),
                                   QStringLiteral("results"),    QStringLiteral("enrolments"),
                                   QStringLiteral("projects"),   QStringLiteral("practicums"),
                                   QStringLiteral("courses"),    QStringLiteral("excepted"),
                                   QStringLiteral("regulation")};
    for (auto it = root.constBegin(); it != root.constEnd(); ++it) {
        if (!known.contains(it.key()))
            refuse(ErrUnknownField, StrUnknownField, {it.key()});
    }
    StudentRecordRows rows;
    readStudent(root.value(QStringLiteral("student")), students, rows);
    for (const Table &table : Tables)
        readTable(root.value(QLatin1String(table.name)), table, rows);
    rows.excepted = readCell(root.value(QStringLiteral("excepted")), Kind::Flag, QStringLiteral("excepted")) != 0;
    rows.regulation =
        readCell(root.value(QStringLiteral("regulation")), Kind::Flag, QStringLiteral("regulation")) != 0;
    AuditCodes named;
    readCourses(root.value(QStringLiteral("courses")), named);
    if (names) {
        names->courseCodes.insert(named.courseCodes);
        names->courseNames.insert(named.courseNames);
    }
    return StudentRecord::fromRows(rows);
}

StudentRecord ReadStudentFile(const QString &path, const SchemaTable &students, AuditCodes *names)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        refuse(ErrCannotRead, StrCannotRead, {path, f.errorString()});
    // A device or a pipe has no size to ask; one byte past the limit is enough to refuse it.
    const QByteArray json = f.read(StudentFile::MaximumSize + 1);
    if (f.error() != QFileDevice::NoError)
        refuse(ErrCannotRead, StrCannotRead, {path, f.errorString()});
    return ReadStudentFile(json, students, names);
}

} // namespace zr
