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
    RomDocument rom;
    LocationTables tables;
    bool fileTypeFilter = false; // list every file in the chooser, not only ROMs
};

} // namespace tintwright
