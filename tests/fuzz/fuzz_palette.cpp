// Arbitrary ROM images, palette addresses and chart presses and releases: a sprite load
// and a pick must stay inside the image and only ever write a chart value.
#include "document/RomDocument.h"
#include "document/SpritePalette.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace tintwright;
    constexpr std::size_t kHead = 4 + 4 * sizeof(float) + 1;
    if (size < kHead)
        return 0;
    std::int32_t address;
    float point[4];
    std::memcpy(&address, data, 4);
    std::memcpy(point, data + 4, sizeof point);
    const int tile = data[kHead - 1] % 6;

    RomDocument rom;
    if (!rom.assign(data + kHead, size - kHead, "fuzz.nes"))
        return 0;

    // A sprite load reads three bytes in turn and stops at the first it cannot read.
    for (int k = 0; k < 3; ++k) {
        const auto index = SpritePalette::byteIndex(rom, address, k);
        if (!index)
            break;
        if (*index < 0 || *index >= rom.length() || !rom.readByte(*index))
            __builtin_trap();
    }

    const auto pressed = SpritePalette::chartValue(point[0], point[1]);
    const auto released = SpritePalette::chartValue(point[2], point[3]);
    // Inside the chart every point names one of the 64 colours.
    if (point[0] >= 0 && point[0] < 5760 && point[1] >= 0 && point[1] < 1440 &&
        (!pressed || *pressed > 0x3F))
        __builtin_trap();
    if (pressed && released && *pressed == *released) {
        if (const auto index = SpritePalette::byteIndex(rom, address, tile % 3)) {
            if (!rom.writeByte(*index, *pressed) || rom.readByte(*index) != *pressed)
                __builtin_trap();
        }
    }
    return 0;
}
