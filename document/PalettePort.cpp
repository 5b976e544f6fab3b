#include "PalettePort.h"

#include "WindowIndex.h"

#include <algorithm>
#include <bit>
#include <optional>

namespace tintwright {

namespace {

using Row = PalettePort::Row;
using Sure = PalettePort::Sure;
using How = PalettePort::How;
constexpr std::size_t kPalette = PalettePort::kPalette;
constexpr std::size_t kWindow = WindowIndex::kWindow;
// The scan reads every eighth window of the other copy: a stretch of kAnchor bytes without
// palettes holds a window at every phase of it, and the context on each side of a group is
// at least that long.
constexpr std::size_t kStride = 8;
constexpr std::size_t kAnchor = kWindow + kStride - 1;
static_assert(kAnchor <= PalettePort::kContext);
// Bytes around a group that must agree for a place to count: fewer agree by chance too often.
constexpr std::size_t kEvidence = 11;
// Places tried for one group in one scan: a window that is everywhere proves nothing.
constexpr std::size_t kMostTries = 4096;

// Rows that lie close together, looked for as one: the stretch of the reference around them
// (kContext bytes each side) and which of its bytes are palettes, which prove nothing.
struct Group {
    Group(std::size_t first, std::size_t last) : first(first), last(last) {}
    std::size_t first, last;   // rows, by index into the sorted addresses
    std::size_t start = 0;     // the stretch in the reference
    std::vector<bool> palette; // for each byte of the stretch
    std::optional<std::size_t> anchor;
    std::vector<std::int64_t> places; // where the stretch starts in the other copy
    std::size_t tries = 0;
};

class Porter {
public:
    Porter(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> other,
           std::vector<std::int64_t> addresses)
        : m_reference(reference), m_other(other), m_addresses(std::move(addresses)),
          m_rows(m_addresses.size()) {}

    std::vector<Row> run() {
        std::vector<Group> pending;
        for (std::size_t first = 0, k = 0; k < m_addresses.size(); ++k)
            if (k + 1 == m_addresses.size() ||
                m_addresses[k + 1] - m_addresses[k] > std::int64_t(kPalette + PalettePort::kGap)) {
                pending.push_back(group(first, k));
                first = k + 1;
            }
        // Each round looks for every pending group in one pass over the other copy; a group
        // found nowhere is split where its rows lie furthest apart, and each part is first
        // tried where its nearest neighbours went.
        while (!pending.empty()) {
            scan(pending);
            std::vector<Group> next;
            for (Group &g : pending) {
                if (!g.places.empty()) {
                    settle(g, false);
                    continue;
                }
                if (g.first == g.last)
                    continue; // not found: the row stays None
                // Of equal gaps the one nearest the middle, so that a table of evenly spaced
                // rows is halved rather than peeled a row a round.
                const auto gap = [&](std::size_t k) {
                    const std::size_t middle = (g.first + g.last) / 2;
                    return std::pair(m_addresses[k + 1] - m_addresses[k],
                                     -std::int64_t(k > middle ? k - middle : middle - k));
                };
                std::size_t split = g.first;
                for (std::size_t k = g.first; k < g.last; ++k)
                    if (gap(k) > gap(split))
                        split = k;
                next.push_back(group(g.first, split));
                next.push_back(group(split + 1, g.last));
            }
            std::erase_if(next, [&](Group &g) { return withNeighbours(g); });
            pending = std::move(next);
        }
        return std::move(m_rows);
    }

private:
    Group group(std::size_t first, std::size_t last) const {
        Group g(first, last);
        g.start = std::size_t(
            std::max<std::int64_t>(0, m_addresses[first] - std::int64_t(PalettePort::kContext)));
        const std::size_t end = std::min(m_reference.size(), std::size_t(m_addresses[last]) +
                                                                 kPalette + PalettePort::kContext);
        // The palette bytes in the stretch, of this group and of any neighbour.
        g.palette.assign(end - g.start, false);
        for (auto at = std::lower_bound(m_addresses.begin(), m_addresses.end(),
                                        std::int64_t(g.start) - std::int64_t(kPalette) + 1);
             at != m_addresses.end() && *at < std::int64_t(end); ++at)
            for (std::int64_t i = std::max<std::int64_t>(*at, std::int64_t(g.start));
                 i < std::min<std::int64_t>(*at + std::int64_t(kPalette), std::int64_t(end)); ++i)
                g.palette[std::size_t(i) - g.start] = true;
        // The stretch of kAnchor bytes free of palettes whose first window has the most
        // different bytes: a plain fill is everywhere.
        int bestScore = 1;
        for (std::size_t free = 0, i = 0; i < g.palette.size(); ++i) {
            free = g.palette[i] ? 0 : free + 1;
            if (free < kAnchor)
                continue;
            const std::size_t at = i + 1 - kAnchor;
            const std::uint8_t *window = m_reference.data() + g.start + at;
            int score = 0;
            for (std::size_t j = 0; j < kWindow; ++j)
                score += std::find(window, window + j, window[j]) == window + j;
            if (score > bestScore)
                g.anchor = at, bestScore = score;
        }
        return g;
    }

