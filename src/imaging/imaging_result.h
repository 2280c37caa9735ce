#pragma once

#include <string>
#include <utility>
#include <variant>

namespace shutterhand::imaging {

// A value or the text of what went wrong; the caller decides what a failure means for its work.
template <typename T> class Result {
public:
    Result(T value)
        : m_state(std::move(value))
    { }

    static Result failure(std::string message) { return Result(Error{std::move(message)}); }

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(m_state); }
    T& value() & { return std::get<T>(m_state); }
    T&& value() && { return std::get<T>(std::move(m_state)); }

    // The message of a failure; empty for a value.
    const std::string& error() const
    {
        static const std::string none;
        return ok() ? none : std::get<Error>(m_state).message;
    }

private:
    struct Error {
        std::string message;
    };
    explicit Result(Error error)
        : m_state(std::move(error))
    { }

    std::variant<T, Error> m_state;
};

}  // namespace shutterhand::imaging
