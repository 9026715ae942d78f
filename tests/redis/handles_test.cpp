// The direct (uncached) handles: every call is a Redis command.
#include "redis/hash_impl.h"
#include "redis/list_impl.h"
#include "redis/set_impl.h"

#include "redis_test_fixture.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace orv::redis::test {
namespace {

TEST_F(redis_test, hash_impl_reads_and_writes_fields) {
    hash_impl h("h", ctx());

    EXPECT_TRUE(h.set("f", "1"));
    EXPECT_FALSE(h.set("f", "2"));
    EXPECT_EQ(server().command("HGET h f"), "2");
    EXPECT_TRUE(h.exists("f"));
    EXPECT_FALSE(h.exists("g"));
    EXPECT_EQ(h.get("f"), "2");
    EXPECT_EQ(error_of([&] { h.get("g"); }), "Reply is not string, actual type: nil");
    EXPECT_EQ(h.try_get("f"), std::make_pair(true, std::string("2")));
    EXPECT_EQ(h.try_get("g"), std::make_pair(false, std::string()));

    h.set("e", "");
    EXPECT_EQ(h.try_get("e"), std::make_pair(true, std::string()));
    h.del("f");
    EXPECT_EQ(server().command("HEXISTS h f"), "0");
    h.clear();
    EXPECT_EQ(server().command("EXISTS h"), "0");
}

TEST_F(redis_test, hash_impl_scan_follows_the_cursor_over_many_batches) {
    fill_hash(server(), "big", 1000);
    hash_impl h("big", ctx());

    reset_command_counts(server());
    std::map<std::string, std::string> seen;
    int calls = 0;
    EXPECT_TRUE(h.for_each_element([&](const std::string& field, const std::string& value) {
        ++calls;
        seen[field] = value;
        return true;
    }));
    EXPECT_GT(command_counts(server()).at("hscan"), 1);
    ASSERT_EQ(seen.size(), 1000u);
    EXPECT_EQ(calls, 1000);  // the hash is not rehashed meanwhile, so no repeats
    EXPECT_EQ(seen.at("f1"), "v1");
    EXPECT_EQ(seen.at("f1000"), "v1000");

    calls = 0;
    EXPECT_FALSE(h.for_each_element([&](const std::string&, const std::string&) { return ++calls < 3; }));
    EXPECT_EQ(calls, 3);
}

TEST_F(redis_test, set_impl_membership_and_scan) {
    set_impl s("s", ctx());

    EXPECT_EQ(s.add("a"), 1);
    EXPECT_EQ(s.add("a"), 0);
    EXPECT_TRUE(s.is_member("a"));
    EXPECT_FALSE(s.is_member("b"));
    EXPECT_EQ(s.rem("b"), 0);
    EXPECT_EQ(s.rem("a"), 1);
    EXPECT_EQ(server().command("EXISTS s"), "0");

    fill_set(server(), "s", 1000);
    std::map<std::string, int> seen;
    EXPECT_TRUE(s.for_each_member([&](const std::string& m) {
        ++seen[m];
        return true;
    }));
    ASSERT_EQ(seen.size(), 1000u);
    EXPECT_EQ(seen.at("m1"), 1);
    EXPECT_EQ(seen.at("m1000"), 1);

    int calls = 0;
    EXPECT_FALSE(s.for_each_member([&](const std::string&) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);

    s.clear();
    EXPECT_EQ(server().command("EXISTS s"), "0");
}

TEST_F(redis_test, list_impl_commands) {
    list_impl l("l", ctx());

    l.rpush("b");
    l.rpush("c");
    l.lpush("a");
    EXPECT_EQ(server().command("LRANGE l 0 -1"), "a\nb\nc");
    EXPECT_EQ(l.len(), 3);
    EXPECT_EQ(l.lindex(0), "a");
    EXPECT_EQ(l.lindex(-1), "c");
    EXPECT_EQ(error_of([&] { l.lindex(7); }), "Reply is not string, actual type: nil");
    EXPECT_EQ(l.lrange(0, -1), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(l.lrange(-2, -1), (std::vector<std::string>{"b", "c"}));
    EXPECT_TRUE(l.lrange(5, 9).empty());

    l.ltrim(0, -2);
    EXPECT_EQ(l.lrange(0, -1), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(l.lpop(), "a");
    EXPECT_EQ(l.rpop(), "b");
    EXPECT_EQ(l.len(), 0);
    EXPECT_EQ(error_of([&] { l.lpop(); }), "Reply is not string, actual type: nil");
    EXPECT_EQ(error_of([&] { l.rpop(); }), "Reply is not string, actual type: nil");

    l.rpush("x");
    l.clear();
    EXPECT_EQ(server().command("EXISTS l"), "0");
}

TEST_F(redis_test, get_list_gives_an_uncached_handle) {
    auto l = ctx().get_list(key("l"));
    l->rpush("a");
    server().command("RPUSH l b");
    EXPECT_EQ(l->lrange(0, -1), (std::vector<std::string>{"a", "b"}));
}

} // namespace
} // namespace orv::redis::test
