#include "requirementstore.h"

#include "constraintdescriber.h"
#include "database.h"
#include "servererrors.h"
#include "common/zrerror.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QSqlQuery>

namespace zr::server {

namespace {

const QString kChapter = QStringLiteral("QEMObjectConstraint");

QVariant firstValue(Database &db, const QString &sql, const QVariantList &values, const QString &source)
{
    QSqlQuery &q = db.exec(sql, values, source);
    QVariant v = q.next() ? q.value(0) : QVariant();
    q.finish();
    return v;
}

[[noreturn]] void notFound(const QString &source, const QString &what)
{
    throw ZrError(ErrNotFound, source, QStringLiteral("%1 does not exist.").arg(what));
}

} // namespace

Recordset RequirementStore::loadObject(qint32 conobject, const QVariant &objectId, const QVariant &secondaryId,
                                       const QString &source)
{
    const QList<Field> parentFields{
        makeField(QStringLiteral("conobject"), adInteger), makeField(QStringLiteral("objID"), adInteger),
        makeField(QStringLiteral("secobjID"), adVarWChar, 20), makeField(QStringLiteral("prID"), adInteger),
        makeField(QStringLiteral("progrspoud_ID"), adInteger), makeField(QStringLiteral("depID"), adVarWChar, 10),
        makeField(QStringLiteral("courseID"), adInteger), makeField(QStringLiteral("department_ID"), adVarWChar, 10),
        makeField(QStringLiteral("student_ID"), adInteger), makeField(QStringLiteral("title"), adVarWChar, 250),
        makeField(kChapter, adChapter)};
    bool ok = false;
    const qlonglong id = objectId.toLongLong(&ok);
    if (!ok)
        throw ZrError(ErrBadArgument, source, QStringLiteral("The object id \"%1\" is not a number.")
                                                  .arg(objectId.toString()));
    Database::Transaction tx(m_db, Database::Transaction::Read, source);
    QVariantMap parent{{QStringLiteral("conobject"), conobject}, {QStringLiteral("objID"), id}};
    QString where = QStringLiteral("conobject = ? AND objID = ?");
    QVariantList values{conobject, id};
    const auto programme = [&](qlonglong prID) {
        QSqlQuery &q = m_db.exec(QStringLiteral("SELECT prdepID, prtitle FROM QEMDepPrograms WHERE prID = ?"), {prID},
                                 source);
        if (!q.next())
            notFound(source, QStringLiteral("Programme %1").arg(prID));
        parent.insert(QStringLiteral("prID"), prID);
        parent.insert(QStringLiteral("progrspoud_ID"), prID);
        parent.insert(QStringLiteral("depID"), q.value(0));
        parent.insert(QStringLiteral("department_ID"), q.value(0));
        parent.insert(QStringLiteral("title"), q.value(1));
        q.finish();
    };
    switch (conobject) {
    case 1:
    case 11:
        programme(id);
        break;
    case 3: {
        programme(id);
        const QVariant name = firstValue(m_db, QStringLiteral("SELECT dgname FROM QEMDPGroup WHERE prID = ? AND dgID = ?"),
                                         {id, secondaryId.toLongLong()}, source);
        if (name.isNull())
            notFound(source, QStringLiteral("Course group %1 of programme %2").arg(secondaryId.toString()).arg(id));
        parent.insert(QStringLiteral("title"), name);
        parent.insert(QStringLiteral("secobjID"), secondaryId.toString());
        where += QStringLiteral(" AND secobjID = ?");
        values.append(secondaryId.toString());
        break;
    }
    case 4: {
        programme(id);
        const QVariant title = firstValue(
            m_db, QStringLiteral("SELECT title FROM QEMDepProgramCourses WHERE prID = ? AND courseID = ?"),
            {id, secondaryId.toLongLong()}, source);
        if (title.isNull())
            notFound(source, QStringLiteral("Course %1 of programme %2").arg(secondaryId.toString()).arg(id));
        parent.insert(QStringLiteral("title"), title);
        parent.insert(QStringLiteral("courseID"), secondaryId.toLongLong());
        parent.insert(QStringLiteral("secobjID"), secondaryId.toString());
        where += QStringLiteral(" AND secobjID = ?");
        values.append(secondaryId.toString());
        break;
    }
    case 8: {
        QSqlQuery &q = m_db.exec(QStringLiteral("SELECT progrspoud_ID, department_ID, lastname, firstname "
                                                "FROM QEMStudents WHERE student_ID = ?"),
                                 {id}, source);
        if (!q.next())
            notFound(source, QStringLiteral("Student %1").arg(id));
        const QVariant pr = q.value(0);
        parent.insert(QStringLiteral("student_ID"), id);
        parent.insert(QStringLiteral("department_ID"), q.value(1));
        parent.insert(QStringLiteral("depID"), q.value(1));
        parent.insert(QStringLiteral("title"), q.value(2).toString() + QLatin1Char(' ') + q.value(3).toString());
        q.finish();
        parent.insert(QStringLiteral("prID"), pr);
        parent.insert(QStringLiteral("progrspoud_ID"), pr);
        break;
    }
    case 13: {
        const QVariant name = firstValue(m_db, QStringLiteral("SELECT depname FROM QEMDepartments WHERE depID = ?"),
                                         {QString::number(id)}, source);
        if (name.isNull())
            notFound(source, QStringLiteral("Department %1").arg(id));
        parent.insert(QStringLiteral("depID"), QString::number(id));
        parent.insert(QStringLiteral("department_ID"), QString::number(id));
        parent.insert(QStringLiteral("title"), name);
        break;
    }
    case 14: {
        QSqlQuery &q = m_db.exec(QStringLiteral("SELECT depID, title FROM QEMCourses WHERE courseID = ?"), {id}, source);
        if (!q.next())
            notFound(source, QStringLiteral("Course %1").arg(id));
        parent.insert(QStringLiteral("courseID"), id);
        parent.insert(QStringLiteral("depID"), q.value(0));
        parent.insert(QStringLiteral("department_ID"), q.value(0));
        parent.insert(QStringLiteral("secobjID"), q.value(0));
        parent.insert(QStringLiteral("title"), q.value(1));
        q.finish();
        break;
    }
    default:
        throw ZrError(ErrBadArgument, source, QStringLiteral("Requirements of object kind %1 are not kept.").arg(conobject));
    }
    const SchemaTable &table = m_db.knownTable(kChapter, source);
    Recordset child = m_db.select(table, {}, where, values, QStringLiteral("ocID"), source);
    tx.commit();

    Recordset rs(parentFields);
    rs.addNew();
    for (auto it = parent.constBegin(); it != parent.constEnd(); ++it)
        rs.setValue(it.key(), it.value());
    rs.setChapter(kChapter, child);
    rs.updateBatch();
    rs.moveFirst();
    return rs;
}

Recordset RequirementStore::loadWithDescription(const QString &whereSql, const QVariantList &values,
                                                const QString &source)
{
    const SchemaTable &table = m_db.knownTable(kChapter, source);
    Database::Transaction tx(m_db, Database::Transaction::Read, source);
    Recordset rows = m_db.select(table, {}, whereSql, values, QStringLiteral("ocID"), source);
    QList<Field> fields = rows.fields();
    fields.append(makeField(QStringLiteral("contype"), adVarWChar, 150));
    fields.append(makeField(QStringLiteral("conshortdesc"), adVarWChar, 50));
    fields.append(makeField(QStringLiteral("condesc"), adVarWChar, 2000));
    Recordset out(fields);
    ConstraintDescriber describer(m_db);
    const int n = rows.fieldCount();
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        out.addNew();
        for (int i = 0; i < n; ++i)
            out.setValue(i, rows.value(i));
        const int conID = rows.value(u"conID").toInt();
        out.setValue(n, describer.longName(conID));
        out.setValue(n + 1, describer.shortName(conID));
        out.setValue(n + 2, describer.describe(rows));
    }
    tx.commit();
    out.updateBatch();
    out.moveFirst();
    return out;
}

