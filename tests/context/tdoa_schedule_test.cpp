#include "context/tdoa_schedule.h"

#include "context/objects_creator.h"
#include "context/records_fixture.h"

#include <gtest/gtest.h>

namespace orv::test {
namespace {

using strings = std::vector<std::string>;
using item = orv::context::tdoa_schedule::item;

const std::string items_key = "tdoa_schedules:s1:items";

class tdoa_schedule_test : public records_test {
protected:
    orv::context::tdoa_schedule schedule() { return ctx().get_tdoa_schedules().get("s1"); }

    std::vector<item> read_all() {
        std::vector<item> seen;
        schedule().for_each_items([&](item i) {
            seen.push_back(i);
            return true;
        });
        return seen;
    }
};

TEST_F(tdoa_schedule_test, create_registers_only) {
    auto s = creator().create_tdoa_schedule("s1");
    EXPECT_EQ(s.get_uid(), "s1");
    EXPECT_EQ(raw_keys(server()), strings{"tdoa_schedules:set"});
    EXPECT_EQ(raw_members(server(), "tdoa_schedules:set"), strings{"s1"});
}

TEST_F(tdoa_schedule_test, items_are_compact_json_set_members) {
    auto s = creator().create_tdoa_schedule("s1");
    const item first{1, "A", "B", 4, 5, 6, 7, 8};
    s.add_item(first);
    s.add_item(first);
    EXPECT_EQ(raw_members(server(), items_key),
              strings{R"({"dimension":6,"dst_uid":"B","edg_type":7,"margin":8,"number":1,"section":5,"slot_num":4,"src_uid":"A"})"});

    item other = first;
    other.dst_uid = "C";
    s.add_item(other);
    EXPECT_EQ(raw_members(server(), items_key).size(), 2u);
    EXPECT_EQ(read_all(), (std::vector<item>{first, other}));
}

TEST_F(tdoa_schedule_test, uids_with_quotes_and_backslashes_read_back) {
    const item tricky{3, "a\"b", "c\\d", 0, 0, 0, 0, 0};
    creator().create_tdoa_schedule("s1").add_item(tricky);
    EXPECT_EQ(read_all(), std::vector<item>{tricky});
}

TEST_F(tdoa_schedule_test, items_are_visited_in_text_order_not_number_order) {
    auto s = creator().create_tdoa_schedule("s1");
    s.add_item({1, "A", "B", 0, 0, 9, 0, 0});
    s.add_item({2, "A", "B", 0, 0, 3, 0, 0});
    s.add_item({3, "A", "B", 0, 0, 10, 0, 0}); // "10" sorts before "3"

    std::vector<int> numbers;
    for (const auto& i : read_all()) {
        numbers.push_back(i.number);
    }
    EXPECT_EQ(numbers, (std::vector<int>{3, 2, 1}));

    int visited = 0;
    EXPECT_FALSE(schedule().for_each_items([&](item) {
        ++visited;
        return false;
    }));
    EXPECT_EQ(visited, 1);
}

TEST_F(tdoa_schedule_test, stored_texts_with_missing_members_or_invalid_json) {
    creator().create_tdoa_schedule("s1");
    server().command("SADD %s %s", items_key.c_str(), R"({"number":4,"src_uid":"A","margin":"x"})");
    reconnect();
    EXPECT_EQ(read_all(), (std::vector<item>{{4, "A", "", 0, 0, 0, 0, 0}}));

    server().command("SADD %s %s", items_key.c_str(), "[1,");
    reconnect();
    EXPECT_THROW(read_all(), orv::exception);
}

TEST_F(tdoa_schedule_test, clear_and_remove) {
    auto s = creator().create_tdoa_schedule("s1");
    creator().create_tdoa_schedule("s2");
    s.add_item({1, "A", "B", 0, 0, 0, 0, 0});
    s.clear_items();
    EXPECT_FALSE(raw_exists(server(), items_key));
    EXPECT_TRUE(read_all().empty());

    s.add_item({2, "A", "B", 0, 0, 0, 0, 0}); // a new list after a clear
    EXPECT_EQ(read_all().size(), 1u);

    ctx().get_tdoa_schedules().remove("s1");
    EXPECT_EQ(raw_keys(server()), strings{"tdoa_schedules:set"});
    EXPECT_EQ(raw_members(server(), "tdoa_schedules:set"), strings{"s2"});
}

} // namespace
} // namespace orv::test
