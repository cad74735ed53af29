#pragma once

#include <QList>
#include <QStringList>

#include <utility>

namespace zr {
class Recordset;
}

namespace zr::app::cli {

/// `zrreq validate --file SET.json | --all`: checks requirement sets as the
/// editor does before saving. Exit 0 valid, 1 invalid, 2 unusable input.
int runValidate(const QStringList &arguments);
/// `zrreq describe --file SET.json`: prints each requirement as the editor shows it.
int runDescribe(const QStringList &arguments);
/// `zrreq export --kind K --object ID --context C`: writes a stored set as JSON to stdout.
int runExport(const QStringList &arguments);
/// `zrreq history --kind K --object ID --context C`: lists the kept versions of a stored set.
int runHistory(const QStringList &arguments);
/// `zrreq import --file SET.json --kind K --object ID --context C`: replaces a
/// stored set with the file's, validated, in one transaction.
int runImport(const QStringList &arguments);
/// `zrreq audit --file SET.json --student-file STUDENT.json | --student ID ... | --all ...`: checks a set
/// against students' records. Exit 0 met or excepted, 1 not met, 2 unusable input.
int runAudit(const QStringList &arguments);
/// `zrreq init-db [--sample|--empty|--large N] [--force]`: creates the tables on a database;
/// refuses one that holds data unless --force is given. Exit 0 done, 2 refused or unusable input.
int runInitDb(const QStringList &arguments);
/// `zrreq upgrade-db`: brings a database of an earlier version up to date, keeping every row.
int runUpgradeDb(const QStringList &arguments);
/// `zrreq grant USER --role reader|editor|admin [--department D]...`: gives a PostgreSQL database
/// user a role; the database refuses it to anyone but an administrator. Exit 0 done, 2 refused.
int runGrant(const QStringList &arguments);
/// `zrreq revoke USER [--department D]...`: takes a user's roles, or his right to change departments.
int runRevoke(const QStringList &arguments);
/// `zrreq list [--json]`: the stored requirement sets, one line each, by the keys the other subcommands take.
int runList(const QStringList &arguments);
/// `zrreq data import FILE... [--apply]`: brings a registry's catalogue in from CSV files, matched
/// by their codes. Exit 0 done, 1 rows refused (nothing written), 2 unusable input.
int runData(const QStringList &arguments);

class CommandLine;
struct SetTarget;
/// What replacing the stored set of `target` by the set of `edited` (an
/// object's recordset) does to the programme's students: one line per student
/// whose result changes, then the summary. Exit 0 when nobody's changes, 1 otherwise.
int PrintImpact(CommandLine &command, const SetTarget &target, const Recordset &edited, bool json);

/// The subcommand named by the first argument, or null for none.
using Command = int (*)(const QStringList &arguments);
Command FindCommand(const QString &name);
/// Every subcommand's name with the string id of its one-line summary, in --help order.
QList<std::pair<QString, qint32>> CommandSummaries();

} // namespace zr::app::cli
