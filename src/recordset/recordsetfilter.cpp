#include "recordset/recordsetfilter.h"

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

namespace {

enum class Tok { End, Ident, Text, Number, Date, Op, LParen, RParen, And, Or, Like, Null, Is, Not, Bool };

struct Token
{
    Tok kind = Tok::End;
    qsizetype pos = 0;
    QStringView raw;
    QString text;       // unquoted text, identifier, date text
    double number = 0;
    RecordFilter::Op op = RecordFilter::Eq;
};

bool isIdentStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

} // namespace

class FilterParser
{
public:
    FilterParser(const QString &text, const QList<Field> &fields,
                 const RecordFilter::FieldLookup &lookup, const QString &source, RecordFilter &out)
        : m_text(text), m_fields(fields), m_lookup(lookup), m_source(source), m_out(out)
    {
    }

    void run()
    {
        next();
        if (m_tok.kind == Tok::End)
            return;
        m_out.m_root = parseOr();
        if (m_tok.kind == Tok::RParen)
            fail(Recordset::ErrSyntax, QStringLiteral("unbalanced ')' at position %1").arg(m_tok.pos + 1));
        if (m_tok.kind != Tok::End)
            fail(Recordset::ErrSyntax, QStringLiteral("unexpected '%1' at position %2 after a complete condition")
                                           .arg(m_tok.raw.toString()).arg(m_tok.pos + 1));
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

    int add(RecordFilter::Node n)
    {
        m_out.m_nodes.push_back(std::move(n));
        return int(m_out.m_nodes.size()) - 1;
    }

    int parseOr()
    {
        int left = parseAnd();
        while (m_tok.kind == Tok::Or) {
            next();
            RecordFilter::Node n;
            n.kind = RecordFilter::Node::Or;
            n.left = left;
            n.right = parseAnd();
            left = add(std::move(n));
        }
        return left;
    }

    int parseAnd()
    {
        int left = parsePrimary();
        while (m_tok.kind == Tok::And) {
            next();
            RecordFilter::Node n;
            n.kind = RecordFilter::Node::And;
            n.left = left;
            n.right = parsePrimary();
            left = add(std::move(n));
        }
        return left;
    }

    int parsePrimary()
    {
        if (m_tok.kind == Tok::LParen) {
            const qsizetype open = m_tok.pos;
            next();
            if (m_tok.kind == Tok::RParen)
                fail(Recordset::ErrSyntax, QStringLiteral("empty parentheses at position %1").arg(open + 1));
            const int inner = parseOr();
            if (m_tok.kind != Tok::RParen)
                fail(Recordset::ErrSyntax,
                     QStringLiteral("unbalanced '(' at position %1: no closing parenthesis").arg(open + 1));
            next();
            return inner;
        }
        return parseComparison();
    }

    int parseComparison()
    {
        if (m_tok.kind == Tok::End)
            fail(Recordset::ErrSyntax, QStringLiteral("a condition is missing at the end"));
        if (m_tok.kind != Tok::Ident)
            fail(Recordset::ErrSyntax, QStringLiteral("expected a field name at position %1, found '%2'")
                                           .arg(m_tok.pos + 1).arg(m_tok.raw.toString()));
        const QString name = m_tok.text;
        const int field = m_lookup(name);
        if (field < 0)
            fail(Recordset::ErrUnknownField, QStringLiteral("unknown field '%1'").arg(name));
        const Field &f = m_fields[field];
        if (f.isChapter())
            fail(Recordset::ErrTypeMismatch, QStringLiteral("chapter field '%1' cannot be compared").arg(f.name));
        next();

        RecordFilter::Node n;
        n.field = field;
        if (m_tok.kind == Tok::Is) {
            next();
            bool negate = false;
            if (m_tok.kind == Tok::Not) {
                negate = true;
                next();
            }
            if (m_tok.kind != Tok::Null)
                fail(Recordset::ErrSyntax, QStringLiteral("expected NULL after IS at position %1").arg(m_tok.pos + 1));
            next();
            n.op = negate ? RecordFilter::NotNull : RecordFilter::IsNull;
            n.domain = RecordFilter::NullDomain;
            return add(std::move(n));
        }
        if (m_tok.kind == Tok::Like) {
            n.op = RecordFilter::Like;
        } else if (m_tok.kind == Tok::Op) {
            n.op = m_tok.op;
        } else {
            fail(Recordset::ErrSyntax, QStringLiteral("expected an operator after '%1' at position %2, found '%3'")
                                           .arg(name).arg(m_tok.pos + 1)
                                           .arg(m_tok.kind == Tok::End ? QStringLiteral("end of text")
                                                                       : m_tok.raw.toString()));
        }
        const QString opText = m_tok.raw.toString();
        next();
        literal(n, f, opText);
        next();
        return add(std::move(n));
    }

    // Fills the comparison's domain and literal from the current token.
    void literal(RecordFilter::Node &n, const Field &f, const QString &opText)
    {
        const Token &t = m_tok;
        switch (t.kind) {
        case Tok::Null:
            if (n.op != RecordFilter::Eq && n.op != RecordFilter::Ne)
                fail(Recordset::ErrTypeMismatch,
                     QStringLiteral("NULL can only be compared with = or <> (field '%1')").arg(f.name));
            n.op = n.op == RecordFilter::Eq ? RecordFilter::IsNull : RecordFilter::NotNull;
            n.domain = RecordFilter::NullDomain;
            return;
        case Tok::Text:
        case Tok::Number:
        case Tok::Date:
        case Tok::Bool:
            break;
        case Tok::End:
            fail(Recordset::ErrSyntax, QStringLiteral("a value is missing after '%1 %2'").arg(f.name, opText));
        case Tok::Ident:
            fail(Recordset::ErrSyntax, QStringLiteral("unquoted text '%1' at position %2: texts are written in "
                                                      "single quotes").arg(t.text).arg(t.pos + 1));
        default:
            fail(Recordset::ErrSyntax, QStringLiteral("expected a value after '%1 %2' at position %3, found '%4'")
                                           .arg(f.name, opText).arg(t.pos + 1).arg(t.raw.toString()));
        }

        if (n.op == RecordFilter::Like) {
            if (t.kind != Tok::Text)
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
            if (t.kind == Tok::Number || t.kind == Tok::Bool) {
                n.number = t.number;
            } else if (t.kind == Tok::Text) {
                if (!textToNumber(t.text, n.number))
                    fail(Recordset::ErrTypeMismatch, QStringLiteral("numeric field '%1' compared with text '%2'")
                                                         .arg(f.name, t.text));
            } else {
                fail(Recordset::ErrTypeMismatch, QStringLiteral("numeric field '%1' compared with a date").arg(f.name));
            }
            n.domain = RecordFilter::NumDomain;
            return;
        }
        if (f.isDate()) {
            if (t.kind == Tok::Date || t.kind == Tok::Text) {
                if (!parseDateText(t.text, n.number))
                    fail(Recordset::ErrTypeMismatch, QStringLiteral("date field '%1' compared with '%2', which is "
                                                                    "not a date").arg(f.name, t.text));
            } else {
                fail(Recordset::ErrTypeMismatch, QStringLiteral("date field '%1' compared with a number").arg(f.name));
            }
            n.domain = RecordFilter::DateDomain;
            return;
        }
        // Texts and untyped columns.
        switch (t.kind) {
        case Tok::Text:
            n.text = t.text;
            n.domain = RecordFilter::TextDomain;
            return;
        case Tok::Number:
        case Tok::Bool:
            n.number = t.number;
            n.domain = RecordFilter::TextNumDomain;
            return;
        default:
            if (f.isText())
                fail(Recordset::ErrTypeMismatch, QStringLiteral("text field '%1' compared with a date").arg(f.name));
            if (!parseDateText(t.text, n.number))
                fail(Recordset::ErrSyntax, QStringLiteral("'#%1#' is not a date").arg(t.text));
            n.domain = RecordFilter::DateDomain;
            return;
        }
    }

    void next()
    {
        const QStringView s(m_text);
        qsizetype i = m_pos;
        while (i < s.size() && s[i].isSpace())
            ++i;
        m_tok = Token();
        m_tok.pos = i;
        if (i >= s.size()) {
            m_pos = i;
            return;
        }
        const QChar c = s[i];
        qsizetype j = i + 1;
        if (c == u'(') {
            m_tok.kind = Tok::LParen;
        } else if (c == u')') {
            m_tok.kind = Tok::RParen;
        } else if (c == u'=' ) {
            m_tok.kind = Tok::Op;
            m_tok.op = RecordFilter::Eq;
        } else if (c == u'<') {
            m_tok.kind = Tok::Op;
            m_tok.op = RecordFilter::Lt;
            if (j < s.size() && s[j] == u'>') {
                m_tok.op = RecordFilter::Ne;
                ++j;
            } else if (j < s.size() && s[j] == u'=') {
                m_tok.op = RecordFilter::Le;
                ++j;
            }
        } else if (c == u'>') {
            m_tok.kind = Tok::Op;
            m_tok.op = RecordFilter::Gt;
            if (j < s.size() && s[j] == u'=') {
                m_tok.op = RecordFilter::Ge;
                ++j;
            }
        } else if (c == u'!' && j < s.size() && s[j] == u'=') {
            m_tok.kind = Tok::Op;
            m_tok.op = RecordFilter::Ne;
            ++j;
        } else if (c == u'\'') {
            QString text;
            bool closed = false;
            qsizetype from = j;
            while (j < s.size()) {
                if (s[j] == u'\'') {
                    if (j + 1 < s.size() && s[j + 1] == u'\'') {
                        text += s.mid(from, j + 1 - from);
                        j += 2;
                        from = j;
                        continue;
                    }
                    text += s.mid(from, j - from);
                    ++j;
                    closed = true;
                    break;
                }
                ++j;
            }
            if (!closed)
                fail(Recordset::ErrSyntax, QStringLiteral("unterminated quoted text starting at position %1").arg(i + 1));
            m_tok.kind = Tok::Text;
            m_tok.text = text;
        } else if (c == u'#') {
            const qsizetype close = s.indexOf(u'#', j);
            if (close < 0)
                fail(Recordset::ErrSyntax, QStringLiteral("unterminated date starting at position %1").arg(i + 1));
            m_tok.kind = Tok::Date;
            m_tok.text = s.mid(j, close - j).toString();
            j = close + 1;
        } else if (c.isDigit() || c == u'.' || ((c == u'-' || c == u'+') && j < s.size()
                                                 && (s[j].isDigit() || s[j] == u'.'))) {
            while (j < s.size() && (s[j].isDigit() || s[j] == u'.'))
                ++j;
            if (j < s.size() && (s[j] == u'e' || s[j] == u'E')) {
                qsizetype k = j + 1;
                if (k < s.size() && (s[k] == u'-' || s[k] == u'+'))
                    ++k;
                if (k < s.size() && s[k].isDigit()) {
                    j = k;
                    while (j < s.size() && s[j].isDigit())
                        ++j;
                }
            }
            if (j < s.size() && isIdentChar(s[j]))
                fail(Recordset::ErrSyntax, QStringLiteral("malformed number '%1' at position %2")
                                               .arg(s.mid(i, j + 1 - i).toString()).arg(i + 1));
            if (!textToNumber(s.mid(i, j - i), m_tok.number))
                fail(Recordset::ErrSyntax, QStringLiteral("malformed number '%1' at position %2")
                                               .arg(s.mid(i, j - i).toString()).arg(i + 1));
            m_tok.kind = Tok::Number;
        } else if (c == u'[') {
            const qsizetype close = s.indexOf(u']', j);
            if (close < 0)
                fail(Recordset::ErrSyntax, QStringLiteral("unterminated '[' at position %1").arg(i + 1));
            m_tok.kind = Tok::Ident;
            m_tok.text = s.mid(j, close - j).toString();
            j = close + 1;
        } else if (isIdentStart(c)) {
            while (j < s.size() && isIdentChar(s[j]))
                ++j;
            const QStringView word = s.mid(i, j - i);
            m_tok.kind = Tok::Ident;
            if (word.compare(u"AND", Qt::CaseInsensitive) == 0)
                m_tok.kind = Tok::And;
            else if (word.compare(u"OR", Qt::CaseInsensitive) == 0)
                m_tok.kind = Tok::Or;
            else if (word.compare(u"LIKE", Qt::CaseInsensitive) == 0)
                m_tok.kind = Tok::Like;
            else if (word.compare(u"NULL", Qt::CaseInsensitive) == 0)
                m_tok.kind = Tok::Null;
            else if (word.compare(u"IS", Qt::CaseInsensitive) == 0)
                m_tok.kind = Tok::Is;
            else if (word.compare(u"NOT", Qt::CaseInsensitive) == 0)
                m_tok.kind = Tok::Not;
            else if (word.compare(u"TRUE", Qt::CaseInsensitive) == 0) {
                m_tok.kind = Tok::Bool;
                m_tok.number = -1;
            } else if (word.compare(u"FALSE", Qt::CaseInsensitive) == 0) {
                m_tok.kind = Tok::Bool;
                m_tok.number = 0;
            } else {
                m_tok.text = word.toString();
            }
        } else {
            fail(Recordset::ErrSyntax, QStringLiteral("unexpected character '%1' at position %2").arg(c).arg(i + 1));
        }
        m_tok.raw = s.mid(i, j - i);
        m_pos = j;
    }

    const QString &m_text;
    const QList<Field> &m_fields;
    const RecordFilter::FieldLookup &m_lookup;
    const QString &m_source;
    RecordFilter &m_out;
    qsizetype m_pos = 0;
    Token m_tok;
};

RecordFilter RecordFilter::compile(const QString &text, const QList<Field> &fields,
                                   const FieldLookup &lookup, const QString &source)
{
    RecordFilter out;
    FilterParser(text, fields, lookup, source, out).run();
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
