#include "recordset/recordset.h"

#include "recordset/recordsetfilter.h"
#include "common/zrerror.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace zr {

using detail::FoldEqual;
using detail::FoldHash;
using detail::RecordFilter;

namespace {

struct Row
{
    Recordset::Bookmark id = 0;
    int status = Recordset::adRecUnmodified;
    bool wasNew = false;            // a deleted row that was never stored
    QList<QVariant> original;       // set when an unmodified row is first changed
};

// Keys are mostly whole numbers: hash those as integers, which is far cheaper
// than hashing the bytes of a double.
struct NumberHash
{
    size_t operator()(double d) const noexcept
    {
        if (d >= -9.0e18 && d <= 9.0e18) {
            const auto i = static_cast<long long>(d);
            if (static_cast<double>(i) == d)
                return std::hash<long long>()(i);
        }
        return std::hash<double>()(d);
    }
};

// Row indices by key, as singly linked chains in table order.
struct FieldIndex
{
    std::unordered_map<double, int, NumberHash> byNumber;
    std::unordered_map<QString, int, FoldHash, FoldEqual> byText;
    std::vector<int> next;
};

[[noreturn]] void raise(qint32 number, const char *member, const QString &what)
{
    throw ZrError(number, QStringLiteral("Recordset.") + QLatin1String(member), what);
}

} // namespace

/// The rows and fields that a recordset and its clones share.
class RecordsetTable
{
public:
    QList<Field> fields;
    std::unordered_map<QStringView, int, FoldHash, FoldEqual> fieldByName;
    std::vector<Row> rows;
    // Values of all rows in one block, row after row: scans stay in contiguous memory.
    std::vector<QVariant> cells;
    Recordset::Bookmark nextId = 1;
    int deletedCount = 0;
    quint64 deleteEpoch = 0;        // bumped by every delete
    quint64 resetEpoch = 0;         // bumped when rows leave the table or change status wholesale
    std::vector<std::unique_ptr<FieldIndex>> numberIndex;
    std::vector<std::unique_ptr<FieldIndex>> textIndex;

    QVariant *rowCells(size_t row) { return cells.data() + row * size_t(fields.size()); }
    const QVariant *rowCells(size_t row) const { return cells.data() + row * size_t(fields.size()); }
    QVariant &cell(size_t row, int field) { return cells[row * size_t(fields.size()) + size_t(field)]; }
    const QVariant &cell(size_t row, int field) const { return cells[row * size_t(fields.size()) + size_t(field)]; }

    // Keeps the rows for which keep(i) is true, in order.
    template<typename Keep>
    void compact(Keep keep)
    {
        const size_t nf = size_t(fields.size());
        size_t out = 0;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (!keep(i))
                continue;
            if (out != i) {
                rows[out] = std::move(rows[i]);
                for (size_t f = 0; f < nf; ++f)
                    cells[out * nf + f] = std::move(cells[i * nf + f]);
            }
            ++out;
        }
        rows.resize(out);
        cells.resize(out * nf);
    }

    void rehashFields()
    {
        fieldByName.clear();
        for (int i = 0; i < fields.size(); ++i)
            fieldByName.emplace(QStringView(fields[i].name), i);
    }

    int fieldIndex(QStringView name) const
    {
        if (!name.isEmpty() && (name.front().isSpace() || name.back().isSpace()))
            name = name.trimmed();
        const auto it = fieldByName.find(name);
        return it == fieldByName.end() ? -1 : it->second;
    }

    // Rows are appended with increasing ids and never reordered.
    int rowOfId(Recordset::Bookmark id) const
    {
        const auto it = std::lower_bound(rows.begin(), rows.end(), id,
                                         [](const Row &r, Recordset::Bookmark b) { return r.id < b; });
        return it != rows.end() && it->id == id ? int(it - rows.begin()) : -1;
    }

    void dropIndexes(int field)
    {
        if (field < int(numberIndex.size())) {
            numberIndex[size_t(field)].reset();
            textIndex[size_t(field)].reset();
        }
    }

    void dropAllIndexes()
    {
        numberIndex.clear();
        textIndex.clear();
    }

    const FieldIndex &index(int field, RecordFilter::KeyMode mode)
    {
        if (numberIndex.size() < size_t(fields.size())) {
            numberIndex.resize(size_t(fields.size()));
            textIndex.resize(size_t(fields.size()));
        }
        auto &slot = mode == RecordFilter::NumberKey ? numberIndex[size_t(field)] : textIndex[size_t(field)];
        if (!slot) {
            slot = std::make_unique<FieldIndex>();
            FieldIndex &ix = *slot;
            const int n = int(rows.size());
            ix.next.assign(size_t(n), -1);
            // Walk backwards so that every chain comes out in table order.
            for (int i = n - 1; i >= 0; --i) {
                const QVariant &v = cell(size_t(i), field);
                if (v.isNull())
                    continue;
                if (mode == RecordFilter::NumberKey) {
                    double d;
                    if (!detail::numberOf(v, d))
                        continue;
                    auto [it, fresh] = ix.byNumber.try_emplace(d + 0.0, i);
                    if (!fresh) {
                        ix.next[size_t(i)] = it->second;
                        it->second = i;
                    }
                } else {
                    auto [it, fresh] = ix.byText.try_emplace(v.toString(), i);
                    if (!fresh) {
                        ix.next[size_t(i)] = it->second;
                        it->second = i;
                    }
                }
            }
        }
        return *slot;
    }

    // First row of the chain of `filter`'s key, or -1.
    // First row whose `field` equals the key, or -1; nextOfKey() follows the chain.
    int firstOfKey(int field, RecordFilter::KeyMode mode, double number, const QString &text)
    {
        const FieldIndex &ix = index(field, mode);
        if (mode == RecordFilter::NumberKey) {
            const auto it = ix.byNumber.find(number + 0.0);
            return it == ix.byNumber.end() ? -1 : it->second;
        }
        const auto it = ix.byText.find(text);
        return it == ix.byText.end() ? -1 : it->second;
    }

    int firstOfKey(const RecordFilter &filter)
    {
        return firstOfKey(filter.keyField(), filter.keyMode(), filter.keyNumber(), filter.keyText());
    }

    int nextOfKey(int field, RecordFilter::KeyMode mode, int row) const
    {
        const auto &slot = mode == RecordFilter::NumberKey ? numberIndex[size_t(field)] : textIndex[size_t(field)];
        return row < int(slot->next.size()) ? slot->next[size_t(row)] : -1;
    }

    int nextOfKey(const RecordFilter &filter, int row) const
    {
        return nextOfKey(filter.keyField(), filter.keyMode(), row);
    }
};

