#pragma once

#include "redis/wrappers/string_wrapper.h"

#include <boost/optional.hpp>

#include <string>

namespace orv::redis {

// Stored as decimal text; a text that is not wholly an int reads as 0.
class int_wrapper {
public:
    explicit int_wrapper(string_wrapper wrapper);

    int get() const;
    void set(int value);

    // An optional sign followed by decimal digits that fit an int; nothing otherwise.
    static boost::optional<int> parse(const std::string& text);

private:
    string_wrapper m_string_wrapper;
};

} // namespace orv::redis
