#include "Rom.h"

#include "FieldError.h"
#include "FieldReader.h"
#include "FileIo.h"
#include "ProgramFolder.h"
#include "TextEncoding.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tintwright {

namespace {

// A whole number from 0 to 255, fractions rounded half to even.
std::optional<int> parseFilterValue(const std::string &text) {
    if (const auto whole = FieldReader::parseNumber(text))
        return *whole;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    bool point = false;
    for (std::size_t k = i; k < text.size(); ++k) {
        if (text[k] >= '0' && text[k] <= '9')
            ++digits;
        else if (text[k] == '.' && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    double value = 0;
    const char *first = text.data() + (text[0] == '+' ? 1 : 0);
    auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    // Default rounding is half to even; far-off values become ones just out of range.
    return static_cast<int>(std::nearbyint(std::clamp(value, -1.0, 256.0)));
}

} // namespace

bool Rom::readFileTypeFilter(std::string_view text, const std::string &shownName) {
    FieldReader reader(text);
    std::string field;
    try {
        field = reader.readText();
    } catch (const FieldError &) {
        throw Problem::atLine(1, "the file holds no value (write 0 or 1)").in(shownName);
    }
    const auto value = parseFilterValue(field);
    if (!value)
        throw Problem::atLine(1, TextEncoding::quoted(field) +
                                     " is not a number (write 0 to list only ROM files, "
                                     "or 1 to list every file)")
            .in(shownName);
    if (*value < 0 || *value > 255)
        throw Problem::atLine(1,
                              TextEncoding::quoted(field) + " is outside 0 to 255 (write 0 or 1)")
            .in(shownName);
    return *value != 0;
}

void Rom::Load_Tables(ProgramState &state) {
    state.tables = ProgramFolder::readTables(state.programFolder);
    const char *filter = ProgramFolder::kFileTypeFilter;
    std::string text;
    if (Outcome read = FileIo::readText(ProgramFolder::path(state.programFolder, filter), text);
        !read)
        throw Problem("the file cannot be read (" + read.problem().reason() + ")").in(filter);
    state.fileTypeFilter = readFileTypeFilter(text, filter);
}

} // namespace tintwright
