#include "support/context_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace orv::test {
namespace {

using ::testing::Contains;

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

} // namespace
} // namespace orv::test
