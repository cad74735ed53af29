#pragma once

#include "recordset/lookupcache.h"
#include "recordset/recordset.h"
#include "reqtypes/parametervalidation.h"
#include "reqtypes/requirementvalue.h"
#include "requirements/pickers.h"
#include "requirements/requirementset.h"
#include "requirements/setedit.h"
#include "zrreq_export.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace zr {

class ItemPanelModel;
class Schema;
struct ZrError;
class SchemaTable;
struct SheetContext;

/// One requirement as the expression wizard offers it.
struct ZRREQ_EXPORT ExpressionVariable
{
    QString token;       ///< "%" and the id
    QString caption;     ///< "(id) " and its short name
    QString description; ///< the server's description; a new requirement's rows by name
};

/// One curriculum a curriculum-dependent set can show.
struct ZRREQ_EXPORT CurriculumEntry
{
    qint32 id = 0;
    QString name;
};

/// The requirements editor without widgets (QtCore only). It owns the
/// requirement set, the cached code tables and the list model of the
/// parameter sheets; it loads a set, checks it and writes it back into the
/// rows. It holds each requirement of the curriculum shown as a typed value,
/// the one home of its values: the list only draws them (sheetbinding.h),
/// an edit of the list comes back as setParameter, the rules map a value to
/// a value and write back goes value to row. zrRequirements shows its list and adds commands, pickers, dialogs
/// and messages; the command line's subcommands use it alone, with no display.
/// Every operation names the requirement it acts on by its id.
class ZRREQ_EXPORT RequirementsEditor : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(RequirementsEditor)

