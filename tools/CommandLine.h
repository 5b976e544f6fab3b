#pragma once

#include <QStringList>

namespace tintwright {

// tintwright-data's command line: finds the command wherever its options stand, parses what
// that command takes, runs it, and returns the exit status.
class CommandLine {
public:
    static int run(const QStringList &arguments);
};

} // namespace tintwright
