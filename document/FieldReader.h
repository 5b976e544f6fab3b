#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tintwright {

// Reads comma- or line-separated fields from the text of a Data file.
// CR LF, a lone LF and a lone CR all end a line. Throws FieldError.
class FieldReader {
public:
    // A UTF-8 byte-order mark at the start is skipped.
    explicit FieldReader(std::string_view text);

    // True once every byte has been consumed.
    bool atEnd() const { return m_pos >= m_text.size(); }
    // 1-based line of the next unread byte.
    int line() const { return m_line; }

    // A comma ends the field unless `commaEnds` is false; a line break always does.
    std::string readText(bool commaEnds = true);
    // `text`, when given, receives the field as written ("&H8010").
    std::int32_t readNumber(std::string *text = nullptr);

    // Decimal with an optional sign, or hexadecimal as &H1A2B, 0x1A2B or $1A2B.
    static std::optional<std::int32_t> parseNumber(std::string_view text);

private:
    bool isBreak(char c) const { return c == '\n' || c == '\r'; }
    void consumeBreak();

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
};

} // namespace tintwright
