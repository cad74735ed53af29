#include "requirementseditor.h"

#include "common/langstrings.h"
#include "common/createserverobject.h"
#include "common/schema.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "audit/auditexpression.h"
#include "audit/preparedrequirement.h"
#include "itempanel/itempanelmodel.h"
#include "itempanel/redrawoff.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/parametersheet.h"
#include "reqtypes/parametervalidation.h"
#include "reqtypes/sheetbinding.h"
#include "reqtypes/requirementkeys.h"
#include "reqtypes/requirementvalue.h"
#include "reqtypes/sheetrules.h"
#include "reqtypes/studentcolumns.h"
#include "reqtypes/typecatalog.h"
#include "reqtypes/validationmessage.h"
#include "reqtypes/descriptions.h"
#include "requirements/expressionedit.h"
#include "requirements/expressionvalidation.h"

#include <functional>

namespace zr {

namespace {

// Heads what the sheet of an edited requirement shows, under its saved description.
constexpr qint32 StrEditedNotSaved = 20779;

// How messages name a requirement captioned `caption` at `place` of a list whose captions
// `captions` gives: by its caption, with its place when another reads the same.
RequirementNaming namingAt(const QString &caption, int place, const std::function<QStringList()> &captions)
{
    return {caption, [caption, place, captions] {
                return captions().count(caption) > 1 ? RequirementName(caption, place + 1) : caption;
            }};
}

// The requirement `group` at `place` of the list; the other captions are read only for a message.
RequirementNaming namingIn(const ItemPanelModel &list, const QString &group, int place)
{
    return namingAt(list.caption(group), place, [&list] {
        QStringList captions;
        for (const QString &key : list.keys())
            captions << list.caption(key);
        return captions;
    });
}

SetEdit newEdit(SetEdit::Kind kind, qint32 curriculum)
{
    SetEdit edit;
    edit.kind = kind;
    edit.curriculum = curriculum;
    return edit;
}

} // namespace

const QString RequirementsEditor::CmdExclusions = QStringLiteral("exclusions");
const QString RequirementsEditor::CmdExpression = QStringLiteral("coneval");
const QString RequirementsEditor::CmdAdd = QStringLiteral("add");
const QString RequirementsEditor::CmdDelete = QStringLiteral("delete");

RequirementsEditor::RequirementsEditor(QObject *parent)
    : QObject(parent), m_list(new ItemPanelModel(this)), m_commands(new ItemPanelModel(this))
{
    // A large set loads as headers; each sheet is built when it is first shown or looked up.
    m_list->setChildBuilder([this](const QString &group) { buildSheet(OcIdFromKey(group)); },
                            [](const QString &key) {
                                return FieldFromKey(key).isEmpty() ? QString() : GroupKey(OcIdFromKey(key));
                            });
    m_list->setObjectName(QStringLiteral("requirementList"));
    m_commands->setObjectName(QStringLiteral("commandList"));
    m_commands->addItem(CmdExclusions, QString(), ItemStyle::Command);
    m_commands->addItem(CmdExpression, QString(), ItemStyle::Command);
    m_commands->addItem(CmdAdd, QString(), ItemStyle::Command);
    m_commands->addItem(CmdDelete, QString(), ItemStyle::Command);
    m_commands->setExpanded(CmdAdd, true);
}

void RequirementsEditor::buildSheet(qint32 ocID)
{
    if (!m_requirements.contains(ocID))
        return;
    // Built while painting or looking up: a failure is logged, and the sheet shows what it could build.
    try {
        const RequirementSet::LoadingScope building(m_set);
        const SheetContext sheet = sheetContext();
        const RequirementValue *value = shownValue(ocID);
        CreateParameterRows(*m_list, value->typeId, ocID, sheet);
        ShowValue(*m_list, *value, sheet);
    } catch (ZrError &error) {
        TrapError(error, QStringLiteral(" zrRequirements.ShowRequirement"));
    }
}

const RequirementValue *RequirementsEditor::shownValue(qint32 ocID)
{
    const auto it = m_requirements.find(ocID);
    if (it == m_requirements.end())
        return nullptr;
    if (it->asRead) {
        it->value = ShownValue(it->value, sheetContext());
        it->asRead = false;
    }
    return &it->value;
}

void RequirementsEditor::hold(const RequirementValue &value, bool edited)
{
    m_requirements.insert(value.ocID, {value, false, edited});
}

RequirementValue RequirementsEditor::valueOf(qint32 ocID)
{
    const RequirementValue *value = shownValue(ocID);
    return value ? value->counted() : RequirementValue();
}

QList<RequirementValue> RequirementsEditor::shownValues()
{
    QList<RequirementValue> values;
    for (const QString &key : m_list->keys()) {
        if (const RequirementValue *value = shownValue(OcIdFromKey(key)))
            values << value->counted();
    }
    return values;
}

void RequirementsEditor::rebuildAddMenu()
{
    for (const QString &key : m_commands->keys(CmdAdd))
        m_commands->removeItem(key);
    int row = 0;
    for (const PaletteEntry &entry : RequirementPalette(m_set.context(), m_set.objectKind())) {
        m_commands->addItem(entry.key, entry.caption, ItemStyle::MenuEntry, CmdAdd, row++);
        m_commands->setHint(entry.key, entry.caption);
        m_commands->setVisible(entry.key, entry.visible);
    }
    m_commands->setExpanded(CmdAdd, true);
}

void RequirementsEditor::retranslateCommands()
{
    const std::pair<QString, qint32> captions[] = {
        {CmdExclusions, 20522}, {CmdExpression, 20523}, {CmdAdd, 20524}, {CmdDelete, 20505}};
    for (const auto &[key, id] : captions) {
        const QString text = GetLangString(id).trimmed();
        m_commands->setCaption(key, StripMnemonic(text));
        m_commands->setShortcut(key, MnemonicShortcut(text));
    }
    for (const PaletteEntry &entry : RequirementPalette(m_set.context(), m_set.objectKind())) {
        m_commands->setCaption(entry.key, entry.caption);
        m_commands->setHint(entry.key, entry.caption);
    }
}

void RequirementsEditor::refreshCommandStates(bool showExclusions)
{
    const bool hasRows = m_set.hasRows();
    const bool anyRow = hasRows && !m_set.walk().isEmpty();
    m_commands->setVisible(CmdExclusions, showExclusions && m_set.context() != CtxDegree);
    m_commands->setItemEnabled(CmdExclusions, anyRow && !m_set.isModified());
    bool menuEmpty = true;
    for (const QString &key : m_commands->keys(CmdAdd))
        menuEmpty = menuEmpty && !m_commands->isVisible(key);
    const bool canAdd = !menuEmpty && (!m_set.isCurriculumDependent() || !m_curricula.isEmpty());
    m_commands->setItemEnabled(CmdAdd, hasRows && canAdd);
    for (const QString &key : m_commands->keys(CmdAdd))
        m_commands->setItemEnabled(key, hasRows && canAdd);
    m_commands->setItemEnabled(CmdDelete, anyRow);
    m_commands->setItemEnabled(CmdExpression, hasRows);
}

RequirementsEditor::~RequirementsEditor() = default;

void RequirementsEditor::setServerName(const QString &name)
{
    m_serverName = name;
    m_lookups.setServerName(name);
}

void RequirementsEditor::setDepartmentId(const QString &id)
{
    m_departmentId = id;
    m_set.setDepartmentId(id);
}

void RequirementsEditor::setSchema(std::shared_ptr<const Schema> schema)
{
    m_schema = std::move(schema);
    m_studentView = nullptr;
    m_studentViewRead = false;
}

void RequirementsEditor::reset(const Recordset &parent)
{
    m_list->clear();
    m_requirements.clear();
    m_set.release();
    setModified(false);
    m_set.setParent(parent);
    m_set.resetNumbering();
}

void RequirementsEditor::loadSheets()
{
    const RequirementSet::LoadingScope loading(m_set);
    fillCurricula();
    m_set.applyFilter();
    loadRows();
    // Sheets are built as they are shown; one value of each type is shown now, so that a code table
    // that cannot be read fails the load, as a load reports it, and not a paint that only logs it.
    QSet<int> shown;
    const SheetContext sheet = sheetContext();
    for (const HeldRequirement &held : std::as_const(m_requirements)) {
        if (!shown.contains(held.value.typeId)) {
            shown.insert(held.value.typeId);
            ShownValue(held.value, sheet);
        }
    }
}

void RequirementsEditor::load(const Recordset &parent)
{
    reset(parent);
    loadSheets();
}

void RequirementsEditor::fillCurricula()
{
    m_curricula.clear();
    const int kind = m_set.objectKind();
    if (kind != KindProgramme && kind != KindProgramme3 && kind != KindProgramme4 && kind != KindStudent)
        return;
    Recordset curricula =
        m_lookups.list(QStringLiteral("QEMDPOrientation"), QStringLiteral("prID=") + m_set.objectId().toString());
    if (!m_set.isCurriculumDependent())
        return;
    Recordset walk = curricula.clone();
    for (walk.moveFirst(); !walk.eof(); walk.moveNext()) {
        const qint32 id = walk.value(u"orID").toInt();
        if (m_set.context() == CtxCurriculumChoice && id == -1)
            continue;
        m_curricula.append({id, walk.value(u"ordescription").toString()});
    }
    m_set.setCurriculumCount(int(m_curricula.size()));
    const bool known = m_set.curriculumId() != 0
                       && std::any_of(m_curricula.cbegin(), m_curricula.cend(),
                                      [this](const CurriculumEntry &e) { return e.id == m_set.curriculumId(); });
    // An id the new programme does not have falls back to the first curriculum.
    if (!known && !m_curricula.isEmpty())
        setCurriculum(m_curricula.first().id);
}

QString RequirementsEditor::curriculumName(qint32 curriculum) const
{
    for (const CurriculumEntry &entry : m_curricula) {
        if (entry.id == curriculum)
            return entry.name;
    }
    return QString::number(curriculum);
}

QString RequirementsEditor::curriculumNote(qint32 curriculum) const
{
    return QLatin1Char('\n') + GetLangString(20518).trimmed() + QLatin1Char(' ') + curriculumName(curriculum);
}

void RequirementsEditor::setCurriculum(qint32 curriculumId)
{
    if (curriculumId == m_set.curriculumId())
        return;
    m_set.setCurriculumId(curriculumId);
    Q_EMIT curriculumChanged(curriculumId);
}

void RequirementsEditor::setModified(bool modified)
{
    if (modified == m_set.isModified())
        return;
    m_set.setModified(modified);
    Q_EMIT modifiedChanged(modified);
}

SheetContext RequirementsEditor::sheetContext()
{
    SheetContext sheet;
    sheet.context = m_set.context();
    sheet.objectKind = m_set.objectKind();
    sheet.lookups = &m_lookups;
    if (!m_studentViewRead && m_schema) {
        m_studentView = m_schema->table(QStringLiteral("v_students"));
        m_studentViewRead = true;
    }
    sheet.students = m_studentView;
    const int kind = m_set.objectKind();
    if (kind != KindDepartment && kind != KindDepartmentById)
        sheet.programmeId = m_set.objectId();
    Recordset parent = m_set.parent();
    if (!parent.isNull() && parent.hasField(u"courseID") && !parent.bof() && !parent.eof())
        sheet.courseId = parent.value(u"courseID");
    sheet.departmentId = m_departmentId;
    return sheet;
}

int RequirementsEditor::typeOf(qint32 ocID) const
{
    if (!m_set.hasRows())
        return 0;
    Recordset row = m_set.rows().clone();
    if (!row.find(QStringLiteral("ocID = ") + QString::number(ocID), 0, Recordset::SearchForward, Recordset::StartFirst))
        return 0;
    return ValLng(row.value(u"conID"));
}

QString RequirementsEditor::captionOf(qint32 ocID) const
{
    const QString caption = m_list->caption(GroupKey(ocID));
    if (!caption.isEmpty() || !m_set.hasRows())
        return caption;
    // Requirements of another curriculum have no item in the list.
    Recordset row = m_set.rows().clone();
    if (!row.find(QStringLiteral("ocID = ") + QString::number(ocID), 0, Recordset::SearchForward,
                  Recordset::StartFirst))
        return QString::number(ocID);
    return GetTypeName(row.value(u"conID"));
}

std::optional<QString> RequirementsEditor::currentExpression() const
{
    const auto it = m_set.expressions().constFind(m_set.curriculumId());
    if (it == m_set.expressions().constEnd())
        return std::nullopt;
    return *it;
}

void RequirementsEditor::loadRows()
{
    const SheetContext sheet = sheetContext();
    Recordset rows = m_set.walk();
    const QString curriculum = QString::number(m_set.curriculumId());
    const int curriculumField = rows.isNull() ? -1 : rows.fieldIndex(u"secobjID");
    const int idField = rows.isNull() ? -1 : rows.fieldIndex(u"ocID");
    const int typeField = rows.isNull() ? -1 : rows.fieldIndex(u"conID");
    m_requirements.clear();
    m_requirements.reserve(rows.isNull() ? 0 : rows.recordCount());
    RequirementReader reader(rows, sheet.context);
    for (int row = 0; !rows.isNull() && row < rows.recordCount(); ++row) {
        // With a single curriculum every row of the set belongs to it.
        if (m_set.isCurriculumDependent() && rows.valueAt(row, curriculumField).toString() != curriculum)
            rows.setValueAt(row, curriculumField, curriculum);
        const qint32 ocID = rows.valueAt(row, idField).toInt();
        // Headers only: a sheet is built when it is first shown or looked up (buildSheet).
        const QString group = GroupKey(ocID);
        if (!CreateConstraintHeader(*m_list, rows.valueAt(row, typeField).toString(), ocID))
            continue;
        m_list->deferChildren(group);
        const RequirementValue &value = m_requirements.insert(ocID, {reader.read(row), true, false})->value;
        // A student-data requirement's caption names its column.
        for (const ParameterValue &parameter : value.parameters) {
            if (parameter.kind == RowKind::StudentColumn)
                m_list->setCaption(group, StudentDataHeader(NzStr(parameter.stored), ocID, sheet));
        }
    }
    m_set.expressions().clear();
    if (!rows.isEmpty()) {
        rows.moveFirst();
        m_set.expressions().insert(m_set.curriculumId(), rows.value(u"coneval").toString());
    }
}

void RequirementsEditor::storeAllGroups()
{
    storeGroups(true);
}

void RequirementsEditor::storeGroups(bool allAsShown)
{
    if (!m_set.hasRows())
        return;
    Recordset rows = m_set.rows();
    const QVariant expression = RequirementValue::storedExpression(currentExpression());
    const SheetContext sheet = sheetContext();
    for (const QString &key : m_list->keys()) {
        const qint32 ocID = OcIdFromKey(key);
        const int row = m_set.rowOf(ocID);
        const auto held = m_requirements.find(ocID);
        if (row < 0 || held == m_requirements.end())
            throw ZrError(Recordset::ErrBadBookmark, QStringLiteral("StoreConstraintValues"),
                          QStringLiteral("No requirement row with ocID %1.").arg(ocID));
        held->value.expression = expression;
        held->edited = false;
        // A value still as read may go back as it came, with the expression: nothing else of its row changes.
        const bool asRead = !allAsShown && held->asRead;
        const RequirementValue value = asRead ? held->value : shownValue(ocID)->counted();
        // Until the set is written, its row keeps the codes the sheet could not show, for the check to name.
        if (asRead || allAsShown)
            value.writeTo(rows, row);
        else
            WithDroppedCodes(value, RequirementValue::fromRow(rows, row, m_set.context()), sheet).writeTo(rows, row);
        // Written, a value holds what its row now does.
        if (!asRead)
            held->value = value;
        if (!m_list->isDeferred(key))
            ShowStored(*m_list, value);
    }
}

void RequirementsEditor::applyRowStates()
{
    for (const QString &group : m_list->keys()) {
        // A sheet not built yet gets its states when it is built.
        if (!m_list->isDeferred(group))
            if (const RequirementValue *value = shownValue(OcIdFromKey(group)))
                ShowRowStates(*m_list, *value);
    }
}

void RequirementsEditor::rebuildSheets()
{
    if (!m_set.hasRows() || m_list->count() == 0)
        return;
    const bool modified = m_set.isModified();
    const QHash<qint32, QString> expressions = m_set.expressions();
    // Only what the user changed is carried over: everything else is read from its row again,
    // as it stands, so that a new language changes no stored value.
    QList<RequirementValue> edited;
    for (const HeldRequirement &held : std::as_const(m_requirements)) {
        if (held.edited)
            edited << held.value;
    }
    try {
        const RedrawOff redrawOff(m_list);
        m_list->clear();
        const RequirementSet::LoadingScope loading(m_set);
        loadRows();
        // Held as edited; a sheet built later shows the edit, not its row.
        for (const RequirementValue &value : std::as_const(edited)) {
            if (m_requirements.contains(value.ocID))
                hold(value, true);
        }
    } catch (ZrError &error) {
        TrapError(error, QStringLiteral(" zrRequirements.LanguageChange"));
    }
    m_set.expressions() = expressions;
    Recordset rows = m_set.walk();
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        if (rows.status() == Recordset::adRecNew)
            markNew(ValLng(rows.value(u"ocID")), m_set.expression().isEmpty() ? 20018 : 10105);
    }
    setModified(modified);
}

