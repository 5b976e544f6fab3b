#include "PaletteCsv.h"

#include "FieldReader.h"
#include "TextEncoding.h"

#include <charconv>
#include <cstdio>

namespace tintwright {

namespace {

// Hexadecimal digits, at least `digits` of them, written backwards from `end`.
char *hexBefore(char *end, std::int64_t value, int digits) {
    constexpr char kHex[] = "0123456789ABCDEF";
    for (; value > 0 || digits > 0; value >>= 4, --digits)
        *--end = kHex[value & 0xF];
    return end;
}

std::string hex(std::int64_t value, int digits) {
    char text[24];
    return std::string(hexBefore(text + sizeof text, value, digits), text + sizeof text);
}

} // namespace

void PaletteCsv::appendRecord(std::string &out, bool front, int row, std::string_view name,
                              std::int64_t address, const std::array<int, 3> &bytes) {
    char head[24];
    char *end = std::to_chars(head, head + sizeof head, row).ptr;
    out += front ? "front," : "back,";
    out.append(head, end);
    out += ',';
    // One pass over the name: find_first_of tries each of the four characters in turn, which
    // made it the slowest part of an export.
    bool plain = true;
    for (const char c : name)
        plain &= c != ',' && c != '"' && c != '\r' && c != '\n';
    if (plain) {
        out += name;
    } else {
        out += '"';
        for (const char c : name)
            (c == '"' ? out += "\"\"" : out += c);
        out += '"';
    }
    // The rest, written backwards into one buffer: ",0x" address, three bytes, CR LF.
    char tail[48];
    char *start = tail + sizeof tail;
    *--start = '\n';
    *--start = '\r';
    for (int k = 2; k >= 0; --k) {
        if (bytes[std::size_t(k)] >= 0)
            start = hexBefore(start, bytes[std::size_t(k)], 2);
        *--start = ',';
    }
    start = hexBefore(start, address, 6);
    start -= 3;
    start[0] = ',', start[1] = '0', start[2] = 'x';
    out.append(start, tail + sizeof tail);
}

std::vector<std::pair<int, std::vector<std::string>>> PaletteCsv::records(std::string_view text) {
    text = TextEncoding::withoutBom(text);
    std::vector<std::pair<int, std::vector<std::string>>> out;
    const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
    std::size_t i = 0;
    int line = 1;
    while (i < text.size()) {
        const int start = line;
        std::vector<std::string> fields;
        for (bool more = true; more;) {
            std::string field;
            if (i < text.size() && text[i] == '"') { // a comma may end the text
                for (++i;; ++i) {
                    if (i >= text.size())
                        throw Error(start, "a quoted field is not closed");
                    if (text[i] == '"' && (i + 1 >= text.size() || text[i + 1] != '"'))
                        break;
                    if (text[i] == '"')
                        ++i; // "" stands for one quote
                    else if (text[i] == '\n' || (text[i] == '\r' && text.substr(i, 2) != "\r\n"))
                        ++line;
                    field += text[i];
                }
                ++i;
                if (i < text.size() && text[i] != ',' && !isBreak(text[i]))
                    throw Error(line, "text follows the closing quote of a field");
            } else {
                for (; i < text.size() && text[i] != ',' && !isBreak(text[i]); ++i) {
                    if (text[i] == '"')
                        throw Error(line, "a quote inside a field that does not start with one");
                    field += text[i];
                }
            }
            fields.push_back(std::move(field));
            more = i < text.size() && text[i] == ',';
            i += more;
        }
        // The record ends at CR LF, a lone LF or a lone CR, or at the end of the text.
        if (i < text.size()) {
            i += text.substr(i, 2) == "\r\n" ? 2 : 1;
            ++line;
        }
        if (fields.size() > 1 || !fields[0].empty()) // blank lines are skipped
            out.emplace_back(start, std::move(fields));
    }
    return out;
}

std::vector<PaletteCsv::Row> PaletteCsv::read(std::string_view text) {
    const auto records = PaletteCsv::records(text);
    std::string header;
    for (const std::string &field :
         records.empty() ? std::vector<std::string>() : records[0].second)
        header += (header.empty() ? "" : ",") + field;
    if (header != kHeader)
        throw Error(records.empty() ? 1 : records[0].first,
                    "the first line must be the header " + std::string(kHeader));
    std::vector<Row> rows;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const auto &[line, fields] = records[r];
        if (fields.size() != 7)
            throw Error(line, "a record has 7 fields, this one " + std::to_string(fields.size()));
        Row row{fields[0] == "front", 0, fields[2], 0, {}, line};
        if (fields[0] != "back" && fields[0] != "front")
            throw Error(line,
                        "the list is " + TextEncoding::quoted(fields[0]) + ", not back or front");
        const auto number = FieldReader::parseNumber(fields[1]);
        if (!number || *number < 0 ||
            fields[1].find_first_not_of("0123456789") != std::string::npos)
            throw Error(line,
                        "the row is " + TextEncoding::quoted(fields[1]) + ", not a row number");
        row.row = *number;
        const auto address = FieldReader::parseNumber(fields[3]);
        if (!address)
            throw Error(line,
                        "the address is " + TextEncoding::quoted(fields[3]) + ", not a number");
        row.address = *address;
        for (int k = 0; k < 3; ++k) {
            const std::string &byte = fields[std::size_t(4 + k)];
            const auto value = FieldReader::parseNumber("0x" + byte);
            if (byte.size() != 2 || !value || *value > 0x3F)
                throw Error(line, "byte" + std::to_string(k) + " is " + TextEncoding::quoted(byte) +
                                      ", not a colour from 00 to 3F");
            row.bytes[std::size_t(k)] = *value;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::pair<std::int64_t, std::uint8_t>> PaletteCsv::changes(const std::vector<Row> &rows,
                                                                       const LocationTable &back,
                                                                       const LocationTable &front,
                                                                       std::int64_t size) {
    std::vector<std::pair<std::int64_t, std::uint8_t>> out;
    for (const Row &row : rows) {
        const LocationTable &table = row.front ? front : back;
        const char *list = row.front ? "front" : "back";
        if (row.row >= table.rows())
            throw Error(row.line, std::string(list) + " row " + std::to_string(row.row) +
                                      " is not in the tables, which have " +
                                      std::to_string(table.rows()) + " " + list + " rows");
        const std::int64_t address = table.addresses[std::size_t(row.row)];
        if (address != row.address)
            throw Error(row.line, "the address is 0x" + hex(row.address, 6) + ", but " + list +
                                      " row " + std::to_string(row.row) +
                                      " of the tables is at 0x" + hex(address, 6) +
                                      ": the CSV was made from other tables");
        if (address < 0 || address + 3 > size)
            throw Error(row.line,
                        "the palette lies outside the ROM (" + std::to_string(size) + " bytes)");
        for (int k = 0; k < 3; ++k)
            out.emplace_back(address + k, std::uint8_t(row.bytes[std::size_t(k)]));
    }
    return out;
}

} // namespace tintwright
