#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tintwright {

// A patch that cannot be made or applied: where (a byte offset, in the patch when applying, in
// the files when making) and why.
class PatchError : public std::runtime_error {
public:
    PatchError(std::uint64_t offset, const std::string &reason)
        : std::runtime_error(reason), m_offset(offset) {}
    std::uint64_t offset() const { return m_offset; }

private:
    std::uint64_t m_offset;
};

} // namespace tintwright
