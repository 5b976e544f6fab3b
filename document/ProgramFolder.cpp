#include "ProgramFolder.h"

#include "FieldError.h"
#include "FieldReader.h"
#include "NumberText.h"
#include "TextEncoding.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tintwright {

const char *ProgramFolder::table(bool front) {
    return front ? "Data/FrontLocations.txt" : "Data/BackLocations.txt";
}

std::string ProgramFolder::tile(int colour) {
    return std::string(kPalette) + "/" + std::to_string(colour) + ".bmp";
}

std::string ProgramFolder::previewFolder(bool front, Edition edition) {
    return std::string(front ? "Front_" : "Back_") +
           (edition == Edition::Silver ? "Silver" : "Ruby");
}

std::string ProgramFolder::preview(bool front, Edition edition, int number) {
    return previewFolder(front, edition) + "/" + std::to_string(number) + ".gif";
}

std::optional<int> ProgramFolder::previewNumber(int position) {
    if (position < 0 || position >= kPreviewCount)
        return std::nullopt;
    return LocationTable::number(position);
}

std::filesystem::path ProgramFolder::named(const std::filesystem::path &given) {
    const auto name = given.stem();
    std::error_code ec;
    const bool program = (name == "tintwright" || name == "tintwright-data") &&
                         std::filesystem::is_regular_file(given, ec);
    return program ? given.parent_path() : given;
}

std::filesystem::path ProgramFolder::path(const std::filesystem::path &folder,
                                          std::string_view name) {
    return folder / std::filesystem::path(name).make_preferred();
}

LocationTables ProgramFolder::readTables(const std::filesystem::path &folder,
                                         const std::string &shownFolder,
                                         std::vector<FileId> *read) {
    LocationTables tables;
    for (const bool front : {false, true}) {
        const std::string shown =
            shownFolder.empty() ? table(front) : shownFolder + "/" + table(front);
        FileBytes bytes;
        if (Outcome done = FileIo::read(path(folder, table(front)), bytes, FileIo::kLargestText);
            !done)
            throw Problem("the file cannot be read (" + done.problem().reason() + ")").in(shown);
        if (read)
            read->push_back(bytes.id);
        tables.of(front) = readTable(bytes.text(), shown);
    }
    return tables;
}

std::string ProgramFolder::tableText(const LocationTable &table) {
    std::string text;
    for (std::size_t row = 0; row < table.addresses.size(); ++row) {
        const std::string &name = table.names[row];
        text += row < table.forms.size()
                    ? NumberText::inForm(table.addresses[row], table.forms[row])
                    : std::to_string(table.addresses[row]);
        // A name is read back whole between quotes, unless it holds a quote itself: then it
        // came unquoted, with no comma or line break in it, and goes back so.
        text += name.find('"') == std::string::npos ? ",\"" + name + "\"\r\n" : "," + name + "\r\n";
    }
    return text;
}

LocationTable ProgramFolder::readTable(std::string_view text, const std::string &shownName) {
    LocationTable table;
    FieldReader reader(text);
    while (!reader.atEnd()) {
        const int recordLine = reader.line();
        bool haveAddress = false;
        try {
            std::string form;
            const std::int32_t address = reader.readNumber(&form);
            haveAddress = true;
            std::string name = reader.readText();
            table.addresses.push_back(address);
            table.forms.push_back(std::move(form));
            table.names.push_back(std::move(name));
            table.lines.push_back(recordLine);
        } catch (const FieldError &error) {
            std::string reason;
            switch (error.fault()) {
            case FieldError::Fault::NothingLeft:
                reason = haveAddress ? "a palette address with no sprite name"
                                     : "the file ends where a palette address was expected "
                                       "(blanks after the last record?)";
                break;
            case FieldError::Fault::Empty:
                reason = "the palette address is missing (a blank line, or a record that starts "
                         "with a comma)";
                break;
            case FieldError::Fault::NotANumber:
                if (error.field().find_first_not_of('\x1A') == std::string::npos) {
                    reason = "a Ctrl-Z end-of-file mark (0x1A), as old DOS tools leave it, "
                             "follows the last record: delete it";
                    break;
                }
                [[fallthrough]];
            case FieldError::Fault::OutOfRange:
                reason = "palette address " + error.reason();
                break;
            }
            throw Problem::atLine(
                error.fault() == FieldError::Fault::NothingLeft ? recordLine : error.line(), reason)
                .in(shownName);
        }
    }
    return table;
}

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

bool ProgramFolder::readFileTypeFilter(std::string_view text, const std::string &shownName) {
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

} // namespace tintwright
