#include "Main.h"
#include "document/ProgramState.h"
#include "document/UserFiles.h"
#include "widgets/MessageBoxPrompter.h"
#include "widgets/Paths.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char *argv[]) {
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
    return QApplication::exec();
}
