#pragma once

#include "recordset/recordset.h"
#include "requirements/requirementseditor.h"

#include <functional>

#include <QList>
#include <QVariantMap>

namespace zr::test {

/// The fields of a requirement row as the server gives them.
inline QList<Field> requirementFields()
{
    QList<Field> fields = {
        makeField(QStringLiteral("ocID"), adInteger),       makeField(QStringLiteral("contypeID"), adInteger),
        makeField(QStringLiteral("conobject"), adInteger),  makeField(QStringLiteral("objID"), adInteger),
        makeField(QStringLiteral("secobjID"), adVarWChar, 20), makeField(QStringLiteral("conID"), adSmallInt),
        makeField(QStringLiteral("conoperator"), adInteger),
    };
    for (int i = 1; i <= 12; ++i)
        fields << makeField(QStringLiteral("conoptval%1").arg(i), adVarWChar, i == 7 ? 2000 : 255);
    fields << makeField(QStringLiteral("conselobjIDs"), adVarWChar, 2000)
           << makeField(QStringLiteral("coneval"), adVarWChar, 4000);
    return fields;
}

/// One stored row: ocID, context, kind, objID, curriculum, type and any extra fields.
struct Row
{
    int ocID;
    int context;
    int kind;
    int objID;
    QVariant secobjID;
    int conID;
    QVariantMap extra = {};
};

/// A hierarchical recordset: one parent row with the programme (prID,
/// progrspoud_ID, depID, objID) and the chapter QEMObjectConstraint holding `rows`
/// as stored (no pending changes).
inline Recordset hierarchicalSet(const QList<Row> &rows, int prID = 7, const QString &depID = QStringLiteral("D1"))
{
    Recordset child(requirementFields());
    for (const Row &row : rows) {
        child.addNew();
        child.setValue(u"ocID", row.ocID);
        child.setValue(u"contypeID", row.context);
        child.setValue(u"conobject", row.kind);
        child.setValue(u"objID", row.objID);
        child.setValue(u"secobjID", row.secobjID);
        child.setValue(u"conID", row.conID);
        for (auto it = row.extra.cbegin(); it != row.extra.cend(); ++it)
            child.setValue(it.key(), it.value());
    }
    child.updateBatch();
    child.moveFirst();

    Recordset parent({makeField(QStringLiteral("prID"), adInteger),
                      makeField(QStringLiteral("progrspoud_ID"), adInteger),
                      makeField(QStringLiteral("depID"), adVarWChar, 10),
                      makeField(QStringLiteral("objID"), adInteger),
                      makeField(QStringLiteral("QEMObjectConstraint"), adChapter)});
    parent.addNew();
    parent.setValue(u"prID", prID);
    parent.setValue(u"progrspoud_ID", prID);
    parent.setValue(u"depID", depID);
    parent.setValue(u"objID", prID);
    parent.setChapter(u"QEMObjectConstraint", child);
    parent.updateBatch();
    parent.moveFirst();
    return parent;
}

/// One stored requirement row `ocID` of type `typeId` with `fields`, current, no
/// pending changes; `sizes` replaces the defined sizes of fields.
inline Recordset storedRow(int typeId, int context, int kind, const QVariantMap &fields,
                           const QVariantMap &sizes = {}, int ocID = 5)
{
    QList<Field> columns = requirementFields();
    for (Field &field : columns) {
        if (sizes.contains(field.name))
            field.definedSize = sizes.value(field.name).toInt();
    }
    Recordset rs(columns);
    rs.addNew();
    rs.setValue(u"ocID", ocID);
    rs.setValue(u"contypeID", context);
    rs.setValue(u"conobject", kind);
    rs.setValue(u"conID", typeId);
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        rs.setValue(it.key(), it.value());
    rs.updateBatch();
    rs.moveFirst();
    return rs;
}

/// Curricula `ids` of programme 7, as the curriculum table gives them.
inline Recordset curriculaOf(const QList<int> &ids = {1, 2})
{
    Recordset rs({makeField(QStringLiteral("orID"), adInteger),
                  makeField(QStringLiteral("ordescription"), adVarWChar, 100),
                  makeField(QStringLiteral("prID"), adInteger)});
    for (int id : ids) {
        rs.addNew();
        rs.setValue(u"orID", id);
        rs.setValue(u"ordescription", QStringLiteral("Κατεύθυνση %1").arg(id));
        rs.setValue(u"prID", 7);
    }
    rs.updateBatch();
    return rs;
}

/// Sets `editor` to `kind` in `context`, its code tables from memory: curricula `curricula`
/// of programme 7, any other table from `table`.
inline void setUpEditor(RequirementsEditor &editor, int context, int kind = 1, const QList<int> &curricula = {1, 2},
                        const std::function<Recordset(const QString &)> &table = {})
{
    editor.lookups().setFetcher([curricula, table](const QString &name, const QString &) {
        if (name == QLatin1String("QEMDPOrientation"))
            return curriculaOf(curricula);
        return table ? table(name) : Recordset();
    });
    editor.set().setContext(context);
    editor.set().setObjectKind(kind);
}

/// The ocIDs a recordset shows, in order.
inline QList<int> ocIds(Recordset rs)
{
    QList<int> ids;
    if (rs.isNull() || rs.isEmpty())
        return ids;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        ids << rs.value(u"ocID").toInt();
    return ids;
}

} // namespace zr::test
