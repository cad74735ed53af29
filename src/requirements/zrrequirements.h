#pragma once

#include "recordset/recordset.h"
#include "zrwidgets_export.h"

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QWidget>

#include <memory>

class QUndoStack;

namespace zr {

class Schema;
class RequirementSet;
class LookupCache;
struct RequirementValue;

/// The requirements editor: shows the requirements of one object (programme,
/// department, course, student) in one context as parameter sheets, lets the
/// user add, delete and edit them, and writes them back into the host's
/// recordset. The host sets ServerName, sessionID, oSchema, DepartID,
/// ConstrType, AppliesTo and ShowExclusions, then assigns the object's
/// hierarchical recordset to rsConstraints; it keeps owning the recordset.
/// Loading, checking and writing back are its RequirementsEditor's, which
/// works without widgets; the control shows its list and adds the commands.
class ZRWIDGETS_EXPORT zrRequirements : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(zrRequirements)
    // Enabled and Font sit beside QWidget's own enabled and font: Enabled only
    // stops edits (the list still scrolls and shows help), and Font also goes
    // to the dialogs the control opens, which QWidget's font never reaches.
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEditingEnabled NOTIFY EnabledChanged)
    Q_PROPERTY(bool IsLoaded READ IsLoaded WRITE setIsLoaded NOTIFY IsLoadedChanged)
    Q_PROPERTY(QString ServerName READ ServerName WRITE setServerName NOTIFY ServerNameChanged)
    Q_PROPERTY(QString sessionID READ sessionID WRITE setSessionID NOTIFY sessionIDChanged)
    Q_PROPERTY(int ConstrType READ ConstrType WRITE setConstrType NOTIFY ConstrTypeChanged)
    Q_PROPERTY(int AppliesTo READ AppliesTo WRITE setAppliesTo NOTIFY AppliesToChanged)
    Q_PROPERTY(bool ShowExclusions READ ShowExclusions WRITE setShowExclusions NOTIFY ShowExclusionsChanged)
    Q_PROPERTY(QString DepartID READ DepartID WRITE setDepartID NOTIFY DepartIDChanged)
    Q_PROPERTY(QString SmCaption READ SmCaption WRITE setSmCaption NOTIFY appearanceChanged)
    Q_PROPERTY(int SmBorderStyle READ SmBorderStyle WRITE setSmBorderStyle NOTIFY appearanceChanged)
    Q_PROPERTY(int SmCaptionStyle READ SmCaptionStyle WRITE setSmCaptionStyle NOTIFY appearanceChanged)
    Q_PROPERTY(int SmCaptionAlignment READ SmCaptionAlignment WRITE setSmCaptionAlignment NOTIFY appearanceChanged)
    Q_PROPERTY(int SmEdgeStyle READ SmEdgeStyle WRITE setSmEdgeStyle NOTIFY appearanceChanged)
    Q_PROPERTY(int SmScrollBarStyle READ SmScrollBarStyle WRITE setSmScrollBarStyle NOTIFY appearanceChanged)
    Q_PROPERTY(QColor TextBackcolor READ TextBackcolor WRITE setTextBackcolor NOTIFY appearanceChanged)
    Q_PROPERTY(QColor TextForeColor READ TextForeColor WRITE setTextForeColor NOTIFY appearanceChanged)
    Q_PROPERTY(bool TextBold READ TextBold WRITE setTextBold NOTIFY appearanceChanged)
    Q_PROPERTY(QFont Font READ Font WRITE setControlFont NOTIFY appearanceChanged)
    Q_PROPERTY(bool isModified READ isModified NOTIFY modifiedChanged)
    Q_PROPERTY(int currentCurriculum READ currentCurriculum WRITE setCurrentCurriculum NOTIFY currentCurriculumChanged)

