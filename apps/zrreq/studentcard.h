#pragma once

#include <QWidget>

#include <memory>

class QFormLayout;
class QLabel;
class QPushButton;

namespace zr {
class Schema;
class zrReqPreview;
struct AuditReport;
}

namespace zr::app {

class ReportButtons;

/// A student's card: the student's particulars and, below them, the degree
/// requirements that apply to the student (zrReqPreview), which the user
/// can edit or restore there.
class StudentCard : public QWidget
{
    Q_OBJECT
public:
    /// A card for `studentId` on `serverName`; `schema` describes v_students
    /// (captions and code lists of the particulars).
    StudentCard(const QString &serverName, std::shared_ptr<const Schema> schema, qint32 studentId,
                QWidget *parent = nullptr);

    /// Reads the particulars and the requirements from the server again.
    /// Failures are shown on the card, not thrown.
    void reload();

    qint32 studentId() const { return m_studentId; }
    zr::zrReqPreview *preview() const { return m_preview; }
    /// The message shown when something could not be loaded ("" when all is well).
    QString message() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void loadParticulars();
    void loadRequirements();
    QString codeText(const QString &listSource, const QVariant &code) const;
    /// The audit of the requirements shown as the report the student is handed; throws ZrError.
    AuditReport report() const;
    void showMessage(const QString &text);
    void retranslate();

    QString m_serverName;
    std::shared_ptr<const Schema> m_schema;
    qint32 m_studentId = 0;
    QString m_studentName;
    QFormLayout *m_form = nullptr;
    QLabel *m_caption = nullptr;
    QLabel *m_message = nullptr;
    zr::zrReqPreview *m_preview = nullptr;
    QPushButton *m_close = nullptr;
    QPushButton *m_whatIf = nullptr;
    ReportButtons *m_report = nullptr;
};

} // namespace zr::app
