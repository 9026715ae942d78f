#pragma once

#include "redis/wrappers/string_wrapper.h"
#include "utils/timestamp.h"

namespace orv::redis {

// Stored in the serialized form "<seconds> <milliseconds> (<readable form>)";
// a text that does not start with the two numbers reads as 0 for what is missing.
class timestamp_wrapper {
public:
    explicit timestamp_wrapper(string_wrapper wrapper);

    utils::timestamp get() const;
    void set(const utils::timestamp& value);

private:
    string_wrapper m_string_wrapper;
};

} // namespace orv::redis