    // Whether the stretch of `g` is at `place` in the other copy: every byte that is no
    // palette the same, where the other copy has it. The group's own palettes must lie in it,
    // and enough bytes must be compared to be worth anything.
    bool matchesAt(const Group &g, std::int64_t place) const {
        const auto size = std::int64_t(m_other.size());
        const std::int64_t shift = place - std::int64_t(g.start);
        if (m_addresses[g.first] + shift < 0 ||
            m_addresses[g.last] + shift + std::int64_t(kPalette) > size)
            return false;
        std::size_t compared = 0;
        for (std::size_t i = 0; i < g.palette.size(); ++i) {
            const std::int64_t at = place + std::int64_t(i);
            if (g.palette[i] || at < 0 || at >= size)
                continue;
            if (m_other[std::size_t(at)] != m_reference[g.start + i])
                return false;
            ++compared;
        }
        return compared >= kEvidence;
    }

    // One pass over the other copy for the anchors of every group: each place where an anchor
    // lies and the whole stretch matches is noted, a few beyond the most that are listed.
    void scan(std::vector<Group> &groups) {
        struct Entry {
            std::uint64_t word;
            std::uint32_t group;
            std::uint32_t offset; // of the window in the stretch
        };
        std::vector<Entry> entries;
        for (std::size_t n = 0; n < groups.size(); ++n) {
            Group &g = groups[n];
            // The same place first: most copies leave most rows where they were.
            if (matchesAt(g, std::int64_t(g.start)))
                g.places.push_back(std::int64_t(g.start));
            if (!g.anchor)
                continue;
            for (std::size_t phase = 0; phase < kStride; ++phase) {
                const std::size_t offset = *g.anchor + phase;
                entries.push_back({WindowIndex::word(m_reference.data() + g.start + offset),
                                   std::uint32_t(n), std::uint32_t(offset)});
            }
        }
        if (entries.empty() || m_other.size() < kWindow)
            return;
        // An open table of the anchors, and in front of it a filter that stays in the cache:
        // most windows of the other copy are in no group. Each anchor sets two bits of one
        // word of it, about 16 bits an anchor, so one read in fifty passes a window on.
        const int tableBits = int(std::bit_width(entries.size() * 2 - 1));
        const int filterBits = std::max(10, int(std::bit_width(entries.size() / 4)));
        std::vector<std::int32_t> table(std::size_t(1) << tableBits, -1);
        std::vector<std::uint64_t> filter(std::size_t(1) << filterBits);
        const auto hashOf = [](std::uint64_t word) { return word * 0x9E3779B97F4A7C15u; };
        const auto bitsOf = [](std::uint64_t hash) {
            return std::uint64_t(1) << (hash >> 20 & 63) | std::uint64_t(1) << (hash >> 26 & 63);
        };
        for (std::size_t e = 0; e < entries.size(); ++e) {
            const std::uint64_t hash = hashOf(entries[e].word);
            filter[hash >> (64 - filterBits)] |= bitsOf(hash);
            std::size_t slot = hash >> (64 - tableBits);
            while (table[slot] >= 0)
                slot = (slot + 1) & (table.size() - 1);
            table[slot] = std::int32_t(e);
        }
        const auto candidate = [&](std::size_t at, std::uint64_t word) {
            for (std::size_t slot = hashOf(word) >> (64 - tableBits); table[slot] >= 0;
                 slot = (slot + 1) & (table.size() - 1)) {
                const Entry &entry = entries[std::size_t(table[slot])];
                Group &g = groups[entry.group];
                if (entry.word != word || g.places.size() > PalettePort::kMostCandidates ||
                    g.tries >= kMostTries)
                    continue;
                const std::int64_t place = std::int64_t(at) - std::int64_t(entry.offset);
                if (std::find(g.places.begin(), g.places.end(), place) != g.places.end())
                    continue;
                ++g.tries;
                if (matchesAt(g, place))
                    g.places.push_back(place);
            }
        };
        // The pass itself touches only the file and the filter, kept in registers.
        const std::uint8_t *const data = m_other.data();
        const std::uint64_t *const bits = filter.data();
        const int below = 64 - filterBits;
        const std::size_t last = m_other.size() - kWindow;
        for (std::size_t at = 0; at <= last; at += kStride) {
            const std::uint64_t word = WindowIndex::word(data + at);
            const std::uint64_t hash = hashOf(word), wanted = bitsOf(hash);
            if ((bits[hash >> below] & wanted) == wanted) [[unlikely]]
                candidate(at, word);
        }
    }

