// Arbitrary bytes as a CSV file for import: the reader must never crash, hang or read out of
// bounds, and whatever records it reads, written out again, read back the same.
#include "document/PaletteCsv.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace tintwright;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    try {
        const auto records = PaletteCsv::records(text);
        std::string again;
        for (const auto &record : records) {
            for (std::size_t i = 0; i < record.second.size(); ++i) {
                again += i ? ",\"" : "\"";
                for (const char c : record.second[i])
                    again += c == '"' ? std::string("\"\"") : std::string(1, c);
                again += '"';
            }
            again += "\r\n";
        }
        const auto back = PaletteCsv::records(again);
        if (back.size() != records.size())
            __builtin_trap();
        for (std::size_t r = 0; r < back.size(); ++r)
            if (back[r].second != records[r].second)
                __builtin_trap();
    } catch (const PaletteCsv::Error &error) {
        if (error.line() < 1)
            __builtin_trap();
    }
    try {
        (void)PaletteCsv::read(text);
    } catch (const PaletteCsv::Error &) {
    }
    return 0;
}
