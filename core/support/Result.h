#pragma once

#include <utility>
#include <variant>

namespace stowline {

// Marks the error alternative so Result<T, E> stays unambiguous when T and E convert into each other.
template <typename E>
struct Failure {
    E error;
};

template <typename E>
Failure<std::decay_t<E>> fail(E&& error) {
    return {std::forward<E>(error)};
}

template <typename T, typename E>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    template <typename F>
    Result(Failure<F> failure) : m_state(std::in_place_index<1>, E(std::move(failure.error))) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(m_state); }
    const T& value() const& { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const E& error() const { return std::get<1>(m_state); }

    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

private:
    std::variant<T, E> m_state;
};

// For operations that return nothing but can fail.
struct Unit {
    friend bool operator==(Unit, Unit) = default;
};

template <typename E>
using Status = Result<Unit, E>;

} // namespace stowline
