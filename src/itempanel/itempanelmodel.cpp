#include "itempanel/itempanelmodel.h"

#include "common/langstrings.h"
#include "common/notifyonchange.h"

#include <QHash>
#include <QLoggingCategory>

#include <algorithm>
#include <vector>

Q_LOGGING_CATEGORY(lcItemPanel, "zr.itempanel")

namespace zr {

namespace {

using Kind = ItemPanelModel::Kind;

// Properties that many items never set; kept out of line so that a large list
// of plain rows stays compact.
struct ItemExtra
{
    QString hint;
    QString description;
    QString shortcut;
    QVariant hidden;
    QVariant tag;
};

const ItemExtra &emptyExtra()
{
    static const ItemExtra empty;
    return empty;
}

struct PanelItem
{
    QString key;
    QString caption;
    QVariant value;
    std::unique_ptr<ItemExtra> extra; // kept through reset(), for the slot's next use
    int style = 0;
    Kind kind = Kind::Entry;
    bool enabled = true;
    bool visible = true;
    bool expanded = false;
    bool selected = false;
    bool deferred = false; // sub-items not built yet (ItemPanelModel::deferChildren)
    PanelItem *parent = nullptr;
    int row = 0; // position among the parent's children; kept exact on every insert/remove
    quint32 poolIndex = 0; // set once by the pool, never reset
    std::vector<PanelItem *> children; // sub-items, or the choices of a choice row; owned by the pool
    std::unique_ptr<QHash<QString, PanelItem *>> choiceIndex; // long choice lists only, built on demand

    bool holdsChoices() const { return kind == Kind::ChoiceRow; }
    const ItemExtra &ex() const { return extra ? *extra : emptyExtra(); }
    ItemExtra &mx()
    {
        if (!extra)
            extra = std::make_unique<ItemExtra>();
        return *extra;
    }

    // Back to a fresh item; the children's capacity is kept for the slot's next use.
    void reset()
    {
        key.clear();
        caption.clear();
        value.clear();
        if (extra)
            *extra = ItemExtra();
        style = 0;
        kind = Kind::Entry;
        enabled = visible = true;
        expanded = selected = deferred = false;
        parent = nullptr;
        row = 0;
        children.clear();
        choiceIndex.reset();
    }
};

// Choice lists up to this length are searched in order; longer ones get a hash.
constexpr size_t ChoiceScanLimit = 24;

// Items live in fixed chunks that a cleared panel keeps, as a cleared vector keeps
// its capacity: rebuilding a large list then reuses memory instead of faulting in
// fresh pages for tens of thousands of small allocations.
class ItemPool
{
public:
    PanelItem *allocate()
    {
        if (!m_free.empty()) {
            PanelItem *item = m_free.back();
            m_free.pop_back();
            return item;
        }
        if (m_used == m_chunks.size() * ChunkSize)
            m_chunks.push_back(std::make_unique<PanelItem[]>(ChunkSize));
        PanelItem *item = &m_chunks[m_used / ChunkSize][m_used % ChunkSize];
        item->poolIndex = quint32(m_used);
        ++m_used;
        return item;
    }

    PanelItem *at(quint32 index) const { return &m_chunks[index / ChunkSize][index % ChunkSize]; }

    void release(PanelItem *item)
    {
        item->reset();
        m_free.push_back(item);
    }

    /// Every item in use, in memory order; released slots (no parent) are skipped.
    template<typename Fn>
    void forEachItem(Fn fn)
    {
        for (size_t i = 0; i < m_used; ++i) {
            PanelItem *item = &m_chunks[i / ChunkSize][i % ChunkSize];
            if (item->parent)
                fn(item);
        }
    }

    void releaseAll()
    {
        for (size_t i = 0; i < m_used; ++i)
            m_chunks[i / ChunkSize][i % ChunkSize].reset();
        m_used = 0;
        m_free.clear();
    }

private:
    static constexpr size_t ChunkSize = 1024;
    std::vector<std::unique_ptr<PanelItem[]>> m_chunks;
    std::vector<PanelItem *> m_free;
    size_t m_used = 0;
};

// The panel's key index: open addressing with linear probing over 8-byte slots
// (32 bits of the key's hash, the item's pool position). Compared with a
// QHash<QString, ...> it stores no copy of the key, allocates nothing per insert,
// keeps its table when emptied and is small enough to stay in cache while a list
// of tens of thousands of rows is built.
class KeyIndex
{
public:
    explicit KeyIndex(const ItemPool &pool) : m_pool(pool) {}

    static quint32 hashOf(const QString &key) { return quint32(qHash(key, 0)); }

    PanelItem *find(const QString &key, quint32 hash) const
    {
        if (m_slots.empty())
            return nullptr;
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot slot = m_slots[i];
            if (!slot.ref)
                return nullptr;
            if (slot.hash == hash) {
                PanelItem *item = m_pool.at(slot.ref - 1);
                if (item->key == key)
                    return item;
            }
        }
    }

