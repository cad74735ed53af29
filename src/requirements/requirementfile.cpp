#include "requirementfile.h"

#include "recordset/recordsetutils.h"
#include "common/zrerror.h"
#include "requirementset.h"
#include "setversion.h"
#include "reqtypes/typecatalog.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <cmath>

namespace zr {

namespace {

enum : qint32 {
    ErrCannotRead = 60200,
    ErrBadJson = 60201,
    ErrWrongFormat = 60202,
    ErrNotWholeNumber = 60203,
    ErrNotText = 60204,
    ErrNotObject = 60205,
    ErrNotList = 60206,
    ErrUnknownKind = 60207,
    ErrUnknownContext = 60208,
    ErrUnknownField = 60209,
    ErrMissingField = 60210,
    ErrDuplicateId = 60211,
    ErrUnknownToken = 60212,
    ErrNeedsCurriculum = 60213,
    ErrUnknownType = 10101,
    ErrFileTooLarge = 62000,
    ErrTwoExpressions = 62024,
};

const QString Source = QStringLiteral("RequirementFile");

struct FileField
{
    const char *name;
    int type;
    int size;
};

// The row fields a file carries, in the order they are written.
const FileField RowFields[] = {
    {"ocID", adInteger, 0},           {"contypeID", adInteger, 0},       {"conobject", adInteger, 0},
    {"objID", adInteger, 0},          {"secobjID", adVarWChar, 20},      {"conID", adSmallInt, 0},
    {"conoperator", adInteger, 0},    {"conoptval1", adVarWChar, 255},   {"conoptval2", adVarWChar, 255},
    {"conoptval3", adVarWChar, 20},   {"conoptval4", adVarWChar, 50},    {"conoptval5", adVarWChar, 255},
    {"conoptval6", adVarWChar, 20},   {"conoptval7", adVarWChar, 1000},  {"conoptval8", adVarWChar, 255},
    {"conoptval9", adVarWChar, 255},  {"conoptval10", adVarWChar, 255},  {"conoptval11", adVarWChar, 255},
    {"conoptval12", adVarWChar, 255}, {"conselobjIDs", adVarWChar, 1000}, {"coneval", adVarWChar, 4000},
    {"conlabel", adVarWChar, 40},
};

// The parent fields of an object, as the server's hierarchical recordset has them.
const FileField ObjectFields[] = {
    {"objID", adInteger, 0},       {"secobjID", adVarWChar, 20},      {"prID", adInteger, 0},
    {"progrspoud_ID", adInteger, 0}, {"depID", adVarWChar, 10},       {"courseID", adInteger, 0},
    {"department_ID", adVarWChar, 10}, {"student_ID", adInteger, 0}, {"title", adVarWChar, 250},
};

// Row fields the importer takes from the target rather than from the file.
const QSet<QString> &TargetFields()
{
    static const QSet<QString> fields{QStringLiteral("ocID"), QStringLiteral("contypeID"),
                                      QStringLiteral("conobject"), QStringLiteral("objID"),
                                      QStringLiteral("secobjID"), QStringLiteral("conID"),
                                      QStringLiteral("coneval")};
    return fields;
}

bool isNumeric(int type)
{
    return type == adInteger || type == adSmallInt;
}

template<size_t N>
const FileField *findField(const FileField (&fields)[N], const QString &name)
{
    for (const FileField &f : fields) {
        if (name == QLatin1String(f.name))
            return &f;
    }
    return nullptr;
}

template<size_t N>
QList<Field> recordsetFields(const FileField (&fields)[N])
{
    QList<Field> out;
    for (const FileField &f : fields)
        out.append(makeField(QString::fromLatin1(f.name), f.type, f.size));
    return out;
}

QJsonValue toJson(const QVariant &value, int type)
{
    if (value.isNull() || !value.isValid())
        return QJsonValue::Null;
    if (isNumeric(type)) {
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        if (ok)
            return QJsonValue(n);
        const double d = value.toDouble(&ok);
        return ok ? QJsonValue(d) : QJsonValue(value.toString());
    }
    return QJsonValue(value.toString());
}

// A file value checked against its field's type; `where` names it in errors.
QVariant fromJson(const QJsonValue &value, const FileField &field, const QString &where)
{
    if (value.isNull())
        return QVariant();
    if (isNumeric(field.type)) {
        const double d = value.toDouble();
        if (!value.isDouble() || std::floor(d) != d || std::abs(d) > 2147483647.0)
            throw MakeError(ErrNotWholeNumber, Source, {where});
        return QVariant(qint32(d));
    }
    if (!value.isString())
        throw MakeError(ErrNotText, Source, {where});
    return value.toString();
}

qint32 requiredWholeNumber(const QJsonObject &object, const QString &name, const QString &where)
{
    if (!object.contains(name))
        throw MakeError(ErrMissingField, Source, {where});
    const QVariant v = fromJson(object.value(name), FileField{"", adInteger, 0}, where);
    if (v.isNull())
        throw MakeError(ErrNotWholeNumber, Source, {where});
    return v.toInt();
}

const QRegularExpression &tokenPattern()
{
    static const QRegularExpression token(QStringLiteral("\\[%(-?\\d+)\\]"));
    return token;
}

// The expression with every "[%old]" replaced by "[%new]"; throws for an id not in `newIds`.
QString renumberExpression(const QString &expression, const QHash<qint32, qint32> &newIds)
{
    QString out;
    qsizetype last = 0;
    for (auto it = tokenPattern().globalMatch(expression); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        bool ok = false;
        // A number too large for an id names no row (it must not wrap onto one).
        const qint32 id = m.capturedView(1).toInt(&ok);
        if (!ok || !newIds.contains(id))
            throw MakeError(ErrUnknownToken, Source, {m.captured(0)});
        out += expression.mid(last, m.capturedStart() - last);
        out += QStringLiteral("[%") + QString::number(newIds.value(id)) + QLatin1Char(']');
        last = m.capturedEnd();
    }
    out += expression.mid(last);
    return out;
}

void checkTarget(qint32 objectKind, qint32 context)
{
    if (!IsKnownObjectKind(objectKind))
        throw MakeError(ErrUnknownKind, Source, {QString::number(objectKind)});
    if (!IsKnownContext(context))
        throw MakeError(ErrUnknownContext, Source, {QString::number(context)});
}

RequirementSet openSet(const Recordset &parent, qint32 objectKind, qint32 context, qint32 curriculumId)
{
    checkTarget(objectKind, context);
    RequirementSet set;
    set.setObjectKind(objectKind);
    set.setContext(context);
    Recordset cursor = parent.isNull() ? parent : parent.clone();
    if (!cursor.isNull() && !cursor.eof() && cursor.hasField(u"depID"))
        set.setDepartmentId(NzStr(cursor.value(u"depID")));
    set.setParent(parent);
    set.setCurriculumId(curriculumId);
    if (set.isCurriculumDependent() && curriculumId == 0)
        throw MakeError(ErrNeedsCurriculum, Source, {QString::number(objectKind), QString::number(context)});
    return set;
}

} // namespace

bool IsKnownObjectKind(qint32 kind)
{
    switch (kind) {
    case KindProgramme:
    case KindProgramme3:
    case KindProgramme4:
    case KindStudent:
    case KindStudentProgramme:
    case KindDepartment:
    case KindDepartmentById:
        return true;
    default:
        return false;
    }
}

bool IsKnownContext(qint32 context)
{
    return context >= CtxProgrammeEntry && context <= CtxTextbooks;
}

qint64 RequirementFile::objectId() const
{
    // Its objID, or the key the server's parent row takes it from.
    if (object.contains(QStringLiteral("objID")))
        return object.value(QStringLiteral("objID")).toLongLong();
    const char *key = nullptr;
    switch (objectKind) {
    case KindStudent: key = "student_ID"; break;
    case KindDepartment: key = "depID"; break;
    case KindDepartmentById: key = "courseID"; break;
    default: key = "prID"; break;
    }
    return ValLng(object.value(QString::fromLatin1(key)));
}

QString RequirementFile::setKey() const
{
    const QString secondary = curriculumId() != 0 ? QString::number(curriculumId())
                                                  : object.value(QStringLiteral("secobjID")).toString();
    return RequirementSetKey(objectKind, objectId(), context, secondary);
}

qint32 RequirementFile::curriculumId() const
{
    if (objectKind != KindProgramme || (context != CtxCurriculumChoice && context != CtxDegree))
        return 0;
    if (object.contains(QStringLiteral("secobjID")))
        return ValLng(object.value(QStringLiteral("secobjID")));
    Recordset walk = rows.isNull() ? rows : rows.clone();
    return walk.isNull() || walk.eof() ? 0 : ValLng(walk.value(u"secobjID"));
}

QByteArray WriteRequirementFile(const Recordset &parent, qint32 objectKind, qint32 context, qint32 curriculumId)
{
    const RequirementSet set = openSet(parent, objectKind, context, curriculumId);
    QJsonObject object;
    Recordset parentRow = parent.clone();
    for (const FileField &f : ObjectFields) {
        const QString name = QString::fromLatin1(f.name);
        if (parentRow.hasField(name) && !parentRow.value(name).isNull())
            object.insert(name, toJson(parentRow.value(name), f.type));
    }
    // The curriculum is not a field of the programme; the file names it so that it reads back alone.
    if (set.isCurriculumDependent())
        object.insert(QStringLiteral("secobjID"), QString::number(curriculumId));

    QJsonArray rows;
    Recordset walk = set.walkWholeSet();
    for (walk.moveFirst(); !walk.eof(); walk.moveNext()) {
        QJsonObject row;
        for (const FileField &f : RowFields) {
            const QString name = QString::fromLatin1(f.name);
            row.insert(name, walk.hasField(name) ? toJson(walk.value(name), f.type) : QJsonValue(QJsonValue::Null));
        }
        rows.append(row);
    }
    QJsonObject root;
    root.insert(QStringLiteral("format"), RequirementFile::formatName());
    root.insert(QStringLiteral("AppliesTo"), objectKind);
    root.insert(QStringLiteral("ConstrType"), context);
    root.insert(QStringLiteral("object"), object);
    // The version lets an import tell whether the set was saved again since.
    const QString key = RequirementSetKeyOf(parent, objectKind, context, curriculumId);
    root.insert(QStringLiteral("version"), double(ReadSetVersions(parent).value(key).number));
    root.insert(QStringLiteral("rows"), rows);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

RequirementFile ReadRequirementFile(const QByteArray &json)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw MakeError(ErrBadJson, Source, {parseError.errorString(), QString::number(parseError.offset)});
    if (!doc.isObject())
        throw MakeError(ErrWrongFormat, Source, {RequirementFile::formatName()});
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != RequirementFile::formatName())
        throw MakeError(ErrWrongFormat, Source, {RequirementFile::formatName()});
    for (auto it = root.constBegin(); it != root.constEnd(); ++it) {
        static const QStringList known{QStringLiteral("format"), QStringLiteral("AppliesTo"),
                                       QStringLiteral("ConstrType"), QStringLiteral("object"), QStringLiteral("rows"),
                                       QStringLiteral("version")};
        if (!known.contains(it.key()))
            throw MakeError(ErrUnknownField, Source, {it.key()});
    }

