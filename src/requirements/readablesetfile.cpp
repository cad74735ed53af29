#include "readablesetfile.h"

#include "readablesetvalues.h"

#include "common/jsonlines.h"
#include "common/langstrings.h"
#include "common/systemnumber.h"
#include "common/zrerror.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/coursetypetotals.h"
#include "reqtypes/customoptions.h"
#include "reqtypes/expressiontokens.h"
#include "reqtypes/requirementvalue.h"
#include "reqtypes/setfilenames.h"
#include "reqtypes/typecatalog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace zr {

SetFileCodes::~SetFileCodes() = default;

namespace {

using namespace readable;

const QString Source = QStringLiteral("RequirementFile");
const QString Requirements = QStringLiteral("requirements");
constexpr qsizetype MaxLabel = 40;

using Table = SetFileCodes::Table;

// The members of a file and of a requirement that are not parameters.
const QStringList &headMembers()
{
    static const QStringList members{QStringLiteral("format"),
                                     QStringLiteral("appliesTo"),
                                     QStringLiteral("context"),
                                     QStringLiteral("department"),
                                     QStringLiteral("programme"),
                                     QStringLiteral("curriculum"),
                                     QStringLiteral("group"),
                                     QStringLiteral("course"),
                                     QStringLiteral("student"),
                                     QStringLiteral("title"),
                                     QStringLiteral("version"),
                                     QStringLiteral("expression"),
                                     Requirements};
    return members;
}

// Fields a requirement row may hold a value in although its type's sheet does not show them.
const QStringList &valueFields()
{
    static const QStringList fields = [] {
        QStringList all{QStringLiteral("conoperator"), QStringLiteral("conselobjIDs")};
        for (int i = 1; i <= 12; ++i)
            all << QStringLiteral("conoptval%1").arg(i);
        return all;
    }();
    return fields;
}

// The labels of requirements that have none: the type's name, numbered when the set has more than
// one.
QStringList defaultLabels(const QList<int> &types)
{
    QHash<int, int> count, seen;
    for (int type : types)
        ++count[type];
    QStringList labels;
    for (int type : types)
        labels << (count.value(type) == 1
                       ? TypeFileName(type)
                       : TypeFileName(type) + QLatin1Char('-') + QString::number(++seen[type]));
    return labels;
}

bool isLabel(const QString &text)
{
    static const QRegularExpression label(QStringLiteral("^\\p{L}[\\p{L}\\p{N}_-]*$"));
    static const QStringList words{QStringLiteral("and"), QStringLiteral("or"),
                                   QStringLiteral("not")};
    return text.size() <= MaxLabel && label.match(text).hasMatch() &&
           !words.contains(text.toLower());
}

// ---- Writing ---------------------------------------------------------------------------------

using Members = QList<QPair<QString, QJsonValue>>;

QString objectText(const Members &members, const QString &indent)
{
    QStringList lines;
    for (const auto &[name, value] : members)
        lines << indent + QStringLiteral("    ") + inlineJson(name) + QStringLiteral(": ") +
                     inlineJson(value);
    return indent + QStringLiteral("{\n") + lines.join(QStringLiteral(",\n")) + QLatin1Char('\n') +
           indent + QLatin1Char('}');
}

// ---- Reading ---------------------------------------------------------------------------------

// A fault at a place of the file, said with its line and, inside a requirement, its label and
// field.
struct Faults
{
    const JsonLines &lines;

