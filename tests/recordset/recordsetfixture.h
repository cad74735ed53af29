#pragma once

// Recordsets the recordset utilities and the widget fillers are tried on.

#include "recordset/recordset.h"

#include <QDateTime>
#include <QStringList>

namespace zr::testing {

// A source as the server hands it over: keys, texts, system columns with
// values, a chapter, a precision, and one deleted row that must not be copied.
inline Recordset sourceRows()
{
    Field grade = makeField(QStringLiteral("grade"), adNumeric, 19, adFldUpdatable, 5);
    Recordset rs({makeField(QStringLiteral("ID"), adInteger, 4, adFldKeyColumn),
                  makeField(QStringLiteral("a"), adVarWChar, 10),
                  makeField(QStringLiteral("b"), adVarWChar, 10),
                  makeField(QStringLiteral("RowGuid"), adVarWChar, 38),
                  makeField(QStringLiteral("ModifiedDate"), adDate),
                  makeField(QStringLiteral("kids"), adChapter),
                  grade,
                  makeField(QStringLiteral("title"), adVarWChar, 100)});
    const char *titles[] = {"Άλγεβρα", "Ανάλυση", "Φυσική", "Σβησμένο"};
    for (int i = 0; i < 4; ++i) {
        rs.addNew();
        rs.setValue(u"ID", i + 1);
        rs.setValue(u"a", QStringLiteral("a%1").arg(i + 1));
        rs.setValue(u"b", i == 1 ? QVariant() : QVariant(QStringLiteral("b%1").arg(i + 1)));
        rs.setValue(u"RowGuid", QStringLiteral("{0000-%1}").arg(i));
        rs.setValue(u"ModifiedDate", QDateTime(QDate(2024, 1, 1), QTime(12, 0)));
        rs.setChapter(u"kids", Recordset({makeField(QStringLiteral("x"), adInteger)}));
        rs.setValue(u"grade", 7.5 + i);
        rs.setValue(u"title", QString::fromUtf8(titles[i]));
    }
    rs.updateBatch();
    rs.deleteCurrent();
    rs.moveFirst();
    return rs;
}

inline QStringList namesOf(const Recordset &rs)
{
    QStringList names;
    for (const Field &f : rs.fields())
        names << f.name;
    return names;
}

inline QStringList column(Recordset rs, const QString &field)
{
    QStringList out;
    Recordset walker = rs.clone();
    for (walker.moveFirst(); !walker.eof(); walker.moveNext())
        out << (walker.value(field).isNull() ? QStringLiteral("<null>") : walker.value(field).toString());
    return out;
}

inline Recordset groups()
{
    Recordset rs({makeField(QStringLiteral("dgID"), adInteger), makeField(QStringLiteral("groupID"), adVarWChar, 10),
                  makeField(QStringLiteral("dgname"), adVarWChar, 50), makeField(QStringLiteral("code"), adVarWChar, 10)});
    const struct { int id; const char *group; const char *name; const char *code; } rows[] = {
        {1, "Α1", "Υποχρεωτικά", "ΠΛΗ10"}, {2, "Β2", "Επιλογής", "O'K"}, {3, "Γ3", nullptr, "010"},
        {10, "Δ10", "Ελεύθερα", "10"}, {4, "Ε4", "Σβησμένη", "X"}};
    for (const auto &r : rows) {
        rs.addNew();
        rs.setValue(u"dgID", r.id);
        rs.setValue(u"groupID", QString::fromUtf8(r.group));
        rs.setValue(u"dgname", r.name ? QVariant(QString::fromUtf8(r.name)) : QVariant());
        rs.setValue(u"code", QString::fromUtf8(r.code));
    }
    rs.updateBatch();
    rs.deleteCurrent();
    rs.moveFirst();
    return rs;
}

} // namespace zr::testing
