#pragma once

#include "recordset/recordset.h"
#include "zrreq_export.h"

#include <QHash>
#include <QString>

namespace zr {

/// The requirements of one object and context that the editor works on: the
/// host's hierarchical recordset, its child rows of QEMObjectConstraint
/// filtered to the context, object and curriculum, the temporary ids of new
/// rows, the expression of each curriculum visited, and the modified flag.
/// Holds no widgets, so the set's rules are tested on their own.
class ZRREQ_EXPORT RequirementSet
{
public:
    /// Name of the parent's chapter field holding the requirement rows.
    static QString chapterName() { return QStringLiteral("QEMObjectConstraint"); }

    int context() const { return m_context; }
    void setContext(int context) { m_context = context; }
    int objectKind() const { return m_objectKind; }
    void setObjectKind(int kind) { m_objectKind = kind; }
    /// Department of objects of kind 14.
    QString departmentId() const { return m_departmentId; }
    void setDepartmentId(const QString &id) { m_departmentId = id; }

    /// Takes a new hierarchical recordset: reads the object id from the parent
    /// row and keeps the child rows. Resets the temporary numbering and the
    /// current record. Throws ZrError 1001 (nothing given) or a clear error
    /// when the parent has no requirement chapter or a required field is missing.
    void setParent(const Recordset &parent);
    /// Forgets the recordsets (the host keeps them).
    void release();
    Recordset parent() const { return m_parent; }
    /// The requirement rows (child recordset); nothing before setParent.
    Recordset rows() const { return m_rows; }
    bool hasRows() const { return !m_rows.isNull(); }

    /// The object id read from the parent row (prID, progrspoud_ID or depID
    /// depending on the object kind; DepartID for kind 14).
    QVariant objectId() const { return m_objectId; }

    /// True when each curriculum of the programme has its own set: programme
    /// requirements for choosing a curriculum or for the degree.
    bool isCurriculumDependent() const;
    /// Number of curricula of the programme; with exactly one, the set is not
    /// restricted by curriculum.
    void setCurriculumCount(int count) { m_curriculumCount = count; }
    int curriculumCount() const { return m_curriculumCount; }
    qint32 curriculumId() const { return m_curriculumId; }
    void setCurriculumId(qint32 id) { m_curriculumId = id; }

    /// Filter of the rows the list shows.
    QString setFilter() const;
    /// Filter of the whole set (expression check and variables), of the
    /// current curriculum or of `curriculum`.
    QString wholeSetFilter() const { return wholeSetFilter(m_curriculumId); }
    QString wholeSetFilter(qint32 curriculum) const;
    /// Applies setFilter() to the rows and moves to the first one.
    void applyFilter();
    /// A clone of the rows filtered to the set, on its first row.
    Recordset walk() const;
    /// A clone filtered with wholeSetFilter(), on its first row.
    Recordset walkWholeSet() const;
    /// The same for the set of another curriculum.
    Recordset walkWholeSet(qint32 curriculum) const;

    /// Adds a requirement of `typeId` with the next temporary id and makes it
    /// current; `curriculumEntry` (> 0) is written into secobjID in the
    /// curriculum-dependent case. Returns the new ocID.
    qint32 addRequirement(int typeId, qint32 curriculumEntry = 0);
    /// Takes back the delete of requirement `ocID`: its row comes back as it
    /// was (a stored row stays the stored row, with its id and place), or, when
    /// the set never held it, a row of `typeId` is added under that id as
    /// addRequirement() adds a new one. Makes it current.
    void restoreRequirement(qint32 ocID, int typeId, qint32 curriculumEntry = 0);
    /// Deletes the requirement `ocID` among the rows the list shows; false when
    /// there is none. The editor marks the set modified.
    bool deleteRequirement(qint32 ocID);
    /// The 0-based position of requirement `ocID` among the rows the list
    /// shows (found through the recordset's index); -1 when it is not one of
    /// them. The rows' cursor is neither read nor moved.
    int rowOf(qint32 ocID) const;
    /// Moves the rows' cursor to the requirement of a list item's key, for the
    /// host, whose current row follows the selected requirement; false when
    /// there is no such row. No operation of the set reads the cursor.
    bool positionOn(const QString &key);
    /// ocID of the row the rows were last positioned on; 0 after a load.
    qint32 currentRecordId() const { return m_currentRecordId; }
    /// The last temporary id handed out (0, -1, -2 ...); after a load of rows
    /// that already hold temporary ids, numbering goes on below the lowest.
    qint32 newRecordCounter() const { return m_newRecordCounter; }
    /// Restarts temporary numbering and forgets the current record.
    void resetNumbering();
    /// Forgets the current record (after the list moved the rows itself).
    void forgetCurrentRecord() { m_currentRecordId = 0; }

    /// Stored-form expression of each curriculum visited since the last load.
    QHash<qint32, QString> &expressions() { return m_expressions; }
    const QHash<qint32, QString> &expressions() const { return m_expressions; }
    /// The expression of the current curriculum.
    QString expression() const { return m_expressions.value(m_curriculumId); }
    void setExpression(const QString &text) { m_expressions.insert(m_curriculumId, text); }

    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }
    /// While loading, the panel's value changes are not edits of the user's.
    bool isLoading() const { return m_loading; }

    /// Marks the set as loading for its lifetime; the flag is restored however the scope ends.
    class LoadingScope
    {
    public:
        explicit LoadingScope(RequirementSet &set) : m_set(set), m_was(set.m_loading) { m_set.m_loading = true; }
        ~LoadingScope() { m_set.m_loading = m_was; }
        LoadingScope(const LoadingScope &) = delete;
        LoadingScope &operator=(const LoadingScope &) = delete;

    private:
        RequirementSet &m_set;
        bool m_was; // a scope opened inside another leaves the set loading
    };

private:
    Recordset m_parent;
    Recordset m_rows;
    mutable Recordset m_finder; // a cursor of its own over m_rows' table, for rowOf
    QVariant m_objectId;
    QVariant m_parentObjId;
    QString m_departmentId;
    int m_context = 0;
    int m_objectKind = 0;
    int m_curriculumCount = 0;
    qint32 m_curriculumId = 0;
    qint32 m_newRecordCounter = 0;
    qint32 m_numberingFloor = 0;  // lowest temporary id the rows had when loaded
    qint32 m_currentRecordId = 0;
    QHash<qint32, QString> m_expressions;
    // The rows deleted since the load, by id: a delete taken back brings its own row back.
    QHash<qint32, Recordset::Bookmark> m_deleted;
    bool m_modified = false;
    bool m_loading = false;
};

} // namespace zr
