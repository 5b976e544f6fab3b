#pragma once

#include "Problem.h"

namespace tintwright {

// A field that could not be read: a problem at its line, with what went wrong and the field's
// text, so that a table can say it in its own words.
class FieldError : public Problem {
public:
    enum class Fault { NothingLeft, Empty, NotANumber, OutOfRange };
    FieldError(Fault fault, int line, std::string reason, std::string field = {})
        : Problem({}, line, std::nullopt, std::move(reason), Kind::Other), m_fault(fault),
          m_field(std::move(field)) {}
    Fault fault() const { return m_fault; }
    const std::string &field() const { return m_field; }

private:
    Fault m_fault;
    std::string m_field;
};

} // namespace tintwright
