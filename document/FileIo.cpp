#include "FileIo.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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
    ByteBuffer buffer;
    std::size_t size = 0;
    // A file's length is known: one buffer, no copy. A stream grows as it is read.
    if (known >= 0)
        buffer = ByteBuffer(std::size_t(known));
    for (;;) {
        std::uint8_t *at = nullptr;
        std::size_t room = 0;
        if (known >= 0) {
            at = buffer.get() + size;
            room = std::size_t(known) - size;
            if (room == 0)
                break;
        } else {
            if (stream.size() - size < 65536) // no-mutate: when a stream's buffer grows; only speed
                stream.resize(
                    std::min(stream.size() * 2 + 65536, maxSize + 1)); // no-mutate: growth
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
        buffer = ByteBuffer(size);
        std::copy_n(stream.data(), size, buffer.get());
    }
    out.data = std::move(buffer);
    out.size = size;
    return {};
}

// Extended attributes (access lists among them) from one file onto another; false when one
// cannot be kept.
bool copyAttributes(int from, int to) {
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP; // a file system without them: none to lose
    std::vector<char> names(static_cast<std::size_t>(size)); // each name ends with its NUL
    const ssize_t listed = ::flistxattr(from, names.data(), names.size());
    if (listed < 0)
        return false;
    for (const char *name = names.data(); name < names.data() + listed;
         name += std::strlen(name) + 1) {
        const ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        std::vector<char> value(std::size_t(std::max<ssize_t>(length, 0)));
        if (length < 0 || ::fgetxattr(from, name, value.data(), value.size()) != length ||
            ::fsetxattr(to, name, value.data(), value.size(), 0) != 0)
            return false;
    }
    return true;
}

