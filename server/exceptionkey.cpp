#include "exceptionkey.h"

#include "database.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

namespace zr::server {

QString ExceptionKeyCondition(const QVariant &objectId, qint32 kind, qint32 context, qint32 extraKey,
                              QVariantList &values)
{
    values << kind << context << extraKey;
    if (objectId.isNull() || objectId.toString().isEmpty())
        return QStringLiteral("conobject = ? AND contypeID = ? AND extrakey = ? AND objID IS NULL");
    values << objectId.toLongLong();
    return QStringLiteral("conobject = ? AND contypeID = ? AND extrakey = ? AND objID = ?");
}

QByteArray ExceptionListFile(const QVariant &objectId, qint32 kind, qint32 context, qint32 extraKey, qint64 version,
                             const QList<qlonglong> &students)
{
    QJsonArray ids;
    for (const qlonglong id : students)
        ids.append(id);
    const bool noObject = objectId.isNull() || objectId.toString().isEmpty();
    const QJsonObject root{{QStringLiteral("format"), QStringLiteral("zrreq-exceptions/1")},
                           {QStringLiteral("AppliesTo"), kind},
                           {QStringLiteral("ConstrType"), context},
                           {QStringLiteral("objID"), noObject ? QJsonValue() : QJsonValue(objectId.toLongLong())},
                           {QStringLiteral("extrakey"), extraKey},
                           {QStringLiteral("version"), version},
                           {QStringLiteral("students"), ids}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

namespace {
// The parts of an exception list key: "exceptions/<kind>/<object>/<context>/<extra key>".
struct ListKey
{
    QVariant objectId;
    qint32 kind, context, extraKey;
};

ListKey listKey(const QString &key)
{
    const QStringList parts = key.split(QLatin1Char('/'));
    return {parts.value(2).isEmpty() ? QVariant() : QVariant(parts.value(2).toLongLong()), parts.value(1).toInt(),
            parts.value(3).toInt(), parts.value(4).toInt()};
}
} // namespace

QList<qlonglong> StoredExceptedStudents(Database &db, const QString &key, const QString &source)
{
    const ListKey k = listKey(key);
    QVariantList values;
    const QString where = ExceptionKeyCondition(k.objectId, k.kind, k.context, k.extraKey, values);
    QList<qlonglong> students;
    QSqlQuery &q = db.exec(QStringLiteral("SELECT student_ID FROM QEMExcludedStudents WHERE ") + where
                               + QStringLiteral(" ORDER BY student_ID"),
                           values, source);
    while (q.next())
        students.append(q.value(0).toLongLong());
    q.finish();
    return students;
}

QByteArray StoredExceptionListFile(Database &db, const QString &key, qint64 version, const QString &source)
{
    const ListKey k = listKey(key);
    return ExceptionListFile(k.objectId, k.kind, k.context, k.extraKey, version,
                             StoredExceptedStudents(db, key, source));
}

} // namespace zr::server
