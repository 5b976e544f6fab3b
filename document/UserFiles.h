#pragma once

#include "Problem.h"

#include <filesystem>

namespace tintwright {

struct ProgramState;

// The two things a user writes: the default folder and, in an installed copy, a demo ROM of
// their own. A program folder the user can write (a build, the portable archive) keeps the
// default folder itself, as ever, and nothing goes to the user's folders. An installed copy
// that the user cannot write keeps both in the user's own configuration and data folders.
class UserFiles {
public:
    // Names the user's folders in `state` when its program folder's Data folder is not the
    // user's to write; else leaves them empty.
    static void choose(ProgramState &state, const std::filesystem::path &configFolder,
                       const std::filesystem::path &dataFolder);
    static bool installed(const ProgramState &state);

    // Where "Set As Default Path" writes, and start-up reads first.
    static std::filesystem::path defaultPathFile(const ProgramState &state);
    // The user's copy of the demo ROM; empty when the program folder is the user's.
    static std::filesystem::path demoCopy(const ProgramState &state);
    // An installed copy's start: the user's demo copy, made from the program folder's when it
    // is missing, never replaced.
    static Outcome makeDemoCopy(const ProgramState &state);
};

} // namespace tintwright
