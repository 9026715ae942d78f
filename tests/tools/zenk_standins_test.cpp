#include "standins/site.h"

#include "tools/http_test_client.h"

#include "support/temp_dir.h"
#include "utils/json.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <zmq.hpp>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;
using ::testing::HasSubstr;

namespace {

const std::string s_program = std::string(ORV_TOOLS_BINARY_DIR) + "/zenk-standins";

struct program_result {
    int exit_code = -1;
    std::string output; // standard output and error together
};

program_result run_to_end(const std::string& arguments) {
    program_result result;
    FILE* pipe = popen((s_program + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The program running in the background, its standard output read line by line.
class background_program {
public:
    explicit background_program(std::vector<std::string> arguments) {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            dup2(fds[1], STDERR_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::vector<char*> argv{const_cast<char*>(s_program.c_str())};
            for (auto& a : arguments)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(s_program.c_str(), argv.data());
            _exit(127);
        }
        close(fds[1]);
        m_fd = fds[0];
    }
    ~background_program() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_fd >= 0)
            close(m_fd);
    }

    // The first output line containing text, or an empty text after the time-out.
    std::string wait_for_line(const std::string& text, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            for (auto newline = m_buffer.find('\n'); newline != std::string::npos; newline = m_buffer.find('\n')) {
                std::string line = m_buffer.substr(0, newline);
                m_buffer.erase(0, newline + 1);
                m_lines += line + "\n";
                if (line.find(text) != std::string::npos)
                    return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return "";
            pollfd item{m_fd, POLLIN, 0};
            if (poll(&item, 1, static_cast<int>(left.count())) <= 0)
                return "";
            char chunk[4096];
            const ssize_t n = read(m_fd, chunk, sizeof chunk);
            if (n <= 0)
                return "";
            m_buffer.append(chunk, static_cast<std::size_t>(n));
        }
    }
    // Sends SIGINT and returns the exit code.
    int interrupt() {
        kill(m_pid, SIGINT);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& lines() const { return m_lines; }

private:
    pid_t m_pid = -1;
    int m_fd = -1;
    std::string m_buffer;
    std::string m_lines;
};

} // namespace

TEST(zenk_standins, help_generate_and_usage_errors) {
    const auto help = run_to_end("--help");
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_THAT(help.output, HasSubstr("Usage: zenk-standins"));

    const auto generated = run_to_end("generate --companies 1 --anchors 30 --bridge-every 3 --trackables 5");
    ASSERT_EQ(generated.exit_code, 0) << generated.output;
    const auto summary = orv::standins::summarize_site(orv::utils::json_parse(generated.output));
    EXPECT_EQ(summary.companies, 1u);
    EXPECT_EQ(summary.anchors, 30u);
    EXPECT_EQ(summary.bridges, 10u);
    EXPECT_EQ(summary.trackables, 5u);

    const std::pair<const char*, const char*> errors[] = {
        {"--bogus", "unknown option --bogus"},
        {"proxy --answer-delay soon", "--answer-delay needs a non-negative number"},
        {"all --site", "--site needs a value"},
        {"serve", "unknown command \"serve\""},
        {"local-server --local-port 0 --site /nonexistent.json", "cannot open site file /nonexistent.json"},
    };
    for (const auto& [arguments, message] : errors) {
        const auto result = run_to_end(arguments);
        EXPECT_EQ(result.exit_code, 2) << arguments;
        EXPECT_THAT(result.output, HasSubstr(message)) << arguments;
    }
}

TEST(zenk_standins, serves_all_three_and_summarises_on_interrupt) {
    orv::test::temp_dir dir;
    background_program program({"all", "--local-port", "0", "--output-port", "0", "--input-port", "0",
                                "--monitor-port", "0", "--requests-log", dir.file("requests.jsonl"),
                                "--scenario", std::string(ORV_TOOLS_SOURCE_DIR) + "/sites/sample-scenario.json"});
    const std::string config_line = program.wait_for_line("agent configuration: ", 10s);
    ASSERT_FALSE(config_line.empty()) << program.lines();
    const Json::Value config = orv::utils::json_parse(config_line.substr(config_line.find('{')));
    ASSERT_TRUE(program.wait_for_line("running", 5s).size()) << program.lines();

    orv::test::http_test_client client;
    const auto companies = client.get("http://" + config["local_server"]["address"].asString() +
                                      "/api/private/companies/");
    EXPECT_EQ(companies.status, 200);
    EXPECT_EQ(orv::utils::json_parse(companies.body)["companies"].size(), 2u);
    const std::string monitor = "http://127.0.0.1:" + std::to_string(config["monitor_server"]["port"].asInt());
    EXPECT_EQ(client.post(monitor + "/api/passport/login", R"({"email":"e","password":"p","server_uid":"u"})").status,
              200);

    // The scenario starts once someone subscribes, with a heartbeat first.
    zmq::context_t context{1};
    zmq::socket_t sub{context, zmq::socket_type::sub};
    sub.set(zmq::sockopt::linger, 0);
    sub.set(zmq::sockopt::rcvtimeo, 10000);
    sub.connect("tcp://127.0.0.1:" + std::to_string(config["proxy"]["output_port"].asInt()));
    sub.set(zmq::sockopt::subscribe, "#notify");
    zmq::message_t frame;
    ASSERT_TRUE(sub.recv(frame));
    const Json::Value first = orv::utils::json_parse(frame.to_string().substr(frame.to_string().find('{')));
    EXPECT_EQ(first["object"], "WIN");
    EXPECT_EQ(first["action"], "HB");

    EXPECT_EQ(program.interrupt(), 0);
    program.wait_for_line("\x01", 2s); // collect the rest of the output
    EXPECT_THAT(program.lines(), HasSubstr("local server: 1 requests, 0 alarm list updates"));
    EXPECT_THAT(program.lines(), HasSubstr("monitor server: 1 requests, 1 accepted, 1 logins"));
    EXPECT_THAT(program.lines(), HasSubstr("monitor server: POST /api/passport/login"));
}
