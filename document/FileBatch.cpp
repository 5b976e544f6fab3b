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
    // The old bytes of each place, to put back should a later rename fail: a link in a folder
    // of ours is not kept (the new file replaces it).
    std::vector<std::optional<FileBytes>> olds;
    Outcome done;
    // Every new file beside its place first, so that the renames that follow are quick...
    for (const auto &[path, bytes] : m_files) {
        FileIo::Staged file;
        if (!makeFolder(path.parent_path(), made))
            done = Problem("the folder cannot be made").in(path.parent_path().string());
        else
            done = FileIo::stage(path, bytes, output, file);
        if (!done)
            break;
        staged.push_back(file);
        olds.emplace_back();
        if (FileBytes old; FileIo::read(file.place, old, FileIo::kLargestRom) &&
                           (output.generatedIn.empty() || !std::filesystem::is_symlink(file.place)))
            olds.back() = std::move(old);
    }
    // ...then each into place.
    std::size_t placed = 0;
    for (; done && placed < staged.size(); ++placed)
        done = FileIo::commit(staged[placed]);
    if (done)
        return done;
    for (std::size_t i = placed; i < staged.size(); ++i)
        FileIo::discard(staged[i]);
    FileIo::Output restore = output;
    restore.inputs.clear();
    restore.replace = true;
    // Those placed before the one that failed, and that one too when written in place.
    std::size_t touched = 0;
    if (placed > 0)
        touched = placed - (staged[placed - 1].temporary.empty() ? 0 : 1);
    std::error_code ec;
    for (std::size_t i = 0; i < touched; ++i) {
        if (!olds[i])
            std::filesystem::remove(staged[i].place, ec);
        else
            (void)FileIo::write(staged[i].place, olds[i]->span(), restore);
    }
    for (auto it = made.crbegin(); it != made.crend(); ++it)
        std::filesystem::remove(*it, ec);
    return done;
}

} // namespace tintwright
