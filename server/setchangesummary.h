#pragma once

#include "zrsvr_export.h"
#include "recordset/recordset.h"

#include <QString>
#include <QVariant>

#include <optional>

namespace zr::server {

/// What one save changed in one set: requirements (or students of an
/// exception list) added, removed and changed, and whether the expression changed.
struct SetChangeCounts
{
    int added = 0;
    int removed = 0;
    int changed = 0;
    bool expressionChanged = false;
    /// The changes of the changed requirements: each changed field, or one
    /// for a requirement whose sheet fields are all the same.
    int fieldChanges = 0;
    /// The first changed field, naming its requirement ("Τιμή1 of Τύπος
    /// μαθήματος 240 → 300"); empty when no field is worded.
    QString firstChange{};
    /// That field as data: the requirement's type, the field and its stored values before and
    /// after; type 0 when there is none. The history keeps this and words it when it is read.
    int firstType = 0;
    QString firstField{};
    QVariant firstBefore{};
    QVariant firstAfter{};
};

/// The one line a kept version says about the save that made it, in the
/// current language: "2 added, 1 removed, Τιμή1 of Τύπος μαθήματος 240 → 300";
/// with more changes the first is named and the rest counted ("... 240 → 300
/// (+3 more)"); without a worded change, the changed requirements counted.
ZRSVR_EXPORT QString ChangeCountSummary(const SetChangeCounts &counts);

/// The counts as the history keeps them: data (JSON), worded when read, in the reader's language.
ZRSVR_EXPORT QString EncodeChangeCounts(const SetChangeCounts &counts);
/// Counts kept by EncodeChangeCounts; nothing for a summary kept as words.
ZRSVR_EXPORT std::optional<SetChangeCounts> DecodeChangeCounts(const QString &kept);

/// Whether a requirement changed between its loaded and its saved values, in
/// what it says about the requirement: its id, the set's expression (counted
/// once for the set) and the stamp every write renews are not compared, nor
/// a number read back as the same text.
class ZRSVR_EXPORT RequirementComparison
{
public:
    /// Compares the fields of `rows` (and of every recordset with the same fields).
    explicit RequirementComparison(const Recordset &rows);
    /// True when the current row of `saved` differs from the current row of
    /// `loaded` as it was loaded (its original values): the same row edited,
    /// or a row deleted and one added again under its id.
    bool changed(const Recordset &loaded, const Recordset &saved) const;

private:
    QList<int> m_fields;
};

} // namespace zr::server
