#include "PalettePort.h"

#include "PortEvidence.h"
#include "WindowIndex.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>

namespace tintwright {

namespace {

using Row = PalettePort::Row;
using Sure = PalettePort::Sure;
using How = PalettePort::How;
using Verdict = PortEvidence::Verdict;
constexpr std::size_t kContext = PalettePort::kContext;
constexpr std::size_t kWindow = WindowIndex::kWindow;
// The copy is read at every fourth byte, the reference's windows at every byte: any run of
// kWindow + kCopyStep - 1 = 11 agreeing bytes is seen, and a stretch around a row holds such a
// run even with a byte in twenty changed.
constexpr std::size_t kCopyStep = 4; // no-mutate: any step sees runs of kWindow + it - 1
// Places kept for one window of the reference: a window found at more is common (a fill, a
// pattern), and only its first places are candidates.
constexpr std::size_t kMostPlaces = 8;   // no-mutate: where common begins; only speed
constexpr std::size_t kCommonPlaces = 4; // the places a common window offers as candidates
// Shifts judged for one group: the ones the most windows point to.
constexpr std::size_t kMostShifts = 16; // no-mutate: more shifts judged cost only time
// How sure a proof must be: a proven stretch agrees by chance at one place of the copy with a
// chance below 2^-(its bits), so its bits must exceed log2 of the places it could fall on
// (the copy's size) and of the stretches tried (about one a row), by this many bits more: one
// chance in 65,536 that any row of a port is proven somewhere by accident.
constexpr double kConfidence = 16; // no-mutate: a margin, as right one bit either way
// What one agreeing byte is worth at most: ROM bytes are not independent (code repeats its
// patterns), so no value counts as rarer than one in 64.
constexpr double kMostBits = 6; // no-mutate: a cap, as right one bit either way

// Rows that lie close together, with the stretch of the reference around them.
struct Group {
    std::size_t first, last; // rows, by index into the sorted addresses
    std::size_t start, end;  // the stretch, kContext beyond the outer palettes
    bool common = false;     // some of its windows are everywhere in the copy
    std::vector<std::int64_t> shifts;
};

// The bits an agreeing byte of each value is worth: how rare it is in the copy, from every
// 16th byte (or all bytes of a small copy).
std::array<double, 256> bitsOf(std::span<const std::uint8_t> other) {
    std::array<std::uint64_t, 256> counts{};
    const std::size_t step = other.size() >= (std::size_t(1) << 20) ? 16 : 1; // no-mutate: speed
    std::uint64_t samples = 0;
    for (std::size_t at = 0; at < other.size();
         at += step, ++samples) // no-mutate: any start samples the same rarity
        ++counts[other[at]];
    std::array<double, 256> bits{};
    std::transform(counts.begin(), counts.end(), bits.begin(), [samples](std::uint64_t count) {
        return std::min(kMostBits, -std::log2(double(count + 1) / double(samples + 256)));
    });
    return bits;
}

class Porter {
public:
    Porter(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> other,
           std::vector<std::int64_t> addresses)
        : m_reference(reference), m_other(other), m_addresses(std::move(addresses)),
          m_rows(m_addresses.size()) {}

    std::vector<Row> run() {
        makeGroups();
        findShifts();
        const double threshold = std::log2(double(m_other.size()) + 1) +
                                 std::log2(double(m_addresses.size()) + 1) + kConfidence;
        const auto bits = bitsOf(m_other);
        PortEvidence evidence(m_reference, m_other, bits, threshold, kContext);
        for (const Group &g : m_groups)
            judge(g, evidence);
        return std::move(m_rows);
    }

private:
    void makeGroups() {
        for (std::size_t first = 0, k = 0; k < m_addresses.size(); ++k) {
            if (k + 1 < m_addresses.size() &&
                m_addresses[k + 1] - m_addresses[k] <= std::int64_t(kPaletteBytes + 2 * kContext))
                continue;
            Group g{first, k, 0, 0, false, {}};
            g.start = std::size_t(std::max<std::int64_t>(0, m_addresses[first] - kContext));
            g.end = std::min(m_reference.size(),
                             std::size_t(m_addresses[k]) + kPaletteBytes + kContext);
            m_groups.push_back(g);
            first = k + 1;
        }
    }