/// One cursor over a table: position, filter and the visible rows.
class RecordsetCursor
{
public:
    enum Kind { NoFilter, Criteria, Bookmarks, Pending };

    std::shared_ptr<RecordsetTable> table;
    Kind kind = NoFilter;
    QString criteria;
    std::shared_ptr<const RecordFilter> predicate;
    std::vector<Recordset::Bookmark> bookmarks;    // sorted

    // Visible rows, as table indices in ascending order; built lazily.
    mutable std::vector<int> list;
    mutable bool built = false;
    mutable size_t seenRows = 0;
    mutable quint64 seenDelete = 0;
    mutable quint64 seenReset = 0;

    // Position in `list`: -1 BOF, list.size() EOF. A hole is a current row
    // that has been deleted; pos is then the row after it.
    mutable int pos = -1;
    mutable bool hole = false;
    mutable Recordset::Bookmark curId = 0;

    // The field last named in find criteria: a caller looking rows up by key
    // names the same field every time. Fields are only ever appended, so a
    // name keeps its index.
    mutable QString findName;
    mutable int findField = -1;

    int fieldOfFind(QStringView name) const
    {
        if (findField >= 0 && name == findName)
            return findField;
        const int field = table->fieldIndex(name);
        if (field >= 0) {
            findName = name.toString();
            findField = field;
        }
        return field;
    }

    bool includes(size_t i) const
    {
        const Row &r = table->rows[i];
        switch (kind) {
        case NoFilter: return r.status != Recordset::adRecDeleted;
        case Criteria: return r.status != Recordset::adRecDeleted && predicate->matches(table->rowCells(i));
        case Bookmarks: return r.status != Recordset::adRecDeleted
                               && std::binary_search(bookmarks.begin(), bookmarks.end(), r.id);
        case Pending: return r.status != Recordset::adRecUnmodified;
        }
        return false;
    }

    void rebuild() const
    {
        const RecordsetTable &t = *table;
        const bool wasBuilt = built;
        const bool wasBof = !hole && pos < 0;
        const bool wasEof = !hole && pos >= int(list.size());
        list.clear();
        if (kind == Bookmarks) {
            for (Recordset::Bookmark b : bookmarks) {
                const int r = t.rowOfId(b);
                if (r >= 0 && t.rows[size_t(r)].status != Recordset::adRecDeleted)
                    list.push_back(r);
            }
        } else if (kind == NoFilter && t.deletedCount == 0) {
            list.resize(t.rows.size());
            for (size_t i = 0; i < list.size(); ++i)
                list[i] = int(i);
        } else if (kind == Criteria) {
            list.reserve(t.rows.size() / 4);
            const size_t stride = size_t(t.fields.size());
            const QVariant *cells = t.cells.data();
            for (size_t i = 0; i < t.rows.size(); ++i, cells += stride)
                if (t.rows[i].status != Recordset::adRecDeleted && predicate->matches(cells))
                    list.push_back(int(i));
        } else {
            list.reserve(t.rows.size());
            for (size_t i = 0; i < t.rows.size(); ++i)
                if (includes(i))
                    list.push_back(int(i));
        }
        seenRows = t.rows.size();
        seenDelete = t.deleteEpoch;
        seenReset = t.resetEpoch;
        hole = false;
        built = true;
        if (!wasBuilt) {
            setPos(list.empty() ? -1 : 0);
            return;
        }
        if (wasBof) {
            pos = -1;
            return;
        }
        if (!wasEof) {
            // Stay on the same row where it is still visible.
            const int r = t.rowOfId(curId);
            const auto it = std::lower_bound(list.begin(), list.end(), std::max(r, 0));
            if (r >= 0 && it != list.end() && *it == r) {
                setPos(int(it - list.begin()));
                return;
            }
        }
        pos = int(list.size());
    }

