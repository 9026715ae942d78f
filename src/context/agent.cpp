#include "context/agent.h"

namespace orv::context {

redis::key agent::keys::data() { return redis::key("agent"); }

agent::agent(redis::context& redis_context)
    : m_data(redis_context.get_hash(keys::data())),
      m_start_time(redis::string_wrapper::from_hash(redis_context, *m_data, redis::key("start_time"))),
      m_redis_context(redis_context) {}

utils::timestamp agent::get_start_time() const { return utils::timestamp::deserialize(m_start_time.get()); }

void agent::set_start_time(const utils::timestamp& time) { m_start_time.set(time.serialize()); }

} // namespace orv::context
