#include "exceptionhistory.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "database.h"
#include "exceptionkey.h"
#include "servererrors.h"
#include "setversionstore.h"

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

// "1001084 Τσιρίγος Αναστάσιος" (the registration number people know), or the id of a student no
// longer stored.
QString studentName(Database &db, qint64 id, const QString &source)
{
    QSqlQuery &q =
        db.exec(QStringLiteral(
                    "SELECT spec_aem, lastname, firstname FROM QEMStudents WHERE student_ID = ?"),
                {id}, source);
    QString name = QString::number(id);
    if (q.next())
        name = QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString()}
                   .join(QLatin1Char(' '))
                   .simplified();
    q.finish();
    return name;
}
} // namespace

QList<qint64> ExceptionListStudents(Database &db, const QString &key, qint64 number,
                                    const QString &source)
{
    SetVersionStore versions(db, source);
    if (number == versions.of(key).number)
        return studentsOfFile(StoredExceptionListFile(db, key, number, source));
    return studentsOfFile(versions.replacedVersion(key, number));
}

QSet<qint64> ExceptedStudentsAt(Database &db, const QString &key, const QDateTime &when,
                                const QString &source)
{
    qint64 number = 0;
    try {
        number = SetVersionStore(db, source).versionAt(key, when);
    } catch (const ZrError &error) {
        if (error.number == ErrNeverSaved) {
            const QList<qint64> now = studentsOfFile(StoredExceptionListFile(db, key, 0, source));
            return QSet<qint64>(now.cbegin(), now.cend());
        }
        if (error.number != ErrBeforeFirst)
            throw;
    }
    const QList<qint64> then = ExceptionListStudents(db, key, number, source);
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
    QStringList lines;
    for (const auto &[id, excepted] : changes)
        lines << ReplaceParams(GetLangString(excepted ? StrExcepted : StrNoLongerExcepted),
                               {studentName(db, id, source)});
    return lines;
}

} // namespace zr::server
