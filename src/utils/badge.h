#pragma once

namespace orv::utils {

// A constructor that takes badge<T> can only be called by T.
template <typename T>
class badge {
    friend T;
    badge() = default;
};

} // namespace orv::utils