    /// Adds an item whose key is known to be absent.
    void insertNew(const PanelItem *item, quint32 hash)
    {
        if ((m_count + 1) * 4 > m_slots.size() * 3)
            grow();
        const size_t mask = m_slots.size() - 1;
        size_t i = hash & mask;
        while (m_slots[i].ref)
            i = (i + 1) & mask;
        m_slots[i] = Slot{hash, item->poolIndex + 1};
        ++m_count;
    }

    void remove(const PanelItem *item)
    {
        if (m_slots.empty())
            return;
        const size_t mask = m_slots.size() - 1;
        const quint32 ref = item->poolIndex + 1;
        size_t i = hashOf(item->key) & mask;
        while (m_slots[i].ref && m_slots[i].ref != ref)
            i = (i + 1) & mask;
        if (!m_slots[i].ref)
            return;
        // Backward-shift deletion keeps every probe chain unbroken without tombstones.
        for (size_t j = (i + 1) & mask; m_slots[j].ref; j = (j + 1) & mask) {
            const size_t home = m_slots[j].hash & mask;
            const bool between = i <= j ? (i < home && home <= j) : (i < home || home <= j);
            if (!between) {
                m_slots[i] = m_slots[j];
                i = j;
            }
        }
        m_slots[i] = Slot{};
        --m_count;
    }

    /// Empties the index; the table keeps its size.
    void clear()
    {
        std::fill(m_slots.begin(), m_slots.end(), Slot{});
        m_count = 0;
    }

private:
    struct Slot
    {
        quint32 hash = 0;
        quint32 ref = 0; // pool position + 1; 0 marks a free slot
    };

    void grow()
    {
        std::vector<Slot> old(std::max<size_t>(64, m_slots.size() * 2));
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (const Slot &slot : old) {
            if (!slot.ref)
                continue;
            size_t i = slot.hash & mask;
            while (m_slots[i].ref)
                i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }

    const ItemPool &m_pool;
    std::vector<Slot> m_slots; // size is zero or a power of two, at most three quarters full
    size_t m_count = 0;
};


bool hasEditor(Kind kind)
{
    return kind == Kind::Entry || kind == Kind::Number || kind == Kind::ChoiceRow;
}

} // namespace

class ItemPanelModelPrivate
{
public:
    explicit ItemPanelModelPrivate(ItemPanelModel *q) : q(q)
    {
        using namespace ItemStyle;
        m_styleKinds = {
            {Header, Kind::Header},       {Picker, Kind::Picker},         {Entry, Kind::Entry},
            {ChoiceRow, Kind::ChoiceRow}, {Choice, Kind::Choice},         {TextRow, Kind::Text},
            {MenuEntry, Kind::MenuEntry}, {Command, Kind::Command},       {CheckBox, Kind::CheckBox},
            {CheckItem, Kind::CheckBox},  {Number, Kind::Number},         {SearchText, Kind::Entry},
            {SearchWideText, Kind::Entry}, {SearchNumber, Kind::Entry},
        };
    }

    PanelItem *find(const QString &key) const
    {
        PanelItem *item = findBuilt(key);
        if (item || !m_ownerOf || m_building)
            return item;
        // A key under sub-items not built yet: building them makes it.
        const QString owner = m_ownerOf(key);
        PanelItem *ownerItem = owner.isEmpty() || owner == key ? nullptr : findBuilt(owner);
        if (!ownerItem || !ownerItem->deferred)
            return nullptr;
        ensureBuilt(ownerItem);
        return findBuilt(key);
    }

    PanelItem *findBuilt(const QString &key) const
    {
        // Builders address the item they just added and its parent over and over;
        // two comparisons save most hash look-ups while a list is built.
        if (m_lastItem && m_lastItem->key == key)
            return m_lastItem;
        if (m_lastParent && m_lastParent->key == key)
            return m_lastParent;
        PanelItem *item = m_index.find(key, KeyIndex::hashOf(key));
        if (item)
            m_lastItem = item;
        return item;
    }

    // Builds a deferred item's sub-items, silently: to views they were always there.
    // Asked for from const look-ups, like a cache filled on first use.
    void ensureBuilt(const PanelItem *constItem) const
    {
        if (!constItem || !constItem->deferred)
            return;
        if (!m_build) {
            const_cast<PanelItem *>(constItem)->deferred = false;
            return;
        }
        auto *self = const_cast<ItemPanelModelPrivate *>(this);
        auto *item = const_cast<PanelItem *>(constItem);
        item->deferred = false;
        const QString key = item->key;
        {
            ++self->m_building;
            struct Done { int &building; ~Done() { --building; } } done{self->m_building};
            m_build(key);
            if (!m_itemsEnabled) {
                if (PanelItem *built = findBuilt(key))
                    self->disableSubtree(built);
            }
        }
        if (signalling())
            emit q->childrenBuilt(key);
    }

