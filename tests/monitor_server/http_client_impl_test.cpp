#include "monitor_server/http_client_impl.h"

#include "standins/local_server.h"
#include "standins/monitor_server.h"
#include "support/curl_environment.h"
#include "support/syslog_capture.h"
#include "support/temp_dir.h"
#include "utils/exceptions.h"
#include "utils/json.h"
#include "utils/logger.h"
#include "utils/timestamp.h"

#include <curl/curl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <syslog.h>
#include <zmq.hpp>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using orv::monitor_server::http_client;
using orv::monitor_server::http_client_impl;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const http_client::login_credentials one_letter_credentials{"e", "p", "u"};

class http_client_impl_test : public ::testing::Test {
protected:
    std::unique_ptr<http_client_impl> make_client(const std::string& address, bool dry_run = false,
                                                  orv::server::zmq_socket_ptr debug_socket = nullptr) {
        return std::make_unique<http_client_impl>(
            "http", address, "", "", 0, m_log, std::move(debug_socket), dry_run,
            orv::server::timeout{5}, m_should_stop, [this](std::chrono::milliseconds period) {
                m_sleeps.push_back(period);
                if (m_stop_after_sleeps > 0 && m_sleeps.size() >= m_stop_after_sleeps) {
                    m_should_stop = true;
                }
            });
    }

    orv::utils::logger m_log{orv::utils::logger::verbose{false},
                             orv::utils::logger::log_stacktrace{false},
                             orv::utils::logger::log_exceptions{true}};
    std::atomic<bool> m_should_stop{false};
    std::vector<std::chrono::milliseconds> m_sleeps;
    std::size_t m_stop_after_sleeps = 0; // 0: never set the stop flag
    orv::standins::monitor_server m_monitor;
};

TEST_F(http_client_impl_test, login_posts_the_compact_credentials) {
    auto client = make_client(m_monitor.address());
    client->login(one_letter_credentials);

    const auto requests = m_monitor.accepted(orv::standins::monitor_server::login_path);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/api/passport/login");
    EXPECT_EQ(requests[0].content_type, "application/json");
    EXPECT_EQ(requests[0].body, R"({"email":"e","password":"p","server_uid":"u"})");
    EXPECT_EQ(requests[0].body.size(), 45u);
    EXPECT_EQ(m_monitor.logins(), 1u);
}

TEST_F(http_client_impl_test, every_operation_posts_its_body_to_its_path_with_the_session_cookie) {
    auto client = make_client(m_monitor.address());
    client->login(one_letter_credentials);
    m_monitor.clear_records();

    const std::string notify = R"({"object":"X","server_uid":"u"})";
    struct operation_case {
        std::string path;
        std::string body;
        std::function<void()> call;
    };
    const std::vector<operation_case> cases = {
        {"/api/agent/events", R"({"events":[{"a":1}]})",
         [&] { client->send_events(R"({"events":[{"a":1}]})"); }},
        {"/api/agent/companies/notify", notify, [&] { client->send_company_notify(notify); }},
        {"/api/agent/projects/notify", notify, [&] { client->send_project_notify(notify); }},
        {"/api/agent/locations/notify", notify, [&] { client->send_location_notify(notify); }},
        {"/api/agent/sublocations/notify", notify, [&] { client->send_sublocation_notify(notify); }},
        {"/api/agent/users/notify", notify, [&] { client->send_user_notify(notify); }},
        {"/api/agent/anchors/notify", notify, [&] { client->send_anchor_notify(notify); }},
        {"/api/agent/companies/snapshot", R"({"company":{"server_uid":"u","uid":"C1"}})",
         [&] { client->send_snapshot(R"({"company":{"server_uid":"u","uid":"C1"}})"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        m_monitor.clear_records();
        c.call();
        const auto requests = m_monitor.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].status, 200);
        EXPECT_EQ(requests[0].method, "POST");
        EXPECT_EQ(requests[0].target, c.path);
        EXPECT_EQ(requests[0].body, c.body);
        EXPECT_EQ(requests[0].content_type, "application/json");
        EXPECT_THAT(requests[0].cookie,
                    HasSubstr(std::string(orv::standins::monitor_server::session_cookie) + "="));
    }
}

TEST_F(http_client_impl_test, ping_requests_the_decimal_uptime) {
    auto client = make_client(m_monitor.address());
    client->login(one_letter_credentials);
    const std::vector<std::pair<int, std::string>> cases = {
        {0, "/api/agent/events/ping?uptime=0"},
        {123456, "/api/agent/events/ping?uptime=123456"},
        {-42, "/api/agent/events/ping?uptime=-42"},
    };
    for (const auto& [uptime, target] : cases) {
        SCOPED_TRACE(target);
        m_monitor.clear_records();
        client->ping(uptime);
        const auto requests = m_monitor.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].method, "GET");
        EXPECT_EQ(requests[0].target, target);
        EXPECT_EQ(requests[0].body, "");
    }
}

