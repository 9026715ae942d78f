#pragma once

#include <boost/optional.hpp>
#include <boost/range/any_range.hpp>

#include <cstddef>
#include <string>

namespace orv::libs::config {

class dictionary;

// One node of a parsed document: a scalar, an object or an array. Every
// conversion answers with an empty optional when the node is of another kind.
class value {
public:
    // The elements of an array, in document order.
    using array = boost::any_range<const value, boost::bidirectional_traversal_tag, const value&,
                                   std::ptrdiff_t>;

    virtual ~value() = default;

    virtual boost::optional<bool> as_bool() const = 0;
    virtual boost::optional<int> as_int() const = 0;
    virtual boost::optional<double> as_double() const = 0;
    virtual boost::optional<std::string> as_string() const = 0;
    virtual boost::optional<const dictionary&> as_object() const = 0;
    virtual boost::optional<array> as_array() const = 0;

protected:
    value() = default;
    value(const value&) = default;
    value& operator=(const value&) = default;
};

namespace detail {

// Maps a requested type to the conversion that yields it and to the name
// used in error reasons.
template <typename T>
struct conversion;

template <>
struct conversion<bool> {
    static constexpr const char* name = "bool";
    static boost::optional<bool> apply(const value& v) { return v.as_bool(); }
};

template <>
struct conversion<int> {
    static constexpr const char* name = "int";
    static boost::optional<int> apply(const value& v) { return v.as_int(); }
};

template <>
struct conversion<double> {
    static constexpr const char* name = "double";
    static boost::optional<double> apply(const value& v) { return v.as_double(); }
};

template <>
struct conversion<std::string> {
    static constexpr const char* name = "string";
    static boost::optional<std::string> apply(const value& v) { return v.as_string(); }
};

template <>
struct conversion<value::array> {
    static constexpr const char* name = "array";
    static boost::optional<value::array> apply(const value& v) { return v.as_array(); }
};

template <>
struct conversion<const dictionary&> {
    static constexpr const char* name = "object";
    static boost::optional<const dictionary&> apply(const value& v) { return v.as_object(); }
};

} // namespace detail

} // namespace orv::libs::config
