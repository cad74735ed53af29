#include "database.h"
#include "textfold.h"

#include "roles.h"
#include "schemascript.h"
#include "servererrors.h"
#include "common/errorlog.h"
#include "common/langstrings.h"
#include "common/serveraddress.h"
#include "common/zrerror.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace zr::server {

namespace {

// False while a command that only reads runs: it creates no database.
thread_local bool t_createsNew = true;

// Databases stay open for the life of the thread that opened them, as
// QSqlDatabase connections may only be used on their own thread.
thread_local QHash<QString, std::shared_ptr<Database>> t_open;
// Every database alive on the thread, whoever holds it.
thread_local QSet<Database *> t_live;

QString readResource(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ZrError(ErrDatabase, QStringLiteral("zrQEMSvr.Database"),
                      QStringLiteral("The server's resource %1 is missing.").arg(path));
    return QString::fromUtf8(f.readAll());
}

// Texts of the server's own messages.
enum : qint32 {
    StrDatabaseBusy = 62001,
    StrAuthentication = 62002,
    StrNoSuchDatabase = 62003,
    StrNotADatabase = 62004,
    StrFolderNotFile = 62005,
    StrNoRequirementTables = 62006,
    StrCannotReach = 62007,
    StrNoSuchFile = 62028,
    StrOutdated = 62040,
    StrPermissionDenied = 62043,
};

const QString OpenSource = QStringLiteral("zrQEMSvr.Database");

[[noreturn]] void serverNotFound(const QString &serverName, const QString &why)
{
    throw ZrError(462, OpenSource, ReplaceParams(GetLangString(StrCannotReach), {HidePasswords(serverName), why}));
}

// The first line of what a driver said, without the driver's own prefix.
QString firstLine(const QString &text)
{
    return text.section(QLatin1Char('\n'), 0, 0).trimmed();
}

// A PostgreSQL connection that failed, said as its real cause: the server's
// answer names a refused login or a missing database; anything else never
// reached a server.
[[noreturn]] void connectionFailed(const ServerAddress &address, const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    const QString shown = address.shown();
    const bool missingRole = text.contains(QLatin1String("role \"")) && text.contains(QLatin1String("does not exist"));
    if (text.contains(QLatin1String("authentication failed")) || text.contains(QLatin1String("no password supplied"))
        || missingRole)
        throw ZrError(ErrAuthentication, OpenSource,
                      ReplaceParams(GetLangString(StrAuthentication), {shown, address.user}));
    if (text.contains(QLatin1String("database \"")) && text.contains(QLatin1String("does not exist")))
        throw ZrError(ErrNoSuchDatabase, OpenSource,
                      ReplaceParams(GetLangString(StrNoSuchDatabase), {shown, address.database}));
    const QString line = firstLine(text);
    const qsizetype colon = line.lastIndexOf(QLatin1String(": "));
    const QString reason = colon >= 0 ? line.mid(colon + 2) : line;
    serverNotFound(QStringLiteral("%1:%2").arg(address.host).arg(address.port < 0 ? 5432 : address.port), reason);
}

// SQLite's "busy" and "locked", and PostgreSQL's lock wait that ran out. PostgreSQL's codes
// are SQLSTATEs, some of them all digits: only SQLite's are read as SQLite result codes.
bool isLockTimeout(const QSqlError &error, SqlDialect dialect)
{
    const QString code = error.nativeErrorCode();
    if (dialect == SqlDialect::PostgreSQL)
        return code == QLatin1String("55P03");
    bool numeric = false;
    const int primary = code.toInt(&numeric) & 0xff;
    return numeric && (primary == SQLITE_BUSY || primary == SQLITE_LOCKED);
}

int fieldTypeFor(SqlType t)
{
    switch (t) {
    case SqlType::Integer: return adInteger;
    case SqlType::Real: return adDouble;
    case SqlType::Text: return adVarWChar;
    case SqlType::Date: return adDBDate;
    case SqlType::Timestamp: return adDBTimeStamp;
    }
    return adVarWChar;
}

} // namespace