    void setPos(int p) const
    {
        pos = p;
        if (p >= 0 && p < int(list.size()))
            curId = table->rows[size_t(list[size_t(p)])].id;
    }

    // Brings the visible list up to date with the table.
    void sync() const
    {
        const RecordsetTable &t = *table;
        if (!built || seenReset != t.resetEpoch) {
            rebuild();
            return;
        }
        if (seenDelete != t.deleteEpoch && kind != Pending) {
            const int oldSize = int(list.size());
            int kept = 0;
            int newPos = pos < 0 ? -1 : -2;
            for (int i = 0; i < oldSize; ++i) {
                const int r = list[size_t(i)];
                const bool deleted = t.rows[size_t(r)].status == Recordset::adRecDeleted;
                if (i == pos) {
                    // A deleted current row leaves a hole; the row after it keeps its place.
                    newPos = kept;
                    if (deleted && !hole)
                        hole = true;
                }
                if (!deleted)
                    list[size_t(kept++)] = r;
            }
            list.resize(size_t(kept));
            pos = newPos == -2 ? kept : newPos;
        }
        seenDelete = t.deleteEpoch;
        if (seenRows < t.rows.size()) {
            const bool atEof = !hole && pos >= int(list.size()) && !list.empty();
            if (kind != Bookmarks)
                for (size_t i = seenRows; i < t.rows.size(); ++i)
                    if (includes(i))
                        list.push_back(int(i));
            seenRows = t.rows.size();
            if (atEof)
                pos = int(list.size());
        }
    }

    int count() const
    {
        sync();
        return int(list.size());
    }

    // Table row of the current position; throws when there is none.
    int currentRow(const char *member) const
    {
        sync();
        if (hole) {
            const int r = table->rowOfId(curId);
            if (r >= 0)
                return r;
        }
        if (pos < 0 || pos >= int(list.size()))
            raise(Recordset::ErrNoCurrentRow, member,
                  QStringLiteral("There is no current row: the position is at %1.").arg(pos < 0 ? "BOF" : "EOF"));
        return list[size_t(pos)];
    }

    int rowAt(int visible) const
    {
        sync();
        Q_ASSERT(visible >= 0 && visible < int(list.size()));
        return list[size_t(visible)];
    }

    void moveTo(int p) const
    {
        hole = false;
        setPos(p);
    }
};

// ---------------------------------------------------------------------------

static int fieldOrThrow(const RecordsetTable &t, QStringView name, const char *member)
{
    const int i = t.fieldIndex(name);
    if (i < 0)
        raise(Recordset::ErrUnknownField, member, QStringLiteral("Unknown field '%1'.").arg(name.toString()));
    return i;
}

static void checkField(const RecordsetTable &t, int field, const char *member)
{
    if (field < 0 || field >= t.fields.size())
        raise(Recordset::ErrUnknownField, member, QStringLiteral("No field number %1.").arg(field));
}

// Converts a value to the kind of data the field holds.
static QVariant convertForField(const Field &f, const QVariant &v, const char *member)
{
    if (v.isNull() || !v.isValid())
        return QVariant();
    const auto mismatch = [&]() -> QVariant {
        raise(Recordset::ErrTypeMismatch, member,
              QStringLiteral("Value '%1' does not suit field '%2' of type %3.").arg(v.toString(), f.name).arg(f.type));
    };
    if (f.isChapter()) {
        if (v.canConvert<Recordset>() && v.metaType() == QMetaType::fromType<Recordset>())
            return v;
        return mismatch();
    }
    if (f.isText()) {
        if (v.typeId() == QMetaType::QString)
            return v;
        if (v.typeId() == QMetaType::Double)
            return QString::number(v.toDouble(), 'g', 15);
        if (!v.canConvert<QString>())
            return mismatch();
        return v.toString();
    }
    if (f.isInteger() || f.type == adBoolean) {
        double d;
        if (v.typeId() == QMetaType::Int && f.type != adBoolean && f.type != adBigInt)
            return v;
        if (!detail::numberOf(v, d))
            return mismatch();
        if (f.type == adBoolean)
            return QVariant(d != 0);
        const double r = std::nearbyint(d);
        if (f.type == adBigInt || f.type == adUnsignedInt || std::fabs(r) > 2147483647.0)
            return QVariant(qlonglong(r));
        return QVariant(int(r));
    }
    if (f.isNumeric()) {
        double d;
        if (!detail::numberOf(v, d))
            return mismatch();
        return QVariant(d);
    }
    if (f.isDate()) {
        switch (v.typeId()) {
        case QMetaType::QDate:
            return f.type == adDBDate ? v : QVariant(QDateTime(v.toDate(), QTime(0, 0)));
        case QMetaType::QDateTime:
            return f.type == adDBDate ? QVariant(v.toDateTime().date())
                   : f.type == adDBTime ? QVariant(v.toDateTime().time()) : v;
        case QMetaType::QTime:
            return f.type == adDBTime ? v : mismatch();
        case QMetaType::QString: {
            const QString s = v.toString().trimmed();
            QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
            if (!dt.isValid()) {
                const QDate d = QDate::fromString(s, Qt::ISODate);
                if (d.isValid())
                    dt = QDateTime(d, QTime(0, 0));
            }
            if (!dt.isValid())
                return mismatch();
            return f.type == adDBDate ? QVariant(dt.date()) : f.type == adDBTime ? QVariant(dt.time()) : QVariant(dt);
        }
        default:
            return mismatch();
        }
    }
    return v;
}

