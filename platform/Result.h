// The one way Brindle's own functions report failure: a Result holds either the value or
// an Error, and a Status (Result<void>) holds nothing or an Error. An Error's message is
// the sentence the user reads, naming the object (a file, a key, a prefix) and the reason.
//
// The Win32-shaped interfaces keep their status numbers; this is for everything above them
// that used to answer with an empty text on success, an out-parameter or a flag to ask
// afterwards.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace brindle {

class Error {
public:
    // A sentence that already names what failed and why.
    explicit Error(std::string message) : m_message(std::move(message)) {}
    // "<object>: <reason>".
    static Error In(const std::string& object, const std::string& reason) { return Error(object + ": " + reason); }

    const std::string& message() const { return m_message; }

private:
    std::string m_message;
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only on success.
    T& value() & { return std::get<0>(m_state); }
    const T& value() const& { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    T& operator*() & { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // Only on failure.
    const Error& error() const { return std::get<1>(m_state); }
    // The message, or an empty text on success: for reports and test output.
    std::string message() const { return ok() ? std::string() : error().message(); }

private:
    std::variant<T, Error> m_state;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    // Only on failure.
    const Error& error() const { return *m_error; }
    // The message, or an empty text on success: for reports and test output.
    std::string message() const { return m_error ? m_error->message() : std::string(); }

private:
    std::optional<Error> m_error;
};

using Status = Result<void>;

}  // namespace brindle
