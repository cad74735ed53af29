#pragma once

#include "zrreq_export.h"
#include "recordset/columnvaluelist.h"
#include "recordset/recordset.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <memory>

namespace zr {

/// A table model over a Recordset for grids (QTableView): one row per
/// visible row of the recordset, one column per field that is not a chapter.
/// The model refers to the recordset itself (not a clone): the grid's rows are
/// the recordset's rows in its current filter. Changing the recordset's
/// filter or rows from outside needs refresh(). Read-only unless setEditable().
class ZRREQ_EXPORT RecordsetModel : public QAbstractTableModel
{
    Q_OBJECT
    Q_PROPERTY(bool editable READ isEditable WRITE setEditable NOTIFY editableChanged)

public:
    /// Custom roles of the model.
    enum Roles {
        /// The Recordset::Bookmark of the row (qint64).
        BookmarkRole = Qt::UserRole + 1,
        /// The Recordset::RecordStatus of the row (int).
        StatusRole,
        /// The field name of the column (QString).
        FieldNameRole,
    };

    /// An empty model; parent owns it as usual.
    explicit RecordsetModel(QObject *parent = nullptr);
    ~RecordsetModel() override;

    /// Shows `recordset` (nothing gives an empty model). Column headers are
    /// `captions` by column, falling back to the field name where a caption is
    /// missing or empty. Resets the model.
    void setRecordset(const Recordset &recordset, const QStringList &captions = {});
    /// The recordset shown (the same object that was set).
    Recordset recordset() const;

    /// Column headers by column; an empty entry shows the field name.
    void setCaptions(const QStringList &captions);
    /// Shows the field `fieldName` as a check box column (CheckStateRole,
    /// checked for a true or non-zero value); an empty name turns it off.
    void setCheckField(const QString &fieldName);
    /// The check box field, or empty.
    QString checkField() const;

    /// Shows the texts of `values` instead of the stored ids in `column`
    /// (DisplayRole; EditRole keeps the id). An id without an entry shows the
    /// list's unknownText, or as stored when that is empty. An empty list
    /// turns it off.
    void setColumnValueList(int column, const ColumnValueList &values);

    /// True when cells can be edited (written to the recordset); false by default.
    bool isEditable() const;
    /// Makes cells editable or read-only.
    void setEditable(bool editable);

    /// Field index of the recordset shown in `column`, or -1.
    int fieldOfColumn(int column) const;
    /// Column showing the field `fieldName` (ignoring case), or -1.
    int columnOfField(const QString &fieldName) const;
    /// Bookmark of the recordset row shown in `row`.
    Recordset::Bookmark bookmarkOfRow(int row) const;
    /// Row showing `bookmark`, or -1.
    int rowOfBookmark(Recordset::Bookmark bookmark) const;

    /// Reloads rows and columns after the recordset changed from outside.
    void refresh();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    /// Emitted when the editable property changes.
    void editableChanged(bool editable);

private:
    Q_DISABLE_COPY(RecordsetModel)
    std::unique_ptr<class RecordsetModelPrivate> const d;
};

} // namespace zr
