#pragma once

#include "LocationTable.h"
#include "NesColour.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tintwright {

// What an edited ROM changed against the original, by palette of the tables.
class RomDiff {
public:
    struct Palette {
        bool front;
        int row;
        std::int64_t address;
        std::array<int, kPaletteBytes> before; // -1: past the end of that file
        std::array<int, kPaletteBytes> after;
    };
    struct Result {
        std::vector<Palette> palettes;
        std::int64_t outside = 0; // bytes that differ where no palette lies
    };
    static Result compare(std::span<const std::uint8_t> original,
                          std::span<const std::uint8_t> edited, const LocationTables &tables);
};

} // namespace tintwright
