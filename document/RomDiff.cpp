#include "RomDiff.h"

#include <algorithm>
#include <cstring>

namespace tintwright {

RomDiff::Result RomDiff::compare(std::span<const std::uint8_t> originalBytes,
                                 std::span<const std::uint8_t> editedBytes,
                                 const LocationTables &tables) {
    const std::uint8_t *original = originalBytes.data();
    const std::uint8_t *edited = editedBytes.data();
    const auto originalSize = std::int64_t(originalBytes.size());
    const auto editedSize = std::int64_t(editedBytes.size());
    Result result;
    const std::int64_t common = std::min(originalSize, editedSize);
    std::vector<bool> inPalette(static_cast<std::size_t>(common));
    const auto byte = [](const std::uint8_t *rom, std::int64_t size, std::int64_t index) {
        return index >= 0 && index < size ? int(rom[index]) : -1;
    };
    for (const bool isFront : {false, true}) {
        const LocationTable &table = tables.of(isFront);
        for (int row = 0; row < table.rows(); ++row) {
            const std::int64_t address = table.addresses[std::size_t(row)];
            Palette palette{isFront, row, address, {}, {}};
            for (int k = 0; k < kPaletteBytes; ++k) {
                palette.before[std::size_t(k)] = byte(original, originalSize, address + k);
                palette.after[std::size_t(k)] = byte(edited, editedSize, address + k);
                if (address + k >= 0 && address + k < common)
                    inPalette[std::size_t(address + k)] = true;
            }
            if (palette.before != palette.after)
                result.palettes.push_back(palette);
        }
    }
    // Whole blocks first: most of two ROMs is the same.
    constexpr std::int64_t kBlock = 4096;
    for (std::int64_t start = 0; start < common; start += kBlock) {
        const std::int64_t length = std::min(kBlock, common - start);
        if (std::memcmp(original + start, edited + start, std::size_t(length)) == 0)
            continue;
        for (std::int64_t i = start; i < start + length; ++i)
            result.outside += original[i] != edited[i] && !inPalette[std::size_t(i)];
    }
    return result;
}

} // namespace tintwright
