#pragma once

#include "context/accessor_impl.h"
#include "redis/context_impl.h"
#include "sqlite/queues_database.h"
#include "support/recording_redis_context.h"
#include "support/redis_server.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orv::test {

// A site context on a real Redis: one redis-server per test binary (started on
// first use), flushed before every test, a fresh connection (database 0, the one
// redis_server::command reads) and a fresh accessor_impl per test, over a queue
// database in a temporary directory.
class context_fixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The shared server; raw keys are read with redis().command(...).
    static redis_server& redis();

    redis::context_impl& redis_context() { return *m_redis_context; }
    context::accessor_impl& context() { return *m_accessor; }
    context::objects_creator& creator() { return m_accessor->get_objects_creator(); }
    sqlite::synchronized_database& queues_db() { return *m_queues_db; }

    // Replaces the accessor with a new one on a new connection, so that nothing
    // is served from the previous connection's caches.
    void reconnect();

    // A second accessor on the same connection whose hash and set writes are
    // logged in order by recorder(); created on first use.
    context::accessor_impl& recording_context();
    recording_redis_context& recorder();

    // Raw reads of the database: every key, and the members of a set, sorted.
    static std::vector<std::string> all_keys();
    static std::vector<std::string> members(const std::string& key);
    // The text of a hash field, "(nil)" when absent.
    static std::string field(const std::string& key, const std::string& name);

    // Calls per command name ("hset", "type", ...) executed by the server so far,
    // from INFO commandstats.
    static std::map<std::string, long> command_calls();
    // Calls per command name made while `action` ran (commands of the statistics
    // query itself excluded); names with no calls are left out.
    template <typename Action>
    static std::map<std::string, long> count_commands(Action&& action) {
        const auto before = command_calls();
        action();
        return calls_delta(before, command_calls());
    }
    static long total(const std::map<std::string, long>& calls);

    std::atomic<bool> m_should_stop{false};

private:
    static std::map<std::string, long> calls_delta(const std::map<std::string, long>& before,
                                                   const std::map<std::string, long>& after);

    temp_dir m_dir;
    std::unique_ptr<sqlite::synchronized_database> m_queues_db;
    std::unique_ptr<redis::context_impl> m_redis_context;
    std::unique_ptr<context::accessor_impl> m_accessor;
    std::unique_ptr<recording_redis_context> m_recorder;
    std::unique_ptr<context::accessor_impl> m_recording_accessor;
};

} // namespace orv::test
