#include "Main.h"
#include "document/ProgramState.h"
#include "widgets/MessageBoxPrompter.h"
#include "widgets/Paths.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tintwright"));

    tintwright::ProgramState state;
    state.programFolder = tintwright::Paths::fromQString(QCoreApplication::applicationDirPath());
    tintwright::MessageBoxPrompter prompter;
    tintwright::Main::dressApplication(state.programFolder);

    tintwright::Main window(state, prompter);
    if (!window.Form_Load())
        return 1;
    window.showAtStart();
    return QApplication::exec();
}
