// Hostile text in every string place of a requirement set file, imported as
// `zrreq import` imports (read the file, put its rows into the target's set,
// check the set as the editor does, save it), watched at the database: only
// reads and the save's writes of requirement rows may reach it, every value
// bound; a refused file leaves the stored rows as they were, and no error the
// user sees quotes SQL.
#include "database.h"
#include "hostilevalues.h"
#include "serverfixture.h"
#include "statementchecks.h"
#include "cli/clicommon.h"
#include "common/zrerror.h"
#include "requirements/requirementfile.h"
#include "servererrors.h"
#include "../datafile.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace zr;
using namespace zr::server;
using zr::app::cli::SetTarget;

namespace {

// Programme 1's degree requirements of curriculum 11: seven rows of seven types and an expression.
const SetTarget kTarget{1, QStringLiteral("1"), 103, 11};

// One place of an import a value can go to: a row of data/import-places.tsv.
struct Place
{
    QString name;
    QString where;
    QString key;
    bool rowValue = false; ///< a row field the import copies into the stored row; other places are refused or ignored
};

void setInObject(QJsonObject &root, const QString &key, const QJsonValue &value)
{
    QJsonObject object = root.value(QStringLiteral("object")).toObject();
    object.insert(key, value);
    root.insert(QStringLiteral("object"), object);
}

// `key` of the first row, or of every row when `everyRow`.
void setInRows(QJsonObject &root, const QString &key, const QJsonValue &value, bool everyRow = false)
{
    QJsonArray rows = root.value(QStringLiteral("rows")).toArray();
    for (qsizetype i = 0; i < (everyRow ? rows.size() : 1); ++i) {
        QJsonObject row = rows.at(i).toObject();
        row.insert(key, value);
        rows.replace(i, row);
    }
    root.insert(QStringLiteral("rows"), rows);
}

QList<Place> places()
{
    QList<Place> out;
    for (const QStringList &cells : zr::test::dataRows(QFINDTESTDATA("data/import-places.tsv")).mid(1))
        out.append({cells.at(0), cells.at(1), cells.at(2), cells.at(3) == u"1"});
    return out;
}

// Puts `value` at `place`: under the place's key, or as a key itself where the place names none.
void put(const Place &place, QJsonObject &root, SetTarget &target, const QString &value)
{
    const QString key = place.key.isEmpty() ? value : place.key;
    const QJsonValue v = place.key.isEmpty() ? QJsonValue(1) : QJsonValue(value);
    if (place.where == u"target")
        target.objectId = value;
    else if (place.where == u"file")
        root.insert(key, v);
    else if (place.where == u"object")
        setInObject(root, key, v);
    else
        setInRows(root, key, v, place.where == u"every row");
}

// A value pasted into a statement would show in its text; names and short marks prove nothing.
bool carriesValue(const QString &sql, const QString &value)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    const QString v = value.trimmed();
    return v.size() >= 3 && !name.match(v).hasMatch() && sql.contains(v);
}

// What the import stored in `column` of the target's rows.
QStringList storedColumn(const QString &server, const QString &column)
{
    QStringList values;
    auto db = Database::open(server);
    QSqlQuery q(db->connection());
    q.prepare(QStringLiteral("SELECT %1 FROM QEMObjectConstraint WHERE conobject = ? AND objID = ? AND contypeID = ? "
                             "AND secobjID = ? ORDER BY ocID").arg(column));
    for (const QVariant &key : QVariantList{kTarget.kind, kTarget.objectId.toInt(), kTarget.context,
                                            QString::number(kTarget.curriculum)})
        q.addBindValue(key);
    q.exec();
    while (q.next())
        values.append(q.value(0).toString());
    return values;
}

} // namespace

// What one import of a hostile value came to.
enum class Outcome { Refused, Stored, Dropped, Ignored };

class TestImportInjection : public QObject
{
    Q_OBJECT

private:
    test::ServerFixture m_fixture;
    QTemporaryDir m_files;
    QStringList m_statements;
    Database::StatementObserver m_previous;
    QJsonObject m_base;      // the target's set as exported
    QStringList m_stored;    // the stored rows before the next import
    int m_errorNumber = 0;   // of the last refusal

    QString setPath() const { return m_files.filePath(QStringLiteral("set.json")); }

