#pragma once

#include "redis/context_impl.h"
#include "support/redis_server.h"
#include "utils/exceptions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace orv::redis::test {

// One redis-server for the whole test binary.
inline orv::test::redis_server& shared_server() {
    static orv::test::redis_server server;
    return server;
}

// The message of the orv::exception thrown by f, or a marker when none is thrown.
template <typename F>
std::string error_of(F&& f) {
    try {
        f();
    } catch (const orv::exception& e) {
        return e.what();
    }
    return "<no orv::exception>";
}

// Calls of each command since the last reset_command_counts(), lower case names
// ("hset", "type"); the statistics commands themselves are left out.
inline std::map<std::string, long> command_counts(const orv::test::redis_server& server) {
    std::map<std::string, long> counts;
    std::istringstream in(server.command("INFO commandstats"));
    std::string line;
    const std::string prefix = "cmdstat_";
    while (std::getline(in, line)) {
        if (line.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const auto colon = line.find(':');
        const auto name = line.substr(prefix.size(), colon - prefix.size());
        if (name.compare(0, 6, "config") == 0 || name == "info") {
            continue;
        }
        const auto calls = line.find("calls=", colon);
        counts[name] = std::stol(line.substr(calls + 6));
    }
    return counts;
}

inline void reset_command_counts(const orv::test::redis_server& server) {
    server.command("CONFIG RESETSTAT");
}

// Fills a hash or set with n entries in one command: fields f1..fn with values
// v1..vn, members m1..mn.
inline void fill_hash(const orv::test::redis_server& server, const char* key, int n) {
    server.command("EVAL %s 1 %s %d",
                   "for i = 1, tonumber(ARGV[1]) do redis.call('HSET', KEYS[1], 'f'..i, 'v'..i) end",
                   key, n);
}
inline void fill_set(const orv::test::redis_server& server, const char* key, int n) {
    server.command("EVAL %s 1 %s %d",
                   "for i = 1, tonumber(ARGV[1]) do redis.call('SADD', KEYS[1], 'm'..i) end", key, n);
}

// A fresh connection to database 0 of the shared server, flushed before each test.
class redis_test : public ::testing::Test {
protected:
    void SetUp() override {
        server().flushall();
        m_context = std::make_unique<context_impl>(server().host(), server().port(), 0, "", m_stop);
    }

    orv::test::redis_server& server() { return shared_server(); }
    context_impl& ctx() { return *m_context; }

    std::atomic<bool> m_stop{false};
    std::unique_ptr<context_impl> m_context;
};

} // namespace orv::redis::test
