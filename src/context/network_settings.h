#pragma once

#include "redis/hash.h"
#include "redis/key.h"
#include "redis/wrappers/bool_wrapper.h"
#include "redis/wrappers/optional_int_wrapper.h"
#include "redis/wrappers/optional_timestamp_wrapper.h"
#include "utils/timestamp.h"

#include <boost/optional.hpp>

#include <memory>
#include <string>

namespace orv::redis {
class context;
}

namespace orv::context {

class accessor;

// Network settings of a project (service mode), keyed by the project's uid.
class network_settings {
public:
    struct keys {
        static std::string prefix();                      // "network_settings"
        static redis::key set();                         // "network_settings:set"
        static redis::key data(const std::string& uid);  // "network_settings:<uid>:data"
    };

    network_settings(std::string uid, redis::context& redis_context, accessor& context);

    static network_settings create(redis::context& _redis_context, accessor& _context,
                                   const std::string& _project_uid);

    const std::string& get_uid() const { return m_uid; }
    const std::string& get_project_uid() const { return m_uid; }

    bool get_enabled() const;
    void set_enabled(bool enabled);
    boost::optional<utils::timestamp> get_enabled_at() const;
    void set_enabled_at(const boost::optional<utils::timestamp>& enabled_at);
    boost::optional<int> get_duration() const;
    void set_duration(boost::optional<int> duration);

    void remove();

private:
    std::string m_uid;
    std::unique_ptr<redis::hash> m_data;
    redis::bool_wrapper m_enabled;
    redis::optional_timestamp_wrapper m_enabled_at;
    redis::optional_int_wrapper m_duration;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
