#pragma once

#include <cstddef>
#include <cstdint>

namespace tintwright {

// Bytes in memory, zeroed at first. A large buffer is mapped in huge pages where the system has
// them: filling it page by page in small pages would cost a fault every 4 KiB, more than reading
// a file into it does.
class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(std::size_t size);
    // The first `size` bytes of the open file `fd`, mapped: read from the system's cache as they
    // are touched, never copied; changed only in memory. Empty when it cannot be mapped.
    static ByteBuffer mapped(int fd, std::size_t size);
    ~ByteBuffer();
    ByteBuffer(ByteBuffer &&other) noexcept;
    ByteBuffer &operator=(ByteBuffer &&other) noexcept;
    ByteBuffer(const ByteBuffer &) = delete;
    ByteBuffer &operator=(const ByteBuffer &) = delete;

    std::uint8_t *get() const { return m_data; }
    std::uint8_t &operator[](std::size_t index) const { return m_data[index]; }
    explicit operator bool() const { return m_data != nullptr; }

private:
    void release();

    std::uint8_t *m_data = nullptr;
    std::size_t m_mapped = 0; // bytes, when mapped rather than allocated
};

} // namespace tintwright
