#include "context/network_settings.h"

#include "redis/context.h"

namespace orv::context {

namespace {
redis::key field(const char* name) { return redis::key(name); }
} // namespace

std::string network_settings::keys::prefix() { return "network_settings"; }
redis::key network_settings::keys::set() { return redis::key(prefix() + ":set"); }
redis::key network_settings::keys::data(const std::string& uid) {
    return redis::key(prefix() + ":" + uid + ":data");
}

network_settings::network_settings(std::string uid, redis::context& redis_context,
                                   accessor& context)
    : m_uid(std::move(uid)),
      m_data(redis_context.get_hash(keys::data(m_uid))),
      m_enabled(redis::string_wrapper::from_hash(redis_context, *m_data, field("enabled"))),
      m_enabled_at(redis::string_wrapper::from_hash(redis_context, *m_data, field("enabled_at"))),
      m_duration(redis::string_wrapper::from_hash(redis_context, *m_data, field("duration"))),
      m_redis_context(redis_context),
      m_context(context) {}

network_settings network_settings::create(redis::context& _redis_context, accessor& _context,
                                          const std::string& _project_uid) {
    network_settings object(_project_uid, _redis_context, _context);
    _redis_context.get_set(keys::set())->add(_project_uid);
    return object;
}

bool network_settings::get_enabled() const { return m_enabled.get(); }
void network_settings::set_enabled(bool enabled) { m_enabled.set(enabled); }

boost::optional<utils::timestamp> network_settings::get_enabled_at() const {
    return m_enabled_at.get();
}
void network_settings::set_enabled_at(const boost::optional<utils::timestamp>& enabled_at) {
    m_enabled_at.set(enabled_at);
}

boost::optional<int> network_settings::get_duration() const { return m_duration.get(); }
void network_settings::set_duration(boost::optional<int> duration) { m_duration.set(duration); }

void network_settings::remove() {
    m_redis_context.get_set(keys::set())->rem(m_uid);
    m_data->clear();
}

} // namespace orv::context
