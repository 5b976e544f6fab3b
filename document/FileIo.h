#pragma once

#include "ByteBuffer.h"
#include "Problem.h"
#include "Temporaries.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace tintwright {

// Which file a name leads to: two names with the same identity are the same file, whatever
// links or spellings lie between them.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId &) const = default;
};

// A whole file in memory, and which file it was.
struct FileBytes {
    ByteBuffer data;
    std::size_t size = 0;
    FileId id;
    std::span<const std::uint8_t> span() const { return {data.get(), size}; }
    std::string_view text() const { return {reinterpret_cast<const char *>(data.get()), size}; }
};

// Every file the program reads or writes goes through here. A problem names the file and
// the system's reason.
class FileIo {
public:
    // The largest ROM: its length is a 32-bit signed count.
    static constexpr std::size_t kLargestRom = std::numeric_limits<std::int32_t>::max();
    // The largest Data file: 16 MiB is half a million rows, more than any game has sprites.
    static constexpr std::size_t kLargestText = std::size_t(16) << 20;
    // Standard input where a file is read, standard output where one is written.
    static constexpr const char *kStandardStream = "-";
    // The stream a name stands for, as "-" does: /dev/stdin, /dev/stdout, /dev/stderr,
    // /dev/fd/N and /proc/self/fd/N name descriptor N ("-": 0 for an input, 1 for an output).
    // -1: a name of a file.
    static int streamOf(const std::filesystem::path &path, bool output);

    enum class Source {
        File,   // a regular file only: a pipe would block, a folder holds no bytes
        Stream, // also "-", pipes and devices, read to their end
    };
    enum class Access {
        Copy, // into memory of its own: what a long-running program holds
        Map,  // a regular file mapped, read as it is touched: a command that reads once
    };
    // Reads every byte, never more than `maxSize`. On a problem `out` is left alone. A mapped
    // file that shrinks while it is read stops the program (SIGBUS): a command that maps its
    // inputs says so and ends (CommandLine).
    static Outcome read(const std::filesystem::path &path, FileBytes &out, std::size_t maxSize,
                        Source source = Source::File, Access access = Access::Copy);
    // Whether this user may make and replace files in `folder`.
    static bool canWriteIn(const std::filesystem::path &folder);
    // Whether this user may write the file itself. A file without any write permission is
    // read-only, even to the administrator.
    static bool mayWrite(const std::filesystem::path &file);
    // A Data file as text.
    static Outcome readText(const std::filesystem::path &path, std::string &text);

    struct Output {
        std::vector<FileId> inputs; // files the output must never land on (Problem::Kind::IsInput)
        bool replace = false;       // an existing file may be replaced (else Problem::Kind::Exists)
        // The ROM save: bytes the old file holds past the new end stay, and only a regular file
        // is written (a pipe would block, a device would store nothing).
        bool keepTail = false;
        // A folder the program makes, the output within it: a link to the file found there is
        // replaced, never followed, and one to a folder on the way is refused.
        std::filesystem::path generatedIn{};
        // The run's temporaries, removed should it be stopped; none: this call's own.
        Temporaries *temporaries = nullptr;
    };
    // The whole of an output: "-" is standard output; an existing pipe or character device is
    // written into, never replaced; a regular file is written beside its place and renamed over
    // it only once every byte is safely stored, so it is either wholly new or as it was. A
    // replaced file keeps its mode, its owner and group where allowed, and its extended
    // attributes; a link stays a link to it, and a link that leads nowhere yet gets its file. A
    // file this user may not write is refused. Where a rename would lose something (other hard
    // links, an owner, group or attribute that cannot be kept, a folder this user may not write
    // in) the file is written in place instead. A file that appears at the name while the output
    // is written is not replaced unless `replace` allows it.
    static Outcome write(const std::filesystem::path &path, std::span<const std::uint8_t> bytes,
                         const Output &output);

    // A file made ready to take its place: a new file written whole beside it under a temporary
    // name, or, where a rename would lose something, the bytes to write in place.
    struct Staged {
        std::filesystem::path temporary; // empty: written in place
        std::filesystem::path place;
        std::span<const std::uint8_t> bytes;
        bool keepTail = false;
        bool replace = false; // the place may be taken from a file that appeared meanwhile
        Temporaries *temporaries = nullptr;
    };
    // The checks of `write`, then the temporary: a regular file (new or replaced) only.
    static Outcome stage(const std::filesystem::path &path, std::span<const std::uint8_t> bytes,
                         const Output &output, Staged &staged);
    // The temporary renamed over its place, or the bytes written in place; on a problem the
    // temporary is removed.
    static Outcome commit(const Staged &staged);
    static void discard(const Staged &staged);
};

} // namespace tintwright
