#include "NumberText.h"

namespace tintwright {

std::string NumberText::hex(std::uint64_t value, int digits) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (; value > 0 || digits > 0; value >>= 4, --digits)
        out.insert(out.begin(), kDigits[value & 0xF]);
    return out;
}

std::string NumberText::offset(std::int64_t value) {
    return value < 0 ? std::to_string(value) : "0x" + hex(std::uint64_t(value), 6);
}

std::string NumberText::colour(int value) {
    return "$" + hex(std::uint64_t(value), 2);
}

} // namespace tintwright
