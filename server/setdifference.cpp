#include "setdifference.h"

#include "constraintdescriber.h"
#include "exceptionhistory.h"
#include "departmentobject.h"
#include "database.h"
#include "requirementstore.h"
#include "setversionstore.h"
#include "common/langstrings.h"
#include "common/zrerror.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/requirementchange.h"
#include "reqtypes/typecatalog.h"
#include "requirements/expressionform.h"

#include <QMap>

namespace zr::server {

namespace {

enum : qint32 {
    StrAddedLine = 64013,
    StrRemovedLine = 64014,
    StrChangedLine = 64015,
    StrExpressionBefore = 64016,
    StrExpressionAfter = 64017,
};


// One version of a set, its requirements by id.
struct Version
{
    explicit Version(const Recordset &set) : rows(set.clone())
    {
        for (int i = 0, n = rows.recordCount(); i < n; ++i)
            byId.insert(ValLng(RequirementFieldAt(rows, i, QStringLiteral("ocID"))), i);
    }
    // The expression, as every row of the set carries it.
    QString storedExpression() const
    {
        return byId.isEmpty() ? QString() : NzStr(RequirementFieldAt(rows, 0, QStringLiteral("coneval")));
    }
    QString displayExpression() const { return ReadableExpression(rows); }
    RequirementLine line(qint32 ocID, ConstraintDescriber &describer)
    {
        rows.setAbsolutePosition(byId.value(ocID) + 1);
        return {ocID, RequirementCaptionAt(rows, byId.value(ocID)), describer.describe(rows)};
    }

