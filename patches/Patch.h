#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tintwright {

// Either kind of patch, told apart in one place.
class Patch {
public:
    enum class Format { Ips, Bps };
    using Bytes = std::vector<std::uint8_t>;

    // By a file name's extension, in any case: ".ips" or ".bps".
    static std::optional<Format> byName(std::string_view fileName);
    // By the first bytes ("BPS1", "PATCH"); a file too short or too damaged to tell goes by its
    // name, and IPS when the name does not tell either.
    static Format detect(std::span<const std::uint8_t> patch, std::string_view fileName);

    static Bytes create(Format format, std::span<const std::uint8_t> original,
                        std::span<const std::uint8_t> edited);
    // Throws Problem.
    static Bytes apply(Format format, std::span<const std::uint8_t> original,
                       std::span<const std::uint8_t> patch);
    // Whether the patch makes exactly `edited` of `original`. Throws Problem.
    static bool makes(Format format, std::span<const std::uint8_t> original,
                      std::span<const std::uint8_t> patch, std::span<const std::uint8_t> edited);
};

} // namespace tintwright