QList<ExpressionVariable> RequirementsEditor::expressionVariables()
{
    const QString source = QStringLiteral("CreateFuncBuilderVariables");
    Recordset local = m_set.walkWholeSet();
    if (local.isNull() || local.isEmpty())
        throw MakeError(20765, source);
    const auto textOf = [](const QVariant &value) { return value.isNull() ? QString() : value.toString(); };
    auto constraints = ServerObjectOf<cContraints>(m_serverName, source);
    QVariant conobject = local.value(u"conobject");
    QVariant contypeID = local.value(u"contypeID");
    QVariant objID = textOf(local.value(u"objID"));
    QVariant secobjID = textOf(local.value(u"secobjID"));
    Recordset described = constraints->LoadConstraintsWithDescription(conobject, contypeID, objID, secobjID);

    // New requirements are not on the server yet: they join the list as they are.
    static const QStringList systemFields = {QStringLiteral("AltID"), QStringLiteral("RowGuid"),
                                             QStringLiteral("ModifiedDate"), QStringLiteral("AltKey")};
    QSet<qint32> newIds;
    for (local.moveFirst(); !local.eof(); local.moveNext()) {
        if (local.status() != Recordset::adRecNew)
            continue;
        described.addNew();
        for (int i = 0; i < local.fieldCount(); ++i) {
            const QString name = local.field(i).name;
            if (!systemFields.contains(name, Qt::CaseInsensitive) && described.hasField(name))
                described.setValue(name, local.value(i));
        }
        newIds.insert(ValLng(local.value(u"ocID")));
    }
    if (described.isEmpty())
        throw MakeError(20765, source);

    // A requirement deleted since the last save is no longer offered: one pass finds those left.
    QSet<qint32> live;
    Recordset rows = m_set.rows().clone();
    const int idField = rows.fieldIndex(u"ocID");
    for (int row = 0; row < rows.recordCount(); ++row)
        live.insert(ValLng(rows.valueAt(row, idField)));
    QList<ExpressionVariable> variables;
    for (described.moveFirst(); !described.eof(); described.moveNext()) {
        const qint32 ocID = ValLng(described.value(u"ocID"));
        const QString id = QString::number(ocID);
        QString shortName = described.hasField(u"conshortdesc") ? textOf(described.value(u"conshortdesc")) : QString();
        if (shortName.isEmpty())
            shortName = GetTypeName(described.value(u"conID"), true);
        // What its sheet shows, by name: the server describes only what was saved.
        const auto sheetRows = [this, ocID] {
            QString rows;
            for (const QString &row : m_list->keys(GroupKey(ocID))) {
                const QString shown = m_list->valueText(row);
                if (m_list->isVisible(row) && !shown.isEmpty())
                    rows += QLatin1Char('\n') + m_list->caption(row) + QStringLiteral(": ") + shown;
            }
            return rows;
        };
        QString description;
        if (newIds.contains(ocID)) {
            description = GetLangString(20766) + sheetRows();
        } else if (!live.contains(ocID)) {
            continue;
        } else {
            description = described.hasField(u"condesc") ? textOf(described.value(u"condesc")) : QString();
            if (const auto held = m_requirements.constFind(ocID); held != m_requirements.constEnd() && held->edited)
                description += QStringLiteral("\n\n") + GetLangString(StrEditedNotSaved) + sheetRows();
        }
        variables.append({QStringLiteral("%") + id, QStringLiteral("(") + id + QStringLiteral(") ") + shortName,
                          description});
    }
    return variables;
}

