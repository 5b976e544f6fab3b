#include "NesPalette.h"

namespace tintwright {

const NesPalette::Colours &NesPalette::standard() {
    static const Colours colours = {
        0x626262, 0x001C95, 0x1904AC, 0x42009D, 0x61006B, 0x6E0025, 0x650500, 0x491E00,
        0x223700, 0x004900, 0x004F00, 0x004816, 0x00355E, 0x000000, 0x000000, 0x000000,
        0xABABAB, 0x0C4EDB, 0x3D2EFF, 0x7115F3, 0x9B0BB9, 0xB01262, 0xA92704, 0x894600,
        0x576600, 0x237F00, 0x008900, 0x008332, 0x006D90, 0x000000, 0x000000, 0x000000,
        0xFFFFFF, 0x57A5FF, 0x8287FF, 0xB46DFF, 0xDF60FF, 0xF863C6, 0xF8746D, 0xDE9020,
        0xB3AE00, 0x81C800, 0x56D522, 0x3DD36F, 0x3EC1C8, 0x4E4E4E, 0x000000, 0x000000,
        0xFFFFFF, 0xBEE0FF, 0xCDD4FF, 0xE0CAFF, 0xF1C4FF, 0xFCC4EF, 0xFDCACE, 0xF5D4AF,
        0xE6DF9C, 0xD3E99A, 0xC2EFA8, 0xB7EFC4, 0xB6EAE5, 0xB8B8B8, 0x000000, 0x000000,
    };
    return colours;
}

std::optional<NesPalette::Colours> NesPalette::fromPal(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kPalBytes && bytes.size() != kLongPalBytes)
        return std::nullopt;
    Colours colours{};
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = std::uint32_t(bytes[i * 3]) << 16 | std::uint32_t(bytes[i * 3 + 1]) << 8 |
                     bytes[i * 3 + 2];
    return colours;
}

std::string NesPalette::wrongSize(std::uintmax_t size) {
    return "it holds " + std::to_string(size) +
           " bytes; a .pal file holds 192 bytes (64 colours) or 1536 bytes (512 colours)";
}

} // namespace tintwright