    [[noreturn]] void at(const QString &path, const QString &label, const QString &field,
                         qint32 number, const QStringList &params = {}) const
    {
        const QString detail = MakeError(number, Source, params).description;
        const QString line = QString::number(lines.line(path));
        QString text;
        if (label.isEmpty())
            text = ReplaceParams(GetLangString(StrLineFault), {line, detail});
        else if (field.isEmpty())
            text = ReplaceParams(GetLangString(StrRequirementFault), {line, label, detail});
        else
            text = ReplaceParams(GetLangString(StrFieldFault), {line, label, field, detail});
        throw ZrError(number, Source, text);
    }
};

// One word of a readable expression: where it starts, and for a label the requirement's id.
struct Word
{
    expression::TokenKind kind;
    qsizetype at;
    qsizetype length = 1;
    qint32 id = 0;
};

// The words must alternate as the stored expression's tokens do: a fault is said in the
// file's own words, at the place it starts.
void checkWords(const QString &expression, const QList<Word> &words, const Faults &faults)
{
    using expression::TokenKind;
    const auto fail = [&](qsizetype at, qint32 why) {
        const QString place =
            at >= expression.size()
                ? GetLangString(StrEnd)
                : expression.mid(at, 24) +
                      (at + 24 < expression.size() ? QStringLiteral("…") : QString());
        faults.at(QStringLiteral("expression"), QString(), QString(), ErrExpressionDoesNotRead,
                  {place, GetLangString(why)});
    };
    bool operand = true;
    QList<qsizetype> open;
    for (const Word &word : words) {
        if (operand) {
            if (word.kind == TokenKind::Operand)
                operand = false;
            else if (word.kind == TokenKind::Open)
                open.append(word.at);
            else if (word.kind != TokenKind::Not)
                fail(word.at, StrOperandHere);
        } else if (word.kind == TokenKind::And || word.kind == TokenKind::Or) {
            operand = true;
        } else if (word.kind == TokenKind::Close) {
            if (open.isEmpty())
                fail(word.at, StrNothingToClose);
            open.removeLast();
        } else {
            fail(word.at, StrOperatorHere);
        }
    }
    if (operand && !words.isEmpty())
        fail(expression.size(), StrOperandHere);
    if (!open.isEmpty())
        fail(open.last(), StrNeverClosed);
}

// The expression of a readable file in stored form: each label as its requirement's token.
QString storedExpression(const QString &expression, const QHash<QString, qint32> &ids,
                         const Faults &faults)
{
    using expression::TokenKind;
    QList<Word> words;
    for (qsizetype i = 0; i < expression.size();) {
        const QChar c = expression.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
            words.append({c == QLatin1Char('(') ? TokenKind::Open : TokenKind::Close, i++});
            continue;
        }
        qsizetype end = i;
        while (end < expression.size() &&
               (expression.at(end).isLetterOrNumber() || expression.at(end) == QLatin1Char('-') ||
                expression.at(end) == QLatin1Char('_')))
            ++end;
        if (end == i)
            faults.at(QStringLiteral("expression"), QString(), QString(), ErrNotInExpression,
                      {QString(c)});
        const QString word = expression.mid(i, end - i).toLower();
        if (word == QLatin1String("and") || word == QLatin1String("or") ||
            word == QLatin1String("not")) {
            words.append({word == QLatin1String("and")  ? TokenKind::And
                          : word == QLatin1String("or") ? TokenKind::Or
                                                        : TokenKind::Not,
                          i, end - i});
        } else if (const auto id = ids.constFind(expression.mid(i, end - i));
                   id != ids.constEnd()) {
            words.append({TokenKind::Operand, i, end - i, *id});
        } else {
            faults.at(QStringLiteral("expression"), QString(), QString(), ErrUnknownLabel,
                      {expression.mid(i, end - i)});
        }
        i = end;
    }
    checkWords(expression, words, faults);
    // The stored text keeps the file's spacing: only the words change.
    QString out;
    qsizetype last = 0;
    for (const Word &word : words) {
        out += expression.mid(last, word.at - last);
        switch (word.kind) {
        case TokenKind::Operand:
            out += QStringLiteral("[%") + QString::number(word.id) + QLatin1Char(']');
            break;
        case TokenKind::And:
            out += QStringLiteral("AND");
            break;
        case TokenKind::Or:
            out += QStringLiteral("OR");
            break;
        case TokenKind::Not:
            out += QStringLiteral("NOT");
            break;
        default:
            out += expression.at(word.at);
            break;
        }
        last = word.at + word.length;
    }
    return out + expression.mid(last);
}