// ---------------------------------------------------------------------------

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(const Recordset &other) = default;
Recordset &Recordset::operator=(const Recordset &other) = default;
Recordset::Recordset(Recordset &&other) noexcept = default;
Recordset &Recordset::operator=(Recordset &&other) noexcept = default;

Recordset::Recordset(std::shared_ptr<RecordsetCursor> cursor)
    : m_cursor(std::move(cursor))
{
}

Recordset::Recordset(const QList<Field> &fields)
{
    auto table = std::make_shared<RecordsetTable>();
    for (const Field &f : fields) {
        if (f.name.trimmed().isEmpty() || table->fieldIndex(f.name) >= 0)
            raise(ErrBadField, "Fields.Append",
                  QStringLiteral("Field name '%1' is empty or already used.").arg(f.name));
        table->fields.append(f);
        table->fieldByName.emplace(QStringView(table->fields.last().name), int(table->fields.size()) - 1);
    }
    table->rehashFields();
    m_cursor = std::make_shared<RecordsetCursor>();
    m_cursor->table = std::move(table);
}

bool Recordset::isNull() const { return !m_cursor; }

bool Recordset::isSameObject(const Recordset &other) const
{
    return m_cursor && m_cursor == other.m_cursor;
}

bool Recordset::sharesRowsWith(const Recordset &other) const
{
    return m_cursor && other.m_cursor && m_cursor->table == other.m_cursor->table;
}

int Recordset::fieldCount() const { return m_cursor ? int(m_cursor->table->fields.size()) : 0; }

const Field &Recordset::field(int index) const
{
    Q_ASSERT(m_cursor && index >= 0 && index < m_cursor->table->fields.size());
    return m_cursor->table->fields[index];
}

QList<Field> Recordset::fields() const { return m_cursor ? m_cursor->table->fields : QList<Field>(); }

int Recordset::fieldIndex(QStringView name) const
{
    return m_cursor ? m_cursor->table->fieldIndex(name) : -1;
}

void Recordset::appendField(const Field &f)
{
    if (!m_cursor)
        raise(ErrNothing, "Fields.Append", QStringLiteral("The recordset is nothing."));
    RecordsetTable &t = *m_cursor->table;
    if (f.name.trimmed().isEmpty() || t.fieldIndex(f.name) >= 0)
        raise(ErrBadField, "Fields.Append", QStringLiteral("Field name '%1' is empty or already used.").arg(f.name));
    const size_t oldStride = size_t(t.fields.size());
    std::vector<QVariant> cells(t.rows.size() * (oldStride + 1));
    for (size_t i = 0; i < t.rows.size(); ++i)
        for (size_t f = 0; f < oldStride; ++f)
            cells[i * (oldStride + 1) + f] = std::move(t.cells[i * oldStride + f]);
    t.cells = std::move(cells);
    t.fields.append(f);
    t.rehashFields();
    for (Row &r : t.rows)
        if (!r.original.isEmpty())
            r.original.append(QVariant());
}

int Recordset::recordCount() const { return m_cursor ? m_cursor->count() : 0; }

bool Recordset::bof() const
{
    if (!m_cursor)
        return true;
    m_cursor->sync();
    return m_cursor->list.empty() || (!m_cursor->hole && m_cursor->pos < 0);
}

bool Recordset::eof() const
{
    if (!m_cursor)
        return true;
    m_cursor->sync();
    return m_cursor->list.empty() || (!m_cursor->hole && m_cursor->pos >= int(m_cursor->list.size()));
}

void Recordset::moveFirst()
{
    if (!m_cursor)
        raise(ErrNothing, "MoveFirst", QStringLiteral("The recordset is nothing."));
    m_cursor->sync();
    m_cursor->moveTo(m_cursor->list.empty() ? -1 : 0);
}

void Recordset::moveLast()
{
    if (!m_cursor)
        raise(ErrNothing, "MoveLast", QStringLiteral("The recordset is nothing."));
    m_cursor->sync();
    m_cursor->moveTo(int(m_cursor->list.size()) - 1);
}

void Recordset::moveNext()
{
    if (!m_cursor)
        raise(ErrNothing, "MoveNext", QStringLiteral("The recordset is nothing."));
    RecordsetCursor &c = *m_cursor;
    c.sync();
    if (c.hole) {
        c.moveTo(c.pos);
        return;
    }
    if (c.pos >= int(c.list.size()))
        raise(ErrNoCurrentRow, "MoveNext", QStringLiteral("Cannot move past EOF."));
    c.moveTo(c.pos + 1);
}

