// The singleton records: system resources, agent and monitor server.
#include "support/context_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv::test {
namespace {

using ::testing::ElementsAre;

class singleton_records_test : public context_fixture {};

TEST_F(singleton_records_test, system_resources_store_six_decimals) {
    auto& resources = context().get_system_resources();
    EXPECT_THROW(resources.get_cpu_usage(), std::invalid_argument);

    resources.set_cpu_usage(12.5);
    resources.set_ram_usage(0.0);
    resources.set_disk_usage(99.1234567);
    EXPECT_EQ(field("system_resources:data", "cpu_usage"), "12.500000");
    EXPECT_EQ(field("system_resources:data", "ram_usage"), "0.000000");
    EXPECT_EQ(field("system_resources:data", "disk_usage"), "99.123457");
    EXPECT_DOUBLE_EQ(resources.get_cpu_usage(), 12.5);
    EXPECT_DOUBLE_EQ(resources.get_disk_usage(), 99.123457);

    redis().command("HSET system_resources:data ram_usage abc");
    reconnect();
    EXPECT_THROW(context().get_system_resources().get_ram_usage(), std::invalid_argument);

    context().get_system_resources().remove();
    EXPECT_THAT(all_keys(), ElementsAre());
}

TEST_F(singleton_records_test, agent_start_time) {
    auto& agent = context().get_agent();
    EXPECT_EQ(agent.get_start_time(), utils::timestamp());

    const auto start = utils::timestamp::from_milliseconds(1700000000007);
    agent.set_start_time(start);
    EXPECT_EQ(field("agent", "start_time"), start.serialize());
    EXPECT_EQ(field("agent", "start_time").rfind("1700000000 7 (", 0), 0u);
    reconnect();
    EXPECT_EQ(context().get_agent().get_start_time(), start);
}

TEST_F(singleton_records_test, monitor_server_agent_uid) {
    auto& server = context().get_monitor_server();
    server.set_agent_uid("agent-42");
    EXPECT_EQ(field("monitor_server:data", "agent_uid"), "agent-42");
    reconnect();
    EXPECT_EQ(context().get_monitor_server().get_agent_uid(), "agent-42");

    context().get_monitor_server().remove();
    EXPECT_EQ(redis().command("EXISTS monitor_server:data"), "0");
}

} // namespace
} // namespace orv::test
