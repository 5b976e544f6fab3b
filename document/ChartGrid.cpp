#include "ChartGrid.h"

#include <cmath>

namespace tintwright {

std::optional<std::uint8_t> ChartGrid::valueAt(float x, float y) {
    const double value = std::trunc(double(y) / kCell) * kColumns + std::trunc(double(x) / kCell);
    // Written so that NaN fails too.
    if (!(x > -kCell && y > -kCell && value <= 255))
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

int ChartGrid::moved(int cell, Key key) {
    const int row = cell / kColumns;
    const int column = cell % kColumns;
    switch (key) {
    case Key::Left:
        return row * kColumns + (column + kColumns - 1) % kColumns;
    case Key::Right:
        return row * kColumns + (column + 1) % kColumns;
    case Key::Up:
        return (row + kRows - 1) % kRows * kColumns + column;
    case Key::Down:
        return (row + 1) % kRows * kColumns + column;
    case Key::Home:
        return row * kColumns;
    case Key::End:
        break;
    }
    return row * kColumns + kColumns - 1;
}

} // namespace tintwright