PickerContext RequirementsEditor::pickerContext() const
{
    PickerContext context;
    context.objectKind = m_set.objectKind();
    if (context.objectKind != KindDepartment && context.objectKind != KindDepartmentById)
        context.programmeId = m_set.objectId();
    context.departmentId = m_departmentId.isEmpty() && context.objectKind == KindDepartment
                               ? m_set.objectId().toString()
                               : m_departmentId;
    return context;
}

// Leaving a curriculum wrote what the user typed there into its rows
// unchecked; those rows pass their rules before the set is written. Returns
// each row's value as its sheet shows it, for write back: a requirement never
// shown there left its row as it was read.
QList<RequirementsEditor::RowValue> RequirementsEditor::validateCurriculaLeft()
{
    QList<RowValue> checked;
    if (!m_set.hasRows() || !m_set.isCurriculumDependent())
        return checked;
    const SheetContext sheet = sheetContext();
    for (auto it = m_set.expressions().constBegin(); it != m_set.expressions().constEnd(); ++it) {
        if (it.key() == m_set.curriculumId())
            continue;
        // The whole curriculum is read first, so that messages tell requirements of one type apart.
        const Recordset rows = m_set.walkWholeSet(it.key());
        RequirementReader reader(rows, sheet.context);
        QList<RowValue> shown;
        QStringList captions;
        for (int row = 0; row < rows.recordCount(); ++row) {
            const RequirementValue read = reader.read(row);
            const ParameterValue *column = read.typeId == 10 ? read.parameter(QStringLiteral("conselobjIDs")) : nullptr;
            const QString caption = column ? StudentDataHeader(column->text(), read.ocID, sheet) : GetTypeName(read.typeId);
            // A row of no known type has no sheet; CheckKnownTypes names it.
            if (caption.isEmpty())
                continue;
            captions << caption;
            shown.append({rows, row, ShownValue(read, sheet).counted()});
        }
        for (qsizetype i = 0; i < shown.size(); ++i) {
            const RowValue &rowValue = shown.at(i);
            const RequirementValue &value = rowValue.value;
            const qint32 ocID = value.ocID;
            const RequirementNaming naming = namingAt(captions.at(i), int(i), [captions] { return captions; });
            try {
                const RequirementValue read = RequirementValue::fromRow(rows, rowValue.row, sheet.context);
                CheckStoredCodes(read, naming);
                for (ValidationWarning warning : CheckCodesKnown(value, read, naming, sheet)) {
                    warning.description += curriculumNote(it.key());
                    m_warnings.append(warning);
                }
                ValidateInput(value, naming, rows, sheet);
            } catch (ZrError &error) {
                // The list shows another curriculum: say where the requirement is.
                m_problem = {true, ocID, FailedField(), it.key()};
                error.description += curriculumNote(it.key());
                throw;
            }
        }
        checked += shown;
    }
    return checked;
}