// The object of a readable file as the first format keeps it.
QJsonObject readObject(const QJsonObject &root, int kind, int context, Scope &scope,
                       const Faults &faults)
{
    const auto code = [&](const QString &member, Table table, const QString &within, qint32 missing,
                          const QStringList &also = {}) -> qint64 {
        const QJsonValue value = root.value(member);
        if (value.isDouble())
            return qint64(value.toDouble());
        if (!value.isString())
            faults.at(member, QString(), QString(), ErrMissing, {member});
        const std::optional<qint64> id = scope.codes.idOf(table, value.toString(), within);
        if (!id)
            faults.at(member, QString(), QString(), missing, QStringList{value.toString()} + also);
        return *id;
    };
    QJsonObject object;
    if (!root.value(QStringLiteral("department")).isString())
        faults.at(QStringLiteral("department"), QString(), QString(), ErrMissing,
                  {QStringLiteral("department")});
    scope.department = root.value(QStringLiteral("department")).toString();
    object.insert(QStringLiteral("depID"), scope.department);
    object.insert(QStringLiteral("department_ID"), scope.department);
    if (root.value(QStringLiteral("title")).isString())
        object.insert(QStringLiteral("title"), root.value(QStringLiteral("title")));
    qint64 id = 0;
    switch (kind) {
    case KindProgramme:
    case KindProgramme3:
    case KindProgramme4:
    case KindStudentProgramme:
        id = code(QStringLiteral("programme"), Table::Programme, scope.department, ErrNoProgramme,
                  {scope.department});
        scope.programme = QString::number(id);
        object.insert(QStringLiteral("prID"), double(id));
        object.insert(QStringLiteral("progrspoud_ID"), double(id));
        if (kind == KindProgramme && (context == CtxCurriculumChoice || context == CtxDegree))
            object.insert(QStringLiteral("secobjID"),
                          QString::number(code(QStringLiteral("curriculum"), Table::Curriculum,
                                               scope.programme, ErrNoCurriculum)));
        if (kind == KindProgramme3)
            object.insert(QStringLiteral("secobjID"),
                          QString::number(code(QStringLiteral("group"), Table::CourseGroup,
                                               scope.programme, ErrNoGroup)));
        if (kind == KindProgramme4) {
            const qint64 course = code(QStringLiteral("course"), Table::Course, scope.department,
                                       ErrNoCourse, {scope.department});
            object.insert(QStringLiteral("courseID"), double(course));
            object.insert(QStringLiteral("secobjID"), QString::number(course));
        }
        break;
    case KindStudent:
        id = code(QStringLiteral("student"), Table::Student, scope.department, ErrNoStudent,
                  {scope.department});
        object.insert(QStringLiteral("student_ID"), double(id));
        // The student's programme places the course groups his requirements name.
        if (root.contains(QStringLiteral("programme"))) {
            const qint64 programme = code(QStringLiteral("programme"), Table::Programme,
                                          scope.department, ErrNoProgramme, {scope.department});
            scope.programme = QString::number(programme);
            object.insert(QStringLiteral("prID"), double(programme));
            object.insert(QStringLiteral("progrspoud_ID"), double(programme));
        }
        break;
    case KindDepartment:
        id = scope.department.toLongLong();
        break;
    case KindDepartmentById:
        id = code(QStringLiteral("course"), Table::Course, scope.department, ErrNoCourse,
                  {scope.department});
        object.insert(QStringLiteral("courseID"), double(id));
        object.insert(QStringLiteral("secobjID"), scope.department);
        break;
    default:
        break;
    }
    object.insert(QStringLiteral("objID"), double(id));
    return object;
}

