#pragma once

#include <QDialog>
#include <QSet>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;
class QTreeWidget;

namespace zr {
struct AuditReport;
}

namespace zr::app {

class ReportButtons;

/// "What if…" for one student: his degree set audited as if he passed chosen courses of his
/// programme, or were of another curriculum or programme; the answer is the report he would be
/// handed, printed or saved as PDF from here. Nothing is stored.
class WhatIfDialog : public QDialog
{
    Q_OBJECT
public:
    WhatIfDialog(const QString &serverName, qint32 studentId, QWidget *parent = nullptr);
    ~WhatIfDialog() override;

    /// Audits with the choices made and shows the answer, or why there is none.
    void check();
    /// The answer shown, as plain text.
    QString answerText() const;

private:
    void loadChoices();
    void loadCurricula();
    void filterCourses(const QString &text);
    /// The planned courses as the audit reads them ("ΜΗΥ101:8,ΜΗΥ205"); empty for none.
    QString plan() const;
    AuditReport report() const;

    QString m_serverName;
    qint32 m_studentId = 0;
    qint32 m_ownProgramme = 0;
    QSet<qint32> m_passed; ///< the courses he has passed, read once
    QComboBox *m_programme = nullptr;
    QComboBox *m_curriculum = nullptr;
    QLineEdit *m_filter = nullptr;
    QTreeWidget *m_courses = nullptr;
    QPushButton *m_check = nullptr;
    QTextBrowser *m_answer = nullptr;
    ReportButtons *m_report = nullptr;
    std::unique_ptr<AuditReport> m_shown;
};

} // namespace zr::app
