#pragma once

#include "redis/wrappers/optional_string_wrapper.h"

#include <boost/optional.hpp>

namespace orv::redis {

// Nothing is stored as the empty text, a value as its decimal text followed by
// one blank; a text that is not an int reads as nothing.
class optional_int_wrapper {
public:
    explicit optional_int_wrapper(string_wrapper wrapper);

    boost::optional<int> get() const;
    void set(const boost::optional<int>& value);

private:
    optional_string_wrapper m_optional_string_wrapper;
};

} // namespace orv::redis
