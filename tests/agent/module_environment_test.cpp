#include "module_environment.h"

#include "config.h"
#include "context/accessor.h"
#include "utils/json.h"

#include "agent_fixture.h"
#include "support/agent_config.h"
#include "support/redis_server.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace orv {
namespace {

using module_environment_test = test::agent_fixture;

TEST_F(module_environment_test, identity_and_credentials_are_first_lines_of_their_files) {
    auto json = test::make_agent_config(*s_dir, s_redis->port());
    json["system"]["uidfile"] = s_dir->write("uid-lines", "abc\nsecond line\n");
    json["monitor_server"]["emailfile"] = s_dir->write("email-lines", "ops@example.com\nx\n");
    json["monitor_server"]["passwordfile"] = s_dir->write("password-lines", " spaced pass ");
    auto cfg = make_config(json);
    module_environment environment(cfg, m_stop);

    EXPECT_EQ("abc", environment.get_agent_uid());
    EXPECT_EQ("ops@example.com", environment.get_ma_credentials().email);
    EXPECT_EQ(" spaced pass ", environment.get_ma_credentials().password);
    EXPECT_EQ("abc", environment.get_ma_credentials().server_uid);
    // The queue database was brought to the current layout.
    EXPECT_EQ("2", s_redis->command_in_db(7, "GET version"));
}

TEST_F(module_environment_test, unreadable_identity_files_stop_the_start) {
    auto json = test::make_agent_config(*s_dir, s_redis->port());
    const auto empty = s_dir->write("empty-uid", "");
    json["system"]["uidfile"] = empty;
    auto cfg = make_config(json);
    try {
        module_environment environment(cfg, m_stop);
        FAIL() << "expected an exception";
    } catch (const orv::exception& e) {
        EXPECT_EQ(empty + ": cannot read line", e.what());
    }

    json["system"]["uidfile"] = s_dir->file("no-such-file");
    auto missing = make_config(json);
    try {
        module_environment environment(missing, m_stop);
        FAIL() << "expected an exception";
    } catch (const orv::exception& e) {
        EXPECT_EQ("Cannot open file: " + s_dir->file("no-such-file"), e.what());
    }
}

TEST_F(module_environment_test, process_wide_objects_are_shared_and_per_thread_objects_are_not) {
    auto cfg = make_config(test::make_agent_config(*s_dir, s_redis->port()));
    module_environment first(cfg, m_stop);
    module_environment second(cfg, m_stop);
    EXPECT_EQ(&first.get_queues_db(), &second.get_queues_db());
    EXPECT_EQ(&first.get_zmq_context(), &second.get_zmq_context());

    EXPECT_EQ(&first.get_context(), &first.get_context());
    EXPECT_EQ(&first.get_logger(), &first.get_logger());
    auto copy = first.enter_thread();
    EXPECT_NE(&first.get_context(), &copy->get_context());
    EXPECT_NE(&first.get_redis_context(), &copy->get_redis_context());
    EXPECT_EQ(first.get_agent_uid(), copy->get_agent_uid());
    EXPECT_EQ(&first.get_queues_db(), &copy->get_queues_db());
}

TEST_F(module_environment_test, stop_flag_ends_the_wait_for_redis) {
    auto json = test::make_agent_config(*s_dir, test::free_port());
    auto cfg = make_config(json);
    m_stop = true;
    try {
        module_environment environment(cfg, m_stop);
        FAIL() << "expected an exception";
    } catch (const orv::exception& e) {
        EXPECT_STREQ("Stopped", e.what());
    }
}

} // namespace
} // namespace orv
