#pragma once

#include "setversionstore.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QDialog>
#include <QList>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace zr::app {

/// The kept versions of one stored set, newest first: the version, when it
/// was saved, by whom, and what its save changed.
class SetHistoryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { VersionColumn, SavedAtColumn, SavedByColumn, SummaryColumn, ColumnCount };

    explicit SetHistoryModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}
    /// Reads the versions of the set `key` from `serverName`. Throws ZrError.
    void load(const QString &serverName, const QString &key);
    /// The version number on `row`.
    qint64 versionAt(int row) const { return m_versions.at(row).number; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<server::KeptVersion> m_versions;
};

/// File > History of the set: its versions; one chosen shows what its save
/// changed, two chosen what changed from the older to the newer. Restore
/// hands the chosen version, as a set file, to the host, which loads it into
/// the editor as unsaved changes. The versions of the set's list of excepted
/// students follow in a list of their own, compared the same way.
class SetHistoryWindow : public QDialog
{
    Q_OBJECT
public:
    /// The versions of the set `key` (named `caption`) on `serverName`. Throws ZrError.
    SetHistoryWindow(const QString &serverName, const QString &key, const QString &caption, QWidget *parent = nullptr);

    const SetHistoryModel &model() const { return m_model; }
    const SetHistoryModel &exceptionsModel() const { return m_exceptions; }
    /// Chooses the versions `numbers` in the list (one or two): of the set,
    /// or of its list of excepted students.
    void choose(const QList<qint64> &numbers, bool exceptions = false);
    /// The difference the window shows, as it shows it.
    QString differenceText() const;
    /// Whether Restore is offered (default true): not to a user who may not change the set.
    void setRestorable(bool restorable);

Q_SIGNALS:
    /// Restore was pressed for version `number`: `file` holds its rows.
    void restoreRequested(qint64 number, const QByteArray &file);

private:
    QTreeView *versionList(SetHistoryModel *model, const QString &name);
    QList<qint64> chosen(const QTreeView *list, const SetHistoryModel &model) const;
    // Shows the difference of the versions chosen in `list`, clearing the other list's choice.
    void showDifference(QTreeView *list);
    void restore();

    QString m_serverName;
    QString m_key;
    QString m_exceptionKey;
    SetHistoryModel m_model;
    SetHistoryModel m_exceptions;
    QTreeView *m_list = nullptr;
    QTreeView *m_exceptionList = nullptr;
    QLabel *m_differenceLabel = nullptr;
    QPlainTextEdit *m_difference = nullptr;
    QPushButton *m_restore = nullptr;
};

} // namespace zr::app
