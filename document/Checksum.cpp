#include "Checksum.h"

#include "NumberText.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <new>

namespace tintwright {

std::uint32_t Checksum::crc32(std::span<const std::uint8_t> bytes) {
    return std::uint32_t(crc32_z(0, bytes.data(), bytes.size()));
}

struct Checksum::Hashes::Contexts {
    EVP_MD_CTX *md5 = EVP_MD_CTX_new();
    EVP_MD_CTX *sha1 = EVP_MD_CTX_new();
    ~Contexts() {
        EVP_MD_CTX_free(md5);
        EVP_MD_CTX_free(sha1);
    }
};

Checksum::Hashes::Hashes() : m_contexts(std::make_unique<Contexts>()) {
    if (m_contexts->md5 == nullptr || m_contexts->sha1 == nullptr ||
        EVP_DigestInit_ex(m_contexts->md5, EVP_md5(), nullptr) != 1 ||
        EVP_DigestInit_ex(m_contexts->sha1, EVP_sha1(), nullptr) != 1)
        throw std::bad_alloc();
}

Checksum::Hashes::~Hashes() = default;

void Checksum::Hashes::add(std::span<const std::uint8_t> bytes) {
    m_crc = std::uint32_t(crc32_z(m_crc, bytes.data(), bytes.size()));
    EVP_DigestUpdate(m_contexts->md5, bytes.data(), bytes.size());
    EVP_DigestUpdate(m_contexts->sha1, bytes.data(), bytes.size());
}

Checksum::Digests Checksum::Hashes::finish() {
    const auto digest = [](EVP_MD_CTX *context) {
        unsigned char bytes[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        EVP_DigestFinal_ex(context, bytes, &size);
        std::string hex;
        for (unsigned int i = 0; i < size; ++i)
            hex += NumberText::hex(bytes[i], 2);
        for (char &c : hex)
            c = char(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
        return hex;
    };
    return {m_crc, digest(m_contexts->md5), digest(m_contexts->sha1)};
}

} // namespace tintwright
