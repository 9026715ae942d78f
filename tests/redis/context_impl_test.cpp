#include "redis/context_impl.h"

#include "redis_test_fixture.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace orv::redis::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST_F(redis_test, selects_the_given_database) {
    context_impl db7(server().host(), server().port(), 7, "", m_stop);
    db7.set_value(key("k"), "v");

    EXPECT_EQ(db7.get_value(key("k")), "v");
    EXPECT_EQ(server().command("GET k"), "(nil)");  // database 0
    EXPECT_THAT(server().command("INFO keyspace"), HasSubstr("db7:keys=1,"));
}

TEST_F(redis_test, an_empty_password_sends_no_auth) {
    reset_command_counts(server());
    context_impl connection(server().host(), server().port(), 0, "", m_stop);

    const auto counts = command_counts(server());
    EXPECT_EQ(counts.count("auth"), 0u);
    EXPECT_EQ(counts.at("select"), 1);
}

TEST_F(redis_test, a_password_is_sent_with_auth) {
    // This server has no password, so an AUTH with one is refused.
    EXPECT_EQ(error_of([&] { context_impl c(server().host(), server().port(), 0, "pw", m_stop); }),
              "AUTH failed");
}

TEST(redis_context_password, authenticates_with_the_right_password_only) {
    orv::test::redis_server server("s3cret");
    std::atomic<bool> stop{false};

    context_impl good(server.host(), server.port(), 0, "s3cret", stop);
    good.set_value(key("k"), "v");
    EXPECT_EQ(good.get_value(key("k")), "v");

    EXPECT_EQ(error_of([&] { context_impl c(server.host(), server.port(), 0, "wrong", stop); }),
              "AUTH failed");
    EXPECT_THAT(error_of([&] { context_impl c(server.host(), server.port(), 0, "", stop); }),
                StartsWith("REDIS: SELECT failed: NOAUTH"));
}

TEST(redis_context_connect, an_unreachable_server_fails_the_constructor) {
    std::atomic<bool> stop{false};
    const int port = orv::test::free_port();
    try {
        context_impl c("127.0.0.1", port, 0, "", stop);
        FAIL() << "connected to a closed port";
    } catch (const orv::exception& e) {
        EXPECT_THAT(e.what(), StartsWith("REDIS: Connection error: "));
        EXPECT_THAT(e.what(), HasSubstr("refused"));
        EXPECT_THAT(e.get_file(), HasSubstr("context_impl.cpp"));
        EXPECT_GT(e.get_line(), 0);
    }
}

TEST_F(redis_test, container_handles_check_the_type_of_the_key) {
    server().command("SET str v");
    server().command("HSET hsh f v");
    server().command("SADD st m");
    server().command("RPUSH lst a");
    server().command("ZADD zs 1 m");

    struct row {
        const char* key;
        const char* type;
    };
    const row rows[] = {{"str", "string"}, {"hsh", "hash"}, {"st", "set"}, {"lst", "list"}, {"zs", "zset"}};
    const auto expected = [](const char* type, const char* wanted) {
        return std::string(type) == wanted ? std::string("<no orv::exception>")
                                           : "Invalid type, actual type is: " + std::string(type);
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.key);
        EXPECT_EQ(error_of([&] { ctx().get_hash(key(r.key)); }), expected(r.type, "hash"));
        EXPECT_EQ(error_of([&] { ctx().get_set(key(r.key)); }), expected(r.type, "set"));
        EXPECT_EQ(error_of([&] { ctx().get_list(key(r.key)); }), expected(r.type, "list"));
        EXPECT_EQ(ctx().has_value(key(r.key)), std::string(r.type) == "string");
    }

    // A key that does not exist yet is fine for every kind, and holds no value.
    EXPECT_NE(ctx().get_hash(key("missing")), nullptr);
    EXPECT_NE(ctx().get_set(key("missing")), nullptr);
    EXPECT_NE(ctx().get_list(key("missing")), nullptr);
    EXPECT_FALSE(ctx().has_value(key("missing")));
    EXPECT_EQ(server().command("EXISTS missing"), "0");
}

TEST_F(redis_test, values_are_written_and_read_as_strings) {
    const std::string text = "a value with blanks, \"quotes\" and ünïcode";
    ctx().set_value(key("k"), text);
    EXPECT_EQ(server().command("GET k"), text);
    EXPECT_EQ(ctx().get_value(key("k")), text);

    EXPECT_EQ(error_of([&] { ctx().get_value(key("missing")); }), "Reply is not string, actual type: nil");
}

