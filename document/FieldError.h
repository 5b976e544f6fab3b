#pragma once

#include <stdexcept>
#include <string>

namespace tintwright {

// A field that could not be read; `line` is 1-based.
class FieldError : public std::runtime_error {
public:
    enum class Kind { NothingLeft, Empty, NotANumber, OutOfRange };
    FieldError(Kind kind, int line, const std::string &text)
        : std::runtime_error(text), m_kind(kind), m_line(line) {}
    Kind kind() const { return m_kind; }
    int line() const { return m_line; }

private:
    Kind m_kind;
    int m_line;
};

} // namespace tintwright