void Recordset::movePrevious()
{
    if (!m_cursor)
        raise(ErrNothing, "MovePrevious", QStringLiteral("The recordset is nothing."));
    RecordsetCursor &c = *m_cursor;
    c.sync();
    if (c.hole) {
        c.moveTo(c.pos - 1);
        return;
    }
    if (c.pos < 0)
        raise(ErrNoCurrentRow, "MovePrevious", QStringLiteral("Cannot move before BOF."));
    c.moveTo(std::min(c.pos, int(c.list.size())) - 1);
}

int Recordset::absolutePosition() const
{
    if (!m_cursor)
        return PosUnknown;
    const RecordsetCursor &c = *m_cursor;
    c.sync();
    if (c.list.empty() || c.hole)
        return PosUnknown;
    if (c.pos < 0)
        return PosBOF;
    if (c.pos >= int(c.list.size()))
        return PosEOF;
    return c.pos + 1;
}

void Recordset::setAbsolutePosition(int position)
{
    if (!m_cursor)
        raise(ErrNothing, "AbsolutePosition", QStringLiteral("The recordset is nothing."));
    m_cursor->sync();
    if (position < 1 || position > int(m_cursor->list.size()))
        raise(ErrNoCurrentRow, "AbsolutePosition",
              QStringLiteral("Position %1 is outside 1..%2.").arg(position).arg(m_cursor->list.size()));
    m_cursor->moveTo(position - 1);
}

Recordset::Bookmark Recordset::bookmark() const
{
    if (!m_cursor)
        raise(ErrNothing, "Bookmark", QStringLiteral("The recordset is nothing."));
    return m_cursor->table->rows[size_t(m_cursor->currentRow("Bookmark"))].id;
}

void Recordset::setBookmark(Bookmark b)
{
    const int row = rowOfBookmark(b);
    if (row < 0)
        raise(ErrBadBookmark, "Bookmark", QStringLiteral("Bookmark %1 names no visible row.").arg(b));
    m_cursor->moveTo(row);
}

int Recordset::rowOfBookmark(Bookmark b) const
{
    if (!m_cursor)
        return -1;
    const RecordsetCursor &c = *m_cursor;
    c.sync();
    const int r = c.table->rowOfId(b);
    if (r < 0)
        return -1;
    const auto it = std::lower_bound(c.list.begin(), c.list.end(), r);
    return it != c.list.end() && *it == r ? int(it - c.list.begin()) : -1;
}

QVariant Recordset::value(int f) const
{
    if (!m_cursor)
        raise(ErrNothing, "Fields", QStringLiteral("The recordset is nothing."));
    checkField(*m_cursor->table, f, "Fields");
    return m_cursor->table->cell(size_t(m_cursor->currentRow("Fields")), f);
}

QVariant Recordset::value(QStringView name) const
{
    if (!m_cursor)
        raise(ErrNothing, "Fields", QStringLiteral("The recordset is nothing."));
    return value(fieldOrThrow(*m_cursor->table, name, "Fields"));
}

QVariant Recordset::originalValue(int f) const
{
    if (!m_cursor)
        raise(ErrNothing, "OriginalValue", QStringLiteral("The recordset is nothing."));
    checkField(*m_cursor->table, f, "OriginalValue");
    const int row = m_cursor->currentRow("OriginalValue");
    const Row &r = m_cursor->table->rows[size_t(row)];
    if (r.status == adRecNew || r.wasNew)
        return QVariant();
    return r.original.isEmpty() ? m_cursor->table->cell(size_t(row), f) : r.original[f];
}

QVariant Recordset::originalValue(QStringView name) const
{
    if (!m_cursor)
        raise(ErrNothing, "OriginalValue", QStringLiteral("The recordset is nothing."));
    return originalValue(fieldOrThrow(*m_cursor->table, name, "OriginalValue"));
}

static void writeRow(RecordsetTable &t, int row, int f, const QVariant &value, const char *member)
{
    checkField(t, f, member);
    Row &r = t.rows[size_t(row)];
    if (r.status == Recordset::adRecDeleted)
        raise(Recordset::ErrRowDeleted, member, QStringLiteral("The row has been deleted."));
    QVariant v = convertForField(t.fields[f], value, member);
    if (r.status == Recordset::adRecUnmodified) {
        const QVariant *cells = t.rowCells(size_t(row));
        r.original = QList<QVariant>(cells, cells + t.fields.size());
        r.status = Recordset::adRecModified;
    }
    t.cell(size_t(row), f) = std::move(v);
    t.dropIndexes(f);
}

void Recordset::setValue(int f, const QVariant &v)
{
    if (!m_cursor)
        raise(ErrNothing, "Fields", QStringLiteral("The recordset is nothing."));
    writeRow(*m_cursor->table, m_cursor->currentRow("Fields"), f, v, "Fields");
}

void Recordset::setValue(QStringView name, const QVariant &v)
{
    if (!m_cursor)
        raise(ErrNothing, "Fields", QStringLiteral("The recordset is nothing."));
    setValue(fieldOrThrow(*m_cursor->table, name, "Fields"), v);
}

Recordset::RecordStatus Recordset::status() const
{
    if (!m_cursor)
        raise(ErrNothing, "Status", QStringLiteral("The recordset is nothing."));
    return RecordStatus(m_cursor->table->rows[size_t(m_cursor->currentRow("Status"))].status);
}

