#pragma once

#include "redis/context.h"
#include "redis/hash.h"
#include "redis/key.h"
#include "redis/wrappers/string_wrapper.h"

#include <memory>
#include <string>

namespace orv::context {

class accessor;

// Singleton record of the agent's identity towards the monitor server.
class monitor_server {
public:
    struct keys {
        static redis::key data();  // "monitor_server:data"
    };

    monitor_server(redis::context& redis_context, accessor& context);

    std::string get_agent_uid() const;
    void set_agent_uid(const std::string& uid);

    void remove();

private:
    std::unique_ptr<redis::hash> m_data;
    redis::string_wrapper m_agent_uid;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