QStringList SplitSqlScript(const QString &script)
{
    QStringList statements;
    QString current;
    bool inQuote = false;
    bool inBody = false;  // between $$ and $$: a function's body, its own ";" and quotes
    for (int i = 0; i < script.size(); ++i) {
        const QChar c = script.at(i);
        if (!inQuote && c == QLatin1Char('$') && i + 1 < script.size() && script.at(i + 1) == QLatin1Char('$')) {
            inBody = !inBody;
            current += QStringLiteral("$$");
            ++i;
            continue;
        }
        if (inBody) {
            current += c;
            continue;
        }
        if (!inQuote && c == QLatin1Char('-') && i + 1 < script.size() && script.at(i + 1) == QLatin1Char('-')) {
            while (i < script.size() && script.at(i) != QLatin1Char('\n'))
                ++i;
            current += QLatin1Char('\n');
            continue;
        }
        if (c == QLatin1Char('\''))
            inQuote = !inQuote;
        if (!inQuote && c == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty())
                statements.append(current.trimmed());
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        statements.append(current.trimmed());
    return statements;
}

QString Database::defaultFilePath()
{
    const QString env = qEnvironmentVariable("ZRREQ_DATABASE");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Zerith/zrrequirements.db");
}

std::shared_ptr<Database> Database::open(const QString &serverName, Opening opening)
{
    QString file;
    const QString name = serverName.trimmed();
    if (name.isEmpty())
        file = defaultFilePath();
    else if (name.startsWith(QLatin1String("sqlite://"), Qt::CaseInsensitive))
        file = name.mid(int(qstrlen("sqlite://")));
    const QString key = file.isEmpty() ? name : QStringLiteral("sqlite:") + file;
    if (auto it = t_open.constFind(key); it != t_open.constEnd() && (*it)->connection().isOpen())
        return *it;

    const QString connectionName = QStringLiteral("zrQEMSvr-%1").arg(QUuid::createUuid().toString(QUuid::Id128));
    std::shared_ptr<Database> db;
    if (!file.isEmpty()) {
        const QFileInfo info(file);
        if (info.isDir())
            throw ZrError(ErrNotADatabase, OpenSource, ReplaceParams(GetLangString(StrFolderNotFile), {file}));
        if (!info.exists() && !t_createsNew)
            throw ZrError(ErrNoSuchDatabase, OpenSource, ReplaceParams(GetLangString(StrNoSuchFile), {file}));
        if (!CreatePrivateFolder(info.absolutePath()))
            serverNotFound(file, QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));
        // SQLite counts every allocation under one lock of the whole process; walks reading on
        // several threads would queue for it. Only possible before SQLite's first use.
        static const bool uncounted = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
        Q_UNUSED(uncounted);
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        c.setDatabaseName(file);
        c.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(LockWaitSeconds * 1000));
        db.reset(new Database(file, serverName, connectionName, SqlDialect::SQLite));
        if (!c.open())
            serverNotFound(file, firstLine(c.lastError().text()));
        db->execControl(QStringLiteral("PRAGMA foreign_keys = ON"), OpenSource);
        // SQLite's own 2 MB of pages would be read again and again for a set of 100,000 rows.
        db->execControl(QStringLiteral("PRAGMA cache_size = -65536"), OpenSource);
        InstallTextFold(*db);
        if (opening == Opening::Use)
            db->createIfNew();
    } else if (name.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
               || name.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive)) {
        const ServerAddress address = ServerAddress::parse(name);
        if (address.host.isEmpty() || address.port == 0 || address.database.isEmpty())
            serverNotFound(address.shown(), QStringLiteral("expected postgresql://user@host:port/dbname"));
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
        c.setHostName(address.host);
        c.setPort(address.port < 0 ? 5432 : address.port);
        c.setUserName(address.user);
        if (!address.password.isEmpty())
            c.setPassword(address.password);
        c.setDatabaseName(address.database);
        c.setConnectOptions(QStringLiteral("connect_timeout=5"));
        db.reset(new Database(address.shown(), serverName, connectionName, SqlDialect::PostgreSQL));
        if (!c.open())
            connectionFailed(address, c.lastError());
        db->execControl(QStringLiteral("SET client_min_messages TO WARNING"), OpenSource);
        // A writer waits for another's lock as long as SQLite would, then reports it.
        db->execControl(QStringLiteral("SET lock_timeout = %1").arg(LockWaitSeconds * 1000), OpenSource);
        if (opening == Opening::Use)
            db->createIfNew();
    } else {
        serverNotFound(ServerAddress::parse(name).shown(), QStringLiteral("unknown server"));
    }
    t_open.insert(key, db);
    // Connections still open when the application ends would outlive Qt's
    // list of them and never be closed.
    static const bool atExit = QCoreApplication::instance() && (qAddPostRoutine(&Database::releaseAllAtExit), true);
    Q_UNUSED(atExit);
    return db;
}

void Database::setCreatesNew(bool creates)
{
    t_createsNew = creates;
}

void Database::closeAll()
{
    t_open.clear();
}

