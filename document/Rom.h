#pragma once

#include "ProgramState.h"

#include <string>
#include <string_view>

namespace tintwright {

// Start-up loading of the Data tables.
class Rom {
public:
    // Reads back locations, front locations, then the file type filter.
    // Throws Problem naming the file, the line and the fault.
    static void Load_Tables(ProgramState &state);
};

} // namespace tintwright
