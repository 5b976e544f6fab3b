#include "FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintwright {

namespace {

std::string systemReason(int code) {
    return std::strerror(code);
}

FileId idOf(const struct stat &info) {
    return {std::uint64_t(info.st_dev), std::uint64_t(info.st_ino)};
}

// Closes on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd > STDERR_FILENO)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    // The last chance for the system to report a failed write.
    bool close() {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeEvery(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes = bytes.subspan(std::size_t(written));
    }
    return true;
}

// Reads to the end of a stream or to the length of a file, never past `maxSize`; `known` is the
// file's length, or -1 for a stream.
bool readEvery(int fd, long long known, FileBytes &out, std::string &error, std::size_t maxSize) {
    if (known > 0 && std::size_t(known) > maxSize) {
        error = "the file is too large: " + std::to_string(known) + " bytes, more than the " +
                std::to_string(maxSize) + " that are read";
        return false;
    }
    std::vector<std::uint8_t> stream;
    std::unique_ptr<std::uint8_t[]> buffer;
    std::size_t size = 0;
    // A file's length is known: one buffer, no copy. A stream grows as it is read.
    if (known >= 0)
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t(known));
    for (;;) {
        std::uint8_t *at = nullptr;
        std::size_t room = 0;
        if (known >= 0) {
            at = buffer.get() + size;
            room = std::size_t(known) - size;
            if (room == 0)
                break;
        } else {
            if (stream.size() - size < 65536)
                stream.resize(std::min(stream.size() * 2 + 65536, maxSize + 1));
            at = stream.data() + size;
            room = stream.size() - size;
            if (room == 0) {
                error = "it holds more than " + std::to_string(maxSize) + " bytes";
                return false;
            }
        }
        const ssize_t got = ::read(fd, at, room);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = systemReason(errno);
            return false;
        }
        if (got == 0)
            break;
        size += std::size_t(got);
    }
    if (known >= 0 && size != std::size_t(known)) {
        error = "the file changed while it was read";
        return false;
    }
    if (known < 0) {
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        std::copy_n(stream.data(), size, buffer.get());
    }
    out.data = std::move(buffer);
    out.size = size;
    return true;
}

