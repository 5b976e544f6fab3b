// tintwright-data: builds Tintwright's pictures and demo ROM, applies an emulator's palette, and
// checks, exports, imports, compares and patches the palettes of a ROM through the Data tables.
#include "Arguments.h"
#include "CommandLine.h"
#include "StopSignals.h"
#include "document/Temporaries.h"

#include <QCoreApplication>

#include <csignal>

#include <unistd.h>

namespace {

// Inputs are mapped, not copied: one cut short by another program while it is read ends the
// command here, before any output is begun (outputs are made from memory of their own).
extern "C" void inputCutShort(int) {
    static const char kSaid[] = "tintwright-data: an input file was cut short while it was "
                                "read. Nothing was written.\n";
    (void)!::write(STDERR_FILENO, kSaid, sizeof kSaid - 1);
    _exit(2);
}

} // namespace

int main(int argc, char *argv[]) {
    struct sigaction cutShort {};
    cutShort.sa_handler = inputCutShort;
    sigaction(SIGBUS, &cutShort, nullptr);
    tintwright::Temporaries temporaries;
    const tintwright::StopSignals stopping(temporaries);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tintwright-data"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TINTWRIGHT_VERSION));
    // The words as the system gave them: file names need not be UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << tintwright::Arguments::decode(argv[i]);
    return tintwright::CommandLine::run(arguments, temporaries);
}
