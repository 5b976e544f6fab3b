#include "IpsPatch.h"

#include "document/Problem.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <limits>
#include <string>

namespace tintwright {

namespace {

constexpr std::uint32_t kEofMark = 0x454F46; // "EOF", where a record must not start
constexpr std::size_t kLongest = 65535;      // bytes in one record, or in one run

std::uint32_t bigEndian(std::span<const std::uint8_t> bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[at + std::size_t(i)];
    return value;
}

void putBigEndian(IpsPatch::Bytes &out, std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

struct Record {
    std::uint32_t offset;
    std::uint32_t size;
    bool run;
    std::size_t data; // where the bytes are in the patch
    std::uint8_t value;
};

// Walks the records, each checked to lie inside the patch; returns the length to cut to, if any.
template <typename Visit>
std::optional<std::uint32_t> walk(std::span<const std::uint8_t> patch, Visit visit) {
    if (patch.size() < 5)
        throw Problem::atOffset(0, "it is too short to be an IPS patch");
    if (std::memcmp(patch.data(), "PATCH", 5) != 0)
        throw Problem::atOffset(0, "it does not start with PATCH, so it is no IPS patch");
    std::size_t at = 5;
    const auto need = [&](std::size_t count, const char *what) {
        if (patch.size() - at < count)
            throw Problem::atOffset(at, std::string("the patch ends inside ") + what);
    };
    for (;;) {
        need(3, "a record's offset, with no EOF");
        const std::uint32_t offset = bigEndian(patch, at, 3);
        if (offset == kEofMark) {
            at += 3;
            break;
        }
        need(5, "a record's size");
        const std::uint32_t size = bigEndian(patch, at + 3, 2);
        const std::size_t start = at;
        at += 5;
        if (size == 0) {
            need(3, "a run record");
            const std::uint32_t count = bigEndian(patch, at, 2);
            if (count == 0)
                throw Problem::atOffset(start, "a run record repeats a byte no times");
            visit(Record{offset, count, true, at, patch[at + 2]});
            at += 3;
        } else {
            need(size, "a record's bytes");
            visit(Record{offset, size, false, at, 0});
            at += size;
        }
    }
    if (at == patch.size())
        return std::nullopt;
    if (patch.size() - at == 3)
        return bigEndian(patch, at, 3);
    throw Problem::atOffset(at, "bytes follow EOF that are not a 3-byte length");
}

// The cheapest records that write every changed byte of edited[start, end), by dynamic
// programming: each changed byte is in a literal record (5 bytes and its data) or a run record
// (8 bytes); unchanged bytes may be left out or written again.
template <typename Changed>
void encodeRegion(IpsPatch::Bytes &out, std::span<const std::uint8_t> edited, Changed changed,
                  std::size_t start, std::size_t end) {
    const std::size_t length = end - start;
    constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max() / 2;
    std::vector<std::int64_t> cost(length + 1, kNone);
    std::vector<std::size_t> from(length + 1, 0);
    std::vector<char> kind(length + 1, 0); // 's'kip, 'l'iteral, 'r'un
    cost[0] = 0;
    std::deque<std::size_t> window; // literal starts, cost[j] - j increasing
    std::size_t runStart = 0;
    for (std::size_t i = 1; i <= length; ++i) {
        const std::size_t j0 = i - 1;
        if (cost[j0] != kNone && start + j0 != kEofMark) {
            const auto key = [&](std::size_t j) { return cost[j] - std::int64_t(j); };
            while (!window.empty() && key(window.back()) >= key(j0))
                window.pop_back();
            window.push_back(j0);
        }
        while (!window.empty() && i - window.front() > kLongest)
            window.pop_front();
        if (i >= 2 && edited[start + i - 1] != edited[start + i - 2])
            runStart = i - 1;
        const auto offer = [&](std::int64_t value, std::size_t j, char how) {
            if (value < cost[i]) {
                cost[i] = value;
                from[i] = j;
                kind[i] = how;
            }
        };
        if (!changed(start + i - 1) && cost[i - 1] != kNone)
            offer(cost[i - 1], i - 1, 's');
        if (!window.empty())
            offer(cost[window.front()] + 5 + std::int64_t(i - window.front()), window.front(), 'l');
        std::size_t j = std::max(runStart, i > kLongest ? i - kLongest : 0);
        if (start + j == kEofMark)
            ++j;
        if (j < i && cost[j] != kNone)
            offer(cost[j] + 8, j, 'r');
    }
    std::vector<std::pair<std::size_t, std::size_t>> records;
    for (std::size_t i = length; i > 0; i = from[i])
        if (kind[i] != 's')
            records.emplace_back(from[i], i);
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        const auto [j, i] = *it;
        putBigEndian(out, std::uint32_t(start + j), 3);
        if (kind[i] == 'r') {
            putBigEndian(out, 0, 2);
            putBigEndian(out, std::uint32_t(i - j), 2);
            out.push_back(edited[start + j]);
        } else {
            putBigEndian(out, std::uint32_t(i - j), 2);
            out.insert(out.end(), edited.begin() + std::ptrdiff_t(start + j),
                       edited.begin() + std::ptrdiff_t(start + i));
        }
    }
}

} // namespace

std::vector<std::pair<std::size_t, std::size_t>>
IpsPatch::regions(std::span<const std::uint8_t> original, std::span<const std::uint8_t> edited) {
    const std::size_t common = std::min(original.size(), edited.size());
    const auto changed = [&](std::size_t i) { return i >= common || original[i] != edited[i]; };
    std::vector<std::pair<std::size_t, std::size_t>> found;
    for (std::size_t i = 0; i < edited.size();) {
        // Whole blocks first: most of the file is unchanged.
        while (i + 64 <= common && std::memcmp(&original[i], &edited[i], 64) == 0)
            i += 64;
        if (i >= edited.size() || !changed(i)) {
            ++i;
            continue;
        }
        // Changes go to one region when fewer than 6 unchanged bytes lie between them (a new
        // record costs 5), or when one run can cross the bytes between: they and the changes
        // on both sides hold the same value, as in a fill.
        std::size_t end = i + 1;
        while (end < edited.size()) {
            const std::uint8_t last = edited[end - 1];
            bool uniform = true;
            std::size_t next = end;
            for (; next < edited.size() && !changed(next) && (uniform || next - end < 6); ++next)
                uniform = uniform && edited[next] == last;
            if (next >= edited.size() || !changed(next) ||
                (next - end >= 6 && !(uniform && edited[next] == last)))
                break;
            end = next + 1;
        }
        found.emplace_back(i, end);
        i = end;
    }
    return found;
}

IpsPatch::Bytes IpsPatch::create(std::span<const std::uint8_t> original,
                                 std::span<const std::uint8_t> edited) {
    const std::size_t common = std::min(original.size(), edited.size());
    const auto changed = [&](std::size_t i) { return i >= common || original[i] != edited[i]; };
    if (edited.size() < original.size() && edited.size() >= kReach)
        throw Problem::atOffset(edited.size(),
                                "the edited file is shorter, and its length does not "
                                "fit in 3 bytes: make a BPS patch instead");
    Bytes out{'P', 'A', 'T', 'C', 'H'};
    for (const auto &[start, end] : regions(original, edited)) {
        if (end > kReach)
            throw Problem::atOffset(std::max<std::size_t>(start, kReach),
                                    "a change lies at 16 MiB or beyond, where IPS offsets cannot "
                                    "reach: make a BPS patch instead");
        encodeRegion(out, edited, changed, start == kEofMark ? start - 1 : start, end);
    }
    out.insert(out.end(), {'E', 'O', 'F'});
    if (edited.size() < original.size())
        putBigEndian(out, std::uint32_t(edited.size()), 3);
    return out;
}

IpsPatch::Bytes IpsPatch::apply(std::span<const std::uint8_t> original,
                                std::span<const std::uint8_t> patch) {
    Bytes out(original.begin(), original.end());
    const auto truncation = walk(patch, [&](const Record &record) {
        const std::size_t end = std::size_t(record.offset) + record.size;
        out.resize(std::max(out.size(), end));
        if (record.run)
            std::fill(out.begin() + record.offset, out.begin() + std::ptrdiff_t(end), record.value);
        else
            std::copy_n(patch.begin() + std::ptrdiff_t(record.data), record.size,
                        out.begin() + record.offset);
    });
    if (truncation && *truncation > out.size())
        throw Problem::atOffset(patch.size() - 3,
                                "the length to cut the file to lies past its end");
    if (truncation)
        out.resize(*truncation);
    return out;
}

IpsPatch::Info IpsPatch::info(std::span<const std::uint8_t> patch) {
    Info info;
    info.truncation = walk(patch, [&](const Record &) { ++info.records; });
    return info;
}

} // namespace tintwright
