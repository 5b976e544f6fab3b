#pragma once

#include "LocationTable.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tintwright {

// Whether a set of location tables fits a ROM: every row of both tables looked at as the editor
// would, for what it cannot show (errors) and for what it shows but is likely wrong (warnings).
class TableCheck {
public:
    struct Finding {
        bool error;
        bool front;          // which table: the front one, or the back one
        int row;             // from 0 (LocationTable::number gives what users read)
        std::string message; // what is wrong, in a sentence without the row's own details
    };
    // `exists(name)` tells whether the program folder holds a preview of that name
    // (ProgramFolder::preview); without it previews are not looked at.
    static std::vector<Finding> check(std::span<const std::uint8_t> rom,
                                      const LocationTables &tables,
                                      const std::function<bool(const std::string &name)> &exists);
};

} // namespace tintwright
