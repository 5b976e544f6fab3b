#include "RomIdentity.h"

#include <algorithm>
#include <cstring>

namespace tintwright {

namespace {

constexpr std::size_t kHeader = 16, kTrainer = 512;

// A NES 2.0 size: a count of units, or, when the high nybble is all ones, 2^E × (2M + 1) bytes.
std::uint64_t nes20Size(std::uint8_t low, std::uint8_t high, std::uint64_t unit) {
    if (high == 0x0F) {
        const int exponent = low >> 2, multiplier = low & 3;
        return exponent >= 62 ? 0
                              : (std::uint64_t(1) << exponent) * std::uint64_t(multiplier * 2 + 1);
    }
    return (std::uint64_t(high) << 8 | low) * unit;
}

} // namespace

RomHeader RomHeader::read(std::span<const std::uint8_t> file) {
    RomHeader header;
    if (file.size() < kHeader || std::memcmp(file.data(), "NES\x1A", 4) != 0)
        return header;
    const std::uint8_t flags6 = file[6], flags7 = file[7];
    header.kind = (flags7 & 0x0C) == 0x08 ? Kind::Nes20 : Kind::INes;
    header.mirroring = flags6 & 0x08   ? Mirroring::FourScreen
                       : flags6 & 0x01 ? Mirroring::Vertical
                                       : Mirroring::Horizontal;
    header.battery = flags6 & 0x02;
    header.trainer = flags6 & 0x04;
    // Old tools wrote text ("DiskDude!") over the bytes after the sizes; such a header's
    // byte 7 is no part of the mapper.
    const bool junk = header.kind == Kind::INes &&
                      std::any_of(file.begin() + 12, file.begin() + 16, [](auto b) { return b; });
    header.mapper = (flags6 >> 4) | (junk ? 0 : flags7 & 0xF0);
    if (header.kind == Kind::Nes20) {
        header.mapper |= (file[8] & 0x0F) << 8;
        header.submapper = file[8] >> 4;
        header.prgBytes = nes20Size(file[4], file[9] & 0x0F, 16384);
        header.chrBytes = nes20Size(file[5], file[9] >> 4, 8192);
    } else {
        header.prgBytes = std::uint64_t(file[4]) * 16384;
        header.chrBytes = std::uint64_t(file[5]) * 8192;
    }
    const std::uint64_t claimed =
        kHeader + (header.trainer ? kTrainer : 0) + header.prgBytes + header.chrBytes;
    header.claimedBeyondFile = std::int64_t(claimed) - std::int64_t(file.size());
    return header;
}

std::size_t RomHeader::dataStart(std::size_t fileSize) const {
    if (kind == Kind::None)
        return 0;
    return std::min(fileSize, kHeader + (trainer ? kTrainer : 0));
}

const char *RomHeader::name(Kind kind) {
    switch (kind) {
    case Kind::INes:
        return "iNES";
    case Kind::Nes20:
        return "NES 2.0";
    case Kind::None:
        break;
    }
    return "none";
}

const char *RomHeader::name(Mirroring mirroring) {
    switch (mirroring) {
    case Mirroring::Vertical:
        return "vertical";
    case Mirroring::FourScreen:
        return "four-screen";
    case Mirroring::Horizontal:
        break;
    }
    return "horizontal";
}

RomIdentity RomIdentity::of(std::span<const std::uint8_t> file) {
    RomIdentity identity;
    identity.header = RomHeader::read(file);
    const std::size_t start = identity.header.dataStart(file.size());
    Checksum::Hashes whole, data;
    // One pass: each piece is hashed for both while it is in the cache.
    constexpr std::size_t kPiece = std::size_t(1) << 18;
    for (std::size_t at = 0; at < file.size(); at += kPiece) {
        const auto piece = file.subspan(at, std::min(kPiece, file.size() - at));
        whole.add(piece);
        if (start != 0 && at + piece.size() > start)
            data.add(piece.subspan(at < start ? start - at : 0));
    }
    identity.file = whole.finish();
    identity.data = start == 0 ? identity.file : data.finish();
    return identity;
}

std::vector<std::string> RomIdentity::warnings() const {
    std::vector<std::string> said;
    const std::int64_t beyond = header.claimedBeyondFile;
    if (header.kind == RomHeader::Kind::None || beyond == 0)
        return said;
    if (beyond > 0)
        said.push_back("the header claims " + std::to_string(beyond) +
                       " bytes more than the file holds");
    else
        said.push_back("the file holds " + std::to_string(-beyond) +
                       " bytes more than the header claims");
    return said;
}

} // namespace tintwright
