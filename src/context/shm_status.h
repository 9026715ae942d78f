#pragma once

#include "events/event_type.h"
#include "redis/context.h"
#include "redis/key.h"
#include "redis/set.h"

#include <functional>
#include <memory>
#include <string>

namespace orv::context {

class accessor;

// The event kinds currently recorded for one anchor, keyed by the anchor's uid.
class shm_status {
public:
    using event_type = orv::events::event_type;
    using event_callback = std::function<bool(event_type)>;

    struct keys {
        static std::string prefix();                       // "anchors"
        static redis::key set();                           // "anchors:set_shm_status"
        static redis::key events(const std::string& uid);  // "anchors:<uid>:events"
    };

    shm_status(std::string uid, redis::context& redis_context, accessor& context);

    const std::string& get_uid() const { return m_uid; }

    bool has_event(event_type type) const;
    void add_event(event_type type);
    void remove_event(event_type type);
    // Ascending name order; a stored name that is no event kind is passed as
    // event_type::_unknown. Stops at the first false and returns false.
    bool for_each_event(const event_callback& callback) const;

    void remove();

    static shm_status create(redis::context& _redis_context, accessor& _context, const std::string& _uid);

private:
    std::string m_uid;
    std::unique_ptr<redis::set> m_events;
    redis::context& m_redis_context;
    accessor& m_context;
};

} // namespace orv::context
