// Arbitrary bytes as a Data file: the table reader, the filter reader, the default folder, the
// manual and the text decoder must never crash, hang or read out of bounds, and what they
// return must hold together.
#include "document/DefaultPath.h"
#include "document/FieldReader.h"
#include "document/ManualText.h"
#include "document/ProgramFolder.h"
#include "document/Rom.h"
#include "document/TextEncoding.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace tintwright;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    try {
        const LocationTable table = ProgramFolder::readTable(text, "fuzz");
        if (table.addresses.size() != table.names.size())
            __builtin_trap();
    } catch (const Problem &error) {
        if (error.line() < 1 || error.line() > int(size) + 1)
            __builtin_trap();
    }
    try {
        (void)ProgramFolder::readFileTypeFilter(text, "fuzz");
    } catch (const Problem &) {
    }
    (void)FieldReader::parseNumber(text.substr(0, 64));
    (void)DefaultPath::folderFromText(text);
    if (!TextEncoding::isValidUtf8(TextEncoding::toUtf8(text)))
        __builtin_trap();
    // Every line of the manual ends with CR LF, and no other CR or LF is left.
    const std::string manual = ManualText::fromBytes(text);
    const auto breaks = std::count(manual.begin(), manual.end(), '\n');
    if (std::count(manual.begin(), manual.end(), '\r') != breaks ||
        (!manual.empty() && !manual.ends_with("\r\n")))
        __builtin_trap();
    return 0;
}
