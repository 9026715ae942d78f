// The cached hash and set handles handed out by the connection.
#include "redis/cached_hash_impl.h"
#include "redis/cached_set_impl.h"

#include "redis_test_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

namespace orv::redis::test {
namespace {

using counts = std::map<std::string, long>;

std::vector<std::pair<std::string, std::string>> elements_of(const hash& h) {
    std::vector<std::pair<std::string, std::string>> out;
    h.for_each_element([&](const std::string& f, const std::string& v) {
        out.emplace_back(f, v);
        return true;
    });
    return out;
}

std::vector<std::string> members_of(const set& s) {
    std::vector<std::string> out;
    s.for_each_member([&](const std::string& m) {
        out.push_back(m);
        return true;
    });
    return out;
}

using elements = std::vector<std::pair<std::string, std::string>>;
using members = std::vector<std::string>;

TEST_F(redis_test, cached_hash_loads_the_key_once_and_answers_reads_from_memory) {
    server().command("HSET h b 2 a 1 c 3 10 x 2 y");
    auto h = ctx().get_hash(key("h"));

    reset_command_counts(server());
    EXPECT_TRUE(h->exists("a"));
    EXPECT_FALSE(h->exists("z"));
    EXPECT_EQ(h->get("c"), "3");
    EXPECT_THROW(h->get("z"), std::out_of_range);
    EXPECT_EQ(h->try_get("a"), std::make_pair(true, std::string("1")));
    EXPECT_EQ(h->try_get("z"), std::make_pair(false, std::string()));
    // Ascending byte order, not the order Redis keeps.
    EXPECT_EQ(elements_of(*h), (elements{{"10", "x"}, {"2", "y"}, {"a", "1"}, {"b", "2"}, {"c", "3"}}));
    int calls = 0;
    EXPECT_FALSE(h->for_each_element([&](const std::string&, const std::string&) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(command_counts(server()), counts{});
}

TEST_F(redis_test, cached_hash_loads_a_hash_larger_than_one_scan_batch) {
    fill_hash(server(), "big", 1000);
    reset_command_counts(server());
    auto h = ctx().get_hash(key("big"));

    EXPECT_GT(command_counts(server()).at("hscan"), 1);
    std::map<std::string, int> seen;
    h->for_each_element([&](const std::string& f, const std::string& v) {
        ++seen[f];
        EXPECT_EQ("v" + f.substr(1), v);
        return true;
    });
    ASSERT_EQ(seen.size(), 1000u);
    for (const auto& [field, times] : seen) {
        ASSERT_EQ(times, 1) << field;
    }
}

TEST_F(redis_test, two_handles_of_a_key_share_writes_without_reading_redis) {
    auto first = ctx().get_hash(key("h"));
    auto second = ctx().get_hash(key("h"));

    reset_command_counts(server());
    EXPECT_TRUE(first->set("f", "1"));
    EXPECT_EQ(second->get("f"), "1");
    EXPECT_FALSE(second->set("f", "2"));
    EXPECT_EQ(first->get("f"), "2");
    second->del("g");
    EXPECT_EQ(command_counts(server()), (counts{{"hset", 2}, {"hdel", 1}}));
    EXPECT_EQ(server().command("HGET h f"), "2");

    // A later handle reuses the copy: only the type check reaches Redis.
    reset_command_counts(server());
    auto third = ctx().get_hash(key("h"));
    EXPECT_EQ(third->get("f"), "2");
    EXPECT_EQ(command_counts(server()), (counts{{"type", 1}}));
}

TEST_F(redis_test, the_copy_is_kept_for_the_life_of_the_connection) {
    ctx().get_hash(key("h"))->set("f", "1");
    // Written by another client: invisible through this connection's copy.
    server().command("HSET h g 2");

    auto h = ctx().get_hash(key("h"));
    EXPECT_FALSE(h->exists("g"));
    // A new connection loads the key afresh.
    context_impl other(server().host(), server().port(), 0, "", m_stop);
    EXPECT_EQ(other.get_hash(key("h"))->get("g"), "2");
}

TEST_F(redis_test, clear_through_the_only_handle_forgets_the_key) {
    auto h = ctx().get_hash(key("h"));
    h->set("f", "1");
    h->clear();

    EXPECT_EQ(server().command("EXISTS h"), "0");
    EXPECT_EQ(error_of([&] { h->get("f"); }), "Hash is empty");
    EXPECT_EQ(h->try_get("f"), std::make_pair(false, std::string()));
    EXPECT_FALSE(h->exists("f"));
    bool called = false;
    EXPECT_TRUE(h->for_each_element([&](const std::string&, const std::string&) { return called = true; }));
    EXPECT_FALSE(called);

    // The registry entry is gone: a new handle reads Redis again.
    server().command("HSET h g 2");
    reset_command_counts(server());
    auto fresh = ctx().get_hash(key("h"));
    EXPECT_EQ(command_counts(server()), (counts{{"type", 1}, {"hscan", 1}}));
    EXPECT_EQ(elements_of(*fresh), (elements{{"g", "2"}}));
}

TEST_F(redis_test, clear_empties_the_copy_for_every_attached_handle) {
    auto first = ctx().get_hash(key("h"));
    auto second = ctx().get_hash(key("h"));
    first->set("f", "1");

    first->clear();
    EXPECT_FALSE(second->exists("f"));
    EXPECT_TRUE(elements_of(*second).empty());

    // The emptied copy is reloaded by the next handle, and the handle that
    // stayed attached sees what was loaded.
    server().command("HSET h g 2");
    auto third = ctx().get_hash(key("h"));
    EXPECT_EQ(third->get("g"), "2");
    EXPECT_EQ(second->get("g"), "2");

    // Writing again through the cleared handle joins the shared copy.
    first->set("k", "3");
    EXPECT_EQ(third->get("k"), "3");
    EXPECT_EQ(first->get("g"), "2");
}

TEST_F(redis_test, deleting_the_last_field_detaches_until_the_next_write) {
    server().command("HSET h a 1");
    auto h = ctx().get_hash(key("h"));

    h->del("a");
    EXPECT_EQ(server().command("EXISTS h"), "0");
    EXPECT_EQ(error_of([&] { h->get("a"); }), "Hash is empty");

    server().command("HSET h stale x");  // another client; not loaded by the write below
    reset_command_counts(server());
    EXPECT_TRUE(h->set("b", "2"));
    EXPECT_EQ(command_counts(server()), (counts{{"hset", 1}}));
    EXPECT_EQ(elements_of(*h), (elements{{"b", "2"}}));
    EXPECT_FALSE(h->exists("a"));
}

TEST_F(redis_test, a_refused_write_leaves_the_copy_unchanged) {
    auto h = ctx().get_hash(key("k"));
    h->set("f", "1");
    server().command("DEL k");
    server().command("SET k text");

    EXPECT_EQ(error_of([&] { h->set("g", "2"); }),
              "REDIS: Command: HSET, error: WRONGTYPE Operation against a key holding the wrong kind of value");
    EXPECT_FALSE(h->exists("g"));
    EXPECT_EQ(error_of([&] { h->del("f"); }),
              "REDIS: Command: HDEL, error: WRONGTYPE Operation against a key holding the wrong kind of value");
    EXPECT_EQ(h->get("f"), "1");

    auto s = ctx().get_set(key("s"));
    server().command("SET s text");
    EXPECT_THROW(s->add("m"), orv::exception);
    EXPECT_FALSE(s->is_member("m"));
}

TEST_F(redis_test, a_callback_may_write_to_the_hash_it_iterates) {
    server().command("HSET h a 1 b 2 c 3");
    auto h = ctx().get_hash(key("h"));

    std::vector<std::string> visited;
    EXPECT_TRUE(h->for_each_element([&](const std::string& field, const std::string&) {
        visited.push_back(field);
        h->del(field);
        if (field == "a") {
            h->set("bb", "new");  // after the current field: visited too
        }
        return true;
    }));
    EXPECT_EQ(visited, (std::vector<std::string>{"a", "b", "bb", "c"}));
    EXPECT_EQ(server().command("EXISTS h"), "0");
}

TEST_F(redis_test, cached_set_membership_order_and_sharing) {
    server().command("SADD s b a 10 2");
    auto first = ctx().get_set(key("s"));
    auto second = ctx().get_set(key("s"));

    reset_command_counts(server());
    EXPECT_TRUE(first->is_member("a"));
    EXPECT_FALSE(first->is_member("z"));
    EXPECT_EQ(members_of(*first), (members{"10", "2", "a", "b"}));
    EXPECT_EQ(first->add("c"), 1);
    EXPECT_EQ(first->add("c"), 0);
    EXPECT_TRUE(second->is_member("c"));
    EXPECT_EQ(second->rem("a"), 1);
    EXPECT_EQ(second->rem("a"), 0);
    EXPECT_FALSE(first->is_member("a"));
    EXPECT_EQ(command_counts(server()), (counts{{"sadd", 2}, {"srem", 2}}));
    EXPECT_EQ(server().command("SORT s ALPHA"), "10\n2\nb\nc");
}

TEST_F(redis_test, cached_set_detaches_on_clear_and_on_removing_the_last_member) {
    auto first = ctx().get_set(key("s"));
    auto second = ctx().get_set(key("s"));
    first->add("m");

    first->clear();
    EXPECT_EQ(server().command("EXISTS s"), "0");
    EXPECT_FALSE(first->is_member("m"));
    EXPECT_FALSE(second->is_member("m"));
    EXPECT_TRUE(members_of(*second).empty());

    first->add("x");
    EXPECT_TRUE(second->is_member("x"));
    EXPECT_EQ(second->rem("x"), 1);
    EXPECT_TRUE(members_of(*first).empty());
    EXPECT_EQ(server().command("EXISTS s"), "0");

    EXPECT_EQ(second->add("y"), 1);
    EXPECT_EQ(members_of(*second), (members{"y"}));
    EXPECT_EQ(server().command("SMEMBERS s"), "y");
}

TEST_F(redis_test, cached_set_loads_a_set_larger_than_one_scan_batch) {
    fill_set(server(), "big", 1000);
    reset_command_counts(server());
    auto s = ctx().get_set(key("big"));

    EXPECT_GT(command_counts(server()).at("sscan"), 1);
    const auto all = members_of(*s);
    EXPECT_EQ(all.size(), 1000u);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    EXPECT_TRUE(s->is_member("m1000"));
}

// The Redis commands that typical operations cost, as reported.
TEST_F(redis_test, command_cost_of_cached_handles) {
    server().command("HSET h a 1 b 2 c 3");
    server().command("SADD s a b c");

    struct step {
        const char* what;
        std::function<void()> run;
        counts expected;
    };
    std::unique_ptr<hash> h1, h2, empty1, empty2;
    std::unique_ptr<set> s1, s2;
    const std::vector<step> steps = {
        {"first hash handle", [&] { h1 = ctx().get_hash(key("h")); }, {{"type", 1}, {"hscan", 1}}},
        {"second hash handle", [&] { h2 = ctx().get_hash(key("h")); }, {{"type", 1}}},
        {"hash reads", [&] {
             h2->get("a");
             h1->exists("b");
             elements_of(*h1);
         }, {}},
        {"hash write", [&] { h1->set("d", "4"); }, {{"hset", 1}}},
        {"first handle of a missing key", [&] { empty1 = ctx().get_hash(key("none")); }, {{"type", 1}, {"hscan", 1}}},
        {"second handle of a missing key", [&] { empty2 = ctx().get_hash(key("none")); }, {{"type", 1}, {"hscan", 1}}},
        {"first set handle", [&] { s1 = ctx().get_set(key("s")); }, {{"type", 1}, {"sscan", 1}}},
        {"second set handle", [&] { s2 = ctx().get_set(key("s")); }, {{"type", 1}}},
        {"set write", [&] { s2->add("d"); }, {{"sadd", 1}}},
        {"list handle", [&] { ctx().get_list(key("l")); }, {{"type", 1}}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        reset_command_counts(server());
        s.run();
        EXPECT_EQ(command_counts(server()), s.expected);
    }
}

} // namespace
} // namespace orv::redis::test
