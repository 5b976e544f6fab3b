#include "ByteBuffer.h"

#include <cstdlib>
#include <new>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace tintwright {

ByteBuffer::ByteBuffer(std::size_t size) {
    if (size == 0)
        return;
#ifdef __linux__
    constexpr std::size_t kHuge = std::size_t(2) << 20;
    if (size >= kHuge) {
        // Mapped a huge page longer, then cut to start on a boundary of one; a last part
        // smaller than a huge page takes small pages.
        const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
        m_mapped = (size + page - 1) / page * page;
        void *mapping = mmap(nullptr, m_mapped + kHuge, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping == MAP_FAILED)
            throw std::bad_alloc();
        const auto first = reinterpret_cast<std::uintptr_t>(mapping);
        const std::uintptr_t start = (first + kHuge - 1) & ~(kHuge - 1);
        if (start > first)
            munmap(mapping, start - first);
        // The aligned start is worked out as a number; it lies inside the mapping.
        munmap(reinterpret_cast<void *>(start + m_mapped), // NOLINT(performance-no-int-to-ptr)
               first + kHuge - start);
        m_data = reinterpret_cast<std::uint8_t *>(start); // NOLINT(performance-no-int-to-ptr)
        madvise(m_data, m_mapped, MADV_HUGEPAGE);
        return;
    }
#endif
    m_data = static_cast<std::uint8_t *>(std::calloc(size, 1));
    if (m_data == nullptr)
        throw std::bad_alloc();
}

ByteBuffer ByteBuffer::mapped(int fd, std::size_t size) {
    ByteBuffer buffer;
#ifdef __linux__
    void *mapping =
        size == 0 ? MAP_FAILED : mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
    if (mapping != MAP_FAILED) {
        buffer.m_data = static_cast<std::uint8_t *>(mapping);
        buffer.m_mapped = size;
    }
#endif
    return buffer;
}

ByteBuffer::~ByteBuffer() {
    release();
}

ByteBuffer::ByteBuffer(ByteBuffer &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_mapped(std::exchange(other.m_mapped, 0)) {}

ByteBuffer &ByteBuffer::operator=(ByteBuffer &&other) noexcept {
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_mapped = std::exchange(other.m_mapped, 0);
    }
    return *this;
}

void ByteBuffer::release() {
#ifdef __linux__
    if (m_mapped != 0) {
        munmap(m_data, m_mapped);
        m_data = nullptr;
        return;
    }
#endif
    std::free(m_data);
    m_data = nullptr;
}

} // namespace tintwright
