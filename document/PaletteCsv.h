#pragma once

#include "LocationTable.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tintwright {

// Palettes as CSV text (RFC 4180): a header, then one record per table row with its list,
// row, name, address and three bytes.
class PaletteCsv {
public:
    static constexpr std::string_view kHeader = "list,row,name,address,byte0,byte1,byte2";

    struct Row {
        bool front;
        int row;
        std::string name; // UTF-8
        std::int64_t address;
        std::array<int, 3> bytes; // -1: none
        int line;                 // where the record starts, from 1
    };

    // A refusal: the line it concerns, from 1, and why.
    class Error : public std::runtime_error {
    public:
        Error(int line, const std::string &reason) : std::runtime_error(reason), m_line(line) {}
        int line() const { return m_line; }

    private:
        int m_line;
    };

    // One record of the file, CR LF at its end, added to `out`; the name in UTF-8.
    static void appendRecord(std::string &out, bool front, int row, std::string_view name,
                             std::int64_t address, const std::array<int, 3> &bytes);
    // The fields of each record, with the line each starts on; throws Error on an unclosed
    // quote or text after a closing quote.
    static std::vector<std::pair<int, std::vector<std::string>>> records(std::string_view text);
    // The rows of a whole file, header checked; throws Error.
    static std::vector<Row> read(std::string_view text);
    // The bytes that rows read from a file write into a ROM of `size` bytes, each row's list,
    // row and address checked against the tables; throws Error.
    static std::vector<std::pair<std::int64_t, std::uint8_t>> changes(const std::vector<Row> &rows,
                                                                      const LocationTable &back,
                                                                      const LocationTable &front,
                                                                      std::int64_t size);
};

} // namespace tintwright
