#include "clicommon.h"
#include "commands.h"

#include "common/langstrings.h"
#include "common/zrerror.h"
#include "constraintdescriber.h"
#include "database.h"
#include "itempanel/itempanelmodel.h"
#include "recordset/recordsetutils.h"
#include "reqtypes/requirementvalue.h"
#include "reqtypes/setfilenames.h"
#include "requirements/requirementfile.h"
#include "requirements/requirementseditor.h"
#include "requirements/requirementset.h"
#include "setdifference.h"

namespace zr::app::cli {

namespace {

QString shown(const QAbstractItemModel &model, const QModelIndex &index)
{
    return model.data(index, Qt::DisplayRole).toString().simplified();
}

// The requirement list as the editor shows it: each group's caption, then its visible rows.
QStringList describeList(const QAbstractItemModel &model)
{
    QStringList lines;
    for (int group = 0; group < model.rowCount(); ++group) {
        const QModelIndex header = model.index(group, 0);
        if (!model.data(header, ItemPanelModel::VisibleRole).toBool())
            continue;
        lines.append(shown(model, header));
        for (int row = 0; row < model.rowCount(header); ++row) {
            const QModelIndex label = model.index(row, 0, header);
            if (!model.data(label, ItemPanelModel::VisibleRole).toBool())
                continue;
            lines.append(QStringLiteral("  %1: %2").arg(shown(model, label), shown(model, label.siblingAtColumn(1))));
        }
    }
    return lines;
}

enum : qint32 {
    StrExpression = 65026, // "Expression: %1"
    StrDescription = 62303,
    StrFileOption = 62304,
    StrFieldsOption = 62305,
};

// The expression as a reader follows it, then what each requirement it names asks.
QStringList describeExpression(const Recordset &set, server::Database &db)
{
    QStringList lines{ReplaceParams(GetLangString(StrExpression), {server::ReadableExpression(set)})};
    server::ConstraintDescriber describer(db);
    Recordset rows = set;
    for (int i = 0, n = rows.recordCount(); i < n; ++i) {
        rows.setAbsolutePosition(i + 1);
        lines << QStringLiteral("%1: %2").arg(
            server::RequirementCaptionAt(rows, i),
            describer.describe(rows));
    }
    return lines;
}

} // namespace

int runDescribe(const QStringList &arguments)
{
    CommandLine command(QStringLiteral("describe"), GetLangString(StrDescription));
    command.addOption({QStringLiteral("file"), GetLangString(StrFileOption), QStringLiteral("SET.json")});
    command.addOption({QStringLiteral("fields"), GetLangString(StrFieldsOption)});
    command.addServerOption();
    command.addLanguageOption();
    if (const int done = command.parse(arguments); done >= 0)
        return done;
    if (command.parser().isSet(QStringLiteral("fields"))) {
        PrintLine(SetFileReference());
        return ExitOk;
    }
    command.onlyReads();
    const int failed = command.attempt([&] {
        const QString path = command.required(QStringLiteral("file"));
        command.setSubject(QStringLiteral("file %1").arg(path));
        const RequirementFile file = ReadSetFileOf(command.server(), path);
        CheckServer(command.server());
        const auto editor = LoadEditor(RequirementFileRecordset(file), file.objectKind, file.context,
                                       file.curriculumId(), command.server());
        for (const QString &line : describeList(*editor->list()))
            PrintLine(line);
        const Recordset set =
            RequirementFileRecordset(file).chapter(RequirementSet::chapterName()).clone();
        PrintLine(QString());
        for (const QString &line : describeExpression(set, *server::Database::open(command.server())))
            PrintLine(line);
    });
    return failed >= 0 ? failed : ExitOk;
}

} // namespace zr::app::cli
