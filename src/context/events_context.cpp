#include "context/events_context.h"

namespace orv::context {

events_context::events_context(accessor& context, redis::context& redis_context)
    : m_context(context), m_redis_context(redis_context) {}

accessor& events_context::get_context() const { return m_context; }

redis::context& events_context::get_redis_context() const { return m_redis_context; }

} // namespace orv::context