    RequirementFile file;
    file.objectKind = requiredWholeNumber(root, QStringLiteral("AppliesTo"), QStringLiteral("AppliesTo"));
    file.context = requiredWholeNumber(root, QStringLiteral("ConstrType"), QStringLiteral("ConstrType"));
    checkTarget(file.objectKind, file.context);
    if (root.contains(QStringLiteral("version"))) {
        const QVariant version = fromJson(root.value(QStringLiteral("version")), FileField{"", adInteger, 0},
                                          QStringLiteral("version"));
        file.version = version.isNull() ? -1 : qMax(0, version.toInt());
    }

    const QJsonValue object = root.value(QStringLiteral("object"));
    if (!object.isUndefined() && !object.isNull()) {
        if (!object.isObject())
            throw MakeError(ErrNotObject, Source, {QStringLiteral("object")});
        const QJsonObject fields = object.toObject();
        for (auto it = fields.constBegin(); it != fields.constEnd(); ++it) {
            const QString where = QStringLiteral("object.") + it.key();
            const FileField *f = findField(ObjectFields, it.key());
            if (!f)
                throw MakeError(ErrUnknownField, Source, {where});
            const QVariant v = fromJson(it.value(), *f, where);
            if (!v.isNull())
                file.object.insert(it.key(), v);
        }
    }

