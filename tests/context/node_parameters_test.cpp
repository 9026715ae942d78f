#include "context/node_parameters.h"

#include "context/node.h"
#include "context/objects_creator.h"
#include "context/records_fixture.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

namespace orv::test {
namespace {

using strings = std::vector<std::string>;
using fields = std::map<std::string, std::string>;
using orv::utils::timestamp;
using item = orv::context::node_parameters::tdoa_schedule_item;

const std::string prefix = "nodes:m1:parameters";

class node_parameters_test : public records_test {
protected:
    void SetUp() override {
        records_test::SetUp();
        creator().create_node("m1");
    }
    // A fresh record for every call, so reads go through a newly built object.
    orv::context::node node() { return ctx().get_nodes().get("m1"); }
    fields raw(const std::string& group) { return raw_fields(server(), prefix + ":" + group); }
};

TEST_F(node_parameters_test, biases_are_stored_per_address_and_read_in_address_order) {
    auto n = node();
    n.get_parameters().set_bias("0b", 7);
    n.get_parameters().set_bias("0a", -12);
    n.get_parameters().set_bias("0b", 9);
    EXPECT_EQ(raw("al_bs"), (fields{{"0a", "-12"}, {"0b", "9"}}));

    const auto read_node = node();
    const auto& read = read_node.get_parameters();
    EXPECT_EQ(read.get_bias("0a"), -12);
    EXPECT_EQ(read.get_bias("0b"), 9);
    EXPECT_THROW(read.get_bias("0c"), std::out_of_range);

    std::vector<std::pair<std::string, int>> seen;
    EXPECT_TRUE(read.for_each_bias([&](const std::string& addr, int bias) {
        seen.emplace_back(addr, bias);
        return true;
    }));
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{{"0a", -12}, {"0b", 9}}));

