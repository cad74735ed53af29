#pragma once

#include "recordset/recordset.h"
#include "zrreq_export.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace zr {

/// Where a requirement of a readable set file stands: its label, the line it starts on and,
/// by stored field, the name the file gives the field and its line.
struct RequirementPlace
{
    QString label;
    qint64 line = 0;
    QHash<QString, QPair<QString, qint64>> fields;
};

/// A requirement set as kept in a file: the object kind and context it was
/// written for, the keys of its object, and its rows with the ids they had
/// (the expression names rows by those ids).
///
/// The file is JSON:
///   {"format": "zrreq-requirements/1", "AppliesTo": kind, "ConstrType": context,
///    "object": {"objID": ..., "prID": ..., ...},
///    "rows": [{"ocID": ..., "contypeID": ..., ..., "coneval": ...}]}
/// Numeric fields are JSON numbers, text fields JSON strings, NULL is null.
struct ZRREQ_EXPORT RequirementFile
{
    /// The value of "format" this code reads and writes.
    static QString formatName() { return QStringLiteral("zrreq-requirements/1"); }

    qint32 objectKind = 0;
    qint32 context = 0;
    /// Parent fields of the object ("prID", "depID", "title" ...); NULLs left out.
    QVariantMap object;
    /// The requirement rows in file order, unmodified, ids as in the file.
    Recordset rows;
    /// The version the set had when it was written; -1 when the file names none.
    qint64 version = -1;
    /// Where each row stands in a readable file, in the rows' order; empty for a file of rows.
    QList<RequirementPlace> places;

    /// The curriculum the rows belong to in a curriculum-dependent set (the
    /// object's or the first row's secobjID), 0 otherwise.
    qint32 curriculumId() const;
    /// The id of the object the file was written from (objID, or the key its
    /// kind has); 0 when the file names none.
    qint64 objectId() const;
    /// The key of the set the file was written from (see RequirementSetKey).
    QString setKey() const;
};

/// The largest requirement file read: 64 MB.
constexpr qint64 MaxRequirementFileBytes = 64 * 1024 * 1024;

/// Writes the set (object kind, context, and for a programme's curriculum
/// choice or degree requirements the curriculum) of the hierarchical
/// requirement recordset `parent` as a requirement file. Rows are taken as
/// they are, deleted rows left out; the set's version (from the parent's
/// "setversions") goes with them. Throws ZrError when `parent` has no
/// requirement rows or the set needs a curriculum and none is given.
ZRREQ_EXPORT QByteArray WriteRequirementFile(const Recordset &parent, qint32 objectKind, qint32 context,
                                             qint32 curriculumId = 0);

/// Reads a requirement file. Throws ZrError (numbers 60201 to 60213, 10101
/// for a requirement type outside the thirteen) naming the first fault: bad
/// JSON, another format, a field of the wrong type, an unknown field, object
/// kind, context or requirement type, a missing ocID or conID, two rows with
/// one id, or an expression naming a row the file does not hold; ZrError
/// 62024 when rows carry different expressions.
ZRREQ_EXPORT RequirementFile ReadRequirementFile(const QByteArray &json);
/// Reads the file at `path`; throws ZrError 60200 when it cannot be read,
/// 62000 when it holds more than MaxRequirementFileBytes (nothing more is read).
ZRREQ_EXPORT RequirementFile ReadRequirementFile(const QString &path);
/// The bytes of the set file at `path`; throws ZrError 60200 when it cannot be read, 62000 when
/// it holds more than MaxRequirementFileBytes (nothing more is read).
ZRREQ_EXPORT QByteArray ReadSetFileBytes(const QString &path);

/// Replaces the set (kind, context, curriculum) of the hierarchical
/// recordset `parent` with the file's rows, each requirement keeping its id:
/// a row of the file that is a stored requirement (by its id when the file was
/// written from this set, otherwise the n-th of a type is the n-th of that type)
/// changes it in place, and only in the values that differ; the stored ones the
/// file does not hold are deleted; the others are added as the editor adds
/// requirements (-1, -2 ...), or, for a file of this set, under the id they had.
/// Every "[%id]" of the expression follows its row. Nothing is saved; the rows
/// stay pending for the host. Returns the number of the file's rows. Throws
/// ZrError for an unknown kind or context, or a curriculum-dependent set without a curriculum.
ZRREQ_EXPORT int ImportRequirementRows(const RequirementFile &file, Recordset &parent, qint32 objectKind,
                                       qint32 context, qint32 curriculumId = 0);

/// When `file` was written from the set (kind, context, curriculum) of the
/// hierarchical recordset `parent` and that set, as `parent` loaded it, was
/// saved again after the file was written: what a message says of it, the
/// set's caption, who saved it, when, the stored version and the file's.
/// Empty for a file of another set or one that names no version.
ZRREQ_EXPORT QStringList OutdatedFileFacts(const RequirementFile &file, const Recordset &parent, qint32 objectKind,
                                           qint32 context, qint32 curriculumId = 0);

/// A hierarchical recordset holding the file alone: a parent row from the
/// file's object and, as its child rows, the file's rows with new temporary
/// ids, for checking a file without a database object to put it in.
ZRREQ_EXPORT Recordset RequirementFileRecordset(const RequirementFile &file);

/// True for the object kinds requirements are kept for.
ZRREQ_EXPORT bool IsKnownObjectKind(qint32 kind);
/// True for the requirement contexts 101 to 112.
ZRREQ_EXPORT bool IsKnownContext(qint32 context);

} // namespace zr
