#pragma once

#include "Checksum.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tintwright {

// A size a header claims. Any file's size fits in 63 bits, but NES 2.0 can claim up to 2^63 × 7
// bytes: such a size is kept only as the header writes it.
struct RomSize {
    std::optional<std::int64_t> bytes = 0; // exact; none when more than any file can hold
    // The header's 2^exponent × (2 × multiplier + 1) when it writes the size so; exponent -1 when
    // it counts banks.
    int exponent = -1, multiplier = 0;

    // "16384", or "2^61 x 7" when it is more than any file can hold.
    std::string text() const;
};

// What a ROM file says about itself in its 16-byte iNES or NES 2.0 header, if it has one.
struct RomHeader {
    // CutShort: the file ends before its header does, so the whole file is ROM data.
    enum class Kind { None, CutShort, INes, Nes20 };
    enum class Mirroring { Horizontal, Vertical, FourScreen };

    Kind kind = Kind::None;
    RomSize prgRom, chrRom;
    int mapper = 0, submapper = 0; // the submapper only in NES 2.0
    Mirroring mirroring = Mirroring::Horizontal;
    bool battery = false, trainer = false;
    // Bytes 12 to 15 of an old iNES header that old tools filled with text, so byte 7 was left
    // out of the mapper; empty when they are zero.
    std::string oldToolBytes;
    // Bytes the header claims (header, trainer, PRG-ROM and CHR-ROM) less the file's size:
    // above 0 the file is short of what it claims, below 0 it holds more; none when the header
    // claims more than any file can hold.
    std::optional<std::int64_t> claimedBeyondFile = 0;

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
    // Sentences about a header that is cut short, was partly ignored, or does not fit its file;
    // none when it does.
    std::vector<std::string> warnings() const;
};

} // namespace tintwright
