#include "Checksum.h"

#include <zlib.h>

namespace tintwright {

std::uint32_t Checksum::crc32(std::span<const std::uint8_t> bytes) {
    return std::uint32_t(crc32_z(0, bytes.data(), bytes.size()));
}

} // namespace tintwright