void RequirementsEditor::validate()
{
    const QStringList groups = m_list->keys();
    m_warnings.clear();
    if (!m_set.hasRows())
        return;
    try {
        // A row of no known type has no sheet in the list, so it is looked for in the rows.
        CheckKnownTypes(m_set);
        if (groups.isEmpty())
            return;
        CheckScholarshipRule(m_set);
        const SheetContext sheet = sheetContext();
        const Recordset rows = m_set.rows();
        for (qsizetype place = 0; place < groups.size(); ++place) {
            const QString &key = groups.at(place);
            const qint32 ocID = OcIdFromKey(key);
            const auto held = m_requirements.constFind(ocID);
            if (m_set.rowOf(ocID) < 0 || held == m_requirements.constEnd())
                throw ZrError(Recordset::ErrBadBookmark, QStringLiteral("ValidateRecords"),
                              QStringLiteral("No requirement row with ocID %1.").arg(ocID));
            m_problem = {true, ocID, QString(), m_set.curriculumId()};
            const RequirementNaming naming = namingIn(*m_list, key, int(place));
            const RequirementValue read = RequirementValue::fromRow(rows, m_set.rowOf(ocID), sheet.context);
            // What the row holds is checked where the user left it as loaded: a sheet shows no code it cannot read.
            if (!held->edited)
                CheckStoredCodes(read, naming);
            const RequirementValue value = valueOf(ocID);
            m_warnings += CheckCodesKnown(value, read, naming, sheet);
            ValidateInput(value, naming, rows, sheet);
            m_problem.valid = false;
        }
    } catch (ZrError &error) {
        if (m_problem.valid)
            m_problem.field = FailedField();
        TrapError(error, QStringLiteral(" zrRequirements.ValidateRecords"));
        throw;
    }
}

