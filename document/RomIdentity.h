#pragma once

#include "Checksum.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tintwright {

// What a ROM file says about itself in its 16-byte iNES or NES 2.0 header, if it has one.
struct RomHeader {
    enum class Kind { None, INes, Nes20 };
    enum class Mirroring { Horizontal, Vertical, FourScreen };

    Kind kind = Kind::None;
    std::uint64_t prgBytes = 0, chrBytes = 0;
    int mapper = 0, submapper = 0; // the submapper only in NES 2.0
    Mirroring mirroring = Mirroring::Horizontal;
    bool battery = false, trainer = false;
    // Bytes the header claims (header, trainer, PRG-ROM and CHR-ROM) less the file's size:
    // above 0 the file is short of what it claims, below 0 it holds more.
    std::int64_t claimedBeyondFile = 0;

    static RomHeader read(std::span<const std::uint8_t> file);
    // Where the ROM data begins: after the header and the trainer, as far as the file goes.
    std::size_t dataStart(std::size_t fileSize) const;
    static const char *name(Kind kind);
    static const char *name(Mirroring mirroring);
};

// A ROM file as catalogues list it: its header, and the CRC32, MD5 and SHA-1 of the whole file
// and of the ROM data without the header and trainer, all computed in one pass.
struct RomIdentity {
    RomHeader header;
    Checksum::Digests file, data;

    static RomIdentity of(std::span<const std::uint8_t> file);
    // Sentences about a header that does not fit its file; none when it does.
    std::vector<std::string> warnings() const;
};

} // namespace tintwright