TEST_F(http_client_impl_test, request_without_a_session_raises_401_with_its_details) {
    auto client = make_client(m_monitor.address());
    client->login(one_letter_credentials);
    m_monitor.end_session();
    try {
        client->send_events(R"({"events":[]})");
        FAIL() << "no exception";
    } catch (const orv::http_request_unsuccessful_exception& e) {
        EXPECT_EQ(e.get_http_code(), 401);
        EXPECT_EQ(e.get_url(), m_monitor.address() + "/api/agent/events");
        EXPECT_EQ(e.get_type(), "POST");
    }
    // A new login opens a new session and the same request goes through.
    client->login(one_letter_credentials);
    EXPECT_NO_THROW(client->send_events(R"({"events":[]})"));
    EXPECT_EQ(m_monitor.accepted(orv::standins::monitor_server::events_path).size(), 1u);
}

TEST_F(http_client_impl_test, cookies_are_not_shared_between_client_objects) {
    auto first = make_client(m_monitor.address());
    auto second = make_client(m_monitor.address());
    first->login(one_letter_credentials);
    EXPECT_NO_THROW(first->send_events(R"({"events":[]})"));
    EXPECT_THROW(second->send_events(R"({"events":[]})"), orv::http_request_unsuccessful_exception);
}

// The monitor server stand-in cannot redirect; the local server stand-in answers
// scripted statuses on any path.
TEST_F(http_client_impl_test, login_redirected_with_302_succeeds_on_the_final_200) {
    orv::standins::local_server redirecting{Json::Value(Json::objectValue)};
    orv::standins::local_server::scripted_answer moved;
    moved.path = "/api/passport/login";
    moved.status = 302;
    moved.location = "/api/passport/login2";
    redirecting.script(moved);
    orv::standins::local_server::scripted_answer ok;
    ok.path = "/api/passport/login2";
    ok.status = 200;
    ok.body = "{}";
    redirecting.script(ok);

    auto client = make_client(redirecting.address());
    EXPECT_NO_THROW(client->login(one_letter_credentials));
    const auto requests = redirecting.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "/api/passport/login");
    // The redirected request carries the credentials again, not an empty POST.
    EXPECT_EQ(requests[1].target, "/api/passport/login2");
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].body, requests[0].body);
    EXPECT_EQ(requests[1].content_type, "application/json");
}

TEST_F(http_client_impl_test, dry_run_completes_every_operation_without_sending) {
    auto dry = make_client(m_monitor.address(), true);
    EXPECT_NO_THROW(dry->login(one_letter_credentials));
    EXPECT_NO_THROW(dry->send_events(R"({"events":[]})"));
    EXPECT_NO_THROW(dry->send_snapshot("{}"));
    EXPECT_NO_THROW(dry->ping(5));
    // Without a session the stand-in would have answered 401: nothing reached it.
    EXPECT_TRUE(m_monitor.requests().empty());

    auto real = make_client(m_monitor.address());
    real->login(one_letter_credentials);
    EXPECT_EQ(m_monitor.requests().size(), 1u);
}

