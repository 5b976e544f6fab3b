#include "Main.h"
#include "document/ProgramState.h"
#include "document/UserFiles.h"
#include "widgets/MessageBoxPrompter.h"
#include "widgets/Paths.h"

#include <QApplication>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// What `tintwright --help` prints: it needs no display, so it is answered before any window.
constexpr const char *kHelp =
    "Usage: tintwright [ROM] [--help | --version]\n"
    "Edit the colour palettes of the battle sprites in an NES ROM.\n"
    "\n"
    "Tintwright opens its main window, with ROM open in it when one is named (else File,\n"
    "Open Rom opens one, and a ROM dropped on the window opens as well); Help, Manual shows\n"
    "the manual. Where the palettes lie comes from the tables in the Data folder beside the\n"
    "program; tintwright-data checks, makes and ports them.\n"
    "\n"
    "Options:\n"
    "  -h, --help     Print this and end.\n"
    "  -v, --version  Print the version and end.\n"
    "\n"
    "Exit status: 0 the program was closed (or this was printed), 1 a Data table is broken\n"
    "(the message names its file, line and fault), 2 this could not be printed.\n";

// 0 or 2 (standard output cannot be written) when the arguments are answered here, -1 when
// the program starts; Qt's own options (-platform, -style...) are left to Qt.
int answered(int argc, char *argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char *word = argv[i];
        const bool help = !std::strcmp(word, "--help") || !std::strcmp(word, "-h");
        const bool version = !std::strcmp(word, "--version") || !std::strcmp(word, "-v");
        if (help || version) {
            const bool printed =
                std::fputs(help ? kHelp : "Tintwright " TINTWRIGHT_VERSION "\n", stdout) >= 0 &&
                std::fflush(stdout) == 0;
            return printed ? 0 : 2;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[]) {
    if (const int status = answered(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tintwright"));

    tintwright::ProgramState state;
    state.programFolder = tintwright::Paths::fromQString(QCoreApplication::applicationDirPath());
    // An installed copy the user cannot write keeps what the user writes in the user's folders.
    tintwright::UserFiles::choose(state,
                                  tintwright::Paths::fromQString(QStandardPaths::writableLocation(
                                      QStandardPaths::AppConfigLocation)),
                                  tintwright::Paths::fromQString(QStandardPaths::writableLocation(
                                      QStandardPaths::AppDataLocation)));
    tintwright::MessageBoxPrompter prompter;
    tintwright::Main::dressApplication(state.programFolder);

    tintwright::Main window(state, prompter);
    if (!window.Form_Load())
        return 1;
    window.showAtStart();
    // A ROM named on the command line (a file manager's Open With) opens as Open Rom would.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const auto named = std::find_if(arguments.begin(), arguments.end(),
                                    [](const QString &word) { return !word.startsWith('-'); });
    if (named != arguments.end())
        window.openFile(*named);
    return QApplication::exec();
}
