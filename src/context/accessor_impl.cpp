#include "context/accessor_impl.h"

#include "sqlite/disk_queue_impl.h"

namespace orv::context {

accessor_impl::accessor_impl(redis::context& redis_context, sqlite::synchronized_database& queues_db)
    : m_redis_context(redis_context), m_queues_db(queues_db), m_objects_creator(redis_context, *this),
      m_agent(redis_context), m_monitor_server(redis_context, *this), m_events_context(*this, redis_context),
      m_system_resources(redis_context), m_modules(redis_context, *this), m_anchors(redis_context, *this),
      m_trackables(redis_context, *this), m_sublocations(redis_context, *this), m_locations(redis_context, *this),
      m_projects(redis_context, *this), m_companies(redis_context, *this), m_nodes(redis_context, *this),
      m_tdoa_settings(redis_context, *this), m_tdoa_schedule(redis_context, *this),
      m_network_settings(redis_context, *this), m_shm_statuses(redis_context, *this) {}

synchronized_disk_queue accessor_impl::get_disk_queue(const std::string& name) {
    std::unique_ptr<disk_queue> queue;
    {
        auto database = m_queues_db.lock();
        queue = std::make_unique<disk_queue_impl>(name, *database);
    }
    return synchronized_disk_queue(std::move(queue), m_queues_db.get_mutex_ptr());
}

} // namespace orv::context
