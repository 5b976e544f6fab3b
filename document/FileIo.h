#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace tintwright {

// Whole-file reads and writes with the system's reason on failure.
class FileIo {
public:
    // Reads every byte of a regular file. Fails on folders, devices and files
    // larger than maxSize. On failure `data` and `size` are left alone.
    static bool readAll(const std::filesystem::path &path, std::unique_ptr<std::uint8_t[]> &data,
                        std::size_t &size, std::string &error, std::size_t maxSize);

    // Same, into text; for the Data files, which are refused from 1 GiB on.
    static constexpr std::size_t kLargestText = (std::size_t(1) << 30) - 1;
    static bool readText(const std::filesystem::path &path, std::string &text, std::string &error);

    enum class Mode {
        InPlace, // overwrite from offset 0, keep any longer tail, create if missing
        Replace, // truncate or create
    };
    static bool writeAll(const std::filesystem::path &path, const void *data, std::size_t size,
                         Mode mode, std::string &error);
};

} // namespace tintwright
