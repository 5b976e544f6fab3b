#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tintwright {

// BPS patches: "BPS1", the sizes of source and target and the metadata's, actions that read
// the source at the same place, take bytes from the patch, or copy from elsewhere in the source
// or in the target made so far, then the CRC32 of the source, the target and the patch.
class BpsPatch {
public:
    using Bytes = std::vector<std::uint8_t>;
    // The largest target a patch may make, as for every file the program reads whole.
    static constexpr std::uint64_t kLargestTarget = std::uint64_t(1) << 30;

    static Bytes create(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);
    // The target the patch makes of `source`. Throws Problem, naming the patch offset: a
    // source of the wrong size or CRC32 (or one that already is the target), a damaged patch, a
    // target larger than kLargestTarget, or a target whose CRC32 is wrong.
    static Bytes apply(std::span<const std::uint8_t> source, std::span<const std::uint8_t> patch);
    // Whether the patch makes exactly `target` of `source`, its CRC32s included: applied as it
    // is read and compared as it goes, so no copy of the target is made. Throws as apply does.
    static bool makes(std::span<const std::uint8_t> source, std::span<const std::uint8_t> patch,
                      std::span<const std::uint8_t> target);

    struct Info {
        std::uint64_t sourceSize = 0, targetSize = 0, metadata = 0;
        std::uint32_t sourceCrc = 0, targetCrc = 0, patchCrc = 0;
        std::size_t actions = 0;
    };
    static Info info(std::span<const std::uint8_t> patch);
};

} // namespace tintwright
