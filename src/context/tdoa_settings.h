#pragma once

#include "redis/hash.h"
#include "redis/key.h"
#include "redis/set.h"
#include "redis/wrappers/bool_wrapper.h"
#include "redis/wrappers/string_wrapper.h"

#include <functional>
#include <memory>
#include <string>

namespace orv::redis {
class context;
}

namespace orv::context {

class accessor;

// TDOA settings of a project, keyed by the project's uid.
class tdoa_settings {
public:
    struct keys {
        static std::string prefix();                         // "tdoa_settings"
        static redis::key set();                            // "tdoa_settings:set"
        static redis::key data(const std::string& uid);     // "tdoa_settings:<uid>:data"
        static redis::key masters(const std::string& uid);  // "tdoa_settings:<uid>:masters"
    };

    using master_callback = std::function<bool(const std::string& uid)>;

    tdoa_settings(std::string uid, redis::context& redis_context, accessor& context);

    static tdoa_settings create(redis::context& _redis_context, accessor& _context,
                                const std::string& _project_uid);

    const std::string& get_uid() const { return m_uid; }
    const std::string& get_project_uid() const { return m_uid; }

    bool get_autostart() const;
    void set_autostart(bool autostart);
    bool get_configured_state() const;
    void set_configured_state(bool configured_state);
    std::string get_active_schedule() const;
    void set_active_schedule(const std::string& schedule_uid);

    bool has_master(const std::string& uid) const;
    void add_master(const std::string& uid);
    void clear_masters();
    bool for_each_master(const master_callback& callback) const;

    void remove();

private:
    std::string m_uid;
    std::unique_ptr<redis::hash> m_data;
    redis::bool_wrapper m_autostart;
    redis::bool_wrapper m_configured_state;
    redis::string_wrapper m_active_schedule;
    std::unique_ptr<redis::set> m_masters;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
