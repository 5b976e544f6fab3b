#pragma once

#include "LocationTable.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tintwright {

// Where the palettes of a reference ROM's tables lie in another copy of the game. The evidence
// is the bytes around the palettes, never the palettes themselves (another edition or a hack
// may have recoloured them all), and rows that lie close together move together: a group is
// looked for whole, at its place and then anywhere, and a group that is not found is split
// where its rows lie furthest apart, down to single rows.
class PalettePort {
public:
    enum class How { SamePlace, WithGroup, Alone };
    enum class Sure { One, Several, None };
    struct Row {
        Sure sure = Sure::None;
        How how = How::Alone;
        // Addresses in the other copy, lowest first: one when sure, the candidates when several.
        std::vector<std::int64_t> found;
    };
    struct Result {
        std::vector<Row> back, front; // row k for table row k
    };

    static Result port(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> other,
                       const LocationTables &tables);

    static constexpr std::size_t kPalette = 3;
    // Bytes looked at on each side of a group; rows further apart than kGap are in two groups.
    static constexpr std::size_t kContext = 16;
    static constexpr std::size_t kGap = 16;
    // Candidates kept for one group: enough to say "several" and list them.
    static constexpr std::size_t kMostCandidates = 8;
};

} // namespace tintwright
