#include "initdb.h"

#include "common/errorlog.h"
#include "common/passwordmask.h"
#include "common/zrerror.h"
#include "database.h"
#include "largevolume.h"

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
    const QCommandLineOption large(QStringLiteral("large"),
                                   QStringLiteral("Fill in the sample department and a large one with N students "
                                                  "(about 40 course results each, N/5 courses, 3 requirements per "
                                                  "50 students)."),
                                   QStringLiteral("N"));
    parser.addOptions({server, sample, empty, large});
    QTextStream err(stderr);
    if (!parser.parse(arguments)) {
        err << parser.errorText() << Qt::endl;
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (int(parser.isSet(sample)) + int(parser.isSet(empty)) + int(parser.isSet(large)) > 1) {
        err << "--sample, --empty and --large exclude each other" << Qt::endl;
        return 2;
    }
    bool sizeOk = true;
    const int students = parser.isSet(large) ? parser.value(large).toInt(&sizeOk) : 0;
    if (!sizeOk || (parser.isSet(large) && students < 1)) {
        err << "--large needs a number of students above 0, not \"" << parser.value(large) << '"' << Qt::endl;
        return 2;
    }
    try {
        auto db = server::Database::open(parser.value(server), server::Database::Opening::Initialize);
        db->initialize(!parser.isSet(empty));
        if (students > 0)
            server::GenerateLargeVolume(*db, server::LargeVolume::forStudents(students));
    } catch (const ZrError &error) {
        err << "ERROR " << error.number << '\t' << error.source << '\t' << HidePasswords(error.description) << Qt::endl;
        AppendLogLine(error.number, QStringLiteral("zrreq init-db"),
                      QStringLiteral("server %1: %2").arg(HidePasswords(parser.value(server)), error.description));
        return 2;
    }
    QTextStream(stdout) << "OK" << Qt::endl;
    return 0;
}

} // namespace zr::app
