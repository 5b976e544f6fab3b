#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tintwright {

// Numbers as users read them in the program's texts.
class NumberText {
public:
    // Upper-case hexadecimal digits, at least `digits` of them: "0F", "008010".
    static std::string hex(std::uint64_t value, int digits);
    // The same digits written backwards from `end` into a buffer; where they start. For
    // writers that build long texts piece by piece.
    static char *hexBefore(char *end, std::uint64_t value, int digits);
    // A place in a file: "0x008010"; a negative table address stays as written, "-5".
    static std::string offset(std::int64_t value);
    // `value` written as `form` writes its number: decimal (with its + if it has one), or
    // hexadecimal after &H, 0x or $, in the same case, padded with zeros to as many digits
    // when the form's digits start with 0.
    static std::string inForm(std::int64_t value, std::string_view form);
    // An NES colour index or any byte: "$0F".
    static std::string colour(int value);
    // Hexadecimal digits alone, either case, read whole: nothing for an empty text, another
    // character (a sign, a prefix, a space) or a value past 32 bits.
    static std::optional<std::uint32_t> parseHex(std::string_view digits);
};

} // namespace tintwright
