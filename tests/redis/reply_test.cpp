#include "redis/reply.h"

#include "redis_test_fixture.h"

#include <gtest/gtest.h>
#include <hiredis/hiredis.h>

#include <stdexcept>
#include <vector>

namespace orv::redis::test {
namespace {

TEST(reply_type_names, named_types_and_the_markers) {
    EXPECT_EQ(to_string(reply_type::STRING), "string");
    EXPECT_EQ(to_string(reply_type::ARRAY), "array");
    EXPECT_EQ(to_string(reply_type::INTEGER), "integer");
    EXPECT_EQ(to_string(reply_type::NIL), "nil");
    EXPECT_EQ(to_string(reply_type::STATUS), "status");
    EXPECT_EQ(to_string(reply_type::ERROR), "error");
    EXPECT_THROW(to_string(reply_type::_count), std::out_of_range);
    EXPECT_THROW(to_string(reply_type::_unknown), std::out_of_range);
    EXPECT_EQ(static_cast<int>(reply_type::STRING), REDIS_REPLY_STRING);
    EXPECT_EQ(static_cast<int>(reply_type::ERROR), REDIS_REPLY_ERROR);
}

TEST_F(redis_test, every_reply_kind_converts_only_to_its_own_form) {
    server().command("SET n 41");
    server().command("RPUSH l a b");
    struct row {
        std::vector<const char*> command;
        reply_type type;
        const char* name;
    };
    const std::vector<row> rows = {
        {{"GET", "n"}, reply_type::STRING, "string"},
        {{"PING"}, reply_type::STATUS, "status"},
        {{"INCR", "n"}, reply_type::INTEGER, "integer"},
        {{"GET", "missing"}, reply_type::NIL, "nil"},
        {{"LRANGE", "l", "0", "-1"}, reply_type::ARRAY, "array"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.command.front());
        const reply result = ctx().execute_command_argv(r.command);
        EXPECT_EQ(result.get_type(), r.type);
        const bool is_text = r.type == reply_type::STRING || r.type == reply_type::STATUS;
        EXPECT_EQ(error_of([&] { result.to_string(); }),
                  is_text ? "<no orv::exception>" : std::string("Reply is not string, actual type: ") + r.name);
        EXPECT_EQ(error_of([&] { result.to_integer(); }),
                  r.type == reply_type::INTEGER ? "<no orv::exception>"
                                                : std::string("Reply is not integer, actual type: ") + r.name);
        EXPECT_EQ(error_of([&] { result.as_array(); }),
                  r.type == reply_type::ARRAY ? "<no orv::exception>"
                                              : std::string("Reply is not array, actual type: ") + r.name);
    }
    EXPECT_EQ(ctx().execute_command_argv({"GET", "n"}).to_string(), "42");
    EXPECT_EQ(ctx().execute_command_argv({"PING"}).to_string(), "PONG");
    EXPECT_EQ(ctx().execute_command_argv({"INCRBY", "n", "-5000000000"}).to_integer(), -4999999958);
}

TEST(reply_element_view, an_error_reply_reads_as_text) {
    redisReply error{};
    error.type = REDIS_REPLY_ERROR;
    char text[] = "ERR something";
    error.str = text;
    error.len = sizeof(text) - 1;
    EXPECT_EQ(reply_element(error).get_type(), reply_type::ERROR);
    EXPECT_EQ(reply_element(error).to_string(), "ERR something");
}

TEST_F(redis_test, string_replies_keep_their_exact_length) {
    server().command("SET k %b", "a\0b", static_cast<size_t>(3));
    EXPECT_EQ(ctx().get_value(key("k")), std::string("a\0b", 3));
}

TEST_F(redis_test, array_elements_are_indexed_and_iterated_in_order) {
    server().command("RPUSH l a b c");
    const reply result = ctx().execute_command_argv({"LRANGE", "l", "0", "-1"});
    const reply_array elements = result.as_array();

    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(elements[0].to_string(), "a");
    EXPECT_EQ(elements[2].to_string(), "c");
    EXPECT_EQ(error_of([&] { elements[3]; }), "Index out of range");

    std::vector<std::string> seen;
    EXPECT_TRUE(elements.for_each_element([&](const reply_element& e) {
        seen.push_back(e.to_string());
        return true;
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c"}));

    seen.clear();
    EXPECT_FALSE(elements.for_each_element([&](const reply_element& e) {
        seen.push_back(e.to_string());
        return e.to_string() != "b";
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
}

TEST_F(redis_test, an_empty_array_calls_nothing_and_completes) {
    const reply result = ctx().execute_command_argv({"LRANGE", "missing", "0", "-1"});
    const reply_array elements = result.as_array();
    EXPECT_EQ(elements.size(), 0u);
    EXPECT_EQ(error_of([&] { elements[0]; }), "Index out of range");
    bool called = false;
    EXPECT_TRUE(elements.for_each_element([&](const reply_element&) { return called = true; }));
    EXPECT_FALSE(called);
}

} // namespace
} // namespace orv::redis::test
