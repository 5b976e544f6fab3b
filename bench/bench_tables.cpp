// The companion command's rules on large inputs: checking and exporting a million-row table
// against a 64 MiB ROM, beside reading the table alone; comparing two 64 MiB ROMs, beside
// reading both.
#include "document/FileIo.h"
#include "document/PaletteCsv.h"
#include "document/ProgramFolder.h"
#include "document/RomDiff.h"
#include "document/TableCheck.h"

#include "BestTime.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace tintwright;

namespace {

void report(const char *what, double ms, double floorMs, double megabytes) {
    std::printf("%-34s %9.1f ms  %7.0f MB/s   floor %9.1f ms   ratio %.2f\n", what, ms,
                megabytes / ms * 1e3, floorMs, ms / floorMs);
}

} // namespace

int main() {
    const auto dir = std::filesystem::temp_directory_path() / "tintwright-bench-tables";
    std::filesystem::create_directories(dir);
    constexpr std::size_t kRom = 64u << 20;
    constexpr int kRows = 1000000;
    std::vector<std::uint8_t> rom(kRom);
    for (std::size_t i = 0; i < kRom; ++i)
        rom[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
    std::string table;
    for (int i = 0; i < kRows; ++i) {
        const std::size_t address = std::size_t(i) * 64 + 16;
        rom[address] = 0x0F, rom[address + 1] = 0x21, rom[address + 2] = std::uint8_t(i % 0x3D);
        table += std::to_string(address) + ",\"Sprite number " + std::to_string(i) + "\"\r\n";
    }
    const double megabytes = double(table.size()) / 1e6;
    LocationTables tables;
    LocationTable &back = tables.back;
    const double read = bestMs(5, [&] { back = ProgramFolder::readTable(table, "back"); });
    const double check = bestMs(5, [&] {
        back = ProgramFolder::readTable(table, "back");
        (void)TableCheck::check(rom, tables, [](const std::string &) { return true; });
    });
    const double exported = bestMs(5, [&] {
        back = ProgramFolder::readTable(table, "back");
        std::string csv(PaletteCsv::kHeader);
        csv.reserve(table.size() * 2);
        for (int row = 0; row < back.rows(); ++row) {
            const auto address = std::size_t(back.addresses[std::size_t(row)]);
            PaletteCsv::appendRecord(csv, false, row, back.names[std::size_t(row)],
                                     std::int64_t(address), &rom[address]);
        }
    });
    std::printf("%d rows, %.1f MB of table text, ROM of %zu MiB\n", kRows, megabytes, kRom >> 20);
    report("read the table", read, read, megabytes);
    report("check", check, read, megabytes);
    report("export", exported, read, megabytes);

    // Two ROMs on disk that differ in a thousand palettes and a few other bytes.
    std::ofstream(dir / "a.nes", std::ios::binary)
        .write(reinterpret_cast<const char *>(rom.data()), kRom);
    for (int i = 0; i < kRows; i += 1000)
        rom[std::size_t(i) * 64 + 17] ^= 1;
    rom[5] ^= 1;
    std::ofstream(dir / "b.nes", std::ios::binary)
        .write(reinterpret_cast<const char *>(rom.data()), kRom);
    FileBytes a, b;
    const auto readBoth = [&] {
        (void)FileIo::read(dir / "a.nes", a, FileIo::kLargestRom);
        (void)FileIo::read(dir / "b.nes", b, FileIo::kLargestRom);
    };
    const double both = bestMs(5, readBoth);
    const double diff = bestMs(5, [&] {
        readBoth();
        (void)RomDiff::compare(a.span(), b.span(), tables);
    });
    report("diff two 64 MiB ROMs", diff, both, 2.0 * double(kRom) / 1e6);
    std::filesystem::remove_all(dir);
    return 0;
}
