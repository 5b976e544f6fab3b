// Finding a palette table in a ROM of 4 MiB from ten of its palettes, beside its floor: reading
// the ROM. Given the path of tintwright-data, it also times the command in a new process, beside
// a new process that only reads the ROM.
#include "document/FileIo.h"
#include "document/PaletteFinder.h"

#include "BestTime.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

using namespace tintwright;

namespace {

constexpr std::size_t kRomSize = std::size_t(4) << 20;
constexpr int kTableRows = 120, kGiven = 10;

} // namespace

int main(int argc, char **argv) {
    const auto dir = std::filesystem::temp_directory_path() / "tintwright-bench-find";
    std::filesystem::create_directories(dir);
    const auto path = dir / "game.nes";
    // Random bytes, a table of 4-byte rows after a shared $0F in the middle, and each palette
    // given copied twice elsewhere.
    std::mt19937 random(7);
    std::string rom(kRomSize, '\0');
    for (char &byte : rom)
        byte = char(random());
    const std::size_t start = kRomSize / 2 + 1;
    std::vector<std::string> given;
    for (int row = 0; row < kTableRows; ++row) {
        std::string palette{char(random() % 64), char(random() % 64), char(random() % 64)};
        rom[start + std::size_t(row) * 4 - 1] = 0x0F;
        rom.replace(start + std::size_t(row) * 4, 3, palette);
        if (row % (kTableRows / kGiven) == 3) {
            given.push_back(palette);
            for (int copy = 0; copy < 2; ++copy)
                rom.replace(random() % (kRomSize / 4), 3, palette);
        }
    }
    rom[start - 5] = rom[start + kTableRows * 4 - 1] = char(0xFF);
    std::ofstream(path, std::ios::binary).write(rom.data(), std::streamsize(rom.size()));
    std::vector<PaletteClue> clues;
    std::string typed;
    for (const std::string &palette : given) {
        char text[16];
        std::snprintf(text, sizeof text, "%02X,%02X,%02X", palette[0], palette[1], palette[2]);
        clues.push_back(PaletteClue::parse(text));
        typed += std::string(" ") + text;
    }
    // The whole file read into memory: the least any finder must do.
    const auto read = [&](FileBytes &bytes) {
        if (!FileIo::read(path, bytes, kRomSize, FileIo::Source::File, FileIo::Access::Copy))
            std::exit(2);
    };
    int rows = 0;
    const double floorMs = bestMs(9, [&] {
        FileBytes bytes;
        read(bytes);
    });
    const double findMs = bestMs(9, [&] {
        FileBytes bytes;
        read(bytes);
        const PaletteFinder::Result result = PaletteFinder::find(bytes.span(), clues);
        rows = result.clear ? result.tables[0].rows : -1;
    });
    std::printf("find, 4 MiB, %d palettes: %.2f ms   floor (reading it) %.2f ms   ratio %.2f   "
                "(table of %d rows found: %s)\n",
                kGiven, findMs, floorMs, findMs / floorMs, rows, rows == kTableRows ? "yes" : "NO");
    if (argc > 1) {
        const std::string command =
            std::string(argv[1]) + " find " + path.string() + typed + " > /dev/null";
        const double toolMs = bestMs(5, [&] { (void)std::system(command.c_str()); });
        const double catMs = bestMs(
            5, [&] { (void)std::system(("cat " + path.string() + " > /dev/null").c_str()); });
        std::printf("tintwright-data find, new process: %.1f ms   floor (cat in a new process) "
                    "%.1f ms\n",
                    toolMs, catMs);
    }
    std::filesystem::remove_all(dir);
    return rows == kTableRows ? 0 : 1;
}
