#pragma once

#include <QStringList>

namespace zr::app {

/// `zrreq init-db [--server S] [--sample|--empty]`: creates the tables on a
/// database server, with the sample department unless --empty is given.
/// Returns the process exit code (0 done, 2 unusable arguments or server).
int runInitDb(const QStringList &arguments);

} // namespace zr::app
