#include "startup.h"

#include "errorlog.h"
#include "langstrings.h"
#include "standardtexts.h"

namespace zr {

void Main()
{
    InitLanguage(0);
    // Qt's own buttons speak the table's language too (in an application; a library user may have none yet).
    InstallStandardTexts();
    const QString folder = GetAppDataFolder(QStringLiteral("Zerith"));
    // Without a data folder the log goes to the root folder, where it usually cannot be written.
    SetLogFile(folder + QStringLiteral("/zrrequirements.log"), true);
}

} // namespace zr
