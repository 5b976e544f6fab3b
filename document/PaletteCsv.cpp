#include "PaletteCsv.h"

#include "FieldReader.h"
#include "NesColour.h"
#include "NumberText.h"
#include "TextEncoding.h"

#include <algorithm>
#include <charconv>

namespace tintwright {

namespace {

// A byte as a CSV holds it: one or two hexadecimal digits (spreadsheets drop a leading zero),
// or nothing where the palette does not lie in the ROM.
constexpr int kEmpty = -1, kNoByte = -2;
int parseByte(std::string_view text) {
    if (text.empty())
        return kEmpty;
    if (text.size() > 2 || text.find_first_not_of("0123456789abcdefABCDEF") != text.npos)
        return kNoByte;
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return value;
}

struct Change {
    std::int64_t index;
    std::uint32_t palette; // list and row
    int line;
    std::uint8_t value;
    bool changes; // differs from the ROM
};

} // namespace

void PaletteCsv::appendRecord(std::string &out, bool front, int row, std::string_view name,
                              std::int64_t address, const std::uint8_t *bytes) {
    char head[24];
    char *end = std::to_chars(head, head + sizeof head, LocationTable::number(row)).ptr;
    out += front ? "front," : "back,";
    out.append(head, end);
    out += ',';
    // One pass over the name: find_first_of tries each of the four characters in turn, which
    // made it the slowest part of an export.
    bool plain = true;
    for (const char c : name)
        plain &= c != ',' && c != '"' && c != '\r' && c != '\n';
    // A spreadsheet would run a name that starts so as a formula: a quote mark before it
    // makes it text.
    const bool formula = !name.empty() && kFormulaStarts.find(name.front()) != name.npos;
    if (plain && !formula) {
        out += name;
    } else {
        out += formula ? "\"'" : "\"";
        for (const char c : name)
            (c == '"' ? out += "\"\"" : out += c);
        out += '"';
    }
    // The rest, written backwards into one buffer: the address, three bytes, CR LF.
    char tail[48];
    char *start = tail + sizeof tail;
    *--start = '\n';
    *--start = '\r';
    for (int k = 2; k >= 0; --k) {
        if (bytes)
            start = NumberText::hexBefore(start, bytes[k], 2);
        *--start = ',';
    }
    if (address < 0) { // as the table has it, so that import finds the same row
        char number[24];
        const auto length =
            std::size_t(std::to_chars(number, number + sizeof number, address).ptr - number);
        start -= length;
        std::copy_n(number, length, start);
    } else {
        start = NumberText::hexBefore(start, std::uint64_t(address), 6);
        *--start = 'x';
        *--start = '0';
    }
    *--start = ',';
    out.append(start, tail + sizeof tail);
}

PaletteCsv::Reader::Reader(std::string_view text, std::size_t limit)
    : m_text(TextEncoding::withoutBom(text)), m_limit(limit) {}

bool PaletteCsv::Reader::next(Record &record) {
    const std::string_view text = m_text;
    std::size_t &i = m_at;
    for (;;) {
        if (i >= text.size())
            return false;
        record.line = m_line;
        record.fields.clear();
        record.count = 0;
        bool blank = true;
        for (bool more = true; more;) {
            std::string field;
            if (i < text.size() && text[i] == '"') { // a comma may end the text
                blank = false;
                for (++i;;) {
                    if (i >= text.size())
                        throw Problem::atLine(record.line, "a quoted field is not closed");
                    std::size_t length = TextEncoding::lineBreak(text, i);
                    m_line += length > 0;
                    if (text[i] == '"' && text.substr(i, 2) != "\"\"")
                        break;
                    length = std::max<std::size_t>(length, text[i] == '"' ? 2 : 1);
                    if (record.count < m_limit) // "" stands for one quote
                        field += text[i] == '"' ? text.substr(i, 1) : text.substr(i, length);
                    i += length;
                }
                ++i;
                if (i < text.size() && text[i] != ',' && !TextEncoding::lineBreak(text, i))
                    throw Problem::atLine(m_line, "text follows the closing quote of a field");
            } else {
                const std::size_t start = i;
                while (i < text.size() && text[i] != ',' && !TextEncoding::lineBreak(text, i))
                    ++i;
                const std::string_view span = text.substr(start, i - start);
                if (span.find('"') != std::string_view::npos)
                    throw Problem::atLine(m_line,
                                          "a quote inside a field that does not start with one");
                if (record.count < m_limit)
                    field = span;
            }
            if (record.count++ < m_limit)
                record.fields.push_back(std::move(field));
            more = text.substr(i, 1) == ",";
            blank &= !more && record.fields.size() == 1 && record.fields[0].empty();
            i += more;
        }
        // The record ends at CR LF, a lone LF or a lone CR, or at the end of the text.
        if (const std::size_t length = TextEncoding::lineBreak(text, i)) {
            i += length;
            ++m_line;
        }
        if (!blank)
            return true;
    }
}

PaletteCsv::Changes PaletteCsv::changes(std::string_view text, const LocationTables &tables,
                                        std::span<const std::uint8_t> rom) {
    Reader reader(text, kFields);
    Record record;
    const bool any = reader.next(record);
    // Joined again only when short enough to be the header: a huge first field costs nothing.
    std::size_t length = 0;
    for (const std::string &field : record.fields)
        length += field.size() + 1;
    std::string header;
    for (std::size_t i = 0; length == kHeader.size() + 1 && i < record.fields.size(); ++i)
        header += (i ? "," : "") + record.fields[i];
    if (!any || record.count != kFields || header != kHeader)
        throw Problem::atLine(record.line,
                              "the first line must be the header " + std::string(kHeader));
    const auto size = std::int64_t(rom.size());
    // Rows numbered from 0, as files written before rows were numbered from 1: one has a row 0.
    int base = 1;
    for (Reader rows(text, kFields); rows.next(record);)
        if (record.count == kFields && record.fields[1] == "0")
            base = 0;
    reader = Reader(text, kFields);
    reader.next(record); // the header again
    std::vector<Change> asked;
    while (reader.next(record)) {
        const int line = record.line;
        const auto &fields = record.fields;
        if (record.count != kFields)
            throw Problem::atLine(line, "a record has 7 fields, this one " +
                                            std::to_string(record.count));
        if (fields[0] != "back" && fields[0] != "front")
            throw Problem::atLine(line, "the list is " + TextEncoding::quoted(fields[0]) +
                                            ", not back or front");
        const bool isFront = fields[0] == "front";
        const auto number = FieldReader::parseNumber(fields[1]);
        if (!number || *number < 0 ||
            fields[1].find_first_not_of("0123456789") != std::string::npos)
            throw Problem::atLine(line, "the row is " + TextEncoding::quoted(fields[1]) +
                                            ", not a row number");
        const auto parsedAddress = FieldReader::parseNumber(fields[3]);
        if (!parsedAddress)
            throw Problem::atLine(line, "the address is " + TextEncoding::quoted(fields[3]) +
                                            ", not a number");
        std::array<int, 3> bytes{};
        for (std::size_t k = 0; k < 3; ++k) {
            bytes[k] = parseByte(fields[4 + k]);
            if (bytes[k] == kNoByte)
                throw Problem::atLine(line, "byte" + std::to_string(k) + " is " +
                                                TextEncoding::quoted(fields[4 + k]) +
                                                ", not one or two hexadecimal digits");
        }
        const LocationTable &table = tables.of(isFront);
        const std::string list = fields[0];
        const int row = *number - base;
        if (row < 0 || row >= table.rows())
            throw Problem::atLine(line, list + " row " + fields[1] +
                                            " is not in the tables, which have " + list + " rows " +
                                            std::to_string(base) + " to " +
                                            std::to_string(table.rows() - 1 + base));
        const std::int64_t address = table.addresses[std::size_t(row)];
        if (address != *parsedAddress)
            throw Problem::atLine(line, "the address is " + NumberText::offset(*parsedAddress) +
                                            ", but " + list + " row " + fields[1] +
                                            " of the tables is at " + NumberText::offset(address) +
                                            ": the CSV was made from other tables");
        // A palette that does not lie wholly in the ROM has no bytes, as export writes it.
        const bool inside = address >= 0 && address + 3 <= size;
        for (std::size_t k = 0; k < 3; ++k) {
            if (inside == (bytes[k] >= 0))
                continue;
            throw Problem::atLine(
                line, inside ? "byte" + std::to_string(k) +
                                   " is empty, but the palette lies inside the ROM"
                             : "the palette lies outside the ROM (" + std::to_string(size) +
                                   " bytes), so its bytes must be empty");
        }
        for (std::size_t k = 0; inside && k < 3; ++k) {
            const std::int64_t index = address + std::int64_t(k);
            // A byte as the ROM holds it is no change, whatever it holds; it may still
            // disagree with another record.
            const bool differs = bytes[k] != rom[std::size_t(index)];
            if (differs && !NesColour::isValid(bytes[k]))
                throw Problem::atLine(line, "byte" + std::to_string(k) + " is " +
                                                TextEncoding::quoted(fields[4 + k]) +
                                                ", not a colour from 00 to 3F");
            asked.push_back({index, std::uint32_t(isFront) << 31 | std::uint32_t(row), line,
                             std::uint8_t(bytes[k]), differs});
        }
    }
    // Two records that ask different values for one byte: the first such pair in the file.
    // Within one byte's group the records stay in file order.
    std::stable_sort(asked.begin(), asked.end(),
                     [](const Change &a, const Change &b) { return a.index < b.index; });
    const Change *first = nullptr;
    const Change *second = nullptr;
    for (std::size_t start = 0, i = 1; i < asked.size(); ++i) {
        if (asked[i].index != asked[start].index)
            start = i;
        else if (asked[i].value != asked[start].value && (!second || asked[i].line < second->line))
            first = &asked[start], second = &asked[i];
    }
    if (second)
        throw Problem::atLine(second->line,
                              "it asks " + NumberText::colour(second->value) + " for the byte at " +
                                  NumberText::offset(second->index) + ", but line " +
                                  std::to_string(first->line) + " asks " +
                                  NumberText::colour(first->value) + ": the two lines disagree");
    Changes out;
    std::vector<std::uint32_t> palettes;
    for (std::size_t i = 0; i < asked.size(); ++i) {
        if (!asked[i].changes)
            continue;
        if (out.bytes.empty() || asked[i].index != out.bytes.back().first)
            out.bytes.emplace_back(asked[i].index, asked[i].value);
        palettes.push_back(asked[i].palette);
    }
    std::sort(palettes.begin(), palettes.end());
    out.palettes = int(std::unique(palettes.begin(), palettes.end()) - palettes.begin());
    return out;
}

} // namespace tintwright
