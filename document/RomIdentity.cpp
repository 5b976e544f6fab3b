#include "RomIdentity.h"

#include "TextEncoding.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace tintwright {

namespace {

constexpr std::size_t kHeader = 16, kTrainer = 512;
constexpr std::string_view kMagic{"NES\x1A", 4};
constexpr std::int64_t kPrgUnit = 16384, kChrUnit = 8192;
// The largest size a file can have.
constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
// A NES 2.0 size's high nybble that says the low byte holds an exponent and a multiplier.
constexpr std::uint8_t kExponentForm = 0x0F;
// Bytes 12 to 15 of an iNES header, zero unless an old tool wrote over them.
constexpr std::size_t kOldTool = 12;

// A NES 2.0 size: a count of units, or, when the high nybble is all ones, 2^E × (2M + 1) bytes.
RomSize nes20Size(std::uint8_t low, std::uint8_t high, std::int64_t unit) {
    if (high != kExponentForm)
        return {(std::int64_t(high) << 8 | low) * unit};
    RomSize size{std::nullopt, low >> 2, low & 3};
    const std::int64_t factor = size.multiplier * 2 + 1;
    if (factor <= kMost >> size.exponent)
        size.bytes = factor << size.exponent;
    return size;
}

// a + b, or none when either is none or the sum is more than any file can hold.
std::optional<std::int64_t> sum(std::optional<std::int64_t> a, std::optional<std::int64_t> b) {
    if (!a || !b)
        return std::nullopt;
    // Both lie below 2^63, so the sum fits 64 bits unsigned, and reads as negative past 63.
    const auto total = std::int64_t(std::uint64_t(*a) + std::uint64_t(*b));
    return total >= 0 ? std::optional(total) : std::nullopt;
}

// "1 byte", "2 bytes".
std::string byteCount(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

} // namespace

std::string RomSize::text() const {
    if (bytes)
        return std::to_string(*bytes);
    const std::string power = "2^" + std::to_string(exponent);
    return multiplier == 0 ? power : power + " x " + std::to_string(multiplier * 2 + 1);
}

RomHeader RomHeader::read(std::span<const std::uint8_t> file) {
    RomHeader header;
    const std::size_t magic = std::min(file.size(), kMagic.size());
    if (file.empty() || !std::equal(file.begin(), file.begin() + magic, kMagic.begin()))
        return header;
    if (file.size() < kHeader) {
        header.kind = Kind::CutShort;
        return header;
    }
    const std::uint8_t flags6 = file[6], flags7 = file[7];
    header.kind = (flags7 & 0x0C) == 0x08 ? Kind::Nes20 : Kind::INes;
    header.mirroring = flags6 & 0x08   ? Mirroring::FourScreen
                       : flags6 & 0x01 ? Mirroring::Vertical
                                       : Mirroring::Horizontal;
    header.battery = flags6 & 0x02;
    header.trainer = flags6 & 0x04;
    // Old tools wrote text ("DiskDude!") over the bytes after the sizes; such a header's
    // byte 7 is no part of the mapper.
    const auto oldTool = file.subspan(kOldTool, kHeader - kOldTool);
    if (header.kind == Kind::INes &&
        std::any_of(oldTool.begin(), oldTool.end(), [](auto b) { return b; }))
        header.oldToolBytes.assign(oldTool.begin(), oldTool.end());
    header.mapper = (flags6 >> 4) | (header.oldToolBytes.empty() ? flags7 & 0xF0 : 0);
    if (header.kind == Kind::Nes20) {
        header.mapper |= (file[8] & 0x0F) << 8;
        header.submapper = file[8] >> 4;
        header.prgRom = nes20Size(file[4], file[9] & 0x0F, kPrgUnit);
        header.chrRom = nes20Size(file[5], file[9] >> 4, kChrUnit);
    } else {
        header.prgRom.bytes = file[4] * kPrgUnit;
        header.chrRom.bytes = file[5] * kChrUnit;
    }
    const auto claimed = sum(sum(header.prgRom.bytes, header.chrRom.bytes),
                             std::int64_t(kHeader + (header.trainer ? kTrainer : 0)));
    header.claimedBeyondFile =
        claimed ? std::optional(*claimed - std::int64_t(file.size())) : std::nullopt;
    return header;
}

std::size_t RomHeader::dataStart(std::size_t fileSize) const {
    if (kind == Kind::None || kind == Kind::CutShort)
        return 0;
    return std::min(fileSize, kHeader + (trainer ? kTrainer : 0));
}

const char *RomHeader::name(Kind kind) {
    switch (kind) {
    case Kind::INes:
        return "iNES";
    case Kind::Nes20:
        return "NES 2.0";
    case Kind::CutShort:
        return "cut short";
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
    if (header.kind == RomHeader::Kind::CutShort)
        said.push_back("the file begins as an iNES header does but ends before its " +
                       std::to_string(kHeader) + " bytes: all of it is taken as ROM data");
    if (!header.oldToolBytes.empty())
        said.push_back("bytes 12 to 15 of the header are not all zero (" +
                       TextEncoding::quoted(header.oldToolBytes) +
                       "), as old tools left them, so byte 7's mapper bits were ignored");
    for (const auto &[name, size] :
         {std::pair{"PRG-ROM", &header.prgRom}, std::pair{"CHR-ROM", &header.chrRom}})
        if (!size->bytes)
            said.push_back(std::string(name) + ": " + size->text() +
                           " bytes, more than any file can hold");
    const std::optional<std::int64_t> beyond = header.claimedBeyondFile;
    if (!beyond)
        said.push_back("the header claims more bytes in all than any file can hold, so more "
                       "than the file holds");
    else if (*beyond > 0)
        said.push_back("the header claims " + byteCount(*beyond) + " more than the file holds");
    else if (*beyond < 0)
        said.push_back("the file holds " + byteCount(-*beyond) + " more than the header claims");
    return said;
}

} // namespace tintwright