void RequirementsEditor::checkShown()
{
    if (!m_set.hasRows())
        return;
    const SheetContext sheet = sheetContext();
    const Recordset rows = m_set.rows();
    const QStringList groups = m_list->keys();
    for (qsizetype place = 0; place < groups.size(); ++place) {
        const qint32 ocID = OcIdFromKey(groups.at(place));
        if (shownValue(ocID))
            CheckInput(valueOf(ocID), namingIn(*m_list, groups.at(place), int(place)), rows, sheet);
    }
}

void RequirementsEditor::writeBack()
{
    m_problem = {};
    validate();
    QList<RowValue> curriculaLeft;
    try {
        curriculaLeft = validateCurriculaLeft();
    } catch (ZrError &error) {
        TrapError(error, QStringLiteral(" zrRequirements.UpdateRecordset"));
        throw;
    }
    const auto captionOf = [this](qint32 ocID) { return this->captionOf(ocID); };
    ExpressionFailure failure;
    try {
        ValidateExpression(m_set, ExpressionChecks{}, captionOf, &failure);
    } catch (const ZrError &error) {
        m_problem = {true, failure.ocID, QString(), failure.curriculum};
        if (!m_set.isCurriculumDependent() || failure.curriculum == m_set.curriculumId())
            throw;
        throw ZrError(error.number, error.source, error.description + curriculumNote(failure.curriculum));
    }
    CheckNoUnknownTokens(m_set);
    checkAuditable(curriculaLeft);
    try {
        // Values go to rows: the list changes only where a stored value shows differently,
        // so it is not rebuilt.
        storeAllGroups();
        for (RowValue &left : curriculaLeft)
            left.value.writeTo(left.rows, left.row);
    } catch (ZrError &error) {
        TrapError(error, QStringLiteral(" zrRequirements.UpdateRecordset"));
        throw;
    }
    setModified(false);
}

