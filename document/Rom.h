#pragma once

#include "ProgramState.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tintwright {

// Start-up loading of the Data tables.
class Rom {
public:
    // Reads back locations, front locations, then the file type filter.
    // Throws DataFileError naming the file, the line and the fault.
    static void Load_Tables(ProgramState &state);

    // The parts, for tools and tests; `displayName` is what an error names.
    static LocationTable readLocationTable(std::string_view text, const std::string &displayName);
    static bool readFileTypeFilter(std::string_view text, const std::string &displayName);

    static std::string readDataFile(const std::filesystem::path &programFolder,
                                    const std::string &relativeName);
};

} // namespace tintwright
