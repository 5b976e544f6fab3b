#include "BpsPatch.h"
#include "BpsFormat.h"
#include "BpsMatcher.h"

#include "document/Checksum.h"
#include "document/NumberText.h"
#include "document/Problem.h"

#include <algorithm>
#include <cstring>
#include <future>
#include <string>
#include <utility>

namespace tintwright {

namespace {

using enum BpsFormat::Action;

void putCrc(BpsPatch::Bytes &out, std::uint32_t crc) {
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(crc >> (8 * i)));
}

// Reads a patch front to back, every read checked against its end (the footer excluded).
class Reader {
public:
    // The actions end where the footer's three CRC32s begin.
    explicit Reader(std::span<const std::uint8_t> patch)
        : m_patch(patch), m_end(patch.size() - std::min<std::size_t>(patch.size(), 12)) {}
    std::size_t at() const { return m_at; }
    bool done() const { return m_at >= m_end; }
    std::uint64_t number(const char *what) {
        const std::size_t start = m_at;
        std::uint64_t value = 0, shift = 1;
        for (;;) {
            if (m_at >= m_end)
                throw Problem::atOffset(start, std::string("the patch ends inside ") + what);
            const std::uint8_t byte = m_patch[m_at++];
            const std::uint64_t part = (byte & BpsFormat::kNumberDigit) * shift;
            if (shift > (std::uint64_t(1) << 56) || part > ~value)
                throw Problem::atOffset(start, std::string(what) + " is too large a number");
            value += part;
            if (byte & BpsFormat::kNumberLast)
                return value;
            shift <<= BpsFormat::kNumberBits;
            if (shift > ~value)
                throw Problem::atOffset(start, std::string(what) + " is too large a number");
            value += shift;
        }
    }
    std::span<const std::uint8_t> bytes(std::uint64_t count, const char *what) {
        if (count > m_end - m_at)
            throw Problem::atOffset(m_at, std::string("the patch ends inside ") + what);
        m_at += std::size_t(count);
        return m_patch.subspan(m_at - std::size_t(count), std::size_t(count));
    }

private:
    std::span<const std::uint8_t> m_patch;
    std::size_t m_end;
    std::size_t m_at = 4;
};

std::string describe(std::uint64_t size, std::uint32_t crc) {
    return std::to_string(size) + " bytes with CRC32 " + NumberText::hex(crc, 8);
}

std::uint32_t crcAt(std::span<const std::uint8_t> patch, std::size_t at) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < 4; ++i) // least significant byte first
        crc |= std::uint32_t(patch[at + i]) << (8 * i);
    return crc;
}

// The header and footer checked; the reader placed at the first action.
BpsPatch::Info header(std::span<const std::uint8_t> patch, Reader &reader) {
    if (patch.size() < 4)
        throw Problem::atOffset(0, "it is too short to be a BPS patch");
    if (std::memcmp(patch.data(), "BPS1", 4) != 0)
        throw Problem::atOffset(0, "it does not start with BPS1, so it is no BPS patch");
    if (patch.size() < 4 + 3 + 12)
        throw Problem::atOffset(patch.size(),
                                "the patch is too short to hold its sizes and checksums");
    BpsPatch::Info info;
    const std::size_t footer = patch.size() - 12;
    info.sourceCrc = crcAt(patch, footer);
    info.targetCrc = crcAt(patch, footer + 4);
    info.patchCrc = crcAt(patch, footer + 8);
    if (Checksum::crc32(patch.first(footer + 8)) != info.patchCrc)
        throw Problem::atOffset(footer + 8, "the patch is damaged: its own CRC32 does not match");
    info.sourceSize = reader.number("the source size");
    info.targetSize = reader.number("the target size");
    info.metadata = reader.number("the metadata size");
    reader.bytes(info.metadata, "the metadata");
    return info;
}

