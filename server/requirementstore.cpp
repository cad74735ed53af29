#include "requirementstore.h"
#include "roles.h"

#include "constraintdescriber.h"
#include "database.h"
#include "exceptionkey.h"
#include "requirementrules.h"
#include "servererrors.h"
#include "setchangesummary.h"
#include "setdifference.h"
#include "setversionstore.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "requirements/requirementfile.h"
#include "requirements/setversion.h"

#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>

namespace zr::server {

namespace {

const QString kChapter = QStringLiteral("QEMObjectConstraint");
// The rows of kept versions: the columns of kChapter after the set key and version.
const QString HistoryRows = QStringLiteral("QEMSetHistoryRow");

enum : qint32 {
    StrNotInSet = 62020,
    StrTwoExpressions = 62021,
    StrSetGone = 62023,
    StrSetGrown = 62050,
};

QVariant firstValue(Database &db, const QString &sql, const QVariantList &values, const QString &source)
{
    return db.firstRow(sql, values, source).value(0);
}

[[noreturn]] void notFound(const QString &source, const QString &what)
{
    throw ZrError(ErrNotFound, source, QStringLiteral("%1 does not exist.").arg(what));
}

} // namespace

namespace {

QList<Field> parentFields()
{
    return {makeField(QStringLiteral("conobject"), adInteger), makeField(QStringLiteral("objID"), adInteger),
            makeField(QStringLiteral("secobjID"), adVarWChar, 20), makeField(QStringLiteral("prID"), adInteger),
            makeField(QStringLiteral("progrspoud_ID"), adInteger), makeField(QStringLiteral("depID"), adVarWChar, 10),
            makeField(QStringLiteral("courseID"), adInteger), makeField(QStringLiteral("department_ID"), adVarWChar, 10),
            makeField(QStringLiteral("student_ID"), adInteger), makeField(QStringLiteral("title"), adVarWChar, 250),
            makeField(kChapter, adChapter), makeField(SetVersionsField(), adLongVarWChar)};
}

// The rows of kept versions as a table to read: the requirement rows' columns under another name.
SchemaTable historyRowsTable(const Database &db, const QString &source)
{
    SchemaTable kept = db.knownTable(kChapter, source);
    kept.name = HistoryRows;
    return kept;
}

// The hierarchical recordset of one object: its parent row from `parent`, `child` as its requirement rows.
Recordset hierarchical(const QVariantMap &parent, const Recordset &child, const SetVersions &versions)
{
    Recordset rs(parentFields());
    rs.addNew();
    for (auto it = parent.constBegin(); it != parent.constEnd(); ++it)
        rs.setValue(it.key(), it.value());
    rs.setChapter(kChapter, child);
    WriteSetVersions(rs, versions);
    rs.updateBatch();
    rs.moveFirst();
    return rs;
}

} // namespace

QVariantMap RequirementStore::objectRow(qint32 conobject, qlonglong id, const QVariant &secondaryId,
                                        const QString &source)
{
    QVariantMap parent{{QStringLiteral("conobject"), conobject}, {QStringLiteral("objID"), id}};
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
    return parent;
}

Recordset RequirementStore::loadObject(qint32 conobject, const QVariant &objectId, const QVariant &secondaryId,
                                       const QString &source)
{
    bool ok = false;
    const qlonglong id = objectId.toLongLong(&ok);
    if (!ok)
        throw ZrError(ErrBadArgument, source, QStringLiteral("The object id \"%1\" is not a number.")
                                                  .arg(objectId.toString()));
    Database::Transaction tx(m_db, Database::Transaction::Read, source);
    const QVariantMap parent = objectRow(conobject, id, secondaryId, source);
    QString where = QStringLiteral("conobject = ? AND objID = ?");
    QVariantList values{conobject, id};
    // A course group's or course's set is its own object.
    if (conobject == 3 || conobject == 4) {
        where += QStringLiteral(" AND secobjID = ?");
        values.append(secondaryId.toString());
    }
    const SchemaTable &table = m_db.knownTable(kChapter, source);
    Recordset child = m_db.select(table, {}, where, values, QStringLiteral("ocID"), source);
    // Read with the rows, so that a save can tell whether anyone saved since.
    const SetVersions versions = SetVersionStore(m_db, source).ofObject(conobject, id);
    tx.commit();
    return hierarchical(parent, child, versions);
}

QByteArray RequirementStore::setFile(const QString &key, const Recordset &rows, qint64 version, const QString &source)
{
    QVariantList values;
    setCondition(key, values);
    const qint32 kind = values.at(0).toInt(), context = values.at(2).toInt();
    const qlonglong id = values.at(1).toLongLong();
    const QString secondary = key.section(QLatin1Char('/'), 3);
    const bool perCurriculum = kind == 1 && IsKeyedBySecondary(kind, context);
    // The file names the curriculum of a curriculum's set; rows common to every curriculum it cannot name.
    if (perCurriculum && secondary.isEmpty())
        return {};
    QVariantMap parent{{QStringLiteral("conobject"), kind}, {QStringLiteral("objID"), id}};
    try {
        parent = objectRow(kind, id, kind == 3 || kind == 4 ? QVariant(secondary) : QVariant(), source);
    } catch (const ZrError &e) {
        // The rows of an object that is gone are kept all the same, with its keys only.
        if (e.number != ErrNotFound)
            throw;
    }
    const Recordset object = hierarchical(parent, rows, SetVersions{{key, SetVersion{version, {}, {}}}});
    return WriteRequirementFile(object, kind, context, perCurriculum ? secondary.toInt() : 0);
}

qint64 RequirementStore::keepRows(const QString &key, const SetVersion &stored, const QString &source)
{
    QStringList names;
    for (const SchemaColumn &c : m_db.knownTable(kChapter, source).columns)
        names.append(c.name);
    QVariantList values;
    const QString where = setCondition(key, values);
    const QString columns = names.join(QStringLiteral(", "));
    return m_db.write(QStringLiteral("INSERT INTO %1 (setkey, version, %2) SELECT ?, ?, %2 FROM %3 WHERE %4")
                          .arg(HistoryRows, columns, kChapter, where),
                      QVariantList{key, stored.number + 1} + values, source);
}

QByteArray RequirementStore::versionFile(const QString &key, qint64 number, const QString &source)
{
    Database::Transaction tx(m_db, Database::Transaction::Read, source);
    QByteArray file;
    if (key.startsWith(QLatin1String("exceptions/"))) {
        // An exception list is kept as its file.
        SetVersionStore versions(m_db, source);
        const qint64 current = versions.of(key).number;
        file = number != current ? versions.replacedVersion(key, number)
                                 : StoredExceptionListFile(m_db, key, current, source);
    } else {
        file = setFile(key, versionRows(key, number, source), number, source);
    }
    if (file.isEmpty())
        SetVersionStore(m_db, source).throwNotKept(key, number);
    tx.commit();
    return file;
}

Recordset RequirementStore::versionRows(const QString &key, qint64 number, const QString &source)
{
    Database::Transaction tx(m_db, Database::Transaction::Read, source);
    SetVersionStore versions(m_db, source);
    Recordset rows;
    if (number != versions.of(key).number) {
        // Throws for a version not kept.
        versions.replacedVersion(key, number);
        rows = m_db.select(historyRowsTable(m_db, source), {}, QStringLiteral("setkey = ? AND version = ?"),
                           {key, number + 1}, QStringLiteral("ocID"), source);
    } else {
        QVariantList values;
        const QString where = setCondition(key, values);
        rows = m_db.select(m_db.knownTable(kChapter, source), {}, where, values, QStringLiteral("ocID"), source);
    }
    tx.commit();
    return rows;
}

QByteArray RequirementStore::versionFileAt(const QString &key, const QDateTime &when, const QString &source)
{
    Database::Transaction tx(m_db, Database::Transaction::Read, source);
    const QByteArray file = versionFile(key, SetVersionStore(m_db, source).versionAt(key, when), source);
    tx.commit();
    return file;
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

namespace {

// A requirement row as the save sees it: where it is, what it was loaded as,
// and the set it is written to.
struct SaveRow
{
    Recordset::Bookmark bookmark = 0;
    int position = 0;           // 1-based, in the cursor it was read from
    int status = 0;
    QVariant storedId;          // the id in the database; null for a new row
    QString loadedKey;          // the set it was loaded from; empty for a new row
    QString key;                // the set it is written to; empty for a deleted row
    QVariant objectId;          // objID as written (a new row's default from the parent)
    QVariant secondary;         // secobjID as written
    qint32 kind = 0;
    qint32 context = 0;
};

QString keyOf(const QVariant &kind, const QVariant &objectId, const QVariant &context, const QVariant &secondary)
{
    return RequirementSetKey(kind.toInt(), objectId.toLongLong(), context.toInt(), secondary.toString());
}

// Rows per statement when many are inserted or deleted: well inside the
// number of bound values either database takes in one statement.
constexpr int BatchRows = 40;
constexpr int BatchIds = 500;

} // namespace

void RequirementStore::save(Recordset &constraints, const QString &source,
                            const std::function<void()> &alsoInTransaction)
{
    if (constraints.isNull())
        throw ZrError(ErrBadArgument, source, QStringLiteral("There is no requirement recordset to save."));
    Recordset child = constraints;
    QVariant parentObj, parentSec;
    const bool hierarchical = constraints.hasField(kChapter);
    if (hierarchical) {
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
    // The versions the rows were loaded at; a recordset that names none started from no save.
    SetVersions versions = hierarchical ? ReadSetVersions(constraints) : SetVersions();
    const SchemaTable &table = m_db.knownTable(kChapter, source);
    if (child.fieldIndex(u"ocID") < 0)
        throw ZrError(ErrBadArgument, source, QStringLiteral("The requirement rows have no field ocID."));
    for (const char *name : {"conobject", "contypeID", "objID", "secobjID", "conID", "coneval"}) {
        if (child.fieldIndex(QString::fromLatin1(name)) < 0)
            throw ZrError(ErrBadArgument, source,
                          QStringLiteral("The requirement rows have no field %1.").arg(QLatin1String(name)));
    }

    // Columns written: those of the table the recordset has.
    QList<QPair<int, const SchemaColumn *>> columns;
    for (const SchemaColumn &c : table.columns) {
        const int i = child.fieldIndex(c.name);
        if (i >= 0 && c.name != QLatin1String("ocID"))
            columns.append({i, &c});
    }
    const int fKind = child.fieldIndex(u"conobject"), fContext = child.fieldIndex(u"contypeID"),
              fObject = child.fieldIndex(u"objID"), fSecondary = child.fieldIndex(u"secobjID"),
              fId = child.fieldIndex(u"ocID"), fEval = child.fieldIndex(u"coneval"), fType = child.fieldIndex(u"conID");

    // One pass over the rows, by position: nothing is looked up again.
    QList<SaveRow> rows;      // every row still in the set
    QList<SaveRow> deleted;   // stored rows the recordset deletes
    Recordset all = child.clone();
    for (int i = 0, n = all.recordCount(); i < n; ++i) {
        SaveRow r;
        r.position = i + 1;
        r.bookmark = all.bookmarkAt(i);
        r.status = int(all.statusAt(i));
        r.kind = all.valueAt(i, fKind).toInt();
        r.context = all.valueAt(i, fContext).toInt();
        r.objectId = all.valueAt(i, fObject);
        r.secondary = all.valueAt(i, fSecondary);
        if (r.status == Recordset::adRecNew) {
            if (r.objectId.isNull())
                r.objectId = parentObj;
            if (r.secondary.isNull())
                r.secondary = parentSec;
        } else {
            all.setAbsolutePosition(r.position);
            r.storedId = all.originalValue(fId).isNull() ? all.value(fId) : all.originalValue(fId);
            if (r.status == Recordset::adRecModified)
                r.loadedKey = keyOf(all.originalValue(fKind), all.originalValue(fObject), all.originalValue(fContext),
                                    all.originalValue(fSecondary));
        }
        r.key = keyOf(r.kind, r.objectId, r.context, r.secondary);
        rows.append(r);
    }
    Recordset pending = child.clone();
    pending.setFilter(Recordset::FilterPendingRecords);
    for (int i = 0, n = pending.recordCount(); i < n; ++i) {
        if (pending.statusAt(i) != Recordset::adRecDeleted)
            continue;
        pending.setAbsolutePosition(i + 1);
        SaveRow r;
        r.storedId = pending.originalValue(fId);
        if (r.storedId.isNull())
            continue;  // a new row deleted again was never stored
        r.status = Recordset::adRecDeleted;
        r.kind = pending.originalValue(fKind).toInt();
        r.context = pending.originalValue(fContext).toInt();
        r.loadedKey = keyOf(r.kind, pending.originalValue(fObject), r.context, pending.originalValue(fSecondary));
        r.position = i + 1;
        deleted.append(r);
    }

    // The sets the save changes, each with the rows it keeps.
    QMap<QString, QList<int>> touched;  // sorted, so that writers lock sets in one order
    for (int i = 0; i < rows.size(); ++i) {
        const SaveRow &r = rows.at(i);
        if (r.status == Recordset::adRecNew || r.status == Recordset::adRecModified) {
            touched[r.key];
            if (!r.loadedKey.isEmpty())
                touched[r.loadedKey];
        }
    }
    for (const SaveRow &r : std::as_const(deleted))
        touched[r.loadedKey];
    for (int i = 0; i < rows.size(); ++i) {
        if (auto it = touched.find(rows.at(i).key); it != touched.end())
            it->append(i);
    }

    RequirementRules rules(m_db, source);
    SetVersionStore store(m_db, source);
    QHash<qlonglong, qlonglong> newIds;       // temporary id -> stored id
    QList<qlonglong> idOf(rows.size(), 0);    // stored id of each new row
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));

    Database::Transaction tx(m_db, Database::Transaction::Write, source);
    // Said in one line before the database would refuse the first write.
    for (auto it = touched.constBegin(); it != touched.constEnd(); ++it)
        Roles::refuseUnlessMayChange(m_db, it.key(), source);
    m_db.lockForNewIds(kChapter, source);
    // Every set is locked and checked before anything is written: a set saved
    // since it was loaded refuses the whole save.
    SetVersions locked;
    for (auto it = touched.constBegin(); it != touched.constEnd(); ++it) {
        const SetVersion stored = store.lock(it.key());
        store.check(it.key(), stored, versions.value(it.key()).number);
        locked.insert(it.key(), stored);
    }
    // A set holds the rows it was loaded with and no others: a row another program added
    // meanwhile is never deleted, or left out of the expression, unseen.
    QHash<QString, QSet<qlonglong>> loaded;
    for (const SaveRow &r : std::as_const(rows)) {
        if (r.status != Recordset::adRecNew)
            loaded[r.loadedKey.isEmpty() ? r.key : r.loadedKey].insert(r.storedId.toLongLong());
    }
    for (const SaveRow &r : std::as_const(deleted))
        loaded[r.loadedKey].insert(r.storedId.toLongLong());
    for (auto it = locked.constBegin(); it != locked.constEnd(); ++it) {
        QVariantList values;
        const QString where = setCondition(it.key(), values);
        const QSet<qlonglong> mine = loaded.value(it.key());
        QStringList unseen;
        QSqlQuery &q = m_db.exec(QStringLiteral("SELECT ocID FROM QEMObjectConstraint WHERE ") + where, values, source);
        while (q.next()) {
            if (!mine.contains(q.value(0).toLongLong()))
                unseen << QStringLiteral("[%") + q.value(0).toString() + QLatin1Char(']');
        }
        q.finish();
        if (!unseen.isEmpty())
            throw ZrError(ErrSetChanged, source,
                          ReplaceParams(GetLangString(StrSetGrown), {SetKeyCaption(it.key()), unseen.join(QStringLiteral(", "))}));
    }
    // Each set as it was, kept as the version this save replaces, and the expression it had.
    QHash<QString, QString> keptExpression;
    for (auto it = locked.constBegin(); it != locked.constEnd(); ++it) {
        if (keepRows(it.key(), it.value(), source) > 0)
            keptExpression.insert(it.key(), firstValue(m_db, QStringLiteral("SELECT coneval FROM %1 WHERE setkey = ? "
                                                                              "AND version = ? LIMIT 1").arg(HistoryRows),
                                                      {it.key(), it->number + 1}, source).toString());
    }

    // A set whose loaded rows all go is replaced: its rows are deleted by the
    // set's key, and they must be exactly the rows loaded. Others lose rows by
    // id within their set, and every one must still be there.
    QMap<QString, QList<const SaveRow *>> deletes;
    for (const SaveRow &r : std::as_const(deleted))
        deletes[r.loadedKey].append(&r);
    QSet<QString> kept;
    for (const SaveRow &r : std::as_const(rows)) {
        if (r.status != Recordset::adRecNew)
            kept.insert(r.loadedKey.isEmpty() ? r.key : r.loadedKey);
    }
    for (auto it = deletes.constBegin(); it != deletes.constEnd(); ++it) {
        const QList<const SaveRow *> &gone = it.value();
        if (!kept.contains(it.key())) {
            QVariantList values;
            const QString where = setCondition(it.key(), values);
            if (m_db.write(QStringLiteral("DELETE FROM QEMObjectConstraint WHERE ") + where, values, source) != gone.size())
                throw ZrError(ErrSetChanged, source, ReplaceParams(GetLangString(StrSetGone), {SetKeyCaption(it.key())}));
            continue;
        }
        for (qsizetype from = 0; from < gone.size(); from += BatchIds) {
            const qsizetype count = qMin<qsizetype>(BatchIds, gone.size() - from);
            QVariantList values{gone.first()->kind, gone.first()->context};
            for (qsizetype k = from; k < from + count; ++k)
                values.append(gone.at(k)->storedId.toLongLong());
            // The unary plus keeps SQLite from walking the set's index for each batch: the
            // rows are found by id, and must belong to the set besides.
            if (m_db.write(QStringLiteral("DELETE FROM QEMObjectConstraint WHERE +conobject = ? AND +contypeID = ? "
                                          "AND ocID IN (%1)")
                               .arg(QStringList(count, QStringLiteral("?")).join(QLatin1Char(','))),
                           values, source)
                != count)
                throw ZrError(ErrSetChanged, source,
                              ReplaceParams(GetLangString(StrSetGone), {SetKeyCaption(it.key())}));
        }
    }

    // An id is never given to a second requirement: new ones start above every id a requirement
    // had, the kept versions' included. A new row that asks for an id (a requirement restored
    // under the one it had) gets it when no other requirement ever had it and no other new row
    // of this save asked for it first; the others then count on from there.
    qlonglong next = qMax(firstValue(m_db, QStringLiteral("SELECT MAX(ocID) FROM QEMObjectConstraint"), {}, source)
                              .toLongLong(),
                          firstValue(m_db, QStringLiteral("SELECT MAX(ocID) FROM %1").arg(HistoryRows), {}, source)
                              .toLongLong())
                     + 1;
    QHash<QString, QList<qlonglong>> askedBySet;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).status == Recordset::adRecNew)
            askedBySet[rows.at(i).key] << all.valueAt(rows.at(i).position - 1, fId).toLongLong();
    }
    const QSet<qlonglong> taken = idsEverHeld(askedBySet, source);
    QSet<qlonglong> given;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).status != Recordset::adRecNew)
            continue;
        const qlonglong asked = all.valueAt(rows.at(i).position - 1, fId).toLongLong();
        if (asked > 0 && !taken.contains(asked) && !given.contains(asked)) {
            idOf[i] = asked;
            given.insert(asked);
        }
    }
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).status != Recordset::adRecNew)
            continue;
        const qlonglong asked = all.valueAt(rows.at(i).position - 1, fId).toLongLong();
        if (idOf.at(i) == 0) {
            while (given.contains(next))
                ++next;
            idOf[i] = next++;
        }
        newIds.insert(asked, idOf.at(i));
    }

    // The expression of a set with the new ids in it: rows of a set share it,
    // so it is read once, and checked against every row.
    struct SetExpression
    {
        bool seen = false;
        QString loaded;         // as the rows hold it
        QString stored;         // with stored ids
        QSet<qint32> named;     // the ids it names
        QSet<qint32> rows;      // the ids of the set's rows after the save
    };
    QHash<QString, SetExpression> expressions;
    static const QRegularExpression token(QStringLiteral("\\[%(-?\\d+)\\]"));
    const auto withStoredIds = [&](const QString &eval, int i, const QString &key, QSet<qint32> &named) {
        const SaveRow &r = rows.at(i);
        const QList<qint32> ids = rules.tokenIds(eval, all.valueAt(r.position - 1, fId), all.valueAt(r.position - 1, fType));
        QString out;
        qsizetype last = 0;
        int k = 0;
        for (auto m = token.globalMatch(eval); m.hasNext(); ++k) {
            const QRegularExpressionMatch match = m.next();
            qlonglong id = ids.at(k);
            // A new row's token follows the id it was given, an asked-for one included.
            if (const auto given = newIds.constFind(id); given != newIds.constEnd()) {
                id = *given;
            } else if (id <= 0) {
                throw ZrError(ErrRowRefused, source,
                              ReplaceParams(GetLangString(StrNotInSet), {SetKeyCaption(key), match.captured(0)}));
            }
            named.insert(qint32(id));
            out += eval.mid(last, match.capturedStart() - last) + QStringLiteral("[%") + QString::number(id)
                   + QLatin1Char(']');
            last = match.capturedEnd();
        }
        return out + eval.mid(last);
    };

    // One pass over the rows: the server's checks of each row written, and
    // the one expression of each set the save changes.
    Recordset row = child.clone();
    for (int i = 0; i < rows.size(); ++i) {
        const SaveRow &r = rows.at(i);
        if (r.status == Recordset::adRecNew || r.status == Recordset::adRecModified) {
            row.setAbsolutePosition(r.position);
            rules.check(row, r.objectId, r.secondary);
        }
        if (!touched.contains(r.key))
            continue;
        SetExpression &e = expressions[r.key];
        const QString eval = all.valueAt(r.position - 1, fEval).toString();
        if (!e.seen) {
            e.seen = true;
            e.loaded = eval;
            e.stored = withStoredIds(eval, i, r.key, e.named);
        } else if (eval != e.loaded) {
            QSet<qint32> named;
            if (withStoredIds(eval, i, r.key, named) != e.stored)
                throw ZrError(ErrRowRefused, source,
                              ReplaceParams(GetLangString(StrTwoExpressions), {SetKeyCaption(r.key)}));
        }
        e.rows.insert(qint32(r.status == Recordset::adRecNew ? idOf.at(i) : r.storedId.toLongLong()));
    }
    // Every requirement an expression names is a row of its set once the save is done.
    for (auto it = expressions.constBegin(); it != expressions.constEnd(); ++it) {
        QList<qint32> elsewhere;
        for (qint32 id : it->named) {
            if (id != 0 && !it->rows.contains(id))
                elsewhere.append(id);
        }
        if (!elsewhere.isEmpty())
            checkStoredInSet(elsewhere, it.key(), source);
    }
    // The expression a row is written with.
    const auto storedEval = [&](int i) {
        const SaveRow &r = rows.at(i);
        const auto e = expressions.constFind(r.key);
        return e == expressions.constEnd() ? all.valueAt(r.position - 1, fEval).toString() : e->stored;
    };
    const auto evalChanged = [&](int i) {
        const auto e = expressions.constFind(rows.at(i).key);
        return e != expressions.constEnd() && e->stored != all.valueAt(rows.at(i).position - 1, fEval).toString();
    };

    // New rows in batches; modified rows one by one, each of which must still be there.
    enum class Role { Value, Expression, Stamp, Object, Secondary };
    QStringList names{QStringLiteral("ocID")};
    QList<Role> roles;
    for (const auto &[index, col] : columns) {
        names.append(col->name);
        roles.append(col->name == QLatin1String("coneval")        ? Role::Expression
                     : col->name == QLatin1String("ModifiedDate") ? Role::Stamp
                     : col->name == QLatin1String("objID")        ? Role::Object
                     : col->name == QLatin1String("secobjID")     ? Role::Secondary
                                                                  : Role::Value);
    }
    const QString oneRow = QLatin1Char('(') + QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", "))
                           + QLatin1Char(')');
    const auto appendValues = [&](int i, QVariantList &values) {
        const SaveRow &r = rows.at(i);
        for (qsizetype c = 0; c < columns.size(); ++c) {
            QVariant v;
            switch (roles.at(c)) {
            case Role::Expression: {
                const QString eval = storedEval(i);
                v = eval.isEmpty() ? QVariant() : QVariant(eval);
                break;
            }
            case Role::Stamp: v = stamp; break;
            case Role::Object: v = r.objectId; break;
            case Role::Secondary: v = r.secondary; break;
            case Role::Value: v = all.valueAt(r.position - 1, columns.at(c).first); break;
            }
            values.append(v.isNull() ? QVariant() : v);
        }
    };
    QList<int> inserts;
    QList<int> rewritten;  // rows whose expression the save changed
    const QString update = QStringLiteral("UPDATE QEMObjectConstraint SET %1 = ? WHERE ocID = ?")
                               .arg(names.mid(1).join(QStringLiteral(" = ?, ")));
    for (int i = 0; i < rows.size(); ++i) {
        const SaveRow &r = rows.at(i);
        const bool changed = evalChanged(i);
        if (changed)
            rewritten.append(i);
        if (r.status == Recordset::adRecNew) {
            inserts.append(i);
        } else if (r.status == Recordset::adRecModified || changed) {
            QVariantList values;
            appendValues(i, values);
            values.append(r.storedId.toLongLong());
            if (m_db.write(update, values, source) != 1)
                throw ZrError(ErrSetChanged, source,
                              ReplaceParams(GetLangString(StrSetGone),
                                            {SetKeyCaption(r.loadedKey.isEmpty() ? r.key : r.loadedKey)}));
        }
    }
    for (qsizetype from = 0; from < inserts.size(); from += BatchRows) {
        const qsizetype count = qMin<qsizetype>(BatchRows, inserts.size() - from);
        QVariantList values;
        values.reserve(count * names.size());
        for (qsizetype k = from; k < from + count; ++k) {
            values.append(idOf.at(inserts.at(k)));
            appendValues(inserts.at(k), values);
        }
        m_db.write(QStringLiteral("INSERT INTO QEMObjectConstraint (%1) VALUES %2")
                       .arg(names.join(QStringLiteral(", ")), QStringList(count, oneRow).join(QStringLiteral(", "))),
                   values, source);
    }
    // What each set gained, lost and changed, from the rows as loaded and as saved. A requirement
    // is known by its id: a row deleted and added again under its id (as an import does) is the same one.
    const RequirementComparison comparison(all);
    SavedChangeWording wording(m_db, source);
    QHash<QString, QHash<qlonglong, int>> gone;  // set -> id of a deleted row -> its position in `pending`
    for (const SaveRow &r : std::as_const(deleted))
        gone[r.loadedKey].insert(r.storedId.toLongLong(), r.position);
    QHash<QString, SetChangeCounts> counts;
    for (auto it = locked.constBegin(); it != locked.constEnd(); ++it)
        counts.insert(it.key(), {});
    QSet<QString> filled;  // sets with rows after the save
    const QString *lastKey = nullptr;  // rows of a set come together: its look-ups are kept
    SetChangeCounts *set = nullptr;
    QHash<qlonglong, int> *setGone = nullptr;
    for (int i = 0; i < rows.size(); ++i) {
        const SaveRow &r = rows.at(i);
        if (!lastKey || *lastKey != r.key) {
            lastKey = &r.key;
            set = &counts[r.key];
            const auto g = gone.find(r.key);
            setGone = g == gone.end() ? nullptr : &g.value();
            filled.insert(r.key);
        }
        if (r.status == Recordset::adRecNew) {
            const int was = setGone ? setGone->take(idOf.at(i)) : 0;
            if (was == 0) {
                ++set->added;
                continue;
            }
            pending.setAbsolutePosition(was);
            all.setAbsolutePosition(r.position);
            if (comparison.changed(pending, all)) {
                ++set->changed;
                wording.add(r.key, pending, all, *set);
            }
        } else if (r.status == Recordset::adRecModified && r.loadedKey != r.key) {
            ++set->added;
            ++counts[r.loadedKey].removed;
        } else if (r.status == Recordset::adRecModified) {
            all.setAbsolutePosition(r.position);
            if (comparison.changed(all, all)) {
                ++set->changed;
                wording.add(r.key, all, all, *set);
            }
        }
    }
    for (auto it = gone.constBegin(); it != gone.constEnd(); ++it)
        counts[it.key()].removed += int(it->size());
    SetVersions saved;
    for (auto it = locked.constBegin(); it != locked.constEnd(); ++it) {
        SetChangeCounts &c = counts[it.key()];
        // A set that starts or ends empty gains or loses its expression with its rows.
        const auto before = keptExpression.constFind(it.key());
        const auto after = expressions.constFind(it.key());
        c.expressionChanged = filled.contains(it.key()) && before != keptExpression.constEnd() && after != expressions.constEnd()
                              && *before != after->stored;
        saved.insert(it.key(), store.raise(it.key(), it.value(), QByteArray(), EncodeChangeCounts(c)));
    }
    if (alsoInTransaction)
        alsoInTransaction();
    tx.commit();

    // Only now, with the rows stored, does the recordset learn the new ids and versions.
    const auto learn = [&](int i) {
        const SaveRow &r = rows.at(i);
        row.setBookmark(r.bookmark);
        if (r.status == Recordset::adRecNew) {
            row.setValue(fId, idOf.at(i));
            if (row.value(fObject).isNull() && !r.objectId.isNull())
                row.setValue(fObject, r.objectId);
            if (row.value(fSecondary).isNull() && !r.secondary.isNull())
                row.setValue(fSecondary, r.secondary);
        }
        const QString eval = storedEval(i);
        row.setValue(fEval, eval.isEmpty() ? QVariant() : QVariant(eval));
    };
    for (int i : std::as_const(inserts))
        learn(i);
    for (int i : std::as_const(rewritten)) {
        if (rows.at(i).status != Recordset::adRecNew)
            learn(i);
    }
    child.updateBatch();
    if (hierarchical) {
        for (auto it = saved.constBegin(); it != saved.constEnd(); ++it)
            versions.insert(it.key(), it.value());
        WriteSetVersions(constraints, versions);
    }
}

