#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace tervalink {

// What a rule returns in place of its value when it cannot go on: the description a handler
// shows as it stands. The rules hand their failures back as values, so that they build where
// there are no exceptions; the caller acts on the result.
struct Failed {
    std::string description;

    friend bool operator==(const Failed&, const Failed&) = default;
};

// The value of a rule, or its failure.
template <typename T>
class [[nodiscard]] Expected {
public:
    Expected(T value) : held_(std::in_place_index<0>, std::move(value)) {}
    Expected(Failed failed) : held_(std::in_place_index<1>, std::move(failed)) {}

    explicit operator bool() const { return held_.index() == 0; }
    // Only when it holds its value.
    T& operator*() { return *std::get_if<0>(&held_); }
    const T& operator*() const { return *std::get_if<0>(&held_); }
    T* operator->() { return std::get_if<0>(&held_); }
    const T* operator->() const { return std::get_if<0>(&held_); }
    // Only when it holds a failure.
    const Failed& failed() const { return *std::get_if<1>(&held_); }
    const std::string& failure() const { return failed().description; }

private:
    std::variant<T, Failed> held_;
};

// A step that has no value of its own: done, or its failure.
template <>
class [[nodiscard]] Expected<void> {
public:
    Expected() = default;
    Expected(Failed failed) : failed_(std::move(failed)) {}

    explicit operator bool() const { return !failed_; }
    // Only when it holds a failure.
    const Failed& failed() const { return *failed_; }
    const std::string& failure() const { return failed_->description; }

private:
    std::optional<Failed> failed_;
};

} // namespace tervalink