    void importFile(const QJsonObject &root, const SetTarget &target, const QString &server)
    {
        QFile f(setPath());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(QJsonDocument(root).toJson()) < 0)
            QFAIL("cannot write the set file");
        f.close();
        // Forced: the same exported set goes in again and again, each import a newer version than the file's.
        Recordset parent = app::cli::ImportFileRows(server, target, ReadRequirementFile(setPath()), true);
        app::cli::SaveCheckedSet(parent, target, server);
    }

    // Exports the target's set and imports it unchanged, so that a refusal later is the value's doing.
    void prepareBase(const QString &server)
    {
        m_base = QJsonDocument::fromJson(WriteRequirementFile(app::cli::LoadTarget(server, kTarget), kTarget.kind,
                                                              kTarget.context, kTarget.curriculum))
                     .object();
        importFile(m_base, kTarget, server);
        m_stored = test::ServerFixture::storedRequirements(server);
    }

    // Imports the base set with `value` at `place`, checking the statements,
    // the stored rows and any error; QVERIFY failures end the calling test.
    Outcome importHostile(const Place &place, const QString &value, const QString &server)
    {
        QJsonObject root = m_base;
        SetTarget target = kTarget;
        put(place, root, target, value);
        m_statements.clear();
        m_errorNumber = 0;
        QString failure;
        try {
            importFile(root, target, server);
        } catch (const ZrError &e) {
            m_errorNumber = e.number;
            failure = e.source + QLatin1Char('\t') + e.description;
        }
        const QString what = place.name + QLatin1String(" = ") + value.left(120);
        for (const QString &sql : std::as_const(m_statements)) {
            if (!(test::isWriteControl(sql) || test::isBoundSelect(sql) || test::isRequirementWrite(sql)
                  || test::isVersionWrite(sql)))
                return fail(what + QLatin1String(" sent ") + sql.left(400));
            if (carriesValue(sql, value))
                return fail(what + QLatin1String(" pasted into ") + sql.left(400));
        }
        const QStringList after = test::ServerFixture::storedRequirements(server);
        if (!failure.isEmpty()) {
            // The user's own text may be echoed; nothing else may read like SQL.
            QString shown = failure;
            shown.remove(value).remove(value.trimmed());
            if (test::quotesSql(shown, m_statements))
                return fail(what + QLatin1String(": ") + failure);
            if (after != m_stored)
                return fail(what + QLatin1String(" changed the stored rows: ") + failure);
            return Outcome::Refused;
        }
        m_stored = after;
        if (!place.rowValue) {
            // The target, not the file, names the object: the value went nowhere.
            if (carriesValue(after.join(QLatin1Char('\n')), value))
                return fail(what + QLatin1String(" was stored"));
            return Outcome::Ignored;
        }
        // The first row, stored first: the value as given (bound, not cut, not
        // interpreted), trimmed, or nothing where the editor drops a code its list lacks.
        const QString stored = storedColumn(server, place.name.mid(4)).value(0);
        if (stored != value && stored != value.trimmed() && !stored.isEmpty())
            return fail(what + QLatin1String(" stored as ") + stored.left(120));
        return stored.isEmpty() ? Outcome::Dropped : Outcome::Stored;
    }

    Outcome fail(const QString &message)
    {
        QTest::qFail(qPrintable(message), __FILE__, __LINE__);
        return Outcome::Refused;
    }

private slots:
    void init()
    {
        m_statements.clear();
        m_previous = Database::setStatementObserver([this](const QString &sql) { m_statements << sql; });
    }
    void cleanup() { Database::setStatementObserver(m_previous); }

    void hostileValuesInImportedFiles_data() { zr::test::ServerFixture::backendRows(); }
    void hostileValuesInImportedFiles()
    {
        ZR_BACKEND_ROW();
        prepareBase(server);
        const QList<Place> everyPlace = places();
        const QStringList values = test::hostileValues();
        int files = 0;
        QMap<Outcome, int> outcomes;
        // Sanitized builds take every n-th value, shifted per place, so each value is still tried somewhere.
        const int stride = qMax(1, qEnvironmentVariableIntValue("ZR_INJECTION_STRIDE"));
        for (qsizetype p = 0; p < everyPlace.size(); ++p) {
            const Place &place = everyPlace.at(p);
            for (qsizetype v = p % stride; v < values.size(); v += stride) {
                const QString &value = values.at(v);
                const Outcome outcome = importHostile(place, value, server);
                if (QTest::currentTestFailed())
                    return;
                ++files;
                ++outcomes[outcome];
            }
        }
        QVERIFY(files >= values.size() * 25 / stride);
        // Every row field the import copies is reached by some value that validates.
        QVERIFY(outcomes[Outcome::Stored] > 0);
    }

};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestImportInjection test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_importinjection.moc"
