#include "standins/monitor_server.h"

#include "tools/http_test_client.h"

#include "support/temp_dir.h"
#include "utils/exceptions.h"
#include "utils/json.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <thread>

using namespace orv::standins;
using namespace std::chrono_literals;
using orv::test::http_test_client;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

const std::string s_login = R"({"email":"e","password":"p","server_uid":"u"})";

class monitor_server_test : public ::testing::Test {
protected:
    orv::test::temp_dir dir;
    std::string log_path = dir.file("requests.jsonl");
    monitor_server server{"127.0.0.1", 0, log_path};
    http_test_client client;

    std::string url(const std::string& path) const { return server.address() + path; }
    long login() { return client.post(url(monitor_server::login_path), s_login).status; }
    std::vector<int> statuses() const {
        std::vector<int> result;
        for (const auto& r : server.requests())
            result.push_back(r.status);
        return result;
    }
};

// Each request the agent makes, with a valid body.
struct agent_request {
    const char* method;
    std::string target;
    std::string body;
};
const agent_request s_agent_requests[] = {
    {"POST", monitor_server::events_path, R"({"events":[{"uid":"e1"}]})"},
    {"POST", monitor_server::companies_notify_path, R"({"object":"COMPANY","server_uid":"u"})"},
    {"POST", monitor_server::projects_notify_path, R"({"object":"PROJECT","server_uid":"u"})"},
    {"POST", monitor_server::locations_notify_path, R"({"object":"LOCATION","server_uid":"u"})"},
    {"POST", monitor_server::sublocations_notify_path, R"({"object":"SUBLOCATION","server_uid":"u"})"},
    {"POST", monitor_server::users_notify_path, R"({"object":"USER","server_uid":"u"})"},
    {"POST", monitor_server::anchors_notify_path, R"({"object":"WIN_ANCHOR","server_uid":"u"})"},
    {"POST", monitor_server::snapshot_path, R"({"company":{"uid":"c","server_uid":"u","projects":[]}})"},
    {"GET", std::string(monitor_server::ping_path) + "?uptime=123456", ""},
};

} // namespace

TEST_F(monitor_server_test, requests_need_the_session_cookie_of_a_login) {
    for (const auto& r : s_agent_requests)
        EXPECT_EQ(client.request(r.method, url(r.target), r.body).status, 401) << r.target;
    EXPECT_EQ(login(), 200);
    EXPECT_EQ(server.logins(), 1u);
    for (const auto& r : s_agent_requests)
        EXPECT_EQ(client.request(r.method, url(r.target), r.body).status, 200) << r.target;

    // A client without the cookie is still refused.
    http_test_client stranger;
    EXPECT_EQ(stranger.post(url(monitor_server::events_path), s_agent_requests[0].body).status, 401);

    const auto accepted = server.accepted();
    ASSERT_EQ(accepted.size(), 1 + std::size(s_agent_requests));
    EXPECT_EQ(accepted[0].path, monitor_server::login_path);
    EXPECT_EQ(accepted[0].json["server_uid"], "u");
    for (std::size_t i = 0; i < std::size(s_agent_requests); ++i) {
        EXPECT_EQ(accepted[i + 1].target, s_agent_requests[i].target);
        EXPECT_EQ(accepted[i + 1].body, s_agent_requests[i].body);
        EXPECT_THAT(accepted[i + 1].cookie, HasSubstr(std::string(monitor_server::session_cookie) + "="));
    }
    EXPECT_EQ(accepted.back().query.find("uptime")->second, "123456");
    EXPECT_EQ(server.accepted(monitor_server::anchors_notify_path).size(), 1u);
    ASSERT_EQ(server.accepted_events().size(), 1u);
    EXPECT_EQ(server.accepted_events()[0]["uid"], "e1");
    EXPECT_EQ(server.requests().size(), accepted.size() + std::size(s_agent_requests) + 1);
}

TEST_F(monitor_server_test, malformed_requests_are_refused) {
    ASSERT_EQ(login(), 200);
    struct case_t {
        const char* method;
        std::string target;
        std::string body;
        std::string content_type;
        long status;
    } cases[] = {
        {"POST", monitor_server::events_path, R"({"events":{}})", "application/json", 400},
        {"POST", monitor_server::events_path, "[1]", "application/json", 400},
        {"POST", monitor_server::events_path, "{broken", "application/json", 400},
        {"POST", monitor_server::events_path, R"({"events":[]})", "text/plain", 415},
        {"POST", monitor_server::events_path, R"({"events":[]})", "", 415},
        {"POST", monitor_server::anchors_notify_path, R"({"object":"WIN_ANCHOR"})", "application/json", 400},
        {"POST", monitor_server::snapshot_path, R"({"company":{"uid":"c"},"server_uid":"u"})", "application/json", 400},
        {"POST", monitor_server::login_path, R"({"email":"e","password":"p"})", "application/json", 400},
        {"GET", std::string(monitor_server::ping_path) + "?uptime=12x", "", "", 400},
        {"GET", monitor_server::ping_path, "", "", 400},
        {"GET", std::string(monitor_server::ping_path) + "?uptime=-5", "", "", 200},
        {"GET", std::string(monitor_server::ping_path) + "?uptime=0", "", "", 200},
        {"GET", monitor_server::events_path, "", "", 405},
        {"POST", "/api/agent/trackables/notify", R"({"server_uid":"u"})", "application/json", 404},
    };
    for (const auto& c : cases)
        EXPECT_EQ(client.request(c.method, url(c.target), c.body, c.content_type).status, c.status)
            << c.method << " " << c.target << " " << c.body << " (" << c.content_type << ")";
    EXPECT_EQ(server.accepted().size(), 3u);
}

