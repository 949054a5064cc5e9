#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "base/Format.h"

// How our functions report failure: every function that can fail (Qt slots aside) answers Status,
// or Result<T> for a value, and its caller uses the answer, or says with absorb() that it goes on
// either way. The system's named operations (CreateOutputDirectories, CompressOutputDirectory,
// CopyFiles ...) write their own log line for a failure, in the words the log has always used;
// lower-level functions (platform, parsing) leave the line to their caller. bool and std::optional
// answer questions that cannot fail: a predicate, or a lookup that may find nothing.
namespace tarvix {

/// Why an operation failed, in words a log line can carry.
struct Failure {
    std::string message;
    /// The system error number behind it (errno), 0 when there is none.
    int errorNumber = 0;
};

/// The system's text for `errorNumber`, after `context` and ": " when a context is given.
inline Failure systemFailure(int errorNumber, std::string_view context = {})
{
    std::string text = errorText(errorNumber);
    if (!context.empty()) text = std::string(context) + ": " + text;
    return Failure{std::move(text), errorNumber};
}

/// Success, or the Failure that prevented it.
class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Failure failure) : m_failure(std::move(failure)) {}

    bool ok() const { return !m_failure; }
    explicit operator bool() const { return ok(); }
    /// Only when !ok().
    const Failure& failure() const { return *m_failure; }
    const std::string& message() const { return m_failure->message; }
    /// For a caller that goes on either way: the failure was logged where it happened.
    void absorb() const {}

private:
    std::optional<Failure> m_failure;
};

/// A value, or the error that prevented it: a Failure, or an operation's own reasons (E) where
/// its caller decides by the reason rather than by a text.
template <typename T, typename E = Failure>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    /// Only when ok().
    T& value() & { return std::get<0>(m_state); }
    const T& value() const& { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    /// The value, or `fallback` when there is none.
    T value_or(T fallback) const& { return ok() ? value() : std::move(fallback); }

    /// Only when !ok().
    const E& error() const { return std::get<1>(m_state); }
    const Failure& failure() const requires std::is_same_v<E, Failure> { return error(); }
    const std::string& message() const requires std::is_same_v<E, Failure> { return error().message; }
    Status status() const requires std::is_same_v<E, Failure> { return ok() ? Status() : Status(error()); }

private:
    std::variant<T, E> m_state;
};

}  // namespace tarvix
