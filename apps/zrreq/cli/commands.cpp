#include "commands.h"

namespace zr::app::cli {

namespace {
struct Entry
{
    const char *name;
    Command run;
    qint32 summary; // string id of the line --help shows
};

constexpr Entry Commands[] = {
    {"validate", runValidate, 62205}, {"describe", runDescribe, 62206}, {"export", runExport, 62207},
    {"history", runHistory, 64000},   {"import", runImport, 62208},     {"init-db", runInitDb, 62209},
    {"upgrade-db", runUpgradeDb, 62212}, {"audit", runAudit, 63251},     {"data", runData, 65015},
    {"list", runList, 62213},        {"grant", runGrant, 62351},       {"revoke", runRevoke, 62352},
};
} // namespace

Command FindCommand(const QString &name)
{
    for (const Entry &entry : Commands) {
        if (name == QLatin1String(entry.name))
            return entry.run;
    }
    return nullptr;
}

QList<std::pair<QString, qint32>> CommandSummaries()
{
    QList<std::pair<QString, qint32>> list;
    for (const Entry &entry : Commands)
        list.append({QString::fromLatin1(entry.name), entry.summary});
    return list;
}

} // namespace zr::app::cli