Database::Database(const QString &displayName, const QString &serverName, const QString &connectionName,
                   SqlDialect dialect)
    : m_displayName(displayName), m_serverName(serverName), m_connectionName(connectionName), m_schema(dialect)
{
    t_live.insert(this);
}

Database::~Database()
{
    t_live.remove(this);
    releaseConnection();
}

void Database::releaseAllAtExit()
{
    for (Database *db : std::as_const(t_live))
        db->releaseConnection();
    t_open.clear();
}

void Database::releaseConnection()
{
    if (m_connectionName.isEmpty())
        return;
    m_statements.clear();
    finalizeSqliteStatements();
    {
        QSqlDatabase c = QSqlDatabase::database(m_connectionName, false);
        c.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_connectionName.clear();
}

const SchemaTable &Database::knownTable(const QString &name, const QString &source) const
{
    const SchemaTable *t = m_schema.table(name.trimmed());
    if (!t)
        throw ZrError(ErrUnknownTable, source, QStringLiteral("The server has no table named \"%1\".").arg(name));
    return *t;
}

namespace {
thread_local Database::StatementObserver t_statementObserver;

void observeStatement(const QString &sql)
{
    if (t_statementObserver)
        t_statementObserver(sql);
}

// What the database said, for a message the user may see: PostgreSQL adds
// lines that quote the statement ("LINE 1: SELECT ..."), which stay out.
QString refusal(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    QString line = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (line.startsWith(QLatin1String("ERROR:")))
        line = line.mid(6).trimmed();
    return line;
}

// SQLite's own error as Qt's driver would report it.
QSqlError sqliteError(sqlite3 *db, int rc)
{
    return QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(db)), QSqlError::StatementError, QString::number(rc));
}

// PostgreSQL's driver pastes bound text into its EXECUTE and cuts it at a NUL,
// and text columns cannot hold one anyway: such a value is refused on every backend.
void refuseNul(const QVariantList &values, const QString &source)
{
    for (const QVariant &v : values) {
        if (v.typeId() == QMetaType::QString && v.toString().contains(QChar(0)))
            throw ZrError(ErrBadArgument, source,
                          QStringLiteral("A value holds the character U+0000, which the database cannot store."));
    }
}
} // namespace

void Database::createIfNew()
{
    // Read under a lock that waits as a writer waits: a database another
    // program holds is reported, never taken for an empty one.
    if (tableColumns().isEmpty() && t_createsNew && dialect() == SqlDialect::SQLite) {
        Transaction tx(*this, Transaction::Write, OpenSource);
        // Another process may have created it while this one waited for the lock.
        if (tableColumns().isEmpty())
            createSchema(true);
        tx.commit();
        return;
    }
    const QStringList missing = missingFromSchema();
    if (missing.contains(QStringLiteral("QEMObjectConstraint")))
        throw ZrError(ErrNoRequirementTables, OpenSource,
                      ReplaceParams(GetLangString(StrNoRequirementTables), {m_displayName}));
    if (!missing.isEmpty())
        throw ZrError(ErrSchemaOutdated, OpenSource,
                      ReplaceParams(GetLangString(StrOutdated), {m_displayName, missing.join(QStringLiteral(", "))}));
}

QHash<QString, QSet<QString>> Database::tableColumns()
{
    const QString sql = dialect() == SqlDialect::SQLite
        ? QStringLiteral("SELECT m.name, p.name FROM sqlite_master m, pragma_table_info(m.name) p WHERE m.type = 'table'")
        // The catalogue, not information_schema: a user without rights on a table still sees its columns.
        : QStringLiteral("SELECT c.relname, a.attname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                         "JOIN pg_attribute a ON a.attrelid = c.oid WHERE n.nspname = current_schema() "
                         "AND c.relkind IN ('r', 'p') AND a.attnum > 0 AND NOT a.attisdropped");
    QSqlQuery q(connection());
    if (!q.exec(sql))
        throwRefused(OpenSource, q.lastError());
    QHash<QString, QSet<QString>> columns;
    while (q.next())
        columns[q.value(0).toString().toLower()].insert(q.value(1).toString().toLower());
    return columns;
}

QStringList Database::missingFromSchema()
{
    const QHash<QString, QSet<QString>> present = tableColumns();
    QStringList missing;
    for (const SchemaScript::Table &table : SchemaScript::builtIn().tables) {
        const auto have = present.constFind(table.name.toLower());
        if (have == present.constEnd()) {
            missing << table.name;
            continue;
        }
        for (const SchemaScript::Column &column : table.columns) {
            if (!have->contains(column.name.toLower()))
                missing << table.name + QLatin1Char('.') + column.name;
        }
    }
    // The roles came with a later version than the tables (PostgreSQL only).
    if (!missing.contains(QStringLiteral("QEMObjectConstraint")) && Roles::missing(*this))
        missing << QStringLiteral("zr_may_edit");
    return missing;
}

