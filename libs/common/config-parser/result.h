#pragma once

#include <boost/optional.hpp>

#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>

namespace orv::libs::config {

namespace detail {

// An empty optional. For trivially copyable T the unused storage is filled
// too: GCC otherwise warns (wrongly, -Wmaybe-uninitialized) when such an
// optional is copied after inlining.
template <typename T>
boost::optional<T> empty_optional() {
    if constexpr (std::is_trivially_copyable_v<T> && !std::is_reference_v<T>) {
        return boost::optional<T>(false, T());
    } else {
        return boost::none;
    }
}

} // namespace detail

struct error_reason {
    std::string reason;
};

// Either a value or the reason why there is none.
template <typename T>
class result {
public:
    using value_type = T;

    result(T value) : m_data(std::in_place_index<0>, std::move(value)) {}
    result(error_reason reason) : m_data(std::in_place_index<1>, std::move(reason)) {}

    bool ok() const noexcept { return m_data.index() == 0; }

    boost::optional<T> try_get() const {
        if (const auto* held = std::get_if<0>(&m_data)) {
            return *held;
        }
        return detail::empty_optional<T>();
    }

    // Throws boost::bad_optional_access on an error result.
    T value() const { return try_get().value(); }

    // The error text; empty for a result that holds a value.
    std::string reason() const {
        if (const auto* held = std::get_if<1>(&m_data)) {
            return held->reason;
        }
        return {};
    }

private:
    std::variant<T, error_reason> m_data;
};

namespace detail {

// A result's value seen as a tuple: a tuple contributes its elements, any
// other value is a one-element tuple. Chains of + thus stay flat.
template <typename T>
struct as_tuple {
    using type = std::tuple<T>;
    static type make(T value) { return type(std::move(value)); }
};

template <typename... Ts>
struct as_tuple<std::tuple<Ts...>> {
    using type = std::tuple<Ts...>;
    static type make(type value) { return value; }
};

template <typename A, typename B>
using combined_t = decltype(std::tuple_cat(std::declval<typename as_tuple<A>::type>(),
                                           std::declval<typename as_tuple<B>::type>()));

} // namespace detail

// Both values as one flat tuple, or every failed operand's reason, left first,
// one per line.
template <typename A, typename B>
result<detail::combined_t<A, B>> operator+(const result<A>& lhs, const result<B>& rhs) {
    using combined = result<detail::combined_t<A, B>>;
    if (lhs.ok() && rhs.ok()) {
        return combined(std::tuple_cat(detail::as_tuple<A>::make(lhs.value()),
                                       detail::as_tuple<B>::make(rhs.value())));
    }
    if (!lhs.ok() && !rhs.ok()) {
        return combined(error_reason{lhs.reason() + "\n" + rhs.reason()});
    }
    return combined(error_reason{lhs.ok() ? rhs.reason() : lhs.reason()});
}

} // namespace orv::libs::config
