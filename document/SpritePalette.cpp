#include "SpritePalette.h"

#include <cmath>

namespace tintwright {

std::optional<std::uint8_t> SpritePalette::chartValue(float x, float y) {
    const double column = std::trunc(double(x) / kCell);
    const double row = std::trunc(double(y) / kCell);
    // Written so that NaN fails too.
    if (!(column >= 0 && column <= 255 && row >= 0 && row <= 255))
        return std::nullopt;
    const int value = int(row) * 16 + int(column);
    if (value > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

std::optional<std::int64_t> SpritePalette::byteIndex(const RomDocument &rom, std::int32_t address,
                                                     int offset) {
    const std::int64_t index = std::int64_t(address) + offset;
    if (!rom.readByte(index))
        return std::nullopt;
    return index;
}

} // namespace tintwright
