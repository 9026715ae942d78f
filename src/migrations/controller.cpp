#include "migrations/controller.h"

#include "redis/key.h"
#include "sqlite/queue.h"

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <cstdint>
#include <string>

namespace orv::migrations {

namespace {

const redis::key version_key{"version"};
const redis::key name_key{"name"};
constexpr const char* agent_name = "zenk-monitor-agent";

// Row of the orv table present while moved events are committed but the legacy
// Redis queues are not yet deleted. A step interrupted in that window must not
// append the same events a second time when it runs again.
constexpr const char* moved_events_marker = "v2_moved_events";

void create_orv_table(SQLite::Database& db) { db.exec("CREATE TABLE IF NOT EXISTS orv (key UNIQUE, value);"); }

} // namespace

controller::controller(redis::context& redis_context, sqlite::synchronized_database& queues_db)
    : m_redis_context(redis_context), m_queues_db(queues_db) {
    m_migrations.emplace(2, &controller::v2_move_events_to_sqlite);
}

void controller::migrate() {
    // An unversioned database is discarded, not migrated.
    if (!m_redis_context.has_value(version_key)) {
        m_redis_context.flush_db();
        m_redis_context.set_value(version_key, std::to_string(s_current_version));
    }

    const int version = std::stoi(m_redis_context.get_value(version_key));
    if (version != s_current_version) {
        for (auto it = m_migrations.upper_bound(version); it != m_migrations.end(); ++it) {
            (this->*(it->second))();
        }
    }

    m_redis_context.set_value(name_key, agent_name);
    m_redis_context.set_value(version_key, std::to_string(s_current_version));

    auto db = m_queues_db.lock();
    create_orv_table(*db);
    SQLite::Statement upsert(*db, R"(
        INSERT INTO orv(key, value) VALUES('version', :version)
            ON CONFLICT(key) DO UPDATE SET value=excluded.value;
    )");
    upsert.bind(":version", s_current_version);
    upsert.exec();
}

void controller::v2_move_events_to_sqlite() {
    const auto legacy_events = m_redis_context.get_list(redis::key("queues:events"))->lrange(0, -1);

    auto db = m_queues_db.lock();
    sqlite::queue events("events", *db);
    create_orv_table(*db);

    SQLite::Statement find_marker(*db, "SELECT 1 FROM orv WHERE key=:key;");
    find_marker.bind(":key", moved_events_marker);
    const bool already_moved = find_marker.executeStep();

    if (!already_moved) {
        // All or nothing: a failed append leaves the queue and the Redis list as they were.
        SQLite::Transaction transaction(*db);
        for (const auto& value : legacy_events) {
            events.add(value);
        }
        SQLite::Statement set_marker(*db, "INSERT INTO orv(key, value) VALUES(:key, :count);");
        set_marker.bind(":key", moved_events_marker);
        set_marker.bind(":count", static_cast<int64_t>(legacy_events.size()));
        set_marker.exec();
        transaction.commit();
    }

    m_redis_context.get_list(redis::key("queues:events"))->clear();
    m_redis_context.get_list(redis::key("queues:notifications"))->clear();
    m_redis_context.get_list(redis::key("queues:snapshots"))->clear();
    m_redis_context.get_set(redis::key("queues:set"))->clear();

    SQLite::Statement clear_marker(*db, "DELETE FROM orv WHERE key=:key;");
    clear_marker.bind(":key", moved_events_marker);
    clear_marker.exec();
}

} // namespace orv::migrations
