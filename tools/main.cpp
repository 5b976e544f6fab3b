// tintwright-data: builds Tintwright's pictures and demo ROM, applies an emulator's palette, and
// checks, exports, imports, compares and patches the palettes of a ROM through the Data tables.
#include "Arguments.h"
#include "CommandLine.h"

#include <QCoreApplication>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tintwright-data"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TINTWRIGHT_VERSION));
    // The words as the system gave them: file names need not be UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << tintwright::Arguments::decode(argv[i]);
    return tintwright::CommandLine::run(arguments);
}