TEST_F(http_client_impl_test, retry_repeats_every_ten_seconds_until_success_or_stop) {
    orv::test::syslog_capture syslog;
    auto client = make_client(m_monitor.address());

    // Fails twice without a session, then logs in on the third attempt.
    int calls = 0;
    client->retry_until_success([&] {
        if (++calls == 3) {
            client->login(one_letter_credentials);
        }
        client->ping(1);
    });
    EXPECT_EQ(calls, 3);
    EXPECT_THAT(m_sleeps, ElementsAre(10000ms, 10000ms));
    EXPECT_THAT(syslog.lines(LOG_ERR),
                ::testing::Contains("GET " + m_monitor.address() +
                                    "/api/agent/events/ping?uptime=1 returns code 401"));

    m_sleeps.clear();
    m_stop_after_sleeps = 1;
    calls = 0;
    try {
        client->retry_until_success([&] {
            ++calls;
            ORV_THROW_MSG("always failing");
        });
        FAIL() << "no exception";
    } catch (const orv::exception& e) {
        EXPECT_STREQ(e.what(), "Stopped");
    }
    EXPECT_EQ(calls, 1);
    EXPECT_THAT(m_sleeps, ElementsAre(10000ms));
    EXPECT_THAT(syslog.lines(LOG_ERR), ::testing::Contains("always failing"));
}

TEST_F(http_client_impl_test, trace_names_the_snapshot_before_and_a_notify_path_after_sending) {
    orv::utils::logger verbose{orv::utils::logger::verbose{true},
                               orv::utils::logger::log_stacktrace{false},
                               orv::utils::logger::log_exceptions{true}};
    const std::string down = "http://127.0.0.1:" + std::to_string(orv::test::free_port());
    auto make = [&](const std::string& address) {
        return std::make_unique<http_client_impl>("http", address, "", "", 0, verbose, nullptr,
                                                  false, orv::server::timeout{5}, m_should_stop);
    };

    ::testing::internal::CaptureStdout();
    EXPECT_THROW(make(down)->send_snapshot("{}"), orv::exception);
    EXPECT_THROW(make(down)->send_company_notify("{}"), orv::exception);
    const std::string failed = ::testing::internal::GetCapturedStdout();
    EXPECT_THAT(failed, HasSubstr("|  snapshot"));
    EXPECT_THAT(failed, ::testing::Not(HasSubstr("/api/agent/companies/notify")));

    auto client = make(m_monitor.address());
    client->login(one_letter_credentials);
    ::testing::internal::CaptureStdout();
    EXPECT_NO_THROW(client->send_company_notify(R"({"server_uid":"u"})"));
    EXPECT_THAT(::testing::internal::GetCapturedStdout(),
                HasSubstr("|  /api/agent/companies/notify"));
}

// Receives the mirror's messages. An XPUB socket stands in for the PUB socket: it
// reports the subscription, so the test knows the subscriber is connected before
// the first request instead of waiting for it.
class debug_mirror {
public:
    debug_mirror() : m_publisher(m_context, zmq::socket_type::xpub), m_subscriber(m_context, zmq::socket_type::sub) {
        m_publisher.bind("tcp://127.0.0.1:*");
        m_subscriber.set(zmq::sockopt::rcvtimeo, 5000);
        m_subscriber.set(zmq::sockopt::subscribe, "");
        m_subscriber.connect(m_publisher.get(zmq::sockopt::last_endpoint));
        m_publisher.set(zmq::sockopt::rcvtimeo, 5000);
        zmq::message_t subscription;
        const auto received = m_publisher.recv(subscription);
        if (!received || subscription.size() != 1 || subscription.data<char>()[0] != 1) {
            throw std::runtime_error("subscriber did not connect");
        }
    }

    orv::server::zmq_socket_ptr take_publisher() {
        return std::make_unique<zmq::socket_t>(std::move(m_publisher));
    }

