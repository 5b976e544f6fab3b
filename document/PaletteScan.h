#pragma once

#include "PaletteClue.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace tintwright {

// Every place in a ROM where one of up to 64 patterns of three colours lies, in one pass. The
// bytes are first sifted 16 at a time by which colours may stand at each of the three places
// (where the processor can), then each place left is checked against every pattern.
class PaletteScan {
public:
    static constexpr std::size_t kMostPatterns = 64;

    explicit PaletteScan(const std::vector<PaletteClue::Pattern> &patterns);

    // How bytes are sifted: as widely as the processor can, 16 at a time, or not at all (the
    // same places each way).
    enum class Sift { Widest, By16, None };

    // `found(at, patterns)` for every place `at`, in order, with bit p set for each pattern p
    // that lies there.
    void run(std::span<const std::uint8_t> rom,
             const std::function<void(std::size_t, std::uint64_t)> &found,
             Sift sifting = Sift::Widest) const;

private:
    // The places before the returned one, sifted as `sifting` says where the processor can.
    std::size_t sift(std::span<const std::uint8_t> rom,
                     const std::function<void(std::size_t, std::uint64_t)> &found,
                     Sift sifting) const;
    std::uint64_t patternsAt(const std::uint8_t *bytes) const {
        return m_accepts[0][bytes[0]] & m_accepts[1][bytes[1]] & m_accepts[2][bytes[2]];
    }

    // Per place of the three, per byte: the patterns that take it there.
    std::array<std::array<std::uint64_t, 256>, kPaletteBytes> m_accepts{};
    // Per place, per low four bits of a colour: bit h set when colour h * 16 + low may stand
    // there (colours are below $40, so h is 0 to 3).
    std::array<std::array<std::uint8_t, 16>, kPaletteBytes> m_lowBits{};
};

} // namespace tintwright
