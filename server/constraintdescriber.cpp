#include "constraintdescriber.h"

#include "database.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace zr::server {

namespace {

QString text(const Recordset &row, const char *field)
{
    const QVariant v = row.value(QString::fromLatin1(field));
    return v.isNull() ? QString() : v.toString().trimmed();
}

QString operatorText(int op)
{
    switch (op) {
    case 0: return QStringLiteral("=");
    case 1: return QStringLiteral("περιέχει");
    case 2: return QStringLiteral("≠");
    case 3: return QStringLiteral(">");
    case 4: return QStringLiteral("<");
    case 5: return QStringLiteral("μεταξύ");
    case 6: return QStringLiteral("αρχίζει από");
    case 7: return QStringLiteral("δεν περιέχει");
    case 8: return QStringLiteral("≥");
    case 9: return QStringLiteral("≤");
    }
    return QString();
}

QString valueText(int op, const QString &v1, const QString &v2)
{
    if (op == 5)
        return QStringLiteral("μεταξύ %1 και %2").arg(v1, v2);
    return operatorText(op) + QLatin1Char(' ') + v1;
}

QString totalText(int conID, const QString &code)
{
    if (code == QLatin1String("0"))
        return QStringLiteral("Διδακτικές μονάδες");
    if (code == QLatin1String("1"))
        return conID == 60 ? QStringLiteral("Αριθμός εργασιών")
                           : conID == 70 ? QStringLiteral("Αριθμός ασκήσεων") : QStringLiteral("Αριθμός μαθημάτων");
    if (code == QLatin1String("2"))
        return QStringLiteral("Ώρες διδασκαλίας");
    if (code == QLatin1String("3"))
        return QStringLiteral("Μονάδες ECTS");
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
            out.append(QStringLiteral("Όλοι"));
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
    const SchemaTable *t = m_db.schema().table(table);
    if (!t || t->columns.size() < 2)
        return value;
    return names(table, value, QLatin1Char('%') + t->columns.at(1).name + QLatin1Char('%'));
}

QString ConstraintDescriber::shortName(int conID)
{
    return lookup(QStringLiteral("SYS_ConstraintTypes"), QStringLiteral("%conshortdesc%")).value(QString::number(conID));
}

QString ConstraintDescriber::longName(int conID)
{
    return lookup(QStringLiteral("SYS_ConstraintTypes"), QStringLiteral("%conlongdesc%")).value(QString::number(conID));
}

QString ConstraintDescriber::describe(const Recordset &row)
{
    const int conID = row.value(u"conID").toInt();
    const int op = row.value(u"conoperator").isNull() ? 0 : row.value(u"conoperator").toInt();
    const QString sel = text(row, "conselobjIDs");
    const QString v1 = text(row, "conoptval1");
    const QString v2 = text(row, "conoptval2");
    const QString total = totalText(conID, text(row, "conoptval6"));
    const QString amount = total + QLatin1Char(' ') + valueText(op, v1, v2);
    QString detail;
    switch (conID) {
    case 10: {
        const SchemaTable &v = m_db.knownTable(QStringLiteral("v_students"), QStringLiteral("zrQEMSvr.Describe"));
        const SchemaColumn *c = v.column(sel);
        detail = (c ? c->captionGreek : sel) + QLatin1Char(' ')
            + valueText(op, studentValue(sel, v1), studentValue(sel, v2));
        break;
    }
    case 20:
        detail = names(QStringLiteral("SYS_Dep_CourseArea"), sel, QStringLiteral("%coursearea%")) + QStringLiteral(": ")
            + amount;
        break;
    case 30: {
        detail = courses(sel);
        const QString min = text(row, "conoptval4");
        if (min == QLatin1String("-1"))
            detail += QStringLiteral(", κανένα περασμένο");
        else if (!min.isEmpty() && min != QLatin1String("0"))
            detail += QStringLiteral(", τουλάχιστον %1").arg(min);
        if (min != QLatin1String("-1"))
            detail += QStringLiteral(", βαθμός ") + operatorText(op) + QLatin1Char(' ') + text(row, "conoptval3");
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
                      ? QStringLiteral("Όλοι οι τύποι")
                      : names(QStringLiteral("SYS_ERGASIA_TYPE"), sel, QStringLiteral("%descr%")))
            + QStringLiteral(": ") + amount;
        break;
    case 70:
        detail = amount;
        break;
    case 80:
        detail = QStringLiteral("εξάμηνα ") + names(QStringLiteral("SYS_semesters"), sel, QStringLiteral("%semshort%"))
            + QStringLiteral(", ελάχιστη βαθμολογία ") + text(row, "conoptval3");
        if (!v1.isEmpty())
            detail += QStringLiteral(", εξεταστικές ") + v1;
        break;
    case 90:
        detail = QStringLiteral("ακαδ. έτος ") + (op == 5 ? v1 + QLatin1Char('-') + v2 : v1)
            + QStringLiteral(", ελάχιστη βαθμολογία ") + text(row, "conoptval3");
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
        detail = courses(sel);
        const QString cats = text(row, "conoptval10");
        if (text(row, "conoptval1") == QLatin1String("-1"))
            detail += QStringLiteral(", αντίστοιχη κατηγορία");
        else if (op == 100)
            detail += QStringLiteral(", διάφορη από αντίστοιχη κατηγορία");
        else
            detail += (op == 2 ? QStringLiteral(", διάφορη από ") : QStringLiteral(", μία από "))
                + names(QStringLiteral("SYS_Dep_SectionCategories"), cats, QStringLiteral("%sectcatdescr%"));
        break;
    }
    default:
        break;
    }
    const QString name = longName(conID);
    return detail.isEmpty() ? name : name + QStringLiteral(" - ") + detail;
}

} // namespace zr::server
