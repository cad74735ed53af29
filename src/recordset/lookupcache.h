#pragma once

#include "recordset/recordset.h"
#include "zrreq_export.h"

#include <QHash>
#include <QString>
#include <functional>
#include <utility>

namespace zr {

/// The server's code tables, fetched once per table name and kept until the
/// cache is cleared. The filter only matters for the first fetch of a table,
/// except for the lists of one programme (its curricula, course groups and
/// courses), which are fetched again when asked with another filter.
class ZRREQ_EXPORT LookupCache
{
public:
    /// Fetches a table; by default through cDepartment.getTextList on the server.
    using Fetcher = std::function<Recordset(const QString &table, const QString &filter)>;

    LookupCache();
    LookupCache(const LookupCache &) = delete;
    LookupCache &operator=(const LookupCache &) = delete;

    /// Server on which the cDepartment object is created for each fetch.
    void setServerName(const QString &serverName) { m_serverName = serverName; }
    QString serverName() const { return m_serverName; }
    /// Replaces the server fetch (tests, hosts with their own lists).
    void setFetcher(Fetcher fetcher) { m_fetcher = std::move(fetcher); }

    /// The rows of `table`: the cached recordset unless `refresh` is set or the
    /// table was never fetched. Throws ZrError when the server fails.
    Recordset list(const QString &table, const QString &filter = QString(), bool refresh = false);
    /// A copy of a drop-down table with one more row, id -1, meaning "all":
    /// SYS_CourseType, SYS_semesters, SYS_ERGASIA_TYPE and SYS_terms.
    Recordset listWithAll(const QString &table);
    bool contains(const QString &table) const { return m_lists.contains(table); }
    /// The name a course is shown by, its code and title ("ΜΗΥ420 Αλγόριθμοι"),
    /// from QEMCourses; empty for a course the server does not know.
    QString courseName(qint32 courseId);
    /// Fetches the names of the courses not asked for before, a few hundred
    /// at a time, so that naming a whole set costs a few queries. A server
    /// that fails leaves them unnamed (they show as their codes).
    void fetchCourseNames(const QList<qint32> &courseIds);
    /// Number of fetches made so far (for checks of the caching).
    int fetchCount() const { return m_fetchCount; }
    void clear();

private:
    QString m_serverName;
    Fetcher m_fetcher;
    QHash<QString, Recordset> m_lists;
    QHash<QString, Recordset> m_withAll;
    QHash<QString, QString> m_filters; // the filter each cached list was fetched with
    QHash<qint32, QString> m_courseNames; // every course asked for; empty when unknown
    int m_fetchCount = 0;
};

/// Id and text columns of the code tables the editor shows.
struct ZRREQ_EXPORT LookupColumns
{
    QString idField;
    QString textField;
    QString shortTextField;
    QString template_;
};
ZRREQ_EXPORT LookupColumns LookupColumnsOf(const QString &table);

/// The id and text fields of a list a code table answered with: ID/descr
/// when present, the known columns of `table`, else `idField` (or the first
/// field) and the first text field after it whose name does not end in "ID".
/// Indexes into `list`; both 0 for a list with a single field.
ZRREQ_EXPORT std::pair<int, int> IdAndTextFields(const Recordset &list, const QString &table = QString(),
                                                 const QString &idField = QString());

} // namespace zr
