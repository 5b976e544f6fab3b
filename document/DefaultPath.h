#pragma once

#include "Problem.h"

#include <filesystem>
#include <string>

namespace tintwright {

struct ProgramState;

// The folder the ROM chooser opens in, kept in Data/Defaultpath.txt.
class DefaultPath {
public:
    // Never fails: a missing, empty or unreadable file means the program folder, or in an
    // installed copy the folder of the user's demo copy.
    static void Load_Path(ProgramState &state);

    // Writes the folder and CR LF, all at once, where UserFiles says.
    static Outcome store(const ProgramState &state, const std::filesystem::path &folder);

    // The folder a file's text names: its first field, read as the Data tables are, except
    // that a comma does not end it.
    static std::string folderFromText(std::string_view text);
};

} // namespace tintwright
