#pragma once

// Requirement sets written by hand in the audit's tests, each requirement the way it is stored:
// "conID=40 conselobjIDs=-1 conoptval6=3 conoperator=8 conoptval1=300".

#include "requirements/requirementfile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace zr::test {

/// The row of requirement `ocID` of programme 1, curriculum 11, written as "field=value ..." (conID first).
inline QJsonObject RequirementRow(qint32 ocID, const QString &fields)
{
    QJsonObject o{{QStringLiteral("ocID"), ocID}, {QStringLiteral("contypeID"), 103}, {QStringLiteral("conobject"), 1},
                  {QStringLiteral("objID"), 1}, {QStringLiteral("secobjID"), QStringLiteral("11")}};
    for (const QString &pair : fields.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        const QString value = pair.section(QLatin1Char('='), 1);
        if (key == QLatin1String("conID") || key == QLatin1String("conoperator"))
            o.insert(key, value.toInt());
        else
            o.insert(key, value);
    }
    return o;
}

/// The rows of the set of `requirements` (ids 1, 2 ...) in `context`, each carrying `expression`.
inline Recordset RequirementRows(const QStringList &requirements, const QString &expression = QString(),
                                 int context = 103)
{
    QJsonArray rows;
    for (int i = 0; i < requirements.size(); ++i)
        rows.append(RequirementRow(i + 1, requirements.at(i)));
    const QJsonObject file{{QStringLiteral("format"), RequirementFile::formatName()},
                           {QStringLiteral("AppliesTo"), 1},
                           {QStringLiteral("ConstrType"), context},
                           {QStringLiteral("object"), QJsonObject{{QStringLiteral("objID"), 1}}},
                           {QStringLiteral("rows"), rows}};
    RequirementFile set = ReadRequirementFile(QJsonDocument(file).toJson());
    // Written after reading, as a stored set may hold it: the file reader refuses unknown tokens itself.
    for (int i = 0; i < set.rows.recordCount(); ++i)
        set.rows.setValueAt(i, set.rows.fieldIndex(u"coneval"), expression.isEmpty() ? QVariant() : expression);
    return set.rows;
}

} // namespace zr::test
