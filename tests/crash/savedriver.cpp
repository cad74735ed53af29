// Saves one requirement set over and over, for a test that kills it at
// random moments and then checks what the database holds.
//   savedriver save  <server> [count]   load, replace the set, save; repeat
//   savedriver import <server> [count]  write the set to a file and import it
//                                       as `zrreq import` does; repeat
//   savedriver check <server>           exit 0 when the set is whole
//   savedriver init  <server>           give a database the sample department
// The set (programme 1, context 110) alternates between two shapes; every
// row of one save carries the save's generation and the number of rows it
// wrote, and the expression names exactly those rows, so a mixture of two
// saves cannot pass the check. The set's version must be the generation held
// (each save raises it by one), with one kept version per save, the last
// holding the generation before, whole. "saved N" on stdout acknowledges generation N.
#include "database.h"
#include "qemserver.h"
#include "requirementstore.h"
#include "cli/clicommon.h"
#include "common/createserverobject.h"
#include "common/serverobjects.h"
#include "common/zrerror.h"
#include "requirements/requirementfile.h"
#include "requirements/setversion.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>

using namespace zr;
using namespace zr::server;

namespace {

constexpr int Context = 110;
constexpr int Programme = 1;
const QString kSource = QStringLiteral("savedriver");

struct StoredRow { qint64 id = 0; QString marker, expression; };

QList<StoredRow> storedSet(Database &db)
{
    QList<StoredRow> rows;
    QSqlQuery &q = db.exec(QStringLiteral("SELECT ocID, conoptval5, coneval FROM QEMObjectConstraint "
                                          "WHERE conobject = 1 AND objID = ? AND contypeID = ? ORDER BY ocID"),
                           {Programme, Context}, kSource);
    while (q.next())
        rows.append({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString()});
    q.finish();
    return rows;
}

// "gen:<generation>:<rows>"; generation 0 for the sample's own rows.
int generationOf(const QString &marker, int *rowCount)
{
    static const QRegularExpression re(QStringLiteral("^gen:(\\d+):(\\d+)$"));
    const QRegularExpressionMatch m = re.match(marker);
    *rowCount = m.captured(2).toInt();
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Returns the generation held (0 for the sample's own rows, which carry none), or -1 with a
// reason when the set is not whole: rows of two saves, a row count or an expression not its save's.
int checkSet(Database &db, QString *why)
{
    const QList<StoredRow> rows = storedSet(db);
    int count = 0;
    const int generation = rows.isEmpty() ? 0 : qMax(0, generationOf(rows.first().marker, &count));
    QStringList tokens;
    for (const StoredRow &row : rows) {
        int c = 0;
        if (generation == 0 ? generationOf(row.marker, &c) >= 0 : row.marker != rows.first().marker)
            *why = QStringLiteral("rows of two saves: %1 and %2").arg(rows.first().marker, row.marker);
        tokens << QStringLiteral("[%%1]").arg(row.id);
    }
    if (why->isEmpty() && generation > 0 && rows.size() != count)
        *why = QStringLiteral("%1 rows of a save that wrote %2").arg(rows.size()).arg(count);
    for (const StoredRow &row : rows) {
        if (why->isEmpty() && generation > 0 && row.expression != tokens.join(QStringLiteral(" AND ")))
            *why = QStringLiteral("expression \"%1\" does not name the rows %2").arg(row.expression, tokens.join(u' '));
    }
    return why->isEmpty() ? generation : -1;
}

// True when the set's history matches the generation held: versions 1 to
// `generation` kept, the last one holding the rows of the generation before.
bool historyIsWhole(Database &db, int generation, QString *why)
{
    const QString key = RequirementSetKey(1, Programme, Context, QString());
    QSqlQuery &h = db.exec(QStringLiteral("SELECT (SELECT version FROM QEMSetVersion WHERE setkey = ?), COUNT(*), MIN(version), "
                                          "MAX(version) FROM QEMSetHistory WHERE setkey = ?"), {key, key}, kSource);
    h.next();
    const qint64 version = h.value(0).toLongLong(), kept = h.value(1).toLongLong();
    const qint64 first = h.value(2).toLongLong(), last = h.value(3).toLongLong();
    h.finish();
    if (version != generation || kept != generation || (kept > 0 && (first != 1 || last != version)))
        *why = QStringLiteral("generation %1 held at version %2, with %3 kept versions (%4 to %5)")
                   .arg(generation).arg(version).arg(kept).arg(first).arg(last);
    if (generation == 0 || !why->isEmpty())
        return why->isEmpty();
    Recordset rows = ReadRequirementFile(RequirementStore(db).versionFile(key, version - 1, kSource)).rows;
    int count = 0;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        // The sample's own rows carry no generation: they stand for generation 0.
        if (const int g = qMax(0, generationOf(rows.value(u"conoptval5").toString(), &count)); g != generation - 1)
            *why = QStringLiteral("version %1 keeps a row of generation %2, not %3").arg(version).arg(g).arg(generation - 1);
    }
    if (generation > 1 && rows.recordCount() != count)
        *why = QStringLiteral("version %1 keeps %2 rows of a save that wrote %3").arg(version).arg(rows.recordCount()).arg(count);
    return why->isEmpty();
}

// The rows of `generation`, numbered -1, -2 ...: three on even generations,
// five on odd ones, each naming the generation and the row count.
QList<QVariantMap> generationRows(int generation)
{
    const int count = generation % 2 == 0 ? 3 : 5;
    const QString marker = QStringLiteral("gen:%1:%2").arg(generation).arg(count);
    QStringList tokens;
    for (int i = 1; i <= count; ++i)
        tokens << QStringLiteral("[%-%1]").arg(i);
    const QString expression = tokens.join(QStringLiteral(" AND "));
    QList<QVariantMap> rows;
    for (int i = 1; i <= count; ++i) {
        rows.append({{QStringLiteral("ocID"), -i}, {QStringLiteral("contypeID"), Context}, {QStringLiteral("conobject"), 1},
                     {QStringLiteral("conID"), 60}, {QStringLiteral("conoperator"), 8},
                     {QStringLiteral("conselobjIDs"), QString::number(i)}, {QStringLiteral("conoptval1"), QString::number(generation)},
                     {QStringLiteral("conoptval5"), marker}, {QStringLiteral("coneval"), expression}});
    }
    return rows;
}

// Replaces the set with the rows of `generation` through the editor's recordset.
void saveGeneration(cContraints &constraints, int generation)
{
    Recordset parent = constraints.LoadObjectConstraints(1, Programme);
    Recordset rows = parent.chapter(u"QEMObjectConstraint").clone();
    rows.setFilter(QStringLiteral("contypeID = %1").arg(Context));
    while (rows.recordCount() > 0) {
        rows.moveFirst();
        rows.deleteCurrent();
    }
    rows.setFilter(Recordset::FilterNone);
    for (const QVariantMap &row : generationRows(generation)) {
        rows.addNew();
        for (auto it = row.constBegin(); it != row.constEnd(); ++it)
            rows.setValue(it.key(), it.value());
    }
    constraints.SaveConstraints(parent);
}

// Replaces the set with the rows of `generation` by importing a file of them.
void importGeneration(const QString &server, const QString &path, int generation)
{
    QVariantList rows;
    for (const QVariantMap &row : generationRows(generation))
        rows.append(row);
    const QJsonObject root{{QStringLiteral("format"), RequirementFile::formatName()}, {QStringLiteral("AppliesTo"), 1},
                           {QStringLiteral("ConstrType"), Context},
                           {QStringLiteral("object"), QJsonObject{{QStringLiteral("prID"), Programme}}}, {QStringLiteral("rows"), QJsonArray::fromVariantList(rows)}};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson()) < 0 || !file.commit())
        throw ZrError(1, kSource, QStringLiteral("cannot write ") + path);
    const app::cli::SetTarget target{1, QString::number(Programme), Context, 0};
    Recordset parent = app::cli::ImportFileRows(server, target, ReadRequirementFile(path));
    app::cli::SaveCheckedSet(parent, target, server);
}

