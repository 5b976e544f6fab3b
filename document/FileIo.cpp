#include "FileIo.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace tintwright {

namespace {

std::string reasonFromErrno(int code) {
    return std::system_category().message(code);
}

std::FILE *openFile(const std::filesystem::path &path, const char *mode) {
#ifdef _WIN32
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

} // namespace

bool FileIo::readAll(const std::filesystem::path &path, std::unique_ptr<std::uint8_t[]> &data,
                     std::size_t &size, std::string &error, std::size_t maxSize) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    if (std::filesystem::is_directory(status)) {
        error = "it is a folder, not a file";
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = "it is not a regular file";
        return false;
    }

    errno = 0;
    std::FILE *file = openFile(path, "rb");
    if (!file) {
        error = reasonFromErrno(errno);
        return false;
    }
    bool ok = false;
    long long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        length = std::ftell(file);
    if (length < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        error = reasonFromErrno(errno);
    } else if (static_cast<unsigned long long>(length) > maxSize) {
        error = "the file is too large";
    } else {
        // Read into a fresh buffer so a failed read leaves the caller's data intact.
        auto buffer =
            std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(length));
        const auto wanted = static_cast<std::size_t>(length);
        const std::size_t got = std::fread(buffer.get(), 1, wanted, file);
        if (got != wanted) {
            error = std::ferror(file) ? reasonFromErrno(errno) : "the file changed while reading";
        } else {
            data = std::move(buffer);
            size = wanted;
            ok = true;
        }
    }
    std::fclose(file);
    return ok;
}

bool FileIo::readText(const std::filesystem::path &path, std::string &text, std::string &error) {
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size = 0;
    if (!readAll(path, data, size, error, kLargestText))
        return false;
    text.assign(reinterpret_cast<const char *>(data.get()), size);
    return true;
}

bool FileIo::writeAll(const std::filesystem::path &path, const void *data, std::size_t size,
                      Mode mode, std::string &error) {
    // A pipe or a device would take the bytes, or block, and store nothing.
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        error = "it is not a regular file";
        return false;
    }
    errno = 0;
    std::FILE *file = nullptr;
    if (mode == Mode::InPlace) {
        file = openFile(path, "r+b");
        if (!file && errno == ENOENT)
            file = openFile(path, "wb");
    } else {
        file = openFile(path, "wb");
    }
    if (!file) {
        error = reasonFromErrno(errno);
        return false;
    }
    bool ok = std::fwrite(data, 1, size, file) == size;
    ok = ok && std::fflush(file) == 0;
    if (!ok)
        error = reasonFromErrno(errno);
    if (std::fclose(file) != 0 && ok) {
        error = reasonFromErrno(errno);
        ok = false;
    }
    return ok;
}

} // namespace tintwright
