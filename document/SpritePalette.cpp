#include "SpritePalette.h"

#include "ChartGrid.h"
#include "NesColour.h"
#include "ProgramFolder.h"

#include <cmath>

namespace tintwright {

SpritePalette::Load SpritePalette::load(const RomDocument &rom, std::int32_t address, int position,
                                        bool linked, int otherPosition, int otherCount) {
    Load load;
    for (int k = 0; k < kPaletteBytes; ++k) {
        const auto byte = rom.readByte(std::int64_t(address) + k);
        if (!byte || !NesColour::isValid(*byte))
            break;
        load.colours.push_back(*byte);
    }
    load.preview = ProgramFolder::previewNumber(position);
    if (linked)
        load.linked = linkedPosition(position, otherPosition, otherCount);
    return load;
}

std::optional<int> SpritePalette::linkedPosition(int position, int otherPosition, int otherCount) {
    if (otherPosition == position || position >= otherCount)
        return std::nullopt;
    return position;
}

std::optional<SpritePalette::Place> SpritePalette::placeOf(const LocationTables &tables,
                                                           std::int64_t index) {
    for (const bool front : {false, true}) {
        const LocationTable &table = tables.of(front);
        for (int row = 0; row < table.rows(); ++row) {
            const std::int64_t offset = index - table.addresses[std::size_t(row)];
            if (offset >= 0 && offset < kPaletteBytes)
                return Place{front, row, int(offset) + (front ? kPaletteBytes : 0)};
        }
    }
    return std::nullopt;
}

std::int64_t SpritePalette::tileIndex(int tile, std::int32_t backAddress,
                                      std::int32_t frontAddress) {
    return tile < kPaletteBytes ? std::int64_t(backAddress) + tile
                                : std::int64_t(frontAddress) + (tile - kPaletteBytes);
}

std::optional<std::int64_t> SpritePalette::pickIndex(const RomDocument &rom, int tile,
                                                     std::int32_t backAddress,
                                                     std::int32_t frontAddress) {
    const std::int64_t index = tileIndex(tile, backAddress, frontAddress);
    if (!rom.readByte(index))
        return std::nullopt;
    return index;
}

void ColourPick::selectTile(int tile) {
    m_selectedTile = tile;
    m_hasTile = true;
}

void ColourPick::press(float x, float y) {
    if (!m_hasTile)
        return;
    if (const auto value = ChartGrid::valueAt(x, y))
        m_pickedColour = *value;
}

std::optional<std::uint8_t> ColourPick::release(float x, float y) const {
    if (!m_hasTile)
        return std::nullopt;
    const auto value = ChartGrid::valueAt(x, y);
    // A release far off the chart names no colour at all.
    if (!value || *value != m_pickedColour)
        return std::nullopt;
    return value;
}

} // namespace tintwright
