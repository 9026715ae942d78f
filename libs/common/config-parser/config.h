#pragma once

#include "config-parser/dictionary.h"
#include "config-parser/result.h"
#include "config-parser/value.h"

#include "core/exceptions.h"

#include <boost/optional.hpp>

#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <string>
#include <type_traits>

namespace orv::libs::config {

// Formats of documents that can be parsed.
enum class type { json = 0 };

using object = const dictionary&;

namespace detail {
std::string join_path(std::initializer_list<std::string>::const_iterator begin,
                      std::initializer_list<std::string>::const_iterator end);
} // namespace detail

// An immutable, fully parsed document. Queries never throw for missing or
// mistyped entries; they answer with an empty optional or an error result.
class config {
public:
    virtual ~config() = default;

    virtual object get_root() const = 0;

    // Parses the whole stream; throws std::runtime_error "Cannot parse json: ..."
    // when it does not hold a valid document.
    template <type Format>
    static std::unique_ptr<config> create(std::istream& stream);

    template <typename T>
    boost::optional<T> get(const std::string& key) const {
        return get_root().get<T>(key);
    }

    // Looks up a member through nested objects, outermost key first.
    template <typename T>
    result<T> get_by_path(std::initializer_list<std::string> path) const;

protected:
    config() = default;
    config(const config&) = default;
    config& operator=(const config&) = default;
};

template <>
std::unique_ptr<config> config::create<type::json>(std::istream& stream);

template <typename T>
result<T> config::get_by_path(std::initializer_list<std::string> path) const {
    static_assert(!std::is_reference_v<T>, "paths lead to values, not to objects");
    ORV_LIBS_CORE_CHECK(path.size() != 0);

    const auto joined = detail::join_path(path.begin(), path.end());
    const auto last = path.end() - 1;
    const dictionary* current = &get_root();
    for (auto it = path.begin(); it != last; ++it) {
        const auto inner = current->get<const dictionary&>(*it);
        if (!inner) {
            return error_reason{"Can not find object <object>: " +
                                detail::join_path(path.begin(), it + 1) + ", path: " + joined};
        }
        current = &*inner;
    }
    auto found = current->get<T>(*last);
    if (!found) {
        return error_reason{std::string("Can not find field <") + detail::conversion<T>::name +
                            ">: " + joined};
    }
    return result<T>(std::move(*found));
}

} // namespace orv::libs::config