TEST_F(redis_test, error_replies_name_the_command_and_leave_the_connection_usable) {
    server().command("SET k notanumber");

    EXPECT_EQ(error_of([&] { ctx().execute_command_argv({"HSET", "h"}); }),
              "REDIS: Command: HSET, error: ERR wrong number of arguments for 'hset' command");
    EXPECT_EQ(error_of([&] { ctx().execute_command("INCR %s", "k"); }),
              "REDIS: Command: INCR %s, error: ERR value is not an integer or out of range");
    EXPECT_EQ(ctx().get_value(key("k")), "notanumber");
}

TEST_F(redis_test, an_empty_command_fails_instead_of_waiting_for_an_answer) {
    // Redis sends no reply at all to an empty command.
    EXPECT_EQ(error_of([&] { ctx().execute_command_argv({}); }),
              "REDIS: Command: unknown, error: empty command");
    EXPECT_EQ(error_of([&] { ctx().execute_command(" "); }), "REDIS: Command:  , error: empty command");
    EXPECT_EQ(ctx().execute_command_argv({"PING"}).to_string(), "PONG");
}

TEST_F(redis_test, flush_db_empties_only_the_selected_database) {
    context_impl db3(server().host(), server().port(), 3, "", m_stop);
    db3.set_value(key("other"), "x");
    ctx().set_value(key("a"), "1");
    ctx().get_set(key("s"))->add("m");

    EXPECT_EQ(ctx().flush_db().to_string(), "OK");
    EXPECT_EQ(server().command("DBSIZE"), "0");
    EXPECT_EQ(db3.get_value(key("other")), "x");
}

// Records every failed reconnect and keeps the pause short.
class observed_context : public context_impl {
public:
    using context_impl::context_impl;

    // Waits (bounded) until a command has failed to reconnect at least once.
    bool wait_for_failed_connect() {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_condition.wait_for(lock, std::chrono::seconds(20), [&] { return m_failed > 0; });
    }

protected:
    void wait_after_failed_connect() const override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_failed;
        }
        m_condition.notify_all();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_condition;
    mutable int m_failed = 0;
};

TEST(redis_context_reconnect, a_command_waits_for_redis_and_is_sent_again) {
    orv::test::redis_server server;
    std::atomic<bool> stop{false};
    observed_context connection(server.host(), server.port(), 0, "", stop);
    connection.set_value(key("before"), "1");

    server.stop();
    auto pending = std::async(std::launch::async, [&] {
        return connection.execute_command_argv({"SET", "k", "after restart"}).to_string();
    });
    ASSERT_TRUE(connection.wait_for_failed_connect());
    server.start();

    EXPECT_EQ(pending.get(), "OK");
    EXPECT_EQ(server.command("GET k"), "after restart");
    EXPECT_EQ(connection.get_value(key("k")), "after restart");
}

TEST(redis_context_reconnect, the_stop_flag_ends_the_wait) {
    orv::test::redis_server server;
    std::atomic<bool> stop{false};
    observed_context connection(server.host(), server.port(), 0, "", stop);

    server.stop();
    auto pending = std::async(std::launch::async, [&] { return error_of([&] { connection.get_value(key("k")); }); });
    ASSERT_TRUE(connection.wait_for_failed_connect());
    stop = true;

    EXPECT_EQ(pending.get(), "Stopped");

    // The connection recovers once Redis is back and the flag is clear.
    server.start();
    stop = false;
    connection.set_value(key("k"), "v");
    EXPECT_EQ(server.command("GET k"), "v");
}

TEST(redis_context_reconnect, a_reconnect_that_cannot_select_the_database_is_not_used) {
    orv::test::redis_server server;
    std::atomic<bool> stop{false};
    observed_context connection(server.host(), server.port(), 7, "", stop);

    // The next reconnect gets through TCP but its SELECT is refused; the command
    // must not run on the new connection, which is still on database 0.
    server.command("ACL SETUSER default -select");
    server.command("CLIENT KILL TYPE normal");
    auto pending = std::async(std::launch::async, [&] {
        return connection.execute_command_argv({"SET", "k", "v"}).to_string();
    });
    ASSERT_TRUE(connection.wait_for_failed_connect());
    server.command("ACL SETUSER default +select");

    EXPECT_EQ(pending.get(), "OK");
    EXPECT_EQ(server.command_in_db(7, "GET k"), "v");
    EXPECT_EQ(server.command("GET k"), "(nil)");
}

} // namespace
} // namespace orv::redis::test
