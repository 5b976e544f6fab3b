#pragma once

#include "document/NesColour.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tintwright {

// The 2C02 master palette as 0xRRGGBB, indices 0x00 to 0x3F. The program itself
// shows colours only through the generated pictures; this is where they come from.
class NesPalette {
public:
    using Colours = std::array<std::uint32_t, NesColour::kCount>;
    static const Colours &standard();
    // A .pal file's bytes: 64 RGB triples, or 512 of which the first 64 count; nothing for a
    // file of another size.
    static constexpr std::size_t kPalBytes = std::size_t{64} * 3,
                                 kLongPalBytes = std::size_t{512} * 3;
    static std::optional<Colours> fromPal(std::span<const std::uint8_t> bytes);
    // Why a .pal file of `size` bytes is refused.
    static std::string wrongSize(std::uintmax_t size);
};

} // namespace tintwright
