#pragma once

#include "redis/context.h"
#include "redis/hash.h"
#include "redis/key.h"
#include "redis/wrappers/string_wrapper.h"
#include "utils/timestamp.h"

#include <memory>
#include <string>

namespace orv::context {

class accessor;

// One service module of the location system, with its state and version.
class module {
public:
    struct keys {
        static std::string prefix();                     // "modules"
        static redis::key set();                         // "modules:set"
        static redis::key data(const std::string& uid);  // "modules:<uid>:data"
    };

    module(std::string uid, redis::context& redis_context, accessor& context);

    const std::string& get_uid() const { return m_uid; }

    std::string get_name() const;
    void set_name(const std::string& name);
    std::string get_state() const;
    void set_state(const std::string& state);
    // Stored in the serialized timestamp form; a never-written time reads as the epoch.
    utils::timestamp get_state_change_time() const;
    void set_state_change_time(const utils::timestamp& time);
    std::string get_version() const;
    void set_version(const std::string& version);

    void remove();

    static module create(redis::context& _redis_context, accessor& _context, const std::string& _uid,
                         const std::string& _name, const std::string& _state,
                         const utils::timestamp& _state_change_time, const std::string& _version);

private:
    std::string m_uid;
    std::unique_ptr<redis::hash> m_data;
    redis::string_wrapper m_name;
    redis::string_wrapper m_state;
    redis::string_wrapper m_state_change_time;
    redis::string_wrapper m_version;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
