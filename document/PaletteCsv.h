#pragma once

#include "LocationTable.h"
#include "Problem.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tintwright {

// Palettes as CSV text (RFC 4180): a header, then one record per table row with its list,
// row, name, address and three bytes.
class PaletteCsv {
public:
    static constexpr std::string_view kHeader = "list,row,name,address,byte0,byte1,byte2";
    static constexpr std::size_t kFields = 7;
    // What a spreadsheet takes for the start of a formula: a name that starts so is written
    // after a ' (and quoted), which the spreadsheet shows as text. Import does not read names.
    static constexpr std::string_view kFormulaStarts = "=+-@\t\r";

    // One record of the file, CR LF at its end, added to `out`: table row `row` (numbered from 1
    // in the file), the name in UTF-8. The three bytes are left empty where there are none: the
    // palette does not lie wholly in the ROM.
    static void appendRecord(std::string &out, bool front, int row, std::string_view name,
                             std::int64_t address, const std::uint8_t *bytes);

    struct Record {
        int line = 1;                    // where it starts, from 1
        std::vector<std::string> fields; // at most the reader's limit of them
        std::size_t count = 0;           // how many it has
    };
    // Records one at a time, so a file that is no CSV of ours is refused where it goes wrong,
    // whatever its size. CR LF, a lone LF or a lone CR end a record; blank lines are skipped.
    class Reader {
    public:
        Reader(std::string_view text, std::size_t limit);
        // False at the end. Throws Problem, at a line, on an unclosed quote or text after a closing
        // quote.
        bool next(Record &record);

    private:
        std::string_view m_text;
        std::size_t m_limit;
        std::size_t m_at = 0;
        int m_line = 1;
    };

    struct Changes {
        // Each ROM byte the file changes once, by index: only bytes that differ from the ROM.
        std::vector<std::pair<std::int64_t, std::uint8_t>> bytes;
        int palettes = 0; // table rows with a byte among them
    };
    // What a whole file would change in `rom`, each record checked against the tables and the
    // ROM as it is read. Rows are numbered from 1; a file with a row 0 (as every export made
    // before rows were numbered from 1 has: its first record is back,0) is numbered from 0. Throws
    // Problem at the line of the first record that is not a palette of these tables, asks for a
    // byte that is no colour, or disagrees with an earlier record on a byte.
    static Changes changes(std::string_view text, const LocationTables &tables,
                           std::span<const std::uint8_t> rom);
};

} // namespace tintwright
