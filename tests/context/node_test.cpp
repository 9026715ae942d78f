#include "context/node.h"

#include "context/anchor.h"
#include "context/objects_creator.h"
#include "context/records_fixture.h"
#include "context/trackable.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orv::test {
namespace {

using strings = std::vector<std::string>;
using fields = std::map<std::string, std::string>;
using orv::utils::timestamp;

class node_test : public records_test {
protected:
    orv::context::node create(const std::string& mac) { return creator().create_node(mac); }
    orv::context::node node(const std::string& mac) { return ctx().get_nodes().get(mac); }
    fields data(const std::string& mac) { return raw_fields(server(), "nodes:" + mac + ":data"); }

    void create_anchor(const std::string& uid) {
        if (!ctx().get_sublocations().is_exists("s1")) {
            creator().create_company("c1");
            creator().create_project("p1", "c1");
            creator().create_location("l1", "p1");
            creator().create_sublocation("s1", "l1");
        }
        creator().create_anchor(uid, uid, "ANCHOR", "s1", "l1", "p1", "c1");
    }
};

TEST_F(node_test, create_writes_defaults_and_registers) {
    create("00:11");
    EXPECT_EQ(data("00:11"), (fields{{"node_id", "0"}, {"anchor_uid", ""}, {"hw", ""}, {"sw", ""},
                                     {"parent", ""}, {"battery_powered", "false"},
                                     {"low_bat", "false"}}));
    EXPECT_EQ(raw_members(server(), "nodes:set"), strings{"00:11"});
    EXPECT_EQ(raw_keys(server()), (strings{"nodes:00:11:data", "nodes:set"}));

    auto n = node("00:11");
    EXPECT_EQ(n.get_mac(), "00:11");
    EXPECT_EQ(n.get_node_id(), 0);
    EXPECT_FALSE(n.get_low_bat());
    EXPECT_FALSE(n.get_battery_powered());
    EXPECT_EQ(n.get_name(), boost::none);
    EXPECT_EQ(n.get_anounce_time(), timestamp());
    EXPECT_EQ(n.get_last_WIN_notify_time(), timestamp());
    EXPECT_EQ(n.get_anchor_uid(), "");
    EXPECT_EQ(n.get_trackable_uid(), "");
}

TEST_F(node_test, text_number_and_flag_fields) {
    auto n = create("m1");
    n.set_uid("node-uid");
    n.set_hw("hw2");
    n.set_sw("5.1");
    n.set_parent("0x0001");
    n.set_node_id(-42);
    n.set_low_bat(true);
    n.set_battery_powered(true);

    auto stored = data("m1");
    EXPECT_EQ(stored["uid"], "node-uid");
    EXPECT_EQ(stored["hw"], "hw2");
    EXPECT_EQ(stored["sw"], "5.1");
    EXPECT_EQ(stored["parent"], "0x0001");
    EXPECT_EQ(stored["node_id"], "-42");
    EXPECT_EQ(stored["low_bat"], "true");
    EXPECT_EQ(stored["battery_powered"], "true");

    auto read = node("m1");
    EXPECT_EQ(read.get_uid(), "node-uid");
    EXPECT_EQ(read.get_node_id(), -42);
    EXPECT_TRUE(read.get_low_bat());
    EXPECT_TRUE(read.get_battery_powered());
}

TEST_F(node_test, optional_texts_keep_absent_and_empty_apart) {
    using setter = void (orv::context::node::*)(const boost::optional<std::string>&);
    using getter = boost::optional<std::string> (orv::context::node::*)() const;
    struct field_case {
        const char* field;
        setter set;
        getter get;
    };
    const field_case cases[] = {
        {"name", &orv::context::node::set_name, &orv::context::node::get_name},
        {"project_uid", &orv::context::node::set_project_uid, &orv::context::node::get_project_uid},
        {"company_uid", &orv::context::node::set_company_uid, &orv::context::node::get_company_uid},
    };
    auto n = create("m1");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        (n.*c.set)(std::string("x"));
        EXPECT_EQ(data("m1")[c.field], "x ");
        (n.*c.set)(std::string());
        EXPECT_EQ(data("m1")[c.field], " ");
        EXPECT_EQ((node("m1").*c.get)(), std::string());
        (n.*c.set)(boost::none);
        EXPECT_EQ(data("m1")[c.field], "");
        EXPECT_EQ((node("m1").*c.get)(), boost::none);
    }
}

