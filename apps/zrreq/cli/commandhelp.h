#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

namespace zr::app::cli {

/// The options as --help lists them, one entry each: "  -h, --help <value>", then the
/// description, wrapped to the terminal's width (COLUMNS, else 80). Options hidden from help are left out.
QString OptionLines(const QList<QCommandLineOption> &options);
/// One entry of a help list: `name` in a column of `width`, then `description`, wrapped.
QString HelpEntry(const QString &name, const QString &description, qsizetype width);
/// `text` wrapped to the terminal's width, every line after the first indented by `indent` spaces.
QString Wrapped(const QString &text, qsizetype indent);

/// Why `parser` refused `arguments` (the program's, its name first), in the string table's
/// language: an unknown option, a value missing after an option, or a value given to one that
/// takes none. `options` are those the parser was given.
QString ParseErrorText(const QCommandLineParser &parser, const QList<QCommandLineOption> &options,
                       const QStringList &arguments);

/// The language `--lang el|en` names in `arguments`, or `fallback` when it names neither.
int LanguageOfArguments(const QStringList &arguments, int fallback);

} // namespace zr::app::cli
