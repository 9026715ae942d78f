#pragma once

#include "redis/wrappers/string_wrapper.h"

namespace orv::redis {

// Stored as "true" / "false"; any other text reads as false.
class bool_wrapper {
public:
    explicit bool_wrapper(string_wrapper wrapper);

    bool get() const;
    void set(bool value);

private:
    string_wrapper m_string_wrapper;
};

} // namespace orv::redis
