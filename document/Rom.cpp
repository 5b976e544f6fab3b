#include "Rom.h"

#include "DataFileError.h"
#include "FieldError.h"
#include "FieldReader.h"
#include "FileIo.h"
#include "TextEncoding.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tintwright {

namespace {

std::filesystem::path dataPath(const std::filesystem::path &programFolder,
                               const std::string &relativeName) {
    return programFolder / std::filesystem::path(relativeName).make_preferred();
}

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

std::string Rom::readDataFile(const std::filesystem::path &programFolder,
                              const std::string &relativeName) {
    std::string text;
    std::string error;
    if (!FileIo::readText(dataPath(programFolder, relativeName), text, error))
        throw DataFileError(relativeName, 0, "the file cannot be read (" + error + ")");
    return text;
}

LocationTable Rom::readLocationTable(std::string_view text, const std::string &displayName) {
    LocationTable table;
    FieldReader reader(text);
    while (!reader.atEnd()) {
        const int recordLine = reader.line();
        bool haveAddress = false;
        try {
            const std::int32_t address = reader.readNumber();
            haveAddress = true;
            std::string name = reader.readText();
            table.addresses.push_back(address);
            table.names.push_back(std::move(name));
            table.lines.push_back(recordLine);
        } catch (const FieldError &error) {
            std::string reason;
            switch (error.kind()) {
            case FieldError::Kind::NothingLeft:
                reason = haveAddress ? "a palette address with no sprite name"
                                     : "the file ends where a palette address was expected "
                                       "(blanks after the last record?)";
                break;
            case FieldError::Kind::Empty:
                reason = "the palette address is missing (a blank line, or a record that starts "
                         "with a comma)";
                break;
            case FieldError::Kind::NotANumber:
                if (error.field().find_first_not_of('\x1A') == std::string::npos) {
                    reason = "a Ctrl-Z end-of-file mark (0x1A), as old DOS tools leave it, "
                             "follows the last record: delete it";
                    break;
                }
                [[fallthrough]];
            case FieldError::Kind::OutOfRange:
                reason = "palette address " + std::string(error.what());
                break;
            }
            throw DataFileError(
                displayName,
                error.kind() == FieldError::Kind::NothingLeft ? recordLine : error.line(), reason);
        }
    }
    return table;
}

bool Rom::readFileTypeFilter(std::string_view text, const std::string &displayName) {
    FieldReader reader(text);
    std::string field;
    try {
        field = reader.readText();
    } catch (const FieldError &) {
        throw DataFileError(displayName, 1, "the file holds no value (write 0 or 1)");
    }
    const auto value = parseFilterValue(field);
    if (!value)
        throw DataFileError(displayName, 1,
                            TextEncoding::quoted(field) +
                                " is not a number (write 0 to list only ROM files, "
                                "or 1 to list every file)");
    if (*value < 0 || *value > 255)
        throw DataFileError(displayName, 1,
                            TextEncoding::quoted(field) + " is outside 0 to 255 (write 0 or 1)");
    return *value != 0;
}

void Rom::Load_Tables(ProgramState &state) {
    const std::string back = "Data/BackLocations.txt";
    const std::string front = "Data/FrontLocations.txt";
    const std::string filter = "Data/FileTypeFilter.txt";
    state.backLocations = readLocationTable(readDataFile(state.programFolder, back), back);
    state.frontLocations = readLocationTable(readDataFile(state.programFolder, front), front);
    state.fileTypeFilter = readFileTypeFilter(readDataFile(state.programFolder, filter), filter);
}

} // namespace tintwright
