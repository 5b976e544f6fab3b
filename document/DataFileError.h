#pragma once

#include <stdexcept>
#include <string>

namespace tintwright {

// A Data file that stops start-up: which file, which line (0 when none) and what is wrong.
class DataFileError : public std::runtime_error {
public:
    DataFileError(const std::string &file, int line, const std::string &reason)
        : std::runtime_error(file + (line > 0 ? ", line " + std::to_string(line) : std::string()) +
                             ": " + reason),
          m_file(file), m_line(line), m_reason(reason) {}
    const std::string &file() const { return m_file; }
    int line() const { return m_line; }
    const std::string &reason() const { return m_reason; }

private:
    std::string m_file;
    int m_line;
    std::string m_reason;
};

} // namespace tintwright
