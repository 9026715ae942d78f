#include "context/monitor_server.h"

namespace orv::context {

redis::key monitor_server::keys::data() { return redis::key("monitor_server:data"); }

monitor_server::monitor_server(redis::context& redis_context, accessor& context)
    : m_data(redis_context.get_hash(keys::data())),
      m_agent_uid(redis::string_wrapper::from_hash(redis_context, *m_data, redis::key("agent_uid"))),
      m_redis_context(redis_context), m_context(context) {}

std::string monitor_server::get_agent_uid() const { return m_agent_uid.get(); }

void monitor_server::set_agent_uid(const std::string& uid) { m_agent_uid.set(uid); }

void monitor_server::remove() { m_data->clear(); }

} // namespace orv::context
