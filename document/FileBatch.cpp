#include "FileBatch.h"

#include "FileIo.h"

#include <optional>

namespace tintwright {

namespace {

// Makes a folder and any missing above it, noting each one made, outermost first.
bool makeFolder(const std::filesystem::path &folder, std::vector<std::filesystem::path> &made) {
    std::error_code ec;
    if (folder.empty() || std::filesystem::is_directory(folder, ec))
        return true;
    if (!makeFolder(folder.parent_path(), made) || !std::filesystem::create_directory(folder, ec))
        return false;
    made.push_back(folder);
    return true;
}

} // namespace

bool FileBatch::commit(std::string &error) {
    std::vector<std::filesystem::path> made; // folders made for the new files
    std::vector<FileIo::Staged> staged;      // new files not yet in place
    struct Replaced {
        std::filesystem::path path;
        std::optional<FileBytes> old;
    };
    std::vector<Replaced> replaced;
    std::string reason;
    // Every new file beside its place first...
    for (const auto &[path, bytes] : m_files) {
        FileIo::Staged file;
        if (!makeFolder(path.parent_path(), made)) {
            reason = path.parent_path().string() + ": the folder cannot be made";
            break;
        }
        if (FileIo::stage(path, bytes, {.inputs = {}, .replace = true}, file, reason) !=
            FileIo::Refusal::None) {
            reason = path.string() + ": " + reason;
            break;
        }
        staged.push_back(file);
    }
    // ...then each into place, its old bytes kept to put back should a later one fail.
    for (std::size_t i = 0; reason.empty() && i < staged.size(); ++i) {
        Replaced entry{staged[i].place, std::nullopt};
        FileBytes old;
        std::string unread;
        if (FileIo::read(entry.path, old, unread, FileIo::kLargestRom))
            entry.old = std::move(old);
        if (!FileIo::commit(staged[i], reason)) {
            reason = m_files[i].first.string() + ": " + reason;
            staged.erase(staged.begin(), staged.begin() + std::ptrdiff_t(i) + 1);
            break;
        }
        replaced.push_back(std::move(entry));
        if (i + 1 == staged.size())
            return true;
    }
    if (reason.empty())
        return true; // nothing to write
    for (const FileIo::Staged &file : staged)
        FileIo::discard(file);
    std::error_code ec;
    std::string ignored;
    for (const Replaced &entry : replaced) {
        if (!entry.old)
            std::filesystem::remove(entry.path, ec);
        else
            FileIo::write(entry.path, entry.old->span(), {.inputs = {}, .replace = true}, ignored);
    }
    for (auto it = made.crbegin(); it != made.crend(); ++it)
        std::filesystem::remove(*it, ec);
    error = reason + ". Nothing was changed.";
    return false;
}

} // namespace tintwright