QString RequirementStore::setCondition(const QString &key, QVariantList &values)
{
    // "<kind>/<object>/<context>/<secondary>", as RequirementSetKey writes it.
    const QStringList parts = key.split(QLatin1Char('/'));
    const qint32 kind = parts.value(0).toInt();
    const qint32 context = parts.value(2).toInt();
    values = {kind, parts.value(1).toLongLong(), context};
    QString where = QStringLiteral("conobject = ? AND objID = ? AND contypeID = ?");
    if (!IsKeyedBySecondary(kind, context))
        return where;
    if (parts.value(3).isEmpty())
        return where + QStringLiteral(" AND (secobjID IS NULL OR secobjID = '')");
    values.append(parts.value(3));
    return where + QStringLiteral(" AND secobjID = ?");
}

QSet<qlonglong> RequirementStore::idsEverHeld(const QHash<QString, QList<qlonglong>> &askedBySet, const QString &source)
{
    QSet<qlonglong> held;
    for (auto set = askedBySet.constBegin(); set != askedBySet.constEnd(); ++set) {
        const QList<qlonglong> &ids = set.value();
        for (qsizetype from = 0; from < ids.size(); from += BatchIds) {
            const qsizetype count = qMin<qsizetype>(BatchIds, ids.size() - from);
            QVariantList values;
            for (qsizetype k = from; k < from + count; ++k)
                values.append(ids.at(k));
            const QString in = QStringList(count, QStringLiteral("?")).join(QLatin1Char(','));
            // Its own set's kept versions do not hold an id back: it comes back where it was.
            QSqlQuery &q = m_db.exec(QStringLiteral("SELECT ocID FROM QEMObjectConstraint WHERE ocID IN (%1) UNION "
                                                    "SELECT ocID FROM %2 WHERE ocID IN (%1) AND setkey <> ?")
                                         .arg(in, HistoryRows),
                                     values + values + QVariantList{set.key()}, source);
            while (q.next())
                held.insert(q.value(0).toLongLong());
            q.finish();
        }
    }
    return held;
}

