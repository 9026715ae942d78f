#include "support/context_fixture.h"

#include "utils/exceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace orv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

class objects_repository_test : public context_fixture {};

TEST_F(objects_repository_test, get_of_an_unregistered_id_names_the_full_type_and_the_id) {
    // Data keys alone do not make a record: only the id set counts.
    redis().command("HSET anchors:a1:data name lobby");
    redis().command("SADD modules:set a1");
    reconnect();

    const std::vector<std::pair<std::string, std::function<void(context::accessor&)>>> cases = {
        {"orv::context::company", [](context::accessor& c) { c.get_companies().get("a1"); }},
        {"orv::context::project", [](context::accessor& c) { c.get_projects().get("a1"); }},
        {"orv::context::location", [](context::accessor& c) { c.get_locations().get("a1"); }},
        {"orv::context::sublocation", [](context::accessor& c) { c.get_sublocations().get("a1"); }},
        {"orv::context::anchor", [](context::accessor& c) { c.get_anchors().get("a1"); }},
        {"orv::context::trackable", [](context::accessor& c) { c.get_trackables().get("a1"); }},
        {"orv::context::node", [](context::accessor& c) { c.get_nodes().get("a1"); }},
        {"orv::context::tdoa_settings", [](context::accessor& c) { c.get_tdoa_settings().get("a1"); }},
        {"orv::context::tdoa_schedule", [](context::accessor& c) { c.get_tdoa_schedules().get("a1"); }},
        {"orv::context::network_settings", [](context::accessor& c) { c.get_network_settings().get("a1"); }},
        {"orv::context::shm_status", [](context::accessor& c) { c.get_shm_statuses().get("a1"); }},
    };
    for (const auto& [type_name, get] : cases) {
        SCOPED_TRACE(type_name);
        try {
            get(context());
            ADD_FAILURE() << "get did not throw";
        } catch (const exception& e) {
            EXPECT_EQ(std::string(e.what()), "The " + type_name + " with id 'a1' does not exist");
        }
    }
    EXPECT_EQ(context().get_modules().get("a1").get_uid(), "a1");
    try {
        context().get_modules().get("m'2");
        ADD_FAILURE() << "get did not throw";
    } catch (const exception& e) {
        EXPECT_EQ(std::string(e.what()), "The orv::context::module with id 'm'2' does not exist");
    }
}

TEST_F(objects_repository_test, try_get_and_is_exists_follow_the_id_set) {
    creator().create_module("m1", "n", "s", utils::timestamp(), "v");
    auto& modules = context().get_modules();
    EXPECT_TRUE(modules.is_exists("m1"));
    EXPECT_FALSE(modules.is_exists("m2"));
    ASSERT_TRUE(modules.try_get("m1"));
    EXPECT_EQ(modules.try_get("m1")->get_name(), "n");
    EXPECT_FALSE(modules.try_get("m2"));

    // Registered by another connection: this connection's cached id set holds it too
    // only after a fresh load.
    redis().command("SADD modules:set m2");
    reconnect();
    EXPECT_TRUE(context().get_modules().try_get("m2"));
}

TEST_F(objects_repository_test, for_each_visits_every_id_in_byte_order_whatever_the_callback_answers) {
    for (const auto* uid : {"b", "B", "ab", "a", "_"}) {
        creator().create_module(uid, std::string("name-") + uid, "s", utils::timestamp(), "v");
    }
    std::vector<std::string> visited;
    EXPECT_TRUE(context().get_modules().for_each([&](context::module& module) {
        visited.push_back(module.get_uid() + "=" + module.get_name());
        return false;
    }));
    EXPECT_THAT(visited, ElementsAre("B=name-B", "_=name-_", "a=name-a", "ab=name-ab", "b=name-b"));
}

TEST_F(objects_repository_test, for_each_survives_callbacks_that_remove_records) {
    for (const auto* uid : {"a", "b", "c", "d"}) {
        creator().create_module(uid, "n", "s", utils::timestamp(), "v");
    }
    std::vector<std::string> visited;
    auto& modules = context().get_modules();
    modules.for_each([&](context::module& module) {
        visited.push_back(module.get_uid());
        if (module.get_uid() == "a") {
            modules.remove("c");
        }
        if (module.get_uid() == "b") {
            module.remove();
        }
        return true;
    });
    EXPECT_THAT(visited, ElementsAre("a", "b", "d"));
    EXPECT_THAT(members("modules:set"), ElementsAre("a", "d"));
}

