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
    const auto value = text.size() <= 2 ? NumberText::parseHex(text) : std::nullopt;
    return value ? int(*value) : kNoByte;
}

struct Change {
    std::int64_t index;
    std::uint32_t palette; // list and row, as paletteKey makes them
    int line;
    std::uint8_t value;
    bool changes; // differs from the ROM
};

// One number for a table row: the list in the top bit, the row below it.
constexpr int kFrontBit = 31;
std::uint32_t paletteKey(bool front, int row) {
    return std::uint32_t(front) << kFrontBit | std::uint32_t(row);
}

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

namespace {

using Record = PaletteCsv::Record;

// The first record must be the header; a huge first field is never joined to be compared.
void readHeader(PaletteCsv::Reader &reader) {
    Record record;
    const bool any = reader.next(record);
    std::size_t length = 0;
    for (const std::string &field : record.fields)
        length += field.size() + 1;
    std::string header;
    for (std::size_t i = 0; length == PaletteCsv::kHeader.size() + 1 && i < record.fields.size();
         ++i)
        header += (i ? "," : "") + record.fields[i];
    if (!any || record.count != PaletteCsv::kFields || header != PaletteCsv::kHeader)
        throw Problem::atLine(record.line, "the first line must be the header " +
                                               std::string(PaletteCsv::kHeader));
}

// Rows numbered from 0, as files written before rows were numbered from 1: one has a row 0.
int rowBase(std::string_view text) {
    Record record;
    for (PaletteCsv::Reader rows(text, PaletteCsv::kFields); rows.next(record);)
        if (record.count == PaletteCsv::kFields && record.fields[1] == "0")
            return 0;
    return 1;
}

// A record read as a row of the tables: its list, its row from 0, its address and bytes.
struct Row {
    bool isFront;
    int row;
    std::int64_t address;
    std::array<int, kPaletteBytes> bytes;
};

Row readRow(const Record &record, int base, const LocationTables &tables) {
    const int line = record.line;
    const auto &fields = record.fields;
    if (record.count != PaletteCsv::kFields)
        throw Problem::atLine(line,
                              "a record has 7 fields, this one " + std::to_string(record.count));
    if (fields[0] != "back" && fields[0] != "front")
        throw Problem::atLine(line, "the list is " + TextEncoding::quoted(fields[0]) +
                                        ", not back or front");
    const bool isFront = fields[0] == "front";
    const auto number = FieldReader::parseNumber(fields[1]);
    if (!number || *number < 0 || fields[1].find_first_not_of("0123456789") != std::string::npos)
        throw Problem::atLine(line, "the row is " + TextEncoding::quoted(fields[1]) +
                                        ", not a row number");
    const auto parsedAddress = FieldReader::parseNumber(fields[3]);
    if (!parsedAddress)
        throw Problem::atLine(line, "the address is " + TextEncoding::quoted(fields[3]) +
                                        ", not a number");
    Row row{isFront, *number - base, 0, {}};
    for (std::size_t k = 0; k < kPaletteBytes; ++k) {
        row.bytes[k] = parseByte(fields[4 + k]);
        if (row.bytes[k] == kNoByte)
            throw Problem::atLine(line, "byte" + std::to_string(k) + " is " +
                                            TextEncoding::quoted(fields[4 + k]) +
                                            ", not one or two hexadecimal digits");
    }
    const LocationTable &table = tables.of(isFront);
    const std::string &list = fields[0];
    if (row.row < 0 || row.row >= table.rows())
        throw Problem::atLine(line, list + " row " + fields[1] +
                                        " is not in the tables, which have " + list + " rows " +
                                        std::to_string(base) + " to " +
                                        std::to_string(table.rows() - 1 + base));
    row.address = table.addresses[std::size_t(row.row)];
    if (row.address != *parsedAddress)
        throw Problem::atLine(line, "the address is " + NumberText::offset(*parsedAddress) +
                                        ", but " + list + " row " + fields[1] +
                                        " of the tables is at " + NumberText::offset(row.address) +
                                        ": the CSV was made from other tables");
    return row;
}

// A row's bytes as the ROM would take them; a palette that does not lie wholly in the ROM
// has no bytes, as export writes it.
void addChanges(const Record &record, const Row &row, std::span<const std::uint8_t> rom,
                std::vector<Change> &asked) {
    const auto size = std::int64_t(rom.size());
    const bool inside = row.address >= 0 && row.address + kPaletteBytes <= size;
    for (std::size_t k = 0; k < kPaletteBytes; ++k)
        if (inside != (row.bytes[k] >= 0))
            throw Problem::atLine(
                record.line, inside ? "byte" + std::to_string(k) +
                                          " is empty, but the palette lies inside the ROM"
                                    : "the palette lies outside the ROM (" + std::to_string(size) +
                                          " bytes), so its bytes must be empty");
    for (std::size_t k = 0; inside && k < kPaletteBytes; ++k) {
        const std::int64_t index = row.address + std::int64_t(k);
        // A byte as the ROM holds it is no change, whatever it holds; it may still disagree
        // with another record.
        const bool differs = row.bytes[k] != rom[std::size_t(index)];
        if (differs && !NesColour::isValid(row.bytes[k]))
            throw Problem::atLine(record.line, "byte" + std::to_string(k) + " is " +
                                                   TextEncoding::quoted(record.fields[4 + k]) +
                                                   ", not a colour from 00 to 3F");
        asked.push_back({index, paletteKey(row.isFront, row.row), record.line,
                         std::uint8_t(row.bytes[k]), differs});
    }
}

// Two records that ask different values for one byte: the first such pair in the file.
// Within one byte's group the records stay in file order.
void refuseDisagreement(std::vector<Change> &asked) {
    std::stable_sort(asked.begin(), asked.end(),
                     [](const Change &a, const Change &b) { return a.index < b.index; });
    const Change *first = nullptr;
    const Change *second = nullptr;
    for (std::size_t start = 0, i = 1; i < asked.size(); ++i) {
        if (asked[i].index != asked[start].index) {
            start = i;
        } else if (asked[i].value != asked[start].value &&
                   (!second || asked[i].line < second->line)) {
            first = &asked[start];
            second = &asked[i];
        }
    }
    if (second)
        throw Problem::atLine(second->line,
                              "it asks " + NumberText::colour(second->value) + " for the byte at " +
                                  NumberText::offset(second->index) + ", but line " +
                                  std::to_string(first->line) + " asks " +
                                  NumberText::colour(first->value) + ": the two lines disagree");
}

} // namespace

PaletteCsv::Changes PaletteCsv::changes(std::string_view text, const LocationTables &tables,
                                        std::span<const std::uint8_t> rom) {
    Reader reader(text, kFields);
    readHeader(reader);
    const int base = rowBase(text);
    std::vector<Change> asked;
    for (Record record; reader.next(record);)
        addChanges(record, readRow(record, base, tables), rom, asked);
    refuseDisagreement(asked);
    Changes out;
    std::vector<std::uint32_t> palettes;
    for (const Change &change : asked) {
        if (!change.changes)
            continue;
        if (out.bytes.empty() || change.index != out.bytes.back().first)
            out.bytes.emplace_back(change.index, change.value);
        palettes.push_back(change.palette);
    }
    std::sort(palettes.begin(), palettes.end());
    out.palettes = int(std::unique(palettes.begin(), palettes.end()) - palettes.begin());
    return out;
}

} // namespace tintwright
