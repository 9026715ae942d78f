#pragma once

#include "utils/noncopyable.h"

namespace orv::redis {
class context;
}

namespace orv::context {

class accessor;

// Carries what every event record constructor needs: the accessor and the
// Redis connection.
class events_context : utils::noncopyable {
public:
    events_context(accessor& context, redis::context& redis_context);

    accessor& get_context() const;
    redis::context& get_redis_context() const;

private:
    accessor& m_context;
    redis::context& m_redis_context;
};

} // namespace orv::context
