#include "NumberText.h"

namespace tintwright {

char *NumberText::hexBefore(char *end, std::uint64_t value, int digits) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    for (; value > 0 || digits > 0; value >>= 4, --digits)
        *--end = kDigits[value & 0xF];
    return end;
}

std::string NumberText::hex(std::uint64_t value, int digits) {
    char text[24];
    return std::string(hexBefore(text + sizeof text, value, digits), text + sizeof text);
}

std::string NumberText::offset(std::int64_t value) {
    return value < 0 ? std::to_string(value) : "0x" + hex(std::uint64_t(value), 6);
}

std::string NumberText::colour(int value) {
    return "$" + hex(std::uint64_t(value), 2);
}

} // namespace tintwright
