#include "studentregulation.h"

#include "database.h"
#include "requirementstore.h"
#include "servererrors.h"
#include "common/langstrings.h"
#include "common/zrerror.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace zr::server {

namespace {

const int StudentKind = 8;
const int DegreeContext = 103;
// The copies are new rows with temporary ids, as the editor numbers its own;
// the editor numbers the requirements the user adds below them.
const qint32 FirstCopyId = -1;

QString token(const QVariant &ocID)
{
    return QStringLiteral("[%") + ocID.toString() + QLatin1Char(']');
}

} // namespace

StudentRegulation::StudentRegulation(Database &db, qint32 studentId, const QString &source)
    : m_db(db)
    , m_source(source)
    , m_studentId(studentId)
{
    QSqlQuery &q = m_db.exec(QStringLiteral("SELECT p.prID, s.orient_ID, r.student_ID FROM QEMStudents s "
                                            "LEFT JOIN QEMDepPrograms p ON p.prID = s.progrspoud_ID "
                                            "LEFT JOIN QEMStudRegulation r ON r.student_ID = s.student_ID "
                                            "WHERE s.student_ID = ?"),
                             {studentId}, source);
    if (!q.next()) {
        q.finish();
        throw ZrError(ErrNotFound, source, ReplaceParams(GetLangString(61552), {QString::number(studentId)}));
    }
    m_programme = q.value(0);
    m_curriculum = q.value(1);
    m_individual = !q.value(2).isNull();
    q.finish();
}

QString StudentRegulation::programmeWhere(QVariantList &values)
{
    QSqlQuery &c = m_db.exec(QStringLiteral("SELECT COUNT(*) FROM QEMDPOrientation WHERE prID = ?"), {m_programme},
                             m_source);
    const int curricula = c.next() ? c.value(0).toInt() : 0;
    c.finish();
    // With several curricula the degree rules are those of the student's
    // own; before one is chosen only rules common to all apply.
    QString where = QStringLiteral("conobject = 1 AND contypeID = 103 AND objID = ?");
    values = {m_programme};
    if (curricula > 1) {
        if (m_curriculum.isNull()) {
            where += QStringLiteral(" AND (secobjID IS NULL OR secobjID = '')");
        } else {
            where += QStringLiteral(" AND (secobjID IS NULL OR secobjID = '' OR secobjID = ?)");
            values.append(m_curriculum.toString());
        }
    }
    return where;
}

Recordset StudentRegulation::loadWithDescription()
{
    if (m_individual)
        return RequirementStore(m_db).loadWithDescription(
            QStringLiteral("conobject = 8 AND contypeID = 103 AND objID = ?"), {m_studentId}, m_source);
    if (!hasProgramme())
        throw ZrError(ErrNotFound, m_source, ReplaceParams(GetLangString(61551), {QString::number(m_studentId)}));
    QVariantList values;
    const QString where = programmeWhere(values);
    return RequirementStore(m_db).loadWithDescription(where, values, m_source);
}

void StudentRegulation::addProgrammeCopies(Recordset &rows)
{
    if (m_individual || !hasProgramme())
        return;
    QVariantList values;
    const QString where = programmeWhere(values);
    Recordset programmeRows = m_db.select(m_db.knownTable(QStringLiteral("QEMObjectConstraint"), m_source), {}, where,
                                          values, QStringLiteral("ocID"), m_source);
    if (programmeRows.isEmpty())
        return;

    // Each curriculum's set has an expression of its own; the copies form one
    // set, so they get the expressions joined, and rows no expression names.
    QHash<QString, QString> renamed;
    QStringList copies;
    QStringList expressions;
    qint32 nextId = FirstCopyId;
    for (programmeRows.moveFirst(); !programmeRows.eof(); programmeRows.moveNext()) {
        copies.append(token(nextId--));
        renamed.insert(token(programmeRows.value(u"ocID")), copies.last());
        const QString eval = programmeRows.value(u"coneval").toString().trimmed();
        if (!eval.isEmpty() && !expressions.contains(eval))
            expressions.append(eval);
    }
    static const QRegularExpression tokens(QStringLiteral("\\[%-?\\d+\\]"));
    QStringList parts;
    QString named;
    for (const QString &eval : expressions) {
        QString out;
        qsizetype last = 0;
        for (auto m = tokens.globalMatch(eval); m.hasNext();) {
            const auto match = m.next();
            out += eval.mid(last, match.capturedStart() - last) + renamed.value(match.captured(), match.captured());
            last = match.capturedEnd();
        }
        out += eval.mid(last);
        named += out;
        parts.append(expressions.size() > 1 ? QLatin1Char('(') + out + QLatin1Char(')') : out);
    }
    if (!parts.isEmpty()) {
        for (const QString &copy : std::as_const(copies))
            if (!named.contains(copy))
                parts.append(copy);
    }
    const QString expression = parts.join(QStringLiteral(" AND "));

    nextId = FirstCopyId;
    for (programmeRows.moveFirst(); !programmeRows.eof(); programmeRows.moveNext()) {
        rows.addNew();
        for (int i = 0; i < programmeRows.fieldCount(); ++i) {
            const QString name = programmeRows.field(i).name;
            if (rows.hasField(name))
                rows.setValue(name, programmeRows.value(i));
        }
        rows.setValue(u"ocID", nextId--);
        rows.setValue(u"conobject", StudentKind);
        rows.setValue(u"contypeID", DegreeContext);
        rows.setValue(u"objID", m_studentId);
        rows.setValue(u"secobjID", QVariant());
        rows.setValue(u"coneval", expression.isEmpty() ? QVariant() : QVariant(expression));
    }
    rows.moveFirst();
}

} // namespace zr::server
