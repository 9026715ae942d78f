#pragma once

#include "config-parser/result.h"
#include "config-parser/value.h"

#include <boost/optional.hpp>

#include <string>
#include <vector>

namespace orv::libs::config {

// A JSON object: its members by key.
class dictionary {
public:
    virtual ~dictionary() = default;

    // Empty when the key is absent.
    virtual boost::optional<const value&> get_value(const std::string& key) const = 0;
    // Every key, in ascending byte order.
    virtual std::vector<std::string> get_keys() const = 0;

    // The member converted to T (bool, int, double, std::string, value::array
    // or const dictionary&); empty when absent or of another kind.
    template <typename T>
    boost::optional<T> get(const std::string& key) const {
        const auto found = get_value(key);
        if (!found) {
            return detail::empty_optional<T>();
        }
        return detail::conversion<T>::apply(*found);
    }

protected:
    dictionary() = default;
    dictionary(const dictionary&) = default;
    dictionary& operator=(const dictionary&) = default;
};

} // namespace orv::libs::config
