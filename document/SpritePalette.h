#pragma once

#include "LocationTable.h"
#include "NesColour.h"
#include "RomDocument.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tintwright {

// The rules behind the palette editor, apart from any window: which ROM bytes a sprite list
// entry shows, how the two lists follow each other, and which byte a pick writes.
class SpritePalette {
public:
    // The editor's colour tiles: the back sprite's palette, then the front's.
    static constexpr int kTiles = 2 * kPaletteBytes;

    // What choosing a list entry shows, worked out apart from any window.
    struct Load {
        // The palette's colours in the order the tiles show them, up to the first byte that
        // lies outside the ROM or is no colour: fewer than three, and the load stops there
        // with its message.
        std::vector<std::uint8_t> colours;
        std::optional<int> preview; // the number of the previews; none past the last
        std::optional<int> linked;  // where the other list moves, when the lists are linked
        bool complete() const { return colours.size() == kPaletteBytes; }
    };
    // The load of list position `position`, whose palette lies at `address`; the other list
    // stands at `otherPosition` of `otherCount` entries.
    static Load load(const RomDocument &rom, std::int32_t address, int position, bool linked,
                     int otherPosition, int otherCount);

    // Where the linked list moves after this one loaded `position`; nothing when it stays.
    static std::optional<int> linkedPosition(int position, int otherPosition, int otherCount);

    // The first table row whose palette holds ROM byte `index`, back rows first: where a list
    // must stand to show that byte.
    struct Place {
        bool front;
        int row;
        int tile; // 0 to 5, the tile that shows the byte there
    };
    static std::optional<Place> placeOf(const LocationTables &tables, std::int64_t index);

    // The ROM index tile `tile` stands for: tiles 0 to 2 the back palette's bytes, 3 to 5 the
    // front's.
    static std::int64_t tileIndex(int tile, std::int32_t backAddress, std::int32_t frontAddress);
    // The same, for a pick to write; nothing when that byte lies outside the image.
    static std::optional<std::int64_t> pickIndex(const RomDocument &rom, int tile,
                                                 std::int32_t backAddress,
                                                 std::int32_t frontAddress);
};

// One editor window's pick in progress: a tile click, then a press and a release on the
// same chart value. Nothing counts before the first tile click.
class ColourPick {
public:
    bool hasTile() const { return m_hasTile; }
    int selectedTile() const { return m_selectedTile; }
    std::uint8_t pickedColour() const { return m_pickedColour; }

    void selectTile(int tile);
    void press(float x, float y);
    // The colour a release at (x, y) applies, if any.
    std::optional<std::uint8_t> release(float x, float y) const;

private:
    bool m_hasTile = false;
    int m_selectedTile = 0;
    std::uint8_t m_pickedColour = 0;
};

} // namespace tintwright