void RequirementStore::checkStoredInSet(const QList<qint32> &ids, const QString &key, const QString &source)
{
    for (qsizetype from = 0; from < ids.size(); from += BatchIds) {
        const qsizetype count = qMin<qsizetype>(BatchIds, ids.size() - from);
        QVariantList values;
        for (qsizetype k = from; k < from + count; ++k)
            values.append(ids.at(k));
        QSqlQuery &q = m_db.exec(QStringLiteral("SELECT ocID, conobject, objID, contypeID, secobjID FROM QEMObjectConstraint "
                                                "WHERE ocID IN (%1)")
                                     .arg(QStringList(count, QStringLiteral("?")).join(QLatin1Char(','))),
                                 values, source);
        QSet<qint32> found;
        while (q.next()) {
            if (keyOf(q.value(1), q.value(2), q.value(3), q.value(4)) == key)
                found.insert(q.value(0).toInt());
        }
        q.finish();
        for (const QVariant &id : std::as_const(values)) {
            if (!found.contains(id.toInt()))
                throw ZrError(ErrRowRefused, source,
                              ReplaceParams(GetLangString(StrNotInSet),
                                            {SetKeyCaption(key), QStringLiteral("[%%1]").arg(id.toInt())}));
        }
    }
}

} // namespace zr::server