QStringList Database::upgrade(const QString &rolePrefix)
{
    const QString source = QStringLiteral("zrQEMSvr.Upgrade");
    Transaction tx(*this, Transaction::Write, source);
    const QStringList missing = missingFromSchema();
    const SchemaScript &schema = SchemaScript::builtIn();
    if (missing.contains(QStringLiteral("QEMObjectConstraint")))
        throw ZrError(ErrNoRequirementTables, source,
                      ReplaceParams(GetLangString(StrNoRequirementTables), {m_displayName}));
    m_statements.clear();
    finalizeSqliteStatements();
    // Views stand on the tables: they go first and come back last, as the schema writes them.
    for (const SchemaScript::Object &view : schema.views)
        execControl(QStringLiteral("DROP VIEW IF EXISTS %1").arg(view.name), source);
    for (const QString &item : missing) {
        const SchemaScript::Table *table = schema.table(item.section(QLatin1Char('.'), 0, 0));
        if (!table)
            continue;  // the roles, made below
        if (!item.contains(QLatin1Char('.'))) {
            execControl(table->statement, source);
            continue;
        }
        for (const SchemaScript::Column &column : table->columns) {
            if (column.name == item.section(QLatin1Char('.'), 1))
                execControl(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(table->name, column.definition), source);
        }
    }
    // An index an earlier version made on other columns is made again as the schema has it now.
    for (const SchemaScript::Object &index : schema.indexes) {
        execControl(QStringLiteral("DROP INDEX IF EXISTS %1").arg(index.name), source);
        execControl(index.statement, source);
    }
    for (const SchemaScript::Object &view : schema.views)
        execControl(view.statement, source);
    installSaverRule(source);
    Roles::install(*this, rolePrefix, source);
    tx.commit();
    m_tables.clear();
    return missing;
}

QList<QPair<QString, qint64>> Database::heldRows()
{
    const QHash<QString, QSet<QString>> present = tableColumns();
    // The program's own code tables, which every new database has, hold nothing of a registry's.
    static const QSet<QString> programs = [] {
        QSet<QString> names;
        static const QRegularExpression insert(QStringLiteral("INSERT INTO (\\w+)"));
        for (const QRegularExpressionMatch &m :
             insert.globalMatch(readResource(QStringLiteral(":/zrQEMSvr/system.sql"))))
            names.insert(m.captured(1).toLower());
        return names;
    }();
    QList<QPair<QString, qint64>> held;
    for (const SchemaScript::Table &table : SchemaScript::builtIn().tables) {
        if (!present.contains(table.name.toLower()) || programs.contains(table.name.toLower()))
            continue;
        QSqlQuery q(connection());
        if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table.name)))
            throwRefused(OpenSource, q.lastError());
        const qint64 rows = q.next() ? q.value(0).toLongLong() : 0;
        if (rows > 0)
            held.append({table.name, rows});
    }
    return held;
}

[[noreturn]] void Database::throwRefused(const QString &source, const QSqlError &error) const
{
    if (isLockTimeout(error, dialect()))
        throw ZrError(ErrDatabaseBusy, source,
                      ReplaceParams(GetLangString(StrDatabaseBusy), {m_displayName, QString::number(LockWaitSeconds)}));
    if (error.nativeErrorCode() == QLatin1String("42501"))
        throw ZrError(ErrPermissionDenied, source,
                      ReplaceParams(GetLangString(StrPermissionDenied), {m_displayName, refusal(error)}));
    if (dialect() == SqlDialect::SQLite && (error.nativeErrorCode().toInt() & 0xff) == SQLITE_NOTADB)
        throw ZrError(ErrNotADatabase, source, ReplaceParams(GetLangString(StrNotADatabase), {m_displayName}));
    throw ZrError(ErrDatabase, source, QStringLiteral("The database refused a statement: %1").arg(refusal(error)));
}

Database::StatementObserver Database::setStatementObserver(StatementObserver observer)
{
    std::swap(observer, t_statementObserver);
    return observer;
}

void Database::execControl(const QString &sql, const QString &source)
{
    execUnprepared(sql, source);
}

QSqlQuery Database::execUnprepared(const QString &sql, const QString &source)
{
    observeStatement(sql);
    QSqlQuery q(connection());
    if (!q.exec(sql))
        throwRefused(source, q.lastError());
    return q;
}

