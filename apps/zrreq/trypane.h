#pragma once

#include "audit/auditcodes.h"
#include "audit/auditreport.h"
#include "audit/auditset.h"
#include "audit/studentrecord.h"
#include "common/serverobjects.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QTimer;
class QToolButton;
class QTreeWidget;

namespace zr {
class Schema;
}

namespace zr::app {

class ReportButtons;

/// Beside the editor: one student of the programme, and what the set on
/// screen (saved or not) says of him: a mark per requirement with what was
/// measured and compared, and the verdict of the expression. It follows the
/// edits a moment after the last one, so that typing never waits for it.
/// The last five students tried are remembered. The window it sits in names it.
class TryPane : public QWidget
{
    Q_OBJECT
public:
    /// The set on screen, prepared; throws ZrError when it can not be checked
    /// (an expression that does not read, a value a rule needs missing).
    using SetSource = std::function<AuditSet(const AuditCodes &codes)>;
    /// Each requirement on screen described in words, by id, as its values stand.
    using Describer = std::function<QHash<qint32, QString>()>;

    TryPane(const QString &serverName, std::shared_ptr<const Schema> schema, QWidget *parent = nullptr);
    ~TryPane() override;

    /// The object on screen: a programme (0 for any other object, whose sets
    /// students are not checked against) and the set's exceptions.
    void setObject(qint32 programme, const RecordScope &scope);
    void setSetSource(SetSource source);
    /// The curriculum of the set on screen (0: a set for every curriculum): the student chooser
    /// offers that curriculum's students only.
    void setCurriculumSource(std::function<qint32()> source);
    /// What names the requirements in the report; without one they are named by type.
    void setDescriber(Describer describer);
    /// The report the student would be handed on the set on screen; throws ZrError
    /// when there is no student or the set cannot be checked.
    AuditReport report();
    /// Tries the set on `studentId` (0: nobody) and remembers him.
    void setStudent(qint32 studentId);
    qint32 student() const { return m_studentId; }
    /// Checks again a moment after the last call; until then the lines shown are greyed.
    void scheduleCheck();
    /// Checks now.
    void check();
    /// Milliseconds the last check took (reading nothing from the server).
    double lastCheckMs() const { return m_lastCheckMs; }

Q_SIGNALS:
    /// The user chose the trace line of requirement `ocID`.
    void requirementChosen(qint32 ocID);

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    void chooseStudent();
    void fillRecent();
    void loadRecord();

    QString m_serverName;
    std::shared_ptr<const Schema> m_schema;
    qint32 m_programme = 0;
    std::function<qint32()> m_curriculumSource;
    RecordScope m_scope;
    SetSource m_source;
    Describer m_describe;
    qint32 m_studentId = 0;
    bool m_recordRead = false;
    StudentRecord m_record;
    AuditCodes m_codes;
    double m_lastCheckMs = 0;
    QComboBox *m_recent = nullptr;
    QToolButton *m_choose = nullptr;
    QLabel *m_verdict = nullptr;
    QTreeWidget *m_trace = nullptr;
    QTimer *m_debounce = nullptr;
    ReportButtons *m_report = nullptr;
};

} // namespace zr::app
