#include "server.h"

#include "standins/local_server.h"
#include "support/curl_environment.h"
#include "support/temp_dir.h"
#include "utils/exceptions.h"
#include "utils/logger.h"

#include <curl/curl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using orv::standins::local_server;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class server_test : public ::testing::Test {
protected:
    std::unique_ptr<orv::server> make_server(const std::string& address, std::int64_t timeout = 5,
                                             bool dry_run = false, std::uint32_t port = 0,
                                             const std::string& protocol = "http",
                                             const std::string& login = "",
                                             const std::string& password = "") {
        return std::make_unique<orv::server>(protocol, address, login, password, port, m_log,
                                             nullptr, dry_run, orv::server::timeout{timeout});
    }

    // Answers every request to `path` with 200 and `body`.
    void answer_always(const std::string& path, const std::string& body) {
        local_server::scripted_answer answer;
        answer.path = path;
        answer.status = 200;
        answer.body = body;
        answer.times = -1;
        m_local.script(answer);
    }

    orv::utils::logger m_log{orv::utils::logger::verbose{false},
                             orv::utils::logger::log_stacktrace{false},
                             orv::utils::logger::log_exceptions{true}};
    local_server m_local{Json::Value(Json::objectValue)};
};

TEST_F(server_test, each_method_sends_its_verb_and_a_json_body_only_with_data) {
    answer_always("/x", "answer-text");
    auto client = make_server(m_local.address());

    struct request_case {
        std::string method;
        std::string data;
        std::function<void(std::stringstream&)> send;
    };
    const std::vector<request_case> cases = {
        {"GET", "", [&](std::stringstream& out) { client->curl_get_request("/x", out); }},
        {"POST", "{\"a\":1}",
         [&](std::stringstream& out) { client->curl_post_request("/x", out, "{\"a\":1}"); }},
        {"PUT", "[1,2]", [&](std::stringstream& out) { client->curl_put_request("/x", out, "[1,2]"); }},
        {"DELETE", "", [&](std::stringstream& out) { client->curl_del_request("/x", out); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method + " " + c.data);
        m_local.clear_records();
        std::stringstream answer;
        c.send(answer);
        EXPECT_EQ(answer.str(), "answer-text");
        const auto requests = m_local.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].method, c.method);
        EXPECT_EQ(requests[0].target, "/x");
        EXPECT_EQ(requests[0].body, c.data);
        EXPECT_EQ(requests[0].content_type, c.data.empty() ? "" : "application/json");
    }
}

TEST_F(server_test, url_is_address_and_path_with_default_protocol_and_explicit_port) {
    answer_always("/api/y", "{}");
    const std::string host_port = "127.0.0.1:" + std::to_string(m_local.port());
    struct address_case {
        std::string protocol;
        std::string address;
        std::uint32_t port;
    };
    const std::vector<address_case> cases = {
        {"http", m_local.address(), 0},
        {"http", host_port, 0},                               // no scheme: default protocol
        {"http", "127.0.0.1", static_cast<std::uint32_t>(m_local.port())}, // explicit port
        {"http", "http://127.0.0.1:1", static_cast<std::uint32_t>(m_local.port())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address + " port " + std::to_string(c.port));
        m_local.clear_records();
        auto client = make_server(c.address, 5, false, c.port, c.protocol);
        std::stringstream answer;
        client->curl_get_request("/api/y", answer);
        ASSERT_EQ(m_local.request_count(), 1u);
        EXPECT_EQ(m_local.requests()[0].target, "/api/y");
    }
}

TEST_F(server_test, status_outside_2xx_raises_with_code_url_method_and_answer) {
    local_server::scripted_answer denied;
    denied.path = "/secret";
    denied.status = 401;
    denied.body = "denied";
    denied.content_type = "text/plain";
    m_local.script(denied);
    auto client = make_server(m_local.address());

    std::stringstream answer;
    try {
        client->curl_post_request("/secret", answer, "{}");
        FAIL() << "no exception";
    } catch (const orv::http_request_unsuccessful_exception& e) {
        EXPECT_EQ(e.get_http_code(), 401);
        EXPECT_EQ(e.get_url(), m_local.address() + "/secret");
        EXPECT_EQ(e.get_type(), "POST");
        EXPECT_EQ(e.get_answer(), "denied");
        EXPECT_THAT(e.get_file(), HasSubstr("server.cpp"));
    }
}

TEST_F(server_test, status_boundaries_decide_success) {
    struct status_case {
        int status;
        bool ok;
    };
    const std::vector<status_case> cases = {{200, true}, {204, true}, {299, true},
                                            {300, false}, {404, false}, {500, false}};
    auto client = make_server(m_local.address());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        local_server::scripted_answer answer;
        answer.path = "/s";
        answer.status = c.status;
        m_local.script(answer);
        std::stringstream out;
        if (c.ok) {
            EXPECT_NO_THROW(client->curl_get_request("/s", out));
        } else {
            EXPECT_THROW(client->curl_get_request("/s", out), orv::http_request_unsuccessful_exception);
        }
        m_local.clear_script();
    }
}

