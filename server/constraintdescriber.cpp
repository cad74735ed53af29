#include "constraintdescriber.h"

#include "recordset/lookupcache.h"

#include "database.h"
#include "common/langstrings.h"
#include "reqtypes/sheetchoices.h"
#include "reqtypes/typecatalog.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace zr::server {

namespace {

QString text(const Recordset &row, const char *field)
{
    const QVariant v = row.value(QString::fromLatin1(field));
    return v.isNull() ? QString() : v.toString().trimmed();
}

QString phrase(qint32 id, const QString &value = QString())
{
    return value.isNull() ? GetLangString(id) : ReplaceParams(GetLangString(id), {value});
}

// Comparisons read as symbols in either language; the others as words.
QString operatorText(int op)
{
    switch (op) {
    case 0: return QStringLiteral("=");
    case 1: return GetLangString(20045);
    case 2: return QStringLiteral("≠");
    case 3: return QStringLiteral(">");
    case 4: return QStringLiteral("<");
    case 5: return GetLangString(20051);
    case 6: return GetLangString(20052);
    case 7: return GetLangString(61554);
    case 8: return QStringLiteral("≥");
    case 9: return QStringLiteral("≤");
    }
    return QString();
}

QString valueText(int op, const QString &v1, const QString &v2)
{
    if (op == 5)
        return ReplaceParams(GetLangString(61553), {v1, v2});
    return operatorText(op) + QLatin1Char(' ') + v1;
}

// What a total counts, as the editor's "total to" row names it.
QString totalText(int conID, const QString &code)
{
    for (const FixedChoice &choice : TotalChoices(conID, 103))
        if (choice.code == code)
            return GetLangString(choice.textId);
    return QString();
}

} // namespace

ConstraintDescriber::ConstraintDescriber(Database &db) : m_db(db) {}

const QHash<QString, QString> &ConstraintDescriber::lookup(const QString &table, const QString &textTemplate)
{
    const QString key = table + QLatin1Char('|') + textTemplate;
    auto it = m_lookups.find(key);
    if (it != m_lookups.end())
        return *it;
    QHash<QString, QString> map;
    const SchemaTable &t = m_db.knownTable(table, QStringLiteral("zrQEMSvr.Describe"));
    // The template names columns between % signs, as the pickers show them.
    static const QRegularExpression field(QStringLiteral("%(\\w+)%"));
    QStringList columns{t.keyColumn};
    for (auto m = field.globalMatch(textTemplate); m.hasNext();)
        columns.append(m.next().captured(1));
    QSqlQuery &q = m_db.exec(QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ")
                                 + t.name,
                             {}, QStringLiteral("zrQEMSvr.Describe"));
    while (q.next()) {
        QString out = textTemplate;
        for (int i = 1; i < columns.size(); ++i)
            out.replace(QLatin1Char('%') + columns.at(i) + QLatin1Char('%'), q.value(i).toString());
        map.insert(q.value(0).toString(), out);
    }
    q.finish();
    return *m_lookups.insert(key, map);
}

QString ConstraintDescriber::names(const QString &table, const QString &codes, const QString &textTemplate)
{
    if (codes.isEmpty())
        return QStringLiteral("-");
    const QHash<QString, QString> &map = lookup(table, textTemplate);
    QStringList out;
    for (const QString &code : codes.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString c = code.trimmed();
        if (c == QLatin1String("-1"))
            out.append(GetLangString(20714));
        else
            out.append(map.value(c, c));
    }
    return out.join(QStringLiteral(", "));
}

QString ConstraintDescriber::courses(const QString &codes)
{
    return names(QStringLiteral("QEMCourses"), codes, QStringLiteral("[%coursecode%] %title%"));
}

QString ConstraintDescriber::studentValue(const QString &column, const QString &value)
{
    const SchemaTable &v = m_db.knownTable(QStringLiteral("v_students"), QStringLiteral("zrQEMSvr.Describe"));
    const SchemaColumn *c = v.column(column);
    if (!c || value.isEmpty() || !c->listSource.startsWith(QLatin1String("RECORDSET:")))
        return value;
    const QString table = c->listSource.mid(10);
    // The column the editor's lists show; a table they do not know, its second column.
    if (const QString text = LookupColumnsOf(table).textField; !text.isEmpty())
        return names(table, value, QLatin1Char('%') + text + QLatin1Char('%'));
    const SchemaTable *t = m_db.schema().table(table);
    if (!t || t->columns.size() < 2)
        return value;
    return names(table, value, QLatin1Char('%') + t->columns.at(1).name + QLatin1Char('%'));
}