    void disableSubtree(PanelItem *item)
    {
        for (PanelItem *child : item->children) {
            child->enabled = false;
            if (!child->holdsChoices())
                disableSubtree(child);
        }
    }

    // The item whose sub-items are asked for (the root for an empty key), built first.
    PanelItem *parentItem(const QString &key) const
    {
        if (key.isEmpty())
            return const_cast<PanelItem *>(&m_root);
        PanelItem *item = find(key);
        ensureBuilt(item);
        return item;
    }

    // Model signals go out unless redrawing is off or sub-items are being built on demand.
    bool signalling() const { return m_redraw && !m_building; }

    PanelItem *findChoice(const PanelItem *constRow, const QString &choiceKey) const
    {
        if (!constRow || !constRow->holdsChoices())
            return nullptr;
        // The hash of a long list is a cache; building it does not change the item.
        auto *row = const_cast<PanelItem *>(constRow);
        if (row->children.size() <= ChoiceScanLimit) {
            for (PanelItem *choice : row->children) {
                if (choice->key == choiceKey)
                    return choice;
            }
            return nullptr;
        }
        if (!row->choiceIndex) {
            row->choiceIndex = std::make_unique<QHash<QString, PanelItem *>>();
            row->choiceIndex->reserve(qsizetype(row->children.size()));
            for (PanelItem *choice : row->children)
                row->choiceIndex->insert(choice->key, choice);
        }
        return row->choiceIndex->value(choiceKey, nullptr);
    }

    // Gives an item and its subtree back to the pool.
    void release(PanelItem *item)
    {
        for (PanelItem *child : item->children)
            release(child);
        if (item == m_lastItem)
            m_lastItem = nullptr;
        if (item == m_lastParent)
            m_lastParent = nullptr;
        m_pool.release(item);
    }

    QModelIndex indexFor(PanelItem *item, int column = 0) const
    {
        if (!item || item == &m_root || !m_redraw)
            return {};
        return q->createIndex(item->row, column, item);
    }

    PanelItem *itemFor(const QModelIndex &index) const
    {
        return index.isValid() ? static_cast<PanelItem *>(index.internalPointer()) : nullptr;
    }

    bool isEffectivelyEnabled(const PanelItem *item) const { return m_enabled && item->enabled; }

    void renumber(PanelItem *parent, size_t from)
    {
        for (size_t i = from; i < parent->children.size(); ++i)
            parent->children[i]->row = int(i);
    }

    // Drops the hash entries of an item's subtree before it is destroyed.
    void unregister(PanelItem *item)
    {
        if (item == m_selected)
            m_selected = nullptr;
        if (item->parent && item->parent->holdsChoices())
            return; // choices are found through their row
        m_index.remove(item);
        --m_itemCount;
        for (PanelItem *child : item->children)
            unregister(child);
    }

    void emitDataChanged(PanelItem *item, int firstColumn = 0, int lastColumn = 1)
    {
        if (!signalling() || !item || item == &m_root || (item->parent && item->parent->holdsChoices()))
            return;
        emit q->dataChanged(indexFor(item, firstColumn), indexFor(item, lastColumn));
    }

    // Stores a value; `notify` emits valueChanged. Returns whether it changed.
    bool storeValue(PanelItem *item, const QVariant &value)
    {
        // The type test first: it settles the usual first assignment without a comparison.
        if (item->value.typeId() == value.typeId() && item->value == value)
            return false;
        item->value = value;
        emitDataChanged(item, ItemPanelModel::CaptionColumn, ItemPanelModel::ValueColumn);
        emit q->valueChanged(item->key, QStringLiteral("Value"));
        return true;
    }

    QString valueText(const PanelItem *item) const
    {
        if (item->kind == Kind::ChoiceRow) {
            const PanelItem *choice = findChoice(item, item->value.toString());
            return choice ? choice->caption : QString();
        }
        return item->value.toString();
    }