Recordset Recordset::chapter(QStringView name) const
{
    if (!m_cursor)
        raise(ErrNothing, "Fields", QStringLiteral("The recordset is nothing."));
    const int f = fieldOrThrow(*m_cursor->table, name, "Fields");
    if (!field(f).isChapter())
        raise(ErrTypeMismatch, "Fields", QStringLiteral("Field '%1' is not a chapter.").arg(name.toString()));
    return value(f).value<Recordset>();
}

void Recordset::setChapter(QStringView name, const Recordset &child)
{
    if (!m_cursor)
        raise(ErrNothing, "Fields", QStringLiteral("The recordset is nothing."));
    const int f = fieldOrThrow(*m_cursor->table, name, "Fields");
    if (!field(f).isChapter())
        raise(ErrTypeMismatch, "Fields", QStringLiteral("Field '%1' is not a chapter.").arg(name.toString()));
    // Attaching the child is structure, not an edit: the row's status stays.
    m_cursor->table->cell(size_t(m_cursor->currentRow("Fields")), f) =
        child.isNull() ? QVariant() : QVariant::fromValue(child);
}

QVariant Recordset::valueAt(int row, int f) const
{
    Q_ASSERT(m_cursor);
    return m_cursor->table->cell(size_t(m_cursor->rowAt(row)), f);
}

void Recordset::setValueAt(int row, int f, const QVariant &v)
{
    Q_ASSERT(m_cursor);
    writeRow(*m_cursor->table, m_cursor->rowAt(row), f, v, "Fields");
}

Recordset::RecordStatus Recordset::statusAt(int row) const
{
    Q_ASSERT(m_cursor);
    return RecordStatus(m_cursor->table->rows[size_t(m_cursor->rowAt(row))].status);
}

Recordset::Bookmark Recordset::bookmarkAt(int row) const
{
    Q_ASSERT(m_cursor);
    return m_cursor->table->rows[size_t(m_cursor->rowAt(row))].id;
}

void Recordset::reserve(int more)
{
    if (!m_cursor || more <= 0)
        return;
    RecordsetTable &t = *m_cursor->table;
    t.rows.reserve(t.rows.size() + size_t(more));
    t.cells.reserve(t.cells.size() + size_t(more) * size_t(t.fields.size()));
}

void Recordset::addNew()
{
    if (!m_cursor)
        raise(ErrNothing, "AddNew", QStringLiteral("The recordset is nothing."));
    RecordsetCursor &c = *m_cursor;
    RecordsetTable &t = *c.table;
    c.sync();
    Row r;
    r.id = t.nextId++;
    r.status = adRecNew;
    t.rows.push_back(std::move(r));
    t.cells.resize(t.cells.size() + size_t(t.fields.size()));
    // Other cursors pick the row up when they next look; this one shows it whatever its filter.
    c.list.push_back(int(t.rows.size()) - 1);
    c.seenRows = t.rows.size();
    c.moveTo(int(c.list.size()) - 1);
}

void Recordset::deleteCurrent()
{
    if (!m_cursor)
        raise(ErrNothing, "Delete", QStringLiteral("The recordset is nothing."));
    RecordsetCursor &c = *m_cursor;
    RecordsetTable &t = *c.table;
    const int row = c.currentRow("Delete");
    Row &r = t.rows[size_t(row)];
    if (r.status == adRecDeleted)
        raise(ErrRowDeleted, "Delete", QStringLiteral("The current row is already deleted."));
    r.wasNew = r.status == adRecNew;
    r.status = adRecDeleted;
    ++t.deletedCount;
    ++t.deleteEpoch;
    c.sync();
}

void Recordset::deleteRows(const QList<Bookmark> &bookmarks)
{
    if (!m_cursor)
        raise(ErrNothing, "Delete", QStringLiteral("The recordset is nothing."));
    RecordsetCursor &c = *m_cursor;
    RecordsetTable &t = *c.table;
    c.sync();
    bool deleted = false;
    for (const Bookmark b : bookmarks) {
        const int row = t.rowOfId(b);
        if (row < 0 || t.rows[size_t(row)].status == adRecDeleted)
            continue;
        Row &r = t.rows[size_t(row)];
        r.wasNew = r.status == adRecNew;
        r.status = adRecDeleted;
        ++t.deletedCount;
        deleted = true;
    }
    // One new epoch for all of them: every cursor catches up in one pass.
    if (deleted) {
        ++t.deleteEpoch;
        c.sync();
    }
}

void Recordset::undeleteRows(const QList<Bookmark> &bookmarks)
{
    if (!m_cursor)
        raise(ErrNothing, "Undelete", QStringLiteral("The recordset is nothing."));
    RecordsetTable &t = *m_cursor->table;
    m_cursor->sync();
    bool back = false;
    for (const Bookmark b : bookmarks) {
        const int row = t.rowOfId(b);
        if (row < 0 || t.rows[size_t(row)].status != adRecDeleted)
            continue;
        Row &r = t.rows[size_t(row)];
        r.status = r.wasNew ? adRecNew : r.original.isEmpty() ? adRecUnmodified : adRecModified;
        r.wasNew = false;
        --t.deletedCount;
        back = true;
    }
    // Rows come back into every cursor's view: each lists its rows again.
    if (back)
        ++t.resetEpoch;
}

