#include "recordset/recordsetfilter.h"

#include "recordset/filterlanguage.h"
#include "recordset/recordset.h"
#include "common/zrerror.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include <cmath>

namespace zr::detail {

size_t FoldHash::operator()(QStringView s) const noexcept
{
    size_t h = 1469598103934665603ull;
    for (QChar c : s) {
        char16_t u = c.unicode();
        if (u < 128) {
            if (u >= 'A' && u <= 'Z')
                u = char16_t(u + 32);
        } else {
            u = QChar::toCaseFolded(u);
        }
        h = (h ^ u) * 1099511628211ull;
    }
    return h;
}

// True when a text starts or ends with a blank: keys rarely do, and trimming
// through the library costs more than the rest of reading a short number.
static bool hasOuterBlank(QStringView text)
{
    return !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
}

bool textToNumber(QStringView text, double &out)
{
    if (hasOuterBlank(text))
        text = text.trimmed();
    if (text.isEmpty())
        return false;
    // Plain integers are by far the most common keys; skip the locale parser for them.
    qsizetype i = 0;
    bool neg = false;
    if (text[0] == u'-' || text[0] == u'+') {
        neg = text[0] == u'-';
        i = 1;
    }
    if (i < text.size() && text.size() - i <= 15) {
        qint64 acc = 0;
        qsizetype j = i;
        for (; j < text.size(); ++j) {
            const char16_t c = text[j].unicode();
            if (c < '0' || c > '9')
                break;
            acc = acc * 10 + (c - '0');
        }
        if (j == text.size() && j > i) {
            out = neg ? -double(acc) : double(acc);
            return true;
        }
    }
    bool ok = false;
    const double d = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(d))
        return false;
    out = d;
    return true;
}

// The number of a value whose type id the caller has read already.
static bool numberOfType(int typeId, const QVariant &value, double &out)
{
    switch (typeId) {
    case QMetaType::Int:
        out = *static_cast<const int *>(value.constData());
        return true;
    case QMetaType::LongLong:
        out = double(*static_cast<const qlonglong *>(value.constData()));
        return true;
    case QMetaType::Double:
        out = *static_cast<const double *>(value.constData());
        return true;
    case QMetaType::Bool:
        out = *static_cast<const bool *>(value.constData()) ? -1.0 : 0.0;
        return true;
    case QMetaType::QString:
        return textToNumber(*static_cast<const QString *>(value.constData()), out);
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::ULong: {
        bool ok = false;
        out = value.toDouble(&ok);
        return ok;
    }
    default:
        return false;
    }
}

bool numberOf(const QVariant &value, double &out)
{
    return numberOfType(value.data_ptr().typeId(), value, out);
}

static double dayKey(const QDate &d, const QTime &t)
{
    return double(d.toJulianDay()) + (t.isValid() ? t.msecsSinceStartOfDay() / 86400000.0 : 0.0);
}

static bool parseDateText(QStringView text, double &out)
{
    const QString s = text.trimmed().toString();
    static const char *const formats[] = {
        "yyyy-MM-dd", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-ddTHH:mm:ss",
        "M/d/yyyy", "M/d/yyyy H:mm:ss", "M/d/yyyy H:mm",
    };
    for (const char *f : formats) {
        const QDateTime dt = QDateTime::fromString(s, QLatin1String(f));
        if (dt.isValid()) {
            out = dayKey(dt.date(), dt.time());
            return true;
        }
        const QDate d = QDate::fromString(s, QLatin1String(f));
        if (d.isValid()) {
            out = dayKey(d, QTime());
            return true;
        }
    }
    return false;
}

bool dateKeyOf(const QVariant &value, double &out)
{
    switch (value.typeId()) {
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        if (!d.isValid())
            return false;
        out = dayKey(d, QTime());
        return true;
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid())
            return false;
        out = dayKey(dt.date(), dt.time());
        return true;
    }
    case QMetaType::QTime: {
        const QTime t = value.toTime();
        if (!t.isValid())
            return false;
        out = t.msecsSinceStartOfDay() / 86400000.0;
        return true;
    }
    case QMetaType::QString:
        return parseDateText(*static_cast<const QString *>(value.constData()), out);
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------

