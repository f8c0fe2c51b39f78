#pragma once

#include <string>
#include <utility>
#include <variant>

namespace veld::model {

// A value, or the message (Czech, UTF-8, shown as it is) that refuses it. A refused encoder
// has produced nothing that may be sent.
template <class T>
class [[nodiscard]] Checked {
public:
    Checked(T value) : state_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
    static Checked Refused(std::string message) { return Checked(Refusal{std::move(message)}); }

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }
    // Only when ok().
    const T& value() const { return std::get<T>(state_); }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }
    // Only when !ok().
    const std::string& message() const { return std::get<Refusal>(state_).message; }

private:
    struct Refusal {
        std::string message;
    };
    explicit Checked(Refusal r) : state_(std::move(r)) {}

    std::variant<Refusal, T> state_;
};

}  // namespace veld::model