void Recordset::updateBatch()
{
    if (!m_cursor)
        raise(ErrNothing, "UpdateBatch", QStringLiteral("The recordset is nothing."));
    RecordsetTable &t = *m_cursor->table;
    m_cursor->sync();
    t.compact([&t](size_t i) { return t.rows[i].status != adRecDeleted; });
    for (Row &r : t.rows) {
        r.status = adRecUnmodified;
        r.original.clear();
    }
    t.deletedCount = 0;
    ++t.resetEpoch;
    t.dropAllIndexes();
}

void Recordset::cancelBatch()
{
    if (!m_cursor)
        raise(ErrNothing, "CancelBatch", QStringLiteral("The recordset is nothing."));
    RecordsetTable &t = *m_cursor->table;
    m_cursor->sync();
    t.compact([&t](size_t i) { return t.rows[i].status != adRecNew && !t.rows[i].wasNew; });
    const size_t nf = size_t(t.fields.size());
    for (size_t i = 0; i < t.rows.size(); ++i) {
        Row &r = t.rows[i];
        for (size_t f = 0; f < nf && !r.original.isEmpty(); ++f)
            t.cells[i * nf + f] = r.original[qsizetype(f)];
        r.original.clear();
        r.status = adRecUnmodified;
    }
    t.deletedCount = 0;
    ++t.resetEpoch;
    t.dropAllIndexes();
}

bool Recordset::hasPendingChanges() const
{
    if (!m_cursor)
        return false;
    for (const Row &r : m_cursor->table->rows)
        if (r.status != adRecUnmodified)
            return true;
    return false;
}

Recordset Recordset::clone() const
{
    if (!m_cursor)
        raise(ErrNothing, "Clone", QStringLiteral("The recordset is nothing."));
    auto c = std::make_shared<RecordsetCursor>();
    c->table = m_cursor->table;
    return Recordset(std::move(c));
}

Recordset Recordset::view() const
{
    if (!m_cursor)
        raise(ErrNothing, "Clone", QStringLiteral("The recordset is nothing."));
    // The filter and the rows it selected come along; the position starts afresh.
    auto c = std::make_shared<RecordsetCursor>(*m_cursor);
    c->hole = false;
    c->pos = -1;
    c->curId = 0;
    if (c->built)
        c->moveTo(c->list.empty() ? -1 : 0);
    return Recordset(std::move(c));
}

static std::shared_ptr<const RecordFilter> compileFor(const RecordsetTable &t, const QString &criteria,
                                                      const QString &source)
{
    const auto lookup = [&t](QStringView name) { return t.fieldIndex(name); };
    return std::make_shared<const RecordFilter>(RecordFilter::compile(criteria, t.fields, lookup, source));
}

void Recordset::setFilter(const QString &criteria)
{
    if (!m_cursor)
        raise(ErrNothing, "Filter", QStringLiteral("The recordset is nothing."));
    RecordsetCursor &c = *m_cursor;
    if (criteria.trimmed().isEmpty()) {
        setFilter(FilterNone);
        return;
    }
    // Compile before touching the cursor so that a bad filter leaves it as it was.
    auto predicate = compileFor(*c.table, criteria, QStringLiteral("Recordset.Filter"));
    c.kind = RecordsetCursor::Criteria;
    c.criteria = criteria;
    c.predicate = std::move(predicate);
    c.bookmarks.clear();
    c.built = false;
    if (c.predicate->keyMode() != RecordFilter::NoKey) {
        // A key filter reads the rows from the index instead of testing every row.
        RecordsetTable &t = *c.table;
        c.list.clear();
        for (int r = t.firstOfKey(*c.predicate); r >= 0; r = t.nextOfKey(*c.predicate, r))
            if (t.rows[size_t(r)].status != adRecDeleted)
                c.list.push_back(r);
        c.built = true;
        c.seenRows = t.rows.size();
        c.seenDelete = t.deleteEpoch;
        c.seenReset = t.resetEpoch;
        c.moveTo(c.list.empty() ? -1 : 0);
        return;
    }
    c.rebuild();
    c.moveTo(c.list.empty() ? -1 : 0);
}

void Recordset::setFilter(const QList<Bookmark> &bookmarks)
{
    if (!m_cursor)
        raise(ErrNothing, "Filter", QStringLiteral("The recordset is nothing."));
    RecordsetCursor &c = *m_cursor;
    c.kind = RecordsetCursor::Bookmarks;
    c.criteria.clear();
    c.predicate.reset();
    c.bookmarks.assign(bookmarks.begin(), bookmarks.end());
    std::sort(c.bookmarks.begin(), c.bookmarks.end());
    c.built = false;
    c.rebuild();
    c.moveTo(c.list.empty() ? -1 : 0);
}

void Recordset::setFilter(FilterGroup group)
{
    if (!m_cursor)
        raise(ErrNothing, "Filter", QStringLiteral("The recordset is nothing."));
    RecordsetCursor &c = *m_cursor;
    c.kind = group == FilterPendingRecords ? RecordsetCursor::Pending : RecordsetCursor::NoFilter;
    c.criteria.clear();
    c.predicate.reset();
    c.bookmarks.clear();
    c.built = false;
    c.rebuild();
    c.moveTo(c.list.empty() ? -1 : 0);
}

