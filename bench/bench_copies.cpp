// Naming a ROM and carrying tables to another copy, at the sizes of a large hack: a 64 MiB
// reference with 10,000 rows in each list (or as many as the second argument says), and a copy
// without its header, with three blocks inserted and a tenth of the palettes recoloured. Each
// beside its floor: check beside reading the file and computing the same hashes with the same
// libraries; port beside reading both ROMs and the tables. Given the path of tintwright-data, it
// also times the commands themselves, each run in a new process as a user runs it: check beside
// the same floor in a new process, port beside a new process that maps both ROMs and touches
// every byte, the least any program that reads them whole can do.
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

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
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

// The files mapped read-only and every byte read: the floor of a program that reads them whole.
void touchMapped(std::initializer_list<std::filesystem::path> files) {
    std::uint64_t sum = 0;
    for (const auto &file : files) {
        const int fd = open(file.c_str(), O_RDONLY);
        struct stat info {};
        fstat(fd, &info);
        const auto size = std::size_t(info.st_size);
        const auto *bytes =
            static_cast<const std::uint8_t *>(mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0));
        for (std::size_t i = 0; i < size; ++i)
            sum += bytes[i];
        munmap(const_cast<std::uint8_t *>(bytes), size);
        close(fd);
    }
    if (sum == 1)
        std::printf("(one in a million)\n");
}

// One run of the command, its output thrown away.
void command(const std::string &line) {
    if (std::system((line + " > /dev/null").c_str()) != 0)
        std::printf("failed: %s\n", line.c_str());
}

constexpr std::size_t kRom = (64u << 20) + 16;
constexpr int kPerTable = 50;

// The reference, its tables and the other copy in `dir`. Tables of 50 palettes side by side,
// one every 16 KiB, back and front by turns. The copy: no header, three blocks of 48 KiB
// inserted, every tenth table recoloured. Or, with `pattern`, a reference of one 16-byte
// pattern and the copy the same a byte on, where every row fits everywhere.
void makeCopies(const std::filesystem::path &dir, int rows, bool pattern) {
    std::vector<std::uint8_t> rom(kRom);
    std::uint32_t seed = 27;
    const auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (std::size_t i = 0; i < rom.size(); ++i)
        rom[i] = pattern ? std::uint8_t((i % 16 * 7 + 3) % 64) : std::uint8_t(next() >> 24);
    if (!pattern)
        std::copy_n("NES\x1a\x80\x00", 6, rom.begin());
    std::string back, front;
    for (int row = 0; row < 2 * rows; ++row) {
        const std::size_t address =
            16 + std::size_t(row / kPerTable) * 16384 + 64 + std::size_t(row % kPerTable) * 3;
        for (int i = 0; i < 3 && !pattern; ++i)
            rom[address + std::size_t(i)] = std::uint8_t(next() >> 26);
        std::string &table = (row / kPerTable) % 2 ? front : back;
        table += std::to_string(address) + ",\"Sprite " + std::to_string(row) + "\"\r\n";
    }
    save(dir / "reference.nes", text(rom));
    save(dir / "Data/BackLocations.txt", back);
    save(dir / "Data/FrontLocations.txt", front);
    std::vector<std::uint8_t> other(rom.begin() + (pattern ? 1 : 16), rom.end());
    for (std::size_t t = 0; !pattern && t < std::size_t(2 * rows / kPerTable); t += 10)
        for (std::size_t i = 0; i < std::size_t(kPerTable) * 3; ++i)
            other[t * 16384 + 64 + i] ^= 0x11;
    for (const std::size_t at : {kRom / 4 + 7000, kRom / 2 + 9000, 3 * kRom / 4 + 3000}) {
        std::vector<std::uint8_t> block(pattern ? 0 : 48 << 10);
        for (auto &byte : block)
            byte = std::uint8_t(next() >> 24);
        other.insert(other.begin() + std::ptrdiff_t(at), block.begin(), block.end());
    }
    save(dir / "other.nes", text(other));
    std::printf("%s%d rows in each list, a reference of %zu bytes, a copy of %zu bytes\n",
                pattern ? "One pattern throughout: " : "", rows, rom.size(), other.size());
}

// check and port in this process, beside reading the files the same way.
void timeRules(const std::filesystem::path &dir) {
    FileBytes a, b;
    LocationTables tables;
    const auto readRom = [&] { (void)FileIo::read(dir / "reference.nes", a, FileIo::kLargestRom); };
    report("check (rules)",
           bestMs(5,
                  [&] {
                      readRom();
                      tables = ProgramFolder::readTables(dir);
                      (void)RomIdentity::of(a.span());
                      (void)TableCheck::check(a.span(), tables,
                                              [](const std::string &) { return true; });
                  }),
           bestMs(5, [&] {
               readRom();
               hashes(a.span());
           }));
    const auto readAll = [&] {
        readRom();
        (void)FileIo::read(dir / "other.nes", b, FileIo::kLargestRom);
    };
    PalettePort::Result result;
    const double port = bestMs(5, [&] {
        readAll();
        tables = ProgramFolder::readTables(dir);
        result = PalettePort::port(a.span(), b.span(), tables);
    });
    report("port (rules)", port, bestMs(5, readAll));
    int found = 0;
    for (const auto *rows : {&result.back, &result.front})
        for (const auto &row : *rows)
            found += row.sure == PalettePort::Sure::One;
    std::printf("%d of %zu rows found once\n", found, result.back.size() + result.front.size());
}

// The commands in new processes: port beside mapping both ROMs and touching every byte.
void timeCommands(const std::string &tool, const std::filesystem::path &dir, bool check) {
    const std::string at = dir.string() + "/";
    const std::string roms = at + "reference.nes " + at + "other.nes --folder " + at;
    const double mapped = fresh([&] { touchMapped({dir / "reference.nes", dir / "other.nes"}); });
    report("port (command)", fresh([&] { command(tool + " port " + roms); }), mapped);
    std::printf("%-40s %9.1f ms   (4 x the floor + 100 ms)\n", "port's budget", 4 * mapped + 100);
    if (check)
        report("check (command)",
               fresh([&] { command(tool + " check " + at + "reference.nes --folder " + at); }),
               fresh([&] {
                   FileBytes a;
                   (void)FileIo::read(dir / "reference.nes", a, FileIo::kLargestRom);
                   hashes(a.span());
               }));
}

} // namespace

int main(int argc, char **argv) {
    const auto dir = std::filesystem::temp_directory_path() / "tintwright-bench-copies";
    std::filesystem::create_directories(dir / "Data");
    const int rows = argc > 2 ? std::atoi(argv[2]) : 10000;
    makeCopies(dir, rows, false);
    timeRules(dir);
    if (argc > 1)
        timeCommands(argv[1], dir, true);
    makeCopies(dir, rows, true);
    if (argc > 1)
        timeCommands(argv[1], dir, false);
    std::filesystem::remove_all(dir);
    return 0;
}