    ItemPanelModel *const q;
    PanelItem m_root;
    ItemPool m_pool; // before the index, which refers to it
    KeyIndex m_index{m_pool};
    QHash<int, Kind> m_styleKinds;
    PanelItem *m_selected = nullptr;
    mutable PanelItem *m_lastItem = nullptr;
    mutable int m_lastStyle = -1;
    mutable Kind m_lastStyleKind = Kind::Entry;
    PanelItem *m_lastParent = nullptr;
    int m_itemCount = 0;
    ItemPanelModel::ChildBuilder m_build;
    ItemPanelModel::KeyOwner m_ownerOf;
    int m_building = 0;        // depth of on-demand builds under way
    bool m_itemsEnabled = true; // as setAllItemsEnabled left every item; sub-items built later follow it
    bool m_redraw = true;
    bool m_enabled = true;
};

ItemPanelModel::ItemPanelModel(QObject *parent)
    : QAbstractItemModel(parent), d(std::make_unique<ItemPanelModelPrivate>(this))
{
}

ItemPanelModel::~ItemPanelModel() = default;

ItemPanelModel::Kind ItemPanelModel::kindOfStyle(int style) const
{
    // The last style asked for is asked for again while a block of like rows is built.
    if (style != d->m_lastStyle) {
        d->m_lastStyle = style;
        d->m_lastStyleKind = d->m_styleKinds.value(style, Kind::Entry);
    }
    return d->m_lastStyleKind;
}

void ItemPanelModel::setStyleKind(int style, Kind kind)
{
    d->m_styleKinds.insert(style, kind);
    d->m_lastStyle = -1;
}

// --- building ---------------------------------------------------------------

bool ItemPanelModel::addItem(const QString &key, const QString &caption, int style,
                             const QString &parentKey, int row)
{
    PanelItem *parent = &d->m_root;
    if (!parentKey.isEmpty()) {
        parent = d->find(parentKey);
        if (!parent) {
            qCWarning(lcItemPanel) << "addItem: no parent item" << parentKey << "for" << key;
            return false;
        }
        if (parent->holdsChoices())
            return addChoice(parentKey, key, caption, style, row);
    }
    if (key.isEmpty()) {
        qCWarning(lcItemPanel) << "addItem: empty key";
        return false;
    }
    const quint32 hash = KeyIndex::hashOf(key);
    if (d->m_index.find(key, hash)) {
        qCWarning(lcItemPanel) << "addItem: key already used" << key;
        return false;
    }
    PanelItem *item = d->m_pool.allocate();
    item->key = key;
    item->caption = caption;
    item->style = style;
    item->kind = kindOfStyle(style);
    item->parent = parent;
    d->m_index.insertNew(item, hash);

    const int size = int(parent->children.size());
    const int at = (row < 0 || row > size) ? size : row;
    if (d->signalling())
        beginInsertRows(d->indexFor(parent), at, at);
    if (parent->children.capacity() == 0)
        parent->children.reserve(4); // skips the 1- and 2-element steps of the usual growth
    parent->children.insert(parent->children.begin() + at, item);
    d->renumber(parent, size_t(at));
    d->m_lastItem = item;
    if (parent != &d->m_root)
        d->m_lastParent = parent;
    ++d->m_itemCount;
    if (d->signalling())
        endInsertRows();
    return true;
}

bool ItemPanelModel::insertItem(const QString &beforeKey, const QString &key, const QString &caption,
                                int style)
{
    PanelItem *before = d->find(beforeKey);
    if (!before) {
        qCWarning(lcItemPanel) << "insertItem: no item" << beforeKey;
        return false;
    }
    const QString parentKey = before->parent == &d->m_root ? QString() : before->parent->key;
    return addItem(key, caption, style, parentKey, before->row);
}

bool ItemPanelModel::addChoice(const QString &rowKey, const QString &choiceKey, const QString &caption,
                               int style, int position)
{
    PanelItem *row = d->find(rowKey);
    if (!row || !row->holdsChoices() || choiceKey.isEmpty()) {
        qCWarning(lcItemPanel) << "addChoice: no choice row" << rowKey << "or empty key";
        return false;
    }
    if (d->findChoice(row, choiceKey)) {
        qCWarning(lcItemPanel) << "addChoice: key already used" << choiceKey << "in" << rowKey;
        return false;
    }
    PanelItem *choice = d->m_pool.allocate();
    choice->key = choiceKey;
    choice->caption = caption;
    choice->style = style;
    choice->kind = Kind::Choice;
    choice->parent = row;
    if (row->choiceIndex)
        row->choiceIndex->insert(choiceKey, choice);
    const int size = int(row->children.size());
    const int at = (position < 0 || position > size) ? size : position;
    if (row->children.capacity() == 0)
        row->children.reserve(4);
    row->children.insert(row->children.begin() + at, choice);
    d->renumber(row, size_t(at));
    d->emitDataChanged(row, ValueColumn, ValueColumn);
    return true;
}

bool ItemPanelModel::removeItem(const QString &key)
{
    PanelItem *item = d->find(key);
    if (!item)
        return false;
    PanelItem *parent = item->parent;
    const int at = item->row;
    if (d->signalling())
        beginRemoveRows(d->indexFor(parent), at, at);
    d->unregister(item);
    parent->children.erase(parent->children.begin() + at);
    d->renumber(parent, size_t(at));
    d->release(item);
    if (d->signalling())
        endRemoveRows();
    return true;
}

bool ItemPanelModel::removeChoice(const QString &rowKey, const QString &choiceKey)
{
    PanelItem *row = d->find(rowKey);
    PanelItem *choice = d->findChoice(row, choiceKey);
    if (!choice)
        return false;
    const bool wasSelected = row->value.toString() == choiceKey;
    if (row->choiceIndex)
        row->choiceIndex->remove(choiceKey);
    const int at = choice->row;
    row->children.erase(row->children.begin() + at);
    d->renumber(row, size_t(at));
    d->release(choice);
    if (wasSelected)
        d->storeValue(row, QVariant());
    d->emitDataChanged(row, ValueColumn, ValueColumn);
    return true;
}

void ItemPanelModel::clearChoices(const QString &rowKey)
{
    PanelItem *row = d->find(rowKey);
    if (!row || !row->holdsChoices())
        return;
    for (PanelItem *choice : row->children)
        d->release(choice);
    row->children.clear();
    row->choiceIndex.reset();
    d->storeValue(row, QVariant());
    d->emitDataChanged(row, ValueColumn, ValueColumn);
}

void ItemPanelModel::clear()
{
    if (d->m_redraw)
        beginResetModel();
    d->m_root.children.clear();
    d->m_pool.releaseAll();
    d->m_index.clear();
    d->m_selected = nullptr;
    d->m_lastItem = nullptr;
    d->m_lastParent = nullptr;
    d->m_itemCount = 0;
    d->m_itemsEnabled = true; // items added from now on are enabled, however they are built
    if (d->m_redraw)
        endResetModel();
}

void ItemPanelModel::setRedraw(bool on)
{
    const NotifyOnChange notify(this, "redraw");
    if (on == d->m_redraw)
        return;
    if (!on) {
        // Everything until redraw is on again becomes a single reset.
        beginResetModel();
        d->m_redraw = false;
    } else {
        d->m_redraw = true;
        endResetModel();
    }
}

bool ItemPanelModel::redraw() const
{
    return d->m_redraw;
}

void ItemPanelModel::setEnabled(bool on)
{
    const NotifyOnChange notify(this, "enabled");
    if (on == d->m_enabled)
        return;
    if (d->m_redraw)
        beginResetModel(); // flags of every row change; cheaper than one signal per row
    d->m_enabled = on;
    if (d->m_redraw)
        endResetModel();
}

bool ItemPanelModel::isEnabled() const
{
    return d->m_enabled;
}

// --- looking up -------------------------------------------------------------

bool ItemPanelModel::contains(const QString &key) const
{
    return d->find(key) != nullptr;
}

QModelIndex ItemPanelModel::indexOf(const QString &key, int column) const
{
    if (column < 0 || column >= ColumnCount)
        return {};
    return d->indexFor(d->find(key), column);
}

QString ItemPanelModel::keyOf(const QModelIndex &index) const
{
    const PanelItem *item = d->itemFor(index);
    return item ? item->key : QString();
}

QString ItemPanelModel::parentKey(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item ? item->parent->key : QString();
}

int ItemPanelModel::count(const QString &parentKey) const
{
    const PanelItem *parent = d->parentItem(parentKey);
    return parent ? int(parent->children.size()) : 0;
}

QString ItemPanelModel::keyAt(int row, const QString &parentKey) const
{
    const PanelItem *parent = d->parentItem(parentKey);
    if (!parent || row < 0 || row >= int(parent->children.size()))
        return {};
    return parent->children[size_t(row)]->key;
}

QStringList ItemPanelModel::keys(const QString &parentKey) const
{
    const PanelItem *parent = d->parentItem(parentKey);
    QStringList result;
    if (!parent)
        return result;
    result.reserve(qsizetype(parent->children.size()));
    for (const PanelItem *child : parent->children)
        result.append(child->key);
    return result;
}

int ItemPanelModel::itemCount() const
{
    return d->m_itemCount;
}

void ItemPanelModel::setChildBuilder(ChildBuilder build, KeyOwner ownerOf)
{
    d->m_build = std::move(build);
    d->m_ownerOf = std::move(ownerOf);
}

bool ItemPanelModel::deferChildren(const QString &key)
{
    PanelItem *item = d->findBuilt(key);
    if (!item || !d->m_build || !item->children.empty() || item->holdsChoices())
        return false;
    item->deferred = true;
    return true;
}

bool ItemPanelModel::isDeferred(const QString &key) const
{
    const PanelItem *item = d->findBuilt(key);
    return item && item->deferred;
}

void ItemPanelModel::visitItems(const std::function<void(const ItemState &)> &visit) const
{
    if (!d->m_redraw)
        return;
    // An explicit stack: the reference to stack.back() is not used after a push.
    std::vector<std::pair<const PanelItem *, size_t>> stack;
    stack.emplace_back(&d->m_root, 0);
    while (!stack.empty()) {
        auto &[parent, next] = stack.back();
        if (parent->holdsChoices() || next >= parent->children.size()) {
            stack.pop_back();
            continue;
        }
        PanelItem *item = parent->children[next++];
        visit(ItemState{createIndex(item->row, 0, item), item->kind, item->visible, item->expanded,
                        item->selected});
        if (!item->children.empty())
            stack.emplace_back(item, 0);
    }
}

// --- properties -------------------------------------------------------------

QString ItemPanelModel::caption(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item ? item->caption : QString();
}

bool ItemPanelModel::setCaption(const QString &key, const QString &caption)
{
    PanelItem *item = d->find(key);
    if (!item)
        return false;
    if (item->caption != caption) {
        item->caption = caption;
        d->emitDataChanged(item, CaptionColumn, CaptionColumn);
        emit valueChanged(key, QStringLiteral("Caption"));
    }
    return true;
}

int ItemPanelModel::style(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item ? item->style : 0;
}

ItemPanelModel::Kind ItemPanelModel::kind(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item ? item->kind : Kind::Entry;
}

QVariant ItemPanelModel::value(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item ? item->value : QVariant();
}

bool ItemPanelModel::setValue(const QString &key, const QVariant &value)
{
    PanelItem *item = d->find(key);
    if (!item)
        return false;
    d->storeValue(item, value);
    return true;
}

QString ItemPanelModel::valueText(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item ? d->valueText(item) : QString();
}

QVariant ItemPanelModel::hiddenValue(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item ? item->ex().hidden : QVariant();
}

bool ItemPanelModel::setHiddenValue(const QString &key, const QVariant &value)
{
    PanelItem *item = d->find(key);
    if (!item)
        return false;
    item->mx().hidden = value;
    return true;
}

QString ItemPanelModel::hint(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item ? item->ex().hint : QString();
}

bool ItemPanelModel::setHint(const QString &key, const QString &hint)
{
    PanelItem *item = d->find(key);
    if (!item)
        return false;
    item->mx().hint = hint;
    d->emitDataChanged(item);
    return true;
}

QString ItemPanelModel::description(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item ? item->ex().description : QString();
}

bool ItemPanelModel::setDescription(const QString &key, const QString &description)
{
    PanelItem *item = d->find(key);
    if (!item)
        return false;
    item->mx().description = description;
    d->emitDataChanged(item);
    return true;
}

QString ItemPanelModel::shortcut(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item ? item->ex().shortcut : QString();
}

bool ItemPanelModel::setShortcut(const QString &key, const QString &shortcut)
{
    PanelItem *item = d->find(key);
    if (!item)
        return false;
    item->mx().shortcut = shortcut;
    return true;
}

QVariant ItemPanelModel::tag(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item ? item->ex().tag : QVariant();
}

bool ItemPanelModel::setTag(const QString &key, const QVariant &tag)
{
    PanelItem *item = d->find(key);
    if (!item)
        return false;
    item->mx().tag = tag;
    return true;
}

bool ItemPanelModel::isItemEnabled(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item && item->enabled;
}

bool ItemPanelModel::setItemEnabled(const QString &key, bool enabled)
{
    PanelItem *item = d->find(key);
    if (!item)
        return false;
    if (item->enabled != enabled) {
        item->enabled = enabled;
        d->emitDataChanged(item);
    }
    return true;
}

void ItemPanelModel::setAllItemsEnabled(bool enabled)
{
    if (d->m_redraw)
        beginResetModel();
    // In memory order rather than by key: a sequential walk; choices ignore the flag.
    d->m_pool.forEachItem([enabled](PanelItem *item) { item->enabled = enabled; });
    d->m_itemsEnabled = enabled;
    if (d->m_redraw)
        endResetModel();
}

bool ItemPanelModel::isVisible(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item && item->visible;
}

bool ItemPanelModel::setVisible(const QString &key, bool visible)
{
    PanelItem *item = d->find(key);
    if (!item)
        return false;
    if (item->visible != visible) {
        item->visible = visible;
        if (d->signalling())
            emit visibleChanged(key, visible);
    }
    return true;
}

bool ItemPanelModel::isExpanded(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item && item->expanded;
}

bool ItemPanelModel::setExpanded(const QString &key, bool expanded)
{
    PanelItem *item = d->find(key);
    if (!item)
        return false;
    if (item->expanded != expanded) {
        item->expanded = expanded;
        if (d->signalling())
            emit expandedChanged(key, expanded);
    }
    return true;
}

void ItemPanelModel::setAllExpanded(bool expanded)
{
    // In memory order rather than by key: a sequential walk; choices have no sub-items.
    d->m_pool.forEachItem([expanded](PanelItem *item) {
        if ((!item->children.empty() || item->deferred) && !item->holdsChoices())
            item->expanded = expanded;
    });
    // One signal: a view expands everything at once far faster than item by item.
    if (d->signalling())
        emit expandedChanged(QString(), expanded);
}

bool ItemPanelModel::isSelected(const QString &key) const
{
    const PanelItem *item = d->find(key);
    return item && item->selected;
}

bool ItemPanelModel::setSelected(const QString &key, bool selected)
{
    PanelItem *item = d->find(key);
    if (!item)
        return false;
    if (!selected) {
        item->selected = false;
        if (d->m_selected == item)
            d->m_selected = nullptr;
        return true;
    }
    if (d->m_selected == item)
        return true;
    if (d->m_selected)
        d->m_selected->selected = false;
    item->selected = true;
    d->m_selected = item;
    emit itemSelected(key);
    return true;
}

QString ItemPanelModel::selectedKey() const
{
    return d->m_selected ? d->m_selected->key : QString();
}

void ItemPanelModel::ensureVisible(const QString &key)
{
    if (d->find(key))
        emit scrollToRequested(key);
}

// --- choices ----------------------------------------------------------------

bool ItemPanelModel::selectChoice(const QString &rowKey, const QString &choiceKey)
{
    PanelItem *row = d->find(rowKey);
    if (!d->findChoice(row, choiceKey))
        return false;
    d->storeValue(row, choiceKey);
    return true;
}

bool ItemPanelModel::selectChoiceAt(const QString &rowKey, int position)
{
    PanelItem *row = d->find(rowKey);
    if (!row || !row->holdsChoices() || position < 0 || position >= int(row->children.size()))
        return false;
    d->storeValue(row, row->children[size_t(position)]->key);
    return true;
}

bool ItemPanelModel::containsChoice(const QString &rowKey, const QString &choiceKey) const
{
    return d->findChoice(d->find(rowKey), choiceKey) != nullptr;
}

QString ItemPanelModel::choiceCaption(const QString &rowKey, const QString &choiceKey) const
{
    const PanelItem *choice = d->findChoice(d->find(rowKey), choiceKey);
    return choice ? choice->caption : QString();
}

bool ItemPanelModel::setChoiceCaption(const QString &rowKey, const QString &choiceKey,
                                      const QString &caption)
{
    PanelItem *row = d->find(rowKey);
    PanelItem *choice = d->findChoice(row, choiceKey);
    if (!choice)
        return false;
    choice->caption = caption;
    d->emitDataChanged(row, ValueColumn, ValueColumn);
    return true;
}

QVariant ItemPanelModel::choiceTag(const QString &rowKey, const QString &choiceKey) const
{
    const PanelItem *choice = d->findChoice(d->find(rowKey), choiceKey);
    return choice ? choice->ex().tag : QVariant();
}

bool ItemPanelModel::setChoiceTag(const QString &rowKey, const QString &choiceKey, const QVariant &tag)
{
    PanelItem *choice = d->findChoice(d->find(rowKey), choiceKey);
    if (!choice)
        return false;
    choice->mx().tag = tag;
    return true;
}

int ItemPanelModel::selectedChoicePosition(const QString &rowKey) const
{
    const PanelItem *row = d->find(rowKey);
    const PanelItem *choice = row ? d->findChoice(row, row->value.toString()) : nullptr;
    return choice ? choice->row : -1;
}

// --- user actions -----------------------------------------------------------

bool ItemPanelModel::requestEdit(const QString &key)
{
    PanelItem *item = d->find(key);
    if (!item || !d->isEffectivelyEnabled(item) || !hasEditor(item->kind))
        return false;
    bool cancel = false;
    emit beforeEdit(key, cancel);
    return !cancel;
}

bool ItemPanelModel::editValue(const QString &key, const QVariant &value)
{
    PanelItem *item = d->find(key);
    if (!item || !d->isEffectivelyEnabled(item))
        return false;
    if (!hasEditor(item->kind) && item->kind != Kind::CheckBox)
        return false;
    if (item->kind == Kind::ChoiceRow && !d->findChoice(item, value.toString()))
        return false;
    if (item->value == value)
        return true;
    bool cancel = false;
    emit beforeValueChange(key, value, cancel);
    if (cancel)
        return false;
    // The handler may have removed the item.
    item = d->find(key);
    if (!item)
        return false;
    d->storeValue(item, value);
    return true;
}

bool ItemPanelModel::clickButton(const QString &key)
{
    PanelItem *item = d->find(key);
    if (!item || item->kind != Kind::Picker || !d->isEffectivelyEnabled(item))
        return false;
    emit buttonClicked(key);
    return true;
}

bool ItemPanelModel::clickItem(const QString &key)
{
    PanelItem *item = d->find(key);
    if (!item || !d->isEffectivelyEnabled(item))
        return false;
    switch (item->kind) {
    case Kind::Command:
    case Kind::MenuEntry:
        break;
    case Kind::CheckBox:
        if (!editValue(key, item->value.toBool() ? 0 : 1))
            return false;
        break;
    default:
        return false;
    }
    emit itemClicked(key);
    return true;
}

// --- QAbstractItemModel -----------------------------------------------------

QModelIndex ItemPanelModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!d->m_redraw || column < 0 || column >= ColumnCount || row < 0 || parent.column() > 0)
        return {};
    PanelItem *parentItem = parent.isValid() ? d->itemFor(parent) : &d->m_root;
    d->ensureBuilt(parentItem);
    if (parentItem->holdsChoices() || row >= int(parentItem->children.size()))
        return {};
    return createIndex(row, column, parentItem->children[size_t(row)]);
}

