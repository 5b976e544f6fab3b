// Opening and saving a large ROM against a plain read and write of the same file,
// and the Data table reader on a million rows.
#include "document/Rom.h"
#include "document/RomDocument.h"

#include "BestTime.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

using namespace tintwright;

int main() {
    const auto dir = std::filesystem::temp_directory_path() / "tintwright-bench";
    std::filesystem::create_directories(dir);
    const auto romPath = dir / "big.nes";
    const std::size_t size = 64u << 20;
    {
        std::vector<char> bytes(size);
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i * 2654435761u >> 24);
        std::ofstream(romPath, std::ios::binary).write(bytes.data(), std::streamsize(size));
    }

    const int runs = 7;
    const double plainRead = bestMs(runs, [&] {
        std::FILE *f = std::fopen(romPath.c_str(), "rb");
        auto buffer = std::make_unique_for_overwrite<char[]>(size);
        if (std::fread(buffer.get(), 1, size, f) != size)
            std::perror("read");
        std::fclose(f);
    });
    RomDocument rom;
    const double open = bestMs(runs, [&] { rom.open(romPath); });
    auto image = std::make_unique<char[]>(size);
    const double plainWrite = bestMs(runs, [&] {
        std::FILE *f = std::fopen(romPath.c_str(), "r+b");
        if (std::fwrite(image.get(), 1, size, f) != size)
            std::perror("write");
        std::fflush(f);
        fsync(fileno(f)); // as a save makes sure its bytes are stored
        std::fclose(f);
    });
    const double save = bestMs(runs, [&] { (void)rom.write(); });

    std::printf("64 MiB open:  %8.2f ms   plain read:  %8.2f ms   ratio %.2f\n", open, plainRead,
                open / plainRead);
    std::printf("64 MiB save:  %8.2f ms   plain write: %8.2f ms   ratio %.2f\n", save, plainWrite,
                save / plainWrite);

    std::string table;
    for (int i = 0; i < 1000000; ++i)
        table +=
            std::to_string(0x8000 + 3 * i) + ",\"Sprite number " + std::to_string(i) + "\"\r\n";
    std::filesystem::create_directories(dir / "Data");
    std::ofstream(dir / "Data" / "BackLocations.txt", std::ios::binary) << table;
    std::ofstream(dir / "Data" / "FrontLocations.txt", std::ios::binary);
    std::ofstream(dir / "Data" / "FileTypeFilter.txt", std::ios::binary) << "0\r\n";
    ProgramState state;
    state.programFolder = dir;
    const double load = bestMs(5, [&] { Rom::Load_Tables(state); });
    std::printf("Load_Tables: %d rows, %.1f MB in %.2f ms = %.0f MB/s\n", state.tables.back.rows(),
                double(table.size()) / 1e6, load, double(table.size()) / 1e3 / load);

    std::filesystem::remove_all(dir);
    return 0;
}