using filter::Keyword;
using filter::Token;

// Builds the filter's nodes from the parser's as each is complete, numbered alike, so that an
// unknown field or a literal of the wrong type is refused before the text after it is read.
class CriteriaReader
{
public:
    CriteriaReader(const QString &text, const QList<Field> &fields, const RecordFilter::FieldLookup &lookup,
                   const QString &source, RecordFilter &out)
        : m_text(text), m_fields(fields), m_lookup(lookup), m_source(source), m_out(out)
    {
    }

    void run()
    {
        try {
            const auto read = [this](const filter::Tree &tree, int node) { take(tree, node); };
            m_out.m_root = filter::parse(m_text, filter::Dialect::Recordset, read).root;
        } catch (const filter::Fault &f) {
            fail(Recordset::ErrSyntax, f.why);
        }
        if (m_out.m_root < 0)
            return;
        collectAnd(m_out.m_root);
        const RecordFilter::Node &root = m_out.m_nodes[size_t(m_out.m_root)];
        if (root.kind == RecordFilter::Node::Compare && root.op == RecordFilter::Eq) {
            if (root.domain == RecordFilter::NumDomain || root.domain == RecordFilter::TextNumDomain) {
                m_out.m_keyMode = RecordFilter::NumberKey;
                m_out.m_keyNumber = root.number;
                m_out.m_keyField = root.field;
            } else if (root.domain == RecordFilter::TextDomain) {
                m_out.m_keyMode = RecordFilter::TextKey;
                m_out.m_keyText = root.text;
                m_out.m_keyField = root.field;
            }
        }
    }

private:
    // Lists the comparisons of an AND-only tree so that rows are tested in one flat loop.
    bool collectAnd(int node)
    {
        const RecordFilter::Node &n = m_out.m_nodes[size_t(node)];
        bool ok = true;
        if (n.kind == RecordFilter::Node::Compare)
            m_out.m_allOf.push_back(node);
        else if (n.kind == RecordFilter::Node::And)
            ok = collectAnd(n.left) && collectAnd(n.right);
        else
            ok = false;
        if (!ok)
            m_out.m_allOf.clear();
        return ok;
    }

    [[noreturn]] void fail(qint32 number, const QString &what) const
    {
        throw ZrError(number, m_source, QStringLiteral("%1 in criteria \"%2\"").arg(what, m_text));
    }

    void take(const filter::Tree &tree, int number)
    {
        const filter::Node &in = tree[number];
        RecordFilter::Node n;
        switch (in.kind) {
        case filter::Node::Column:
            n.field = m_lookup(in.token.text);
            if (n.field < 0)
                fail(Recordset::ErrUnknownField, QStringLiteral("unknown field '%1'").arg(in.token.text));
            m_field = &m_fields[n.field];
            if (m_field->isChapter())
                fail(Recordset::ErrTypeMismatch,
                     QStringLiteral("chapter field '%1' cannot be compared").arg(m_field->name));
            break;
        case filter::Node::Group:
            n = m_out.m_nodes[size_t(in.left)];
            break;
        case filter::Node::And:
        case filter::Node::Or:
            n.kind = in.kind == filter::Node::And ? RecordFilter::Node::And : RecordFilter::Node::Or;
            n.left = in.left;
            n.right = in.right;
            break;
        case filter::Node::IsNull:
            n.field = m_out.m_nodes[size_t(in.left)].field;
            n.op = in.negated ? RecordFilter::NotNull : RecordFilter::IsNull;
            n.domain = RecordFilter::NullDomain;
            break;
        case filter::Node::Compare:
        case filter::Node::Like:
            n.field = m_out.m_nodes[size_t(in.left)].field;
            static_assert(int(filter::Op::Ge) == RecordFilter::Ge, "the parser's operators in the filter's order");
            n.op = in.kind == filter::Node::Like ? RecordFilter::Like : RecordFilter::Op(in.token.op);
            literal(n, *m_field, in.token, tree[in.right].token);
            break;
        default:  // a literal, read with its comparison
            break;
        }
        m_out.m_nodes.push_back(std::move(n));
    }

