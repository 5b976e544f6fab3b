#pragma once

#include "LocationTable.h"
#include "RomDocument.h"

#include <filesystem>

namespace tintwright {

// Everything the windows share for the whole run. Start-up makes one and
// hands it to every window by reference.
struct ProgramState {
    std::filesystem::path programFolder; // holds the executable and Data/
    std::filesystem::path defaultFolder; // where the ROM chooser opens
    // The user's own configuration and data folders, where an installed copy that the user
    // cannot write keeps what the user writes (UserFiles); empty for a program folder the user
    // can write, which keeps it all itself.
    std::filesystem::path userConfigFolder;
    std::filesystem::path userDataFolder;
    RomDocument rom;
    LocationTables tables;
    bool fileTypeFilter = false; // list every file in the chooser, not only ROMs
};

} // namespace tintwright
