#include "WindowIndex.h"

namespace tintwright {

// How many bytes a and b share from their start, at most `limit`: eight at a time.
std::size_t WindowIndex::common(const std::uint8_t *a, const std::uint8_t *b, std::size_t limit) {
    std::size_t length = 0;
    for (; length + 8 <= limit; length += 8) {
        const std::uint64_t differ = word(a + length) ^ word(b + length);
        if (differ != 0)
            return length + std::size_t(std::endian::native == std::endian::little
                                            ? std::countr_zero(differ)
                                            : std::countl_zero(differ)) /
                                8;
    }
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}

// How many bytes before a and b are the same, at most `limit`: eight at a time.
std::size_t WindowIndex::commonBefore(const std::uint8_t *a, const std::uint8_t *b,
                                      std::size_t limit) {
    std::size_t length = 0;
    for (; length + 8 <= limit; length += 8) {
        const std::uint64_t differ = word(a - length - 8) ^ word(b - length - 8);
        if (differ != 0)
            return length + std::size_t(std::endian::native == std::endian::little
                                            ? std::countl_zero(differ)
                                            : std::countr_zero(differ)) /
                                8;
    }
    while (length < limit && a[-1 - std::ptrdiff_t(length)] == b[-1 - std::ptrdiff_t(length)])
        ++length;
    return length;
}

} // namespace tintwright