TEST_F(monitor_server_test, credentials_and_ended_sessions) {
    server.set_credentials("e", "secret");
    EXPECT_EQ(login(), 401);
    EXPECT_EQ(client.post(url(monitor_server::login_path), R"({"email":"e","password":"secret","server_uid":"u"})")
                  .status,
              200);
    EXPECT_EQ(client.post(url(monitor_server::events_path), R"({"events":[]})").status, 200);

    server.end_session();
    EXPECT_EQ(client.post(url(monitor_server::events_path), R"({"events":[]})").status, 401);
    EXPECT_EQ(client.post(url(monitor_server::login_path), R"({"email":"e","password":"secret","server_uid":"u"})")
                  .status,
              200);
    EXPECT_EQ(client.post(url(monitor_server::events_path), R"({"events":[]})").status, 200);
    EXPECT_EQ(server.logins(), 2u);
    EXPECT_THAT(statuses(), ElementsAre(401, 200, 200, 401, 200, 200));
}

TEST_F(monitor_server_test, scripted_failures_then_normal_answers) {
    ASSERT_EQ(login(), 200);
    server.fail_next(503, 2, monitor_server::events_path);
    server.fail_next(401, 1);
    const std::string events = R"({"events":[{"uid":"x"}]})";
    EXPECT_EQ(client.post(url(monitor_server::events_path), events).status, 503);
    EXPECT_EQ(client.post(url(monitor_server::anchors_notify_path), R"({"server_uid":"u"})").status, 401);
    EXPECT_EQ(client.post(url(monitor_server::events_path), events).status, 503);
    EXPECT_EQ(client.post(url(monitor_server::events_path), events).status, 200);
    EXPECT_EQ(client.post(url(monitor_server::anchors_notify_path), R"({"server_uid":"u"})").status, 200);
    EXPECT_EQ(server.accepted(monitor_server::events_path).size(), 1u);
    EXPECT_EQ(server.accepted_events().size(), 1u);

    // A scripted 2xx is accepted whatever the body.
    server.fail_next(201, 1, monitor_server::events_path);
    EXPECT_EQ(client.post(url(monitor_server::events_path), "{}").status, 201);
    EXPECT_EQ(server.accepted(monitor_server::events_path).size(), 2u);
}

TEST_F(monitor_server_test, dropped_connections_give_no_answer) {
    ASSERT_EQ(login(), 200);
    server.drop_next(1, monitor_server::events_path);
    const auto dropped = client.post(url(monitor_server::events_path), R"({"events":[]})");
    EXPECT_NE(dropped.code, CURLE_OK);
    EXPECT_EQ(dropped.status, 0);
    EXPECT_EQ(client.post(url(monitor_server::events_path), R"({"events":[]})").status, 200);
    EXPECT_THAT(statuses(), ElementsAre(200, 0, 200));
}

TEST_F(monitor_server_test, slow_answers_run_into_the_client_time_out) {
    ASSERT_EQ(login(), 200);
    server.set_delay(500ms);
    const auto slow = client.request("POST", url(monitor_server::events_path), R"({"events":[]})",
                                     "application/json", 100);
    EXPECT_EQ(slow.code, CURLE_OPERATION_TIMEDOUT);
    server.set_delay(0ms);
    ASSERT_TRUE(server.wait_for_requests(2, 5s)) << "the slow request is still recorded";
    EXPECT_EQ(server.requests()[1].path, monitor_server::events_path);
}

TEST_F(monitor_server_test, concurrent_clients_are_all_recorded_and_awaitable) {
    constexpr int clients = 4, per_client = 25;
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            http_test_client own;
            own.post(url(monitor_server::login_path), s_login);
            for (int i = 0; i < per_client; ++i)
                own.post(url(monitor_server::events_path),
                         R"({"events":[{"uid":")" + std::to_string(c * per_client + i) + "\"}]}");
        });
    EXPECT_TRUE(server.wait_for_accepted(clients * per_client, 10s, monitor_server::events_path));
    for (auto& t : threads)
        t.join();
    std::set<std::string> uids;
    for (const auto& event : server.accepted_events())
        uids.insert(event["uid"].asString());
    EXPECT_EQ(uids.size(), static_cast<std::size_t>(clients * per_client));
    EXPECT_FALSE(server.wait_for_accepted(clients * per_client + clients + 1, 50ms));
}

TEST_F(monitor_server_test, writes_one_json_line_per_request) {
    ASSERT_EQ(login(), 200);
    EXPECT_EQ(client.post(url(monitor_server::events_path), "not json").status, 400);
    std::ifstream in(log_path);
    std::vector<Json::Value> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(orv::utils::json_parse(line));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["target"], monitor_server::login_path);
    EXPECT_EQ(lines[0]["status"], 200);
    EXPECT_EQ(lines[0]["body"]["server_uid"], "u");
    EXPECT_EQ(lines[1]["status"], 400);
    EXPECT_EQ(lines[1]["body"], "not json");
}