    void findShifts();
    static std::vector<std::int64_t> topShifts(std::vector<std::int64_t> &votes);
    void judge(const Group &g, PortEvidence &evidence);
    // The shifts at which a row is proven by its own bytes, enclosed, loosely enclosed, tied,
    // and where it fits: each shift in the first that holds.
    using Verdicts = std::array<std::vector<std::int64_t>, 5>;
    static void decide(Row &row, std::int64_t address, const Verdicts &at, bool common);

    std::span<const std::uint8_t> m_reference, m_other;
    const std::vector<std::int64_t> m_addresses; // sorted, each once, all in the reference
    std::vector<Row> m_rows;                     // for each of them
    std::vector<Group> m_groups;
};

// The windows of the reference: each distinct window once, with the places it is found in the
// copy (the first ones, and how many in all), and the windows of the groups' stretches that
// hold it.
class Windows {
public:
    explicit Windows(std::size_t most)
        : m_bits(int(std::bit_width(most * 2 - 1))), m_slots(std::size_t(1) << m_bits, -1) {}

    void add(std::uint64_t word, std::uint32_t at, std::uint32_t group) {
        const std::size_t slot = slotOf(word);
        if (m_slots[slot] < 0) {
            m_slots[slot] = std::int32_t(m_words.size());
            m_words.push_back(word);
            m_first.push_back(-1);
        }
        // Newest first: each window's stretches from the last back to the first.
        const auto w = std::size_t(m_slots[slot]);
        m_next.push_back(m_first[w]);
        m_first[w] = std::int32_t(m_seeds.size());
        m_seeds.push_back({at, group});
    }

    // One pass over the copy, every kCopyStep bytes, behind a filter that stays in the cache:
    // most of the copy's windows are in no group.
    void find(std::span<const std::uint8_t> other);

    struct Seed {
        std::uint32_t at, group;
    };
    std::size_t size() const { return m_words.size(); }
    std::uint32_t count(std::size_t w) const { return m_counts[w]; }
    std::uint32_t place(std::size_t w, std::size_t k) const {
        return m_places[w * kMostPlaces + k];
    }
    // The stretches that hold window `w`, the last first.
    template <typename Visit> void seeds(std::size_t w, Visit &&visit) const {
        for (std::int32_t s = m_first[w]; s >= 0; s = m_next[std::size_t(s)])
            visit(m_seeds[std::size_t(s)]);
    }

private:
    // The slot that holds `word`, or the free one where it goes: open addressing, one step at a
    // time, in a table never more than half full.
    std::size_t slotOf(std::uint64_t word) const {
        std::size_t slot = WindowIndex::hashOfWord(word) >> (64 - m_bits);
        while (m_slots[slot] >= 0 && m_words[std::size_t(m_slots[slot])] != word)
            slot = (slot + 1) & (m_slots.size() - 1); // no-mutate: any step finds what it put
        return slot;
    }

