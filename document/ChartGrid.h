#pragma once

#include <cstdint>
#include <optional>

namespace tintwright {

// The chart of the 64 NES colours as a grid apart from any window: 4 rows of 16 cells, value
// row * 16 + column, and how the keyboard moves a focus cell over it.
class ChartGrid {
public:
    static constexpr int kColumns = 16, kRows = 4;
    static constexpr float kCell = 360; // one cell, in twips

    // The value of a point in twips from the chart's top-left corner, row and column each
    // truncated toward zero. Nothing when the point lies a whole cell or more left of or above
    // the chart, or the value does not fit a byte.
    static std::optional<std::uint8_t> valueAt(float x, float y);

    // Keys that move the focus cell: along its row or its column, wrapping round, and to the
    // first or last cell of its row.
    enum class Key { Left, Right, Up, Down, Home, End };
    static int moved(int cell, Key key);

    // The middle of a cell, in twips from the chart's top-left corner.
    static float centreX(int cell) { return (float(cell % kColumns) + 0.5F) * kCell; }
    static float centreY(int cell) {
        const int row = cell / kColumns;
        return (float(row) + 0.5F) * kCell;
    }
};

} // namespace tintwright
