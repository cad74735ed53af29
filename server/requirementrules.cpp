#include "requirementrules.h"

#include "database.h"
#include "servererrors.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "reqtypes/typecatalog.h"
#include "requirements/setversion.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>

namespace zr::server {

namespace {

enum : qint32 {
    StrUnknownType = 62012,
    StrUnknownOperator = 62013,
    StrTooLong = 62014,
    StrHoldsNul = 62015,
    StrTokenTooLarge = 62016,
    StrNotCurriculum = 62017,
    StrNotGroup = 62018,
    StrNotCourse = 62019,
    StrRequirementLabel = 62022,
    StrNewRequirementLabel = 62027,
    StrTypeNotOffered = 62026,
};



const QString Table = QStringLiteral("QEMObjectConstraint");

bool isDefinedOperator(int type, int code)
{
    // The class group category has codes of its own.
    if (type == 130)
        return code == -1 || code == 0 || code == 2 || code == 100;
    return code >= 0 && code <= 9;
}

} // namespace

RequirementRules::RequirementRules(Database &db, const QString &source) : m_db(db), m_source(source) {}

QString RequirementRules::requirementLabel(const QVariant &ocID, const QVariant &conID)
{
    const QString name = GetTypeName(conID);
    // A new requirement's temporary id counts the new ones: -2 is the second.
    const qint64 id = ocID.toLongLong();
    return ReplaceParams(GetLangString(id < 0 ? StrNewRequirementLabel : StrRequirementLabel),
                         {QString::number(qAbs(id)), name.isEmpty() ? conID.toString() : name});
}

void RequirementRules::refuse(qint32 textId, const QStringList &params) const
{
    throw ZrError(ErrRowRefused, m_source, ReplaceParams(GetLangString(textId), params));
}

QList<qint32> RequirementRules::tokenIds(const QString &expression, const QVariant &ocID, const QVariant &conID) const
{
    static const QRegularExpression token(QStringLiteral("\\[%(-?\\d+)\\]"));
    QList<qint32> ids;
    if (!expression.contains(QLatin1String("[%")))
        return ids;
    for (auto it = token.globalMatch(expression); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        bool ok = false;
        const qint32 id = m.capturedView(1).toInt(&ok);
        if (!ok)
            refuse(StrTokenTooLarge, {requirementLabel(ocID, conID), m.captured(0)});
        ids.append(id);
    }
    return ids;
}

const RequirementRules::Shape &RequirementRules::shapeOf(const Recordset &rows)
{
    if (m_shape.rows.sharesRowsWith(rows) && m_shape.fieldCount == rows.fieldCount())
        return m_shape;
    m_shape = Shape{rows, rows.fieldCount(), rows.fieldIndex(u"ocID"), rows.fieldIndex(u"conID"),
                    rows.fieldIndex(u"conoperator"), rows.fieldIndex(u"conobject"), rows.fieldIndex(u"contypeID"),
                    rows.fieldIndex(u"coneval"), {}};
    for (const SchemaColumn &c : m_db.knownTable(Table, m_source).columns) {
        if (c.sqlType == SqlType::Text && rows.hasField(c.name))
            m_shape.texts.append({rows.fieldIndex(c.name), &c});
    }
    return m_shape;
}

void RequirementRules::check(const Recordset &rows, const QVariant &objectId, const QVariant &secondary)
{
    const Shape &shape = shapeOf(rows);
    const auto valueOf = [&](int field) { return field >= 0 ? rows.value(field) : QVariant(); };
    const QVariant conID = valueOf(shape.conID);
    // Named only in a refusal: a save checks every row it writes.
    const auto label = [&] { return requirementLabel(valueOf(shape.ocID), conID); };
    const int type = conID.toInt();
    if (conID.isNull() || std::find(std::begin(RequirementTypes), std::end(RequirementTypes), type)
                              == std::end(RequirementTypes))
        refuse(StrUnknownType, {label(), conID.toString()});
    const qint32 kind = valueOf(shape.kind).toInt();
    const qint32 context = valueOf(shape.context).toInt();
    if (!isOffered(type, kind, context))
        refuse(StrTypeNotOffered, {label(), QString::number(kind), QString::number(context)});
    const QVariant op = valueOf(shape.conoperator);
    if (!op.isNull() && !isDefinedOperator(type, op.toInt()))
        refuse(StrUnknownOperator, {label(), op.toString()});
    for (const auto &[field, column] : shape.texts) {
        const QVariant v = rows.value(field);
        if (v.isNull())
            continue;
        const QString text = v.toString();
        if (column->definedSize > 0 && text.size() > column->definedSize)
            refuse(StrTooLong, {label(), column->name, QString::number(column->definedSize)});
        if (text.contains(QChar(0)))
            refuse(StrHoldsNul, {label(), column->name});
    }
    tokenIds(valueOf(shape.eval).toString(), valueOf(shape.ocID), conID);

    const QString key = secondary.toString().trimmed();
    if (!IsKeyedBySecondary(kind, context) || key.isEmpty())
        return;
    if (!belongsToProgramme(kind, objectId.toLongLong(), key))
        refuse(kind == KindProgramme3 ? StrNotGroup : kind == KindProgramme4 ? StrNotCourse : StrNotCurriculum,
               {label(), key, objectId.toString()});
}

void RequirementRules::checkSet(const Recordset &parent, const QString &key)
{
    Recordset parentRow = parent.clone();
    parentRow.moveFirst();
    if (parentRow.eof())
        return;
    const QVariant parentObject = parentRow.value(u"objID");
    const QVariant parentSecondary = parentRow.hasField(u"secobjID") ? parentRow.value(u"secobjID") : QVariant();
    Recordset rows = parentRow.chapter(u"QEMObjectConstraint");
    if (rows.isNull())
        return;
    rows = rows.clone();
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        const QVariant object = rows.value(u"objID").isNull() ? parentObject : rows.value(u"objID");
        const QVariant secondary = rows.value(u"secobjID").isNull() ? parentSecondary : rows.value(u"secobjID");
        if (RequirementSetKey(rows.value(u"conobject").toInt(), object.toLongLong(), rows.value(u"contypeID").toInt(),
                              secondary.toString())
            == key)
            check(rows, object, secondary);
    }
}

