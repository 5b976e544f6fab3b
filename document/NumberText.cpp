#include "NumberText.h"

#include <algorithm>
#include <charconv>

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

std::string NumberText::inForm(std::int64_t value, std::string_view form) {
    const bool hexForm = form.starts_with("&H") || form.starts_with("&h") ||
                         form.starts_with("0x") || form.starts_with("0X") || form.starts_with('$');
    const std::size_t prefix = hexForm ? (form[0] == '$' ? 1 : 2) : form.starts_with('+');
    const std::string_view digits = form.substr(prefix);
    const auto width = digits.starts_with('0') ? digits.size() : 0;
    if (!hexForm || value < 0) {
        std::string number = std::to_string(value < 0 ? -value : value);
        number.insert(0, width - std::min(width, number.size()), '0');
        return (value < 0 ? "-" : std::string(form.substr(0, prefix))) + number;
    }
    std::string number = hex(std::uint64_t(value), int(std::max<std::size_t>(width, 1)));
    if (digits.find_first_of("abcdef") != std::string_view::npos)
        for (char &c : number)
            c = char(c >= 'A' ? c - 'A' + 'a' : c);
    return std::string(form.substr(0, prefix)) + number;
}

std::string NumberText::colour(int value) {
    return "$" + hex(std::uint64_t(value), 2);
}

std::optional<std::uint32_t> NumberText::parseHex(std::string_view digits) {
    std::uint32_t value = 0;
    const char *end = digits.data() + digits.size();
    const auto [stop, fault] = std::from_chars(digits.data(), end, value, 16);
    if (digits.empty() || fault != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

} // namespace tintwright