int namedIn(const QJsonObject &root, const QString &member, int (*of)(const QString &),
            const QStringList &names, const Faults &faults)
{
    const QString name = root.value(member).toString();
    const int id = of(name);
    if (id == 0) {
        if (!root.contains(member))
            faults.at(member, QString(), QString(), ErrMissing, {member});
        faults.at(member, QString(), QString(), ErrNotOneOf, {name, quoted(names)});
    }
    return id;
}

RequirementFile readReadable(const QByteArray &json, const QJsonObject &root, SetFileCodes &codes)
{
    const JsonLines lines(json);
    const Faults faults{lines};
    for (auto it = root.constBegin(); it != root.constEnd(); ++it)
        if (!headMembers().contains(it.key()))
            faults.at(it.key(), QString(), QString(), ErrNotOneOf,
                      {it.key(), quoted(headMembers())});

    QStringList kinds, contexts;
    for (int kind : {1, 3, 4, 8, 11, 13, 14})
        kinds << KindFileName(kind);
    for (int context = CtxProgrammeEntry; context <= CtxTextbooks; ++context)
        contexts << ContextFileName(context);
    const int kind = namedIn(root, QStringLiteral("appliesTo"), KindOfFileName, kinds, faults);
    const int context =
        namedIn(root, QStringLiteral("context"), ContextOfFileName, contexts, faults);
    Scope scope{codes, {}, {}};
    const QJsonObject object = readObject(root, kind, context, scope, faults);

    const QJsonValue list = root.value(Requirements);
    if (!list.isArray())
        faults.at(Requirements, QString(), QString(), list.isUndefined() ? ErrMissing : ErrNotList,
                  {Requirements});
    const QJsonArray requirements = list.toArray();

    // Types and labels first: a requirement's label names it in every message after.
    QList<int> types;
    for (qsizetype i = 0; i < requirements.size(); ++i) {
        const QString path = Requirements + QLatin1Char('/') + QString::number(i);
        const QJsonObject r = requirements.at(i).toObject();
        if (!requirements.at(i).isObject())
            faults.at(path, QString(), QString(), ErrNotOneOf,
                      {inlineJson(requirements.at(i)), QStringLiteral("{…}")});
        const int type = TypeOfFileName(r.value(QStringLiteral("type")).toString());
        if (type == 0) {
            const QString label =
                r.value(QStringLiteral("label")).toString(QStringLiteral("#%1").arg(i + 1));
            if (!r.contains(QStringLiteral("type")))
                faults.at(path, label, QString(), ErrMissing, {QStringLiteral("type")});
            faults.at(path + QStringLiteral("/type"), label, QStringLiteral("type"), ErrUnknownType,
                      {r.value(QStringLiteral("type")).toString(), quoted(TypeFileNames())});
        }
        types << type;
    }
    const QStringList defaults = defaultLabels(types);
    QStringList labels;
    QHash<QString, qint32> ids;
    QHash<QString, qsizetype> labelAt;
    QSet<qint32> givenIds;
    for (qsizetype i = 0; i < requirements.size(); ++i) {
        const QJsonObject r = requirements.at(i).toObject();
        const QString path = Requirements + QLatin1Char('/') + QString::number(i);
        const QJsonValue given = r.value(QStringLiteral("label"));
        const QString label = given.isUndefined() ? defaults.at(i) : given.toString();
        if (!given.isUndefined() && (!given.isString() || !isLabel(label)))
            faults.at(path + QStringLiteral("/label"), defaults.at(i), QStringLiteral("label"),
                      ErrNotLabel, {inlineJson(given).remove(QLatin1Char('"'))});
        if (labelAt.contains(label))
            faults.at(path + QStringLiteral("/label"), label, QStringLiteral("label"),
                      ErrLabelTwice,
                      {label, QString::number(lines.line(Requirements + QLatin1Char('/') +
                                                         QString::number(labelAt.value(label))))});
        labelAt.insert(label, i);
        labels << label;
        const QJsonValue id = r.value(QStringLiteral("id"));
        if (!id.isUndefined() &&
            (!id.isDouble() || id.toDouble() != std::floor(id.toDouble()) ||
             std::abs(id.toDouble()) > 2147483647.0 || givenIds.contains(id.toInt())))
            faults.at(path + QStringLiteral("/id"), label, QStringLiteral("id"), ErrNotCode,
                      {inlineJson(id)});
        if (!id.isUndefined())
            givenIds.insert(id.toInt());
    }
    // Requirements without an id get ids no other requirement of the file has.
    qint32 fresh = 0;
    for (qsizetype i = 0; i < requirements.size(); ++i) {
        const QJsonValue id = requirements.at(i).toObject().value(QStringLiteral("id"));
        qint32 own = id.toInt();
        if (id.isUndefined()) {
            do
                --fresh;
            while (givenIds.contains(fresh));
            own = fresh;
        }
        ids.insert(labels.at(i), own);
    }
    const QJsonValue expression = root.value(QStringLiteral("expression"));
    if (!expression.isUndefined() && !expression.isString() && !expression.isNull())
        faults.at(QStringLiteral("expression"), QString(), QString(), ErrNotText, {});
    const QString eval = storedExpression(expression.toString(), ids, faults);

    QJsonArray rows;
    QList<RequirementPlace> places;
    for (qsizetype i = 0; i < requirements.size(); ++i) {
        const QJsonObject r = requirements.at(i).toObject();
        const QString path = Requirements + QLatin1Char('/') + QString::number(i);
        const QList<FileParameter> parameters = FileParameters(types.at(i), context);
        QJsonObject row{
            {QStringLiteral("ocID"), double(ids.value(labels.at(i)))},
            {QStringLiteral("conID"), double(types.at(i))},
            {QStringLiteral("contypeID"), double(context)},
            {QStringLiteral("conobject"), double(kind)},
            {QStringLiteral("objID"), object.value(QStringLiteral("objID"))},
            {QStringLiteral("coneval"), eval.isEmpty() ? QJsonValue() : QJsonValue(eval)},
            {QStringLiteral("conlabel"),
             labels.at(i) == defaults.at(i) ? QJsonValue() : labels.at(i)}};
        if (object.contains(QStringLiteral("secobjID")))
            row.insert(QStringLiteral("secobjID"), object.value(QStringLiteral("secobjID")));
        for (auto it = r.constBegin(); it != r.constEnd(); ++it) {
            const QString name = it.key();
            if (name == QLatin1String("label") || name == QLatin1String("id") ||
                name == QLatin1String("type"))
                continue;
            const auto fail = [&](qint32 number, const QStringList &params) {
                faults.at(path + QLatin1Char('/') + name, labels.at(i), name, number, params);
            };
            const auto p = std::find_if(parameters.cbegin(), parameters.cend(),
                                        [&](const FileParameter &f) { return f.name == name; });
            if (p != parameters.cend()) {
                if (!it.value().isNull())
                    row.insert(p->row.field, stored(*p, it.value(), scope, fail));
                continue;
            }
            // A value the type's sheet does not show keeps its field's name.
            const bool shown =
                std::any_of(parameters.cbegin(), parameters.cend(),
                            [&](const FileParameter &f) { return f.row.field == name; });
            if (valueFields().contains(name) && !shown) {
                if (!it.value().isString() && !it.value().isNull())
                    fail(ErrNotText, {});
                row.insert(name, it.value());
                continue;
            }
            QStringList names;
            for (const FileParameter &f : parameters)
                names << f.name;
            fail(ErrNoSuchField, {TypeFileName(types.at(i)), quoted(names)});
        }
        RequirementPlace place{labels.at(i), lines.line(path), {}};
        for (const FileParameter &p : parameters)
            if (r.contains(p.name))
                place.fields.insert(p.row.field,
                                    {p.name, lines.line(path + QLatin1Char('/') + p.name)});
        places.append(place);
        if (row.value(QStringLiteral("conoperator")).isString())
            row.insert(QStringLiteral("conoperator"),
                       row.value(QStringLiteral("conoperator")).toString().toDouble());
        rows.append(row);
    }

    QJsonObject first{{QStringLiteral("format"), RequirementFile::formatName()},
                      {QStringLiteral("AppliesTo"), kind},
                      {QStringLiteral("ConstrType"), context},
                      {QStringLiteral("object"), object},
                      {QStringLiteral("rows"), rows}};
    if (root.value(QStringLiteral("version")).isDouble())
        first.insert(QStringLiteral("version"), root.value(QStringLiteral("version")));
    RequirementFile file = ReadRequirementFile(QJsonDocument(first).toJson(QJsonDocument::Compact));
    file.places = places;
    return file;
}

} // namespace