bool RequirementRules::isOffered(int type, qint32 kind, qint32 context)
{
    const qint32 key = kind * 1000 + context;
    auto it = m_offered.find(key);
    if (it == m_offered.end()) {
        // The types the editor offers the object kind in the context: the others
        // need what the object has not (a programme's course groups for a department).
        QSet<int> types;
        for (const PaletteEntry &entry : RequirementPalette(context, kind)) {
            if (entry.visible)
                types.insert(entry.typeId);
        }
        it = m_offered.insert(key, types);
    }
    return it->contains(type);
}

bool RequirementRules::belongsToProgramme(qint32 kind, qint64 programme, const QString &secondary)
{
    const QString cacheKey = QStringLiteral("%1/%2/%3").arg(kind).arg(programme).arg(secondary);
    if (auto it = m_belongs.constFind(cacheKey); it != m_belongs.constEnd())
        return *it;
    bool isNumber = false;
    const qint64 id = secondary.toLongLong(&isNumber);
    bool found = false;
    if (isNumber) {
        const QString sql = kind == KindProgramme3
            ? QStringLiteral("SELECT COUNT(*) FROM QEMDPGroup WHERE prID = ? AND dgID = ?")
            : kind == KindProgramme4 ? QStringLiteral("SELECT COUNT(*) FROM QEMDepProgramCourses WHERE prID = ? AND courseID = ?")
                                     : QStringLiteral("SELECT COUNT(*) FROM QEMDPOrientation WHERE prID = ? AND orID = ?");
        QSqlQuery &q = m_db.exec(sql, {programme, id}, m_source);
        found = q.next() && q.value(0).toInt() > 0;
        q.finish();
    }
    m_belongs.insert(cacheKey, found);
    return found;
}

} // namespace zr::server