    int m_bits;
    std::vector<std::int32_t> m_slots;
    std::vector<std::uint64_t> m_words;
    std::vector<std::int32_t> m_first, m_next;
    std::vector<Seed> m_seeds;
    std::vector<std::uint32_t> m_counts, m_places;
};

void Windows::find(std::span<const std::uint8_t> other) {
    m_counts.assign(m_words.size(), 0);
    m_places.assign(m_words.size() * kMostPlaces, 0);
    if (m_words.empty() || other.size() < kWindow)
        return;
    // The filter only saves lookups: its size and hash change the speed, never what is found.
    const int filterBits = std::max(10, int(std::bit_width(m_words.size() / 4))); // no-mutate: size
    std::vector<std::uint64_t> filter(std::size_t(1) << filterBits);
    // Two fields of six bits of a word's hash pick the two of its filter word's 64 bits it sets.
    constexpr int kFieldBits = 6, kFirstField = 20, kSecondField = 26; // no-mutate: the filter
    constexpr std::uint64_t kField = (1u << kFieldBits) - 1;
    const auto bitsOf = [](std::uint64_t hash) {
        return std::uint64_t(1) << (hash >> kFirstField & kField) |
               std::uint64_t(1) << (hash >> kSecondField & kField);
    };
    for (const std::uint64_t word : m_words) {
        const std::uint64_t hash = WindowIndex::hashOfWord(word);
        filter[hash >> (64 - filterBits)] |= bitsOf(hash);
    }
    const std::uint8_t *const data = other.data();
    const std::uint64_t *const bits = filter.data();
    const int below = 64 - filterBits;
    const std::size_t last = other.size() - kWindow;
    for (std::size_t at = 0; at <= last; at += kCopyStep) {
        const std::uint64_t word = WindowIndex::word(data + at);
        const std::uint64_t hash = WindowIndex::hashOfWord(word), wanted = bitsOf(hash);
        if ((bits[hash >> below] & wanted) != wanted) [[likely]]
            continue;
        const std::int32_t found = m_slots[slotOf(word)];
        if (found < 0)
            continue;
        const auto w = std::size_t(found);
        if (m_counts[w] < kMostPlaces)
            m_places[w * kMostPlaces + m_counts[w]] = std::uint32_t(at);
        m_counts[w] += m_counts[w] < std::numeric_limits<std::uint32_t>::max();
    }
}

// Every window of every group's stretch, looked for in one pass over the copy; each place one
// is found gives its group a candidate shift, and the shifts most windows agree on are judged.
void Porter::findShifts() {
    std::size_t most = 1;
    for (const Group &g : m_groups)
        most += g.end - g.start;
    Windows windows(most);
    for (std::size_t n = 0; n < m_groups.size(); ++n)
        for (std::size_t at = m_groups[n].start; at + kWindow <= m_groups[n].end; ++at)
            windows.add(WindowIndex::word(&m_reference[at]), std::uint32_t(at), std::uint32_t(n));
    windows.find(m_other);
    std::vector<std::vector<std::int64_t>> votes(m_groups.size());
    for (std::size_t w = 0; w < windows.size(); ++w) {
        const bool common = windows.count(w) > kMostPlaces;
        const std::size_t kept =
            std::min<std::size_t>(windows.count(w), common ? kCommonPlaces : kMostPlaces);
        // A common window votes once a group, from its first place in the stretch: laid on the
        // first places of a fill or a pattern in the copy, the whole stretch falls inside it.
        std::optional<Windows::Seed> pending;
        const auto vote = [&](const Windows::Seed &seed) {
            for (std::size_t k = 0; k < kept; ++k)
                votes[seed.group].push_back(std::int64_t(windows.place(w, k)) -
                                            std::int64_t(seed.at));
        };
        windows.seeds(w, [&](const Windows::Seed &seed) {
            m_groups[seed.group].common = m_groups[seed.group].common || common;
            if (!common)
                vote(seed);
            else if (pending && pending->group != seed.group)
                vote(*std::exchange(pending, seed));
            else
                pending = seed;
        });
        if (pending)
            vote(*pending);
    }
    for (std::size_t n = 0; n < m_groups.size(); ++n)
        m_groups[n].shifts = topShifts(votes[n]);
}

// The shifts most windows point to, and the same place, each once.
std::vector<std::int64_t> Porter::topShifts(std::vector<std::int64_t> &votes) {
    std::sort(votes.begin(), votes.end());
    std::vector<std::pair<std::size_t, std::int64_t>> tally;
    for (std::size_t i = 0, j = 0; i < votes.size(); i = j) {
        while (j < votes.size() && votes[j] == votes[i])
            ++j;
        tally.emplace_back(j - i, votes[i]);
    }
    const auto kept = tally.begin() + std::ptrdiff_t(std::min(tally.size(), kMostShifts));
    std::partial_sort(tally.begin(), kept, tally.end(), [](const auto &x, const auto &y) {
        return x.first != y.first ? x.first > y.first : x.second < y.second;
    });
    std::vector<std::int64_t> shifts{0};
    for (auto it = tally.begin(); it != kept; ++it)
        shifts.push_back(it->second);
    std::sort(shifts.begin(), shifts.end());
    shifts.erase(std::unique(shifts.begin(), shifts.end()), shifts.end());
    return shifts;
}

// What the verdicts at every shift add up to. Proof at one place makes the row found there,
// unless it may well be at another: enclosed there across more changed bytes than proof
// allows, or, when its own bytes differ at the proven place too, tied to one side there.
// Without proof, two places it is tied to or fits at make it ambiguous; one place makes
// nothing certain, unless its surroundings are everywhere in the copy.
void Porter::decide(Row &row, std::int64_t address, const Verdicts &at, bool common) {
    const auto &[own, enclosed, loose, tied, fits] = at;
    std::vector<std::int64_t> shifts = own;
    shifts.insert(shifts.end(), enclosed.begin(), enclosed.end());
    const bool proven = !shifts.empty();
    if (proven) {
        shifts.insert(shifts.end(), loose.begin(), loose.end());
        if (own.empty())
            shifts.insert(shifts.end(), tied.begin(), tied.end());
    } else {
        shifts = loose;
        shifts.insert(shifts.end(), tied.begin(), tied.end());
        if (shifts.size() < 2)
            shifts.insert(shifts.end(), fits.begin(), fits.end());
    }
    std::sort(shifts.begin(), shifts.end());
    if (shifts.size() == 1 && proven) {
        row.sure = Sure::One;
    } else if (shifts.size() > 1 || (shifts.size() == 1 && common)) {
        row.sure = Sure::Several;
        row.more = common || shifts.size() > PalettePort::kMostCandidates;
    } else {
        return;
    }
    for (std::size_t k = 0; k < std::min(shifts.size(), PalettePort::kMostCandidates); ++k)
        row.found.push_back(address + shifts[k]);
}

// Each row of the group at each candidate shift, then what the verdicts add up to.
void Porter::judge(const Group &g, PortEvidence &evidence) {
    std::vector<bool> palette(g.end - g.start, false);
    for (std::size_t k = g.first; k <= g.last; ++k)
        for (std::size_t i = 0; i < kPaletteBytes; ++i)
            palette[std::size_t(m_addresses[k]) + i - g.start] = true;
    const auto rows = std::span(m_addresses).subspan(g.first, g.last - g.first + 1);
    // For each row, the shifts where its own bytes prove it, where its surroundings do, where
    // they loosely enclose it, where it is tied to one side only, and where it fits.
    std::vector<Verdicts> at(rows.size());
    std::vector<Verdict> verdicts;
    for (const std::int64_t shift : g.shifts) {
        evidence.judge(g.start, g.end, palette, rows, shift, verdicts);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const Verdict &v = verdicts[r];
            const int list = v.own        ? 0
                             : v.enclosed ? 1
                             : v.loose    ? 2
                             : v.tied     ? 3
                             : v.fits     ? 4
                                          : -1;
            if (list >= 0)
                at[r][std::size_t(list)].push_back(shift);
        }
    }
    for (std::size_t r = 0; r < rows.size(); ++r)
        decide(m_rows[g.first + r], rows[r], at[r], g.common);
    // How each found row went: where it was, with others of its group, or alone.
    for (std::size_t k = g.first; k <= g.last; ++k) {
        Row &row = m_rows[k];
        if (row.sure != Sure::One)
            continue;
        const std::int64_t shift = row.found[0] - m_addresses[k];
        bool together = false;
        for (std::size_t j = g.first; j <= g.last && !together; ++j)
            together = j != k && m_rows[j].sure == Sure::One &&
                       m_rows[j].found[0] - m_addresses[j] == shift;
        row.how = shift == 0 ? How::SamePlace : together ? How::WithGroup : How::Alone;
    }
}

} // namespace

PalettePort::Result PalettePort::port(std::span<const std::uint8_t> reference,
                                      std::span<const std::uint8_t> other,
                                      const LocationTables &tables) {
    std::vector<std::int64_t> addresses;
    for (const bool front : {false, true})
        for (const std::int32_t address : tables.of(front).addresses)
            if (address >= 0 && std::size_t(address) + kPaletteBytes <= reference.size())
                addresses.push_back(address);
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
