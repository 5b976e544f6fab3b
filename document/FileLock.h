#pragma once

#include "Problem.h"

#include <filesystem>

namespace tintwright {

// An advisory lock on a file, held from reading it to replacing it, so that two runs that
// change one file take turns instead of one losing the other's changes.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Holds the file `path` names now. `wait` false: `busy` is set when another run holds it, and
    // nothing is held (else it is left alone). A file replaced while this waited is the one
    // locked, not the old one.
    Outcome take(const std::filesystem::path &path, bool wait, bool &busy);

private:
    int m_fd = -1;
};

} // namespace tintwright