    Recordset rows;
    QMap<qint32, int> byId;
};

} // namespace

QString RequirementCaption(qint32 ocID, const QVariant &typeId, const QString &label)
{
    // A requirement not yet stored has a negative id: the editor calls it N1, N2 ...
    const QString number = ocID < 0 ? QStringLiteral("N%1").arg(-ocID) : QString::number(ocID);
    const QString caption = QLatin1Char('(') + number + QStringLiteral(") ") + GetTypeName(typeId);
    return label.isEmpty() ? caption : caption + QStringLiteral(" «") + label + QStringLiteral("»");
}

QString RequirementCaptionAt(const Recordset &rows, int row)
{
    const QString label = rows.hasField(u"conlabel") ? NzStr(RequirementFieldAt(rows, row, QStringLiteral("conlabel")))
                                                     : QString();
    return RequirementCaption(ValLng(RequirementFieldAt(rows, row, QStringLiteral("ocID"))),
                              RequirementFieldAt(rows, row, QStringLiteral("conID")), label);
}

QString ReadableExpression(const Recordset &set)
{
    if (set.recordCount() == 0)
        return QString();
    QHash<qint32, QString> captions;
    for (int i = 0, n = set.recordCount(); i < n; ++i)
        captions.insert(ValLng(RequirementFieldAt(set, i, QStringLiteral("ocID"))), RequirementCaptionAt(set, i));
    return ConvertExpression(NzStr(RequirementFieldAt(set, 0, QStringLiteral("coneval"))), false, set,
                             [&captions](qint32 ocID) { return captions.value(ocID); });
}

SetNaming::SetNaming(Database &db, const QString &key, const QString &source)
{
    m_lookups.setFetcher([&db, source](const QString &table, const QString &filter) {
        return CodeTable(db, table, filter, source);
    });
    const int kind = key.section(QLatin1Char('/'), 0, 0).toInt();
    m_sheet.objectKind = kind;
    m_sheet.context = key.section(QLatin1Char('/'), 2, 2).toInt();
    m_sheet.lookups = &m_lookups;
    // As the editor's sheets: every object but a department names the programme by its id.
    if (kind != KindDepartment && kind != KindDepartmentById)
        m_sheet.programmeId = key.section(QLatin1Char('/'), 1, 1).toLongLong();
    if (db.hasTable(QStringLiteral("v_students")))
        m_sheet.students = &db.knownTable(QStringLiteral("v_students"), source);
}

bool SetDifference::isEmpty() const
{
    return added.isEmpty() && removed.isEmpty() && changed.isEmpty() && expressionBefore == expressionAfter;
}

SetChangeCounts SetDifference::counts() const
{
    SetChangeCounts c;
    c.added = int(added.size());
    c.removed = int(removed.size());
    c.changed = int(changed.size());
    c.expressionChanged = expressionBefore != expressionAfter;
    for (const RequirementFieldChanges &r : changed) {
        c.fieldChanges += qMax<int>(1, int(r.fields.size()));
        if (c.firstChange.isEmpty())
            c.firstChange = r.firstInOneLine;
    }
    return c;
}

QStringList SetDifference::lines() const
{
    QStringList out;
    for (const RequirementLine &r : added)
        out << ReplaceParams(GetLangString(StrAddedLine), {r.caption, r.description});
    for (const RequirementLine &r : removed)
        out << ReplaceParams(GetLangString(StrRemovedLine), {r.caption, r.description});
    for (const RequirementFieldChanges &r : changed) {
        out << ReplaceParams(GetLangString(StrChangedLine), {r.caption});
        for (const QString &field : r.fields)
            out << QStringLiteral("  ") + field;
    }
    if (expressionBefore != expressionAfter) {
        out << ReplaceParams(GetLangString(StrExpressionBefore), {expressionBefore});
        out << ReplaceParams(GetLangString(StrExpressionAfter), {expressionAfter});
    }
    return out;
}

SetDifference CompareSets(Database &db, const QString &key, const Recordset &before, const Recordset &after,
                          const QString &source)
{
    Version was(before), now(after);
    const SetNaming naming(db, key, source);
    ConstraintDescriber describer(db);
    // Both versions' rows have the columns of the stored rows.
    const RequirementComparison comparison(now.rows);
    SetDifference difference;
    for (auto it = now.byId.constBegin(); it != now.byId.constEnd(); ++it) {
        if (!was.byId.contains(it.key())) {
            difference.added << now.line(it.key(), describer);
            continue;
        }
        // Most requirements of a large set are the same in both: only the others are read as values.
        was.rows.setAbsolutePosition(was.byId.value(it.key()) + 1);
        now.rows.setAbsolutePosition(it.value() + 1);
        if (!comparison.changed(was.rows, now.rows))
            continue;
        const int context = naming.sheet().context;
        const RequirementValue then = RequirementValue::fromRow(was.rows, was.byId.value(it.key()), context);
        const RequirementValue value = RequirementValue::fromRow(now.rows, it.value(), context);
        const QList<FieldChange> changes = ChangedFields(then, value);
        if (changes.isEmpty() && then.typeId == value.typeId)
            continue;
        RequirementFieldChanges changed{it.key(), RequirementCaption(it.key(), value.typeId), {}, {}};
        for (const FieldChange &change : changes)
            changed.fields << FieldChangeText(change, naming.sheet());
        if (!changes.isEmpty())
            changed.firstInOneLine = FieldChangeInRequirementText(changes.first(), naming.sheet());
        difference.changed << changed;
    }
    for (auto it = was.byId.constBegin(); it != was.byId.constEnd(); ++it) {
        if (!now.byId.contains(it.key()))
            difference.removed << was.line(it.key(), describer);
    }
    // Only a change of the stored text is one: an empty expression is the default of whatever rows there are.
    if (was.storedExpression() != now.storedExpression()) {
        difference.expressionBefore = was.displayExpression();
        difference.expressionAfter = now.displayExpression();
    }
    return difference;
}

SetDifference CompareVersions(Database &db, const QString &key, qint64 from, qint64 to, const QString &source)
{
    Database::Transaction tx(db, Database::Transaction::Read, source);
    RequirementStore store(db);
    SetDifference difference
        = CompareSets(db, key, store.versionRows(key, from, source), store.versionRows(key, to, source), source);
    tx.commit();
    return difference;
}

QStringList VersionDifferenceLines(Database &db, const QString &key, qint64 from, qint64 to, const QString &source)
{
    if (key.startsWith(QLatin1String("exceptions/")))
        return ExceptionListDifference(db, key, from, to, source);
    return CompareVersions(db, key, from, to, source).lines();
}

RequirementValue SavedChangeWording::valueOnCursor(const Recordset &rows, bool original, int context)
{
    // One row, kept between calls: a save may change thousands of requirements.
    if (m_row.isNull() || m_row.fieldCount() != rows.fieldCount()) {
        m_row = Recordset(rows.fields());
        m_row.addNew();
    }
    for (int i = 0, n = rows.fieldCount(); i < n; ++i)
        m_row.setValue(i, original ? rows.originalValue(i) : rows.value(i));
    return RequirementValue::fromRow(m_row, 0, context);
}

void SavedChangeWording::add(const QString &key, const Recordset &loaded, const Recordset &saved,
                             SetChangeCounts &counts)
{
    const int context = key.section(QLatin1Char('/'), 2, 2).toInt();
    const RequirementValue before = valueOnCursor(loaded, true, context);
    const QList<FieldChange> changes = ChangedFields(before, valueOnCursor(saved, false, context));
    counts.fieldChanges += qMax<int>(1, int(changes.size()));
    if (counts.firstType != 0 || changes.isEmpty())
        return;
    // Kept as data: worded when read, in the reader's language.
    counts.firstType = before.typeId;
    counts.firstField = changes.first().after.field;
    counts.firstBefore = changes.first().before.stored;
    counts.firstAfter = changes.first().after.stored;
}

QString KeptSummaryText(const QString &kept, const QString &key, const std::function<const SheetContext &()> &sheet)
{
    std::optional<SetChangeCounts> counts = DecodeChangeCounts(kept);
    // A summary an earlier version kept in words stays as it was written.
    if (!counts)
        return kept;
    if (counts->firstType != 0) {
        const int context = key.section(QLatin1Char('/'), 2, 2).toInt();
        const RowKind kind = SheetRow(counts->firstType, context, counts->firstField).kind;
        const FieldChange change{
            ParameterValue::fromStored(counts->firstField, kind, counts->firstType, counts->firstBefore),
            ParameterValue::fromStored(counts->firstField, kind, counts->firstType, counts->firstAfter)};
        try {
            counts->firstChange = FieldChangeInRequirementText(change, sheet());
        } catch (const ZrError &) {
            // A code table that cannot be read costs the line its names: it counts instead.
        }
    }
    return ChangeCountSummary(*counts);
}

QList<KeptVersion> ReadableHistory(Database &db, const QString &key, const QString &source)
{
    QList<KeptVersion> versions = SetVersionStore(db, source).listed(key);
    // One naming for every line: the code tables it reads are read once.
    std::optional<SetNaming> naming;
    const auto sheet = [&]() -> const SheetContext & {
        if (!naming)
            naming.emplace(db, key, source);
        return naming->sheet();
    };
    for (KeptVersion &v : versions)
        if (v.number > 0)
            v.summary = KeptSummaryText(v.summary, key, sheet);
    return versions;
}

} // namespace zr::server
