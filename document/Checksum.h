#pragma once

#include <cstdint>
#include <span>

namespace tintwright {

// The CRC32 that patch formats and ROM catalogues use (zlib's).
class Checksum {
public:
    static std::uint32_t crc32(std::span<const std::uint8_t> bytes);
};

} // namespace tintwright
