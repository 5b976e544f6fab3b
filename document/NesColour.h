#pragma once

namespace tintwright {

// An NES colour index: one byte naming a colour of the master palette, $00 to $3F. A byte
// above $3F is no colour, wherever it is read.
struct NesColour {
    static constexpr int kCount = 64;
    static constexpr bool isValid(int byte) { return byte >= 0 && byte < kCount; }
};

} // namespace tintwright
