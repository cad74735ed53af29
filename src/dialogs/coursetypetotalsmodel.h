#pragma once

#include "zrreq_export.h"
#include "recordset/recordset.h"

#include <QAbstractTableModel>

namespace zr {

/// The grid of the course-type totals dialogs over their working list
/// (BuildCourseTypesWorkingList): a check column for `sel`, the course
/// type's description, and the number `cnt`.
///
/// The check column writes -1 (checked) or null into `sel`. The number
/// column takes an empty text (null) or a number in the system's format;
/// any other text is refused and the old value stays. The model shares the
/// rows of the recordset it is given.
class ZRREQ_EXPORT CourseTypeTotalsModel : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY(CourseTypeTotalsModel)

public:
    /// The columns, in order.
    enum Column { SelColumn = 0, DescriptionColumn = 1, CountColumn = 2, ColumnCount = 3 };

    explicit CourseTypeTotalsModel(QObject *parent = nullptr);
    ~CourseTypeTotalsModel() override;

    /// Shows `workingList` (nothing: no rows). Resets the model.
    void setRecordset(const Recordset &workingList);
    /// The recordset shown.
    Recordset recordset() const { return m_rs; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    /// CheckStateRole on the check column; EditRole on the number column
    /// (false, nothing changed, for a text that is neither empty nor a number).
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    /// A count typed into the grid was not a number and was not taken.
    void countRefused(const QString &text);

private:
    Recordset m_rs;
    int m_sel = -1;
    int m_desc = -1;
    int m_cnt = -1;
};

} // namespace zr
