#include "RomDocument.h"

#include "FileIo.h"

#include <algorithm>

namespace tintwright {

Outcome RomDocument::open(const std::filesystem::path &path) {
    FileBytes bytes;
    if (Outcome read = FileIo::read(path, bytes, FileIo::kLargestRom); !read)
        return read;
    if (bytes.size == 0)
        return Problem("the file is empty").in(path.string());
    adopt(std::move(bytes.data), bytes.size, path);
    return {};
}

bool RomDocument::assign(const std::uint8_t *data, std::size_t size,
                         const std::filesystem::path &path) {
    if (size == 0 || size > FileIo::kLargestRom)
        return false;
    ByteBuffer image(size);
    std::copy(data, data + size, image.get());
    adopt(std::move(image), size, path);
    return true;
}

void RomDocument::adopt(ByteBuffer image, std::size_t size, const std::filesystem::path &path) {
    m_image = std::move(image);
    m_length = static_cast<std::int32_t>(size);
    m_path = path;
    m_modified = false;
    m_history.clear();
}

Outcome RomDocument::write() const {
    if (m_path.empty() || !m_image)
        return {};
    // A save has always left the bytes a longer file holds past the image.
    return FileIo::write(m_path, {m_image.get(), static_cast<std::size_t>(m_length)},
                         {.inputs = {}, .replace = true, .keepTail = true});
}

std::optional<std::uint8_t> RomDocument::readByte(std::int64_t index) const {
    if (!m_image || index < 0 || index >= m_length)
        return std::nullopt;
    return m_image[static_cast<std::size_t>(index)];
}

bool RomDocument::writeByte(std::int64_t index, std::uint8_t value) {
    if (!m_image || index < 0 || index >= m_length)
        return false;
    m_image[static_cast<std::size_t>(index)] = value;
    return true;
}

bool RomDocument::applyPick(std::int64_t index, std::uint8_t value) {
    const auto before = readByte(index);
    if (!before)
        return false;
    // A pick of the colour the byte holds changes nothing an undo could show.
    if (*before != value)
        m_history.record({index, *before, value});
    m_image[static_cast<std::size_t>(index)] = value;
    m_modified = true;
    return true;
}

std::optional<std::int64_t> RomDocument::undoPick() {
    const auto step = m_history.undo();
    if (!step || !writeByte(step->index, step->before))
        return std::nullopt;
    m_modified = true;
    return step->index;
}

std::optional<std::int64_t> RomDocument::redoPick() {
    const auto step = m_history.redo();
    if (!step || !writeByte(step->index, step->after))
        return std::nullopt;
    m_modified = true;
    return step->index;
}

} // namespace tintwright
