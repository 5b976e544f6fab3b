#pragma once

#include <stdexcept>
#include <string>

namespace tintwright {

// A field that could not be read: why, its 1-based line, and the field's text when there was one.
class FieldError : public std::runtime_error {
public:
    enum class Kind { NothingLeft, Empty, NotANumber, OutOfRange };
    FieldError(Kind kind, int line, const std::string &message, std::string field = {})
        : std::runtime_error(message), m_kind(kind), m_line(line), m_field(std::move(field)) {}
    Kind kind() const { return m_kind; }
    int line() const { return m_line; }
    const std::string &field() const { return m_field; }

private:
    Kind m_kind;
    int m_line;
    std::string m_field;
};

} // namespace tintwright
