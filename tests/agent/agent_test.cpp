#include "agent.h"
#include "config.h"

#include "utils/json.h"

#include "agent_fixture.h"
#include "support/agent_config.h"
#include "support/child_process.h"
#include "support/redis_server.h"
#include "support/syslog_capture.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

namespace orv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// Runs agent_main in this process with the given arguments.
int run_agent_main(std::vector<std::string> args, std::atomic<bool>& stop) {
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    return agent_main(static_cast<int>(args.size()), argv.data(), stop);
}

// A pid that belonged to a process that has ended (and been reaped).
pid_t dead_pid() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return pid;
}

class agent_command_line_test : public ::testing::Test {
protected:
    test::temp_dir m_dir;
    test::syslog_capture m_syslog;
    std::atomic<bool> m_stop{false};
};

TEST_F(agent_command_line_test, without_config_file_exits_1) {
    EXPECT_EQ(1, run_agent_main({"/usr/sbin/agent"}, m_stop));
    EXPECT_THAT(m_syslog.lines(LOG_ERR),
                ElementsAre("The configuration file is not defined! Usage: /usr/sbin/agent -c config_file\n"));
    EXPECT_THAT(m_syslog.lines(LOG_INFO), ElementsAre("Starting zenk-monitor-agent"));
}

TEST_F(agent_command_line_test, unknown_option_prints_usage_and_exits_1) {
    EXPECT_EQ(1, run_agent_main({"agent", "-x", "-c", "file"}, m_stop));
    EXPECT_THAT(m_syslog.lines(LOG_INFO),
                ElementsAre("Starting zenk-monitor-agent", "Usage: agent -c config_file"));
}

TEST_F(agent_command_line_test, invalid_configuration_is_logged_once_and_exits_1) {
    auto config = test::make_agent_config(m_dir, 1);
    config["redis"].removeMember("port");
    config["system"].removeMember("pidfile");
    const auto invalid = test::write_agent_config(m_dir, config, "invalid.json");
    const auto broken = m_dir.write("broken.json", "{ not json");

    // With -c twice the last file is the one read: the broken first file is never parsed.
    EXPECT_EQ(1, run_agent_main({"agent", "-c", broken, "-c", invalid}, m_stop));

    const auto errors = m_syslog.lines(LOG_ERR);
    ASSERT_EQ(2u, errors.size());
    EXPECT_THAT(errors[0], HasSubstr("config.cpp:"));
    EXPECT_THAT(errors[0], ::testing::StartsWith("in "));
    // One reason line per key, pidfile before redis.port, nothing else.
    EXPECT_EQ("Config file is invalid: Can not find field <string>: system.pidfile\n"
              "Can not find field <int>: redis.port",
              errors[1]);
}

class application_test : public test::agent_fixture {
protected:
    test::syslog_capture m_syslog;
};

TEST_F(application_test, pid_file_of_a_running_process_stops_the_start_untouched) {
    auto json = test::make_agent_config(*s_dir, s_redis->port());
    test::child_process running("/bin/sleep", {"60"});
    const std::string running_pid = std::to_string(running.pid());
    const auto pid_file = s_dir->write("running.pid", running_pid);
    json["system"]["pidfile"] = pid_file;
    auto cfg = make_config(json);
    application app(cfg, m_stop);

    EXPECT_EQ(1, app.run());
    EXPECT_EQ(running_pid, read_file(pid_file));
    const auto errors = m_syslog.lines(LOG_ERR);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ("Process is running", errors.back());
}

TEST_F(application_test, stale_empty_or_zero_pid_file_is_overwritten) {
    // A negative number is no process (kill(-1, 0) would answer for every process),
    // and our own pid cannot be a previous instance's.
    for (const std::string& content : {std::to_string(dead_pid()), std::string(), std::string("0"),
                                      std::string("not a number"), std::string("-1"),
                                      std::to_string(::getpid())}) {
        auto json = test::make_agent_config(*s_dir, s_redis->port());
        const auto pid_file = s_dir->write("stale.pid", content);
        json["system"]["pidfile"] = pid_file;
        auto cfg = make_config(json);
        application app(cfg, m_stop);

        app.write_pid(pid_file);
        EXPECT_EQ(std::to_string(::getpid()), read_file(pid_file)) << "content: " << content;
        EXPECT_EQ(application::execution_state::SEND_TO_SERVER_ONLY, app.next_state());
    }
}

TEST_F(application_test, unwritable_pid_file_is_an_error) {
    auto json = test::make_agent_config(*s_dir, s_redis->port());
    json["system"]["pidfile"] = s_dir->file("missing-dir/agent.pid");
    auto cfg = make_config(json);
    application app(cfg, m_stop);
    EXPECT_EQ(1, app.run());
    EXPECT_EQ("Error opening pid-file", m_syslog.lines(LOG_ERR).back());
}

TEST(application_queue_size, thresholds_are_strict) {
    struct {
        std::int64_t size;
        bool too_big;
        bool small_enough;
    } const cases[] = {
        {0, false, true},
        {99614719, false, true},
        {99614720, false, false},
        {104857600, false, false},
        {104857601, true, false},
        // Beyond 4 GiB the sum must not wrap around.
        {5'000'000'000, true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.too_big, application::is_queue_too_big(c.size)) << c.size;
        EXPECT_EQ(c.small_enough, application::is_queue_small_enough(c.size)) << c.size;
    }
}

TEST_F(application_test, empty_queues_lead_straight_to_normal_run) {
    auto cfg = make_config(test::make_agent_config(*s_dir, s_redis->port()));
    application app(cfg, m_stop);
    app.send_to_server_only();
    EXPECT_EQ(application::execution_state::NORMAL_RUN, app.next_state());
}

TEST_F(application_test, stored_agent_uid_that_differs_stops_normal_run) {
    auto cfg = make_config(test::make_agent_config(*s_dir, s_redis->port(), "new-uid"));
    application app(cfg, m_stop); // brings the database to the current layout first
    s_redis->command_in_db(7, "HSET monitor_server:data agent_uid %s", "old-uid");

    EXPECT_THROW(app.normal_run(), orv::exception);
    try {
        app.normal_run();
    } catch (const orv::exception& e) {
        EXPECT_STREQ("Server uid was changed! old uid: 'old-uid', new uid: 'new-uid'.", e.what());
    }
}

// The daemon itself: pid file, a second instance, and SIGTERM.
TEST_F(application_test, daemon_writes_pid_refuses_second_instance_and_stops_on_sigterm) {
    test::temp_dir dir;
    const auto config_path = test::write_agent_config(dir, test::make_agent_config(dir, s_redis->port()));
    const auto pid_file = dir.file("agent.pid");
    const auto program = test::built_program("src/zenk-monitor-agent");

    test::child_process agent(program, {"-c", config_path});
    ASSERT_TRUE(test::wait_until([&] { return read_file(pid_file) == std::to_string(agent.pid()); },
                                 std::chrono::seconds(20)))
        << "pid file: '" << read_file(pid_file) << "'";

    test::child_process second(program, {"-c", config_path});
    EXPECT_EQ(1, second.wait_for_exit(std::chrono::seconds(20)));
    EXPECT_EQ(std::to_string(agent.pid()), read_file(pid_file));

    // Let the first instance reach its running loop, then ask it to stop.
    ASSERT_TRUE(test::wait_until([&] { return s_redis->command_in_db(7, "HGET agent start_time") != "(nil)"; },
                                 std::chrono::seconds(20)));
    agent.signal(SIGTERM);
    EXPECT_EQ(0, agent.wait_for_exit(std::chrono::seconds(5)));
}

} // namespace
} // namespace orv
