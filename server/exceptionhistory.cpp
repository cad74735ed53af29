#include "exceptionhistory.h"

#include "common/langstrings.h"
#include "database.h"
#include "exceptionkey.h"
#include "setversionstore.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

#include <algorithm>

namespace zr::server {

namespace {
enum : qint32 {
    StrExcepted = 64034,        // "Excepted: %1"
    StrNoLongerExcepted = 64035 // "No longer excepted: %1"
};

QList<qint64> studentsOfFile(const QByteArray &file)
{
    QList<qint64> students;
    const QJsonArray ids =
        QJsonDocument::fromJson(file).object().value(QStringLiteral("students")).toArray();
    for (const QJsonValue &id : ids)
        students << qint64(id.toDouble());
    return students;
}

// Each of `ids` as people know a student: "1001084 Τσιρίγος Αναστάσιος", by registration number and
// name; the id of a student no longer stored.
QHash<qint64, QString> studentNames(Database &db, const QList<qint64> &ids, const QString &source)
{
    QHash<qint64, QString> names;
    if (ids.isEmpty())
        return names;
    QVariantList values;
    for (qint64 id : ids)
        values << id;
    const QString marks = QStringList(ids.size(), QStringLiteral("?")).join(QLatin1Char(','));
    QSqlQuery &q =
        db.exec(QStringLiteral("SELECT student_ID, spec_aem, lastname, firstname FROM QEMStudents "
                               "WHERE student_ID IN (%1)")
                    .arg(marks),
                values, source);
    while (q.next())
        names.insert(
            q.value(0).toLongLong(),
            QStringList{q.value(1).toString(), q.value(2).toString(), q.value(3).toString()}
                .join(QLatin1Char(' '))
                .simplified());
    q.finish();
    for (qint64 id : ids)
        if (!names.contains(id))
            names.insert(id, QString::number(id));
    return names;
}
} // namespace

QList<qint64> ExceptionListStudents(Database &db, const QString &key, qint64 number,
                                    const QString &source)
{
    SetVersionStore versions(db, source);
    if (number == versions.of(key).number)
        return StoredExceptedStudents(db, key, source);
    return studentsOfFile(versions.replacedVersion(key, number));
}

QSet<qint64> ExceptedStudentsAt(Database &db, const QString &key, const QDateTime &when,
                                const QString &source)
{
    const std::optional<qint64> number = SetVersionStore(db, source).versionInForce(key, when);
    const QList<qint64> then = number ? ExceptionListStudents(db, key, *number, source)
                                      : StoredExceptedStudents(db, key, source);
    return QSet<qint64>(then.cbegin(), then.cend());
}

QStringList ExceptionListDifference(Database &db, const QString &key, qint64 from, qint64 to,
                                    const QString &source)
{
    const QList<qint64> before = ExceptionListStudents(db, key, from, source);
    const QList<qint64> after = ExceptionListStudents(db, key, to, source);
    QList<std::pair<qint64, bool>> changes; // student, excepted from then on
    for (qint64 id : after)
        if (!before.contains(id))
            changes.append({id, true});
    for (qint64 id : before)
        if (!after.contains(id))
            changes.append({id, false});
    std::sort(changes.begin(), changes.end());
    QList<qint64> ids;
    for (const auto &change : std::as_const(changes))
        ids << change.first;
    const QHash<qint64, QString> names = studentNames(db, ids, source);
    QStringList lines;
    for (const auto &[id, excepted] : changes)
        lines << ReplaceParams(GetLangString(excepted ? StrExcepted : StrNoLongerExcepted),
                               {names.value(id)});
    return lines;
}

} // namespace zr::server
