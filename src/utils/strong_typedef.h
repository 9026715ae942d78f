#pragma once

#include <utility>

namespace orv::utils {

// A distinct type per tag, so that flags and quantities cannot be mixed up.
template <typename T, typename Tag>
struct strong_typedef {
    strong_typedef() = default;
    constexpr explicit strong_typedef(T v) : value(std::move(v)) {}

    friend constexpr bool operator==(const strong_typedef& a, const strong_typedef& b) {
        return a.value == b.value;
    }
    friend constexpr bool operator!=(const strong_typedef& a, const strong_typedef& b) {
        return !(a == b);
    }

    T value{};
};

} // namespace orv::utils