void Database::lockForNewIds(const QString &table, const QString &source)
{
    if (dialect() == SqlDialect::PostgreSQL)
        execControl(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(knownTable(table, source).name),
                    source);
}

void Database::installSaverRule(const QString &source)
{
    if (dialect() != SqlDialect::PostgreSQL)
        return;
    // Who saved a version is the database user of the session that wrote it, whatever the
    // client says: the rule is the database's, so a client that skips ours is bound by it too.
    execControl(QStringLiteral("CREATE OR REPLACE FUNCTION zr_saved_by_session() RETURNS trigger AS $$ "
                               "BEGIN NEW.savedby := session_user; RETURN NEW; END $$ LANGUAGE plpgsql"),
                source);
    for (const char *table : {"QEMSetVersion", "QEMSetHistory"}) {
        execControl(QStringLiteral("DROP TRIGGER IF EXISTS zr_saved_by ON %1").arg(QLatin1String(table)), source);
        execControl(QStringLiteral("CREATE TRIGGER zr_saved_by BEFORE INSERT OR UPDATE ON %1 FOR EACH ROW "
                                   "EXECUTE FUNCTION zr_saved_by_session()")
                        .arg(QLatin1String(table)),
                    source);
    }
}

QString Database::sessionUser(const QString &source)
{
    if (dialect() != SqlDialect::PostgreSQL)
        return QString();
    // The user the connection logged in as, which is the session's; asked only when the address names none.
    if (m_sessionUser.isEmpty())
        m_sessionUser = QSqlDatabase::database(m_connectionName, false).userName();
    if (m_sessionUser.isEmpty()) {
        QSqlQuery &q = exec(QStringLiteral("SELECT session_user"), {}, source);
        m_sessionUser = q.next() ? q.value(0).toString() : QString();
        q.finish();
    }
    return m_sessionUser;
}

void Database::initialize(bool withSample, const QString &rolePrefix)
{
    const QString source = QStringLiteral("zrQEMSvr.Initialize");
    Transaction tx(*this, Transaction::Write, source);
    createSchema(withSample);
    Roles::install(*this, rolePrefix, source);
    tx.commit();
}

void Database::createSchema(bool withSample)
{
    const QString source = QStringLiteral("zrQEMSvr.Initialize");
    const SchemaScript &schema = SchemaScript::builtIn();
    // Statements prepared on the old tables would keep them locked.
    m_statements.clear();
    finalizeSqliteStatements();
    // Views and then tables, in the reverse order of creation, so that references go first.
    for (const SchemaScript::Object &view : schema.views)
        execControl(QStringLiteral("DROP VIEW IF EXISTS %1").arg(view.name), source);
    for (auto it = schema.tables.crbegin(); it != schema.tables.crend(); ++it)
        execControl(QStringLiteral("DROP TABLE IF EXISTS %1").arg(it->name), source);
    runScript(readResource(QStringLiteral(":/zrQEMSvr/schema.sql")), source);
    installSaverRule(source);
    runScript(readResource(QStringLiteral(":/zrQEMSvr/system.sql")), source);
    if (withSample)
        runScript(readResource(QStringLiteral(":/zrQEMSvr/sample.sql")), source);
}

bool Database::hasTable(const QString &table)
{
    const QString name = table.toLower();
    if (m_tables.contains(name))
        return true;
    // Only a table seen is remembered: another program may create it later.
    if (!connection().tables(QSql::Tables).contains(name, Qt::CaseInsensitive))
        return false;
    m_tables.insert(name);
    return true;
}

QString Database::lockingRead(const QString &select) const
{
    return dialect() == SqlDialect::PostgreSQL ? select + QStringLiteral(" FOR UPDATE") : select;
}

void Database::runScript(const QString &script, const QString &source)
{
    for (const QString &statement : SplitSqlScript(script))
        execControl(statement, source);
}

QSqlQuery &Database::exec(const QString &sql, const QVariantList &values, const QString &source)
{
    refuseNul(values, source);
    observeStatement(sql);
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        if (m_statements.size() > 64)
            m_statements.clear();
        QSqlQuery q(connection());
        q.setForwardOnly(true);
        if (!q.prepare(sql))
            throwRefused(source, q.lastError());
        it = m_statements.insert(sql, q);
    }
    QSqlQuery &q = *it;
    q.finish();
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    // On failure the prepared statement stays: freeing it now would fail
    // inside PostgreSQL's aborted transaction.
    if (!q.exec())
        throwRefused(source, q.lastError());
    return q;
}