    // A group not found whole tried where the nearest rows found before and after it went.
    bool withNeighbours(Group &g) {
        std::vector<std::int64_t> shifts;
        for (std::size_t k = g.first; k-- > 0;)
            if (m_rows[k].sure == Sure::One) {
                shifts.push_back(m_rows[k].found[0] - m_addresses[k]);
                break;
            }
        for (std::size_t k = g.last + 1; k < m_rows.size(); ++k)
            if (m_rows[k].sure == Sure::One) {
                shifts.push_back(m_rows[k].found[0] - m_addresses[k]);
                break;
            }
        for (const std::int64_t shift : shifts)
            if (const std::int64_t place = std::int64_t(g.start) + shift; matchesAt(g, place)) {
                g.places = {place};
                settle(g, true);
                return true;
            }
        return false;
    }

    void settle(Group &g, bool byNeighbours) {
        std::sort(g.places.begin(), g.places.end());
        g.places.erase(std::unique(g.places.begin(), g.places.end()), g.places.end());
        g.places.resize(std::min(g.places.size(), PalettePort::kMostCandidates));
        for (std::size_t k = g.first; k <= g.last; ++k) {
            Row &row = m_rows[k];
            row.sure = g.places.size() == 1 ? Sure::One : Sure::Several;
            row.how = g.places.size() == 1 && g.places[0] == std::int64_t(g.start) ? How::SamePlace
                      : g.first < g.last || byNeighbours                           ? How::WithGroup
                                                                                   : How::Alone;
            row.found.clear();
            for (const std::int64_t place : g.places)
                row.found.push_back(place + (m_addresses[k] - std::int64_t(g.start)));
        }
    }

    std::span<const std::uint8_t> m_reference, m_other;
    const std::vector<std::int64_t> m_addresses; // sorted, each once, all in the reference
    std::vector<Row> m_rows;                     // for each of them
};

} // namespace

PalettePort::Result PalettePort::port(std::span<const std::uint8_t> reference,
                                      std::span<const std::uint8_t> other,
                                      const LocationTables &tables) {
    std::vector<std::int64_t> addresses;
    std::size_t backRows = 0;
    for (const bool front : {false, true}) {
        for (const std::int32_t address : tables.of(front).addresses)
            if (address >= 0 && std::size_t(address) + kPalette <= reference.size())
                addresses.push_back(address);
        backRows = front ? backRows : addresses.size();
    }
    // Tables are mostly written in order: then two runs are merged, not sorted again.
    const auto middle = addresses.begin() + std::ptrdiff_t(backRows);
    if (std::is_sorted(addresses.begin(), middle) && std::is_sorted(middle, addresses.end()))
        std::inplace_merge(addresses.begin(), middle, addresses.end());
    else
        std::sort(addresses.begin(), addresses.end());
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    const std::vector<Row> found = Porter(reference, other, addresses).run();
    Result result;
    for (const bool front : {false, true}) {
        std::vector<Row> &rows = front ? result.front : result.back;
        for (const std::int32_t address : tables.of(front).addresses) {
            const auto at = std::lower_bound(addresses.begin(), addresses.end(), address);
            rows.push_back(at != addresses.end() && *at == address
                               ? found[std::size_t(at - addresses.begin())]
                               : Row{});
        }
    }
    return result;
}

} // namespace tintwright
