#pragma once

#include "config.h"
#include "utils/json.h"

#include "support/agent_config.h"
#include "support/redis_server.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <sstream>

namespace orv::test {

// One private Redis and one directory per test suite. The directory holds the
// queue database, which the process opens once: every environment of the test
// binary shares the first one opened.
class agent_fixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_redis = std::make_unique<redis_server>();
        s_dir = std::make_unique<temp_dir>();
    }
    static void TearDownTestSuite() {
        s_redis.reset();
        s_dir.reset();
    }
    void SetUp() override { s_redis->flushall(); }

    static config make_config(const Json::Value& json) {
        std::istringstream stream(utils::json_to_string(json));
        return config(stream, "test.json");
    }

    static inline std::unique_ptr<redis_server> s_redis;
    static inline std::unique_ptr<temp_dir> s_dir;
    std::atomic<bool> m_stop{false};
};

} // namespace orv::test
