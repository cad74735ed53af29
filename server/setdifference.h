#pragma once

#include "zrsvr_export.h"
#include "setchangesummary.h"
#include "setversionstore.h"
#include "recordset/lookupcache.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/requirementvalue.h"

#include <QList>
#include <functional>
#include <optional>
#include <QString>
#include <QStringList>

namespace zr::server {

class Database;

/// The code tables of a database, for naming the values of the requirements
/// of one set (the set's context, object kind and programme).
class ZRSVR_EXPORT SetNaming
{
public:
    SetNaming(Database &db, const QString &key, const QString &source);
    SetNaming(const SetNaming &) = delete;
    SetNaming &operator=(const SetNaming &) = delete;
    const SheetContext &sheet() const { return m_sheet; }

private:
    LookupCache m_lookups;
    SheetContext m_sheet;
};

/// How a set names one of its requirements to a reader: "(46) Course Type".
ZRSVR_EXPORT QString RequirementCaption(qint32 ocID, const QVariant &typeId, const QString &label = QString());
/// The caption of row `row` (0-based) of a requirement recordset, with the label it was given.
ZRSVR_EXPORT QString RequirementCaptionAt(const Recordset &rows, int row);
/// The expression of `set` (the same on every row) with each requirement by its caption:
/// "[(46) Course Type] AND ([(47) Course group] OR [(48) Complete Projects])".
ZRSVR_EXPORT QString ReadableExpression(const Recordset &set);

/// A requirement one version has and the other lacks.
struct RequirementLine
{
    qint32 ocID = 0;
    QString caption;      ///< its type's name
    QString description;  ///< what it asks, as the stored description says it
};

/// A requirement both versions have, with the fields that differ.
struct RequirementFieldChanges
{
    qint32 ocID = 0;
    QString caption;
    QStringList fields;       ///< "label: old → new", in the order of its sheet
    QString firstInOneLine;   ///< its first field change naming the requirement
};

/// The difference between two versions of a set at requirement level, in
/// words a registrar reads. Requirements are known by their ids.
struct ZRSVR_EXPORT SetDifference
{
    QList<RequirementLine> added;
    QList<RequirementFieldChanges> changed;
    QList<RequirementLine> removed;
    /// The expression of each version in display form (requirements by caption).
    QString expressionBefore;
    QString expressionAfter;

    bool isEmpty() const;
    /// What a one-line summary counts of it.
    SetChangeCounts counts() const;
    /// The difference one statement a line: added, removed, changed fields
    /// under their requirement, then the expression before and after when it changed.
    QStringList lines() const;
};

/// The difference from the requirement rows `before` to the rows `after`
/// (two versions of the set `key`).
ZRSVR_EXPORT SetDifference CompareSets(Database &db, const QString &key, const Recordset &before,
                                       const Recordset &after, const QString &source);

/// The difference from version `from` to version `to` of the requirement set
/// `key`. Throws ZrError 64001 for a version that is not kept.
ZRSVR_EXPORT SetDifference CompareVersions(Database &db, const QString &key, qint64 from, qint64 to,
                                           const QString &source);

/// What changed from version `from` to version `to` of `key`, one statement a line: of a
/// requirement set as CompareVersions says it, of an exception list who was excepted and who no
/// longer is (ExceptionListDifference). Throws ZrError 64001 for a version that is not kept.
ZRSVR_EXPORT QStringList VersionDifferenceLines(Database &db, const QString &key, qint64 from, qint64 to,
                                                const QString &source);

/// The line a kept version of set `key` says about its save, in the current language: the
/// counts and the first changed field the save kept as data, worded with the names of `sheet`
/// (asked only when a field is to be worded); a line an earlier version kept in words as it stands.
ZRSVR_EXPORT QString KeptSummaryText(const QString &kept, const QString &key,
                                     const std::function<const SheetContext &()> &sheet);
/// The versions of `key` a reader can open (SetVersionStore::listed), each line worded as above.
ZRSVR_EXPORT QList<KeptVersion> ReadableHistory(Database &db, const QString &key, const QString &source);

/// The field changes of the requirements one save changes, set by set, for
/// the summary its kept version gets: every changed field is counted, the
/// first of a set is worded. Names are looked up only for that one.
class ZRSVR_EXPORT SavedChangeWording
{
public:
    SavedChangeWording(Database &db, const QString &source) : m_db(db), m_source(source) {}
    /// Adds the requirement on the cursor of `loaded` (as loaded: its
    /// original values) and on the cursor of `saved` (as saved) to `counts` of set `key`.
    void add(const QString &key, const Recordset &loaded, const Recordset &saved, SetChangeCounts &counts);

private:
    // The requirement on the cursor of `rows`: its original values or its current ones.
    RequirementValue valueOnCursor(const Recordset &rows, bool original, int context);

    Database &m_db;
    QString m_source;
    Recordset m_row;
};

} // namespace zr::server
