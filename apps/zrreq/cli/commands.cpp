#include "commands.h"

#include "../initdb.h"

namespace zr::app::cli {

Command FindCommand(const QString &name)
{
    if (name == QLatin1String("validate"))
        return runValidate;
    if (name == QLatin1String("describe"))
        return runDescribe;
    if (name == QLatin1String("export"))
        return runExport;
    if (name == QLatin1String("import"))
        return runImport;
    if (name == QLatin1String("init-db"))
        return runInitDb;
    return nullptr;
}

bool NeedsWidgets(const QString &name)
{
    return name == QLatin1String("validate") || name == QLatin1String("describe") || name == QLatin1String("import");
}

} // namespace zr::app::cli
