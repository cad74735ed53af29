#include "startup.h"

#include "errorlog.h"
#include "langstrings.h"

namespace zr {

void Main()
{
    InitLanguage(0);
    const QString folder = GetAppDataFolder(QStringLiteral("Zerith"));
    // Without a data folder the log goes to the root folder, where it usually cannot be written.
    SetLogFile(folder + QStringLiteral("/zrrequirements.log"), true);
}

} // namespace zr
