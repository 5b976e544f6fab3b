// Making and applying patches for 10,000 palettes changed across a 16 MiB ROM (the most IPS can
// reach) and, for BPS, a 64 MiB one, beside the floor of reading both files and comparing them.
// Given folders of pairs (NAME.a the original, NAME.b the edited, their names in cases.txt), it
// times BPS for each pair too, with the peak memory of making and checking it.
#include "document/FileIo.h"
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

// A figure of /proc/self/status, in KiB.
double statusKiB(const std::string &field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field))
            return std::stod(line.substr(field.size()));
    return 0;
}

// What one run in a new process measured: its time, its peak memory beyond what it began
// with, and what the work itself reports.
struct Run {
    double ms = 0, peak = 0, size = 0, applyMs = 0;
};

// One run of `work` in a new process, as the command runs: the parent keeps no pages that the
// child could count as its own.
template <typename Work> Run fresh(Work &&work) {
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        std::ofstream("/proc/self/clear_refs") << "5"; // the peak is counted from here
        const double before = statusKiB("VmRSS:");
        Run run;
        run.ms = bestMs(1, [&] { work(run); });
        run.peak = (statusKiB("VmHWM:") - before) * 1024;
        (void)!::write(channel[1], &run, sizeof run);
        _exit(0);
    }
    close(channel[1]);
    Run run;
    (void)!::read(channel[0], &run, sizeof run);
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return run;
}

// The floor and the patch each timed in new processes, in turn, the best of five: a new
// process pays for every page it touches, as the command does.
void pairs(const std::filesystem::path &folder) {
    std::ifstream names(folder / "cases.txt");
    std::printf("%s: size, time to make, floor, ratio, time to apply, peak memory / both files\n",
                folder.c_str());
    for (std::string name; std::getline(names, name);) {
        const auto a = folder / (name + ".a"), b = folder / (name + ".b");
        double floor = 1e100, make = 1e100, peak = 0;
        for (int run = 0; run < 5; ++run) {
            floor = std::min(floor, fresh([&](Run &) {
                                        const FileBytes original = load(a), edited = load(b);
                                        (void)std::memcmp(original.data.get(), edited.data.get(),
                                                          std::min(original.size, edited.size));
                                    }).ms);
            const Run made = fresh([&](Run &) {
                const FileBytes original = load(a), edited = load(b);
                (void)BpsPatch::create(view(original), view(edited));
            });
            make = std::min(make, made.ms);
            peak = std::max(peak, made.peak);
        }
        // The patch's size, that it makes the edited file, and how long that takes.
        const Run checked = fresh([&](Run &run) {
            const FileBytes original = load(a), edited = load(b);
            const Bytes patch = BpsPatch::create(view(original), view(edited));
            Bytes result;
            run.applyMs = bestMs(3, [&] { result = BpsPatch::apply(view(original), patch); });
            run.size = std::ranges::equal(result, view(edited)) ? double(patch.size()) : -1;
        });
        const double files = double(std::filesystem::file_size(a) + std::filesystem::file_size(b));
        std::printf("  %-24s %10.0f bytes %8.1f ms %7.1f ms %5.2f %7.1f ms %5.2f%s\n", name.c_str(),
                    checked.size, make, floor, make / floor, checked.applyMs, peak / files,
                    checked.size < 0 ? "  THE PATCH DOES NOT MAKE THE EDITED FILE" : "");
        std::fflush(stdout);
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
