#include "WindowIndex.h"

#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace tintwright {

ZeroedTable::ZeroedTable(std::size_t entries) {
    const std::size_t bytes = entries * sizeof(std::uint32_t);
#ifdef __linux__
    constexpr std::size_t kHuge = std::size_t(2) << 20;
    if (bytes >= kHuge) {
        // Mapped a huge page longer, then cut to start on a boundary of one; a last part
        // smaller than a huge page takes small pages.
        const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
        m_mapped = (bytes + page - 1) / page * page;
        void *mapping = mmap(nullptr, m_mapped + kHuge, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping == MAP_FAILED)
            throw std::bad_alloc();
        const auto first = reinterpret_cast<std::uintptr_t>(mapping);
        const std::uintptr_t start = (first + kHuge - 1) & ~(kHuge - 1);
        if (start > first)
            munmap(mapping, start - first);
        munmap(reinterpret_cast<void *>(start + m_mapped), first + kHuge - start);
        m_entries = reinterpret_cast<std::uint32_t *>(start);
        madvise(m_entries, m_mapped, MADV_HUGEPAGE);
        return;
    }
#endif
    m_entries = static_cast<std::uint32_t *>(std::calloc(entries, sizeof(std::uint32_t)));
    if (m_entries == nullptr)
        throw std::bad_alloc();
}

ZeroedTable::~ZeroedTable() {
#ifdef __linux__
    if (m_mapped != 0) {
        munmap(m_entries, m_mapped);
        return;
    }
#endif
    std::free(m_entries);
}

// How many bytes a and b share from their start, at most `limit`: eight at a time.
std::size_t WindowIndex::common(const std::uint8_t *a, const std::uint8_t *b, std::size_t limit) {
    std::size_t length = 0;
    for (; length + 8 <= limit; length += 8) {
        const std::uint64_t differ = word(a + length) ^ word(b + length);
        if (differ != 0)
            return length + std::size_t(std::endian::native == std::endian::little
                                            ? std::countr_zero(differ)
                                            : std::countl_zero(differ)) /
                                8;
    }
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}

// How many bytes before a and b are the same, at most `limit`: eight at a time.
std::size_t WindowIndex::commonBefore(const std::uint8_t *a, const std::uint8_t *b,
                                      std::size_t limit) {
    std::size_t length = 0;
    for (; length + 8 <= limit; length += 8) {
        const std::uint64_t differ = word(a - length - 8) ^ word(b - length - 8);
        if (differ != 0)
            return length + std::size_t(std::endian::native == std::endian::little
                                            ? std::countl_zero(differ)
                                            : std::countr_zero(differ)) /
                                8;
    }
    while (length < limit && a[-1 - std::ptrdiff_t(length)] == b[-1 - std::ptrdiff_t(length)])
        ++length;
    return length;
}

} // namespace tintwright