// The old file's bytes from `from` to its end, after the new ones.
bool copyTail(int old, std::size_t from, std::size_t end, int to) {
    std::vector<std::uint8_t> buffer(std::size_t(1) << 16);
    for (std::size_t at = from; at < end;) {
        const ssize_t got =
            ::pread(old, buffer.data(), std::min(buffer.size(), end - at), off_t(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || !writeEvery(to, {buffer.data(), std::size_t(got)}))
            return false;
        at += std::size_t(got);
    }
    return true;
}

// What the replaced file is that a new one must be too: its mode, owner and group, its
// attributes and, for the ROM save, its tail. False, with `keptAll` false, when a rename would
// lose some of it (an owner or group this user may not give, an attribute).
bool takeOver(int file, const struct stat &old, const std::filesystem::path &place,
              std::size_t written, bool keepTail, bool &keptAll) {
    Descriptor from(::open(place.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    keptAll = from.get() >= 0 && copyAttributes(from.get(), file);
    struct stat made {};
    if (keptAll && ::fchown(file, old.st_uid, old.st_gid) != 0)
        keptAll =
            ::fstat(file, &made) == 0 && made.st_uid == old.st_uid && made.st_gid == old.st_gid;
    if (!keptAll)
        return false;
    const auto size = std::size_t(old.st_size);
    return ::fchmod(file, old.st_mode & 07777) == 0 &&
           (!keepTail || size <= written || copyTail(from.get(), written, size, file));
}

// The temporary for a new file at `place`: the usual mode for a new file, or what the old one
// had. `keptAll` false: something of the old file could not be carried over.
Outcome writeTemporary(const std::filesystem::path &place, std::span<const std::uint8_t> bytes,
                       const struct stat *old, bool keepTail, Temporaries &temporaries,
                       std::string &temporary, bool &keptAll) {
    Descriptor file(temporaries.make(place, temporary));
    if (file.get() < 0)
        return systemFailure(place, errno);
    keptAll = true;
    bool stored = writeEvery(file.get(), bytes);
    if (stored && old) {
        stored = takeOver(file.get(), *old, place, bytes.size(), keepTail, keptAll);
    } else if (stored) {
        const mode_t mask = ::umask(0); // no-mutate: only read, and put back at once
        ::umask(mask);
        stored = ::fchmod(file.get(), 0666 & ~mask) == 0;
    }
    stored = stored && ::fsync(file.get()) == 0;
    const int reason = errno;
    if (!file.close() || !stored) {
        const int code = stored ? errno : reason;
        ::unlink(temporary.c_str());
        temporaries.forget(temporary);
        return keptAll ? systemFailure(place, code) : Outcome{};
    }
    return {};
}

// Where a rename would lose something the file is: another name of it, an owner only the
// owner may give, a folder this user may not write in.
bool mustWriteInPlace(const std::filesystem::path &place, const struct stat &info) {
    const std::filesystem::path folder =
        place.has_parent_path() ? place.parent_path() : std::filesystem::path(".");
    return info.st_nlink > 1 || (info.st_uid != ::geteuid() && ::geteuid() != 0) ||
           !FileIo::canWriteIn(folder);
}

// Over the file's own bytes from offset 0: all but the tail, which goes unless kept.
Outcome writeInto(const std::filesystem::path &place, std::span<const std::uint8_t> bytes,
                  bool keepTail) {
    Descriptor file(::open(place.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0 || !writeEvery(file.get(), bytes) ||
        (!keepTail && ::ftruncate(file.get(), off_t(bytes.size())) != 0) ||
        ::fsync(file.get()) != 0 || !file.close())
        return systemFailure(place, errno);
    return {};
}

// The temporary takes the place only while no file holds it: one that appeared meanwhile is
// not replaced.
int renameNoReplace(const char *from, const char *to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
#endif
    // A file system without it, or a refusal: a second name is refused where a file is, and
    // for the same reasons as the rename.
    if (::link(from, to) != 0)
        return -1;
    ::unlink(from);
    return 0;
}

// Where a link that leads nowhere yet would have its file: the name at the end of its chain.
std::filesystem::path endOfLinks(std::filesystem::path path) {
    constexpr int kMostLinks = 40; // as the system follows at most
    for (int hops = 0; hops < kMostLinks; ++hops) {
        std::error_code ec;
        const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
        if (ec)
            break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// In a folder the program makes, a link to a folder on the way to the file would lead the
// output out of it.
Outcome linkOnTheWay(const std::filesystem::path &root, const std::filesystem::path &path) {
    std::filesystem::path at = root;
    for (const std::filesystem::path &part : path.parent_path().lexically_relative(root)) {
        at /= part;
        struct stat info {};
        if (part != "." && ::lstat(at.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
            return failure(at, "it is a link, and nothing is written through a link in a "
                               "folder of generated files");
    }
    return {};
}

} // namespace

Outcome FileIo::read(const std::filesystem::path &path, FileBytes &out, std::size_t maxSize,
                     Source source, Access access) {
    const bool streams = source == Source::Stream;
    struct stat info {};
    FileBytes bytes;
    if (const int stream = streams ? streamOf(path, false) : -1; stream >= 0) {
        if (::fstat(stream, &info) != 0)
            return systemFailure(path, errno);
        if (Outcome read = readEvery(path, stream, -1, bytes, maxSize); !read)
            return read;
        bytes.id = idOf(info);
        out = std::move(bytes);
        return {};
    }
    if (!streams && streamOf(path, false) >= 0)
        return failure(path, "it names a stream; name the file itself");
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
    if (access == Access::Map && known > 0 && std::size_t(known) <= maxSize)
        bytes.data = ByteBuffer::mapped(input.get(), std::size_t(known));
    if (bytes.data) {
        bytes.size = std::size_t(known);
    } else if (Outcome read = readEvery(path, input.get(), known, bytes, maxSize); !read) {
        return read;
    }
    bytes.id = idOf(info);
    out = std::move(bytes);
    return {};
}

bool FileIo::canWriteIn(const std::filesystem::path &folder) {
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool FileIo::mayWrite(const std::filesystem::path &file) {
    constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    struct stat info {};
    return ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0 &&
           ::stat(file.c_str(), &info) == 0 && (info.st_mode & kAnyWrite) != 0;
}

int FileIo::streamOf(const std::filesystem::path &path, bool output) {
    const std::string &name = path.native();
    if (name == kStandardStream)
        return output ? STDOUT_FILENO : STDIN_FILENO;
    constexpr std::pair<std::string_view, int> kNamed[] = {{"/dev/stdin", STDIN_FILENO},
                                                           {"/dev/stdout", STDOUT_FILENO},
                                                           {"/dev/stderr", STDERR_FILENO}};
    for (const auto &[named, fd] : kNamed)
        if (name == named)
            return fd;
    for (const std::string_view folder : {"/dev/fd/", "/proc/self/fd/"}) {
        if (!name.starts_with(folder))
            continue;
        const char *first = name.data() + folder.size();
        const char *last = name.data() + name.size();
        int fd = -1;
        const auto [end, ec] = std::from_chars(first, last, fd);
        return ec == std::errc() && end == last && fd >= 0 ? fd : -1;
    }
    return -1;
}

Outcome FileIo::readText(const std::filesystem::path &path, std::string &text) {
    FileBytes bytes;
    Outcome read = FileIo::read(path, bytes, kLargestText);
    if (read)
        text.assign(bytes.text());
    return read;
}

Outcome FileIo::stage(const std::filesystem::path &path, std::span<const std::uint8_t> bytes,
                      const Output &output, Staged &staged) {
    const bool generated = !output.generatedIn.empty();
    if (generated)
        if (Outcome through = linkOnTheWay(output.generatedIn, path); !through)
            return through;
    struct stat info {};
    const int looked = generated ? ::lstat(path.c_str(), &info) : ::stat(path.c_str(), &info);
    if (looked != 0 && errno != ENOENT)
        return systemFailure(path, errno);
    // A link that leads nowhere yet stays a link: its file is made.
    staged = Staged{{},
                    looked == 0 || generated ? path : endOfLinks(path),
                    bytes,
                    output.keepTail,
                    output.replace || looked == 0,
                    output.temporaries};
    // A new file, or a link in a folder of ours, which a new file replaces.
    const bool exists = looked == 0 && !S_ISLNK(info.st_mode);
    if (exists) {
        if (S_ISDIR(info.st_mode))
            return failure(path, "it is a folder", Problem::Kind::Folder);
        if (!S_ISREG(info.st_mode))
            return failure(path, "it is not a regular file");
        if (isInput(output, info))
            return failure(path, "it is one of the inputs", Problem::Kind::IsInput);
        if (!output.replace)
            return failure(path, "it exists", Problem::Kind::Exists);
        if (!mayWrite(path))
            return failure(path, "you may not write it", Problem::Kind::Denied);
        // A link stays a link: the file it leads to is the one replaced.
        std::error_code ec;
        const auto resolved = std::filesystem::canonical(path, ec);
        staged.place = ec ? path : resolved;
        if (mustWriteInPlace(staged.place, info))
            return {};
    }
    Temporaries own;
    std::string temporary;
    bool keptAll = true;
    if (Outcome written =
            writeTemporary(staged.place, bytes, exists ? &info : nullptr, output.keepTail,
                           output.temporaries ? *output.temporaries : own, temporary, keptAll);
        !written || !keptAll)
        return written;
    staged.temporary = temporary;
    return {};
}

Outcome FileIo::commit(const Staged &staged) {
    if (staged.temporary.empty())
        return writeInto(staged.place, staged.bytes, staged.keepTail);
    const char *temporary = staged.temporary.c_str();
    const int moved = staged.replace ? std::rename(temporary, staged.place.c_str())
                                     : renameNoReplace(temporary, staged.place.c_str());
    const int code = errno;
    if (moved == 0 && staged.temporaries)
        staged.temporaries->forget(staged.temporary);
    if (moved == 0)
        return {};
    discard(staged);
    if (code == EEXIST)
        return failure(staged.place, "a file appeared there while it was written",
                       Problem::Kind::Exists);
    return systemFailure(staged.place, code);
}

void FileIo::discard(const Staged &staged) {
    if (staged.temporary.empty())
        return;
    ::unlink(staged.temporary.c_str());
    if (staged.temporaries)
        staged.temporaries->forget(staged.temporary);
}

Outcome FileIo::write(const std::filesystem::path &path, std::span<const std::uint8_t> bytes,
                      const Output &output) {
    struct stat info {};
    if (const int stream = streamOf(path, true); stream >= 0) {
        // A stream sent into one of the inputs (">>" to the ROM) is refused too.
        if (::fstat(stream, &info) == 0 && S_ISREG(info.st_mode) && isInput(output, info))
            return failure(path, "it leads into one of the inputs", Problem::Kind::IsInput);
        if (!writeEvery(stream, bytes))
            return systemFailure(path, errno);
        return {};
    }
    const int looked =
        output.generatedIn.empty() ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    if (looked != 0 || S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) {
        Staged staged;
        Outcome done = stage(path, bytes, output, staged);
        return done ? commit(staged) : done;
    }
    if (S_ISDIR(info.st_mode))
        return failure(path, "it is a folder", Problem::Kind::Folder);
    if (output.keepTail)
        return failure(path, "it is not a regular file");
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
