#pragma once

#include "redis/wrappers/optional_string_wrapper.h"
#include "utils/timestamp.h"

#include <boost/optional.hpp>

namespace orv::redis {

// Nothing is stored as the empty text, a value as its serialized form followed
// by one blank.
class optional_timestamp_wrapper {
public:
    explicit optional_timestamp_wrapper(string_wrapper wrapper);

    boost::optional<utils::timestamp> get() const;
    void set(const boost::optional<utils::timestamp>& value);

private:
    optional_string_wrapper m_optional_string_wrapper;
};

} // namespace orv::redis
