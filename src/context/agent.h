#pragma once

#include "redis/context.h"
#include "redis/hash.h"
#include "redis/key.h"
#include "redis/wrappers/string_wrapper.h"
#include "utils/timestamp.h"

#include <memory>

namespace orv::context {

// The agent's own singleton record.
class agent {
public:
    struct keys {
        static redis::key data();  // "agent"
    };

    explicit agent(redis::context& redis_context);

    // The epoch when never written.
    utils::timestamp get_start_time() const;
    void set_start_time(const utils::timestamp& time);

private:
    std::unique_ptr<redis::hash> m_data;
    redis::string_wrapper m_start_time;
    redis::context& m_redis_context;
};

} // namespace orv::context