    const QJsonValue rowsValue = root.value(QStringLiteral("rows"));
    if (rowsValue.isUndefined())
        throw MakeError(ErrMissingField, Source, {QStringLiteral("rows")});
    if (!rowsValue.isArray())
        throw MakeError(ErrNotList, Source, {QStringLiteral("rows")});
    file.rows = Recordset(recordsetFields(RowFields));
    QSet<qint32> ids;
    const QJsonArray rows = rowsValue.toArray();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString at = QStringLiteral("rows[%1]").arg(i);
        if (!rows.at(i).isObject())
            throw MakeError(ErrNotObject, Source, {at});
        const QJsonObject row = rows.at(i).toObject();
        const qint32 ocID = requiredWholeNumber(row, QStringLiteral("ocID"), at + QStringLiteral(".ocID"));
        const qint32 type = requiredWholeNumber(row, QStringLiteral("conID"), at + QStringLiteral(".conID"));
        if (!IsRequirementType(type))
            throw MakeError(ErrUnknownType, Source, {at + QStringLiteral(".conID"), QString::number(type)});
        if (ids.contains(ocID))
            throw MakeError(ErrDuplicateId, Source, {QString::number(ocID)});
        ids.insert(ocID);
        file.rows.addNew();
        for (auto it = row.constBegin(); it != row.constEnd(); ++it) {
            const QString where = at + QLatin1Char('.') + it.key();
            const FileField *f = findField(RowFields, it.key());
            if (!f)
                throw MakeError(ErrUnknownField, Source, {where});
            file.rows.setValue(it.key(), fromJson(it.value(), *f, where));
        }
    }
    file.rows.updateBatch();

    // Every row carries the set's one expression; each of its tokens must name a row of the file.
    QHash<qint32, qint32> same;
    for (qint32 id : std::as_const(ids))
        same.insert(id, id);
    file.rows.moveFirst();
    const QString expression = file.rows.eof() ? QString() : NzStr(file.rows.value(u"coneval"));
    for (; !file.rows.eof(); file.rows.moveNext()) {
        if (NzStr(file.rows.value(u"coneval")) != expression)
            throw MakeError(ErrTwoExpressions, Source);
    }
    renumberExpression(expression, same);
    file.rows.moveFirst();
    return file;
}

