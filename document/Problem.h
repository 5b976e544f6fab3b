#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace tintwright {

// Something a reader or a writer could not do: where (a file, a line of it or an offset in
// it, as far as known) and why. Every reader and writer reports through it, thrown or
// returned; the windows and the command only decide how to show it.
class Problem : public std::runtime_error {
public:
    // What a caller may need to tell apart; most problems are Other.
    enum class Kind {
        Other,
        IsInput, // an output would land on one of the inputs
        Exists,  // an output is there and may not be replaced
        Folder,  // a folder stands where a file was meant
        Refused, // a file was read, and what it holds is refused
        Denied,  // the system does not let this user write (or read) there
    };

    explicit Problem(std::string reason, Kind kind = Kind::Other)
        : Problem({}, 0, std::nullopt, std::move(reason), kind) {}
    static Problem atLine(int line, std::string reason) {
        return Problem({}, line, std::nullopt, std::move(reason), Kind::Other);
    }
    static Problem atOffset(std::uint64_t offset, std::string reason) {
        return Problem({}, 0, offset, std::move(reason), Kind::Other);
    }

    const std::string &file() const { return m_file; }
    int line() const { return m_line; } // from 1; 0 when none
    std::optional<std::uint64_t> offset() const { return m_offset; }
    const std::string &reason() const { return m_reason; }
    Kind kind() const { return m_kind; }

    // The same problem, in `file`: a reader given text names no file of its own.
    Problem in(std::string file) const {
        return {std::move(file), m_line, m_offset, m_reason, m_kind};
    }

    // What what() says: "FILE, line 3: REASON", "FILE, offset 0x000004: REASON",
    // "FILE: REASON", or the reason alone.
    static std::string text(const std::string &file, int line, std::optional<std::uint64_t> offset,
                            const std::string &reason);

protected:
    Problem(std::string file, int line, std::optional<std::uint64_t> offset, std::string reason,
            Kind kind)
        : std::runtime_error(text(file, line, offset, reason)), m_file(std::move(file)),
          m_line(line), m_offset(offset), m_reason(std::move(reason)), m_kind(kind) {}

private:
    std::string m_file;
    int m_line;
    std::optional<std::uint64_t> m_offset;
    std::string m_reason;
    Kind m_kind;
};

// What a reader or a writer did: true when it is done, or the problem that stopped it.
class Outcome {
public:
    Outcome() = default;
    Outcome(Problem problem) : m_problem(std::move(problem)) {}
    explicit operator bool() const { return !m_problem; }
    const Problem &problem() const { return *m_problem; }

private:
    std::optional<Problem> m_problem;
};

} // namespace tintwright
