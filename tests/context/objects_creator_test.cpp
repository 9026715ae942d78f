#include "support/context_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace orv::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAreArray;

class objects_creator_test : public context_fixture {};

// Each operation reaches its own kind's create: the new id lands in that
// kind's id set and the returned record is bound to it.
TEST_F(objects_creator_test, each_operation_creates_and_registers_its_own_kind) {
    struct step {
        std::string id_set;
        std::string id;
        std::function<std::string(context::objects_creator&)> create;
    };
    const std::vector<step> steps = {
        {"companies:set", "c1", [](auto& c) { return c.create_company("c1").get_uid(); }},
        {"projects:set", "p1", [](auto& c) { return c.create_project("p1", "c1").get_uid(); }},
        {"locations:set", "l1", [](auto& c) { return c.create_location("l1", "p1").get_uid(); }},
        {"sublocations:set", "s1", [](auto& c) { return c.create_sublocation("s1", "l1").get_uid(); }},
        {"anchors:set", "a1",
         [](auto& c) { return c.create_anchor("a1", "A", "BRIDGE", "s1", "l1", "p1", "c1").get_uid(); }},
        {"trackables:set", "t1", [](auto& c) { return c.create_trackable("t1", "T", "p1", "c1").get_uid(); }},
        {"nodes:set", "00:aa", [](auto& c) { return c.create_node("00:aa").get_mac(); }},
        {"modules:set", "m1",
         [](auto& c) { return c.create_module("m1", "n", "s", utils::timestamp(), "v").get_uid(); }},
        {"tdoa_settings:set", "p1", [](auto& c) { return c.create_tdoa_settings("p1").get_uid(); }},
        {"tdoa_schedules:set", "sc1", [](auto& c) { return c.create_tdoa_schedule("sc1").get_uid(); }},
        {"network_settings:set", "p1", [](auto& c) { return c.create_network_settings("p1").get_uid(); }},
        {"anchors:set_shm_status", "a2", [](auto& c) { return c.create_shm_status("a2").get_uid(); }},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.id_set);
        auto expected = members(s.id_set);
        expected.push_back(s.id);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(s.create(creator()), s.id);
        EXPECT_EQ(members(s.id_set), expected);
    }
    // The anchor brought its shm status record along.
    EXPECT_THAT(members("anchors:set_shm_status"), Contains("a1"));
    EXPECT_EQ(field("anchors:a1:data", "sublocation_uid"), "s1");
    EXPECT_EQ(field("projects:p1:data", "company_uid"), "c1");
}

// Creates write the record's fields (and links) first and register the id last,
// so that a create that fails half-way leaves nothing visible. A field that is
// read before its first write (the MAC binding, the parent move) is created
// empty by that read.
TEST_F(objects_creator_test, creates_write_fields_in_order_and_register_last) {
    creator().create_company("c1");
    creator().create_project("p1", "c1");
    creator().create_location("l1", "p1");
    creator().create_sublocation("s1", "l1");
    struct step {
        const char* kind;
        std::function<void(context::objects_creator&)> create;
        std::vector<std::string> writes;
    };
    const std::vector<step> steps = {
        {"anchor", [](auto& c) { c.create_anchor("a1", "North", "BRIDGE", "s1", "l1", "p1", "c1"); },
         {"HSET anchors:a1:data name North", "HSET anchors:a1:data type BRIDGE", "HSET anchors:a1:data mac ",
          "HSET anchors:a1:data sublocation_uid ", "SADD sublocations:s1:anchors a1",
          "HSET anchors:a1:data sublocation_uid s1", "HSET anchors:a1:data location_uid l1",
          "HSET anchors:a1:data project_uid p1", "HSET anchors:a1:data company_uid c1",
          "SADD anchors:set_shm_status a1", "SADD anchors:set a1"}},
        {"trackable", [](auto& c) { c.create_trackable("t1", "Cart", "p1", "c1"); },
         {"HSET trackables:t1:data name Cart", "HSET trackables:t1:data mac ",
          "HSET trackables:t1:data sublocation_uid ", "HSET trackables:t1:data project_uid p1",
          "HSET trackables:t1:data company_uid c1", "SADD trackables:set t1"}},
        {"node", [](auto& c) { c.create_node("00:aa"); },
         {"HSET nodes:00:aa:data node_id 0", "HSET nodes:00:aa:data anchor_uid ", "HSET nodes:00:aa:data hw ",
          "HSET nodes:00:aa:data sw ", "HSET nodes:00:aa:data parent ",
          "HSET nodes:00:aa:data battery_powered false", "HSET nodes:00:aa:data low_bat false",
          "SADD nodes:set 00:aa"}},
    };
    auto& recording = recording_context();
    for (const auto& s : steps) {
        SCOPED_TRACE(s.kind);
        recorder().clear_writes();
        s.create(recording.get_objects_creator());
        EXPECT_THAT(recorder().writes(), ElementsAreArray(s.writes));
    }
}

} // namespace
} // namespace orv::test
