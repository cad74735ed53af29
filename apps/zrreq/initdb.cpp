#include "initdb.h"

#include "common/zrerror.h"
#include "database.h"

#include <QCommandLineParser>
#include <QTextStream>

namespace zr::app {

int runInitDb(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Creates the requirement tables on a database (every existing table of the schema is "
                       "dropped first)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("init-db"), QStringLiteral("The subcommand."));
    const QCommandLineOption server(QStringLiteral("server"),
                                    QStringLiteral("Database: empty for the embedded one, or "
                                                   "postgresql://user@host:port/dbname."),
                                    QStringLiteral("url"));
    const QCommandLineOption sample(QStringLiteral("sample"), QStringLiteral("Fill in the sample department (default)."));
    const QCommandLineOption empty(QStringLiteral("empty"), QStringLiteral("Create the tables only."));
    parser.addOptions({server, sample, empty});
    QTextStream err(stderr);
    if (!parser.parse(arguments)) {
        err << parser.errorText() << Qt::endl;
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (parser.isSet(sample) && parser.isSet(empty)) {
        err << "--sample and --empty exclude each other" << Qt::endl;
        return 2;
    }
    try {
        auto db = server::Database::open(parser.value(server));
        db->initialize(!parser.isSet(empty));
    } catch (const ZrError &error) {
        err << "ERROR " << error.number << '\t' << error.source << '\t' << error.description << Qt::endl;
        return 2;
    }
    QTextStream(stdout) << "OK" << Qt::endl;
    return 0;
}

} // namespace zr::app