void RequirementsEditor::checkAuditable(const QList<RowValue> &curriculaLeft)
{
    QMap<qint32, QList<RequirementValue>> sets;
    sets.insert(m_set.curriculumId(), shownValues());
    for (const RowValue &left : curriculaLeft)
        sets[ValLng(left.rows.valueAt(left.row, left.rows.fieldIndex(u"secobjID")))].append(left.value);
    for (auto it = sets.constBegin(); it != sets.constEnd(); ++it) {
        if (it->isEmpty())
            continue;
        QList<qint32> ids;
        qint32 ocID = 0;
        try {
            for (const RequirementValue &value : *it) {
                ids << (ocID = value.ocID);
                audit::PrepareRequirement(value, captionOf(ocID));
            }
            ocID = 0;
            // Every curriculum checked here was shown, so its expression is held.
            audit::AuditExpression::parse(m_set.expressions().value(it.key()), ids);
        } catch (ZrError &error) {
            m_problem = {true, ocID, QString(), it.key()};
            if (it.key() != m_set.curriculumId())
                error.description += curriculumNote(it.key());
            TrapError(error, QStringLiteral(" zrRequirements.UpdateRecordset"));
            throw;
        }
    }
}

qint32 RequirementsEditor::curriculumEntry() const
{
    return m_set.isCurriculumDependent() && !m_curricula.isEmpty() ? m_set.curriculumId() : 0;
}