RequirementFile ReadRequirementFile(const QString &path)
{
    return ReadRequirementFile(ReadSetFileBytes(path));
}

QByteArray ReadSetFileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw MakeError(ErrCannotRead, Source, {path, f.errorString()});
    const QString limit = QString::number(MaxRequirementFileBytes / (1024 * 1024));
    if (f.size() > MaxRequirementFileBytes)
        throw MakeError(ErrFileTooLarge, Source, {path, limit});
    // A device or a pipe tells no size: read it up to the limit and no further.
    QByteArray json;
    json.reserve(qMin<qint64>(f.size(), MaxRequirementFileBytes) + 1);
    char chunk[65536];
    for (qint64 n; (n = f.read(chunk, sizeof chunk)) > 0;) {
        if (json.size() + n > MaxRequirementFileBytes)
            throw MakeError(ErrFileTooLarge, Source, {path, limit});
        json.append(chunk, n);
    }
    if (f.error() != QFileDevice::NoError)
        throw MakeError(ErrCannotRead, Source, {path, f.errorString()});
    f.close();
    return json;
}

namespace {

bool sameValue(const QVariant &a, const QVariant &b)
{
    return (a.isNull() && b.isNull()) ||
           (!a.isNull() && !b.isNull() && a.toString() == b.toString());
}

// Which stored requirement each row of a file is: by its id when the file was written from this
// very set, otherwise the n-th of a type in the file is the n-th of that type in the set. 0: none.
QList<qint32> matchedRows(const RequirementFile &file, const Recordset &stored, bool sameSet)
{
    QHash<qint32, int> typeOf;
    QHash<int, QList<qint32>> storedOfType;
    // The set's own rows: a view keeps the set's filter, a clone would not.
    Recordset walk = stored.view();
    for (walk.moveFirst(); !walk.eof(); walk.moveNext()) {
        const qint32 id = ValLng(walk.value(u"ocID"));
        typeOf.insert(id, int(ValLng(walk.value(u"conID"))));
        storedOfType[typeOf.value(id)] << id;
    }
    QList<qint32> matches;
    QHash<int, int> seenOfType;
    Recordset source = file.rows.clone();
    for (source.moveFirst(); !source.eof(); source.moveNext()) {
        const qint32 id = ValLng(source.value(u"ocID"));
        const int type = int(ValLng(source.value(u"conID")));
        // A requirement given another type is another requirement.
        if (sameSet)
            matches << (id > 0 && typeOf.value(id, -1) == type ? id : 0);
        else
            matches << storedOfType.value(type).value(seenOfType[type]++, 0);
    }
    return matches;
}

// `underOwnIds`: a requirement the file holds and the set no longer does comes back under its id.
int importRows(const RequirementFile &file, Recordset &parent, qint32 objectKind, qint32 context,
               qint32 curriculumId, bool underOwnIds)
{
    RequirementSet set = openSet(parent, objectKind, context, curriculumId);
    Recordset source = file.rows.clone();
    // Whatever can fail is checked before the first row changes.
    QHash<qint32, qint32> fileIds;
    for (source.moveFirst(); !source.eof(); source.moveNext())
        fileIds.insert(ValLng(source.value(u"ocID")), 0);
    source.moveFirst();
    if (!source.eof())
        renumberExpression(NzStr(source.value(u"coneval")), fileIds);
    Recordset parentRow = parent.clone();
    const QVariant parentSecondary = parentRow.hasField(u"secobjID") && !parentRow.eof()
                                         ? parentRow.value(u"secobjID")
                                         : QVariant();

    // A requirement keeps its id: a row of the file that is a stored requirement changes it in
    // place, the stored ones the file does not hold are deleted, the others are added.
    const bool sameSet =
        file.setKey() == RequirementSetKeyOf(parent, objectKind, context, curriculumId);
    Recordset old = set.walkWholeSet();
    const QList<qint32> matches = matchedRows(file, old, sameSet);
    QHash<qint32, Recordset::Bookmark> storedAt;
    for (old.moveFirst(); !old.eof(); old.moveNext())
        storedAt.insert(ValLng(old.value(u"ocID")), old.bookmark());
    const QSet<qint32> matched(matches.cbegin(), matches.cend());
    QList<Recordset::Bookmark> replaced;
    for (auto it = storedAt.constBegin(); it != storedAt.constEnd(); ++it)
        if (!matched.contains(it.key()))
            replaced.append(it.value());
    old.deleteRows(replaced);

    QHash<qint32, qint32> newIds;
    QList<Recordset::Bookmark> placed;
    Recordset rows = set.rows();
    // The fields the file gives, by position in both: a large set is copied without a look-up per
    // value.
    QList<QPair<int, int>> copied;
    for (const FileField &f : RowFields) {
        const QString name = QString::fromLatin1(f.name);
        if (!TargetFields().contains(name) && rows.hasField(name))
            copied.append({source.fieldIndex(name), rows.fieldIndex(name)});
    }
    const int sourceId = source.fieldIndex(u"ocID"), sourceType = source.fieldIndex(u"conID");
    const int secondary = rows.fieldIndex(u"secobjID"), targetId = rows.fieldIndex(u"ocID");
    // Room for the rows that are added, not for those changed in place: a large set would be
    // moved, and its memory doubled, for nothing.
    rows.reserve(int(matches.count(0)));
    int at = 0;
    for (source.moveFirst(); !source.eof(); source.moveNext(), ++at) {
        const qint32 fileId = ValLng(source.value(sourceId));
        qint32 id = matches.at(at);
        if (id != 0) {
            rows.setBookmark(storedAt.value(id));
        } else {
            id = set.addRequirement(ValLng(source.value(sourceType)), curriculumId);
            // A requirement of this set deleted since the file was written comes back under its
            // id; the server gives it another when that one is taken.
            if (underOwnIds && sameSet && fileId > 0 && !storedAt.contains(fileId)) {
                rows.setValue(targetId, fileId);
                id = fileId;
            }
            // Rows of a course group or course belong to it as the parent row says.
            if (!set.isCurriculumDependent() && rows.value(secondary).isNull() &&
                !parentSecondary.isNull())
                rows.setValue(secondary, parentSecondary);
        }
        newIds.insert(fileId, id);
        placed.append(rows.bookmark());
        // A value written as it is stored leaves the row as it was.
        for (const auto &[from, to] : std::as_const(copied))
            if (!sameValue(rows.value(to), source.value(from)))
                rows.setValue(to, source.value(from));
    }
    source.moveFirst();
    const QVariant expression =
        source.eof() ? QVariant()
                     : QVariant(renumberExpression(NzStr(source.value(u"coneval")), newIds));
    Recordset writer = rows.clone();
    for (Recordset::Bookmark b : std::as_const(placed)) {
        writer.setBookmark(b);
        const QVariant stored = NzStr(expression).isEmpty() ? QVariant() : expression;
        if (!sameValue(writer.value(u"coneval"), stored))
            writer.setValue(u"coneval", stored);
    }
    return int(placed.size());
}

} // namespace

