#pragma once

#include <QRegularExpression>
#include <QStringList>

namespace zr::test {

/// Transaction control of a read; anything else is foreign to a read.
inline bool isTransactionControl(const QString &sql)
{
    static const QStringList allowed = {
        QStringLiteral("BEGIN"), QStringLiteral("START TRANSACTION READ ONLY"), QStringLiteral("COMMIT"),
        QStringLiteral("ROLLBACK"), QStringLiteral("PRAGMA query_only = 1"), QStringLiteral("PRAGMA query_only = 0")};
    return allowed.contains(sql);
}

/// Transaction control of a save of requirement rows, with its lock for new ids.
inline bool isWriteControl(const QString &sql)
{
    static const QStringList allowed = {
        QStringLiteral("BEGIN IMMEDIATE"), QStringLiteral("START TRANSACTION"),
        QStringLiteral("LOCK TABLE QEMObjectConstraint IN SHARE ROW EXCLUSIVE MODE")};
    return isTransactionControl(sql) || allowed.contains(sql);
}

/// The read of `table`: column names, the table, an optional condition of
/// columns, operators and "?" marks, an optional ORDER BY - no quote, no
/// second statement, no comment.
inline bool isIntendedSelect(const QString &sql, const QString &table)
{
    static const QString word = QStringLiteral("[A-Za-z_][A-Za-z0-9_.]*");
    // A text column sorts by its Greek sort key first: the server's own function of the column.
    static const QString order = QStringLiteral("(zr_sortkey\\(%1\\)|translate\\(%1, \\?, \\?\\)|%1)").arg(word);
    const QRegularExpression shape(QStringLiteral("^SELECT %1(, %1)* FROM %2( WHERE [A-Za-z0-9_.,?()<>=& ]+)?"
                                                  "( ORDER BY %3( ASC| DESC)?(, %3( ASC| DESC)?)*)?$")
                                       .arg(word, QRegularExpression::escape(table), order),
                                   QRegularExpression::CaseInsensitiveOption);
    return shape.match(sql).hasMatch();
}

/// A read of any table whose every value is bound: names, key words,
/// operators, aggregates and "?" marks only - no quote, literal text,
/// second statement or comment.
inline bool isBoundSelect(const QString &sql)
{
    static const QRegularExpression shape(QStringLiteral("^SELECT [A-Za-z0-9_.,*()?<>=! ]+ FROM [A-Za-z0-9_.,*()?<>=! ]+$"));
    return shape.match(sql).hasMatch();
}

/// The statements of a save of requirement rows: an INSERT (of one or more
/// rows), UPDATE or DELETE of QEMObjectConstraint with every value a "?" mark.
inline bool isRequirementWrite(const QString &sql)
{
    static const QRegularExpression shape(QStringLiteral(
        "^(INSERT INTO QEMObjectConstraint \\(\\w+(, \\w+)*\\) VALUES \\(\\?(, \\?)*\\)(, \\(\\?(, \\?)*\\))*"
        "|UPDATE QEMObjectConstraint SET \\w+ = \\?(, \\w+ = \\?)* WHERE ocID = \\?"
        "|DELETE FROM QEMObjectConstraint WHERE \\+conobject = \\? AND \\+contypeID = \\? AND ocID IN \\(\\?(,\\?)*\\)"
        "|DELETE FROM QEMObjectConstraint WHERE conobject = \\? AND objID = \\? AND contypeID = \\?"
        "( AND secobjID = \\?| AND \\(secobjID IS NULL OR secobjID = ''\\))?)$"));
    return shape.match(sql).hasMatch();
}

/// The statements that lock, check and raise a set's version in a save, and
/// keep the version it replaced (its rows copied), every value bound.
inline bool isVersionWrite(const QString &sql)
{
    static const QRegularExpression shape(QStringLiteral(
        "^(INSERT INTO QEMSetVersion \\(setkey, version\\) VALUES \\(\\?, 0\\) ON CONFLICT DO NOTHING"
        "|SELECT version, savedby, saveddate FROM QEMSetVersion WHERE setkey = \\?( FOR UPDATE)?"
        "|UPDATE QEMSetVersion SET version = \\?, savedby = \\?, saveddate = \\? WHERE setkey = \\?"
        "|INSERT INTO QEMSetHistory \\(setkey, version, savedby, saveddate, summary, replaced\\) "
        "VALUES \\(\\?, \\?, \\?, \\?, \\?, \\?\\)"
        "|INSERT INTO QEMSetHistoryRow \\(setkey, version(, \\w+)+\\) SELECT \\?, \\?(, \\w+)+ FROM QEMObjectConstraint "
        "WHERE conobject = \\? AND objID = \\? AND contypeID = \\?( AND secobjID = \\?| AND \\(secobjID IS NULL OR secobjID = ''\\))?)$"));
    return shape.match(sql).hasMatch();
}

/// True when an error the user may see quotes a statement the server wrote,
/// reads like SQL, or echoes a piece of one as the databases' parsers do.
inline bool quotesSql(const QString &description, const QStringList &statements)
{
    static const QRegularExpression clause(
        QStringLiteral("\\bSELECT\\b.+\\bFROM\\b|\\bFROM (QEM|v_)\\w+|\\bWHERE\\b.+\\?|\\bINSERT INTO\\b|\\bUPDATE \\w+ SET\\b"
                       "|\\bat or near \"|\\bnear \"[^\"]*\": syntax error|unterminated quoted string"),
        QRegularExpression::CaseInsensitiveOption);
    if (clause.match(description).hasMatch())
        return true;
    for (const QString &sql : statements) {
        if (description.contains(sql))
            return true;
    }
    return false;
}

} // namespace zr::test
