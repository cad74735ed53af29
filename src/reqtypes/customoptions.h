#pragma once

#include "zrreq_export.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zr {

/// The option set a requirement type keeps in its options value.
enum class OptionSet {
    None,           ///< no options: the list is empty and the value encodes as ""
    SemesterLimits, ///< types 30 and 100: "greater;less" semester limits
    AverageFlags,   ///< types 80 and 90: five flags summed as bits
};

/// The option set of requirement type `requirementType`.
ZRREQ_EXPORT OptionSet OptionSetOf(qint32 requirementType);

/// One entry of an option set, in position order.
struct ZRREQ_EXPORT OptionEntry
{
    /// Key of the entry in the options list ("use_coeff", "excludeStudents" ...).
    QString key;
    /// String-table id of the entry's caption.
    qint32 captionId = 0;
    /// True for a check box, false for a whole-number field.
    bool isCheckBox = false;
    /// 2^(position - 1) for check boxes; 0 for number fields.
    int bit = 0;
};

/// The entries of `requirementType` in position order; empty for types without options.
ZRREQ_EXPORT QList<OptionEntry> OptionEntriesOf(qint32 requirementType);

/// The part of a stored options value that the dialog of `requirementType`
/// cannot read (a semester limit or a set of flags that is not a whole
/// number); empty when all of it reads.
ZRREQ_EXPORT QString UnreadableOptions(qint32 requirementType, const QString &stored);

/// The options of one requirement as the options dialog shows them: a text
/// per number field, a checked state and an enabled state per check box.
/// Holds the decoding of a stored value, the interlock of `use_coeff` and
/// `max_grade`, the checks made on OK and the encoding; no widget involved.
class ZRREQ_EXPORT CustomOptions
{
public:
    static constexpr char KeyGreaterThan[] = "excludePtyxStudents";
    static constexpr char KeyLessThan[] = "excludeStudents";
    static constexpr char KeyUseCoeff[] = "use_coeff";
    static constexpr char KeyApalCount[] = "apal_count";
    static constexpr char KeyMaxGrade[] = "max_grade";
    static constexpr char KeyUseUnits[] = "use_units";
    static constexpr char KeyUseCalcGrade[] = "use_calcgrade";

    /// The error number a failed check is raised with.
    static constexpr qint32 CheckErrorNumber = 10000;

    /// Options of `requirementType` with every field empty, every box
    /// unchecked and enabled (the state of an empty stored value).
    explicit CustomOptions(qint32 requirementType = 0);

    /// Decodes a stored options value (text, number or null). Parts that do
    /// not read as whole numbers are left empty; flags that do not read as a
    /// non-negative whole number count as 0. Never throws.
    static CustomOptions decode(qint32 requirementType, const QVariant &stored);

    /// The requirement type the options belong to.
    qint32 requirementType() const { return m_type; }
    /// The option set of the type.
    OptionSet optionSet() const { return OptionSetOf(m_type); }
    /// The entries of the type, in position order.
    const QList<OptionEntry> &entries() const { return m_entries; }
    /// True when `key` is an entry of this option set.
    bool contains(const QString &key) const { return indexOf(key) >= 0; }

    /// The value of entry `key` as the list holds it: the text of a number
    /// field, 1 or 0 for a check box; null for an unknown key.
    QVariant value(const QString &key) const;
    /// Whether setValue applies the interlock of `use_coeff` and `max_grade`.
    enum class Interlock {
        Apply, ///< as a user's click: a disabled entry refuses it, the other box follows
        Skip,  ///< the value as it stands (reading back a list that was set by code)
    };

    /// Sets an entry's value; a check box takes true or any value whose
    /// whole-number reading is not 0 as checked. Returns false (and changes
    /// nothing) for an unknown key, or a disabled entry under Interlock::Apply.
    bool setValue(const QString &key, const QVariant &value, Interlock interlock = Interlock::Apply);

    /// Checked state of a check box (false for number fields and unknown keys).
    bool isChecked(const QString &key) const;
    /// Whether the user may change the entry (true unless the interlock disabled it).
    bool isEnabled(const QString &key) const;

    /// The checks made on OK, in order: the two semester limits must be
    /// empty or pass the positive-number test (20553, 20554); `use_coeff`
    /// and `max_grade` may not both be checked (20555). Throws ZrError
    /// CheckErrorNumber from `source` with the message text on the first failure.
    void check(const QString &source) const;

    /// The options value to store: "greater;less" (either part may be
    /// empty, no ";" without a second part) for semester limits, the sum of
    /// the checked bits for flags, "" for other types. Number fields are
    /// truncated to whole numbers; a field that does not read as a number
    /// encodes as empty.
    QString encode() const;

private:
    int indexOf(const QString &key) const;
    // Applies the rule "the other box is enabled only while this one is
    // unchecked; checking this one unchecks the other".
    void applyInterlock(const QString &changedKey);

    qint32 m_type = 0;
    QList<OptionEntry> m_entries;
    QList<QVariant> m_values;
    QList<bool> m_enabled;
};

} // namespace zr