QString RequirementsEditor::shownExpression()
{
    if (!m_set.expressions().contains(m_set.curriculumId())) {
        Recordset first = m_set.walk();
        m_set.expressions().insert(m_set.curriculumId(),
                                   first.isEmpty() ? QString() : first.value(u"coneval").toString());
    }
    return m_set.expression();
}

qint32 RequirementsEditor::addRequirement(int typeId)
{
    if (!m_set.hasRows())
        return 0;
    SetEdit edit = newEdit(SetEdit::Kind::Add, m_set.curriculumId());
        edit.expressionBefore = m_set.expression();
    const qint32 ocID = m_set.addRequirement(typeId, curriculumEntry());
    {
        // The defaults written here are the new row's values, not user edits.
        const RequirementSet::LoadingScope defaults(m_set);
        const SheetContext sheet = sheetContext();
        CreateConstraint(*m_list, QString::number(typeId), ocID, sheet);
        RequirementValue value = DefaultValue(typeId, ocID, sheet);
        value.expression = RequirementValue::storedExpression(currentExpression());
        hold(value, false);
        ShowValue(*m_list, value, sheet);
        Recordset rows = m_set.rows();
        value.counted().writeTo(rows, m_set.rowOf(ocID));
        ShowStored(*m_list, value);
    }
    const QString expression = m_set.expression();
    if (!expression.isEmpty())
        m_set.setExpression(AppendToExpression(expression, ocID));
    markNew(ocID, expression.isEmpty() ? 20018 : 10105);
    setModified(true);
    edit.ocID = ocID;
    edit.caption = captionOf(ocID);
    edit.after = *shownValue(ocID);
    edit.position = int(m_list->keys().indexOf(GroupKey(ocID)));
    edit.expressionAfter = m_set.expression();
    Q_EMIT edited(edit);
    Q_EMIT changed();
    return ocID;
}

void RequirementsEditor::removeRequirement(qint32 ocID)
{
    m_set.deleteRequirement(ocID);
    m_list->removeItem(GroupKey(ocID));
    m_requirements.remove(ocID);
}

bool RequirementsEditor::deleteRequirement(qint32 ocID)
{
    if (!m_set.hasRows() || m_set.rowOf(ocID) < 0)
        return false;
    SetEdit edit = newEdit(SetEdit::Kind::Delete, m_set.curriculumId());
    edit.ocID = ocID;
    edit.caption = captionOf(ocID);
    // A row of no known type has no sheet; its value is read from the row.
    const RequirementValue *shown = shownValue(ocID);
    edit.before = shown ? *shown : RequirementValue::fromRow(m_set.rows(), m_set.rowOf(ocID), m_set.context());
    edit.position = int(m_list->keys().indexOf(GroupKey(ocID)));
    edit.expressionBefore = m_set.expression();
    removeRequirement(ocID);
    if (m_set.expressions().contains(m_set.curriculumId()))
        m_set.setExpression(RemoveFromExpression(m_set.expression(), ocID));
    edit.expressionAfter = m_set.expression();
    setModified(true);
    Q_EMIT edited(edit);
    Q_EMIT changed();
    return true;
}

void RequirementsEditor::valueChanged(const QString &key)
{
    const qint32 ocID = OcIdFromKey(key);
    const RequirementValue *value = shownValue(ocID);
    if (value && !FieldFromKey(key).isEmpty())
        setParameter(ocID, FieldFromKey(key), EditedValue(*m_list, key, value->typeId, sheetContext()));
}

