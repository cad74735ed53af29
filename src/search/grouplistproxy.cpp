#include "search/grouplistproxy.h"

#include <QCollator>
#include <QFont>
#include <QHash>

#include <algorithm>
#include <numeric>

namespace zr {

namespace {
// Above this many rows a change is passed on per group rather than per row.
constexpr int RowByRowLimit = 64;
} // namespace

GroupListProxy::GroupListProxy(QObject *parent) : QAbstractProxyModel(parent) {}

void GroupListProxy::setSourceModel(QAbstractItemModel *source)
{
    beginResetModel();
    if (QAbstractItemModel *old = sourceModel())
        old->disconnect(this);
    QAbstractProxyModel::setSourceModel(source);
    if (source) {
        connect(source, &QAbstractItemModel::modelAboutToBeReset, this,
                [this] { beginResetModel(); });
        connect(source, &QAbstractItemModel::modelReset, this, [this] {
            rebuild();
            endResetModel();
        });
        // The list only changes as a whole; anything else is rebuilt too.
        for (auto signal :
             {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved,
              &QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
            connect(source, signal, this, &GroupListProxy::resetFromSource);
        connect(source, &QAbstractItemModel::layoutChanged, this, &GroupListProxy::resetFromSource);
        connect(source, &QAbstractItemModel::dataChanged, this,
                &GroupListProxy::forwardDataChanged);
        connect(source, &QAbstractItemModel::headerDataChanged, this,
                &QAbstractItemModel::headerDataChanged);
    }
    rebuild();
    endResetModel();
}

void GroupListProxy::setGroupColumn(int column)
{
    beginResetModel();
    m_column = column;
    rebuild();
    endResetModel();
}

void GroupListProxy::setEmptyText(const QString &text)
{
    m_emptyText = text;
    if (!m_groups.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

void GroupListProxy::resetFromSource()
{
    beginResetModel();
    rebuild();
    endResetModel();
}

void GroupListProxy::rebuild()
{
    m_groups.clear();
    m_rows.clear();
    m_groupOfRow.clear();
    m_placeOfRow.clear();
    const QAbstractItemModel *source = sourceModel();
    if (!source || m_column < 0 || m_column >= source->columnCount())
        return;
    const int rows = source->rowCount();

    // One pass assigns each row to the group of its text.
    QHash<QString, int> groupOfText;
    QVector<Group> found;
    QVector<int> groupOfRow(rows);
    for (int row = 0; row < rows; ++row) {
        const QString text =
            source->index(row, m_column).data(Qt::DisplayRole).toString().trimmed();
        auto it = groupOfText.constFind(text);
        if (it == groupOfText.constEnd()) {
            it = groupOfText.insert(text, int(found.size()));
            found.append({text, 0, 0});
        }
        groupOfRow[row] = *it;
        ++found[*it].count;
    }

    // Only the groups are sorted: numbers by value, then texts by collation, empty last.
    QVector<double> numbers(found.size());
    QVector<bool> numeric(found.size());
    for (int g = 0; g < found.size(); ++g) {
        bool ok = false;
        numbers[g] = found[g].text.toDouble(&ok);
        numeric[g] = ok;
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QVector<int> order(found.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const bool emptyA = found[a].text.isEmpty();
        const bool emptyB = found[b].text.isEmpty();
        if (emptyA != emptyB)
            return emptyB;
        if (numeric[a] != numeric[b])
            return bool(numeric[a]);
        if (numeric[a] && numbers[a] != numbers[b])
            return numbers[a] < numbers[b];
        const int byText = collator.compare(found[a].text, found[b].text);
        return byText != 0 ? byText < 0 : a < b;
    });

    QVector<int> rank(found.size());
    int first = 0;
    for (int position = 0; position < order.size(); ++position) {
        Group group = found[order[position]];
        group.first = first;
        first += group.count;
        rank[order[position]] = position;
        m_groups.append(group);
    }
    // Rows fall into their groups' ranges in list order.
    m_rows.resize(rows);
    m_groupOfRow.resize(rows);
    m_placeOfRow.resize(rows);
    QVector<int> filled(m_groups.size(), 0);
    for (int row = 0; row < rows; ++row) {
        const int g = rank[groupOfRow[row]];
        m_groupOfRow[row] = g;
        m_placeOfRow[row] = filled[g];
        m_rows[m_groups[g].first + filled[g]++] = row;
    }
}

void GroupListProxy::forwardDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                        const QList<int> &roles)
{
    if (m_groups.isEmpty() || !topLeft.isValid() || !bottomRight.isValid())
        return;
    // A changed text can move a row to another group.
    const bool textsChanged =
        roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::EditRole);
    if (textsChanged && topLeft.column() <= m_column && m_column <= bottomRight.column()) {
        resetFromSource();
        return;
    }
    const int left = topLeft.column();
    const int right = bottomRight.column();
    if (bottomRight.row() - topLeft.row() >= RowByRowLimit) {
        for (int g = 0; g < m_groups.size(); ++g) {
            if (m_groups[g].count > 0)
                emit dataChanged(createIndex(0, left, quintptr(g + 1)),
                                 createIndex(m_groups[g].count - 1, right, quintptr(g + 1)), roles);
        }
        return;
    }
    for (int row = topLeft.row(); row <= bottomRight.row() && row < m_groupOfRow.size(); ++row) {
        const quintptr group = quintptr(m_groupOfRow[row] + 1);
        emit dataChanged(createIndex(m_placeOfRow[row], left, group),
                         createIndex(m_placeOfRow[row], right, group), roles);
    }
}

bool GroupListProxy::isGroup(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.internalId() == 0;
}

QModelIndex GroupListProxy::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= columnCount())
        return {};
    if (!parent.isValid())
        return row < m_groups.size() ? createIndex(row, column, quintptr(0)) : QModelIndex();
    if (!isGroup(parent) || row >= m_groups[parent.row()].count)
        return {};
    return createIndex(row, column, quintptr(parent.row() + 1));
}

QModelIndex GroupListProxy::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(int(child.internalId() - 1), 0, quintptr(0));
}

