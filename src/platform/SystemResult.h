#pragma once
// What a platform call gives back: its value, or the system's error number when it failed, so
// that a caller can tell "not there" (ENOENT) from "no room" (ENOSPC) and a test can check which
// failure it provoked. The errno is taken once, where the call failed, and is not overwritten by
// whatever the caller does before it looks (a log line, a clean-up).
#include <cerrno>
#include <string>
#include <utility>
#include <variant>

namespace mirabel {

struct SystemError {
    int code = 0;  // an errno value

    // The system's text for it ("No space left on device"), as the logs show it.
    std::string Text() const;
    bool operator==(const SystemError&) const = default;

    // The error the last failed system call left in errno.
    static SystemError Last() { return SystemError{errno}; }
};

// The value of a call that needs none beyond its success.
struct Done {};

template <typename T = Done>
class [[nodiscard]] SystemResult {
  public:
    SystemResult(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    SystemResult(SystemError error) : state_(std::in_place_index<1>, error) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& operator*() & { return std::get<0>(state_); }
    const T& operator*() const& { return std::get<0>(state_); }
    T&& operator*() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }

    template <typename U>
    T value_or(U&& fallback) const& {
        return ok() ? std::get<0>(state_) : static_cast<T>(std::forward<U>(fallback));
    }
    template <typename U>
    T value_or(U&& fallback) && {
        return ok() ? std::get<0>(std::move(state_)) : static_cast<T>(std::forward<U>(fallback));
    }

    // The failure; only for a result that is not ok().
    SystemError error() const { return std::get<1>(state_); }

  private:
    std::variant<T, SystemError> state_;
};

}  // namespace mirabel
