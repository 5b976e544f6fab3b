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

Problem failure(const std::filesystem::path &path, const std::string &reason,
                Problem::Kind kind = Problem::Kind::Other) {
    return Problem(reason, kind).in(path.string());
}

Problem systemFailure(const std::filesystem::path &path, int code) {
    const bool denied = code == EACCES || code == EPERM || code == EROFS;
    return failure(path, std::strerror(code),
                   denied ? Problem::Kind::Denied : Problem::Kind::Other);
}

FileId idOf(const struct stat &info) {
    return {std::uint64_t(info.st_dev), std::uint64_t(info.st_ino)};
}

bool isInput(const FileIo::Output &output, const struct stat &info) {
    return std::find(output.inputs.begin(), output.inputs.end(), idOf(info)) != output.inputs.end();
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
    bool close() { return ::close(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd;
};

bool writeEvery(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written >= 0)
            bytes = bytes.subspan(std::size_t(written));
        else if (errno != EINTR)
            return false;
    }
    return true;
}

// Reads to the end of a stream or to the length of a file, never past `maxSize`; `known` is the
// file's length, or -1 for a stream.
Outcome readEvery(const std::filesystem::path &path, int fd, long long known, FileBytes &out,
                  std::size_t maxSize) {
    if (known > 0 && std::size_t(known) > maxSize)
        return failure(path, "the file is too large: " + std::to_string(known) +
                                 " bytes, more than the " + std::to_string(maxSize) +
                                 " that are read");
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
            if (room == 0)
                return failure(path, "it holds more than " + std::to_string(maxSize) + " bytes");
        }
        const ssize_t got = ::read(fd, at, room);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return systemFailure(path, errno);
        if (got == 0)
            break;
        size += std::size_t(got);
    }
    if (known >= 0 && size != std::size_t(known))
        return failure(path, "the file changed while it was read");
    if (known < 0) {
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        std::copy_n(stream.data(), size, buffer.get());
    }
    out.data = std::move(buffer);
    out.size = size;
    return {};
}

// The temporary for a new file at `place`, with the mode and owner it should have.
Outcome writeTemporary(const std::filesystem::path &place, std::span<const std::uint8_t> bytes,
                       const struct stat *old, std::string &temporary) {
    const std::filesystem::path folder =
        place.has_parent_path() ? place.parent_path() : std::filesystem::path(".");
    // Hidden beside its place, so the rename stays on one file system; short enough for any name.
    temporary =
        (folder / ("." + place.filename().string().substr(0, 200) + ".tintwright-XXXXXX")).string();
    Descriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0)
        return systemFailure(place, errno);
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
        const int code = stored ? errno : reason;
        ::unlink(temporary.c_str());
        return systemFailure(place, code);
    }
    return {};
}

} // namespace

Outcome FileIo::read(const std::filesystem::path &path, FileBytes &out, std::size_t maxSize,
                     Source source) {
    const bool streams = source == Source::Stream;
    struct stat info {};
    FileBytes bytes;
    if (streams && path == kStandardStream) {
        if (::fstat(STDIN_FILENO, &info) != 0)
            return systemFailure(path, errno);
        if (Outcome read = readEvery(path, STDIN_FILENO, -1, bytes, maxSize); !read)
            return read;
        bytes.id = idOf(info);
        out = std::move(bytes);
        return {};
    }
    // Look before opening: opening a pipe waits for a writer.
    if (::stat(path.c_str(), &info) != 0)
        return systemFailure(path, errno);
    if (S_ISDIR(info.st_mode))
        return failure(path, "it is a folder, not a file", Problem::Kind::Folder);
    if (!streams && !S_ISREG(info.st_mode))
        return failure(path, "it is not a regular file");
    Descriptor input(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
    if (input.get() < 0 || ::fstat(input.get(), &info) != 0)
        return systemFailure(path, errno);
    const long long known = S_ISREG(info.st_mode) ? info.st_size : -1;
    if (Outcome read = readEvery(path, input.get(), known, bytes, maxSize); !read)
        return read;
    bytes.id = idOf(info);
    out = std::move(bytes);
    return {};
}

bool FileIo::canWriteIn(const std::filesystem::path &folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

Outcome FileIo::readText(const std::filesystem::path &path, std::string &text) {
    FileBytes bytes;
    Outcome read = FileIo::read(path, bytes, kLargestText);
    if (read)
        text.assign(bytes.text());
    return read;
}

Outcome FileIo::writeInPlace(const std::filesystem::path &path,
                             std::span<const std::uint8_t> bytes) {
    // A pipe or a device would take the bytes, or block, and store nothing.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return failure(path, "it is not a regular file");
    Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666));
    if (file.get() < 0 || !writeEvery(file.get(), bytes) || ::fsync(file.get()) != 0 ||
        !file.close())
        return systemFailure(path, errno);
    return {};
}

Outcome FileIo::stage(const std::filesystem::path &path, std::span<const std::uint8_t> bytes,
                      const Output &output, Staged &staged) {
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (!exists && errno != ENOENT)
        return systemFailure(path, errno);
    if (exists && S_ISDIR(info.st_mode))
        return failure(path, "it is a folder", Problem::Kind::Folder);
    if (exists && !S_ISREG(info.st_mode))
        return failure(path, "it is not a regular file");
    if (exists && isInput(output, info))
        return failure(path, "it is one of the inputs", Problem::Kind::IsInput);
    if (exists && !output.replace)
        return failure(path, "it exists", Problem::Kind::Exists);
    // A link stays a link: the file it leads to is the one replaced.
    std::error_code ec;
    const auto resolved = exists ? std::filesystem::canonical(path, ec) : path;
    staged.place = ec ? path : resolved;
    std::string temporary;
    if (Outcome written = writeTemporary(staged.place, bytes, exists ? &info : nullptr, temporary);
        !written)
        return written;
    staged.temporary = temporary;
    return {};
}

Outcome FileIo::commit(const Staged &staged) {
    if (std::rename(staged.temporary.c_str(), staged.place.c_str()) == 0)
        return {};
    const int code = errno;
    discard(staged);
    return systemFailure(staged.place, code);
}

void FileIo::discard(const Staged &staged) {
    ::unlink(staged.temporary.c_str());
}

Outcome FileIo::write(const std::filesystem::path &path, std::span<const std::uint8_t> bytes,
                      const Output &output) {
    struct stat info {};
    if (path == kStandardStream) {
        // Standard output sent into one of the inputs (">>" to the ROM) is refused too.
        if (::fstat(STDOUT_FILENO, &info) == 0 && S_ISREG(info.st_mode) && isInput(output, info))
            return failure(path, "standard output is one of the inputs", Problem::Kind::IsInput);
        if (!writeEvery(STDOUT_FILENO, bytes))
            return systemFailure(path, errno);
        return {};
    }
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) {
        Staged staged;
        Outcome done = stage(path, bytes, output, staged);
        return done ? commit(staged) : done;
    }
    if (S_ISDIR(info.st_mode))
        return failure(path, "it is a folder", Problem::Kind::Folder);
    // A disk holds data as a file does.
    if (S_ISBLK(info.st_mode) && isInput(output, info))
        return failure(path, "it is one of the inputs", Problem::Kind::IsInput);
    if (S_ISBLK(info.st_mode) && !output.replace)
        return failure(path, "it exists", Problem::Kind::Exists);
    // A pipe or a device gets the bytes; it is never replaced by a file.
    Descriptor device(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (device.get() < 0 || !writeEvery(device.get(), bytes) || !device.close())
        return systemFailure(path, errno);
    return {};
}

} // namespace tintwright