TEST_F(server_test, redirect_is_followed_and_the_final_status_decides) {
    local_server::scripted_answer moved;
    moved.path = "/old";
    moved.status = 302;
    moved.location = "/new";
    moved.times = -1;
    m_local.script(moved);
    answer_always("/new", "{\"moved\":true}");
    auto client = make_server(m_local.address());

    std::stringstream answer;
    client->curl_get_request("/old", answer);
    EXPECT_EQ(answer.str(), "{\"moved\":true}");
    const auto requests = m_local.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, "/new");

    // A redirect to a failing page fails with the final status.
    local_server::scripted_answer broken;
    broken.path = "/broken";
    broken.status = 302;
    broken.location = "/missing";
    m_local.script(broken);
    std::stringstream second;
    try {
        client->curl_get_request("/broken", second);
        FAIL() << "no exception";
    } catch (const orv::http_request_unsuccessful_exception& e) {
        EXPECT_EQ(e.get_http_code(), 404);
    }
}

TEST_F(server_test, transport_error_names_the_libcurl_error_and_the_url) {
    const std::string address = "http://127.0.0.1:" + std::to_string(orv::test::free_port());
    auto client = make_server(address);
    std::stringstream answer;
    try {
        client->curl_get_request("/api/private/nodes/", answer);
        FAIL() << "no exception";
    } catch (const orv::exception& e) {
        EXPECT_EQ(std::string(e.what()), std::string("curl_easy_perform failed:") +
                                             curl_easy_strerror(CURLE_COULDNT_CONNECT) +
                                             " URL=" + address + "/api/private/nodes/");
    }
}

TEST_F(server_test, slow_server_hits_the_configured_timeout) {
    local_server::scripted_answer slow;
    slow.path = "/slow";
    slow.status = 200;
    slow.body = "{}";
    slow.delay = 2500ms;
    m_local.script(slow);
    auto client = make_server(m_local.address(), 1);

    std::stringstream answer;
    try {
        client->curl_get_request("/slow", answer);
        FAIL() << "no exception";
    } catch (const orv::exception& e) {
        EXPECT_EQ(std::string(e.what()), std::string("curl_easy_perform failed:") +
                                             curl_easy_strerror(CURLE_OPERATION_TIMEDOUT) +
                                             " URL=" + m_local.address() + "/slow");
    }
}

TEST_F(server_test, dry_run_sends_nothing_and_succeeds_with_an_empty_answer) {
    auto dry = make_server(m_local.address(), 5, true);
    std::stringstream answer;
    EXPECT_NO_THROW(dry->curl_post_request("/nothing", answer, "{\"a\":1}"));
    EXPECT_NO_THROW(dry->curl_get_request("/nothing", answer));
    EXPECT_EQ(answer.str(), "");

    // The same server is reachable: a real request is recorded, the dry ones were not.
    answer_always("/real", "{}");
    auto real = make_server(m_local.address());
    std::stringstream real_answer;
    real->curl_get_request("/real", real_answer);
    const auto requests = m_local.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/real");
}

TEST_F(server_test, parse_answer_reads_json_and_names_the_request_on_failure) {
    auto client = make_server(m_local.address());
    Json::Value out;
    std::stringstream good("{\"nodes\":[1,2]}");
    client->parse_answer("get_nodes", good, out);
    EXPECT_EQ(out["nodes"].size(), 2u);

    for (const char* text : {"", "not json", "{\"a\":"}) {
        SCOPED_TRACE(text);
        std::stringstream bad(text);
        try {
            client->parse_answer("get_nodes", bad, out);
            FAIL() << "no exception";
        } catch (const orv::exception& e) {
            EXPECT_THAT(e.what(), StartsWith("In get_nodes, parse failed with error: "));
            EXPECT_GT(std::string(e.what()).size(),
                      std::string("In get_nodes, parse failed with error: ").size());
        }
    }
}

// The local server stand-in does not record the authorization header, so basic
// authentication is checked against a bare loopback server.
TEST_F(server_test, basic_credentials_are_sent_only_when_both_are_set) {
    httplib::Server plain;
    std::mutex mutex;
    std::vector<std::string> authorizations;
    plain.Get("/auth", [&](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard<std::mutex> lock(mutex);
        authorizations.push_back(request.get_header_value("Authorization"));
        response.set_content("{}", "application/json");
    });
    const int port = plain.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    // Bound and listening already: requests queue until the accept loop runs.
    std::thread listener([&] { plain.listen_after_bind(); });

    const std::string address = "http://127.0.0.1:" + std::to_string(port);
    const std::vector<std::pair<std::string, std::string>> credentials = {
        {"user", "secret"}, {"user", ""}, {"", "secret"}};
    for (const auto& [login, password] : credentials) {
        auto client = make_server(address, 5, false, 0, "http", login, password);
        std::stringstream answer;
        client->curl_get_request("/auth", answer);
    }
    plain.stop();
    listener.join();

    ASSERT_EQ(authorizations.size(), 3u);
    EXPECT_EQ(authorizations[0], "Basic dXNlcjpzZWNyZXQ="); // user:secret
    EXPECT_EQ(authorizations[1], "");
    EXPECT_EQ(authorizations[2], "");
}

} // namespace