// The temporary for a new file at `place`, with the mode and owner it should have.
bool writeTemporary(const std::filesystem::path &place, std::span<const std::uint8_t> bytes,
                    const struct stat *old, std::string &temporary, std::string &error) {
    const std::filesystem::path folder =
        place.has_parent_path() ? place.parent_path() : std::filesystem::path(".");
    // Hidden beside its place, so the rename stays on one file system; short enough for any name.
    temporary =
        (folder / ("." + place.filename().string().substr(0, 200) + ".tintwright-XXXXXX")).string();
    Descriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0) {
        error = systemReason(errno);
        return false;
    }
    // A new file gets the usual mode; a replaced one keeps its own.
    mode_t mode = 0;
    if (old) {
        mode = old->st_mode & 07777;
        if (::fchown(file.get(), old->st_uid, old->st_gid) != 0)
            mode &= ~mode_t(S_ISUID | S_ISGID);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const bool stored = ::fchmod(file.get(), mode) == 0 && writeEvery(file.get(), bytes) &&
                        ::fsync(file.get()) == 0;
    const int reason = errno;
    if (!file.close() || !stored) {
        error = systemReason(stored ? errno : reason);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

bool FileIo::read(const std::filesystem::path &path, FileBytes &out, std::string &error,
                  std::size_t maxSize, Source source) {
    const bool streams = source == Source::Stream;
    struct stat info {};
    if (streams && path == kStandardStream) {
        if (::fstat(STDIN_FILENO, &info) != 0) {
            error = systemReason(errno);
            return false;
        }
        Descriptor input(STDIN_FILENO);
        FileBytes bytes;
        if (!readEvery(input.get(), -1, bytes, error, maxSize))
            return false;
        bytes.id = idOf(info);
        out = std::move(bytes);
        return true;
    }
    // Look before opening: opening a pipe waits for a writer.
    if (::stat(path.c_str(), &info) != 0) {
        error = systemReason(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "it is a folder, not a file";
        return false;
    }
    if (!streams && !S_ISREG(info.st_mode)) {
        error = "it is not a regular file";
        return false;
    }
    Descriptor input(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
    if (input.get() < 0 || ::fstat(input.get(), &info) != 0) {
        error = systemReason(errno);
        return false;
    }
    FileBytes bytes;
    if (!readEvery(input.get(), S_ISREG(info.st_mode) ? info.st_size : -1, bytes, error, maxSize))
        return false;
    bytes.id = idOf(info);
    out = std::move(bytes);
    return true;
}

bool FileIo::readText(const std::filesystem::path &path, std::string &text, std::string &error) {
    FileBytes bytes;
    if (!read(path, bytes, error, kLargestText))
        return false;
    text.assign(reinterpret_cast<const char *>(bytes.data.get()), bytes.size);
    return true;
}

bool FileIo::writeInPlace(const std::filesystem::path &path, std::span<const std::uint8_t> bytes,
                          std::string &error) {
    // A pipe or a device would take the bytes, or block, and store nothing.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        error = "it is not a regular file";
        return false;
    }
    Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666));
    if (file.get() < 0 || !writeEvery(file.get(), bytes) || ::fsync(file.get()) != 0) {
        error = systemReason(errno);
        return false;
    }
    if (!file.close()) {
        error = systemReason(errno);
        return false;
    }
    return true;
}

FileIo::Refusal FileIo::stage(const std::filesystem::path &path,
                              std::span<const std::uint8_t> bytes, const Output &output,
                              Staged &staged, std::string &error) {
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) {
        error = systemReason(errno);
        return Refusal::Failed;
    }
    if (exists && S_ISDIR(info.st_mode)) {
        error = "it is a folder";
        return Refusal::Folder;
    }
    if (exists && !S_ISREG(info.st_mode)) {
        error = "it is not a regular file";
        return Refusal::Failed;
    }
    if (exists &&
        std::find(output.inputs.begin(), output.inputs.end(), idOf(info)) != output.inputs.end()) {
        error = "it is one of the inputs";
        return Refusal::IsInput;
    }
    if (exists && !output.replace) {
        error = "it exists";
        return Refusal::Exists;
    }
    // A link stays a link: the file it leads to is the one replaced.
    std::error_code ec;
    const auto resolved = exists ? std::filesystem::canonical(path, ec) : path;
    staged.place = ec ? path : resolved;
    std::string temporary;
    if (!writeTemporary(staged.place, bytes, exists ? &info : nullptr, temporary, error))
        return Refusal::Failed;
    staged.temporary = temporary;
    return Refusal::None;
}

bool FileIo::commit(const Staged &staged, std::string &error) {
    if (std::rename(staged.temporary.c_str(), staged.place.c_str()) == 0)
        return true;
    error = systemReason(errno);
    discard(staged);
    return false;
}

void FileIo::discard(const Staged &staged) {
    ::unlink(staged.temporary.c_str());
}

FileIo::Refusal FileIo::write(const std::filesystem::path &path,
                              std::span<const std::uint8_t> bytes, const Output &output,
                              std::string &error) {
    const auto isInput = [&](const struct stat &info) {
        return std::find(output.inputs.begin(), output.inputs.end(), idOf(info)) !=
               output.inputs.end();
    };
    struct stat info {};
    if (path == kStandardStream) {
        // Standard output sent into one of the inputs (">>" to the ROM) is refused too.
        if (::fstat(STDOUT_FILENO, &info) == 0 && S_ISREG(info.st_mode) && isInput(info)) {
            error = "standard output is one of the inputs";
            return Refusal::IsInput;
        }
        if (!writeEvery(STDOUT_FILENO, bytes)) {
            error = systemReason(errno);
            return Refusal::Failed;
        }
        return Refusal::None;
    }
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) {
        Staged staged;
        const Refusal refusal = stage(path, bytes, output, staged, error);
        return refusal != Refusal::None || commit(staged, error) ? refusal : Refusal::Failed;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "it is a folder";
        return Refusal::Folder;
    }
    // A disk holds data as a file does.
    if (S_ISBLK(info.st_mode) && isInput(info)) {
        error = "it is one of the inputs";
        return Refusal::IsInput;
    }
    if (S_ISBLK(info.st_mode) && !output.replace) {
        error = "it exists";
        return Refusal::Exists;
    }
    // A pipe or a device gets the bytes; it is never replaced by a file.
    Descriptor device(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (device.get() < 0 || !writeEvery(device.get(), bytes) || !device.close()) {
        error = systemReason(errno);
        return Refusal::Failed;
    }
    return Refusal::None;
}

} // namespace tintwright