    // One raw message; empty when none came in time.
    std::string receive() {
        zmq::message_t message;
        if (!m_subscriber.recv(message)) {
            return "";
        }
        return message.to_string();
    }

private:
    zmq::context_t m_context;
    zmq::socket_t m_publisher;
    zmq::socket_t m_subscriber;
};

TEST_F(http_client_impl_test, debug_mirror_publishes_each_request_with_members_in_order) {
    debug_mirror mirror;
    auto client = make_client(m_monitor.address(), false, mirror.take_publisher());
    const auto before = orv::utils::timestamp::current_time();
    client->login(one_letter_credentials);
    client->send_events(R"({"events":[{"a":1}]})");

    const std::string login_message = mirror.receive();
    const std::string events_message = mirror.receive();
    for (const auto* raw : {&login_message, &events_message}) {
        ASSERT_FALSE(raw->empty());
        EXPECT_EQ(raw->back(), '\0');
        const std::string text = raw->substr(0, raw->size() - 1);
        std::size_t position = 0;
        for (const char* member : {"\"url\":", "\"http_code\":", "\"answer\":", "\"data\":",
                                   "\"cookies\":", "\"client_id\":", "\"base_address\":",
                                   "\"timestamp\":"}) {
            const auto found = text.find(member, position);
            ASSERT_NE(found, std::string::npos) << member << " in " << text;
            position = found;
        }
    }

    const Json::Value login = orv::utils::json_parse(login_message.substr(0, login_message.size() - 1));
    EXPECT_EQ(login["url"].asString(), m_monitor.address() + "/api/passport/login");
    EXPECT_EQ(login["http_code"].asInt(), 200);
    EXPECT_EQ(login["data"], orv::utils::json_parse(R"({"email":"e","password":"p","server_uid":"u"})"));
    EXPECT_EQ(login["base_address"].asString(), m_monitor.address());
    EXPECT_TRUE(login["client_id"].isIntegral());
    const auto stamp = orv::utils::timestamp::try_parse(login["timestamp"].asString());
    ASSERT_TRUE(stamp.has_value());
    EXPECT_GE(stamp->milliseconds_since_epoch() + 1000, before.milliseconds_since_epoch());

    const Json::Value events = orv::utils::json_parse(events_message.substr(0, events_message.size() - 1));
    EXPECT_EQ(events["url"].asString(), m_monitor.address() + "/api/agent/events");
    EXPECT_EQ(events["data"], orv::utils::json_parse(R"({"events":[{"a":1}]})"));
    EXPECT_EQ(events["client_id"], login["client_id"]);
    ASSERT_TRUE(events["cookies"].isArray());
    ASSERT_EQ(events["cookies"].size(), 1u);
    EXPECT_THAT(events["cookies"][0].asString(),
                HasSubstr(std::string("\t") + orv::standins::monitor_server::session_cookie + "\t"));
}

TEST_F(http_client_impl_test, debug_mirror_keeps_a_non_json_answer_as_text_and_reports_failures) {
    orv::standins::local_server plain{Json::Value(Json::objectValue)};
    orv::standins::local_server::scripted_answer refused;
    refused.path = "/api/agent/events";
    refused.status = 503;
    refused.body = "try later";
    refused.content_type = "text/plain";
    plain.script(refused);

    debug_mirror mirror;
    auto client = make_client(plain.address(), false, mirror.take_publisher());
    EXPECT_THROW(client->send_events("not json"), orv::http_request_unsuccessful_exception);

    const std::string raw = mirror.receive();
    ASSERT_FALSE(raw.empty());
    const Json::Value message = orv::utils::json_parse(raw.substr(0, raw.size() - 1));
    EXPECT_EQ(message["http_code"].asInt(), 503);
    EXPECT_EQ(message["answer"], Json::Value("try later"));
    EXPECT_EQ(message["data"], Json::Value("not json"));
    EXPECT_EQ(message["cookies"], Json::Value(Json::arrayValue));
}

} // namespace
