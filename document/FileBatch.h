#pragma once

#include "FileIo.h"
#include "Problem.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tintwright {

// Files that change together or not at all: each is first written beside its place under a
// temporary name, and the places are taken only once every one of them is written. When
// anything fails, the files are as they were and folders made for them are gone again.
class FileBatch {
public:
    void add(std::filesystem::path path, std::vector<std::uint8_t> bytes) {
        m_files.emplace_back(std::move(path), std::move(bytes));
    }
    // On a problem, which names the file and the reason, nothing was changed. `output` says
    // which files none may land on and whether one that is there may be replaced.
    Outcome commit(const FileIo::Output &output);

private:
    std::vector<std::pair<std::filesystem::path, std::vector<std::uint8_t>>> m_files;
};

} // namespace tintwright