QString ReadableSetFormatName()
{
    return QStringLiteral("zrreq-requirements/2");
}

QByteArray WriteReadableSetFile(const RequirementFile &file, SetFileCodes &codes)
{
    const QVariantMap &object = file.object;
    const QString department =
        object.value(QStringLiteral("depID"), object.value(QStringLiteral("department_ID")))
            .toString();
    Scope scope{codes, department,
                object.value(QStringLiteral("prID"), object.value(QStringLiteral("progrspoud_ID")))
                    .toString()};
    const auto coded = [&](Table table, const QVariant &id) {
        return codeOf(table, id.toString(), scope);
    };
    Members head{{QStringLiteral("format"), ReadableSetFormatName()},
                 {QStringLiteral("appliesTo"), KindFileName(file.objectKind)},
                 {QStringLiteral("context"), ContextFileName(file.context)},
                 {QStringLiteral("department"), department}};
    const QVariant secondary = object.value(QStringLiteral("secobjID"));
    switch (file.objectKind) {
    case KindProgramme:
    case KindProgramme3:
    case KindProgramme4:
    case KindStudentProgramme:
        head.append({QStringLiteral("programme"), coded(Table::Programme, scope.programme)});
        if (file.objectKind == KindProgramme && file.curriculumId() != 0)
            head.append(
                {QStringLiteral("curriculum"), coded(Table::Curriculum, file.curriculumId())});
        if (file.objectKind == KindProgramme3)
            head.append({QStringLiteral("group"), coded(Table::CourseGroup, secondary)});
        if (file.objectKind == KindProgramme4)
            head.append({QStringLiteral("course"), courseOf(secondary.toString(), scope)});
        break;
    case KindStudent:
        head.append({QStringLiteral("student"),
                     coded(Table::Student, object.value(QStringLiteral("student_ID")))});
        if (!scope.programme.isEmpty())
            head.append({QStringLiteral("programme"), coded(Table::Programme, scope.programme)});
        break;
    case KindDepartmentById:
        head.append({QStringLiteral("course"),
                     courseOf(object.value(QStringLiteral("courseID")).toString(), scope)});
        break;
    default:
        break;
    }
    if (object.contains(QStringLiteral("title")))
        head.append({QStringLiteral("title"), object.value(QStringLiteral("title")).toString()});
    if (file.version >= 0)
        head.append({QStringLiteral("version"), double(file.version)});

    Recordset rows = file.rows.clone();
    QList<int> types;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
        types << int(ValLng(rows.value(u"conID")));
    const QStringList defaults = defaultLabels(types);
    QHash<qint32, QString> labelOf;
    QSet<QString> used;
    QStringList requirements;
    int at = 0;
    QString expression;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext(), ++at) {
        const int type = types.at(at);
        const QString own = rows.hasField(u"conlabel") ? NzStr(rows.value(u"conlabel")) : QString();
        QString label = own.isEmpty() ? defaults.at(at) : own;
        for (int n = 2; used.contains(label); ++n)
            label = (own.isEmpty() ? defaults.at(at) : own) + QLatin1Char('-') + QString::number(n);
        used.insert(label);
        const qint32 id = ValLng(rows.value(u"ocID"));
        labelOf.insert(id, label);
        expression = NzStr(rows.value(u"coneval"));

        Members members{{QStringLiteral("label"), label}};
        if (id > 0)
            members.append({QStringLiteral("id"), double(id)});
        members.append({QStringLiteral("type"), TypeFileName(type)});
        const QList<FileParameter> parameters = FileParameters(type, file.context);
        for (const FileParameter &p : parameters) {
            const QVariant value = rows.value(p.row.field);
            if (value.isNull())
                continue;
            const QString text = value.toString();
            QJsonValue shown = written(p, text, scope);
            // What does not read back as it was stored is written as stored, so that nothing
            // changes.
            const auto keep = [](qint32, const QStringList &) { throw false; };
            try {
                if (stored(p, shown, scope, keep) != text)
                    shown = text;
            } catch (bool) {
                shown = text;
            }
            members.append({p.name, shown});
        }
        for (const QString &field : valueFields()) {
            const QVariant value = rows.value(field);
            const bool shown =
                std::any_of(parameters.cbegin(), parameters.cend(),
                            [&](const FileParameter &p) { return p.row.field == field; });
            if (!shown && !value.isNull())
                members.append({field, value.toString()});
        }
        requirements << objectText(members, QStringLiteral("        "));
    }

    // The expression in labels, spaced as it was stored.
    QString readable;
    qsizetype last = 0;
    for (const expression::Token &token : expression::tokenize(expression)) {
        readable += expression.mid(last, token.position - last);
        const QString text = expression.mid(token.position, token.length);
        switch (token.kind) {
        case expression::TokenKind::Operand:
            readable += labelOf.value(token.id, text);
            break;
        case expression::TokenKind::And:
        case expression::TokenKind::Or:
        case expression::TokenKind::Not:
            readable += text.toLower();
            break;
        default:
            readable += text;
            break;
        }
        last = token.position + token.length;
    }
    readable += expression.mid(last);
    head.append({QStringLiteral("expression"), readable});

    QString text = objectText(head, QString());
    text.chop(2); // the closing "\n}"
    text += QStringLiteral(",\n    \"requirements\": [");
    text += requirements.isEmpty() ? QStringLiteral("]\n}\n")
                                   : QLatin1Char('\n') + requirements.join(QStringLiteral(",\n")) +
                                         QStringLiteral("\n    ]\n}\n");
    return text.toUtf8();
}

