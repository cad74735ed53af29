#pragma once

#include "recordset/recordset.h"
#include "zrwidgets_export.h"

#include <QString>
#include <QWidget>

#include <memory>

class QAbstractItemModel;

namespace zr {

class ItemPanelModel;
class Schema;

/// The search criteria control: the user states criteria over the fields of
/// one described table or view, and the control turns them into the text of
/// an SQL filter (WhereStatement) that its container uses to fetch records.
///
/// Three views: simple (one entry per searchable field), advanced (a grid of
/// field-operator-value criteria combined with AND or OR) and custom. The
/// panels are item panels whose models are reachable for the container and
/// for tests: smuButtons (find, clear, andor, match, criteria), smFields (one
/// entry per searchable field, keyed by field name) and smuAdvanced (fields,
/// operators, value1, value2, addcrit, delcrit). The advanced criteria are
/// rows of the grid gxCriteria.
///
/// Keys while the control has the focus: Alt+A and F3 find, Alt+K clears;
/// the items' own shortcuts (Alt+U, Alt+Y, Alt+T, Alt+P, Alt+D) click them.
class ZRWIDGETS_EXPORT zrSearchX : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(zrSearchX)
    Q_PROPERTY(QString CurrentView READ CurrentView WRITE setCurrentView NOTIFY CurrentViewChanged)
    Q_PROPERTY(QString WhereStatement READ WhereStatement)
    Q_PROPERTY(QObject *ConnectedGrid READ ConnectedGrid WRITE setConnectedGrid NOTIFY ConnectedGridChanged)
    Q_PROPERTY(QFont Font READ font WRITE setFont NOTIFY FontChanged)
    Q_PROPERTY(bool AndCombination READ isAndCombination WRITE setAndCombination NOTIFY matchChanged)
    Q_PROPERTY(bool ExactMatch READ isExactMatch WRITE setExactMatch NOTIFY matchChanged)
    Q_PROPERTY(bool ContainsMatch READ isContainsMatch WRITE setContainsMatch NOTIFY matchChanged)

public:
    /// Starting views accepted by Init.
    enum View { SimpleView = 0, AdvancedView = 1, CustomView = 2 };

    /// Columns of the advanced criteria grid (criteriaModel()).
    enum CriteriaColumn {
        ColField = 0,       ///< the field's caption; Qt::UserRole holds its name
        ColOperDescr,       ///< the operator's caption
        ColValue1,          ///< first value (the chosen id for list fields)
        ColValue1Descr,     ///< first value as shown (the id's description for list fields)
        ColValue2,
        ColValue2Descr,
        ColOperator,        ///< operator code
        CriteriaColumnCount
    };

    explicit zrSearchX(QWidget *parent = nullptr);
    ~zrSearchX() override;

    /// Fills the panels from the description of `tableName` in `schema` (the
    /// schema's default table when empty) and shows `startView` (View).
    /// `setupViews` false keeps the current view. Choices of list fields come
    /// from "TEXT:" sources or from the container through ListSourceRequest.
    /// Any failure throws ZrError 30021 from "zrSearch.Init". The schema stays
    /// owned by the caller and must outlive the control's use of it.
    void Init(const Schema *schema, const QString &tableName, int startView = SimpleView,
              bool setupViews = true);

    /// Key of the view shown: "simple", "advanced" or "custom".
    QString CurrentView() const;
    /// Shows the view `key`; unknown keys are ignored.
    void setCurrentView(const QString &key);

    /// The last statement built by find (without the word WHERE); empty
    /// after Clear and before the first find.
    QString WhereStatement() const;

    /// The grid whose records a search fills; kept for the container, not owned.
    QObject *ConnectedGrid() const;
    void setConnectedGrid(QObject *grid);

    /// AND (true, the default) or OR combination of the criteria ("andor").
    bool isAndCombination() const;
    void setAndCombination(bool on);
    /// Exact matching of simple text criteria ("match"); off by default, when
    /// a text entry finds the values that start with it.
    bool isExactMatch() const;
    void setExactMatch(bool on);
    /// Simple criteria on text find it anywhere ("contains") instead of at
    /// its start; exact matching wins over it. Default false; Clear resets it.
    bool isContainsMatch() const;
    void setContainsMatch(bool on);

    /// Empties the where statement, every simple entry, the advanced entries
    /// and grid, turns "match" off and emits Cleared.
    void Clear();
    /// The "find" command: commits a value still being edited, builds the
    /// where statement of the current view together with the table's own
    /// where text and emits Search. A value that does not fit its field is
    /// reported next to the panels and nothing is emitted.
    void Find();
    /// The "addcrit" command: checks the advanced entries and adds one row to
    /// the criteria grid. Returns false (and shows why) when a check fails.
    bool AddCriterion();
    /// The "delcrit" command: removes the current row of the criteria grid.
    void DeleteCriterion();

    /// The last validation message shown; empty when none is shown.
    QString message() const;

    /// The panels' models (owned by the control).
    ItemPanelModel *buttonsPanel() const;
    ItemPanelModel *fieldsPanel() const;
    ItemPanelModel *advancedPanel() const;
    /// The advanced criteria grid's model (CriteriaColumn columns; owned by the control).
    QAbstractItemModel *criteriaModel() const;

    /// Operator code of the item at 0-based `position` of the operator list
    /// (equal, contains, different, greater, greater or equal, less, less or
    /// equal, between, starts with); -1 out of range.
    static int operatorCodeAt(int position);
    /// Number of operators offered.
    static int operatorCount();

Q_SIGNALS:
    /// A list field's choices must come from the container: `source` is the
    /// SQL query when `isQuery` is true, else the name of the recordset. The
    /// handler sets `result` (first field the id, second its description, or
    /// fields named ID and descr) and may set `cancel` to leave the list empty.
    void ListSourceRequest(bool &cancel, const QString &source, zr::Recordset &result, bool isQuery);
    /// Clear has emptied the criteria.
    void Cleared();
    /// Find built `whereStatement`; the handler may change it.
    void Search(QString &whereStatement);
    /// The current view changed.
    void CurrentViewChanged(const QString &key);
    void ConnectedGridChanged();
    void FontChanged();
    /// The AND/OR combination, the exact or the contains match changed.
    void matchChanged();

protected:
    void changeEvent(QEvent *event) override;

private:
    std::unique_ptr<class zrSearchXPrivate> const d;
};

} // namespace zr
