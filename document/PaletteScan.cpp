#include "PaletteScan.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TINTWRIGHT_SIFT 1
#endif

namespace tintwright {

PaletteScan::PaletteScan(const std::vector<PaletteClue::Pattern> &patterns) {
    for (std::size_t p = 0; p < patterns.size() && p < kMostPatterns; ++p)
        for (std::size_t k = 0; k < kPaletteBytes; ++k)
            for (int colour = 0; colour < NesColour::kCount; ++colour)
                if (patterns[p][k] >> colour & 1) {
                    m_accepts[k][std::size_t(colour)] |= std::uint64_t(1) << p;
                    m_lowBits[k][std::size_t(colour & 0xF)] |= std::uint8_t(1 << (colour >> 4));
                }
}

void PaletteScan::run(std::span<const std::uint8_t> rom,
                      const std::function<void(std::size_t, std::uint64_t)> &found,
                      Sift sifting) const {
    const std::size_t end = rom.size() < kPaletteBytes ? 0 : rom.size() - (kPaletteBytes - 1);
    for (std::size_t at = sift(rom, found, sifting); at < end; ++at)
        if (const std::uint64_t patterns = patternsAt(rom.data() + at); patterns != 0)
            found(at, patterns);
}

#ifdef TINTWRIGHT_SIFT

namespace {

using LowBits = std::array<std::array<std::uint8_t, 16>, kPaletteBytes>;

// Per high four bits of a byte, the bit that stands for them: 1, 2, 4, 8 for $0x to $3x, in
// the lowest four bytes of a vector; none for the bytes above $3F.
constexpr int kHighBits = 0x08040201;

// Which of 16 bytes may stand at a place: a colour's high four bits pick a bit (1, 2, 4 or 8,
// none for bytes above $3F), its low four bits the colours of that row allowed there.
__attribute__((target("ssse3"))) __m128i allowed(__m128i bytes, __m128i lowBits) {
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i highBit = _mm_cvtsi32_si128(kHighBits);
    const __m128i low = _mm_shuffle_epi8(lowBits, _mm_and_si128(bytes, nibble));
    const __m128i high = _mm_shuffle_epi8(highBit, _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble));
    return _mm_cmpeq_epi8(_mm_and_si128(low, high), _mm_setzero_si128()); // 0xFF: not allowed
}

__attribute__((target("ssse3"))) std::size_t
siftBlocks(const std::uint8_t *bytes, std::size_t size, const LowBits &lowBits,
           const std::function<void(std::size_t)> &candidate) {
    constexpr std::size_t kBlock = 16;
    const auto table = [&](std::size_t k) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(lowBits[k].data()));
    };
    const __m128i first = table(0), second = table(1), third = table(2);
    std::size_t at = 0;
    for (; at + kBlock + 2 <= size; at += kBlock) {
        const auto load = [&](std::size_t k) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + at + k));
        };
        const __m128i refused =
            _mm_or_si128(_mm_or_si128(allowed(load(0), first), allowed(load(1), second)),
                         allowed(load(2), third));
        for (unsigned left = ~unsigned(_mm_movemask_epi8(refused)) & 0xFFFFu; left != 0;
             left &= left - 1)
            candidate(at + unsigned(__builtin_ctz(left)));
    }
    return at;
}

// The same, 32 bytes at a time.
__attribute__((target("avx2"))) __m256i allowed32(__m256i bytes, __m256i lowBits) {
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i highBit = _mm256_broadcastsi128_si256(_mm_cvtsi32_si128(kHighBits));
    const __m256i low = _mm256_shuffle_epi8(lowBits, _mm256_and_si256(bytes, nibble));
    const __m256i high =
        _mm256_shuffle_epi8(highBit, _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble));
    return _mm256_cmpeq_epi8(_mm256_and_si256(low, high), _mm256_setzero_si256());
}

__attribute__((target("avx2"))) std::size_t
siftBlocks32(const std::uint8_t *bytes, std::size_t size, const LowBits &lowBits,
             const std::function<void(std::size_t)> &candidate) {
    constexpr std::size_t kBlock = 32;
    __m256i tables[kPaletteBytes];
    for (std::size_t k = 0; k < kPaletteBytes; ++k)
        tables[k] = _mm256_broadcastsi128_si256(
            _mm_loadu_si128(reinterpret_cast<const __m128i *>(lowBits[k].data())));
    std::size_t at = 0;
    for (; at + kBlock + 2 <= size; at += kBlock) {
        const auto *block = reinterpret_cast<const __m256i *>(bytes + at);
        const auto *next = reinterpret_cast<const __m256i *>(bytes + at + 1);
        const auto *last = reinterpret_cast<const __m256i *>(bytes + at + 2);
        const __m256i refused =
            _mm256_or_si256(_mm256_or_si256(allowed32(_mm256_loadu_si256(block), tables[0]),
                                            allowed32(_mm256_loadu_si256(next), tables[1])),
                            allowed32(_mm256_loadu_si256(last), tables[2]));
        for (unsigned left = ~unsigned(_mm256_movemask_epi8(refused)); left != 0; left &= left - 1)
            candidate(at + unsigned(__builtin_ctz(left)));
    }
    return at;
}

} // namespace

std::size_t PaletteScan::sift(std::span<const std::uint8_t> rom,
                              const std::function<void(std::size_t, std::uint64_t)> &found,
                              Sift sifting) const {
    const auto check = [&](std::size_t at) {
        if (const std::uint64_t patterns = patternsAt(rom.data() + at); patterns != 0)
            found(at, patterns);
    };
    if (sifting == Sift::Widest && __builtin_cpu_supports("avx2"))
        return siftBlocks32(rom.data(), rom.size(), m_lowBits, check);
    if (sifting != Sift::None && __builtin_cpu_supports("ssse3"))
        return siftBlocks(rom.data(), rom.size(), m_lowBits, check);
    return 0;
}

#else

std::size_t PaletteScan::sift(std::span<const std::uint8_t>,
                              const std::function<void(std::size_t, std::uint64_t)> &, Sift) const {
    return {}; // every place is checked one by one
}

#endif

} // namespace tintwright
