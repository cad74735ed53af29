#pragma once

#include <QAbstractProxyModel>
#include <QString>
#include <QVector>

namespace zr {

/// A two-level view of a flat list: one group row per distinct text of a
/// column, the list's rows below it. Groups follow the texts' natural order
/// (numbers by value, letters by the collation); rows keep the list's order
/// within their group. Building costs O(n) plus the sorting of the groups;
/// no per-row objects.
class GroupListProxy : public QAbstractProxyModel
{
    Q_OBJECT

public:
    /// Role of a group row's number of rows (int); nothing on other rows.
    static constexpr int GroupCountRole = Qt::UserRole + 60;

    explicit GroupListProxy(QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *source) override;
    /// Groups by the display text of `column` of the source; -1 turns grouping off (no rows).
    void setGroupColumn(int column);
    int groupColumn() const { return m_column; }
    /// Text of a group whose value is empty.
    void setEmptyText(const QString &text);

    bool isGroup(const QModelIndex &index) const;

    QModelIndex index(int row, int column,
                      const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    QModelIndex sibling(int row, int column, const QModelIndex &index) const override;

private:
    struct Group
    {
        QString text;
        int first = 0; // position of the group's first row in m_rows
        int count = 0;
    };
    void rebuild();
    void resetFromSource();
    void forwardDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                            const QList<int> &roles);

    int m_column = -1;
    QString m_emptyText;
    QVector<Group> m_groups;
    QVector<int> m_rows;       // source rows, group after group
    QVector<int> m_groupOfRow; // by source row
    QVector<int> m_placeOfRow; // by source row: position within its group
};

} // namespace zr
