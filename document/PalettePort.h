#pragma once

#include "LocationTable.h"
#include "NesColour.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tintwright {

// Where the palettes of a reference ROM's tables lie in another copy of the game. Rows that
// lie close together are looked at as one group with the bytes around them; every place in
// the copy where some of those bytes lie is a candidate, and each row is judged at each
// candidate by the evidence of PortEvidence: found when it is proven at exactly one place,
// several when proven (or, failing that, tied to one side, or fitting its surroundings) at
// more than one, not found otherwise. A wrong place is worse than none.
class PalettePort {
public:
    enum class How { SamePlace, WithGroup, Alone };
    enum class Sure { One, Several, None };
    struct Row {
        Sure sure = Sure::None;
        How how = How::Alone;
        // Addresses in the other copy, lowest first: one when sure, the candidates when several.
        std::vector<std::int64_t> found;
        // Several only: there may be more candidates than those listed (the bytes around the
        // row are everywhere in the copy, and only the first places were looked at).
        bool more = false;
    };
    struct Result {
        std::vector<Row> back, front; // row k for table row k
    };

    static Result port(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> other,
                       const LocationTables &tables);

    // Bytes looked at on each side of a group; rows with no more than twice this between them
    // share their surroundings and are one group.
    static constexpr std::size_t kContext = 32;
    // Candidates listed for one row at most.
    static constexpr std::size_t kMostCandidates = 8;
};

} // namespace tintwright