int ImportRequirementRows(const RequirementFile &file, Recordset &parent, qint32 objectKind,
                          qint32 context, qint32 curriculumId)
{
    return importRows(file, parent, objectKind, context, curriculumId, true);
}

Recordset RequirementFileRecordset(const RequirementFile &file)
{
    checkTarget(file.objectKind, file.context);
    QList<Field> fields{makeField(QStringLiteral("conobject"), adInteger)};
    fields += recordsetFields(ObjectFields);
    fields.append(makeField(RequirementSet::chapterName(), adChapter));
    Recordset parent(fields);
    parent.addNew();
    parent.setValue(u"conobject", file.objectKind);
    for (auto it = file.object.constBegin(); it != file.object.constEnd(); ++it)
        parent.setValue(it.key(), it.value());
    parent.setValue(u"objID", file.objectId());
    parent.setChapter(RequirementSet::chapterName(), Recordset(recordsetFields(RowFields)));
    parent.updateBatch();
    parent.moveFirst();
    // The file alone: its rows are new ones, numbered as the editor numbers them.
    importRows(file, parent, file.objectKind, file.context, file.curriculumId(), false);
    parent.moveFirst();
    return parent;
}

QStringList OutdatedFileFacts(const RequirementFile &file, const Recordset &parent, qint32 objectKind, qint32 context,
                              qint32 curriculumId)
{
    const QString key = RequirementSetKeyOf(parent, objectKind, context, curriculumId);
    if (file.version < 0 || file.setKey() != key)
        return {};
    const SetVersion stored = ReadSetVersions(parent).value(key);
    if (stored.number == file.version)
        return {};
    return {SetKeyCaption(key), stored.savedBy, stored.savedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            QString::number(stored.number), QString::number(file.version)};
}

} // namespace zr
