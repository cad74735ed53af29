#pragma once

#include <QStringList>

namespace zr::test {

/// What a user might type into a search field to reach the database: quote
/// breaks, second statements, comments, unions, sub-queries, functions,
/// wildcards, escapes, look-alike quotes, control characters and very long
/// text. Every payload comes bare and in the forms a real attack takes
/// (after a name, after a number, quoted, spaced out), so that the fields
/// meet them whole and half-closed. None is a name or a number in the
/// sample department.
inline QStringList hostileValues()
{
    const QStringList payloads = {
        QStringLiteral("' OR '1'='1"),
        QStringLiteral("' OR 1=1 --"),
        QStringLiteral("'; DROP TABLE QEMStudents; --"),
        QStringLiteral("'; DELETE FROM QEMObjectConstraint; --"),
        QStringLiteral("'; UPDATE QEMCourses SET title = 'x"),
        QStringLiteral("'; INSERT INTO QEMExcludedStudents VALUES (1,1,1,1,1,1,1,1); --"),
        QStringLiteral("' UNION SELECT student_ID, lastname FROM QEMStudents --"),
        QStringLiteral("' UNION ALL SELECT NULL, NULL, NULL --"),
        QStringLiteral("') OR ('a'='a"),
        QStringLiteral("')) OR (('a'='a"),
        QStringLiteral("' AND 1=(SELECT COUNT(*) FROM QEMStudents) AND '"),
        QStringLiteral("' OR EXISTS(SELECT 1 FROM QEMStudents) --"),
        QStringLiteral("' || (SELECT lastname FROM QEMStudents LIMIT 1) || '"),
        QStringLiteral("' OR sqlite_version() > '0"),
        QStringLiteral("'; SELECT pg_sleep(5); --"),
        QStringLiteral("' OR pg_sleep(5) IS NULL --"),
        QStringLiteral("'; ATTACH DATABASE '/tmp/evil.db' AS evil; --"),
        QStringLiteral("'; PRAGMA writable_schema = 1; --"),
        QStringLiteral("'; COPY QEMStudents TO '/tmp/out'; --"),
        QStringLiteral("' OR load_extension('evil') --"),
        QStringLiteral("\\'; DROP TABLE QEMCourses; --"),
        QStringLiteral("\\' OR 1=1 --"),
        QStringLiteral("'' OR ''=''"),
        QStringLiteral("''''"),
        QStringLiteral("'"),
        QStringLiteral("\""),
        QStringLiteral("\" OR \"1\"=\"1"),
        QStringLiteral("` OR 1=1 --"),
        QStringLiteral("--"),
        QStringLiteral("/*"),
        QStringLiteral("*/ OR 1=1 /*"),
        QStringLiteral(";"),
        QStringLiteral("%"),
        QStringLiteral("_"),
        QStringLiteral("%' OR '%'='"),
        QStringLiteral("_%\\"),
        QStringLiteral("\\"),
        QStringLiteral("\\\\'"),
        QStringLiteral("[lastname]"),
        QStringLiteral("lastname"),
        QStringLiteral("$1"),
        QStringLiteral("?"),
        QStringLiteral(":id"),
        QStringLiteral("@@version"),
        QStringLiteral("%00' OR 1=1 --"),
        QString::fromUtf16(u"\u2019 OR \u20181\u2019=\u20181"),   // typographic quotes
        QString::fromUtf16(u"\u02bc OR 1=1 --"),                 // modifier-letter apostrophe
        QString::fromUtf16(u"\uff07 OR 1=1 --"),                 // full-width apostrophe
        QString::fromUtf16(u"\u0391\u0392' OR '\u0391'='\u0391"), // Greek letters around a quote break
        QStringLiteral("x'\r\nOR 1=1 --"),
        QStringLiteral("x'\tOR\t1=1"),
        QStringLiteral("1; DROP TABLE QEMCourses"),
        QStringLiteral("1 OR 1=1"),
        QStringLiteral("1) OR (1=1"),
        QStringLiteral("0x27"),
        QStringLiteral("CHAR(39)"),
        QStringLiteral("1e309"),
        QStringLiteral("-0 OR 1=1"),
        QStringLiteral("2019-01-01' OR '1'='1"),
        QStringLiteral("31/12/2019'; --"),
    };
    QStringList values;
    for (const QString &p : payloads) {
        values << p;
        values << QString::fromUtf16(u"\u03a0\u03b1\u03c0\u03b1\u03b4") + p; // after a Greek name
        values << QStringLiteral("12345") + p;
        values << QStringLiteral("  ") + p + QStringLiteral("  ");
    }
    values << QString(4000, QLatin1Char('\'')) << QString(4000, QLatin1Char('%'))
           << QStringLiteral("' OR '1'='1").repeated(300) << (QStringLiteral("x") + QChar(0) + QStringLiteral("' OR 1=1 --"))
           << QStringLiteral("x\x01\x02\x1b[2J'");
    return values;
}

} // namespace zr::test
