#include "context/shm_status.h"

namespace orv::context {

std::string shm_status::keys::prefix() { return "anchors"; }
redis::key shm_status::keys::set() { return redis::key(prefix() + ":set_shm_status"); }
redis::key shm_status::keys::events(const std::string& uid) {
    return redis::key(prefix() + ":" + uid + ":events");
}

shm_status::shm_status(std::string uid, redis::context& redis_context, accessor& context)
    : m_uid(std::move(uid)), m_events(redis_context.get_set(keys::events(m_uid))),
      m_redis_context(redis_context), m_context(context) {}

bool shm_status::has_event(event_type type) const { return m_events->is_member(events::to_string(type)); }
void shm_status::add_event(event_type type) { m_events->add(events::to_string(type)); }
void shm_status::remove_event(event_type type) { m_events->rem(events::to_string(type)); }

bool shm_status::for_each_event(const event_callback& callback) const {
    return m_events->for_each_member([&callback](const std::string& name) {
        auto type = events::_unknown;
        for (int i = 0; i < events::_count; ++i) {
            const auto candidate = static_cast<event_type>(i);
            if (events::to_string(candidate) == name) {
                type = candidate;
                break;
            }
        }
        return callback(type);
    });
}

void shm_status::remove() {
    m_redis_context.get_set(keys::set())->rem(m_uid);
    m_events->clear();
}

shm_status shm_status::create(redis::context& _redis_context, accessor& _context, const std::string& _uid) {
    shm_status result(_uid, _redis_context, _context);
    _redis_context.get_set(keys::set())->add(_uid);
    return result;
}

} // namespace orv::context