    seen.clear();
    EXPECT_FALSE(read.for_each_bias([&](const std::string& addr, int bias) {
        seen.emplace_back(addr, bias);
        return false;
    }));
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(node_parameters_test, removed_biases_are_gone_and_read_out_of_range) {
    auto n = node();
    n.get_parameters().set_bias("0a", 1);
    n.get_parameters().remove_all_biases();
    EXPECT_FALSE(raw_exists(server(), prefix + ":al_bs"));
    EXPECT_THROW(n.get_parameters().get_bias("0a"), std::out_of_range);
    EXPECT_THROW(node().get_parameters().get_bias("0a"), std::out_of_range);

    n.get_parameters().set_bias("0b", 3); // writes only the new address
    EXPECT_EQ(raw("al_bs"), (fields{{"0b", "3"}}));
}

TEST_F(node_parameters_test, sync_frame_reads_back_every_unsigned_value) {
    EXPECT_EQ(node().get_parameters().get_sf_addr(), "");
    EXPECT_EQ(node().get_parameters().get_sf_sfd(), 0u);

    for (unsigned sfd : {0u, 17u, 4000000000u}) {
        node().get_parameters().set_sf("0x00ab", sfd);
        EXPECT_EQ(raw("sf"), (fields{{"addr", "0x00ab"}, {"sfd", std::to_string(sfd)}}));
        EXPECT_EQ(node().get_parameters().get_sf_addr(), "0x00ab");
        EXPECT_EQ(node().get_parameters().get_sf_sfd(), sfd);
    }

    node().get_parameters().clear_sf();
    EXPECT_FALSE(raw_exists(server(), prefix + ":sf"));
}

TEST_F(node_parameters_test, schedule_items_are_compact_json_set_members) {
    auto n = node();
    n.get_parameters().add_tdoa_schedule_item({1, 2, 3, 4, 5, 6, 7, 8, 9});
    n.get_parameters().add_tdoa_schedule_item({1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(raw_members(server(), prefix + ":tdoa_schedule"),
              strings{R"({"dimention":2,"edg_type":3,"margin":5,"node_id":6,"section":4,"slot":1,"x":7,"y":8,"z":9})"});

    n.get_parameters().add_tdoa_schedule_item({1, 2, 3, 4, 5, 6, 7, 8, -9});
    EXPECT_EQ(raw_members(server(), prefix + ":tdoa_schedule").size(), 2u);

    n.get_parameters().remove_all_tdoa_schedule_items();
    EXPECT_FALSE(raw_exists(server(), prefix + ":tdoa_schedule"));
}

TEST_F(node_parameters_test, schedule_items_are_visited_in_text_order) {
    auto n = node();
    // Text order is decided by "dimention" first, not by the slot.
    n.get_parameters().add_tdoa_schedule_item({2, 5, 0, 0, 0, 0, 0, 0, 0});
    n.get_parameters().add_tdoa_schedule_item({10, 1, 0, 0, 0, 0, 0, 0, 0});
    n.get_parameters().add_tdoa_schedule_item({1, 3, 4, 5, 6, 7, 8, 9, 10});

    std::vector<item> seen;
    EXPECT_TRUE(node().get_parameters().for_each_tdoa_shedule_items([&](item i) {
        seen.push_back(i);
        return true;
    }));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].slot, 10);
    EXPECT_EQ(seen[1], (item{1, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(seen[2].slot, 2);

    int visited = 0;
    EXPECT_FALSE(node().get_parameters().for_each_tdoa_shedule_items([&](item) {
        ++visited;
        return false;
    }));
    EXPECT_EQ(visited, 1);
}

TEST_F(node_parameters_test, stored_schedule_texts_missing_members_and_invalid_json) {
    server().command("SADD %s %s", (prefix + ":tdoa_schedule").c_str(), R"({"slot":3,"z":"x"})");
    reconnect();
    std::vector<item> seen;
    node().get_parameters().for_each_tdoa_shedule_items([&](item i) {
        seen.push_back(i);
        return true;
    });
    EXPECT_EQ(seen, (std::vector<item>{{3, 0, 0, 0, 0, 0, 0, 0, 0}}));

    server().command("SADD %s %s", (prefix + ":tdoa_schedule").c_str(), "{not json");
    reconnect();
    EXPECT_THROW(node().get_parameters().for_each_tdoa_shedule_items([](item) { return true; }),
                 orv::exception);
}

TEST_F(node_parameters_test, network_reply_battery_and_service_mode) {
    EXPECT_EQ(node().get_parameters().get_bat_mv(), boost::none);
    EXPECT_EQ(node().get_parameters().get_nwk_rpl_ts(), timestamp());

    auto n = node();
    n.get_parameters().set_nwk_rpl(timestamp::from_milliseconds(1700000000250));
    n.get_parameters().set_bat(3600, 80);
    n.get_parameters().set_service_mode(2, timestamp::from_milliseconds(1700000005000));

    EXPECT_EQ(raw("bat"), (fields{{"mv", "3600 "}, {"pr", "80 "}}));
    EXPECT_EQ(raw("nwk_rpl")["ts"].rfind("1700000000 250 (", 0), 0u);
    EXPECT_EQ(raw("service_mode")["value"], "2");
    EXPECT_EQ(raw("service_mode")["ts"].rfind("1700000005 0 (", 0), 0u);

    const auto read = node();
    EXPECT_EQ(read.get_parameters().get_nwk_rpl_ts(), timestamp::from_milliseconds(1700000000250));
    EXPECT_EQ(read.get_parameters().get_bat_mv(), 3600);
    EXPECT_EQ(read.get_parameters().get_bat_pr(), 80);
    EXPECT_EQ(read.get_parameters().get_service_mode_value(), 2);
    EXPECT_EQ(read.get_parameters().get_service_mode_ts(),
              timestamp::from_milliseconds(1700000005000));

    n.get_parameters().clear_nwk_rpl();
    n.get_parameters().clear_bat();
    n.get_parameters().clear_service_mode();
    EXPECT_FALSE(raw_exists(server(), prefix + ":nwk_rpl"));
    EXPECT_FALSE(raw_exists(server(), prefix + ":bat"));
    EXPECT_FALSE(raw_exists(server(), prefix + ":service_mode"));
}

TEST_F(node_parameters_test, remove_deletes_every_group) {
    auto n = node();
    auto& p = n.get_parameters();
    p.set_bias("0a", 1);
    p.set_sf("0a", 2);
    p.add_tdoa_schedule_item({});
    p.set_nwk_rpl(timestamp::from_milliseconds(1000));
    p.set_bat(3000, 50);
    p.set_service_mode(1, timestamp::from_milliseconds(2000));
    p.remove();
    EXPECT_EQ(raw_keys(server()), (strings{"nodes:m1:data", "nodes:set"}));
}

} // namespace
} // namespace orv::test
