#pragma once

#include "document/NesColour.h"

#include <array>
#include <cstdint>

namespace tintwright {

// The 2C02 master palette as 0xRRGGBB, indices 0x00 to 0x3F. The program itself
// shows colours only through the generated pictures; this is where they come from.
class NesPalette {
public:
    using Colours = std::array<std::uint32_t, NesColour::kCount>;
    static const Colours &standard();
};

} // namespace tintwright