bool RequirementsEditor::setParameter(qint32 ocID, const QString &field, const QVariant &stored)
{
    const RequirementValue *held = shownValue(ocID);
    if (!held)
        return false;
    SetEdit edit = newEdit(SetEdit::Kind::Value, m_set.curriculumId());
    edit.ocID = ocID;
    edit.field = field;
    edit.caption = captionOf(ocID);
    edit.before = *held;
    edit.after = WithParameter(edit.before, field, stored);
    if (!m_list->isDeferred(GroupKey(ocID))) {
        const RequirementSet::LoadingScope showing(m_set);
        ShowEdit(*m_list, edit.before, edit.after, field, sheetContext());
    }
    hold(edit.after, true);
    edit.expressionBefore = edit.expressionAfter = m_set.expression();
    setModified(true);
    Q_EMIT edited(edit);
    Q_EMIT changed();
    return true;
}

void RequirementsEditor::setExpression(const QString &expression)
{
    SetEdit edit = newEdit(SetEdit::Kind::Expression, m_set.curriculumId());
        edit.expressionBefore = shownExpression();
    m_set.setExpression(expression);
    edit.expressionAfter = expression;
    setModified(true);
    Q_EMIT edited(edit);
    Q_EMIT changed();
}

void RequirementsEditor::chooseCurriculum(qint32 chosen)
{
    SetEdit edit = newEdit(SetEdit::Kind::Curriculum, m_set.curriculumId());
        edit.curriculumAfter = chosen;
    showCurriculum(chosen);
    Q_EMIT edited(edit);
}

void RequirementsEditor::showCurriculum(qint32 chosen)
{
    // The rows of the curriculum being left keep what the user typed.
    storeGroups(false);
    const RedrawOff redrawOff(m_list);
    setCurriculum(chosen);
    m_set.applyFilter();
    m_list->clear();
    m_requirements.clear();
    const QString previous = m_set.expressions().value(chosen);
    const bool visited = m_set.expressions().contains(chosen);
    const RequirementSet::LoadingScope loading(m_set);
    const QHash<qint32, QString> expressions = m_set.expressions();
    loadRows();
    // Curricula visited since the load keep their edited expressions.
    m_set.expressions() = expressions;
    if (!visited) {
        Recordset rows = m_set.walk();
        m_set.expressions().insert(chosen, rows.isEmpty() ? QString() : rows.value(u"coneval").toString());
    } else {
        m_set.expressions().insert(chosen, previous);
    }
}

void RequirementsEditor::insertRequirement(const RequirementValue &value, int position)
{
    m_set.restoreRequirement(value.ocID, value.typeId, curriculumEntry());
    const RequirementSet::LoadingScope restoring(m_set);
    const SheetContext sheet = sheetContext();
    CreateConstraint(*m_list, QString::number(value.typeId), value.ocID, sheet, position);
    const RequirementValue shown = ShownValue(value, sheet);
    hold(shown, false);
    ShowValue(*m_list, shown, sheet);
    Recordset rows = m_set.rows();
    shown.counted().writeTo(rows, m_set.rowOf(value.ocID));
    ShowStored(*m_list, shown);
    if (value.ocID < 0)
        markNew(value.ocID, 10105);
}

void RequirementsEditor::apply(const SetEdit &edit)
{
    if (!m_set.hasRows())
        return;
    if (edit.curriculum != m_set.curriculumId())
        showCurriculum(edit.curriculum);
    switch (edit.kind) {
    case SetEdit::Kind::Value: {
        const RequirementSet::LoadingScope showing(m_set);
        hold(edit.after, true);
        if (!m_list->isDeferred(GroupKey(edit.ocID)))
            ShowValue(*m_list, edit.after, sheetContext());
        break;
    }
    case SetEdit::Kind::Add:
        insertRequirement(edit.after, edit.position);
        break;
    case SetEdit::Kind::Delete:
        removeRequirement(edit.ocID);
        break;
    case SetEdit::Kind::Expression:
        break;
    case SetEdit::Kind::Curriculum:
        showCurriculum(edit.curriculumAfter);
        Q_EMIT changed();
        return;
    }
    if (shownExpression() != edit.expressionAfter)
        m_set.setExpression(edit.expressionAfter);
    setModified(true);
    Q_EMIT changed();
}

void RequirementsEditor::reportError(ZrError error, const QString &trapName)
{
    TrapError(error, trapName);
    Q_EMIT errorOccurred(error.number, error.description);
}

void RequirementsEditor::markNew(qint32 ocID, qint32 helpId)
{
    const QString key = GroupKey(ocID);
    m_list->setCaption(key, QStringLiteral("(N") + QString::number(qAbs(ocID)) + QStringLiteral(") ")
                                + m_list->caption(key));
    m_list->setHint(key, GetLangString(helpId));
    m_list->setDescription(key, GetLangString(helpId));
}

} // namespace zr
