#include "PortEvidence.h"
#include "NesColour.h"

#include <algorithm>

namespace tintwright {

PortEvidence::PortEvidence(std::span<const std::uint8_t> reference,
                           std::span<const std::uint8_t> other, const std::array<double, 256> &bits,
                           double threshold, std::size_t context)
    : m_reference(reference), m_other(other), m_bits(bits), m_threshold(threshold),
      m_context(context) {}

void PortEvidence::compare(std::size_t start, std::size_t end, const std::vector<bool> &palette,
                           std::int64_t shift) {
    const std::size_t n = end - start;
    m_bytes.resize(n);
    const auto size = std::int64_t(m_other.size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::int64_t at = std::int64_t(start + i) + shift;
        if (at < 0 || at >= size)
            m_bytes[i] = Byte::Outside;
        else if (m_reference[start + i] == m_other[std::size_t(at)])
            m_bytes[i] = Byte::Agrees;
        else
            m_bytes[i] = palette[i] ? Byte::PaletteDiffers : Byte::Differs;
    }
}

// What lies between streaks of more than `mostChanged` changed bytes (recoloured palettes in
// a streak not counted, from its first changed byte to its last) and the copy's edges.
void PortEvidence::markRuns(int mostChanged, Runs &runs) const {
    const std::size_t n = m_bytes.size();
    std::vector<bool> bad(n, false);
    int streak = 0;
    std::size_t first{}, last{};
    for (std::size_t i = 0; i <= n; ++i) {
        const Byte b = i < n ? m_bytes[i] : Byte::Outside;
        if (b == Byte::Differs) {
            first = streak++ == 0 ? i : first;
            last = i;
        } else if (b != Byte::PaletteDiffers) {
            if (streak > mostChanged)
                std::fill(bad.begin() + std::ptrdiff_t(first),
                          bad.begin() + std::ptrdiff_t(last) + 1, true);
            streak = 0;
        }
    }
    runs = {};
    runs.of.assign(n, -1);
    for (std::size_t i = 0; i < n; ++i) {
        if (bad[i] || m_bytes[i] == Byte::Outside)
            continue;
        if (i == 0 || runs.of[i - 1] < 0) {
            runs.begin.push_back(i);
            runs.end.push_back(i);
        }
        runs.of[i] = std::int32_t(runs.begin.size()) - 1;
        ++runs.end.back();
    }
}

// Stretches of agreeing bytes inside the runs, recoloured palettes cutting them, and which are
// worth the threshold.
void PortEvidence::markStretches(std::size_t start) {
    const std::vector<std::int32_t> &run = m_runs.of;
    const std::size_t n = m_bytes.size();
    m_proven.clear();
    for (std::size_t i = 0; i < n;) {
        if (run[i] < 0 || m_bytes[i] == Byte::PaletteDiffers) {
            ++i;
            continue;
        }
        const std::size_t begin = i;
        double bits = 0;
        for (; i < n && run[i] == run[begin] && m_bytes[i] != Byte::PaletteDiffers; ++i) {
            if (m_bytes[i] == Byte::Differs) {
                bits -= kChangedCost;
                continue;
            }
            const std::uint8_t value = m_reference[start + i];
            bool repeats = false;
            for (std::size_t d = 1; d <= kPeriod && d <= i - begin; ++d)
                repeats = repeats || m_reference[start + i - d] == value;
            bits += repeats ? 0 : m_bits[value];
        }
        if (bits >= m_threshold)
            m_proven.push_back({begin, i});
    }
    m_inProven.assign(n, false);
    for (const Stretch &s : m_proven)
        std::fill(m_inProven.begin() + std::ptrdiff_t(s.begin),
                  m_inProven.begin() + std::ptrdiff_t(s.end), true);
}

// Each run's first and last proven stretch: a stretch lies in one run of either kind, as the
// loose runs hold the strict ones.
void PortEvidence::markProven(Runs &runs) const {
    runs.provenBegin.assign(runs.begin.size(), m_bytes.size());
    runs.provenEnd.assign(runs.begin.size(), 0);
    for (const Stretch &s : m_proven) {
        const auto r = std::size_t(runs.of[s.begin]);
        runs.provenBegin[r] = std::min(runs.provenBegin[r], s.begin);
        runs.provenEnd[r] = std::max(runs.provenEnd[r], s.end);
    }
}

void PortEvidence::sides(const Runs &runs, std::size_t at, bool &both, bool &one,
                         bool &fits) const {
    both = one = fits = false;
    if (runs.of[at] < 0)
        return;
    const auto r = std::size_t(runs.of[at]);
    // A proven stretch that reaches before the palette, and one that reaches beyond it.
    const bool left = runs.provenBegin[r] < at;
    const bool right = runs.provenEnd[r] > at + kPaletteBytes;
    both = left && right;
    one = left || right;
    fits = (runs.begin[r] == 0 || runs.begin[r] + m_context <= at) &&
           (runs.end[r] == m_bytes.size() || runs.end[r] >= at + kPaletteBytes + m_context);
}

void PortEvidence::judge(std::size_t start, std::size_t end, const std::vector<bool> &palette,
                         std::span<const std::int64_t> rows, std::int64_t shift,
                         std::vector<Verdict> &verdicts) {
    compare(start, end, palette, shift);
    markRuns(kMostChanged, m_runs);
    markStretches(start);
    markProven(m_runs);
    markRuns(kMostChangedLoosely, m_looseRuns);
    markProven(m_looseRuns);
    verdicts.assign(rows.size(), {});
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::size_t at = std::size_t(rows[r]) - start;
        // A palette that does not lie wholly in the copy at this shift is not there.
        if (m_bytes[at] == Byte::Outside || m_bytes[at + 2] == Byte::Outside)
            continue;
        Verdict &v = verdicts[r];
        bool unused = false;
        sides(m_looseRuns, at, v.loose, unused, unused);
        sides(m_runs, at, v.enclosed, v.tied, v.fits);
        // Its own bytes prove it only where all three agree, inside a proven stretch.
        v.own = m_inProven[at] && m_inProven[at + 1] && m_inProven[at + 2];
    }
}

} // namespace tintwright
