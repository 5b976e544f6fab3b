#pragma once

#include <cstddef>
#include <initializer_list>

namespace tintwright {

// A battle sprite's palette: three colour bytes in a row, wherever a table row points.
inline constexpr int kPaletteBytes = 3;

// An NES colour index: one byte naming a colour of the master palette, $00 to $3F. A byte
// above $3F is no colour, wherever it is read.
struct NesColour {
    static constexpr int kCount = 64;
    static constexpr bool isValid(int byte) { return byte >= 0 && byte < kCount; }

    // The colours to avoid, and why; none for the others.
    static constexpr const char *avoid(int colour) {
        if (colour == 0x0D)
            return "blacker than black, which upsets some televisions";
        // $0F is the black to use; these repeat it.
        for (const int black : {0x0E, 0x1D, 0x1E, 0x1F, 0x2E, 0x2F, 0x3E, 0x3F})
            if (colour == black)
                return "a black that repeats $0F";
        return nullptr;
    }
};

} // namespace tintwright
