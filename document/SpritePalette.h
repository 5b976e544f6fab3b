#pragma once

#include "RomDocument.h"

#include <cstdint>
#include <optional>

namespace tintwright {

// The arithmetic behind the palette editor, apart from any window: which colour a
// point on the chart names, and which ROM byte a colour tile stands for.
class SpritePalette {
public:
    static constexpr float kCell = 360; // one chart cell, in twips

    // row * 16 + column of a point in twips from the chart's top-left corner, each
    // truncated toward zero. Nothing when the point lies a whole cell or more left of or
    // above the chart, or the value does not fit a byte.
    static std::optional<std::uint8_t> chartValue(float x, float y);

    // ROM index of palette byte `offset` (0 to 2) of the sprite at `address`;
    // nothing when that byte lies outside the image.
    static std::optional<std::int64_t> byteIndex(const RomDocument &rom, std::int32_t address,
                                                 int offset);
};

} // namespace tintwright
