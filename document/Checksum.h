#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace tintwright {

// The checksums that patch formats and ROM catalogues use: CRC32 (zlib's), MD5 and SHA-1
// (OpenSSL's).
class Checksum {
public:
    static std::uint32_t crc32(std::span<const std::uint8_t> bytes);

    // The three of a file, as catalogues list them; the digests in lower-case hex.
    struct Digests {
        std::uint32_t crc32 = 0;
        std::string md5, sha1;
    };
    // Computes all three over bytes given a piece at a time.
    class Hashes {
    public:
        Hashes();
        ~Hashes();
        Hashes(const Hashes &) = delete;
        Hashes &operator=(const Hashes &) = delete;
        void add(std::span<const std::uint8_t> bytes);
        Digests finish();

    private:
        struct Contexts;
        std::unique_ptr<Contexts> m_contexts;
        std::uint32_t m_crc = 0;
    };
};

} // namespace tintwright
