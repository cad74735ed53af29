#pragma once

// How one parameter's value goes between its stored text and a readable set file: shared by the
// file's writer, which checks that what it writes reads back, and its reader.

#include "reqtypes/setfilenames.h"
#include "requirements/readablesetfile.h"

#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <functional>

namespace zr::readable {

// The messages of a readable file.
enum : qint32 {
    StrFieldFault = 60230,       // "Line %1, requirement «%2», field «%3»: %4"
    StrRequirementFault = 60231, // "Line %1, requirement «%2»: %3"
    StrLineFault = 60232,        // "Line %1: %2"
    ErrNoSuchField = 60233,
    ErrNotOneOf = 60234,
    ErrNoCourse = 60235,
    ErrNoGroup = 60236,
    ErrNoSemester = 60237,
    ErrNotNumber = 60238,
    ErrNotList = 60239,
    ErrNotText = 60240,
    ErrUnknownType = 60241,
    ErrLabelTwice = 60242,
    ErrNotLabel = 60243,
    ErrUnknownLabel = 60244,
    ErrNotInExpression = 60245,
    ErrExpressionDoesNotRead = 60246,
    StrOperandHere = 60253,
    StrOperatorHere = 60254,
    StrNeverClosed = 60255,
    StrNothingToClose = 60256,
    StrEnd = 60257,
    ErrNoProgramme = 60247,
    ErrNoCurriculum = 60248,
    ErrNoStudent = 60249,
    ErrNotTotals = 60250,
    ErrNotCode = 60251,
    ErrNotCourse = 60252,
    ErrNotTextCode = 60258,
    ErrWrongFormat = 60202,
    ErrMissing = 60210,
    ErrBadJson = 60201,
};

// Where a value stands: the object or a requirement of the file, and the codes its own codes are
// read in.
struct Scope
{
    SetFileCodes &codes;
    QString department;
    QString programme; ///< the programme's id
};

/// Reports a fault of a value: the message's number and its parameters. Never returns.
using Fail = std::function<void(qint32 number, const QStringList &params)>;

/// True for a whole number written as digits, with a sign at most.
bool isWhole(const QString &text);
/// "«a», «b»".
QString quoted(const QStringList &names);
/// The file names of a choice row's choices.
QStringList choiceNames(const ParameterRow &row);
/// A number in the sheet's form, or a text as it is.
QString textOf(const QJsonValue &value);
/// One line of JSON: lists and small objects on the line, members in their order.
QString inlineJson(const QJsonValue &value);
/// A course id as the file names it: its code, another department's with its department, the
/// id itself when no course has it.
QJsonValue courseOf(const QString &id, Scope &scope);
/// An id of `table` by its code; the id itself when no row has it.
QJsonValue codeOf(SetFileCodes::Table table, const QString &id, Scope &scope);

/// A parameter's stored text as the file writes it.
QJsonValue written(const FileParameter &p, const QString &stored, Scope &scope);
/// A parameter's value in the file, in its stored form; faults go to `fail`.
QString stored(const FileParameter &p, const QJsonValue &value, Scope &scope, const Fail &fail);

} // namespace zr::readable
