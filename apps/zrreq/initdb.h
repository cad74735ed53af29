#pragma once

#include <QStringList>

namespace zr::app {

/// `zrreq init-db [--server S] [--sample|--empty|--large N]`: creates the tables on a
/// database server, with the sample department unless --empty is given, and
/// with a generated large department for --large.
/// Returns the process exit code (0 done, 2 unusable arguments or server).
int runInitDb(const QStringList &arguments);

} // namespace zr::app