    // Fills the comparison's domain and literal from the value token after `op`.
    void literal(RecordFilter::Node &n, const Field &f, const Token &op, const Token &t)
    {
        if (t.kind == Token::End)
            fail(Recordset::ErrSyntax,
                 QStringLiteral("a value is missing after '%1 %2'").arg(f.name, op.raw.toString()));
        if (t.isName())
            fail(Recordset::ErrSyntax, QStringLiteral("unquoted text '%1' at position %2: texts are written in "
                                                      "single quotes").arg(t.text).arg(t.pos + 1));
        if (!t.isLiteral())
            fail(Recordset::ErrSyntax, QStringLiteral("expected a value after '%1 %2' at position %3, found '%4'")
                                           .arg(f.name, op.raw.toString()).arg(t.pos + 1).arg(t.raw.toString()));
        if (t.is(Keyword::Null)) {
            if (n.op != RecordFilter::Eq && n.op != RecordFilter::Ne)
                fail(Recordset::ErrTypeMismatch,
                     QStringLiteral("NULL can only be compared with = or <> (field '%1')").arg(f.name));
            n.op = n.op == RecordFilter::Eq ? RecordFilter::IsNull : RecordFilter::NotNull;
            n.domain = RecordFilter::NullDomain;
            return;
        }
        const bool number = t.kind == Token::Number || t.is(Keyword::True) || t.is(Keyword::False);

        if (n.op == RecordFilter::Like) {
            if (t.kind != Token::Text)
                fail(Recordset::ErrTypeMismatch, QStringLiteral("LIKE on field '%1' needs a quoted text pattern")
                                                     .arg(f.name));
            QString p = t.text;
            const bool lead = p.startsWith(u'*') || p.startsWith(u'%');
            if (lead)
                p.remove(0, 1);
            const bool trail = !p.isEmpty() && (p.endsWith(u'*') || p.endsWith(u'%'));
            if (trail)
                p.chop(1);
            if (p.contains(u'*') || p.contains(u'%'))
                fail(Recordset::ErrSyntax, QStringLiteral("LIKE pattern '%1' has a wildcard inside; wildcards may "
                                                          "only begin or end it").arg(t.text));
            n.text = p;
            n.like = lead && trail ? RecordFilter::LikeContains
                     : lead        ? RecordFilter::LikeSuffix
                     : trail       ? RecordFilter::LikePrefix
                                   : RecordFilter::LikeExact;
            n.domain = RecordFilter::LikeDomain;
            return;
        }

        if (f.isNumeric() || f.type == adBoolean) {
            n.number = t.number;
            if (t.kind == Token::Date)
                fail(Recordset::ErrTypeMismatch,
                     QStringLiteral("numeric field '%1' compared with a date").arg(f.name));
            if (t.kind == Token::Text && !textToNumber(t.text, n.number))
                fail(Recordset::ErrTypeMismatch,
                     QStringLiteral("numeric field '%1' compared with text '%2'").arg(f.name, t.text));
            n.domain = RecordFilter::NumDomain;
            return;
        }
        if (f.isDate()) {
            if (number)
                fail(Recordset::ErrTypeMismatch, QStringLiteral("date field '%1' compared with a number").arg(f.name));
            if (!parseDateText(t.text, n.number))
                fail(Recordset::ErrTypeMismatch, QStringLiteral("date field '%1' compared with '%2', which is "
                                                                "not a date").arg(f.name, t.text));
            n.domain = RecordFilter::DateDomain;
            return;
        }
        // Texts and untyped columns.
        if (t.kind == Token::Text) {
            n.text = t.text;
            n.domain = RecordFilter::TextDomain;
        } else if (number) {
            n.number = t.number;
            n.domain = RecordFilter::TextNumDomain;
        } else {
            if (f.isText())
                fail(Recordset::ErrTypeMismatch, QStringLiteral("text field '%1' compared with a date").arg(f.name));
            if (!parseDateText(t.text, n.number))
                fail(Recordset::ErrSyntax, QStringLiteral("'#%1#' is not a date").arg(t.text));
            n.domain = RecordFilter::DateDomain;
        }
    }