// The header read and the source checked against it, before anything is made.
BpsPatch::Info forSource(std::span<const std::uint8_t> source, std::span<const std::uint8_t> patch,
                         Reader &reader) {
    const BpsPatch::Info info = header(patch, reader);
    // Before anything is made: a lying size must cost nothing.
    if (info.targetSize > BpsPatch::kLargestTarget)
        throw Problem::atOffset(4, "the target would be larger than 1 GiB (" +
                                       std::to_string(info.targetSize) + " bytes)");
    const std::uint32_t sourceCrc = Checksum::crc32(source);
    if (info.targetSize == source.size() && sourceCrc == info.targetCrc &&
        (info.sourceSize != source.size() || sourceCrc != info.sourceCrc))
        throw Problem::atOffset(
            0, "this ROM already has the patch: it is the result the patch makes (" +
                   describe(info.targetSize, info.targetCrc) + ")");
    if (info.sourceSize != source.size() || sourceCrc != info.sourceCrc)
        throw Problem::atOffset(0, "this patch is not for this ROM: it wants " +
                                       describe(info.sourceSize, info.sourceCrc) + ", not " +
                                       describe(source.size(), sourceCrc));
    return info;
}

void checkResult(std::uint32_t madeCrc, std::span<const std::uint8_t> patch,
                 const BpsPatch::Info &info) {
    if (madeCrc != info.targetCrc)
        throw Problem::atOffset(patch.size() - 8,
                                "the result's CRC32 is not the one the patch names");
}

// Works out `work`, which reads `bytes` bytes, on another core where there is one, beside what
// the caller goes on with. Where no thread can be had, or the work is too little to be worth
// one, it is done when its result is asked for.
template <typename Work> auto beside(std::size_t bytes, Work work) {
    const bool worth = bytes >= (std::size_t(1) << 20); // no-mutate: only speed depends on it
    return std::async(worth ? std::launch::async | std::launch::deferred : std::launch::deferred,
                      std::move(work));
}

// Keeps what the actions make: the target grows with what they write, never ahead of them.
class Built {
public:
    explicit Built(std::size_t room) { m_made.reserve(room); }
    bool put(std::span<const std::uint8_t> bytes) {
        m_made.insert(m_made.end(), bytes.begin(), bytes.end());
        return true;
    }
    // The copy may go on into the bytes it writes itself, so it goes a byte at a time.
    bool copy(std::size_t from, std::size_t length) {
        for (std::size_t i = 0; i < length; ++i)
            m_made.push_back(m_made[from + i]);
        return true;
    }
    BpsPatch::Bytes &made() { return m_made; }

private:
    BpsPatch::Bytes m_made;
};

// Compares what the actions make with a target given whole, keeping none of it. A copy from the
// target reads the target itself: the bytes it copies were made, and found the same, before.
class Compared {
public:
    explicit Compared(std::span<const std::uint8_t> target) : m_target(target) {}
    bool put(std::span<const std::uint8_t> bytes) { return same(bytes.data(), bytes.size()); }
    bool copy(std::size_t from, std::size_t length) { return same(m_target.data() + from, length); }

private:
    bool same(const std::uint8_t *bytes, std::size_t length) {
        m_at += length;
        return std::memcmp(m_target.data() + m_at - length, bytes, length) == 0;
    }

    std::span<const std::uint8_t> m_target;
    std::size_t m_at = 0;
};

