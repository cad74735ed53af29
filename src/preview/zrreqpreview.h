#pragma once

#include "recordset/recordset.h"
#include "zrwidgets_export.h"

#include <QColor>
#include <QFont>
#include <QVariant>
#include <QWidget>

#include <memory>

namespace zr {

class Schema;
struct AuditTrace;

/// One student's degree requirements for the student's card: a header that
/// says whether the programme's regulation or the student's individual one
/// applies, the requirements as a numbered list, and two buttons that edit
/// the individual regulation (`cmdEdit`) and restore the programme's
/// (`cmdRestore`). Every change is saved on the server at once and
/// announced with ConstraintsChanged. The host sets ServerName and
/// sessionID, then calls LoadStudConstraints for each student.
///
/// Child controls: `PicInfo` (header, with `Image1` and `Label4`),
/// `txtConstraints`, `cmdEdit`, `cmdRestore`.
class ZRWIDGETS_EXPORT zrReqPreview : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(zrReqPreview)
    Q_PROPERTY(bool IsLoaded READ IsLoaded WRITE setIsLoaded NOTIFY IsLoadedChanged)
    Q_PROPERTY(bool ShowAudit READ ShowAudit WRITE setShowAudit NOTIFY ShowAuditChanged)
    Q_PROPERTY(QString ServerName READ ServerName WRITE setServerName NOTIFY ServerNameChanged)
    Q_PROPERTY(QString sessionID READ sessionID WRITE setSessionID NOTIFY sessionIDChanged)
    Q_PROPERTY(int ConstrType READ ConstrType WRITE setConstrType NOTIFY ConstrTypeChanged)
    Q_PROPERTY(int AppliesTo READ AppliesTo WRITE setAppliesTo NOTIFY AppliesToChanged)
    Q_PROPERTY(int StudentID READ StudentID WRITE setStudentID NOTIFY StudentIDChanged)
    Q_PROPERTY(QFont Font READ Font WRITE setControlFont NOTIFY appearanceChanged)
    Q_PROPERTY(QColor TextColor READ TextColor WRITE setTextColor NOTIFY appearanceChanged)
    Q_PROPERTY(QString SmCaption READ SmCaption WRITE setSmCaption NOTIFY appearanceChanged)
    Q_PROPERTY(int SmBorderStyle READ SmBorderStyle WRITE setSmBorderStyle NOTIFY appearanceChanged)
    Q_PROPERTY(int SmCaptionStyle READ SmCaptionStyle WRITE setSmCaptionStyle NOTIFY appearanceChanged)
    Q_PROPERTY(int SmCaptionAlignment READ SmCaptionAlignment WRITE setSmCaptionAlignment NOTIFY appearanceChanged)
    Q_PROPERTY(int SmEdgeStyle READ SmEdgeStyle WRITE setSmEdgeStyle NOTIFY appearanceChanged)
    Q_PROPERTY(int SmScrollBarStyle READ SmScrollBarStyle WRITE setSmScrollBarStyle NOTIFY appearanceChanged)

public:
    explicit zrReqPreview(QWidget *parent = nullptr);
    ~zrReqPreview() override;

    /// Checks the requirements shown against the student's record and marks
    /// each (✔ met, ✘ not met, ? not checked, with what was measured), the
    /// set's verdict in the header. Off by default: the text is then the
    /// numbered descriptions alone.
    bool ShowAudit() const;
    void setShowAudit(bool show);
    /// Stored for the host; not used by the control.
    bool IsLoaded() const;
    void setIsLoaded(bool loaded);
    /// Server on which server objects are created ("" the local default).
    QString ServerName() const;
    void setServerName(const QString &name);
    QString sessionID() const;
    void setSessionID(const QString &id);
    /// Context and object kind: stored for the host, not used.
    int ConstrType() const;
    void setConstrType(int context);
    int AppliesTo() const;
    void setAppliesTo(int kind);
    /// The student shown; also set by LoadStudConstraints and DelStudConstraints.
    qint32 StudentID() const;
    void setStudentID(qint32 id);
    /// Schema handed to the edit dialog; shared with the host.
    std::shared_ptr<const Schema> oSchema() const;
    void setOSchema(std::shared_ptr<const Schema> schema);

    /// Font of the text, the buttons and the edit dialog (default: the parent's).
    QFont Font() const;
    void setControlFont(const QFont &font);
    /// Background colour of the requirements text.
    QColor TextColor() const;
    void setTextColor(const QColor &color);

    // Accepted for hosts that set them on every control; they change nothing.
    QString SmCaption() const;
    void setSmCaption(const QString &caption);
    int SmBorderStyle() const;
    void setSmBorderStyle(int style);
    int SmCaptionStyle() const;
    void setSmCaptionStyle(int style);
    int SmCaptionAlignment() const;
    void setSmCaptionAlignment(int alignment);
    int SmEdgeStyle() const;
    void setSmEdgeStyle(int style);
    int SmScrollBarStyle() const;
    void setSmScrollBarStyle(int style);

    /// Enables editing; restoring also needs an individual regulation.
    void EnableControl(bool enabled);
    /// Kept for hosts; shows nothing and returns false.
    bool ShowPreview(const Recordset &pRs);
    /// Asks the server for the requirements that apply to student `pStudID`
    /// and shows them. An id below 1 shows the programme header and no text
    /// without asking. Failures are logged and thrown after the text is
    /// emptied. The result is always empty.
    QVariant LoadStudConstraints(qint32 pStudID);
    /// Deletes the student's individual regulation on the server and shows
    /// the programme's requirements that apply afterwards. Failures as
    /// LoadStudConstraints. The result is always empty.
    QVariant DelStudConstraints(qint32 pStudID);
    /// Releases the shown requirements, the edit set and the schema.
    void ClearAll();

    /// True when the shown requirements are the student's individual regulation.
    bool isIndividual() const;
    /// The rows last returned by the server (null when none).
    Recordset shownRequirements() const;

Q_SIGNALS:
    /// Editing or restoring failed; nothing was saved.
    void ErrorOccurred(int ErrNumber, const QString &errdescr, const QString &errsource);
    /// The student's regulation was edited or restored and saved.
    void ConstraintsChanged();
    // The properties' changes, for a host or a designer that shows them.
    void IsLoadedChanged();
    void ShowAuditChanged();
    void ServerNameChanged();
    void sessionIDChanged();
    void ConstrTypeChanged();
    void AppliesToChanged();
    void StudentIDChanged();
    /// A caption, border, colour or font of the control changed.
    void appearanceChanged();

protected:
    void changeEvent(QEvent *event) override;

private:
    std::unique_ptr<class zrReqPreviewPrivate> const d;
    friend class zrReqPreviewPrivate;
};

/// The numbered text of a student's requirements: "1) " + the first row's
/// `condesc`, "2) " + the second's ..., one per line (CR LF between lines,
/// none after the last); "" for a null or empty recordset. With `trace`,
/// each traced requirement's mark goes before its description and what was
/// measured after it ("1) ✔ ... — ECTS 312, needed ≥ 300").
ZRWIDGETS_EXPORT QString NumberedRequirements(const Recordset &requirements, const AuditTrace *trace = nullptr);

} // namespace zr
