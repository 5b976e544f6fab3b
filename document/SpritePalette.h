#pragma once

#include "RomDocument.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tintwright {

// The rules behind the palette editor, apart from any window: which ROM bytes a sprite list
// entry shows, how the two lists follow each other, and which byte a pick writes.
class SpritePalette {
public:
    static constexpr float kCell = 360;       // one chart cell, in twips
    static constexpr int kPreviewLimit = 159; // list positions from here on have no previews

    // row * 16 + column of a point in twips from the chart's top-left corner, each
    // truncated toward zero. Nothing when the point lies a whole cell or more left of or
    // above the chart, or the value does not fit a byte.
    static std::optional<std::uint8_t> chartValue(float x, float y);

    // The palette bytes at `address` in the order a load shows them, up to the first that
    // lies outside the image: fewer than three means the load stops there.
    static std::vector<std::uint8_t> paletteBytes(const RomDocument &rom, std::int32_t address);

    // Keys that move the chart's focus cell: along its row or its column, wrapping round, and
    // to the first or last cell of its row.
    enum class ChartKey { Left, Right, Up, Down, Home, End };
    static int moveFocusCell(int cell, ChartKey key);
    // The middle of a chart cell, in twips from the chart's top-left corner.
    static float cellCentreX(int cell) { return float(cell % 16) * kCell + kCell / 2; }
    static float cellCentreY(int cell) { return float(cell / 16) * kCell + kCell / 2; }

    // The number of list position `position`'s preview pictures; nothing past the limit.
    static std::optional<int> previewNumber(int position);

    // Where the linked list moves after this one loaded `position`; nothing when it stays.
    static std::optional<int> linkedPosition(int position, int otherPosition, int otherCount);

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