QVariantList Database::firstRow(const QString &sql, const QVariantList &values, const QString &source)
{
    QSqlQuery &q = exec(sql, values, source);
    QVariantList read;
    if (q.next()) {
        for (int i = 0; i < q.record().count(); ++i)
            read.append(q.value(i));
    }
    q.finish();
    return read;
}

QList<Field> Database::fieldsFor(const SchemaTable &table, const QStringList &columns)
{
    QList<Field> fields;
    const auto add = [&](const SchemaColumn &c) {
        Field f = makeField(c.name, fieldTypeFor(c.sqlType), c.sqlType == SqlType::Text ? c.definedSize : 0);
        if (c.name.compare(table.keyColumn, Qt::CaseInsensitive) == 0)
            f.attributes |= adFldKeyColumn;
        fields.append(f);
    };
    if (columns.isEmpty()) {
        for (const SchemaColumn &c : table.columns)
            add(c);
    } else {
        for (const QString &name : columns) {
            if (const SchemaColumn *c = table.column(name))
                add(*c);
        }
    }
    return fields;
}

Recordset Database::fetch(QSqlQuery &query, const QList<Field> &fields, const QList<SqlType> &types)
{
    Recordset rs(fields);
    const int n = fields.size();
    while (query.next()) {
        rs.addNew();
        for (int i = 0; i < n; ++i) {
            QVariant v = query.value(i);
            if (v.isNull())
                continue;
            // SQLite hands integers back as 64-bit and dates as text; giving the
            // recordset its own types spares it a conversion per cell.
            if (types.at(i) == SqlType::Integer && v.typeId() == QMetaType::LongLong)
                v = QVariant(int(v.toLongLong()));
            else if (types.at(i) == SqlType::Date && v.metaType().id() == QMetaType::QString)
                v = QDate::fromString(v.toString().left(10), Qt::ISODate);
            else if (types.at(i) == SqlType::Timestamp && v.metaType().id() == QMetaType::QString)
                v = QDateTime::fromString(v.toString().replace(QLatin1Char(' '), QLatin1Char('T')), Qt::ISODate);
            rs.setValue(i, v);
        }
    }
    query.finish();
    rs.updateBatch();
    rs.moveFirst();
    return rs;
}

Recordset Database::select(const SchemaTable &table, const QStringList &columns, const QString &whereSql,
                           const QVariantList &values, const QString &orderBy, const QString &source)
{
    refuseNul(values, source);
    QStringList names;
    QList<SqlType> types;
    const QList<Field> fields = fieldsFor(table, columns);
    for (const Field &f : fields) {
        const SchemaColumn *c = table.column(f.name);
        names.append(c->name);
        types.append(c->sqlType);
    }
    QString sql = QStringLiteral("SELECT ") + names.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + table.name;
    if (!whereSql.isEmpty())
        sql += QStringLiteral(" WHERE ") + whereSql;
    QVariantList bound = values;
    if (!orderBy.isEmpty()) {
        // Text sorts by the Greek alphabet, whatever the accents and case.
        const SchemaColumn *sortColumn = table.column(orderBy);
        sql += QStringLiteral(" ORDER BY ")
            + (sortColumn && sortColumn->sqlType == SqlType::Text
                   ? FoldedSql(dialect(), orderBy, bound, true) + QStringLiteral(", ") + orderBy
                   : orderBy);
    }
    Transaction tx(*this, Transaction::Read, source);
    Recordset rs = dialect() == SqlDialect::SQLite ? selectSqlite(sql, bound, fields, types, source)
                                                   : fetch(exec(sql, bound, source), fields, types);
    tx.commit();
    return rs;
}

void Database::finalizeSqliteStatements()
{
    for (void *stmt : std::as_const(m_sqliteStatements))
        sqlite3_finalize(static_cast<sqlite3_stmt *>(stmt));
    m_sqliteStatements.clear();
}

sqlite3 *Database::sqliteHandle(const QString &source) const
{
    const QVariant handle = connection().driver()->handle();
    sqlite3 *db = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
        ? *static_cast<sqlite3 *const *>(handle.data()) : nullptr;
    if (!db)
        throw ZrError(ErrDatabase, source, QStringLiteral("The SQLite connection has no handle."));
    return db;
}