void RequirementStore::save(Recordset &constraints, const QString &source,
                            const std::function<void()> &alsoInTransaction)
{
    if (constraints.isNull())
        throw ZrError(ErrBadArgument, source, QStringLiteral("There is no requirement recordset to save."));
    Recordset child = constraints;
    QVariant parentObj, parentSec;
    if (constraints.hasField(kChapter)) {
        Recordset parent = constraints.clone();
        parent.moveFirst();
        if (parent.eof())
            throw ZrError(ErrBadArgument, source, QStringLiteral("The requirement recordset has no parent row."));
        child = parent.chapter(kChapter);
        parentObj = parent.value(u"objID");
        if (parent.hasField(u"secobjID"))
            parentSec = parent.value(u"secobjID");
        if (child.isNull())
            throw ZrError(ErrBadArgument, source, QStringLiteral("The parent row holds no requirement rows."));
    }
    const SchemaTable &table = m_db.knownTable(kChapter, source);
    if (child.fieldIndex(u"ocID") < 0)
        throw ZrError(ErrBadArgument, source, QStringLiteral("The requirement rows have no field ocID."));

    // Columns written: those of the table the recordset has.
    QList<QPair<int, const SchemaColumn *>> columns;
    for (const SchemaColumn &c : table.columns) {
        const int i = child.fieldIndex(c.name);
        if (i >= 0 && c.name != QLatin1String("ocID"))
            columns.append({i, &c});
    }
    static const QRegularExpression token(QStringLiteral("\\[%(-?\\d+)\\]"));

    struct Pending
    {
        Recordset::Bookmark bookmark;
        int status;
    };
    QList<Pending> rows;
    Recordset walk = child.clone();
    for (walk.moveFirst(); !walk.eof(); walk.moveNext())
        rows.append({walk.bookmark(), int(walk.status())});
    Recordset pending = child.clone();
    pending.setFilter(Recordset::FilterPendingRecords);
    QList<Pending> deleted;
    for (pending.moveFirst(); !pending.eof(); pending.moveNext()) {
        if (pending.status() == Recordset::adRecDeleted)
            deleted.append({pending.bookmark(), Recordset::adRecDeleted});
    }

    QHash<qlonglong, qlonglong> newIds;   // temporary id -> stored id
    QHash<Recordset::Bookmark, qlonglong> idOf;
    QHash<Recordset::Bookmark, QString> evalOf;
    QMultiHash<Recordset::Bookmark, QPair<QString, QVariant>> defaultOf;  // object keys taken from the parent
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));

    Database::Transaction tx(m_db, Database::Transaction::Write, source);
    m_db.lockForNewIds(kChapter, source);
    qlonglong next = firstValue(m_db, QStringLiteral("SELECT MAX(ocID) FROM QEMObjectConstraint"), {}, source)
                         .toLongLong() + 1;

    Recordset row = child.clone();
    for (const Pending &p : deleted) {
        row.setFilter(Recordset::FilterPendingRecords);
        row.setBookmark(p.bookmark);
        const QVariant id = row.originalValue(u"ocID");
        if (id.isNull())
            continue;  // a new row deleted again was never stored
        m_db.exec(QStringLiteral("DELETE FROM QEMObjectConstraint WHERE ocID = ?"), {id.toLongLong()}, source);
    }
    row.setFilter(Recordset::FilterNone);
    for (const Pending &p : rows) {
        if (p.status != Recordset::adRecNew)
            continue;
        row.setBookmark(p.bookmark);
        const qlonglong temp = row.value(u"ocID").toLongLong();
        idOf.insert(p.bookmark, next);
        newIds.insert(temp, next++);
    }
    for (const Pending &p : rows) {
        row.setBookmark(p.bookmark);
        const QString eval = row.value(u"coneval").toString();
        QString rewritten = eval;
        QString unknown;
        // Replace from the end so that earlier offsets stay valid.
        QList<QRegularExpressionMatch> matches;
        for (auto it = token.globalMatch(eval); it.hasNext();)
            matches.prepend(it.next());
        for (const auto &m : matches) {
            const qlonglong id = m.captured(1).toLongLong();
            if (id > 0)
                continue;
            if (!newIds.contains(id)) {
                unknown = m.captured(0);
                break;
            }
            rewritten.replace(m.capturedStart(), m.capturedLength(),
                              QStringLiteral("[%") + QString::number(newIds.value(id)) + QLatin1Char(']'));
        }
        if (!unknown.isEmpty())
            throw ZrError(ErrSaveFailed, source,
                          QStringLiteral("The expression names %1, which is not a requirement of the set.").arg(unknown));
        if (rewritten != eval)
            evalOf.insert(p.bookmark, rewritten);
        if (p.status != Recordset::adRecNew && p.status != Recordset::adRecModified && rewritten == eval)
            continue;

        QStringList names;
        QVariantList values;
        for (const auto &[index, col] : columns) {
            QVariant v = row.value(index);
            if (col->name == QLatin1String("coneval"))
                v = rewritten.isEmpty() ? QVariant() : QVariant(rewritten);
            else if (col->name == QLatin1String("ModifiedDate"))
                v = stamp;
            else if (p.status == Recordset::adRecNew && v.isNull()
                     && (col->name == QLatin1String("objID") || col->name == QLatin1String("secobjID"))) {
                v = col->name == QLatin1String("objID") ? parentObj : parentSec;
                if (!v.isNull())
                    defaultOf.insert(p.bookmark, {col->name, v});
            }
            if (col->sqlType == SqlType::Text && !v.isNull() && col->definedSize > 0
                && v.toString().size() > col->definedSize)
                throw ZrError(ErrSaveFailed, source,
                              QStringLiteral("The value of %1 of requirement %2 is longer than %3 characters.")
                                  .arg(col->name, row.value(u"ocID").toString())
                                  .arg(col->definedSize));
            names.append(col->name);
            values.append(v.isNull() ? QVariant() : v);
        }
        if (p.status == Recordset::adRecNew) {
            names.prepend(QStringLiteral("ocID"));
            values.prepend(idOf.value(p.bookmark));
            m_db.exec(QStringLiteral("INSERT INTO QEMObjectConstraint (%1) VALUES (%2)")
                          .arg(names.join(QStringLiteral(", ")), QStringList(names.size(), QStringLiteral("?"))
                                                                     .join(QStringLiteral(", "))),
                      values, source);
        } else {
            const QVariant id = row.originalValue(u"ocID").isNull() ? row.value(u"ocID") : row.originalValue(u"ocID");
            values.append(id.toLongLong());
            QSqlQuery &q = m_db.exec(QStringLiteral("UPDATE QEMObjectConstraint SET %1 = ? WHERE ocID = ?")
                                         .arg(names.join(QStringLiteral(" = ?, "))),
                                     values, source);
            if (q.numRowsAffected() != 1)
                throw ZrError(ErrSaveFailed, source,
                              QStringLiteral("Requirement %1 no longer exists; reload the requirements.")
                                  .arg(id.toString()));
        }
    }
    if (alsoInTransaction)
        alsoInTransaction();
    tx.commit();

    // Only now, with the rows stored, does the recordset learn the new ids.
    for (auto it = idOf.constBegin(); it != idOf.constEnd(); ++it) {
        row.setBookmark(it.key());
        row.setValue(u"ocID", it.value());
    }
    for (auto it = defaultOf.constBegin(); it != defaultOf.constEnd(); ++it) {
        row.setBookmark(it.key());
        row.setValue(it.value().first, it.value().second);
    }
    for (auto it = evalOf.constBegin(); it != evalOf.constEnd(); ++it) {
        row.setBookmark(it.key());
        row.setValue(u"coneval", it.value().isEmpty() ? QVariant() : QVariant(it.value()));
    }
    child.updateBatch();
}

} // namespace zr::server
