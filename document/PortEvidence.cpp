#include "PortEvidence.h"

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
void PortEvidence::markRuns(int mostChanged, std::vector<std::int32_t> &runs) const {
    const std::size_t n = m_bytes.size();
    std::vector<bool> bad(n, false);
    int streak = 0;
    std::size_t first = 0, last = 0;
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
    runs.assign(n, -1);
    for (std::size_t count = 0, i = 0; i < n; ++i) {
        if (bad[i] || m_bytes[i] == Byte::Outside)
            continue;
        runs[i] = i > 0 && runs[i - 1] >= 0 ? runs[i - 1] : std::int32_t(count++);
    }
}

// Stretches of agreeing bytes inside the runs, recoloured palettes cutting them, and which are
// worth the threshold.
void PortEvidence::markStretches(std::size_t start) {
    const std::size_t n = m_bytes.size();
    m_proven.clear();
    for (std::size_t i = 0; i < n;) {
        if (m_run[i] < 0 || m_bytes[i] == Byte::PaletteDiffers) {
            ++i;
            continue;
        }
        const std::size_t begin = i;
        double bits = 0;
        for (; i < n && m_run[i] == m_run[begin] && m_bytes[i] != Byte::PaletteDiffers; ++i) {
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

void PortEvidence::markSides(const std::vector<std::int32_t> &runs, std::vector<bool> &left,
                             std::vector<bool> &right) const {
    const std::size_t n = runs.size();
    left.assign(n, false);
    right.assign(n, false);
    // A stretch counts for the bytes of its own run only: before the first byte of each
    // stretch, after its last.
    for (std::size_t k = 0, i = 0; i < n; ++i) {
        while (k < m_proven.size() && m_proven[k].end <= i)
            ++k;
        left[i] = k > 0 && runs[i] >= 0 && runs[m_proven[k - 1].begin] == runs[i];
    }
    for (std::size_t k = m_proven.size(), i = n; i-- > 0;) {
        while (k > 0 && m_proven[k - 1].begin > i)
            --k;
        right[i] = k < m_proven.size() && runs[i] >= 0 && runs[m_proven[k].begin] == runs[i];
    }
}

void PortEvidence::judge(std::size_t start, std::size_t end, const std::vector<bool> &palette,
                         std::span<const std::int64_t> rows, std::int64_t shift,
                         std::vector<Verdict> &verdicts) {
    compare(start, end, palette, shift);
    markRuns(kMostChanged, m_run);
    markStretches(start);
    markSides(m_run, m_left, m_right);
    markRuns(kMostChangedLoosely, m_looseRun);
    markSides(m_looseRun, m_looseLeft, m_looseRight);
    const std::size_t n = end - start;
    verdicts.assign(rows.size(), {});
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::size_t at = std::size_t(rows[r]) - start;
        // A palette that does not lie wholly in the copy at this shift is not there.
        if (m_bytes[at] == Byte::Outside || m_bytes[at + 2] == Byte::Outside)
            continue;
        Verdict &v = verdicts[r];
        // Proven stretches wholly before and wholly after the palette, in its run.
        v.loose = m_looseRun[at] >= 0 && m_looseLeft[at] && m_looseRight[at + 2];
        const std::int32_t run = m_run[at];
        if (run < 0)
            continue;
        // Its own bytes prove it only where all three agree, inside a proven stretch.
        v.own = m_inProven[at] && m_inProven[at + 1] && m_inProven[at + 2];
        v.enclosed = m_left[at] && m_right[at + 2];
        v.tied = m_left[at] || m_right[at + 2];
        std::size_t from = at, to = at + 3;
        while (from > 0 && m_run[from - 1] == run && at - from < m_context)
            --from;
        while (to < n && m_run[to] == run && to - at - 3 < m_context)
            ++to;
        v.fits = (from == 0 || at - from >= m_context) && (to == n || to - at - 3 >= m_context);
    }
}

} // namespace tintwright
