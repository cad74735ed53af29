#pragma once

#include "zrsvr_export.h"
#include "recordset/recordset.h"
#include "common/schema.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>

namespace zr::server {

class Database;

/// What the server refuses to store in a requirement row, whoever sends it:
/// a type outside the catalogue or one the object kind cannot have (course
/// groups for a department), an operator outside the defined codes, a
/// text longer than its column or holding U+0000, an expression token too
/// large for a requirement id, and a curriculum, course group or course
/// that is not one of the programme's. Saving checks every row it writes;
/// the command line's validate and import check the same rows the same way.
class ZRSVR_EXPORT RequirementRules
{
public:
    RequirementRules(Database &db, const QString &source);

    /// Checks the current row of `rows` as it would be stored under object
    /// `objectId` and secondary key `secondary` (the row's own values, or
    /// what the save gives a row that has none). Throws ZrError ErrRowRefused
    /// naming the requirement and the fault.
    void check(const Recordset &rows, const QVariant &objectId, const QVariant &secondary);
    /// check() for every row of the hierarchical recordset `parent` that is
    /// stored in the set `key` (a row without objID or secobjID takes the
    /// parent's, as a save gives it).
    void checkSet(const Recordset &parent, const QString &key);

    /// The ids an expression names, in order; throws ErrRowRefused for a
    /// token too large for an id (it would otherwise be read as another one),
    /// naming the requirement `ocID` of type `conID` that holds it.
    QList<qint32> tokenIds(const QString &expression, const QVariant &ocID, const QVariant &conID) const;

    /// "Requirement <id> («<type>»)" for messages.
    static QString requirementLabel(const QVariant &ocID, const QVariant &conID);

private:
    // Where the fields are in the rows last checked: a save checks every row of one recordset.
    struct Shape
    {
        Recordset rows;
        int fieldCount = 0;
        int ocID = -1, conID = -1, conoperator = -1, kind = -1, context = -1, eval = -1;
        QList<QPair<int, const SchemaColumn *>> texts;  // the text columns the rows have
    };
    const Shape &shapeOf(const Recordset &rows);
    [[noreturn]] void refuse(qint32 textId, const QStringList &params) const;
    bool belongsToProgramme(qint32 kind, qint64 programme, const QString &secondary);
    bool isOffered(int type, qint32 kind, qint32 context);

    Database &m_db;
    QString m_source;
    QHash<QString, bool> m_belongs;        // "kind/programme/secondary" -> found
    QHash<qint32, QSet<int>> m_offered;    // object kind * 1000 + context -> the types it may have there
    Shape m_shape;
};

} // namespace zr::server
