#include "context/anchor.h"

#include "context/node.h"
#include "context/objects_creator.h"
#include "context/records_fixture.h"

#include <gtest/gtest.h>

namespace orv::test {
namespace {

using strings = std::vector<std::string>;
using fields = std::map<std::string, std::string>;

const std::string sublocation_missing = "_context.get_sublocations().is_exists( _sublocation_uid )";
const std::string anchor_unregistered = "_uid.empty() || m_context.get_anchors().is_exists( _uid )";

class anchor_test : public records_test {
protected:
    void SetUp() override {
        records_test::SetUp();
        auto& creator = ctx().get_objects_creator();
        creator.create_company("c1");
        creator.create_project("p1", "c1");
        creator.create_location("l1", "p1");
        creator.create_sublocation("s1", "l1");
        creator.create_sublocation("s2", "l1");
    }

    orv::context::anchor create(const std::string& uid, const std::string& sublocation = "s1") {
        return ctx().get_objects_creator().create_anchor(uid, "Anchor " + uid, "BRIDGE",
                                                         sublocation, "l1", "p1", "c1");
    }
    void create_node(const std::string& mac) { ctx().get_objects_creator().create_node(mac); }

    orv::context::anchor anchor(const std::string& uid) { return ctx().get_anchors().get(uid); }
    std::string anchor_mac(const std::string& uid) {
        return raw_field(server(), "anchors:" + uid + ":data", "mac");
    }
    std::string node_anchor(const std::string& mac) {
        return raw_field(server(), "nodes:" + mac + ":data", "anchor_uid");
    }
};

TEST_F(anchor_test, create_writes_fields_links_shm_status_and_registers) {
    auto a = create("a1");

    EXPECT_EQ(raw_fields(server(), "anchors:a1:data"),
              (fields{{"name", "Anchor a1"}, {"type", "BRIDGE"}, {"mac", ""},
                      {"sublocation_uid", "s1"}, {"location_uid", "l1"}, {"project_uid", "p1"},
                      {"company_uid", "c1"}}));
    EXPECT_EQ(raw_members(server(), "anchors:set"), strings{"a1"});
    EXPECT_EQ(raw_members(server(), "sublocations:s1:anchors"), strings{"a1"});
    EXPECT_EQ(raw_members(server(), "anchors:set_shm_status"), strings{"a1"});
    EXPECT_TRUE(ctx().get_shm_statuses().is_exists("a1"));

    auto read = anchor("a1");
    EXPECT_EQ(read.get_uid(), "a1");
    EXPECT_EQ(read.get_name(), "Anchor a1");
    EXPECT_EQ(read.get_type(), "BRIDGE");
    EXPECT_EQ(read.get_mac(), "");
    EXPECT_EQ(read.get_sublocation_uid(), "s1");
    EXPECT_EQ(read.get_location_uid(), "l1");
    EXPECT_EQ(read.get_project_uid(), "p1");
    EXPECT_EQ(read.get_company_uid(), "c1");
    EXPECT_FALSE(read.get_responsive());
}

TEST_F(anchor_test, create_in_unregistered_sublocation_writes_nothing) {
    const auto before = raw_keys(server());
    expect_check_failed([&] { create("a1", "s9"); }, sublocation_missing);
    EXPECT_EQ(raw_keys(server()), before);
    EXPECT_FALSE(ctx().get_anchors().is_exists("a1"));
}

TEST_F(anchor_test, create_registers_the_anchor_only_after_everything_else) {
    // The shm status id set holds a string: creating the shm status fails,
    // after the anchor's own fields and sublocation link were written.
    server().command("SET anchors:set_shm_status broken");
    EXPECT_THROW(create("a1"), orv::exception);

    EXPECT_TRUE(raw_exists(server(), "anchors:a1:data"));
    EXPECT_EQ(raw_members(server(), "sublocations:s1:anchors"), strings{"a1"});
    EXPECT_EQ(raw_members(server(), "anchors:set"), strings{});
    EXPECT_FALSE(ctx().get_anchors().is_exists("a1"));
}

TEST_F(anchor_test, get_of_unregistered_id_fails_even_with_a_data_hash) {
    server().command("HSET anchors:a9:data name ghost");
    reconnect();
    expect_exception([&] { ctx().get_anchors().get("a9"); },
                     "The orv::context::anchor with id 'a9' does not exist");
}

TEST_F(anchor_test, plain_setters_write_their_fields) {
    auto a = create("a1");
    a.set_name("North");
    a.set_type("ANCHOR");
    a.set_location_uid("l7");
    a.set_project_uid("p7");
    a.set_company_uid("c7");
    a.set_responsive(true);

    auto stored = raw_fields(server(), "anchors:a1:data");
    EXPECT_EQ(stored["name"], "North");
    EXPECT_EQ(stored["type"], "ANCHOR");
    EXPECT_EQ(stored["location_uid"], "l7");
    EXPECT_EQ(stored["project_uid"], "p7");
    EXPECT_EQ(stored["company_uid"], "c7");
    EXPECT_EQ(stored["is_responsive"], "true");
    EXPECT_EQ(stored["sublocation_uid"], "s1"); // copies only: no link moved
    EXPECT_EQ(raw_members(server(), "sublocations:s1:anchors"), strings{"a1"});

    a.set_responsive(false);
    EXPECT_EQ(raw_field(server(), "anchors:a1:data", "is_responsive"), "false");
    EXPECT_FALSE(anchor("a1").get_responsive());
}

TEST_F(anchor_test, moving_to_another_sublocation_moves_the_link) {
    auto a = create("a1");
    create("a2");
    a.set_sublocation_uid("s2");

    EXPECT_EQ(raw_members(server(), "sublocations:s1:anchors"), strings{"a2"});
    EXPECT_EQ(raw_members(server(), "sublocations:s2:anchors"), strings{"a1"});
    EXPECT_EQ(raw_field(server(), "anchors:a1:data", "sublocation_uid"), "s2");
}

TEST_F(anchor_test, moving_to_unregistered_sublocation_changes_nothing) {
    auto a = create("a1");
    expect_exception([&] { a.set_sublocation_uid("s9"); },
                     "The orv::context::sublocation with id 's9' does not exist");
    EXPECT_EQ(raw_members(server(), "sublocations:s1:anchors"), strings{"a1"});
    EXPECT_EQ(raw_field(server(), "anchors:a1:data", "sublocation_uid"), "s1");
}

TEST_F(anchor_test, moving_out_of_a_removed_sublocation) {
    auto a = create("a1");
    ctx().get_sublocations().remove("s1");
    a.set_sublocation_uid("s2");
    EXPECT_EQ(raw_members(server(), "sublocations:s2:anchors"), strings{"a1"});
    EXPECT_EQ(anchor("a1").get_sublocation_uid(), "s2");
}

TEST_F(anchor_test, set_mac_binds_rebinds_and_unbinds_on_both_sides) {
    create_node("m1");
    create_node("m2");
    auto a = create("a1");

    a.set_mac("m1");
    EXPECT_EQ(anchor_mac("a1"), "m1");
    EXPECT_EQ(node_anchor("m1"), "a1");
    EXPECT_EQ(ctx().get_nodes().get("m1").get_anchor_uid(), "a1");

    a.set_mac("m2"); // the old node is released
    EXPECT_EQ(anchor_mac("a1"), "m2");
    EXPECT_EQ(node_anchor("m1"), "");
    EXPECT_EQ(node_anchor("m2"), "a1");

    a.set_mac("zz:unregistered"); // unbinds
    EXPECT_EQ(anchor_mac("a1"), "");
    EXPECT_EQ(node_anchor("m2"), "");
    EXPECT_EQ(anchor("a1").get_mac(), "");
}

TEST_F(anchor_test, set_mac_with_the_stored_mac_only_resets_the_back_link) {
    create_node("m1");
    auto a = create("a1");
    a.set_mac("m1");

    const auto calls = count_commands([&] { a.set_mac("m1"); });
    EXPECT_EQ(calls.count("hset") ? calls.at("hset") : 0, 1); // the node's "anchor_uid"
    EXPECT_EQ(calls.count("hdel"), 0u);
    EXPECT_EQ(anchor_mac("a1"), "m1");
    EXPECT_EQ(node_anchor("m1"), "a1");
}

TEST_F(anchor_test, binding_a_node_held_by_another_anchor_takes_it_over) {
    create_node("m1");
    create_node("m2");
    auto a1 = create("a1");
    auto a2 = create("a2");
    a1.set_mac("m1");

    a2.set_mac("m1");
    EXPECT_EQ(node_anchor("m1"), "a2");
    EXPECT_EQ(anchor_mac("a2"), "m1");
    EXPECT_EQ(anchor_mac("a1"), ""); // no longer claims the node

    // a1 moving on or going away leaves a2's binding alone.
    a1.set_mac("m2");
    EXPECT_EQ(node_anchor("m1"), "a2");
    ctx().get_anchors().remove("a1");
    EXPECT_EQ(node_anchor("m1"), "a2");
    EXPECT_EQ(node_anchor("m2"), "");
    EXPECT_EQ(anchor_mac("a2"), "m1");
}

TEST_F(anchor_test, binding_from_an_unregistered_anchor_fails_in_the_node_check) {
    create_node("m1");
    auto a1 = create("a1");
    a1.set_mac("m1");

    orv::context::anchor ghost("ghost", redis_context(), ctx());
    expect_check_failed([&] { ghost.set_mac("m1"); }, anchor_unregistered);
    EXPECT_EQ(node_anchor("m1"), "a1");
    EXPECT_EQ(anchor_mac("a1"), "m1");
    EXPECT_FALSE(raw_exists(server(), "anchors:ghost:data"));
}

TEST_F(anchor_test, removing_a_bound_node_unbinds_the_anchor) {
    create_node("m1");
    auto a = create("a1");
    a.set_mac("m1");

    ctx().get_nodes().remove("m1");
    EXPECT_TRUE(ctx().get_anchors().is_exists("a1"));
    EXPECT_EQ(anchor_mac("a1"), "");
    EXPECT_EQ(raw_members(server(), "nodes:set"), strings{});
    EXPECT_FALSE(raw_exists(server(), "nodes:m1:data"));
}

TEST_F(anchor_test, a_mac_naming_an_unregistered_node_fails_on_release) {
    create_node("m1");
    create("a1").set_mac("m1");
    server().command("SREM nodes:set m1");
    reconnect();

    expect_exception([&] { anchor("a1").set_mac(""); },
                     "The orv::context::node with id 'm1' does not exist");
    EXPECT_EQ(anchor_mac("a1"), "m1");
}

TEST_F(anchor_test, remove_unregisters_unlinks_releases_and_deletes) {
    create_node("m1");
    create("a2");
    auto a = create("a1");
    a.set_mac("m1");

    ctx().get_anchors().remove("a1");
    EXPECT_EQ(raw_members(server(), "anchors:set"), strings{"a2"});
    EXPECT_EQ(node_anchor("m1"), "");
    EXPECT_EQ(raw_members(server(), "sublocations:s1:anchors"), strings{"a2"});
    EXPECT_EQ(raw_members(server(), "anchors:set_shm_status"), strings{"a2"});
    EXPECT_FALSE(raw_exists(server(), "anchors:a1:data"));
    EXPECT_TRUE(ctx().get_nodes().is_exists("m1"));
}

TEST_F(anchor_test, remove_without_shm_status_fails_after_unlinking) {
    create_node("m1");
    create("a1").set_mac("m1");
    server().command("SREM anchors:set_shm_status a1");
    reconnect();

    expect_check_failed([&] { ctx().get_anchors().remove("a1"); }, "is_exists( _id )");
    EXPECT_EQ(raw_members(server(), "anchors:set"), strings{});
    EXPECT_EQ(node_anchor("m1"), "");
    EXPECT_EQ(raw_members(server(), "sublocations:s1:anchors"), strings{});
    EXPECT_TRUE(raw_exists(server(), "anchors:a1:data"));
}

TEST_F(anchor_test, remove_after_its_sublocation_was_removed) {
    create("a1");
    ctx().get_sublocations().remove("s1");
    ctx().get_anchors().remove("a1");
    EXPECT_EQ(raw_members(server(), "anchors:set"), strings{});
    EXPECT_EQ(raw_members(server(), "anchors:set_shm_status"), strings{});
    EXPECT_FALSE(raw_exists(server(), "anchors:a1:data"));
}

TEST_F(anchor_test, an_update_costs_one_write_and_reads_come_from_the_cache) {
    create("a1");
    const auto update = count_commands([&] { anchor("a1").set_responsive(true); });
    EXPECT_EQ(update, (std::map<std::string, long>{{"type", 1}, {"hset", 1}}));

    std::string text;
    const auto reads = count_commands([&] {
        auto a = anchor("a1");
        text = a.get_name() + a.get_type() + a.get_mac() + a.get_sublocation_uid() +
               (a.get_responsive() ? "+" : "-");
    });
    EXPECT_EQ(reads, (std::map<std::string, long>{{"type", 1}})); // the data hash handle
    EXPECT_EQ(text, "Anchor a1BRIDGEs1+");
}

} // namespace
} // namespace orv::test
