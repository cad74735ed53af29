#pragma once

#include <QString>
#include <QStringList>

namespace zr::app {

/// What the window is opened with.
struct WindowArguments
{
    QString server;
    QString screenshot;  ///< empty: no picture
    qint32 student = 0;  ///< 0: no student card
    bool history = false; ///< open File > History of the set on screen
    int language = -1;    ///< --lang: the language for this run; -1 the one chosen last time
};

/// Answers what the command line asks before any window, or display, is
/// needed: --help (the window's options and the subcommands), an unknown
/// subcommand, a malformed option, a --student that is not a number, a --lang
/// other than el or en, and a --server naming an SQLite file that does not exist. `arguments` are the
/// program's, its name first. Returns -1 to open the window with what
/// `window` then holds (a subcommand leaves it alone), otherwise the exit
/// code (0 after --help, 2 for unusable arguments; the reason on stderr).
int CheckStartArguments(const QStringList &arguments, WindowArguments *window = nullptr, int chosenLanguage = -1);

} // namespace zr::app
