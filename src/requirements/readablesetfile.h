#pragma once

#include "common/zrerror.h"
#include "requirements/requirementfile.h"
#include "zrreq_export.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace zr {

/// The codes people use for what a set names by id: a programme's code in its department, a
/// course's code, a group's code in its programme, a semester's short name ("Α΄"), a student's
/// registration number.
class ZRREQ_EXPORT SetFileCodes
{
public:
    enum class Table { Programme, Curriculum, CourseGroup, Course, Semester, Student };

    virtual ~SetFileCodes();
    /// The code of row `id` of `table`; empty when no row has that id. A programme's, a
    /// course's or a student's department goes to `department`.
    virtual QString codeOf(Table table, qint64 id, QString *department = nullptr) = 0;
    /// The id of the row of `table` whose code is `code` within `scope` (the department of a
    /// programme, a course or a student; the programme id of a curriculum or a course group;
    /// nothing for a semester); none when no row has it.
    virtual std::optional<qint64> idOf(Table table, const QString &code, const QString &scope) = 0;
};

/// The format a person reads and writes: "zrreq-requirements/2".
ZRREQ_EXPORT QString ReadableSetFormatName();

/// The set of `file` as a readable set file: the object and every requirement by name and
/// code, the expression in the requirements' labels. A code no table knows is written as its
/// id (a number), so that nothing is lost.
ZRREQ_EXPORT QByteArray WriteReadableSetFile(const RequirementFile &file, SetFileCodes &codes);

/// Reads a set file of either format, by its "format". A readable file's faults throw ZrError
/// (60230 to 60252) naming the line, the requirement by its label and the field by its name.
ZRREQ_EXPORT RequirementFile ReadSetFile(const QByteArray &json, SetFileCodes &codes);
/// Reads the file at `path` as ReadRequirementFile(path) reads its bytes.
ZRREQ_EXPORT RequirementFile ReadSetFile(const QString &path, SetFileCodes &codes);

/// `error`, found in row `row` (0-based, in the file's order) and its stored `field`, said at
/// that place of the readable file the rows came from: its line, the requirement's label and
/// the field's name there (the requirement's line when the file does not give the field).
/// `error` as it is for a file of rows.
ZRREQ_EXPORT ZrError PlacedInFile(const RequirementFile &file, int row, const QString &field,
                                  const ZrError &error);

} // namespace zr
