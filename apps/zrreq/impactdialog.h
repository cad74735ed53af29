#pragma once

#include "audit/setimpact.h"

#include <QDateTime>
#include <QDialog>

#include <atomic>
#include <memory>

class QDialogButtonBox;
class QLabel;
class QProgressBar;
class QStandardItemModel;
class QTableView;
class QThread;

namespace zr::app {

/// Whom a save would affect: the students whose result the edited set
/// changes, checked in the background against the stored set. While the
/// check runs it shows its progress and can be cancelled; then it lists the
/// students (printable with Ctrl+P, exportable to CSV) under a summary and
/// asks Save or Cancel.
class ImpactDialog : public QDialog
{
    Q_OBJECT
public:
    /// Checks the students of `programme` (every curriculum) on `server`
    /// with `impact`, exceptions read for `scope`.
    ImpactDialog(const QString &server, qint32 programme, const RecordScope &scope, SetImpact impact,
                 QWidget *parent = nullptr);
    ~ImpactDialog() override;

    /// What the user answered: Save when the save may go on (nobody's result changes, and then no
    /// dialog is shown when the check ends within a moment, or the user chose Save); Declined when
    /// he chose Cancel once the check had finished; Stopped when he stopped the check before.
    enum class Answer { Save, Declined, Stopped };
    /// `change` says what was changed, a line each, for the printed list (its curriculum first).
    static Answer confirmSave(const QString &server, qint32 programme, const RecordScope &scope, SetImpact impact,
                              QWidget *parent, const QStringList &change = {});

    /// The check's result; meaningful once finished() was emitted.
    const ImpactReport &report() const { return m_report; }
    bool isFinished() const { return m_finished; }
    /// What a printed list is headed with: the title, the programme, the context and when it was checked.
    QString printTitle() const;
    /// What a printed list ends with: the summary, then the change it is the effect of.
    QString printFooter() const;
    /// Writes the list as CSV (UTF-8, the captions as the first line); false with `error` set when it fails.
    bool exportCsv(const QString &path, QString *error = nullptr) const;

Q_SIGNALS:
    void finished();

protected:
    void reject() override;

private:
    void showReport();
    void exportChosenFile();
    void print();

    ImpactReport m_report;
    QString m_heading; ///< the programme and context the check is of
    QStringList m_change; ///< what was changed, a line each
    QDateTime m_checkedAt;
    QString m_error; ///< why the check could not run
    bool m_finished = false;
    std::atomic<bool> m_cancel{false};
    std::atomic<qint64> m_done{0};
    qint64 m_total = 0;
    QThread *m_worker = nullptr;
    QLabel *m_summary = nullptr;
    QProgressBar *m_progress = nullptr;
    QTableView *m_table = nullptr;
    QStandardItemModel *m_model = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

} // namespace zr::app