// Carries out the actions, handing what each makes to `sink`: false as soon as the sink finds
// it wrong.
template <typename Sink>
bool act(std::span<const std::uint8_t> source, Reader &reader, const BpsPatch::Info &info,
         Sink &sink) {
    std::size_t out = 0;
    std::int64_t sourceAt = 0, targetAt = 0;
    // A copy starts inside its file: the source, or the target as far as it is written.
    const auto offset = [&](std::int64_t &at, std::uint64_t limit, std::size_t where) {
        const std::int64_t delta = BpsFormat::deltaOf(reader.number("an action's offset"));
        if ((delta < 0 ? -delta : delta) > std::int64_t(limit))
            throw Problem::atOffset(where, "a copy reaches outside the file it copies from");
        at += delta;
        if (at < 0 || std::uint64_t(at) >= limit)
            throw Problem::atOffset(where, "a copy reaches outside the file it copies from");
    };
    while (!reader.done()) {
        const std::size_t where = reader.at();
        const std::uint64_t data = reader.number("an action");
        const std::uint64_t length = BpsFormat::lengthOf(data);
        if (length > info.targetSize - out)
            throw Problem::atOffset(where, "an action writes past the end of the target");
        bool same = true;
        switch (BpsFormat::kindOf(data)) {
        case SourceRead:
            if (out + length > source.size())
                throw Problem::atOffset(where, "an action reads past the end of the source");
            same = sink.put(source.subspan(out, std::size_t(length)));
            break;
        case TargetRead:
            same = sink.put(reader.bytes(length, "an action's bytes"));
            break;
        case SourceCopy:
            offset(sourceAt, source.size(), where);
            if (length > source.size() - std::uint64_t(sourceAt))
                throw Problem::atOffset(where, "a copy reaches outside the file it copies from");
            same = sink.put(source.subspan(std::size_t(sourceAt), std::size_t(length)));
            sourceAt += std::int64_t(length);
            break;
        case TargetCopy:
            offset(targetAt, out, where);
            same = sink.copy(std::size_t(targetAt), std::size_t(length));
            targetAt += std::int64_t(length);
            break;
        }
        if (!same)
            return false;
        out += std::size_t(length);
    }
    if (out != info.targetSize)
        throw Problem::atOffset(reader.at(), "the actions end before the target is complete");
    return true;
}

} // namespace

BpsPatch::Bytes BpsPatch::create(std::span<const std::uint8_t> source,
                                 std::span<const std::uint8_t> target) {
    Bytes out{'B', 'P', 'S', '1'};
    // Room for the worst case, which costs nothing until it is written.
    out.reserve(target.size() + target.size() / 32 + 64);
    BpsFormat::putNumber(out, source.size());
    BpsFormat::putNumber(out, target.size());
    BpsFormat::putNumber(out, 0);
    auto crcs = beside(source.size() + target.size(),
                       [&] { return std::pair(Checksum::crc32(source), Checksum::crc32(target)); });
    BpsMatcher::encode(source, target, out);
    const auto [sourceCrc, targetCrc] = crcs.get();
    putCrc(out, sourceCrc);
    putCrc(out, targetCrc);
    putCrc(out, Checksum::crc32(out));
    return out;
}

BpsPatch::Info BpsPatch::info(std::span<const std::uint8_t> patch) {
    Reader reader(patch);
    Info info = header(patch, reader);
    for (; !reader.done(); ++info.actions) {
        const std::uint64_t data = reader.number("an action");
        if (BpsFormat::kindOf(data) == TargetRead)
            reader.bytes(BpsFormat::lengthOf(data), "an action's bytes");
        else if (BpsFormat::kindOf(data) != SourceRead)
            reader.number("an action's offset");
    }
    return info;
}

BpsPatch::Bytes BpsPatch::apply(std::span<const std::uint8_t> source,
                                std::span<const std::uint8_t> patch) {
    Reader reader(patch);
    const Info info = forSource(source, patch, reader);
    Built built(
        std::size_t(std::min<std::uint64_t>(info.targetSize, source.size() + patch.size())));
    act(source, reader, info, built);
    checkResult(Checksum::crc32(built.made()), patch, info);
    return std::move(built.made());
}

bool BpsPatch::makes(std::span<const std::uint8_t> source, std::span<const std::uint8_t> patch,
                     std::span<const std::uint8_t> target) {
    auto targetCrc = beside(target.size(), [&] { return Checksum::crc32(target); });
    Reader reader(patch);
    const Info info = forSource(source, patch, reader);
    if (info.targetSize != target.size())
        return false;
    Compared compared(target);
    if (!act(source, reader, info, compared))
        return false;
    checkResult(targetCrc.get(), patch, info);
    return true;
}

} // namespace tintwright
