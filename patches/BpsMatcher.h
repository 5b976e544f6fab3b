#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tintwright {

// Chooses the actions of a BPS patch: for each stretch of the target, the cheapest of its
// bytes as they are, a read of the source at the same place, or a copy of a match found
// anywhere in the source or earlier in the target (a run is a copy of the byte before it).
// Matches are found through hashed windows of the source and of the target's new bytes, each
// table one entry a slot, so memory stays at about twice the size of the two files.
class BpsMatcher {
public:
    using Bytes = std::vector<std::uint8_t>;

    // Appends the actions that make `target` of `source` to `out`.
    static void encode(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target,
                       Bytes &out);
};

} // namespace tintwright
