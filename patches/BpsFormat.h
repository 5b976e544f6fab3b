#pragma once

#include <cstdint>
#include <vector>

namespace tintwright {

// The pieces of a BPS patch as the format defines them, for the maker and the reader alike:
// numbers of seven bits a byte, least significant first, the last byte flagged (and each
// longer form starting where the shorter ones end, so every number has one writing); an
// action, its kind in the low two bits and its length less one above; and a copy's offset
// from where the last copy of its kind ended, its size above a sign bit.
class BpsFormat {
public:
    using Bytes = std::vector<std::uint8_t>;

    enum Action : std::uint64_t { SourceRead, TargetRead, SourceCopy, TargetCopy };

    static constexpr int kNumberBits = 7;
    static constexpr std::uint8_t kNumberDigit = 0x7F, kNumberLast = 0x80;
    static void putNumber(Bytes &out, std::uint64_t value);
    static std::size_t numberSize(std::uint64_t value);

    static constexpr int kKindBits = 2;
    static constexpr std::uint64_t action(Action kind, std::uint64_t length) {
        return (length - 1) << kKindBits | kind;
    }
    static constexpr Action kindOf(std::uint64_t action) {
        return Action(action & ((1u << kKindBits) - 1));
    }
    static constexpr std::uint64_t lengthOf(std::uint64_t action) {
        return (action >> kKindBits) + 1;
    }

    static constexpr std::uint64_t offset(std::int64_t delta) {
        const bool back = delta < 0;
        return std::uint64_t(back ? -delta : delta) << 1 | std::uint64_t(back);
    }
    static constexpr std::int64_t deltaOf(std::uint64_t offset) {
        const auto size = std::int64_t(offset >> 1);
        return offset & 1 ? -size : size;
    }
};

} // namespace tintwright
