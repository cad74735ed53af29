#include "requirementset.h"

#include "common/langstrings.h"
#include "recordset/recordsetutils.h"
#include "common/zrerror.h"
#include "reqtypes/requirementkeys.h"
#include "reqtypes/typecatalog.h"

namespace zr {

namespace {
// Fields every requirement row must have for the editor to work on it.
const char *const RequiredFields[] = {
    "ocID",       "contypeID",  "conobject",   "objID",       "secobjID",    "conID",
    "conoperator", "conoptval1", "conoptval2", "conoptval3",  "conoptval4",  "conoptval5",
    "conoptval6", "conoptval7", "conoptval8",  "conoptval9",  "conoptval10", "conoptval11",
    "conoptval12", "conselobjIDs", "coneval",
};

constexpr qint32 ErrNoRecordset = 1001;
constexpr qint32 ErrMissingField = 61200;

} // namespace

void RequirementSet::setParent(const Recordset &parent)
{
    m_modified = false;
    if (parent.isNull())
        throw ZrError(ErrNoRecordset, QStringLiteral("rsConstraints"), GetLangString(50001));
    if (!parent.hasField(chapterName()))
        throw MakeError(ErrMissingField, QStringLiteral("rsConstraints"), {chapterName()});

    Recordset cursor = parent;
    if ((cursor.bof() || cursor.eof()) && !cursor.isEmpty())
        cursor.moveFirst();
    if (cursor.bof() || cursor.eof())
        throw MakeError(ErrMissingField, QStringLiteral("rsConstraints"), {chapterName()});
    const Recordset rows = cursor.chapter(chapterName());
    if (rows.isNull())
        throw MakeError(ErrMissingField, QStringLiteral("rsConstraints"), {chapterName()});
    for (const char *name : RequiredFields) {
        if (!rows.hasField(QString::fromLatin1(name)))
            throw MakeError(ErrMissingField, QStringLiteral("rsConstraints"), {QString::fromLatin1(name)});
    }

    auto parentValue = [&](const char *name) {
        return cursor.hasField(QString::fromLatin1(name)) ? cursor.value(QString::fromLatin1(name)) : QVariant();
    };
    switch (m_objectKind) {
    case KindProgramme:
    case KindProgramme3:
    case KindProgramme4:
        m_objectId = ValLng(parentValue("prID"));
        break;
    case KindStudent:
    case KindStudentProgramme:
        m_objectId = ValLng(parentValue("progrspoud_ID"));
        break;
    case KindDepartment:
        m_objectId = parentValue("depID").toString();
        break;
    case KindDepartmentById:
        m_objectId = m_departmentId;
        break;
    default:
        m_objectId = QVariant();
    }
    m_parentObjId = parentValue("objID");
    m_parent = parent;
    m_rows = rows;
    m_deleted.clear();
    // Rows imported before the load keep their temporary ids; numbering continues below them.
    m_numberingFloor = 0;
    Recordset all = rows.clone();
    for (all.moveFirst(); !all.eof(); all.moveNext())
        m_numberingFloor = qMin(m_numberingFloor, ValLng(all.value(u"ocID")));
    resetNumbering();
}

void RequirementSet::release()
{
    m_parent = Recordset();
    m_rows = Recordset();
    m_finder = Recordset();
    m_deleted.clear();
    m_currentRecordId = 0;
}

bool RequirementSet::isCurriculumDependent() const
{
    return m_objectKind == KindProgramme && (m_context == CtxCurriculumChoice || m_context == CtxDegree);
}

QString RequirementSet::setFilter() const
{
    QString filter = QStringLiteral("contypeID=") + QString::number(m_context);
    if (isCurriculumDependent() && m_curriculumCount != 1) {
        filter += QStringLiteral(" AND objID=") + QString::number(ValLng(m_objectId))
                  + QStringLiteral(" AND secobjID='") + QString::number(m_curriculumId) + QLatin1Char('\'');
    }
    return filter;
}

QString RequirementSet::wholeSetFilter(qint32 curriculum) const
{
    QString filter = QStringLiteral("contypeID=") + QString::number(m_context) + QStringLiteral(" AND conobject=")
                     + QString::number(m_objectKind);
    if (isCurriculumDependent())
        filter += QStringLiteral(" AND secobjID='") + QString::number(curriculum) + QLatin1Char('\'');
    return filter;
}

void RequirementSet::applyFilter()
{
    if (m_rows.isNull())
        return;
    m_rows.setFilter(setFilter());
    m_currentRecordId = 0;
}

Recordset RequirementSet::walk() const
{
    if (m_rows.isNull())
        return {};
    const QString filter = setFilter();
    // The rows are kept under this filter: walking them needs no second evaluation.
    if (m_rows.filter() == filter)
        return m_rows.view();
    Recordset clone = m_rows.clone();
    clone.setFilter(filter);
    return clone;
}

Recordset RequirementSet::walkWholeSet() const
{
    return walkWholeSet(m_curriculumId);
}

Recordset RequirementSet::walkWholeSet(qint32 curriculum) const
{
    if (m_rows.isNull())
        return {};
    Recordset clone = m_rows.clone();
    clone.setFilter(wholeSetFilter(curriculum));
    return clone;
}

qint32 RequirementSet::addRequirement(int typeId, qint32 curriculumEntry)
{
    --m_newRecordCounter;
    restoreRequirement(m_newRecordCounter, typeId, curriculumEntry);
    return m_newRecordCounter;
}

void RequirementSet::restoreRequirement(qint32 ocID, int typeId, qint32 curriculumEntry)
{
    if (const auto deleted = m_deleted.constFind(ocID); deleted != m_deleted.constEnd()) {
        const Recordset::Bookmark row = *deleted;
        m_deleted.erase(deleted);
        m_rows.undeleteRows({row});
        if (rowOf(ocID) >= 0) {
            m_currentRecordId = ocID;
            return;
        }
    }
    m_rows.addNew();
    m_rows.setValue(u"ocID", ocID);
    m_rows.setValue(u"contypeID", m_context);
    m_rows.setValue(u"conobject", m_objectKind);
    m_rows.setValue(u"conID", typeId);
    // A child row belongs to its parent object, as a hierarchical recordset links it.
    if (m_rows.value(u"objID").isNull() && !m_parentObjId.isNull())
        m_rows.setValue(u"objID", m_parentObjId);
    if (isCurriculumDependent() && curriculumEntry != 0)
        m_rows.setValue(u"secobjID", QString::number(curriculumEntry));
    m_currentRecordId = ocID;
}

bool RequirementSet::deleteRequirement(qint32 ocID)
{
    const int row = rowOf(ocID);
    if (row < 0)
        return false;
    const Recordset::Bookmark bookmark = m_rows.bookmarkAt(row);
    m_rows.deleteRows({bookmark});
    m_deleted.insert(ocID, bookmark);
    if (m_currentRecordId == ocID)
        m_currentRecordId = 0;
    return true;
}

int RequirementSet::rowOf(qint32 ocID) const
{
    if (m_rows.isNull())
        return -1;
    // One finder per set of rows: a new clone would list every row again for each look-up.
    if (m_finder.isNull() || !m_finder.sharesRowsWith(m_rows))
        m_finder = m_rows.clone();
    if (!m_finder.find(QStringLiteral("ocID = ") + QString::number(ocID), 0, Recordset::SearchForward,
                       Recordset::StartFirst))
        return -1;
    return m_rows.rowOfBookmark(m_finder.bookmark());
}

bool RequirementSet::positionOn(const QString &key)
{
    const qint32 ocID = OcIdFromKey(key);
    if (ocID == m_currentRecordId && ocID != 0 && !m_rows.eof() && !m_rows.bof())
        return true;
    if (!m_rows.find(QStringLiteral("ocID = ") + QString::number(ocID), 0, Recordset::SearchForward,
                     Recordset::StartFirst))
        return false;
    m_currentRecordId = ocID;
    return true;
}

void RequirementSet::resetNumbering()
{
    m_newRecordCounter = m_numberingFloor;
    m_currentRecordId = 0;
}

} // namespace zr
