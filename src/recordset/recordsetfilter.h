#pragma once

// Internal to the library: the compiled form of recordset filter and find
// criteria, and the value helpers the recordset shares with it.

#include "recordset/recordsetfield.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <QVariant>

#include <functional>
#include <vector>

namespace zr::detail {

/// Hash of a text that ignores case, for look-ups without folding copies.
struct FoldHash
{
    size_t operator()(QStringView s) const noexcept;
    size_t operator()(const QString &s) const noexcept { return (*this)(QStringView(s)); }
};

/// Equality that ignores case, matching FoldHash.
struct FoldEqual
{
    bool operator()(QStringView a, QStringView b) const noexcept
    {
        // Callers mostly spell names as declared: try the exact match first.
        return a.size() == b.size() && (a == b || a.compare(b, Qt::CaseInsensitive) == 0);
    }
    bool operator()(const QString &a, const QString &b) const noexcept
    {
        return (*this)(QStringView(a), QStringView(b));
    }
};

/// The number held by a value: numbers, booleans (true is -1) and numeric
/// texts. False for NULL and other values.
bool numberOf(const QVariant &value, double &out);
/// Parses a whole text (surrounding blanks allowed) as a C-locale number.
bool textToNumber(QStringView text, double &out);
/// A date or date-time (or a date text) as days since the Julian epoch with
/// the time of day as fraction.
bool dateKeyOf(const QVariant &value, double &out);

/// Compiled filter or find criteria: parsed once, evaluated per row.
class RecordFilter
{
public:
    /// Resolves a field name to its index, or -1.
    using FieldLookup = std::function<int(QStringView)>;

    /// Index look-up mode of a simple key comparison.
    enum KeyMode { NoKey, NumberKey, TextKey };

    /// Parses `text`; throws ZrError (syntax, unknown field, type mismatch)
    /// with `source`. An empty or blank text gives a filter that matches all.
    static RecordFilter compile(const QString &text, const QList<Field> &fields,
                                const FieldLookup &lookup, const QString &source);

    /// True when the row's values satisfy the criteria.
    bool matches(const QVariant *values) const;

    /// True when the criteria are one `field = literal` comparison that an
    /// index can answer; keyField/keyMode/keyNumber/keyText describe it.
    KeyMode keyMode() const { return m_keyMode; }
    int keyField() const { return m_keyField; }
    double keyNumber() const { return m_keyNumber; }
    const QString &keyText() const { return m_keyText; }
    /// True for blank criteria.
    bool matchesAll() const { return m_nodes.empty(); }

    enum Op { Eq, Ne, Lt, Gt, Le, Ge, Like, IsNull, NotNull };
    enum Domain { NumDomain, TextNumDomain, TextDomain, DateDomain, LikeDomain, NullDomain };
    enum LikeKind { LikeExact, LikePrefix, LikeSuffix, LikeContains };

    struct Node
    {
        enum Kind { And, Or, Compare } kind = Compare;
        int left = -1;
        int right = -1;
        int field = -1;
        Op op = Eq;
        Domain domain = NumDomain;
        LikeKind like = LikeExact;
        double number = 0;
        QString text;
    };

private:
    bool eval(int node, const QVariant *values) const;
    static bool compare(const Node &n, const QVariant &v);

    std::vector<Node> m_nodes;  // numbered as the filter language's nodes
    int m_root = -1;
    std::vector<int> m_allOf;   // leaves of criteria that are only ANDed comparisons
    KeyMode m_keyMode = NoKey;
    int m_keyField = -1;
    double m_keyNumber = 0;
    QString m_keyText;

    friend class CriteriaReader;
};

} // namespace zr::detail