TEST_F(node_test, times_are_stored_serialized) {
    auto n = create("m1");
    n.set_anounce_time(timestamp::from_milliseconds(1700000000123));
    n.set_last_WIN_notify_time(timestamp::from_milliseconds(1700000001005));

    const auto anounce = data("m1")["anounce_time"];
    EXPECT_EQ(anounce.rfind("1700000000 123 (", 0), 0u) << anounce;
    EXPECT_EQ(anounce.back(), ')');
    EXPECT_EQ(data("m1")["last_WIN_notify_time"].rfind("1700000001 5 (", 0), 0u);
    EXPECT_EQ(node("m1").get_anounce_time(), timestamp::from_milliseconds(1700000000123));
    EXPECT_EQ(node("m1").get_last_WIN_notify_time(), timestamp::from_milliseconds(1700000001005));
}

TEST_F(node_test, node_id_that_is_not_a_number_fails_to_read) {
    server().command("SADD nodes:set m1");
    server().command("HSET nodes:m1:data node_id x");
    server().command("HSET nodes:m2:data node_id 99999999999");
    server().command("SADD nodes:set m2");
    reconnect();
    EXPECT_THROW(node("m1").get_node_id(), std::invalid_argument);
    EXPECT_THROW(node("m2").get_node_id(), std::out_of_range);
    EXPECT_THROW(orv::context::node("m3", redis_context(), ctx()).get_node_id(),
                 std::invalid_argument); // never written: empty text
}

TEST_F(node_test, validated_links_accept_empty_or_registered_uids_only) {
    create_anchor("a1");
    creator().create_trackable("t1", "t1", "p1", "c1");
    auto n = create("m1");

    n.set_anchor_uid("a1");
    n.set_trackable_uid("t1");
    EXPECT_EQ(data("m1")["anchor_uid"], "a1");
    EXPECT_EQ(data("m1")["trackable_uid"], "t1");

    expect_check_failed([&] { n.set_anchor_uid("a9"); },
                        "_uid.empty() || m_context.get_anchors().is_exists( _uid )");
    expect_check_failed([&] { n.set_trackable_uid("t9"); },
                        "_uid.empty() || m_context.get_trackables().is_exists( _uid )");
    EXPECT_EQ(data("m1")["anchor_uid"], "a1");
    EXPECT_EQ(data("m1")["trackable_uid"], "t1");

    n.set_anchor_uid("");
    n.set_trackable_uid("");
    EXPECT_EQ(data("m1")["anchor_uid"], "");
    EXPECT_EQ(data("m1")["trackable_uid"], "");
}

TEST_F(node_test, remove_releases_its_records_and_deletes_every_key) {
    create_anchor("a1");
    creator().create_trackable("t1", "t1", "p1", "c1");
    auto n = create("m1");
    create("m2");
    ctx().get_anchors().get("a1").set_mac("m1");
    ctx().get_trackables().get("t1").set_mac(std::string("m1"));
    auto& parameters = n.get_parameters();
    parameters.set_bias("0a", 1);
    parameters.set_sf("0a", 2);
    parameters.add_tdoa_schedule_item({});
    parameters.set_nwk_rpl(timestamp::from_milliseconds(1000));
    parameters.set_bat(3000, 50);
    parameters.set_service_mode(1, timestamp::from_milliseconds(2000));

    ctx().get_nodes().remove("m1");

    EXPECT_EQ(raw_members(server(), "nodes:set"), strings{"m2"});
    for (const auto& key : raw_keys(server())) {
        EXPECT_NE(key.rfind("nodes:m1:", 0), 0u) << key;
    }
    EXPECT_TRUE(ctx().get_anchors().is_exists("a1"));
    EXPECT_EQ(raw_field(server(), "anchors:a1:data", "mac"), "");
    EXPECT_TRUE(ctx().get_trackables().is_exists("t1"));
    EXPECT_EQ(raw_field(server(), "trackables:t1:data", "mac"), "");
}

TEST_F(node_test, remove_fails_while_its_anchor_uid_names_an_unregistered_anchor) {
    create("m1");
    server().command("HSET nodes:m1:data anchor_uid a9");
    reconnect();
    expect_exception([&] { ctx().get_nodes().remove("m1"); },
                     "The orv::context::anchor with id 'a9' does not exist");
    EXPECT_EQ(raw_members(server(), "nodes:set"), strings{"m1"});
}

TEST_F(node_test, building_a_node_opens_seven_handles_and_an_update_writes_one_field) {
    create("m1");
    const auto calls = count_commands([&] {
        node("m1").set_anounce_time(timestamp::from_milliseconds(5000));
    });
    // The data hash and six parameter keys; empty keys are scanned again by
    // each new handle, so only the handle and write counts are fixed here.
    EXPECT_EQ(calls.at("type"), 7);
    EXPECT_EQ(calls.at("hset"), 1);
    for (const char* write : {"hdel", "del", "sadd", "srem"}) {
        EXPECT_EQ(calls.count(write), 0u) << write;
    }
}

} // namespace
} // namespace orv::test