    const QString &m_text;
    const QList<Field> &m_fields;
    const RecordFilter::FieldLookup &m_lookup;
    const QString &m_source;
    RecordFilter &m_out;
    const Field *m_field = nullptr;  // the field of the comparison being read
};

RecordFilter RecordFilter::compile(const QString &text, const QList<Field> &fields,
                                   const FieldLookup &lookup, const QString &source)
{
    RecordFilter out;
    CriteriaReader(text, fields, lookup, source, out).run();
    return out;
}

bool RecordFilter::matches(const QVariant *values) const
{
    if (!m_allOf.empty()) {
        for (int leaf : m_allOf) {
            const Node &n = m_nodes[size_t(leaf)];
            if (!compare(n, values[n.field]))
                return false;
        }
        return true;
    }
    return m_root < 0 || eval(m_root, values);
}

bool RecordFilter::eval(int node, const QVariant *values) const
{
    const Node &n = m_nodes[size_t(node)];
    switch (n.kind) {
    case Node::And:
        return eval(n.left, values) && eval(n.right, values);
    case Node::Or:
        return eval(n.left, values) || eval(n.right, values);
    case Node::Compare:
        break;
    }
    return compare(n, values[n.field]);
}

template<typename T>
static bool ordered(RecordFilter::Op op, const T &a, const T &b)
{
    switch (op) {
    case RecordFilter::Eq: return a == b;
    case RecordFilter::Ne: return !(a == b);
    case RecordFilter::Lt: return a < b;
    case RecordFilter::Gt: return b < a;
    case RecordFilter::Le: return !(b < a);
    case RecordFilter::Ge: return !(a < b);
    default: return false;
    }
}

bool RecordFilter::compare(const Node &n, const QVariant &v)
{
    // Stored NULLs are always invalid variants (the recordset converts on
    // write), so one type look-up per value answers both questions; it goes
    // through the inline data_ptr() because metaType() is an out-of-line call.
    const int type = v.data_ptr().typeId();
    if (n.domain == NullDomain)
        return (n.op == IsNull) == (type == QMetaType::UnknownType);
    if (type == QMetaType::UnknownType)
        return false;
    switch (n.domain) {
    case NumDomain: {
        double d;
        if (type == QMetaType::Int)
            return ordered(n.op, double(*static_cast<const int *>(v.constData())), n.number);
        if (!numberOfType(type, v, d))
            return n.op == Ne;
        return ordered(n.op, d, n.number);
    }
    case TextNumDomain: {
        double d;
        // A text that is not a number is simply different from any number.
        if (!numberOfType(type, v, d))
            return n.op == Ne;
        return ordered(n.op, d, n.number);
    }
    case TextDomain: {
        if (type == QMetaType::QString) {
            const QString &s = *static_cast<const QString *>(v.constData());
            return ordered(n.op, s.compare(n.text, Qt::CaseInsensitive), 0);
        }
        return ordered(n.op, v.toString().compare(n.text, Qt::CaseInsensitive), 0);
    }
    case DateDomain: {
        double d;
        if (!dateKeyOf(v, d))
            return n.op == Ne;
        return ordered(n.op, d, n.number);
    }
    case LikeDomain: {
        const QString s = v.typeId() == QMetaType::QString ? *static_cast<const QString *>(v.constData())
                                                           : v.toString();
        switch (n.like) {
        case LikeExact: return s.compare(n.text, Qt::CaseInsensitive) == 0;
        case LikePrefix: return s.startsWith(n.text, Qt::CaseInsensitive);
        case LikeSuffix: return s.endsWith(n.text, Qt::CaseInsensitive);
        case LikeContains: return s.contains(n.text, Qt::CaseInsensitive);
        }
        return false;
    }
    case NullDomain:
        break;
    }
    return false;
}

} // namespace zr::detail
