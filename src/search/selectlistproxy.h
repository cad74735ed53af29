#pragma once

#include "recordset/recordset.h"

#include <QHash>
#include <QIdentityProxyModel>
#include <QSet>

namespace zr {

/// The select-from-list dialog's view of a recordset model: check boxes in
/// one column (keyed by the records' ids, so that a new search keeps the
/// checks), captions for the headers, and value lists that show a code's
/// text instead of the code. Costs O(1) per cell; no per-row state but the
/// set of checked ids.
class SelectListProxy : public QIdentityProxyModel
{
    Q_OBJECT

public:
    explicit SelectListProxy(QObject *parent = nullptr);

    /// The recordset behind the source model (rows in the same order) and the field of its ids.
    void setRecordset(const Recordset &records, const QString &idField);
    /// Shows check boxes in `column` (-1: none).
    void setCheckColumn(int column);
    int checkColumn() const { return m_checkColumn; }

    /// The id of `row` as text; empty when there is no id field.
    QString idAt(int row) const;
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    /// Replaces the checked ids.
    void setCheckedIds(const QSet<QString> &ids);
    const QSet<QString> &checkedIds() const { return m_checked; }

    /// Heading of `column` instead of the source's.
    void setHeader(int column, const QString &caption);
    /// Shows the text of each code in `column`; `bitMask` shows the texts of
    /// every bit set, joined by ", ".
    void setValueList(int column, const QHash<QString, QString> &texts, bool bitMask = false);
    void clearValueLists();

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct ValueList
    {
        QHash<QString, QString> texts;
        bool bitMask = false;
    };
    QString textOf(const ValueList &list, const QVariant &value) const;

    Recordset m_records;
    int m_idField = -1;
    int m_checkColumn = -1;
    QSet<QString> m_checked;
    QHash<int, QString> m_headers;
    QHash<int, ValueList> m_valueLists;
};

} // namespace zr