void Database::copyRows(const QString &table, const QStringList &columns,
                        const QVariantList &values, const QString &source)
{
    const QString sql = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(u','));
    observeStatement(sql);
    // Qt's statements give the connection back before it is used directly.
    for (auto &q : m_statements)
        q.finish();
    const QVariant handle = connection().driver()->handle();
    // Qt names the type by its struct, "pg_conn*", or by its typedef.
    PGconn *pg = handle.isValid() && (qstrcmp(handle.typeName(), "pg_conn*") == 0 ||
                                      qstrcmp(handle.typeName(), "PGconn*") == 0)
                     ? *static_cast<PGconn *const *>(handle.data())
                     : nullptr;
    if (!pg)
        throw ZrError(ErrDatabase, source, QStringLiteral("The PostgreSQL connection has no handle."));
    // COPY's text form: tab between fields, a line a row, \N for null, backslash escapes.
    QByteArray data;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant &value = values.at(i);
        if (value.isNull()) {
            data += "\\N";
        } else {
            const QByteArray text = value.typeId() == QMetaType::Double
                                        ? QByteArray::number(value.toDouble(), 'g', 17)
                                        : value.toString().toUtf8();
            for (const char c : text) {
                switch (c) {
                case '\\': data += "\\\\"; break;
                case '\t': data += "\\t"; break;
                case '\n': data += "\\n"; break;
                case '\r': data += "\\r"; break;
                default: data += c;
                }
            }
        }
        data += (i + 1) % columns.size() == 0 ? '\n' : '\t';
    }
    PGresult *result = PQexec(pg, sql.toUtf8().constData());
    QString error;
    if (PQresultStatus(result) != PGRES_COPY_IN)
        error = QString::fromUtf8(PQresultErrorMessage(result));
    PQclear(result);
    if (error.isEmpty() && (PQputCopyData(pg, data.constData(), int(data.size())) != 1 ||
                            PQputCopyEnd(pg, nullptr) != 1))
        error = QString::fromUtf8(PQerrorMessage(pg));
    while ((result = PQgetResult(pg))) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK && error.isEmpty())
            error = QString::fromUtf8(PQresultErrorMessage(result));
        PQclear(result);
    }
    if (!error.isEmpty())
        throw ZrError(ErrDatabase, source, error.trimmed());
}

namespace {
void bindSqlite(sqlite3_stmt *stmt, const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &v = values.at(i);
        if (v.isNull()) {
            sqlite3_bind_null(stmt, i + 1);
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Bool
                   || v.typeId() == QMetaType::UInt) {
            sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
        } else if (v.typeId() == QMetaType::Double) {
            sqlite3_bind_double(stmt, i + 1, v.toDouble());
        } else {
            const QByteArray text = v.toString().toUtf8();
            sqlite3_bind_text(stmt, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
    }
}
} // namespace

// A statement of the fast path, prepared once, with `values` bound; the
// caller resets it (SqliteReset) when done.
sqlite3_stmt *Database::sqliteStatement(const QString &sql, const QVariantList &values, const QString &source)
{
    sqlite3 *db = sqliteHandle(source);
    observeStatement(sql);
    sqlite3_stmt *stmt = static_cast<sqlite3_stmt *>(m_sqliteStatements.value(sql));
    if (!stmt) {
        const QByteArray text = sql.toUtf8();
        if (const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr); rc != SQLITE_OK)
            throwRefused(source, sqliteError(db, rc));
        if (m_sqliteStatements.size() > 64)
            finalizeSqliteStatements();
        m_sqliteStatements.insert(sql, stmt);
    }
    bindSqlite(stmt, values);
    return stmt;
}

sqlite3_stmt *Database::prepareSqlite(const QString &sql, const QVariantList &values, const QString &source)
{
    refuseNul(values, source);
    sqlite3 *db = sqliteHandle(source);
    observeStatement(sql);
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    if (const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr); rc != SQLITE_OK)
        throwRefused(source, sqliteError(db, rc));
    bindSqlite(stmt, values);
    return stmt;
}

namespace {
// Readies a statement of the fast path for its next use, however the use ends.
struct SqliteReset
{
    sqlite3_stmt *stmt;
    ~SqliteReset()
    {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
};
} // namespace

qint64 Database::write(const QString &sql, const QVariantList &values, const QString &source)
{
    if (dialect() != SqlDialect::SQLite)
        return exec(sql, values, source).numRowsAffected();
    // Straight to SQLite, as reads go: Qt's binding costs more than the write.
    refuseNul(values, source);
    sqlite3_stmt *stmt = sqliteStatement(sql, values, source);
    const SqliteReset reset{stmt};
    if (const int rc = sqlite3_step(stmt); rc != SQLITE_DONE && rc != SQLITE_ROW)
        throwRefused(source, sqliteError(sqliteHandle(source), rc));
    return sqlite3_changes(sqliteHandle(source));
}

// Reads straight from SQLite into the recordset: Qt's driver would build a
// list of QVariants per row first, which doubles the cost of a large read.
// The handle is the one the connection owns, so transactions are shared.
namespace {
// Results this long are counted before they are read on.
constexpr qint64 LargeResultRows = 4096;

// The rows a query gives, or -1; a statement of its own, as a cached one could be
// finalized while the query steps.
qint64 countRows(sqlite3 *db, const QString &sql, const QVariantList &values)
{
    const QByteArray text = QStringLiteral("SELECT COUNT(*) FROM (%1)").arg(sql).toUtf8();
    sqlite3_stmt *count = nullptr;
    qint64 rows = -1;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &count, nullptr) == SQLITE_OK) {
        bindSqlite(count, values);
        if (sqlite3_step(count) == SQLITE_ROW)
            rows = sqlite3_column_int64(count, 0);
    }
    sqlite3_finalize(count);
    return rows;
}
} // namespace

