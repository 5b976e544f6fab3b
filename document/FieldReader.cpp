#include "FieldReader.h"

#include "FieldError.h"
#include "NumberText.h"
#include "TextEncoding.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace tintwright {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::optional<std::int32_t> parseHex(std::string_view digits) {
    const auto value = NumberText::parseHex(digits);
    if (!value || *value > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

} // namespace

FieldReader::FieldReader(std::string_view text) : m_text(TextEncoding::withoutBom(text)) {}

void FieldReader::consumeBreak() {
    m_pos += TextEncoding::lineBreak(m_text, m_pos);
    ++m_line;
}

std::string FieldReader::readText(bool commaEnds) {
    const std::size_t size = m_text.size();
    m_pos = std::min(m_text.find_first_not_of(" \t", m_pos), size);
    if (m_pos >= size)
        throw FieldError(FieldError::Fault::NothingLeft, m_line,
                         "the file ends where a field was expected");

    std::string value;
    if (m_text[m_pos] == '"') {
        const std::size_t start = m_pos + 1;
        std::size_t close = m_text.find('"', start);
        if (close == std::string_view::npos)
            close = size;
        value.assign(m_text.substr(start, close - start));
        m_line += TextEncoding::lineBreaks(m_text.substr(start, close - start));
        m_pos = close < size ? close + 1 : size;
        // Whatever follows the closing quote is dropped up to the separator.
        while (m_pos < size) {
            const char c = m_text[m_pos];
            if (c == ',' && commaEnds) {
                ++m_pos;
                break;
            }
            if (isBreak(c)) {
                consumeBreak();
                break;
            }
            ++m_pos;
        }
        return value;
    }

    const std::size_t start = m_pos;
    while (m_pos < size && !(m_text[m_pos] == ',' && commaEnds) && !isBreak(m_text[m_pos]))
        ++m_pos;
    std::size_t end = m_pos;
    while (end > start && isBlank(m_text[end - 1]))
        --end;
    value.assign(m_text.substr(start, end - start));
    if (m_pos < size) {
        if (isBreak(m_text[m_pos]))
            consumeBreak();
        else
            ++m_pos;
    }
    return value;
}

std::int32_t FieldReader::readNumber(std::string *written) {
    // Blanks never cross a line, so this is the line the number stands on.
    const int line = m_line;
    const std::string text = readText();
    if (written != nullptr)
        *written = text;
    if (text.empty())
        throw FieldError(FieldError::Fault::Empty, line, "the field is empty");
    if (const auto value = parseNumber(text))
        return *value;
    // Digits that parseNumber refused can only stand for a number too large.
    const auto digits = [&](std::size_t start, const char *set) {
        return start < text.size() && text.find_first_not_of(set, start) == std::string::npos;
    };
    const bool sign = text[0] == '+' || text[0] == '-';
    const bool hex = text.starts_with('$') || text.starts_with("&H") || text.starts_with("&h") ||
                     text.starts_with("0x") || text.starts_with("0X");
    if (digits(sign ? 1 : 0, "0123456789") ||
        (hex && digits(text[0] == '$' ? 1 : 2, "0123456789abcdefABCDEF")))
        throw FieldError(
            FieldError::Fault::OutOfRange, line,
            TextEncoding::quoted(text) + " is outside the range of a 32-bit signed number", text);
    throw FieldError(FieldError::Fault::NotANumber, line,
                     TextEncoding::quoted(text) +
                         " is not a number (write it in decimal, or in hexadecimal as &H1A2B, "
                         "0x1A2B or $1A2B)",
                     text);
}

std::optional<std::int32_t> FieldReader::parseNumber(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    if (text.size() > 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h'))
        return parseHex(text.substr(2));
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return parseHex(text.substr(2));
    if (text.size() > 1 && text[0] == '$')
        return parseHex(text.substr(1));

    std::string_view digits = text;
    if (digits[0] == '+') {
        digits.remove_prefix(1);
        if (digits.empty() || digits[0] < '0' || digits[0] > '9')
            return std::nullopt;
    }
    std::int32_t value{};
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

} // namespace tintwright
