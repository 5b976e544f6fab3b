// Making and applying patches for 10,000 palettes changed across a 16 MiB ROM (the most IPS can
// reach) and, for BPS, a 64 MiB one, beside the floor of reading both files and comparing them.
#include "document/FileIo.h"
#include "patches/BpsPatch.h"
#include "patches/IpsPatch.h"

#include "BestTime.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace tintwright;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes read(const std::filesystem::path &path) {
    FileBytes bytes;
    (void)FileIo::read(path, bytes, FileIo::kLargestRom);
    return Bytes(bytes.data.get(), bytes.data.get() + bytes.size);
}

} // namespace

int main() {
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
