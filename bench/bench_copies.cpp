// Naming a ROM and carrying tables to another copy, at the sizes of a large hack: a 64 MiB
// reference with 100,000 rows in each list, and a copy without its header, with three blocks
// inserted and a tenth of the palettes recoloured. Each beside its floor: check beside reading
// the file and computing the same hashes with the same libraries; port beside reading both ROMs
// and the tables. Given the path of tintwright-data, it also times the commands themselves, each
// run in a new process as a user runs it, beside the same floors read in a new process.
#include "document/Checksum.h"
#include "document/FileIo.h"
#include "document/PalettePort.h"
#include "document/ProgramFolder.h"
#include "document/RomIdentity.h"
#include "document/TableCheck.h"

#include "BestTime.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using namespace tintwright;

namespace {

void report(const char *what, double ms, double floorMs) {
    std::printf("%-40s %9.1f ms   floor %9.1f ms   ratio %.2f\n", what, ms, floorMs, ms / floorMs);
}

void save(const std::filesystem::path &path, const std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string_view text(const std::vector<std::uint8_t> &bytes) {
    return {reinterpret_cast<const char *>(bytes.data()), bytes.size()};
}

// The hashes check gives, of the file and of the ROM data, in one pass; the floor of check.
void hashes(std::span<const std::uint8_t> file) {
    Checksum::Hashes whole, data;
    constexpr std::size_t kPiece = std::size_t(1) << 18;
    for (std::size_t at = 0; at < file.size(); at += kPiece) {
        const auto piece = file.subspan(at, std::min(kPiece, file.size() - at));
        whole.add(piece);
        data.add(at == 0 ? piece.subspan(16) : piece);
    }
    (void)whole.finish();
    (void)data.finish();
}

// The best of three runs of `work` in a new process, so that it pays for every page it
// touches, as a command does.
template <typename Work> double fresh(Work &&work) {
    return bestMs(3, [&] {
        if (const pid_t child = fork(); child == 0) {
            work();
            _exit(0);
        } else {
            waitpid(child, nullptr, 0);
        }
    });
}

// One run of the command, its output thrown away.
void command(const std::string &line) {
    if (std::system((line + " > /dev/null").c_str()) != 0)
        std::printf("failed: %s\n", line.c_str());
}

} // namespace

int main(int argc, char **argv) {
    const auto dir = std::filesystem::temp_directory_path() / "tintwright-bench-copies";
    std::filesystem::create_directories(dir / "Data");
    constexpr std::size_t kRom = (64u << 20) + 16;
    constexpr int kRows = 100000, kPerTable = 50;
    std::vector<std::uint8_t> rom(kRom);
    std::uint32_t seed = 27;
    const auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (auto &byte : rom)
        byte = std::uint8_t(next() >> 24);
    std::copy_n("NES\x1a\x80\x00", 6, rom.begin());
    // Tables of 50 palettes side by side, one every 16 KiB, back and front by turns.
    LocationTables tables;
    std::string back, front;
    for (int row = 0; row < 2 * kRows; ++row) {
        const std::size_t address =
            16 + std::size_t(row / kPerTable) * 16384 + 64 + std::size_t(row % kPerTable) * 3;
        for (int i = 0; i < 3; ++i)
            rom[address + std::size_t(i)] = std::uint8_t(next() >> 26);
        std::string &table = (row / kPerTable) % 2 ? front : back;
        table += std::to_string(address) + ",\"Sprite " + std::to_string(row) + "\"\r\n";
    }
    save(dir / "reference.nes", text(rom));
    save(dir / "Data/BackLocations.txt", back);
    save(dir / "Data/FrontLocations.txt", front);
    // The other copy: no header, three blocks of 48 KiB inserted, every tenth table recoloured.
    std::vector<std::uint8_t> other(rom.begin() + 16, rom.end());
    for (std::size_t t = 0; t < 2 * kRows / kPerTable; t += 10)
        for (std::size_t i = 0; i < kPerTable * 3; ++i)
            other[t * 16384 + 64 + i] ^= 0x11;
    for (const std::size_t at : {kRom / 4 + 7000, kRom / 2 + 9000, 3 * kRom / 4 + 3000}) {
        std::vector<std::uint8_t> block(48 << 10);
        for (auto &byte : block)
            byte = std::uint8_t(next() >> 24);
        other.insert(other.begin() + std::ptrdiff_t(at), block.begin(), block.end());
    }
    save(dir / "other.nes", text(other));
    std::printf("%d rows in each list, a reference of %zu bytes, a copy of %zu bytes\n", kRows,
                rom.size(), other.size());

    FileBytes a, b;
    const auto readRom = [&] { (void)FileIo::read(dir / "reference.nes", a, FileIo::kLargestRom); };
    const double readHash = bestMs(5, [&] {
        readRom();
        hashes(a.span());
    });
    const double check = bestMs(5, [&] {
        readRom();
        tables = ProgramFolder::readTables(dir);
        (void)RomIdentity::of(a.span());
        (void)TableCheck::check(a.span(), tables, [](const std::string &) { return true; });
    });
    report("check (rules)", check, readHash);

    const auto readAll = [&] {
        std::string t;
        readRom();
        (void)FileIo::read(dir / "other.nes", b, FileIo::kLargestRom);
        (void)FileIo::readText(dir / "Data/BackLocations.txt", t);
        (void)FileIo::readText(dir / "Data/FrontLocations.txt", t);
    };
    const double floor = bestMs(5, readAll);
    PalettePort::Result result;
    const double port = bestMs(5, [&] {
        readAll();
        tables = ProgramFolder::readTables(dir);
        (void)TableCheck::check(a.span(), tables, [](const std::string &) { return true; });
        result = PalettePort::port(a.span(), b.span(), tables);
        (void)ProgramFolder::tableText(tables.back);
        (void)ProgramFolder::tableText(tables.front);
    });
    report("port (rules)", port, floor);
    int found = 0;
    for (const auto *rows : {&result.back, &result.front})
        for (const auto &row : *rows)
            found += row.sure == PalettePort::Sure::One;
    std::printf("%d of %d rows found once\n", found, 2 * kRows);

    if (argc > 1) {
        const std::string tool = argv[1], at = dir.string() + "/";
        const std::string roms = at + "reference.nes " + at + "other.nes --folder " + at;
        report("port (command)", fresh([&] { command(tool + " port " + roms); }),
               fresh([&] { readAll(); }));
        report("check (command)",
               fresh([&] { command(tool + " check " + at + "reference.nes --folder " + at); }),
               fresh([&] {
                   readRom();
                   hashes(a.span());
               }));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