int runSave(const QString &server, int count, bool byImport)
{
    auto db = Database::open(server);
    QString why;
    int generation = checkSet(*db, &why);
    if (generation < 0) {
        fprintf(stderr, "the set is not whole before saving: %s\n", qPrintable(why));
        return 1;
    }
    auto constraints = CreateServerObjectAs<cContraints>(QStringLiteral("zrQEMSvr"), server);
    QTemporaryDir files;
    for (int i = 0; count <= 0 || i < count; ++i) {
        ++generation;
        if (byImport)
            importGeneration(server, files.filePath(QStringLiteral("set.json")), generation);
        else
            saveGeneration(*constraints, generation);
        printf("saved %d\n", generation);
        fflush(stdout);
    }
    return 0;
}

int runCheck(const QString &server)
{
    auto db = Database::open(server);
    QString why;
    // The server recovers its own PostgreSQL files; there a query that runs is the proof.
    if (db->dialect() == SqlDialect::SQLite) {
        QSqlQuery &q = db->exec(QStringLiteral("PRAGMA integrity_check"), {}, kSource);
        if (q.next() && q.value(0).toString() != QLatin1String("ok"))
            why = QStringLiteral("integrity check: ") + q.value(0).toString();
        q.finish();
    }
    const int generation = why.isEmpty() ? checkSet(*db, &why) : -1;
    if (generation < 0 || !historyIsWhole(*db, generation, &why)) {
        fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    printf("holds %d\n", generation);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // The import checks the set in an editor, which needs widgets.
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3 || !QStringList{"save", "import", "check", "init"}.contains(args[1])) {
        fprintf(stderr, "usage: savedriver save|import|check|init <server> [count]\n");
        return 2;
    }
    RegisterServer();
    try {
        if (args[1] == QLatin1String("init")) {
            Database::open(args[2], Database::Opening::Initialize)->initialize(true);
            return 0;
        }
        if (args[1] == QLatin1String("save") || args[1] == QLatin1String("import"))
            return runSave(args[2], args.value(3).toInt(), args[1] == QLatin1String("import"));
        return runCheck(args[2]);
    } catch (const ZrError &e) {
        fprintf(stderr, "%s: %s\n", qPrintable(e.source), qPrintable(e.description));
        return 1;
    }
}
