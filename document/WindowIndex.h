#pragma once

#include "ByteBuffer.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <utility>

namespace tintwright {

// Windows by their hash, each slot the newest window and a chain back to older ones with the
// same hash: one entry for every indexed window, however repetitive the content. Only the
// newest kDepth windows of a chain are ever tried.
class WindowIndex {
public:
    // Eight bytes make a window; the caller indexes every fourth, so a match of eleven bytes
    // or more is always seen, and the tables hold a quarter of the positions.
    static constexpr std::size_t kWindow = 8;
    static constexpr std::size_t kStride = 4;
    // Positions are kept in 32 bits, as a window's number counted from 1: files up to this.
    static constexpr std::size_t kLargest =
        std::size_t(std::numeric_limits<std::uint32_t>::max() - 1) * kStride;

    static std::uint64_t word(const std::uint8_t *at) {
        std::uint64_t value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    // How many bytes a and b share from their start, at most `limit`: eight at a time.
    static std::size_t common(const std::uint8_t *a, const std::uint8_t *b, std::size_t limit);
    // How many bytes before a and b are the same, at most `limit`.
    static std::size_t commonBefore(const std::uint8_t *a, const std::uint8_t *b,
                                    std::size_t limit);

    // Dense: the tables whole, for a file all of whose windows are added. Sparse: only the
    // parts of them that are used take memory, for a file only a few stretches of which are.
    enum class Layout { Dense, Sparse };

    // Entries count indexed windows from 1, so 0 is none: the tables need no filling.
    explicit WindowIndex(std::size_t size, Layout layout = Layout::Dense)
        : WindowIndex(size / kStride, slotBits(size / kStride), layout) {}
    // Windows of one byte repeated are left out: a run is found by where it ends.
    void add(const std::uint8_t *window, std::size_t at) {
        const std::uint64_t bytes = word(window);
        if (((bytes ^ (bytes >> 8)) & 0x00FFFFFFFFFFFFFFu) == 0)
            return;
        const Key key = keyOf(hashOf(window));
        std::uint32_t &head = m_cells.at(m_heads + key.slot);
        m_cells.at(at / kStride) = head;
        head = std::uint32_t(at / kStride + 1) | key.tag;
    }
    // Adds every kStride-th window of `file`, in order. The slots are fetched well ahead of
    // their windows, so the misses of many adds overlap instead of coming one after another.
    void addAll(std::span<const std::uint8_t> file) {
        constexpr std::size_t kAhead = 64 * kStride;
        std::size_t at = 0;
        for (; at + kAhead + kWindow <= file.size(); at += kStride) {
            prefetch(hashOf(file.data() + at + kAhead));
            add(file.data() + at, at);
        }
        for (; at + kWindow <= file.size(); at += kStride)
            add(file.data() + at, at);
    }
    // Calls `visit(at)` for the indexed windows whose hash is like that of the window at
    // `window`, newest first, `depth` of them at most: their bytes are the caller's to compare.
    template <typename Visit>
    void alike(const std::uint8_t *window, std::size_t depth, Visit &&visit) const {
        const Key key = keyOf(hashOf(window));
        std::uint32_t entry = m_cells[m_heads + key.slot];
        for (std::size_t tried = 0; entry != 0 && tried < depth; ++tried) {
            const std::uint32_t number = entry & m_numbers;
            const bool same = (entry ^ key.tag) <= m_numbers;
            entry = m_cells[number - 1];
            if (same)
                visit(std::size_t(number - 1) * kStride);
        }
    }

    // Where a match with `here` goes furthest, and how far (at most `limit(at)` bytes), of the
    // places before `before` whose window `phase` bytes on is like the one `phase` bytes on
    // from `here`.
    template <typename Limit>
    std::pair<std::size_t, std::size_t>
    longest(std::span<const std::uint8_t> file, const std::uint8_t *here, std::size_t phase,
            std::size_t depth, std::size_t before, Limit limit) const {
        std::pair<std::size_t, std::size_t> best{0, 0};
        alike(here + phase, depth, [&](std::size_t window) {
            const std::size_t at = window - phase;
            if (window < phase || at >= before)
                return;
            // Only a match longer than the best so far is worth measuring.
            const std::size_t most = limit(at);
            if (most <= best.second || file[at + best.second] != here[best.second])
                return;
            const std::size_t length = common(file.data() + at, here, most);
            if (length > best.second)
                best = {at, length};
        });
        return best;
    }

    // Whether the newest window indexed as like this one is, in `file`, the same as `here`:
    // the quick test for new content, which reads no chain. A match whose window lies deeper
    // is found by its windows further on.
    bool holds(std::span<const std::uint8_t> file, const std::uint8_t *here,
               std::uint64_t hash) const {
        const Key key = keyOf(hash);
        const std::uint32_t entry = m_cells[m_heads + key.slot];
        return entry != 0 && (entry ^ key.tag) <= m_numbers &&
               word(file.data() + std::size_t((entry & m_numbers) - 1) * kStride) == word(here);
    }

    // Brings the slot of a window that will soon be looked up into the cache.
    void prefetch(std::uint64_t hash) const {
        __builtin_prefetch(m_cells.place(m_heads + keyOf(hash).slot));
    }

    // Fibonacci hashing: 2^64 over the golden ratio spreads nearby words over the top bits.
    static constexpr std::uint64_t kHashFactor = 0x9E3779B97F4A7C15u;
    static std::uint64_t hashOfWord(std::uint64_t word) { return word * kHashFactor; }
    static std::uint64_t hashOf(const std::uint8_t *window) { return hashOfWord(word(window)); }

private:
    // The tables' entries, 0 until set: the chain's, then the heads'. Sparse ones are made a
    // cache line at a time where first set, each line after the last one made, so the memory
    // touched follows the entries set. One buffer for both tables, so that it is large enough
    // for huge pages.
    class Cells {
    public:
        // Sparse, the last line is made whole.
        Cells(std::size_t count, Layout layout)
            : m_sparse(layout == Layout::Sparse),
              m_cells((m_sparse ? (count / kLine + 1) * kLine : count) * sizeof(std::uint32_t)),
              m_lines(m_sparse ? (count / kLine + 1) * sizeof(std::uint32_t) : 0) {}
        std::uint32_t operator[](std::size_t i) const {
            if (!m_sparse)
                return cells()[i];
            const std::uint32_t line = lines()[i / kLine];
            return line == 0 ? 0 : cells()[std::size_t(line - 1) * kLine + i % kLine];
        }
        std::uint32_t &at(std::size_t i) {
            if (!m_sparse)
                return cells()[i];
            std::uint32_t &line = lines()[i / kLine];
            if (line == 0)
                line = ++m_made;
            return cells()[std::size_t(line - 1) * kLine + i % kLine];
        }
        // What a lookup of entry i reads first.
        const void *place(std::size_t i) const {
            return m_sparse ? static_cast<const void *>(lines() + i / kLine) : cells() + i;
        }

    private:
        static constexpr std::size_t kLine = 64 / sizeof(std::uint32_t);
        std::uint32_t *cells() const { return reinterpret_cast<std::uint32_t *>(m_cells.get()); }
        std::uint32_t *lines() const { return reinterpret_cast<std::uint32_t *>(m_lines.get()); }

        bool m_sparse;
        ByteBuffer m_cells;
        ByteBuffer m_lines; // sparse: where each line of entries was made, counted from 1
        std::uint32_t m_made = 0;
    };

    // Each member made from the arguments alone, whatever the order of their making.
    WindowIndex(std::size_t windows, int bits, Layout layout)
        : m_bits(bits), m_numbers(std::uint32_t(std::bit_ceil(windows + 1) - 1)), m_heads(windows),
          m_cells(windows + (std::size_t(1) << bits), layout) {}
    // As many slots as windows, rounded down to a power of two; one at least.
    static int slotBits(std::size_t windows) {
        int bits = 0;
        while ((std::size_t(2) << bits) <= windows)
            ++bits;
        return bits;
    }
    // An entry holds the window's number and, in the bits the numbers leave free, more of its
    // hash: most windows unlike the one looked up are passed over without reading the file.
    struct Key {
        std::size_t slot;
        std::uint32_t tag;
    };
    Key keyOf(std::uint64_t hash) const {
        return {std::size_t(hash >> (64 - m_bits)),
                (std::uint32_t(hash >> 32) << m_bits) & ~m_numbers};
    }

    const int m_bits;              // of a hash, that pick its slot
    const std::uint32_t m_numbers; // the bits of an entry that hold a window's number
    const std::size_t m_heads;     // where the heads' entries start
    Cells m_cells;
};

} // namespace tintwright
