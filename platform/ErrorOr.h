#pragma once

#include <cassert>
#include <optional>
#include <type_traits>
#include <utility>

namespace ryk {

/// The error code (an errno value or one of ErrorCodes.h, never 0) a call answers instead of
/// its value: `return Failed{errno};`.
struct Failed {
    int error;
};

/// What a call answers that gives either a value or the error code why there is none, where
/// an out-parameter and a code would otherwise travel apart. True when it holds the value.
template <typename T> class [[nodiscard]] ErrorOr {
public:
    ErrorOr(T value) : m_value(std::move(value)) {}
    /// From what converts to the value (a reader of a derived type, say).
    template <typename U, typename = std::enable_if_t<std::is_convertible_v<U&&, T>>>
    ErrorOr(U&& value) : m_value(std::forward<U>(value)) {}
    ErrorOr(Failed failed) : m_error(failed.error) { assert(failed.error != 0); }

    explicit operator bool() const { return m_value.has_value(); }
    /// 0 when the value is there, else why it is not.
    int error() const { return m_error; }

    /// The value; only when there is one.
    T& operator*() & { return *m_value; }
    const T& operator*() const& { return *m_value; }
    T&& operator*() && { return std::move(*m_value); }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }

private:
    std::optional<T> m_value;
    int m_error = 0;
};

} // namespace ryk
