#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tintwright {

// What the bytes of a stretch of the reference say about one place in another copy: the
// stretch laid over the copy at one shift, byte against byte.
//
// Bytes that agree are evidence, as many bits as a byte of that value is rare in the copy, but
// only where they do not repeat the few bytes before them (a fill or a short pattern agrees
// at many places and proves none). A changed byte costs bits and is tolerated alone or in
// twos: three changed bytes in a row, with palettes between them not counted, mean the copy is
// not aligned there. A palette of the tables may be recoloured, so its bytes prove something
// only where they all agree.
//
// A row is proven at the shift when its own palette agrees and lies in a stretch of agreeing
// bytes worth the threshold, or when such stretches lie on both sides of it, every byte between
// them aligned (palettes in between may differ: that is how a recoloured table is carried by
// its two ends). With a proven stretch on one side only, the row is tied to that side but
// not proven; when the bytes around it agree over the whole context but prove nothing (a fill),
// it only fits.
class PortEvidence {
public:
    struct Verdict {
        bool own = false;      // its palette agrees, inside a proven stretch
        bool enclosed = false; // proven stretches on both sides, aligned up to the row
        // Proven stretches on both sides, with more changed bytes between them than a proof
        // allows: not proof, but a place the row may well be.
        bool loose = false;
        bool tied = false; // a proven stretch on one side, aligned up to the row
        bool fits = false; // its surroundings agree, though they prove nothing
    };

    // `bits`: what an agreeing byte of each value is worth; `threshold`: the bits that make a
    // stretch proof.
    PortEvidence(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> other,
                 const std::array<double, 256> &bits, double threshold, std::size_t context);

    // The verdict at `shift` for each palette of `rows` (addresses in the reference, sorted),
    // which lie in [start, end) of the reference with `palette` marking every palette byte
    // of that stretch.
    void judge(std::size_t start, std::size_t end, const std::vector<bool> &palette,
               std::span<const std::int64_t> rows, std::int64_t shift,
               std::vector<Verdict> &verdicts);

    // Bytes before a byte that it may not repeat to count.
    static constexpr std::size_t kPeriod = 4;
    // Changed bytes in a row that are still read as changed, not as a copy out of line: with
    // a byte in twenty changed, four in a row between the palettes of a table are rare enough.
    static constexpr int kMostChanged = 3;
    // The same for a place the row may be at, though not proven there.
    static constexpr int kMostChangedLoosely = 8;
    // What a changed byte inside a stretch costs: a byte's worth, so that a copy with a
    // changed byte in twenty still proves its rows.
    static constexpr double kChangedCost = 6;

private:
    enum class Byte : std::uint8_t { Agrees, Differs, PaletteDiffers, Outside };
    // Runs of bytes aligned at the shift: each byte's run (or -1), each run's extent, and the
    // first byte of its first proven stretch and the end of its last.
    struct Runs {
        std::vector<std::int32_t> of;
        std::vector<std::size_t> begin, end, provenBegin, provenEnd;
    };
    struct Stretch {
        std::size_t begin, end;
    };
    void compare(std::size_t start, std::size_t end, const std::vector<bool> &palette,
                 std::int64_t shift);
    // Broken by more than `mostChanged` changed bytes in a row.
    void markRuns(int mostChanged, Runs &runs) const;
    void markStretches(std::size_t start);
    void markProven(Runs &runs) const;
    // Its verdict for the palette at `at` in `runs`: proven stretches on both sides of it, on one,
    // and whether its run reaches the whole context on both sides.
    void sides(const Runs &runs, std::size_t at, bool &both, bool &one, bool &fits) const;

    std::span<const std::uint8_t> m_reference, m_other;
    const std::array<double, 256> &m_bits;
    double m_threshold;
    std::size_t m_context;
    // For each byte of the stretch being judged:
    std::vector<Byte> m_bytes;
    Runs m_runs, m_looseRuns;
    std::vector<Stretch> m_proven;
    std::vector<bool> m_inProven;
};

} // namespace tintwright