Recordset Database::selectSqlite(const QString &sql, const QVariantList &values, const QList<Field> &fields,
                                 const QList<SqlType> &types, const QString &source)
{
    sqlite3 *db = sqliteHandle(source);
    sqlite3_stmt *stmt = sqliteStatement(sql, values, source);
    const SqliteReset reset{stmt};
    Recordset rs(fields);
    const int n = fields.size();
    int rc;
    qint64 read = 0;
    // Rows saved together carry one timestamp: it is read once, not once per row.
    QString lastStamp;
    QVariant lastStampValue;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        // A large result is counted and its room taken at once: growing row by row copies
        // every row read so far again and again, slower and slower once they leave the cache.
        if (++read == LargeResultRows)
            rs.reserve(int(qMin<qint64>(countRows(db, sql, values) - read + 1, 1 << 24)));
        rs.addNew();
        for (int i = 0; i < n; ++i) {
            QVariant v;
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_NULL:
                continue;
            case SQLITE_INTEGER: {
                const qint64 number = sqlite3_column_int64(stmt, i);
                v = number == qint64(int(number)) ? QVariant(int(number)) : QVariant(qlonglong(number));
                break;
            }
            case SQLITE_FLOAT:
                v = sqlite3_column_double(stmt, i);
                break;
            default: {
                const QString text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)),
                                                       sqlite3_column_bytes(stmt, i));
                if (types.at(i) == SqlType::Date)
                    v = QDate::fromString(text.left(10), Qt::ISODate);
                else if (types.at(i) == SqlType::Timestamp && text == lastStamp)
                    v = lastStampValue;
                else if (types.at(i) == SqlType::Timestamp) {
                    v = QDateTime::fromString(QString(text).replace(QLatin1Char(' '), QLatin1Char('T')), Qt::ISODate);
                    lastStamp = text;
                    lastStampValue = v;
                } else
                    v = text;
                break;
            }
            }
            rs.setValue(i, v);
        }
    }
    if (rc != SQLITE_DONE)
        throwRefused(source, sqliteError(db, rc));
    rs.updateBatch();
    rs.moveFirst();
    return rs;
}

Database::Transaction::Transaction(Database &db, Kind kind, const QString &source)
    : m_db(db), m_source(source)
{
    m_outer = db.m_depth == 0;
    if (m_outer) {
        if (db.dialect() == SqlDialect::PostgreSQL) {
            db.execControl(kind == Read ? QStringLiteral("START TRANSACTION READ ONLY")
                                        : QStringLiteral("START TRANSACTION"),
                           source);
        } else {
            db.execControl(kind == Read ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"), source);
            if (kind == Read)
                db.execControl(QStringLiteral("PRAGMA query_only = 1"), source);
        }
        m_kind = kind;
    }
    ++db.m_depth;
}

Database::Transaction::~Transaction()
{
    --m_db.m_depth;
    if (!m_outer || m_done)
        return;
    try {
        for (auto &q : m_db.m_statements)
            q.finish();
        if (m_db.dialect() == SqlDialect::SQLite && m_kind == Read)
            m_db.execControl(QStringLiteral("PRAGMA query_only = 0"), m_source);
        m_db.execControl(QStringLiteral("ROLLBACK"), m_source);
    } catch (const ZrError &) {
        // Nothing more can be done for a transaction the database already dropped.
    }
}

void Database::Transaction::commit()
{
    if (!m_outer || m_done)
        return;
    for (auto &q : m_db.m_statements)
        q.finish();
    if (m_db.dialect() == SqlDialect::SQLite && m_kind == Read)
        m_db.execControl(QStringLiteral("PRAGMA query_only = 0"), m_source);
    m_db.execControl(QStringLiteral("COMMIT"), m_source);
    m_done = true;
}

} // namespace zr::server
