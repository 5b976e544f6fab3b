#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tintwright {

// IPS patches: "PATCH", records of a 3-byte offset and a 2-byte size with that many bytes (or,
// with size 0, a 2-byte count and one byte to repeat), "EOF", and a 3-byte length to cut the
// file to when it shrinks.
class IpsPatch {
public:
    using Bytes = std::vector<std::uint8_t>;
    static constexpr std::uint32_t kReach = 1u << 24; // what 3-byte offsets can address

    // The smallest patch from `original` to `edited`. Throws Problem when IPS cannot express
    // the change (a byte at 16 MiB or beyond, or a length to cut to that 3 bytes cannot hold).
    static Bytes create(std::span<const std::uint8_t> original,
                        std::span<const std::uint8_t> edited);
    // The stretches [start, end) of `edited` that records cover, each encoded on its own: the
    // changes, joined where records may share the bytes between.
    static std::vector<std::pair<std::size_t, std::size_t>>
    regions(std::span<const std::uint8_t> original, std::span<const std::uint8_t> edited);
    // The file the patch makes of `original`. Throws Problem, naming the patch offset.
    static Bytes apply(std::span<const std::uint8_t> original, std::span<const std::uint8_t> patch);

    struct Info {
        std::size_t records = 0;
        std::optional<std::uint32_t> truncation;
    };
    static Info info(std::span<const std::uint8_t> patch);
};

} // namespace tintwright
