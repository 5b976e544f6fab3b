#include "TextEncoding.h"

#include "NumberText.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace tintwright {

namespace {

// 0x80..0x9F of Windows-1252; 0 marks the five unassigned bytes, kept as C1 controls.
constexpr char16_t kHighTable[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The lead bytes of two-, three- and four-byte sequences, and the least value each may carry.
struct Lead {
    std::uint8_t mask, bits;
    int extra;
    char32_t min;
};
constexpr Lead kLeads[] = {{0xE0, 0xC0, 1, 0x80}, {0xF0, 0xE0, 2, 0x800}, {0xF8, 0xF0, 3, 0x10000}};

void appendUtf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::size_t TextEncoding::sequenceAt(std::string_view bytes, std::size_t at) {
    const auto c = static_cast<std::uint8_t>(bytes[at]);
    if (c < 0x80)
        return 1;
    const Lead *lead = std::find_if(std::begin(kLeads), std::end(kLeads),
                                    [c](const Lead &l) { return (c & l.mask) == l.bits; });
    if (lead == std::end(kLeads) || at + lead->extra >= bytes.size())
        return 0;
    char32_t value = c & ~lead->mask;
    for (int k = 1; k <= lead->extra; ++k) {
        const auto cc = static_cast<std::uint8_t>(bytes[at + k]);
        if ((cc & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (cc & 0x3F);
    }
    if (value < lead->min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return std::size_t(lead->extra) + 1;
}

bool TextEncoding::isValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = sequenceAt(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string_view TextEncoding::withoutBom(std::string_view bytes) {
    return bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
}

std::string TextEncoding::quoted(std::string_view field) {
    constexpr std::size_t kShown = 60; // characters shown, an escape counting as four
    const std::string text = toUtf8(field);
    std::string out = "\"";
    std::size_t shown = 0;
    std::size_t i = 0;
    while (i < text.size() && shown < kShown) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            out += "\\x" + NumberText::hex(byte, 2);
            shown += 4;
            ++i;
            continue;
        }
        // A quote inside is doubled, as in the tables and CSV files.
        if (byte == '"')
            out += '"';
        // One character: its lead byte and any continuation bytes.
        do
            out += text[i++];
        while (i < text.size() && (static_cast<std::uint8_t>(text[i]) & 0xC0) == 0x80);
        ++shown;
    }
    if (i < text.size())
        return out + "\u2026\" (" + std::to_string(field.size()) + " bytes in all)";
    return out + '"';
}

std::size_t TextEncoding::lineBreak(std::string_view text, std::size_t at) {
    if (at >= text.size() || (text[at] != '\r' && text[at] != '\n'))
        return 0;
    return text.substr(at, 2) == "\r\n" ? 2 : 1;
}

int TextEncoding::lineBreaks(std::string_view text) {
    int count = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = lineBreak(text, at);
        count += length > 0;
        at += std::max<std::size_t>(length, 1);
    }
    return count;
}

std::string TextEncoding::toUtf8(std::string_view bytes) {
    if (isValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char ch : bytes) {
        const auto c = static_cast<std::uint8_t>(ch);
        if (c >= 0x80 && c < 0xA0 && kHighTable[c - 0x80] != 0)
            appendUtf8(out, kHighTable[c - 0x80]);
        else
            appendUtf8(out, c);
    }
    return out;
}

} // namespace tintwright
