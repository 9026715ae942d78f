#pragma once

#include "redis/wrappers/string_wrapper.h"

#include <boost/optional.hpp>

#include <string>

namespace orv::redis {

// Nothing is stored as the empty text, a value as the value followed by one
// blank, so that an empty value (" ") differs from none ("").
class optional_string_wrapper {
public:
    explicit optional_string_wrapper(string_wrapper wrapper);

    boost::optional<std::string> get() const;
    void set(const boost::optional<std::string>& value);

private:
    string_wrapper m_string_wrapper;
};

} // namespace orv::redis
