#pragma once

#include <QStringList>

namespace tintwright {

// tintwright-data's command line: finds the command wherever its options stand, parses what
// that command takes, runs it, and returns the exit status.
class Temporaries;

class CommandLine {
public:
    // `temporaries`: the run's, removed should it be stopped.
    static int run(const QStringList &arguments, Temporaries &temporaries);
};

} // namespace tintwright
