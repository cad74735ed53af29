#include "commandhelp.h"

#include "common/langstrings.h"

#include <algorithm>

namespace zr::app::cli {

namespace {
enum : qint32 {
    StrUnknownOption = 62225,   // "unknown option: %1"
    StrMissingValue = 62226,    // "%1 needs a value"
    StrUnexpectedValue = 62227, // "%1 takes no value"
};

// The terminal's width where the shell exports it (COLUMNS), else 80, less the last column, so
// that no line ends at the edge. The manual page is written from help that is not wrapped.
qsizetype lineWidth()
{
    const int columns = qEnvironmentVariableIntValue("COLUMNS");
    return (columns > 40 ? columns : 80) - 1;
}

// Wider names start their description on the next line rather than squeeze it.
constexpr qsizetype MaxNameWidth = 40;

QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString shownNames(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names << dashed(name);
    QString shown = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        shown += QStringLiteral(" <") + option.valueName() + QLatin1Char('>');
    return shown;
}
} // namespace

QString Wrapped(const QString &text, qsizetype indent)
{
    const QString margin(indent, QLatin1Char(' '));
    const qsizetype width = lineWidth();
    QStringList lines;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString &word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            // The first line follows a name as wide as the margin of the others.
            if (!line.isEmpty() && indent + line.size() + 1 + word.size() > width) {
                lines << line;
                line.clear();
            }
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n') + margin);
}

QString HelpEntry(const QString &name, const QString &description, qsizetype width)
{
    const qsizetype indent = 2 + width + 2;
    const QString head = QStringLiteral("  ") + name;
    if (head.size() + 2 > indent)
        return head + QLatin1Char('\n') + QString(indent, QLatin1Char(' ')) + Wrapped(description, indent)
               + QLatin1Char('\n');
    return head.leftJustified(indent) + Wrapped(description, indent) + QLatin1Char('\n');
}

QString OptionLines(const QList<QCommandLineOption> &options)
{
    qsizetype width = 0;
    for (const QCommandLineOption &option : options)
        width = std::max(width, shownNames(option).size());
    width = std::min(width, MaxNameWidth);
    QString lines;
    for (const QCommandLineOption &option : options) {
        if (!option.flags().testFlag(QCommandLineOption::HiddenFromHelp))
            lines += HelpEntry(shownNames(option), option.description(), width);
    }
    return lines;
}

QString ParseErrorText(const QCommandLineParser &parser, const QList<QCommandLineOption> &options,
                       const QStringList &arguments)
{
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
        QStringList shown;
        for (const QString &name : unknown)
            shown << dashed(name);
        return ReplaceParams(GetLangString(StrUnknownOption), {shown.join(QStringLiteral(", "))});
    }
    // Qt says which option in English only: the arguments are read again to name the fault.
    for (qsizetype i = 1; i < arguments.size() && arguments.at(i) != QLatin1String("--"); ++i) {
        const QString &argument = arguments.at(i);
        if (!argument.startsWith(QLatin1Char('-')) || argument.size() < 2)
            continue;
        const QString shown = argument.section(QLatin1Char('='), 0, 0);
        const QString name = shown.mid(shown.startsWith(QLatin1String("--")) ? 2 : 1);
        const auto option = std::find_if(options.cbegin(), options.cend(),
                                         [&](const QCommandLineOption &o) { return o.names().contains(name); });
        if (option == options.cend())
            continue;
        const bool takesValue = !option->valueName().isEmpty(), given = argument.contains(QLatin1Char('='));
        if (takesValue && !given && i + 1 == arguments.size())
            return ReplaceParams(GetLangString(StrMissingValue), {shown});
        if (!takesValue && given)
            return ReplaceParams(GetLangString(StrUnexpectedValue), {shown});
        if (takesValue && !given)
            ++i; // its value, whatever it looks like
    }
    return parser.errorText();
}

int LanguageOfArguments(const QStringList &arguments, int fallback)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString value;
        if (argument == QLatin1String("--lang") && i + 1 < arguments.size())
            value = arguments.at(i + 1);
        else if (argument.startsWith(QLatin1String("--lang=")))
            value = argument.mid(7);
        else
            continue;
        return value == QLatin1String("en") ? LangEnglish : value == QLatin1String("el") ? LangGreek : fallback;
    }
    return fallback;
}

} // namespace zr::app::cli
