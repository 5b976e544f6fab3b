// Making and applying patches for 10,000 palettes changed across a 16 MiB ROM (the most IPS can
// reach) and, for BPS, a 64 MiB one, beside the floor of reading both files and comparing them.
// Given folders of pairs (NAME.a the original, NAME.b the edited, their names in cases.txt), it
// times BPS for each pair too, with the peak memory of making and checking it.
#include "document/FileIo.h"
#include "patches/BpsPatch.h"
#include "patches/IpsPatch.h"

#include "BestTime.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tintwright;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes read(const std::filesystem::path &path) {
    FileBytes bytes;
    (void)FileIo::read(path, bytes, FileIo::kLargestRom);
    return Bytes(bytes.data.get(), bytes.data.get() + bytes.size);
}

// Each pair in a child process, so that its peak memory is its own.
void pairs(const std::filesystem::path &folder) {
    std::ifstream names(folder / "cases.txt");
    std::printf("%s: size, time to make, floor, ratio, peak memory / both files\n",
                folder.c_str());
    for (std::string name; std::getline(names, name);) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            const auto a = folder / (name + ".a"), b = folder / (name + ".b");
            (void)read(a), (void)read(b); // from the page cache from now on
            const double floor = bestMs(3, [&] {
                const Bytes original = read(a), edited = read(b);
                (void)std::memcmp(original.data(), edited.data(),
                                  std::min(original.size(), edited.size()));
            });
            Bytes patch;
            const double make = bestMs(3, [&] {
                const Bytes original = read(a), edited = read(b);
                patch = BpsPatch::create(original, edited);
                if (BpsPatch::apply(original, patch) != edited)
                    std::printf("  %s: THE PATCH DOES NOT MAKE THE EDITED FILE\n", name.c_str());
            });
            std::printf("  %-24s %10zu bytes %8.1f ms %7.1f ms %5.2f", name.c_str(), patch.size(),
                        make, floor, make / floor);
            std::fflush(stdout);
            _exit(0);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        const double files = double(std::filesystem::file_size(folder / (name + ".a")) +
                                    std::filesystem::file_size(folder / (name + ".b")));
        std::printf(" %6.1f MiB %5.2f\n", double(usage.ru_maxrss) / 1024,
                    double(usage.ru_maxrss) * 1024 / files);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc > 1) {
        for (int i = 1; i < argc; ++i)
            pairs(argv[i]);
        return 0;
    }
    const auto dir = std::filesystem::temp_directory_path() / "tintwright-bench-patches";
    std::filesystem::create_directories(dir);
    for (const std::size_t mebibytes : {16, 64}) {
        const std::size_t size = mebibytes << 20;
        Bytes original(size);
        for (std::size_t i = 0; i < size; ++i)
            original[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
        Bytes edited = original;
        for (std::size_t palette = 0; palette < 10000; ++palette) {
            const std::size_t at = 16 + palette * (size / 10000);
            edited[at] = 0x0F, edited[at + 1] = std::uint8_t(palette % 0x30), edited[at + 2] = 0x30;
        }
        std::ofstream(dir / "a.nes", std::ios::binary)
            .write(reinterpret_cast<const char *>(original.data()), std::streamsize(size));
        std::ofstream(dir / "b.nes", std::ios::binary)
            .write(reinterpret_cast<const char *>(edited.data()), std::streamsize(size));
        const double floor = bestMs(5, [&] {
            const Bytes a = read(dir / "a.nes"), b = read(dir / "b.nes");
            (void)std::memcmp(a.data(), b.data(), a.size());
        });
        std::printf("%zu MiB ROM, 10,000 palettes changed; reading both and comparing: %.1f ms\n",
                    mebibytes, floor);
        for (const bool bps : {false, true}) {
            if (!bps && size > IpsPatch::kReach)
                continue;
            Bytes patch;
            const double make = bestMs(5, [&] {
                const Bytes a = read(dir / "a.nes"), b = read(dir / "b.nes");
                patch = bps ? BpsPatch::create(a, b) : IpsPatch::create(a, b);
            });
            const double apply = bestMs(5, [&] {
                const Bytes a = read(dir / "a.nes");
                (void)(bps ? BpsPatch::apply(a, patch) : IpsPatch::apply(a, patch));
            });
            std::printf("  %s: %zu bytes; patch %.1f ms (ratio %.2f), apply %.1f ms (ratio %.2f)\n",
                        bps ? "BPS" : "IPS", patch.size(), make, make / floor, apply,
                        apply / floor);
        }
    }
    std::filesystem::remove_all(dir);
    return 0;
}
