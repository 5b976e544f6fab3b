#include "TableCheck.h"

#include "NesColour.h"
#include "NumberText.h"
#include "ProgramFolder.h"
#include "TextEncoding.h"

#include <algorithm>

namespace tintwright {

namespace {

using Add = std::function<void(bool error, std::string message)>;

// The palette's bytes: in the ROM, and colours.
void checkBytes(std::span<const std::uint8_t> rom, std::int64_t address, const Add &add) {
    static const char *const kOrdinal[] = {"first", "second", "third"};
    const auto size = std::int64_t(rom.size());
    if (address < 0)
        add(true, "the address is negative");
    for (int k = 0; k < kPaletteBytes && address >= 0; ++k) {
        if (address + k >= size) {
            add(true, std::string(kOrdinal[k]) + " byte lies past the end of the ROM (" +
                          std::to_string(size) + " bytes)");
            break;
        }
        const int byte = rom[std::size_t(address + k)];
        if (!NesColour::isValid(byte))
            add(true, std::string(kOrdinal[k]) + " byte is " + NumberText::colour(byte) +
                          ", above $3F: there is no such colour");
        else if (byte == 0x0D)
            add(false,
                std::string(kOrdinal[k]) + " byte is $0D, darker than black, unsafe on many TVs");
    }
}

// Both previews of a row that has them, as the editor looks for them.
void checkPreviews(bool front, int row, const std::function<bool(const std::string &)> &exists,
                   const Add &add) {
    const auto number = ProgramFolder::previewNumber(row);
    if (!number || !exists)
        return;
    std::vector<std::string> missing;
    for (const auto edition : {ProgramFolder::Edition::Silver, ProgramFolder::Edition::Ruby})
        if (const auto name = ProgramFolder::preview(front, edition, *number); !exists(name))
            missing.push_back(name);
    if (!missing.empty())
        add(false, missing.size() == 1
                       ? "its preview " + missing[0] + " is missing"
                       : "its previews " + missing[0] + " and " + missing[1] + " are missing");
}

struct Palette {
    std::int64_t address;
    bool front;
    int row;
};

// Palettes that share bytes without starting together show each other's colours.
void checkOverlaps(std::vector<Palette> palettes, const LocationTables &tables,
                   std::vector<TableCheck::Finding> &findings) {
    // Tables are mostly written in address order already.
    const auto byAddress = [](const Palette &a, const Palette &b) { return a.address < b.address; };
    if (!std::is_sorted(palettes.begin(), palettes.end(), byAddress))
        std::stable_sort(palettes.begin(), palettes.end(), byAddress);
    for (std::size_t i = 1; i < palettes.size(); ++i) {
        const Palette &later = palettes[i];
        for (std::size_t j = i; j-- > 0 && palettes[j].address + kPaletteBytes > later.address;) {
            if (palettes[j].address == later.address)
                continue;
            const LocationTable &other = tables.of(palettes[j].front);
            findings.push_back(
                {false, later.front, later.row,
                 "its palette overlaps that of " +
                     TextEncoding::quoted(other.names[std::size_t(palettes[j].row)]) + " (" +
                     (palettes[j].front ? "front" : "back") + " row " +
                     std::to_string(LocationTable::number(palettes[j].row)) + ")"});
        }
    }
}

} // namespace

std::vector<TableCheck::Finding>
TableCheck::check(std::span<const std::uint8_t> rom, const LocationTables &tables,
                  const std::function<bool(const std::string &)> &exists) {
    std::vector<Finding> findings;
    std::vector<Palette> palettes;
    for (const bool front : {false, true}) {
        const LocationTable &table = tables.of(front);
        for (int row = 0; row < table.rows(); ++row) {
            const Add add = [&](bool error, std::string message) {
                findings.push_back({error, front, row, std::move(message)});
            };
            const std::int64_t address = table.addresses[std::size_t(row)];
            palettes.push_back({address, front, row});
            checkBytes(rom, address, add);
            checkPreviews(front, row, exists, add);
            const std::string &name = table.names[std::size_t(row)];
            if (name.find('\r') != std::string::npos || name.find('\n') != std::string::npos)
                add(false, "its name holds a line break (a quote left open?)");
        }
    }
    checkOverlaps(std::move(palettes), tables, findings);
    std::stable_sort(findings.begin(), findings.end(), [](const Finding &a, const Finding &b) {
        return std::pair(a.front, a.row) < std::pair(b.front, b.row);
    });
    return findings;
}

} // namespace tintwright
