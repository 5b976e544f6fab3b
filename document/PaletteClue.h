#pragma once

#include "ColourMatch.h"
#include "NesColour.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tintwright {

// A palette the user knows, to look for in a ROM: three colours, each a set of the bytes that
// may stand for it. Typed ones are exact; a screenshot's are its colours' look-alikes, in an
// order nobody knows.
struct PaletteClue {
    using Colours = ColourMatch::Colours;
    using Pattern = std::array<Colours, kPaletteBytes>;

    // A pixel that is mostly see-through: background, whatever its colour.
    static constexpr std::uint32_t kSeeThrough = 0x1000000;

    std::string label; // as messages name it: "0F,12,21", or the picture's colours
    Pattern colours{};
    bool anyOrder = false;

    // "0F,12,21": three indices of one or two hex digits, each may start with $. A Problem
    // saying why otherwise.
    static PaletteClue parse(std::string_view text);

    // The colours of a screenshot of one sprite, pixels 0xRRGGBB (or kSeeThrough) row by row:
    // the colour most common around its edges is its background and is dropped, as are
    // see-through pixels; two or three others must
    // remain, each within ColourMatch::kFarthest of the chart. A Problem saying why otherwise.
    static PaletteClue fromPicture(std::span<const std::uint32_t> pixels, int width,
                                   const ColourMatch &match);

    // The orders to look for: the typed one, or all six of a picture's.
    std::vector<Pattern> orders() const;
};

} // namespace tintwright
