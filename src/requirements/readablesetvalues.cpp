#include "readablesetvalues.h"

#include "common/systemnumber.h"
#include "reqtypes/coursetypetotals.h"
#include "reqtypes/customoptions.h"
#include "reqtypes/requirementvalue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>

namespace zr::readable {

namespace {

using Table = SetFileCodes::Table;
const QString All = QStringLiteral("all");

QJsonValue numberOrText(const QString &stored)
{
    double number = 0;
    if (ReadSystemNumber(stored, &number) && FormatSystemNumber(number) == stored)
        return number;
    return stored;
}

QJsonValue wholeOrText(const QString &text)
{
    return isWhole(text) ? QJsonValue(text.toDouble()) : QJsonValue(text);
}

} // namespace

bool isWhole(const QString &text)
{
    static const QRegularExpression whole(QStringLiteral("^-?\\d{1,18}$"));
    return whole.match(text).hasMatch();
}

QString quoted(const QStringList &names)
{
    return QStringLiteral("«") + names.join(QStringLiteral("», «")) + QStringLiteral("»");
}

QStringList choiceNames(const ParameterRow &row)
{
    QStringList names;
    for (const FixedChoice &choice : row.choices)
        names << ChoiceFileName(choice);
    return names;
}

QString textOf(const QJsonValue &value)
{
    return value.isDouble() ? FormatSystemNumber(value.toDouble()) : value.toString();
}

// One line of JSON: members in the order given, lists and small objects on the line.
QString inlineJson(const QJsonValue &value)
{
    if (value.isArray()) {
        QStringList items;
        for (const QJsonValue &item : value.toArray())
            items << inlineJson(item);
        return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    if (value.isObject()) {
        QStringList members;
        const QJsonObject object = value.toObject();
        for (auto it = object.constBegin(); it != object.constEnd(); ++it)
            members << inlineJson(it.key()) + QStringLiteral(": ") + inlineJson(it.value());
        return QLatin1Char('{') + members.join(QStringLiteral(", ")) + QLatin1Char('}');
    }
    const QByteArray one = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(one.mid(1, one.size() - 2));
}

QJsonValue courseOf(const QString &id, Scope &scope)
{
    if (!isWhole(id))
        return id;
    QString department;
    const QString code = scope.codes.codeOf(Table::Course, id.toLongLong(), &department);
    if (code.isEmpty())
        return id.toDouble();
    if (department == scope.department)
        return code;
    return QJsonObject{{QStringLiteral("department"), department}, {QStringLiteral("code"), code}};
}

QJsonValue codeOf(Table table, const QString &id, Scope &scope)
{
    if (!isWhole(id))
        return id;
    const QString code = scope.codes.codeOf(table, id.toLongLong());
    return code.isEmpty() ? QJsonValue(id.toDouble()) : QJsonValue(code);
}

QJsonValue written(const FileParameter &p, const QString &stored, Scope &scope)
{
    const QStringList items = stored.isEmpty() ? QStringList() : stored.split(QLatin1Char(','));
    QJsonArray list;
    switch (p.form) {
    case FileValueForm::Text:
        return stored;
    case FileValueForm::Number:
        return numberOrText(stored);
    case FileValueForm::Choice:
        for (const FixedChoice &choice : p.row.choices)
            if (choice.code == stored)
                return ChoiceFileName(choice);
        return wholeOrText(stored);
    case FileValueForm::CodeOrAll:
        return stored == QLatin1String("-1") ? QJsonValue(All) : wholeOrText(stored);
    case FileValueForm::Codes:
        for (const QString &item : items)
            list << (item == QLatin1String("-1") && p.row.codes.withAll ? QJsonValue(All)
                                                                        : wholeOrText(item));
        return list;
    case FileValueForm::Semesters:
        for (const QString &item : items)
            list << (item == QLatin1String("-1") ? QJsonValue(All)
                                                 : codeOf(Table::Semester, item, scope));
        return list;
    case FileValueForm::Groups:
        for (const QString &item : items)
            list << codeOf(Table::CourseGroup, item, scope);
        return list;
    case FileValueForm::Courses:
        for (const QString &item : items)
            list << courseOf(item, scope);
        return list;
    case FileValueForm::TypeTotals:
        for (const CourseTypeTotal &total : ParseCourseTypeTotals(stored))
            list << QJsonObject{
                {QStringLiteral("courseType"), total.typeId == AllCourseTypesId
                                                   ? QJsonValue(All)
                                                   : QJsonValue(double(total.typeId))},
                {QStringLiteral("count"), total.count}};
        return list;
    case FileValueForm::SemesterLimits: {
        const CustomOptions options = CustomOptions::decode(30, stored);
        QJsonObject limits;
        const QStringList names = SemesterLimitFileNames();
        for (int i = 0; i < options.entries().size() && i < names.size(); ++i) {
            const QString text = options.value(options.entries().at(i).key).toString();
            if (!text.isEmpty())
                limits.insert(names.at(i), wholeOrText(text));
        }
        return limits;
    }
    case FileValueForm::Flags: {
        const qint32 flags = FlagsOf(stored);
        const QStringList names = FlagFileNames();
        for (int bit = 0; bit < names.size(); ++bit)
            if (flags & (1 << bit))
                list << names.at(bit);
        return list;
    }
    }
    return stored;
}

QString stored(const FileParameter &p, const QJsonValue &value, Scope &scope, const Fail &fail)
{
    const auto listOf = [&](const auto &item) {
        // A list's stored text may be given as it is, as a text.
        if (value.isString())
            return value.toString();
        if (!value.isArray())
            fail(ErrNotList, {});
        QStringList items;
        for (const QJsonValue &entry : value.toArray())
            items << item(entry);
        return items.join(QLatin1Char(','));
    };
    const auto whole = [&](const QJsonValue &entry, bool all) {
        if (all && entry.toString() == All)
            return QStringLiteral("-1");
        if (entry.isDouble() && isWhole(QString::number(entry.toDouble(), 'f', 0)) &&
            entry.toDouble() == std::floor(entry.toDouble()))
            return QString::number(qint64(entry.toDouble()));
        fail(ErrNotCode, {inlineJson(entry)});
        return QString();
    };
    const auto coded = [&](const QJsonValue &entry, Table table, const QString &within,
                           qint32 missing, const QStringList &also) {
        if (entry.isDouble())
            return whole(entry, false);
        if (!entry.isString())
            fail(ErrNotTextCode, {inlineJson(entry)});
        const std::optional<qint64> id = scope.codes.idOf(table, entry.toString(), within);
        if (!id)
            fail(missing, QStringList{entry.toString()} + also);
        return QString::number(*id);
    };

    switch (p.form) {
    case FileValueForm::Text:
        if (!value.isString() && !value.isDouble())
            fail(ErrNotText, {});
        return textOf(value);
    case FileValueForm::Number:
        if (!value.isString() && !value.isDouble())
            fail(ErrNotNumber, {});
        return textOf(value);
    case FileValueForm::Choice: {
        for (const FixedChoice &choice : p.row.choices)
            if (value.toString() == ChoiceFileName(choice) ||
                (value.isString() && value.toString() == choice.code))
                return choice.code;
        if (value.isDouble())
            return whole(value, false);
        fail(ErrNotOneOf, {inlineJson(value).remove(QLatin1Char('"')), quoted(choiceNames(p.row))});
        return QString();
    }
    case FileValueForm::CodeOrAll:
        return whole(value, true);
    case FileValueForm::Codes:
        return listOf([&](const QJsonValue &entry) { return whole(entry, p.row.codes.withAll); });
    case FileValueForm::Semesters:
        return listOf([&](const QJsonValue &entry) {
            return entry.toString() == All
                       ? QStringLiteral("-1")
                       : coded(entry, Table::Semester, QString(), ErrNoSemester, {});
        });
    case FileValueForm::Groups:
        return listOf([&](const QJsonValue &entry) {
            return coded(entry, Table::CourseGroup, scope.programme, ErrNoGroup, {});
        });
    case FileValueForm::Courses:
        return listOf([&](const QJsonValue &entry) {
            if (!entry.isObject())
                return coded(entry, Table::Course, scope.department, ErrNoCourse,
                             {scope.department});
            const QJsonObject course = entry.toObject();
            const QString department = course.value(QStringLiteral("department")).toString();
            if (course.size() != 2 || department.isEmpty() ||
                !course.value(QStringLiteral("code")).isString())
                fail(ErrNotCourse, {inlineJson(entry)});
            return coded(course.value(QStringLiteral("code")), Table::Course, department,
                         ErrNoCourse, {department});
        });
    case FileValueForm::TypeTotals: {
        if (value.isString())
            return value.toString();
        if (!value.isArray())
            fail(ErrNotList, {});
        QStringList items;
        for (const QJsonValue &entry : value.toArray()) {
            const QJsonObject total = entry.toObject();
            const QJsonValue count = total.value(QStringLiteral("count"));
            if (!entry.isObject() || total.size() != 2 || !(count.isDouble() || count.isString()))
                fail(ErrNotTotals, {inlineJson(entry)});
            items << whole(total.value(QStringLiteral("courseType")), true) + QLatin1Char(';') +
                         textOf(count);
        }
        return items.join(QLatin1Char('#'));
    }
    case FileValueForm::SemesterLimits: {
        if (value.isString())
            return value.toString();
        if (!value.isObject())
            fail(ErrNotOneOf, {inlineJson(value), quoted(SemesterLimitFileNames())});
        CustomOptions options(30);
        const QJsonObject limits = value.toObject();
        const QStringList names = SemesterLimitFileNames();
        for (auto it = limits.constBegin(); it != limits.constEnd(); ++it) {
            const qsizetype at = names.indexOf(it.key());
            if (at < 0)
                fail(ErrNotOneOf, {it.key(), quoted(names)});
            options.setValue(options.entries().at(at).key, whole(it.value(), false),
                             CustomOptions::Interlock::Skip);
        }
        return options.encode();
    }
    case FileValueForm::Flags: {
        if (value.isString() || value.isDouble())
            return textOf(value);
        if (!value.isArray())
            fail(ErrNotList, {});
        qint32 flags = 0;
        const QStringList names = FlagFileNames();
        for (const QJsonValue &entry : value.toArray()) {
            const qsizetype bit = names.indexOf(entry.toString());
            if (bit < 0)
                fail(ErrNotOneOf, {inlineJson(entry).remove(QLatin1Char('"')), quoted(names)});
            flags |= 1 << bit;
        }
        return QString::number(flags);
    }
    }
    return QString();
}

} // namespace zr::readable