QString ConstraintDescriber::shortName(int conID)
{
    return GetTypeName(conID, true);
}

QString ConstraintDescriber::longName(int conID)
{
    return GetTypeName(conID);
}

QString ConstraintDescriber::describe(const Recordset &row)
{
    const int conID = row.value(u"conID").toInt();
    const int op = row.value(u"conoperator").isNull() ? 0 : row.value(u"conoperator").toInt();
    const QString sel = text(row, "conselobjIDs");
    const QString v1 = text(row, "conoptval1");
    const QString v2 = text(row, "conoptval2");
    const QString amount = totalText(conID, text(row, "conoptval6")) + QLatin1Char(' ') + valueText(op, v1, v2);
    const QString grade = text(row, "conoptval3");
    QStringList parts;
    QString detail;
    switch (conID) {
    case 10: {
        const SchemaTable &v = m_db.knownTable(QStringLiteral("v_students"), QStringLiteral("zrQEMSvr.Describe"));
        const SchemaColumn *c = v.column(sel);
        detail = (c ? c->caption() : sel) + QLatin1Char(' ')
            + valueText(op, studentValue(sel, v1), studentValue(sel, v2));
        break;
    }
    case 20:
        detail = names(QStringLiteral("SYS_Dep_CourseArea"), sel, QStringLiteral("%coursearea%")) + QStringLiteral(": ")
            + amount;
        break;
    case 30: {
        parts.append(courses(sel));
        const QString min = text(row, "conoptval4");
        if (min == QLatin1String("-1"))
            parts.append(phrase(61555));
        else if (!min.isEmpty() && min != QLatin1String("0"))
            parts.append(phrase(61556, min));
        if (min != QLatin1String("-1"))
            parts.append(phrase(61557, operatorText(op) + QLatin1Char(' ') + grade));
        if (min != QLatin1String("-1") && text(row, "conoptval7") == QLatin1String("0"))
            parts.append(phrase(61567));
        break;
    }
    case 40:
        detail = names(QStringLiteral("SYS_CourseType"), sel, QStringLiteral("%ctypedesc%")) + QStringLiteral(": ")
            + amount;
        break;
    case 50:
        detail = names(QStringLiteral("QEMDPGroup"), sel, QStringLiteral("[%groupID%] %dgname%")) + QStringLiteral(": ")
            + amount;
        break;
    case 60:
        detail = (sel == QLatin1String("-1") || sel.isEmpty()
                      ? phrase(61566)
                      : names(QStringLiteral("SYS_ERGASIA_TYPE"), sel, QStringLiteral("%descr%")))
            + QStringLiteral(": ") + amount;
        break;
    case 70:
        detail = amount;
        break;
    case 80:
        parts << phrase(61558, names(QStringLiteral("SYS_semesters"), sel, QStringLiteral("%semshort%")))
              << phrase(61559, grade);
        if (!v1.isEmpty())
            parts.append(phrase(61560, v1));
        break;
    case 90:
        parts << phrase(61561, op == 5 ? v1 + QLatin1Char('-') + v2 : v1) << phrase(61559, grade);
        break;
    case 100:
        detail = courses(sel);
        break;
    case 110:
        detail = names(QStringLiteral("SYS_CourseCategory"), sel, QStringLiteral("%coursecategory%"))
            + QStringLiteral(": ") + amount;
        break;
    case 120:
        detail = names(QStringLiteral("SYS_Dep_CourseSector"), sel, QStringLiteral("%coursesector%"))
            + QStringLiteral(": ") + amount;
        break;
    case 130: {
        parts.append(courses(sel));
        const QString categories =
            names(QStringLiteral("SYS_Dep_SectionCategories"), text(row, "conoptval10"), QStringLiteral("%sectcatdescr%"));
        if (v1 == QLatin1String("-1"))
            parts.append(phrase(61562));
        else if (op == 100)
            parts.append(phrase(61563));
        else
            parts.append(phrase(op == 2 ? 61564 : 61565, categories));
        break;
    }
    default:
        break;
    }
    if (!parts.isEmpty())
        detail = parts.join(QStringLiteral(", "));
    const bool totalsCourses = conID == 20 || conID == 30 || conID == 40 || conID == 50 || conID == 110 || conID == 120;
    if (totalsCourses && text(row, "conoptval12") == QLatin1String("1"))
        detail += QStringLiteral(", ") + phrase(61568);
    const QString name = longName(conID);
    return detail.isEmpty() ? name : name + QStringLiteral(" - ") + detail;
}

} // namespace zr::server