public:
    explicit zrRequirements(QWidget *parent = nullptr);
    ~zrRequirements() override;

    /// Editing allowed (default true; set again by every load). When false,
    /// value edits, pickers and commands are ignored.
    bool Enabled() const;
    void setEditingEnabled(bool enabled);
    /// Stored for the host; the control only resets it (ClearAll).
    bool IsLoaded() const;
    void setIsLoaded(bool loaded);
    /// Server on which server objects are created ("" the local default).
    QString ServerName() const;
    void setServerName(const QString &name);
    QString sessionID() const;
    void setSessionID(const QString &id);
    /// Requirement context, 101 to 112; set it before rsConstraints.
    int ConstrType() const;
    void setConstrType(int context);
    /// Object kind (1, 3, 4, 8, 11, 13, 14); set it before rsConstraints.
    int AppliesTo() const;
    void setAppliesTo(int kind);
    /// Whether the student-exceptions command is offered (never for the degree).
    bool ShowExclusions() const;
    void setShowExclusions(bool show);
    /// Department of objects of kind 14; filter of programme lists.
    QString DepartID() const;
    void setDepartID(const QString &id);
    /// Schema used for the student view's columns; shared with the host.
    std::shared_ptr<const Schema> oSchema() const;
    void setOSchema(std::shared_ptr<const Schema> schema);

    /// The requirement rows (the child recordset); nothing before a load.
    Recordset rsConstraints() const;
    /// Loads the requirements of the object of this hierarchical recordset.
    /// Failures are reported through ErrorOccurred, never thrown.
    void setRsConstraints(const Recordset &parent);

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
    QColor TextBackcolor() const;
    void setTextBackcolor(const QColor &color);
    QColor TextForeColor() const;
    void setTextForeColor(const QColor &color);
    bool TextBold() const;
    void setTextBold(bool bold);
    /// Font of the child controls and of the dialogs the control opens.
    QFont Font() const;
    void setControlFont(const QFont &font);

    /// Drops the cached code tables and restarts temporary numbering.
    void RefreshRecordset();
    /// Drops the cached code tables.
    void RefreshConnected();
    /// Releases the recordsets, the schema and the cached lists.
    void ClearAll();
    void ExpandAll();
    void CollapseAll();

    /// The curriculum the chooser shows at the next load (a host's shortcut
    /// to a programme's curriculum); kept across loads like the user's choice.
    void setCurrentCurriculum(qint32 curriculumId);
    qint32 currentCurriculum() const;
    /// The name of the curriculum the list shows, as its chooser lists it.
    QString currentCurriculumName() const;

    /// Checks every requirement of the list, in list order, against the rules
    /// of its type and the rules between requirements. Throws the first
    /// failure as a ZrError (also logged); returns true otherwise.
    bool ValidateRecords();
    /// Validates the requirements and the expression of every visited
    /// curriculum, then writes the values the list shows (and the expression,
    /// as `coneval`) into the requirement rows and clears the modified flag.
    /// Throws ZrError when something is wrong; the host saves afterwards.
    void UpdateRecordset();

    /// What the last ValidateRecords or UpdateRecordset found that does not
    /// stop a save (codes no code table has, courses outside the programme),
    /// one message each; a host shows them before it saves.
    QStringList warnings() const;

    /// Takes the user to what the last failed ValidateRecords or
    /// UpdateRecordset was about: shows its curriculum, expands the
    /// requirement, selects the parameter row and starts editing it (a
    /// picker row is selected only). False when there is nothing to show.
    /// A host calls it after it has shown the error.
    bool showLastProblem();

    /// True when the set has edits not yet written by UpdateRecordset.
    bool isModified() const;
    /// The expression of the current curriculum, as stored.
    QString expression() const;
    /// The requirements of the current curriculum as edited, saved or not, in
    /// list order: what a host checks against a student while the user edits.
    QList<RequirementValue> shownValues();
    /// shownValues() once each has passed the rules a save applies to its type;
    /// throws the first refusal as a save would show it (not logged).
    QList<RequirementValue> checkedValues();
    /// Selects requirement `ocID` in the list, as a click on its header does.
    void selectRequirement(qint32 ocID);
    /// The code tables this control fetched (shared with its dialogs).
    LookupCache &lookups();
    /// The user's edits since the set was loaded or written, one step each:
    /// a host puts its undo and redo actions in a menu and may show it in a
    /// QUndoView. Loading a set empties it; undoing or redoing back to the
    /// state loaded or last written by UpdateRecordset clears the modified flag.
    QUndoStack *undoStack() const;

Q_SIGNALS:
    /// Declared for hosts; never raised (every list comes from the server).
    void GetRecords(const QString &pWhichList, const QString &pFilter, QVariant &oObj, bool &bError);
    /// Loading a requirement set failed.
    void ErrorOccurred(int ErrNumber, const QString &errdescr, const QString &errsource);
    /// Declared for hosts; never raised.
    void ErrorOccurred2(int ErrNumber, const QString &errdescr, const QString &errsource, bool &ShowMessage);
    /// A requirement was added, deleted or edited, or the expression changed.
    void Changed();
    /// What the list shows is another set or another state of it: loaded, replaced,
    /// edited, undone or redone, or another curriculum shown. Panes that show the set follow this.
    void shownSetChanged();
    /// The user deleted a requirement; `message` names it and says how to
    /// bring it back, for the host's status bar (delete asks nothing).
    void requirementDeleted(const QString &message);
    /// The set got edits not yet written (true), or they were written or loaded over (false).
    void modifiedChanged(bool modified);
    void ConstrTypeChanged(int context);
    void AppliesToChanged(int kind);
    /// The curriculum the list shows changed: chosen by the user, by the host, or by a load.
    void currentCurriculumChanged(qint32 curriculumId);
    // The other properties' changes, for a host or a designer that shows them.
    void EnabledChanged();
    void IsLoadedChanged();
    void ServerNameChanged();
    void sessionIDChanged();
    void ShowExclusionsChanged();
    void DepartIDChanged();
    /// A caption, border, colour, boldness or font of the control changed.
    void appearanceChanged();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    std::unique_ptr<class zrRequirementsPrivate> const d;
    friend class zrRequirementsPrivate;
};

} // namespace zr
