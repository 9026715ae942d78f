#include "support/context_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv::test {
namespace {

using ::testing::ElementsAre;
namespace ev = orv::events;

class shm_status_test : public context_fixture {};

TEST_F(shm_status_test, events_are_stored_by_name) {
    auto status = creator().create_shm_status("a1");
    EXPECT_THAT(members("anchors:set_shm_status"), ElementsAre("a1"));

    status.add_event(ev::UNRESPONSIVE_NODE);
    status.add_event(ev::ANCHOR_REBOOT);
    status.add_event(ev::UNRESPONSIVE_NODE);
    EXPECT_THAT(members("anchors:a1:events"), ElementsAre("ANCHOR_REBOOT", "UNRESPONSIVE_NODE"));
    EXPECT_TRUE(status.has_event(ev::ANCHOR_REBOOT));
    EXPECT_FALSE(status.has_event(ev::NODE_SYNC_LOST));

    status.remove_event(ev::ANCHOR_REBOOT);
    EXPECT_THAT(members("anchors:a1:events"), ElementsAre("UNRESPONSIVE_NODE"));
    EXPECT_FALSE(status.has_event(ev::ANCHOR_REBOOT));
}

TEST_F(shm_status_test, walk_maps_names_back_to_kinds_in_name_order) {
    redis().command("SADD anchors:a1:events BRIDGE_ETH_DOWN NOT_A_KIND AGENT_HAS_STARTED BRIDGE_LINK_HIGH_LATENCY");
    redis().command("SADD anchors:set_shm_status a1");
    reconnect();
    auto status = context().get_shm_statuses().get("a1");

    std::vector<ev::event_type> seen;
    EXPECT_TRUE(status.for_each_event([&](ev::event_type type) {
        seen.push_back(type);
        return true;
    }));
    EXPECT_THAT(seen, ElementsAre(ev::AGENT_HAS_STARTED, ev::BRIDGE_ETH_DOWN, ev::BRIDGE_LINK_HIGH_LATENCY,
                                  ev::_unknown));

    seen.clear();
    EXPECT_FALSE(status.for_each_event([&](ev::event_type type) {
        seen.push_back(type);
        return type != ev::BRIDGE_ETH_DOWN;
    }));
    EXPECT_THAT(seen, ElementsAre(ev::AGENT_HAS_STARTED, ev::BRIDGE_ETH_DOWN));
}

TEST_F(shm_status_test, remove_unregisters_then_deletes_the_events) {
    auto status = creator().create_shm_status("a1");
    status.add_event(ev::SCHEDULE_DIFFERS);
    auto& recording = recording_context();
    recorder().clear_writes();

    recording.get_shm_statuses().remove("a1");

    EXPECT_THAT(recorder().writes(), ElementsAre("SREM anchors:set_shm_status a1", "DEL anchors:a1:events"));
    EXPECT_THAT(all_keys(), ElementsAre());
}

TEST(event_type_test, text_forms) {
    EXPECT_EQ(ev::to_string(ev::AGENT_HAS_STARTED), "AGENT_HAS_STARTED");
    EXPECT_EQ(ev::to_string(ev::BRIDGE_LINK_HIGH_LATENCY), "BRIDGE_LINK_HIGH_LATENCY");
    EXPECT_THROW(ev::to_string(ev::_count), std::out_of_range);
    EXPECT_THROW(ev::to_string(ev::_unknown), std::out_of_range);
}

} // namespace
} // namespace orv::test