int GroupListProxy::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_groups.size());
    if (isGroup(parent) && parent.column() == 0)
        return m_groups[parent.row()].count;
    return 0;
}

int GroupListProxy::columnCount(const QModelIndex &) const
{
    return sourceModel() ? sourceModel()->columnCount() : 0;
}

bool GroupListProxy::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QModelIndex GroupListProxy::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!sourceModel() || !proxyIndex.isValid() || proxyIndex.internalId() == 0)
        return {};
    const Group &group = m_groups[int(proxyIndex.internalId() - 1)];
    return sourceModel()->index(m_rows[group.first + proxyIndex.row()], proxyIndex.column());
}

QModelIndex GroupListProxy::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.row() >= m_groupOfRow.size())
        return {};
    const int row = sourceIndex.row();
    return createIndex(m_placeOfRow[row], sourceIndex.column(), quintptr(m_groupOfRow[row] + 1));
}

QVariant GroupListProxy::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (!isGroup(index))
        return QAbstractProxyModel::data(index, role);
    // A group row answers in every column: the view spans it from the first one shown.
    const Group &group = m_groups[index.row()];
    switch (role) {
    case Qt::DisplayRole: {
        const QString caption = sourceModel()->headerData(m_column, Qt::Horizontal).toString();
        const QString text = group.text.isEmpty() ? m_emptyText : group.text;
        return QStringLiteral("%1: %2 (%3)").arg(caption, text).arg(group.count);
    }
    case GroupCountRole:
        return group.count;
    case Qt::FontRole: {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    default:
        return {};
    }
}

Qt::ItemFlags GroupListProxy::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (isGroup(index))
        return Qt::ItemIsEnabled;
    return QAbstractProxyModel::flags(index);
}

QVariant GroupListProxy::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!sourceModel() || orientation != Qt::Horizontal)
        return {};
    return sourceModel()->headerData(section, orientation, role);
}

QModelIndex GroupListProxy::sibling(int row, int column, const QModelIndex &index) const
{
    return this->index(row, column, parent(index));
}

} // namespace zr
