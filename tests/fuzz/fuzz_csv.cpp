// Arbitrary bytes as a CSV file for import: the reader must never crash, hang or read out of
// bounds, and whatever records it reads, written out again, read back the same.
#include "document/PaletteCsv.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace tintwright;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const auto all = [](std::string_view csv) {
        std::vector<PaletteCsv::Record> records;
        PaletteCsv::Reader reader(csv, SIZE_MAX);
        for (PaletteCsv::Record record; reader.next(record);)
            records.push_back(record);
        return records;
    };
    try {
        const auto records = all(text);
        std::string again;
        for (const auto &record : records) {
            if (record.count != record.fields.size())
                __builtin_trap();
            for (std::size_t i = 0; i < record.fields.size(); ++i) {
                again += i ? ",\"" : "\"";
                for (const char c : record.fields[i])
                    again += c == '"' ? std::string("\"\"") : std::string(1, c);
                again += '"';
            }
            again += "\r\n";
        }
        const auto back = all(again);
        if (back.size() != records.size())
            __builtin_trap();
        for (std::size_t r = 0; r < back.size(); ++r)
            if (back[r].fields != records[r].fields)
                __builtin_trap();
    } catch (const Problem &error) {
        if (error.line() < 1)
            __builtin_trap();
    }
    // As import reads it, against a small ROM: whatever is accepted changes only bytes inside
    // the ROM, each once, to a colour.
    static const LocationTables tables = [] {
        LocationTables made;
        made.back.addresses = {0, 4, -2};
        made.back.names = {"a", "b", "c"};
        made.back.lines = {1, 2, 3};
        made.front.addresses = {8};
        made.front.names = {"d"};
        made.front.lines = {1};
        return made;
    }();
    const std::vector<std::uint8_t> rom(10, 0x4F);
    try {
        const auto changes = PaletteCsv::changes(text, tables, rom);
        for (std::size_t i = 0; i < changes.bytes.size(); ++i)
            if (changes.bytes[i].first < 0 || changes.bytes[i].first >= 10 ||
                changes.bytes[i].second > 0x3F ||
                (i > 0 && changes.bytes[i].first <= changes.bytes[i - 1].first))
                __builtin_trap();
    } catch (const Problem &error) {
        if (error.line() < 1)
            __builtin_trap();
    }
    return 0;
}
