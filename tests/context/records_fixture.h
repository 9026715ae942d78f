#pragma once

#include "context/accessor_impl.h"
#include "redis/context_impl.h"
#include "sqlite/queues_database.h"
#include "utils/exceptions.h"
#include "support/redis_server.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace orv::test {

// Raw views of Redis keys, read through the server's own connection.
inline std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    if (text.empty()) {
        return out;
    }
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        out.push_back(line);
    }
    if (text.back() == '\n') {
        out.emplace_back(); // a trailing empty element
    }
    return out;
}

// Members of a set, in ascending order.
inline std::vector<std::string> raw_members(const redis_server& server, const std::string& key) {
    auto members = split_lines(server.command("SMEMBERS %s", key.c_str()));
    std::sort(members.begin(), members.end());
    return members;
}

inline std::map<std::string, std::string> raw_fields(const redis_server& server,
                                                     const std::string& key) {
    const auto flat = split_lines(server.command("HGETALL %s", key.c_str()));
    std::map<std::string, std::string> fields;
    for (std::size_t i = 0; i + 1 < flat.size(); i += 2) {
        fields[flat[i]] = flat[i + 1];
    }
    return fields;
}

inline std::string raw_field(const redis_server& server, const std::string& key,
                             const std::string& field) {
    return server.command("HGET %s %s", key.c_str(), field.c_str());
}

// All keys of the database, in ascending order.
inline std::vector<std::string> raw_keys(const redis_server& server) {
    auto keys = split_lines(server.command("KEYS *"));
    std::sort(keys.begin(), keys.end());
    return keys;
}

// Number of calls of one command (lower case, e.g. "hset") since the server started.
inline long command_calls(const redis_server& server, const std::string& command) {
    const std::string stats = server.command("INFO commandstats");
    const std::string marker = "cmdstat_" + command + ":calls=";
    const auto pos = stats.find(marker);
    return pos == std::string::npos ? 0 : std::stol(stats.substr(pos + marker.size()));
}

// Total number of commands the server has processed (this query included).
inline long total_commands(const redis_server& server) {
    const std::string stats = server.command("INFO stats");
    const std::string marker = "total_commands_processed:";
    return std::stol(stats.substr(stats.find(marker) + marker.size()));
}

// Runs `action`, expecting a check_failed_exception with the given condition text.
template <typename Action>
void expect_check_failed(Action&& action, const std::string& condition) {
    try {
        action();
        ADD_FAILURE() << "no check_failed_exception; expected condition " << condition;
    } catch (const check_failed_exception& e) {
        EXPECT_EQ(e.get_condition(), condition);
    }
}

// Runs `action`, expecting an orv::exception with exactly the given message.
template <typename Action>
void expect_exception(Action&& action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no orv::exception; expected " << message;
    } catch (const exception& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

inline bool raw_exists(const redis_server& server, const std::string& key) {
    return server.command("EXISTS %s", key.c_str()) == "1";
}

// One redis-server for the whole test binary; each test gets an empty
// database and a fresh connection and accessor on it.
class records_test : public ::testing::Test {
protected:
    // Started at first use, stopped when the test binary exits.
    static redis_server& shared_server() {
        static redis_server server;
        return server;
    }
    static temp_dir& shared_dir() {
        static temp_dir dir;
        return dir;
    }

    void SetUp() override {
        shared_server().flushall();
        connect();
    }

    void connect() {
        m_redis = std::make_unique<redis::context_impl>(shared_server().host(),
                                                         shared_server().port(), 0, "", m_stop);
        m_accessor = std::make_unique<context::accessor_impl>(
            *m_redis, sqlite::get_queues_database(shared_dir().file("queues.db")));
    }

    // A new connection and accessor: drops every cached copy, so that raw
    // changes made through server() become visible.
    void reconnect() {
        m_accessor.reset();
        m_redis.reset();
        connect();
    }

    void TearDown() override {
        m_accessor.reset();
        m_redis.reset();
    }

    const redis_server& server() const { return shared_server(); }
    redis::context& redis_context() { return *m_redis; }
    context::accessor& ctx() { return *m_accessor; }

    std::atomic<bool> m_stop{false};
    std::unique_ptr<redis::context_impl> m_redis;
    std::unique_ptr<context::accessor_impl> m_accessor;
};

} // namespace orv::test
