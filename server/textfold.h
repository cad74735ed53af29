#pragma once

#include "common/sqldialect.h"
#include "zrsvr_export.h"

#include <QString>
#include <QVariantList>

namespace zr::server {

class Database;

/// Text as searches compare it: capitals, no accents or diaeresis, final
/// sigma as sigma, and the Latin letters that look like Greek capitals
/// (A B E H I K M N O P T X Y Z) as those capitals, so that "αλγορ",
/// "Αλγόρ" and "ΑΛΓΟΡ" read alike and a code typed as "MHY" finds "ΜΗΥ".
ZRSVR_EXPORT QString FoldForMatch(const QString &text);
/// Text as lists sort it: capitals without accents, Latin letters kept
/// Latin, so that Greek words follow the Greek alphabet whatever their
/// accents or case ("Όραση" among the О... words, not before "Α").
ZRSVR_EXPORT QString FoldForSort(const QString &text);

/// The SQL expression of `expression` folded by FoldForMatch (or, with
/// `forSort`, FoldForSort) in the database's dialect, appending to `values`
/// what it binds after the marks of `expression`: SQLite calls a function
/// that InstallTextFold defines on the connection, PostgreSQL translate()
/// with the character table bound as two values (session functions of its
/// own would slow every later statement of the session).
ZRSVR_EXPORT QString FoldedSql(SqlDialect dialect, const QString &expression, QVariantList &values,
                               bool forSort = false);

/// Defines the folding functions on an SQLite connection just opened (a
/// PostgreSQL connection needs none). Throws ZrError.
void InstallTextFold(Database &db);

} // namespace zr::server