public:
    explicit RequirementsEditor(QObject *parent = nullptr);
    ~RequirementsEditor() override;

    RequirementSet &set() { return m_set; }
    const RequirementSet &set() const { return m_set; }
    LookupCache &lookups() { return m_lookups; }
    /// The parameter sheets of the requirements of the curriculum shown, by key.
    /// A load adds the requirements' headers; the list builds a sheet's rows
    /// when they are first asked for (shown, or looked up by key).
    ItemPanelModel *list() const { return m_list; }
    /// The commands: CmdExclusions, CmdExpression, CmdAdd (with one entry per
    /// requirement type the context and object kind may have, keyed by the
    /// type's id) and CmdDelete.
    ItemPanelModel *commands() const { return m_commands; }
    static const QString CmdExclusions;
    static const QString CmdExpression;
    static const QString CmdAdd;
    static const QString CmdDelete;
    /// The add menu for the set's context and object kind.
    void rebuildAddMenu();
    /// The commands' captions, mnemonic shortcuts and hints in the current language.
    void retranslateCommands();
    /// Which commands the set allows now; the exclusions command only where
    /// the host offers it (`showExclusions`), and never for the degree.
    void refreshCommandStates(bool showExclusions);

    QString serverName() const { return m_serverName; }
    void setServerName(const QString &name);
    QString departmentId() const { return m_departmentId; }
    void setDepartmentId(const QString &id);
    std::shared_ptr<const Schema> schema() const { return m_schema; }
    void setSchema(std::shared_ptr<const Schema> schema);

    /// The first half of a load: an empty list, the set of `parent` with no
    /// edits and temporary numbering restarted. Set the context and object
    /// kind of the set first.
    void reset(const Recordset &parent);
    /// The second half: the programme's curricula (the one shown kept when the
    /// programme has it, else the first), the rows of the curriculum, and
    /// their sheets with their stored values. Throws ZrError.
    void loadSheets();
    /// reset() and loadSheets().
    void load(const Recordset &parent);

    /// The curricula of a curriculum-dependent set, as the last load found them; empty otherwise.
    const QList<CurriculumEntry> &curricula() const { return m_curricula; }
    /// The name of `curriculum` as the chooser lists it; its number when the last load found none.
    QString curriculumName(qint32 curriculum) const;
    /// "Curriculum: <name>" on a new line, for messages about a curriculum the list does not show.
    QString curriculumNote(qint32 curriculum) const;
    /// Sets the curriculum the next load or switch shows; curriculumChanged when it changes.
    void setCurriculum(qint32 curriculumId);
    /// Sets the set's modified flag; modifiedChanged when it changes.
    void setModified(bool modified);

    /// What the sheets depend on besides their types.
    SheetContext sheetContext();
    /// The type of requirement `ocID` (0 when the set has no such row).
    int typeOf(qint32 ocID) const;
    /// The caption a requirement is named by in messages and the expression.
    QString captionOf(qint32 ocID) const;
    /// The value of requirement `ocID` of the list as the list shows it; an
    /// empty value (ocID 0) when the list has no such requirement.
    RequirementValue valueOf(qint32 ocID);
    /// The requirements of the curriculum shown, in list order, each with its
    /// value as edited, saved or not: the set on screen.
    QList<RequirementValue> shownValues();
    /// The expression of the curriculum shown, once visited; nothing before.
    std::optional<QString> currentExpression() const;
    /// Locks again the rows that other rows' values lock (after the whole list was enabled).
    void applyRowStates();
    /// Builds the sheets of the rows of the curriculum shown and loads their values.
    void loadRows();
    /// Writes what every sheet of the list shows into its row, with the expression.
    void storeAllGroups();
    /// Builds the list again from the rows (after a language switch), keeping
    /// the values shown, the expressions, the new requirements' marks and the
    /// modified flag. A failure is logged, not thrown: the list shows what it could build.
    void rebuildSheets();
    /// The requirements of the whole set of the curriculum shown, for the
    /// expression wizard: as the server describes them, and the new ones, not
    /// saved yet, with their rows as the list shows them. Throws ZrError 20765
    /// for a set without requirements.
    QList<ExpressionVariable> expressionVariables();
    /// What a parameter row's picker filters its lists by.
    PickerContext pickerContext() const;

    /// Checks every requirement of the list against the rules of its type and
    /// the rules between requirements; throws the first failure (logged).
    void validate();
    /// The type rules of validate() over the requirements as shown, unlogged:
    /// what a pane that follows the edits tells the user before a save would.
    void checkShown();
    /// validate(), the rows of the curricula left, the expression; then
    /// writes the sheets into the rows and clears the modified flag. Throws
    /// ZrError when something is wrong, leaving the rows as they were.
    void writeBack();

    // The edits. Each names the requirement it acts on; each is the user's
    // edit (the set becomes modified), reports itself with edited() and ends
    // with changed().

    /// Adds a requirement of `typeId` to the curriculum shown, with its type's
    /// defaults, marked new, and taken into a written expression with AND (the
    /// default expression already has it). Returns its temporary id; 0 when
    /// no set is loaded. Throws ZrError from its sheet's code tables.
    qint32 addRequirement(int typeId);
    /// Deletes requirement `ocID` of the list, and its place in the
    /// expression with the operator that joined it; false when the list has none.
    bool deleteRequirement(qint32 ocID);
    /// After the user changed the list's item `key`: what the row now holds
    /// becomes the parameter's value (setParameter).
    void valueChanged(const QString &key);
    /// Sets parameter `field` of requirement `ocID` to `stored` (its stored
    /// form), with the parameters that follow it (WithParameter), and shows
    /// them. Throws ZrError (the code tables of the rows shown); the value
    /// and the modified flag then stay as they were. False when the list has
    /// no such requirement.
    bool setParameter(qint32 ocID, const QString &field, const QVariant &stored);
    /// Replaces the expression of the curriculum shown (stored form, "" for the default).
    void setExpression(const QString &expression);
    /// Shows curriculum `curriculumId`: what the list shows is written into
    /// the rows of the curriculum left (checked when the set is written), then
    /// the chosen one's rows are loaded, with the expression it had when it
    /// was last shown. Not an edit of the values (the set's modified flag
    /// stays), but reported with edited(), so that undoing an edit can first
    /// show the curriculum it was made in. Throws ZrError.
    void chooseCurriculum(qint32 curriculumId);

    /// Makes `edit` on the set: an edit this editor reported, again (redo),
    /// or its inverse() (undo). Shows the edit's curriculum first. Reports no
    /// edit of its own; ends with changed(). Throws ZrError.
    void apply(const SetEdit &edit);
    /// Puts "(N1) " before a new requirement's caption and `helpId` as its help.
    void markNew(qint32 ocID, qint32 helpId);

    /// Records `error` once, naming `trapName` (the operation that failed) in
    /// the log, and reports it with errorOccurred(): the one way the failures
    /// of the user's commands reach the user.
    void reportError(ZrError error, const QString &trapName);

    /// What the last validate or writeBack found that does not stop a save
    /// (CheckCodesKnown), to be shown before the set is saved.
    const QList<ValidationWarning> &warnings() const { return m_warnings; }

    /// Where the last failed validate or writeBack points.
    struct Problem
    {
        bool valid = false;
        qint32 ocID = 0;
        QString field;
        qint32 curriculum = 0;
    };
    const Problem &problem() const { return m_problem; }

