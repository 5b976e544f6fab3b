#include "PalettePort.h"

#include "WindowIndex.h"

#include <algorithm>
#include <optional>

namespace tintwright {

namespace {

using Row = PalettePort::Row;
constexpr std::size_t kPalette = PalettePort::kPalette;
constexpr std::size_t kWindow = WindowIndex::kWindow;
constexpr std::size_t kStride = WindowIndex::kStride;
// A stretch this long without palette bytes holds a window at every phase of the index.
constexpr std::size_t kAnchor = kWindow + kStride - 1;
// Windows with the same hash looked at for one anchor.
constexpr std::size_t kDepth = 64;

class Porter {
public:
    Porter(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> other,
           std::vector<std::int64_t> addresses)
        : m_reference(reference), m_other(other), m_addresses(std::move(addresses)),
          m_rows(m_addresses.size()) {}

    std::vector<Row> run() {
        std::vector<std::pair<std::size_t, std::size_t>> groups; // first and last address
        for (std::size_t first = 0, k = 0; k < m_addresses.size(); ++k)
            if (k + 1 == m_addresses.size() ||
                m_addresses[k + 1] - m_addresses[k] > std::int64_t(kPalette + PalettePort::kGap)) {
                groups.emplace_back(first, k);
                first = k + 1;
            }
        while (!groups.empty()) {
            const auto [first, last] = groups.back();
            groups.pop_back();
            if (find(first, last) || first == last)
                continue;
            // Not found whole: split where the rows lie furthest apart.
            std::size_t split = first;
            for (std::size_t k = first; k < last; ++k)
                if (m_addresses[k + 1] - m_addresses[k] >
                    m_addresses[split + 1] - m_addresses[split])
                    split = k;
            groups.emplace_back(first, split);
            groups.emplace_back(split + 1, last);
        }
        return std::move(m_rows);
    }

private:
    // Looks for the group of addresses first to last; false when it lies nowhere.
    bool find(std::size_t first, std::size_t last) {
        const auto start = std::size_t(
            std::max<std::int64_t>(0, m_addresses[first] - std::int64_t(PalettePort::kContext)));
        const std::size_t end = std::min(m_reference.size(), std::size_t(m_addresses[last]) +
                                                                 kPalette + PalettePort::kContext);
        // The palette bytes in the stretch, of this group and of any neighbour, prove nothing.
        std::vector<bool> palette(end - start);
        for (auto at = std::lower_bound(m_addresses.begin(), m_addresses.end(),
                                        std::int64_t(start) - std::int64_t(kPalette) + 1);
             at != m_addresses.end() && *at < std::int64_t(end); ++at)
            for (std::int64_t i = std::max<std::int64_t>(*at, std::int64_t(start));
                 i < std::min<std::int64_t>(*at + std::int64_t(kPalette), std::int64_t(end)); ++i)
                palette[std::size_t(i) - start] = true;
        const auto matchesAt = [&](std::int64_t place) {
            if (place < 0 || std::size_t(place) + (end - start) > m_other.size())
                return false;
            for (std::size_t i = 0; i < end - start; ++i)
                if (!palette[i] && m_other[std::size_t(place) + i] != m_reference[start + i])
                    return false;
            return true;
        };
        std::vector<std::int64_t> places;
        bool samePlace = matchesAt(std::int64_t(start));
        if (samePlace) {
            places.push_back(std::int64_t(start));
        } else if (const auto anchor = anchorIn(start, palette)) {
            for (std::size_t phase = 0; phase < kStride; ++phase) {
                const std::uint8_t *window = m_reference.data() + start + *anchor + phase;
                index().alike(window, kDepth, [&](std::size_t at) {
                    const auto place = std::int64_t(at) - std::int64_t(*anchor + phase);
                    if (WindowIndex::word(m_other.data() + at) == WindowIndex::word(window) &&
                        places.size() <= PalettePort::kMostCandidates &&
                        std::find(places.begin(), places.end(), place) == places.end() &&
                        matchesAt(place))
                        places.push_back(place);
                });
            }
        }
        if (places.empty())
            return false;
        std::sort(places.begin(), places.end());
        places.resize(std::min(places.size(), PalettePort::kMostCandidates));
        for (std::size_t k = first; k <= last; ++k) {
            Row &row = m_rows[k];
            row.sure = places.size() == 1 ? PalettePort::Sure::One : PalettePort::Sure::Several;
            row.how = samePlace       ? PalettePort::How::SamePlace
                      : first == last ? PalettePort::How::Alone
                                      : PalettePort::How::WithGroup;
            for (const std::int64_t place : places)
                row.found.push_back(place + (m_addresses[k] - std::int64_t(start)));
        }
        return true;
    }

    // Where in the stretch from `start` to look it up: the stretch of kAnchor bytes free of
    // palettes whose first window has the most different bytes (a plain fill proves little).
    std::optional<std::size_t> anchorIn(std::size_t start, const std::vector<bool> &palette) const {
        std::optional<std::size_t> best;
        int bestScore = 1;
        for (std::size_t free = 0, i = 0; i < palette.size(); ++i) {
            free = palette[i] ? 0 : free + 1;
            if (free < kAnchor)
                continue;
            const std::size_t at = i + 1 - kAnchor;
            const std::uint8_t *window = m_reference.data() + start + at;
            int score = 0;
            for (std::size_t j = 0; j < kWindow; ++j)
                score += std::find(window, window + j, window[j]) == window + j;
            if (score > bestScore)
                best = at, bestScore = score;
        }
        return best;
    }

    // Every fourth window of the other copy, made when first wanted.
    const WindowIndex &index() {
        if (!m_index) {
            m_index.emplace(m_other.size());
            for (std::size_t at = 0; at + kWindow <= m_other.size(); at += kStride)
                m_index->add(m_other.data() + at, at);
        }
        return *m_index;
    }

    std::span<const std::uint8_t> m_reference, m_other;
    const std::vector<std::int64_t> m_addresses; // sorted, each once, all in the reference
    std::vector<Row> m_rows;                     // for each of them
    std::optional<WindowIndex> m_index;
};

} // namespace

PalettePort::Result PalettePort::port(std::span<const std::uint8_t> reference,
                                      std::span<const std::uint8_t> other,
                                      const LocationTables &tables) {
    std::vector<std::int64_t> addresses;
    for (const LocationTable *table : {&tables.back, &tables.front})
        for (const std::int32_t address : table->addresses)
            if (address >= 0 && std::size_t(address) + kPalette <= reference.size())
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
