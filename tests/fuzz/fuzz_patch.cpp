// Arbitrary bytes as an IPS patch, and as the body of a BPS patch given a right header and
// checksums, applied to a fixed ROM: never a crash, a hang or a read out of bounds; and whatever
// is accepted applies the same way twice and within what the format can make.
#include "document/Checksum.h"
#include "document/Problem.h"
#include "patches/BpsPatch.h"
#include "patches/IpsPatch.h"

#include <cstddef>
#include <cstdint>

using namespace tintwright;
using Bytes = std::vector<std::uint8_t>;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const Bytes source = [] {
        Bytes bytes(64);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = std::uint8_t(i * 7);
        return bytes;
    }();
    Bytes ips{'P', 'A', 'T', 'C', 'H'};
    ips.insert(ips.end(), data, data + size);
    // BPS: its CRC32s are what a forger would write, so that the actions themselves are tried.
    Bytes bps{'B',  'P',  'S', '1',
              0xC0, 0x80, 0x80};                 // a source of 64 bytes, a target of 0, no metadata
    bps[5] = size > 0 ? (data[0] | 0x80) : 0x80; // the target's size, from the input
    bps.insert(bps.end(), data + (size > 0), data + size);
    for (const std::uint32_t crc : {Checksum::crc32(source), std::uint32_t(0)})
        for (int i = 0; i < 4; ++i)
            bps.push_back(std::uint8_t(crc >> (8 * i)));
    const std::uint32_t patchCrc = Checksum::crc32(bps);
    for (int i = 0; i < 4; ++i)
        bps.push_back(std::uint8_t(patchCrc >> (8 * i)));
    for (const Bytes *patch : {&ips, &bps}) {
        try {
            const bool isBps = patch == &bps;
            const Bytes once =
                isBps ? BpsPatch::apply(source, *patch) : IpsPatch::apply(source, *patch);
            const Bytes again =
                isBps ? BpsPatch::apply(source, *patch) : IpsPatch::apply(source, *patch);
            if (once != again || (!isBps && once.size() > IpsPatch::kReach + 65535) ||
                (isBps && (once.size() != BpsPatch::info(*patch).targetSize ||
                           !BpsPatch::makes(source, *patch, once))))
                __builtin_trap();
        } catch (const Problem &) {
        }
    }
    return 0;
}