QModelIndex ItemPanelModel::parent(const QModelIndex &child) const
{
    const PanelItem *item = d->itemFor(child);
    if (!item || item->parent == &d->m_root)
        return {};
    return createIndex(item->parent->row, 0, item->parent);
}

int ItemPanelModel::rowCount(const QModelIndex &parent) const
{
    if (!d->m_redraw || parent.column() > 0)
        return 0;
    const PanelItem *item = parent.isValid() ? d->itemFor(parent) : &d->m_root;
    d->ensureBuilt(item);
    return item->holdsChoices() ? 0 : int(item->children.size());
}

int ItemPanelModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

bool ItemPanelModel::hasChildren(const QModelIndex &parent) const
{
    // Sub-items waiting to be built are promised, not built, until the view opens them.
    const PanelItem *item = parent.isValid() && parent.column() == 0 ? d->itemFor(parent) : nullptr;
    if (item && item->deferred)
        return d->m_redraw;
    return rowCount(parent) > 0;
}

QVariant ItemPanelModel::data(const QModelIndex &index, int role) const
{
    const PanelItem *item = d->itemFor(index);
    if (!item)
        return {};
    const bool valueColumn = index.column() == ValueColumn;
    switch (role) {
    case Qt::DisplayRole:
        if (!valueColumn)
            return item->caption;
        switch (item->kind) {
        case Kind::Header:
        case Kind::Command:
        case Kind::MenuEntry:
        case Kind::CheckBox:
            return QString();
        default:
            return d->valueText(item);
        }
    case Qt::EditRole:
        return valueColumn ? item->value : QVariant(item->caption);
    case Qt::CheckStateRole:
        if (item->kind == Kind::CheckBox && !valueColumn)
            return item->value.toBool() ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::ToolTipRole: {
        const QString help = item->ex().hint.isEmpty() ? item->ex().description : item->ex().hint;
        // A narrow column elides its text: the tooltip says it whole, above the row's help.
        const QString shown = StripMnemonic(data(index, Qt::DisplayRole).toString());
        if (shown.isEmpty() || help.contains(shown))
            return help;
        return help.isEmpty() ? shown : shown + QLatin1Char('\n') + help;
    }
    case Qt::StatusTipRole:
    case Qt::WhatsThisRole:
    case Qt::AccessibleDescriptionRole:
        return item->ex().description.isEmpty() ? item->ex().hint : item->ex().description;
    case KeyRole:
        return item->key;
    case StyleRole:
        return item->style;
    case KindRole:
        return int(item->kind);
    case HiddenValueRole:
        return item->ex().hidden;
    case HintRole:
        return item->ex().hint;
    case DescriptionRole:
        return item->ex().description;
    case ShortcutRole:
        return item->ex().shortcut;
    case TagRole:
        return item->ex().tag;
    case ExpandedRole:
        return item->expanded;
    case VisibleRole:
        return item->visible;
    case SelectedRole:
        return item->selected;
    case ChoiceKeysRole:
    case ChoiceCaptionsRole: {
        QStringList list;
        if (item->holdsChoices()) {
            list.reserve(qsizetype(item->children.size()));
            for (const PanelItem *choice : item->children)
                list.append(role == ChoiceKeysRole ? choice->key : choice->caption);
        }
        return list;
    }
    default:
        return {};
    }
}

bool ItemPanelModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const PanelItem *item = d->itemFor(index);
    if (!item)
        return false;
    if (role == Qt::EditRole && index.column() == ValueColumn)
        return editValue(item->key, value);
    if (role == Qt::CheckStateRole && item->kind == Kind::CheckBox)
        return editValue(item->key, value.toInt() == Qt::Checked ? 1 : 0);
    return false;
}

Qt::ItemFlags ItemPanelModel::flags(const QModelIndex &index) const
{
    const PanelItem *item = d->itemFor(index);
    if (!item)
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable;
    if (d->isEffectivelyEnabled(item))
        result |= Qt::ItemIsEnabled;
    if (index.column() == ValueColumn && hasEditor(item->kind))
        result |= Qt::ItemIsEditable;
    if (index.column() == CaptionColumn && item->kind == Kind::CheckBox)
        result |= Qt::ItemIsUserCheckable;
    // Said of every row without sub-items (choices are never rows): a tree then
    // neither asks for their children nor records them when expanding everything.
    // Views learn of a first sub-item added later through rowsInserted.
    if ((item->children.empty() && !item->deferred) || item->holdsChoices())
        result |= Qt::ItemNeverHasChildren;
    return result;
}

} // namespace zr
