#pragma once

#include "ByteBuffer.h"
#include "PickHistory.h"
#include "Problem.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace tintwright {

// The one ROM being edited: the whole file in memory, where it came from,
// and whether it holds picks not yet written back.
class RomDocument {
public:
    // Loads the whole file. Only a complete read replaces the image; on a problem nothing
    // changes.
    Outcome open(const std::filesystem::path &path);
    // Installs bytes already in memory as if they had been opened from `path`.
    bool assign(const std::uint8_t *data, std::size_t size, const std::filesystem::path &path);

    // Replaces the file at the ROM path whole with the image, keeping any longer tail; on a
    // problem the file is as it was. With nothing open there is nothing to write. Leaves the
    // modified flag alone: the caller clears it once the user has been told.
    Outcome write() const;

    bool hasImage() const { return bool(m_image); }
    std::int32_t length() const { return m_length; }
    const std::filesystem::path &path() const { return m_path; }
    const std::uint8_t *data() const { return m_image.get(); }

    // Out-of-range indices (or no image) fail instead of touching memory.
    std::optional<std::uint8_t> readByte(std::int64_t index) const;
    bool writeByte(std::int64_t index, std::uint8_t value);

    // A colour pick: writes the byte, remembers it for undo (unless the byte held that colour
    // already) and sets the modified flag. False, with nothing changed, outside the image.
    bool applyPick(std::int64_t index, std::uint8_t value);
    // Takes back the last pick, or applies again the last one taken back: the index changed.
    std::optional<std::int64_t> undoPick();
    std::optional<std::int64_t> redoPick();
    const PickHistory &history() const { return m_history; }

    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }

private:
    // A new image: nothing of the old one, its flag or its history, carries over.
    void adopt(ByteBuffer image, std::size_t size, const std::filesystem::path &path);

    ByteBuffer m_image;
    std::int32_t m_length = 0;
    std::filesystem::path m_path;
    bool m_modified = false;
    PickHistory m_history; // cleared by each successful open, kept by saves
};

} // namespace tintwright
