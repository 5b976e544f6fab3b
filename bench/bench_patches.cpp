// Making and applying patches for 10,000 palettes changed across a 16 MiB ROM (the most IPS can
// reach) and, for BPS, a 64 MiB one, beside the floor of reading both files and comparing them.
// Given tintwright-data and folders of pairs (NAME.a the original, NAME.b the edited, their names
// in cases.txt), it times the command making a BPS patch of each pair as a user runs it, in a new
// process, beside the floor of a new process that maps both files and reads a byte of every
// cache line (and of every page), with the command's peak memory.
#include "document/FileIo.h"
#include "document/Problem.h"
#include "patches/BpsPatch.h"
#include "patches/IpsPatch.h"

#include "BestTime.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

FileBytes load(const std::filesystem::path &path) {
    FileBytes bytes;
    (void)FileIo::read(path, bytes, FileIo::kLargestRom);
    return bytes;
}

std::span<const std::uint8_t> view(const FileBytes &bytes) {
    return {bytes.data.get(), bytes.size};
}

// The floor of a pair: both files mapped read-only and one byte read every `step` bytes, in a new
// process as the command runs in one. A step of 64 reads every cache line, of 4096 every page.
int touch(std::size_t step, char **files) {
    unsigned sum = 0;
    for (int i = 0; i < 2; ++i) {
        const int fd = open(files[i], O_RDONLY);
        struct stat info {};
        if (fd < 0 || fstat(fd, &info) != 0)
            return 1;
        const auto size = std::size_t(info.st_size);
        if (size > 0) {
            void *map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
            if (map == MAP_FAILED)
                return 1;
            const auto *bytes = static_cast<const volatile std::uint8_t *>(map);
            for (std::size_t at = 0; at < size; at += step)
                sum += bytes[at];
            munmap(map, size);
        }
        close(fd);
    }
    return sum == 1 ? 2 : 0; // the sum is used, so no read is left out
}

std::string self() {
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

// Whether the patch makes the edited file of the original, its CRC32s included.
int check(char **files) {
    const FileBytes original = load(files[0]), edited = load(files[1]), patch = load(files[2]);
    try {
        return BpsPatch::makes(view(original), view(patch), view(edited)) ? 0 : 1;
    } catch (const Problem &) {
        return 1;
    }
}

// One run of a program in a new process, its standard output thrown away: the wall time from
// start to end and its peak memory.
struct Spawned {
    double ms = 1e100, peak = 0;
    bool ok = true;
};

Spawned spawn(const std::vector<std::string> &args) {
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    Spawned run;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    int status = 0;
    struct rusage usage {};
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
        wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        run.ok = false;
    run.ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.peak = double(usage.ru_maxrss) * 1024;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

// The best of `runs` of each, taken in turn so that a disturbance of the machine falls on all.
struct PairTimes {
    Spawned command, floor64, floor4096;
};

PairTimes timePair(const std::string &tool, const std::string &a, const std::string &b,
                   const std::string &patch, int runs) {
    PairTimes best;
    const auto keep = [](Spawned &kept, const Spawned &run) {
        kept.ok = kept.ok && run.ok;
        kept.ms = std::min(kept.ms, run.ms);
        kept.peak = std::max(kept.peak, run.peak);
    };
    for (int run = 0; run < runs; ++run) {
        keep(best.floor64, spawn({self(), "--touch", "64", a, b}));
        keep(best.floor4096, spawn({self(), "--touch", "4096", a, b}));
        keep(best.command, spawn({tool, "patch", a, b, patch, "--force"}));
    }
    return best;
}

// Each pair of each folder (NAME.a the original, NAME.b the edited, their names in cases.txt):
// the BPS patch command beside both floors, and whether the pair is within ten floors and a
// tenth of a second.
void pairs(const std::string &tool, const std::filesystem::path &folder, int runs) {
    std::ifstream names(folder / "cases.txt");
    const auto patch = std::filesystem::temp_directory_path() / "tintwright-bench-pair.bps";
    std::printf("%s, the best of %d runs of each, all in new processes:\n", folder.c_str(), runs);
    std::printf("  %-24s %10s %9s %9s %9s %7s %7s %9s %6s\n", "pair", "patch", "command",
                "floor/64", "floor/4K", "ratio64", "ratio4K", "peak", "/files");
    for (std::string name; std::getline(names, name);) {
        const auto a = folder / (name + ".a"), b = folder / (name + ".b");
        const PairTimes t = timePair(tool, a, b, patch, runs);
        // Checked in a process of its own: this one stays small, as a child's peak memory
        // counts the pages of the process that started it.
        const bool makes = t.command.ok && spawn({self(), "--check", a, b, patch.string()}).ok;
        const double files = double(std::filesystem::file_size(a) + std::filesystem::file_size(b));
        const bool within = t.command.ms <= 10 * t.floor64.ms + 100;
        std::printf("  %-24s %10zu %6.1f ms %6.1f ms %6.1f ms %7.2f %7.2f %6.1f MB %6.2f  %s%s\n",
                    name.c_str(), std::size_t(std::filesystem::file_size(patch)), t.command.ms,
                    t.floor64.ms, t.floor4096.ms, t.command.ms / t.floor64.ms,
                    t.command.ms / t.floor4096.ms, t.command.peak / (1 << 20),
                    t.command.peak / files, within ? "within" : "OVER 10 floors + 0.1 s",
                    makes ? "" : "  THE PATCH DOES NOT MAKE THE EDITED FILE");
        std::fflush(stdout);
        std::filesystem::remove(patch);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 5 && std::strcmp(argv[1], "--touch") == 0)
        return touch(std::size_t(std::stoul(argv[2])), argv + 3);
    if (argc == 5 && std::strcmp(argv[1], "--check") == 0)
        return check(argv + 2);
    if (argc > 1) {
        if (argc < 3) {
            std::fprintf(stderr, "usage: bench_patches [TINTWRIGHT_DATA FOLDER...]\n");
            return 2;
        }
        for (int i = 2; i < argc; ++i)
            pairs(argv[1], argv[i], 5);
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
