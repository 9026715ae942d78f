#pragma once

#include "redis/context.h"
#include "sqlite/queues_database.h"

#include <map>

namespace orv::migrations {

// Brings the Redis layout up to the current version, running each registered
// step above the stored version in ascending order, and stamps the version in
// Redis ("version", "name") and in the queue database (table orv).
class controller {
public:
    static constexpr int s_current_version = 2;

    controller(redis::context& redis_context, sqlite::synchronized_database& queues_db);

    void migrate();

    // Moves the legacy Redis list "queues:events" into the disk queue "events" and
    // drops the legacy Redis queues.
    void v2_move_events_to_sqlite();

private:
    using migration = void (controller::*)();

    redis::context& m_redis_context;
    sqlite::synchronized_database& m_queues_db;
    std::multimap<int, migration> m_migrations;
};

} // namespace orv::migrations