QString Recordset::filter() const { return m_cursor ? m_cursor->criteria : QString(); }

bool Recordset::isFiltered() const { return m_cursor && m_cursor->kind != RecordsetCursor::NoFilter; }

// Reads criteria of the one form `field = number` or `field = 'text'` (no doubled
// quotes) without building a filter: finds by key are the hot path.
static bool simpleKey(const RecordsetCursor &c, QStringView s, int &field, RecordFilter::KeyMode &mode,
                      double &number, QStringView &text)
{
    const RecordsetTable &t = *c.table;
    qsizetype i = 0;
    const qsizetype n = s.size();
    const auto blanks = [&] {
        while (i < n && s[i].isSpace())
            ++i;
    };
    blanks();
    const qsizetype nameFrom = i;
    while (i < n && (s[i].isLetterOrNumber() || s[i] == u'_'))
        ++i;
    if (i == nameFrom || s[nameFrom].isDigit())
        return false;
    field = c.fieldOfFind(s.mid(nameFrom, i - nameFrom));
    if (field < 0)
        return false;
    blanks();
    if (i >= n || s[i] != u'=')
        return false;
    ++i;
    blanks();
    if (i >= n)
        return false;
    bool quoted = false;
    QStringView literal;
    if (s[i] == u'\'') {
        const qsizetype close = s.indexOf(u'\'', i + 1);
        if (close < 0 || (close + 1 < n && s[close + 1] == u'\''))
            return false;
        literal = s.mid(i + 1, close - i - 1);
        quoted = true;
        i = close + 1;
    } else {
        const qsizetype from = i;
        while (i < n && !s[i].isSpace())
            ++i;
        literal = s.mid(from, i - from);
    }
    blanks();
    if (i != n)
        return false;
    const Field &f = t.fields[field];
    if (f.isNumeric() || f.type == adBoolean) {
        mode = RecordFilter::NumberKey;
        return detail::textToNumber(literal, number);
    }
    if (!f.isText())
        return false;
    if (quoted) {
        mode = RecordFilter::TextKey;
        text = literal;
        return true;
    }
    mode = RecordFilter::NumberKey;
    return detail::textToNumber(literal, number);
}

bool Recordset::find(const QString &criteria, int skip, SearchDirection direction, FindStart start)
{
    if (!m_cursor)
        raise(ErrNothing, "Find", QStringLiteral("The recordset is nothing."));
    RecordsetCursor &c = *m_cursor;
    RecordsetTable &t = *c.table;

    int keyField = -1;
    RecordFilter::KeyMode keyMode = RecordFilter::NoKey;
    double keyNumber = 0;
    QStringView keyView;
    RecordFilter f;
    if (!simpleKey(c, criteria, keyField, keyMode, keyNumber, keyView)) {
        const auto lookup = [&t](QStringView name) { return t.fieldIndex(name); };
        f = RecordFilter::compile(criteria, t.fields, lookup, QStringLiteral("Recordset.Find"));
        keyField = f.keyField();
        keyMode = f.keyMode();
        keyNumber = f.keyNumber();
        keyView = f.keyText();
    }
    // Borrows the criteria's characters for the look-up; nothing keeps it.
    const QString keyText = QString::fromRawData(keyView.data(), keyView.size());

    c.sync();
    const int n = int(c.list.size());
    const bool forward = direction != SearchBackward;
    int from;
    switch (start) {
    case StartFirst: from = 0; break;
    case StartLast: from = n - 1; break;
    default:
        from = c.hole ? (forward ? c.pos : c.pos - 1) : c.pos;
        if (from < 0 && forward)
            from = 0;
        if (from >= n && !forward)
            from = n - 1;
        break;
    }
    from += forward ? skip : -skip;

    int found = -1;
    if (keyMode != RecordFilter::NoKey) {
        // An unfiltered cursor without deleted rows lists every row: its position is the row.
        const bool identity = size_t(n) == t.rows.size();
        for (int r = t.firstOfKey(keyField, keyMode, keyNumber, keyText); r >= 0;
             r = t.nextOfKey(keyField, keyMode, r)) {
            if (t.rows[size_t(r)].status == adRecDeleted)
                continue;
            int p = r;
            if (!identity) {
                const auto it = std::lower_bound(c.list.begin(), c.list.end(), r);
                if (it == c.list.end() || *it != r)
                    continue;
                p = int(it - c.list.begin());
            }
            if (forward && p >= from) {
                found = p;
                break;
            }
            if (!forward && p <= from)
                found = p;
        }
    } else if (forward) {
        for (int p = std::max(from, 0); p < n; ++p)
            if (f.matches(t.rowCells(size_t(c.list[size_t(p)])))) {
                found = p;
                break;
            }
    } else {
        for (int p = std::min(from, n - 1); p >= 0; --p)
            if (f.matches(t.rowCells(size_t(c.list[size_t(p)])))) {
                found = p;
                break;
            }
    }
    if (found >= 0) {
        c.moveTo(found);
        return true;
    }
    c.moveTo(forward ? n : -1);
    return false;
}

} // namespace zr
