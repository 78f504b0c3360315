#pragma once

// The one shape of what can fail in the plain core: the value, or the text that tells the user why
// not (UTF-8, lines joined by CR LF), which the windows show in a message box and orvane-wake on
// standard error. As much of C++23's std::expected as the core needs.

#include <optional>
#include <string>
#include <utility>

namespace orvane {

template <class T> struct Result {
    std::optional<T> value;
    std::string error; // empty when there is a value

    static Result failure(std::string why) { return {std::nullopt, std::move(why)}; }
    explicit operator bool() const { return value.has_value(); }
    const T &operator*() const { return *value; }
    const T *operator->() const { return &*value; }
};

} // namespace orvane
