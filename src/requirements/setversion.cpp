#include "setversion.h"

#include "common/langstrings.h"
#include "reqtypes/typecatalog.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace zr {

bool IsKeyedBySecondary(qint32 kind, qint32 context)
{
    return kind == KindProgramme3 || kind == KindProgramme4
           || (kind == KindProgramme && (context == CtxCurriculumChoice || context == CtxDegree));
}

QString RequirementSetKey(qint32 kind, qint64 objectId, qint32 context, const QString &secondary)
{
    // Made for every row a save writes: plain appends rather than a chain of arg().
    QString key = QString::number(kind) + QLatin1Char('/') + QString::number(objectId) + QLatin1Char('/')
                  + QString::number(context) + QLatin1Char('/');
    if (IsKeyedBySecondary(kind, context))
        key += secondary.trimmed();
    return key;
}

QString ExceptionListKey(qint32 kind, const QVariant &objectId, qint32 context, qint32 extraKey)
{
    const QString object = objectId.isNull() ? QString() : objectId.toString().trimmed();
    return QStringLiteral("exceptions/%1/%2/%3/%4").arg(kind).arg(object).arg(context).arg(extraKey);
}

QString ExceptionListKeyOfSet(const QString &setKey)
{
    const QStringList parts = setKey.split(QLatin1Char('/'));
    return ExceptionListKey(parts.value(0).toInt(), QVariant(parts.value(1)), parts.value(2).toInt(), 0);
}

namespace {
enum : qint32 {
    StrRequirementSet = 62009,
    StrCurriculumSet = 62010,
    StrExceptionList = 62011,
    StrGroupSet = 62029,
    StrCourseSet = 62035,
};
} // namespace

QString SetKeyCaption(const QString &key)
{
    const QStringList parts = key.split(QLatin1Char('/'));
    if (parts.first() == QLatin1String("exceptions") && parts.size() == 5)
        return ReplaceParams(GetLangString(StrExceptionList), {parts.at(2), parts.at(1), parts.at(3)});
    if (parts.size() != 4)
        return key;
    if (parts.at(3).isEmpty())
        return ReplaceParams(GetLangString(StrRequirementSet), {parts.at(1), parts.at(0), parts.at(2)});
    const int kind = parts.at(0).toInt();
    const qint32 text = kind == KindProgramme3 ? StrGroupSet : kind == KindProgramme4 ? StrCourseSet : StrCurriculumSet;
    return ReplaceParams(GetLangString(text), {parts.at(1), parts.at(0), parts.at(2), parts.at(3)});
}

QString RequirementSetKeyOf(const Recordset &parent, qint32 kind, qint32 context, qint32 curriculum)
{
    Recordset row = parent.clone();
    row.moveFirst();
    if (row.eof())
        return QString();
    const QString secondary = kind == KindProgramme ? QString::number(curriculum)
                              : row.hasField(u"secobjID") ? row.value(u"secobjID").toString()
                                                          : QString();
    return RequirementSetKey(kind, row.value(u"objID").toLongLong(), context, secondary);
}

QString SetVersionsField()
{
    return QStringLiteral("setversions");
}

SetVersions ReadSetVersions(const Recordset &parent)
{
    SetVersions versions;
    if (parent.isNull() || !parent.hasField(SetVersionsField()))
        return versions;
    Recordset row = parent.clone();
    row.moveFirst();
    if (row.eof())
        return versions;
    const QJsonObject all = QJsonDocument::fromJson(row.value(SetVersionsField()).toString().toUtf8()).object();
    for (auto it = all.constBegin(); it != all.constEnd(); ++it) {
        const QJsonObject v = it.value().toObject();
        versions.insert(it.key(), {qint64(v.value(QStringLiteral("version")).toDouble()),
                                   v.value(QStringLiteral("savedBy")).toString(),
                                   QDateTime::fromString(v.value(QStringLiteral("savedAt")).toString(), Qt::ISODate)});
    }
    return versions;
}

void WriteSetVersions(Recordset &parent, const SetVersions &versions)
{
    if (parent.isNull())
        return;
    if (!parent.hasField(SetVersionsField()))
        parent.appendField(makeField(SetVersionsField(), adLongVarWChar));
    QJsonObject all;
    for (auto it = versions.constBegin(); it != versions.constEnd(); ++it)
        all.insert(it.key(), QJsonObject{{QStringLiteral("version"), double(it->number)},
                                         {QStringLiteral("savedBy"), it->savedBy},
                                         {QStringLiteral("savedAt"), it->savedAt.toString(Qt::ISODate)}});
    Recordset row = parent.clone();
    row.moveFirst();
    if (row.eof())
        return;
    row.setValue(SetVersionsField(), QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Compact)));
    // The versions describe what was loaded; they are no pending change of the parent.
    row.updateBatch();
}

} // namespace zr
