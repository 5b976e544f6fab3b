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

Outcome FileBatch::commit(const FileIo::Output &output) {
    std::vector<std::filesystem::path> made; // folders made for the new files
    std::vector<FileIo::Staged> staged;      // new files not yet in place
    struct Replaced {
        std::filesystem::path path;
        std::optional<FileBytes> old;
    };
    std::vector<Replaced> replaced;
    Outcome done;
    // Every new file beside its place first...
    for (const auto &[path, bytes] : m_files) {
        FileIo::Staged file;
        if (!makeFolder(path.parent_path(), made))
            done = Problem("the folder cannot be made").in(path.parent_path().string());
        else
            done = FileIo::stage(path, bytes, output, file);
        if (!done)
            break;
        staged.push_back(file);
    }
    // ...then each into place, its old bytes kept to put back should a later one fail.
    for (std::size_t i = 0; done && i < staged.size(); ++i) {
        Replaced entry{staged[i].place, std::nullopt};
        if (FileBytes old; FileIo::read(entry.path, old, FileIo::kLargestRom))
            entry.old = std::move(old);
        done = FileIo::commit(staged[i]);
        if (!done) {
            staged.erase(staged.begin(), staged.begin() + std::ptrdiff_t(i) + 1);
            break;
        }
        replaced.push_back(std::move(entry));
    }
    if (done)
        return done;
    for (const FileIo::Staged &file : staged)
        FileIo::discard(file);
    std::error_code ec;
    for (const Replaced &entry : replaced) {
        if (!entry.old)
            std::filesystem::remove(entry.path, ec);
        else
            (void)FileIo::write(entry.path, entry.old->span(), {.inputs = {}, .replace = true});
    }
    for (auto it = made.crbegin(); it != made.crend(); ++it)
        std::filesystem::remove(*it, ec);
    return done;
}

} // namespace tintwright