RequirementFile ReadSetFile(const QByteArray &json, SetFileCodes &codes)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        const ZrError error = MakeError(
            ErrBadJson, Source, {parseError.errorString(), QString::number(parseError.offset)});
        throw ZrError(ErrBadJson, Source,
                      ReplaceParams(GetLangString(StrLineFault),
                                    {QString::number(JsonLines::lineAt(json, parseError.offset)),
                                     error.description}));
    }
    const QString format = doc.object().value(QStringLiteral("format")).toString();
    // Neither format: the message names both.
    if (format != ReadableSetFormatName() && format != RequirementFile::formatName())
        throw MakeError(
            ErrWrongFormat, Source,
            {ReadableSetFormatName() + QStringLiteral("» / «") + RequirementFile::formatName()});
    if (format != ReadableSetFormatName())
        return ReadRequirementFile(json);
    return readReadable(json, doc.object(), codes);
}

ZrError PlacedInFile(const RequirementFile &file, int row, const QString &field,
                     const ZrError &error)
{
    if (row < 0 || row >= file.places.size())
        return error;
    const RequirementPlace &place = file.places.at(row);
    const auto named = place.fields.constFind(field);
    return ZrError(
        error.number, error.source,
        named == place.fields.constEnd()
            ? ReplaceParams(GetLangString(StrRequirementFault),
                            {QString::number(place.line), place.label, error.description})
            : ReplaceParams(
                  GetLangString(StrFieldFault),
                  {QString::number(named->second), place.label, named->first, error.description}));
}

RequirementFile ReadSetFile(const QString &path, SetFileCodes &codes)
{
    return ReadSetFile(ReadSetFileBytes(path), codes);
}

} // namespace zr
