#pragma once

#include "NesColour.h"

#include <array>
#include <cstdint>

namespace tintwright {

// NES colours as a screenshot shows them: a set of look-alike colour indices for every RGB
// colour, through a chart of 64 RGB colours (the program's own, or an emulator's .pal).
//
// Distance is CIE76 (Euclidean in CIELAB, D65 white, sRGB): near enough to what the eye sees
// to tell the chart's colours apart (its closest distinct pair is 3.6 apart, two dark greens),
// simple enough to state, and free of CIEDE2000's corrections, which matter only between
// colours far closer than the margins used here.
class ColourMatch {
public:
    using Chart = std::array<std::uint32_t, NesColour::kCount>; // 0xRRGGBB per index
    using Colours = std::uint64_t;                              // bit k set: colour $k
    static constexpr Colours kEveryColour = ~Colours(0);

    // Chart colours closer than this look alike: the blacks, $20 and $30, and the chart's
    // other near-twins ($09/$0A and $10/$3D in the program's chart).
    static constexpr double kLookAlike = 6.0;
    // A picture's colour may be this much farther from a chart colour than from the nearest
    // one and still be taken for it: emulators' palettes differ by about this much.
    static constexpr double kMargin = 8.0;
    // A picture's colour farther than this from every chart colour is no NES colour at all.
    static constexpr double kFarthest = 20.0;

    explicit ColourMatch(const Chart &chart);

    static double distance(std::uint32_t rgb, std::uint32_t other);

    // Colour `index` and every chart colour that looks like it.
    Colours lookAlikes(int index) const { return m_groups[std::size_t(index)]; }

    struct Nearest {
        int index = 0;
        double distance = 0;
    };
    Nearest nearest(std::uint32_t rgb) const;
    // Every index a picture's colour may stand for: the look-alikes of every chart colour
    // within kMargin of the nearest.
    Colours candidates(std::uint32_t rgb) const;

private:
    Chart m_chart;
    std::array<Colours, NesColour::kCount> m_groups{};
};

} // namespace tintwright