TEST_F(objects_repository_test, remove_of_an_unregistered_id_fails_the_check_and_changes_nothing) {
    creator().create_company("c1");
    creator().create_project("p1", "c1");
    redis().command("HSET projects:p2:data company_uid c1");
    const auto before = all_keys();
    auto& recording = recording_context();
    recorder().clear_writes();

    try {
        recording.get_projects().remove("p2");
        FAIL() << "remove did not throw";
    } catch (const check_failed_exception& e) {
        EXPECT_EQ(e.get_condition(), "is_exists( _id )");
        EXPECT_THAT(e.get_function(), HasSubstr("remove("));
        EXPECT_THAT(e.get_function(), HasSubstr("orv::context::project"));
        EXPECT_THAT(e.get_file(), HasSubstr("objects_repository.h"));
    }
    EXPECT_TRUE(recorder().writes().empty());
    EXPECT_EQ(all_keys(), before);
    EXPECT_EQ(field("projects:p2:data", "company_uid"), "c1");
}

// Removal takes the id out of its id set first, then unlinks the record from
// its parent and bound records, and deletes its own keys last. A node releases
// its anchor and trackable while it is still registered.
TEST_F(objects_repository_test, removes_unregister_first_unlink_then_delete) {
    creator().create_company("c1");
    creator().create_project("p1", "c1");
    creator().create_location("l1", "p1");
    creator().create_sublocation("s1", "l1");
    for (const auto* uid : {"a1", "a2"}) {
        creator().create_anchor(uid, "A", "BRIDGE", "s1", "l1", "p1", "c1");
    }
    for (const auto* uid : {"t1", "t2"}) {
        creator().create_trackable(uid, "T", "p1", "c1");
    }
    for (const auto* mac : {"n1", "n2", "n3"}) {
        creator().create_node(mac);
    }
    context().get_anchors().get("a1").set_mac("n1");
    context().get_trackables().get("t1").set_mac(std::string("n2"));
    context().get_anchors().get("a2").set_mac("n3");
    context().get_trackables().get("t2").set_mac(std::string("n3"));
    creator().create_tdoa_settings("p1").add_master("a1");
    creator().create_tdoa_schedule("sc1").add_item({});
    creator().create_network_settings("p1").set_enabled(true);

    struct step {
        const char* kind;
        std::function<void(context::accessor&)> remove;
        std::vector<std::string> writes;
    };
    const std::vector<step> steps = {
        {"anchor", [](auto& c) { c.get_anchors().remove("a1"); },
         {"SREM anchors:set a1", "HSET nodes:n1:data anchor_uid ", "SREM sublocations:s1:anchors a1",
          "SREM anchors:set_shm_status a1", "DEL anchors:a1:events", "DEL anchors:a1:data"}},
        {"trackable", [](auto& c) { c.get_trackables().remove("t1"); },
         {"SREM trackables:set t1", "HSET nodes:n2:data trackable_uid ", "DEL trackables:t1:data"}},
        {"node", [](auto& c) { c.get_nodes().remove("n3"); },
         {"HSET nodes:n3:data anchor_uid ", "HSET anchors:a2:data mac ", "HSET nodes:n3:data trackable_uid ",
          "HSET trackables:t2:data mac ", "SREM nodes:set n3", "DEL nodes:n3:parameters:al_bs",
          "DEL nodes:n3:parameters:sf", "DEL nodes:n3:parameters:nwk_rpl", "DEL nodes:n3:parameters:tdoa_schedule",
          "DEL nodes:n3:parameters:bat", "DEL nodes:n3:parameters:service_mode", "DEL nodes:n3:data"}},
        {"tdoa settings", [](auto& c) { c.get_tdoa_settings().remove("p1"); },
         {"SREM tdoa_settings:set p1", "DEL tdoa_settings:p1:data", "DEL tdoa_settings:p1:masters"}},
        {"tdoa schedule", [](auto& c) { c.get_tdoa_schedules().remove("sc1"); },
         {"SREM tdoa_schedules:set sc1", "DEL tdoa_schedules:sc1:items"}},
        {"network settings", [](auto& c) { c.get_network_settings().remove("p1"); },
         {"SREM network_settings:set p1", "DEL network_settings:p1:data"}},
    };
    auto& recording = recording_context();
    for (const auto& s : steps) {
        SCOPED_TRACE(s.kind);
        recorder().clear_writes();
        s.remove(recording);
        EXPECT_THAT(recorder().writes(), ElementsAreArray(s.writes));
    }
}

} // namespace
} // namespace orv::test