Q_SIGNALS:
    void modifiedChanged(bool modified);
    void curriculumChanged(qint32 curriculumId);
    /// A requirement was added, deleted or edited, or the expression changed.
    void changed();
    /// A command of the user's failed; `text` is the message to show.
    void errorOccurred(int errorId, const QString &text);
    /// An operation changed the set; `edit` holds what it takes to undo it.
    void edited(const zr::SetEdit &edit);

private:
    void fillCurricula();
    // Builds the parameter rows of requirement `ocID`, whose header the list shows, and shows its value.
    void buildSheet(qint32 ocID);
    // A requirement's value and where it is written: row `row` of `rows`.
    struct RowValue
    {
        Recordset rows;
        int row = 0;
        RequirementValue value;
    };
    QList<RowValue> validateCurriculaLeft();
    // The audit can check what is written: every requirement has the values its rule needs and
    // each expression reads (ZrError 10350 to 10353). Part of the checks of writeBack.
    void checkAuditable(const QList<RowValue> &curriculaLeft);
    // The value of `ocID` as its sheet shows it (a minimum as typed); nullptr when the list has none.
    const RequirementValue *shownValue(qint32 ocID);
    // Holds `value` for requirement `ocID` as shown and, unless `edited` is false, as the user's.
    void hold(const RequirementValue &value, bool edited);
    // storeAllGroups; without `allAsShown` a requirement whose sheet was never built leaves
    // its row as read (a switch or rebuild), and write back stores it as shown.
    void storeGroups(bool allAsShown);
    void showCurriculum(qint32 curriculumId);
    // The curriculum a new row of the list belongs to (0: the set has none).
    qint32 curriculumEntry() const;
    // Adds requirement `value` to the list at `position` and its row to the set.
    void insertRequirement(const RequirementValue &value, int position);
    void removeRequirement(qint32 ocID);
    // The expression of the curriculum shown, as the set keeps it once visited.
    QString shownExpression();

    RequirementSet m_set;
    LookupCache m_lookups;
    ItemPanelModel *m_list = nullptr;
    ItemPanelModel *m_commands = nullptr;
    std::shared_ptr<const Schema> m_schema;
    // The student view's description, asked of the schema once per schema.
    const SchemaTable *m_studentView = nullptr;
    bool m_studentViewRead = false;
    QString m_serverName;
    QString m_departmentId;
    QList<CurriculumEntry> m_curricula;
    Problem m_problem;
    QList<ValidationWarning> m_warnings;
    // The requirements of the curriculum shown, by id: where their values live.
    struct HeldRequirement
    {
        RequirementValue value;
        // Still as read from its row; shown (ShownValue) when it is first drawn or read.
        bool asRead = true;
        // Changed by the user since its row was last written: what a rebuild carries over.
        bool edited = false;
    };
    QHash<qint32, HeldRequirement> m_requirements;
};

} // namespace zr
