#include "localserver_impl.h"

#include "standins/local_server.h"
#include "standins/site.h"
#include "support/curl_environment.h"
#include "support/syslog_capture.h"
#include "support/temp_dir.h"
#include "utils/exceptions.h"
#include "utils/json.h"
#include "utils/logger.h"

#include <curl/curl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>
#include <syslog.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using orv::standins::local_server;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// One company with one anchor, its node and parameters, and one of every other list.
Json::Value small_site() {
    return orv::utils::json_parse(R"({
      "name": "test site",
      "companies": [ { "uid": "C1", "name": "Company", "projects": [ { "uid": "P1", "name": "Project",
          "locations": [ { "uid": "L1", "name": "Hall", "sublocations": [ { "uid": "S1", "name": "Floor",
              "win_anchors": [ { "uid": "A1", "name": "Anchor", "type": "ANCHOR",
                                 "mac": "AA0000000001", "responsive": true } ] } ] } ] } ] } ],
      "nodes": [ { "mac_address": "AA0000000001", "node_id": 1, "uid": "A1", "name": "Anchor",
                   "project_uid": "P1", "company_uid": "C1", "parent_mac_address": "",
                   "status": { "low_bat": false } } ],
      "node_parameters": [ { "mac_address": "AA0000000001", "hw_info": { "value": { "hw": 1 } },
                             "fw_str": { "value": "1.0" } } ],
      "tdoa_settings": [ { "project_uid": "P1", "values": { "autostart": true,
                           "configured_state": "RUNNING", "active_schedule_uid": "T1",
                           "masters": [ { "anchor_uid": "A1" } ] } } ],
      "tdoa_schedules": [ { "uid": "T1", "name": "Schedule", "project_uid": "P1", "content": [] } ],
      "network_settings": [ { "project_uid": "P1",
                              "service_mode": { "enabled": false, "enabled_at": 0, "duration": 0 } } ],
      "trackableObjects": [ { "uid": "O1", "name": "Tag", "project_uid": "P1", "company_uid": "C1",
                              "node": { "mac_address": "BB0000000001" }, "position": { "sl_id": 1 } } ]
    })");
}

class localserver_impl_test : public ::testing::Test {
protected:
    std::unique_ptr<orv::localserver_impl> make_client(const std::string& address,
                                                       bool dry_run = false) {
        return std::make_unique<orv::localserver_impl>(
            "http", address, "", "", 0, m_log, nullptr, dry_run, orv::server::timeout{5},
            m_should_stop, [this](std::chrono::milliseconds period) {
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
    Json::Value m_site = small_site();
    local_server m_local{m_site};
};

TEST_F(localserver_impl_test, get_operations_request_their_paths_and_return_the_answer) {
    auto client = make_client(m_local.address());
    struct endpoint_case {
        std::string target;
        std::function<Json::Value()> call;
        Json::Value expected;
    };
    const std::vector<endpoint_case> cases = {
        {"/api/private/tdoa/settings/", [&] { return client->get_tdoa_settings(); },
         orv::standins::list_answer(m_site, "tdoa_settings")},
        {"/api/private/tdoa/schedules/", [&] { return client->get_tdoa_schedules(); },
         orv::standins::list_answer(m_site, "tdoa_schedules")},
        {"/api/private/nodes/", [&] { return client->get_nodes(); },
         orv::standins::list_answer(m_site, "nodes")},
        {"/api/private/companies/", [&] { return client->get_companies(); },
         orv::standins::companies_answer(m_site)},
        {"/api/private/companies/snapshot/C1", [&] { return client->get_company_snapshot("C1"); },
         *orv::standins::snapshot_answer(m_site, "C1")},
        {"/api/private/track_obj/", [&] { return client->get_trackables(); },
         orv::standins::list_answer(m_site, "trackableObjects")},
        {"/api/private/network_settings/", [&] { return client->get_network_settings(); },
         orv::standins::list_answer(m_site, "network_settings")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        m_local.clear_records();
        const Json::Value answer = c.call();
        EXPECT_EQ(answer, c.expected);
        const auto requests = m_local.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].method, "GET");
        EXPECT_EQ(requests[0].target, c.target);
        EXPECT_EQ(requests[0].body, "");
    }
}

TEST_F(localserver_impl_test, node_parameters_query_lists_macs_then_fields_after_hw_info) {
    auto client = make_client(m_local.address());
    struct query_case {
        std::vector<std::string> macs;
        std::vector<std::string> fields;
        std::string target;
    };
    const std::vector<query_case> cases = {
        {{},
         {"hw_info", "fw_str", "sf", "al_bs", "tdoa_schedule", "bat"},
         "/api/hw_params/?fields[]=hw_info&fields[]=hw_info&fields[]=fw_str&fields[]=sf"
         "&fields[]=al_bs&fields[]=tdoa_schedule&fields[]=bat"},
        {{"AA0000000001", "AA0000000002"},
         {"fw_str"},
         "/api/hw_params/?fields[]=hw_info&mac[]=AA0000000001&mac[]=AA0000000002&fields[]=fw_str"},
        {{}, {}, "/api/hw_params/?fields[]=hw_info"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        m_local.clear_records();
        const Json::Value answer = client->get_node_parameters(c.macs, c.fields);
        EXPECT_TRUE(answer["node_parameters"].isArray());
        const auto requests = m_local.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].method, "GET");
        EXPECT_EQ(requests[0].target, c.target);
    }
}

TEST_F(localserver_impl_test, empty_or_non_json_answer_fails_with_the_operation_name) {
    local_server::scripted_answer empty;
    empty.path = "/api/private/nodes/";
    empty.status = 204;
    m_local.script(empty);
    local_server::scripted_answer garbage;
    garbage.path = "/api/private/companies/snapshot/C1";
    garbage.status = 200;
    garbage.body = "<html>";
    m_local.script(garbage);
    auto client = make_client(m_local.address());

    EXPECT_THROW(
        {
            try {
                client->get_nodes();
            } catch (const orv::exception& e) {
                EXPECT_THAT(e.what(), StartsWith("In get_nodes, parse failed with error: "));
                throw;
            }
        },
        orv::exception);
    EXPECT_THROW(
        {
            try {
                client->get_company_snapshot("C1");
            } catch (const orv::exception& e) {
                EXPECT_THAT(e.what(),
                            StartsWith("In get_company_snapshot, parse failed with error: "));
                throw;
            }
        },
        orv::exception);
}

TEST_F(localserver_impl_test, shm_status_puts_the_alarm_list_of_the_anchor) {
    auto client = make_client(m_local.address());
    client->post_shm_status("A1", {"x", "y"});
    client->post_shm_status("A1", {});
    // An alarm text with JSON specials still gives a valid body.
    client->post_shm_status("A2", {"a\"b\\c"});

    const auto puts = m_local.shm_status_puts();
    ASSERT_EQ(puts.size(), 3u);
    EXPECT_EQ(puts[0].anchor_uid, "A1");
    EXPECT_EQ(puts[0].body, R"({"alarms": ["x","y"]})");
    EXPECT_EQ(puts[0].body.size(), 21u);
    EXPECT_EQ(puts[0].content_type, "application/json");
    EXPECT_EQ(puts[1].body, R"({"alarms": []})");
    EXPECT_EQ(puts[2].anchor_uid, "A2");
    EXPECT_TRUE(puts[2].valid);
    EXPECT_THAT(puts[2].alarms, ElementsAre("a\"b\\c"));

    const auto requests = m_local.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method, "PUT");
    EXPECT_EQ(requests[0].target, "/api/private/win_anchors/shm_status/A1");
}

TEST_F(localserver_impl_test, shm_status_failures_are_logged_and_swallowed) {
    orv::test::syslog_capture syslog;
    local_server::scripted_answer failing;
    failing.path = "/api/private/win_anchors/shm_status/A1";
    failing.status = 500;
    failing.body = "boom";
    m_local.script(failing);

    auto client = make_client(m_local.address());
    EXPECT_NO_THROW(client->post_shm_status("A1", {"x"}));
    auto down = make_client("http://127.0.0.1:" + std::to_string(orv::test::free_port()));
    EXPECT_NO_THROW(down->post_shm_status("A1", {"x"}));

    const auto errors = syslog.lines(LOG_ERR);
    EXPECT_THAT(errors, ::testing::Contains("PUT " + m_local.address() +
                                            "/api/private/win_anchors/shm_status/A1 returns code 500"));
    EXPECT_THAT(errors, ::testing::Contains("with answer: boom"));
    EXPECT_THAT(errors, ::testing::Contains(StartsWith("curl_easy_perform failed:")));
}

TEST_F(localserver_impl_test, dry_run_sends_nothing_and_parsing_operations_fail) {
    auto client = make_client(m_local.address(), true);
    try {
        client->get_companies();
        FAIL() << "no exception";
    } catch (const orv::exception& e) {
        EXPECT_THAT(e.what(), StartsWith("In get_companies, parse failed with error: "));
    }
    EXPECT_NO_THROW(client->post_shm_status("A1", {"x"}));
    EXPECT_EQ(m_local.request_count(), 0u);
}

TEST_F(localserver_impl_test, retry_returns_the_first_success_after_sleeping_ten_seconds_per_failure) {
    orv::test::syslog_capture syslog;
    auto client = make_client(m_local.address());
    int calls = 0;
    const Json::Value result = client->retry_until_success([&]() -> Json::Value {
        if (++calls < 3) {
            ORV_THROW_MSG("attempt " + std::to_string(calls));
        }
        return Json::Value("done");
    });
    EXPECT_EQ(result, Json::Value("done"));
    EXPECT_EQ(calls, 3);
    EXPECT_THAT(m_sleeps, ElementsAre(10000ms, 10000ms));
    const auto errors = syslog.lines(LOG_ERR);
    EXPECT_THAT(errors, ::testing::Contains("attempt 1"));
    EXPECT_THAT(errors, ::testing::Contains("attempt 2"));
}

TEST_F(localserver_impl_test, retry_against_a_down_server_stops_with_stopped) {
    orv::test::syslog_capture syslog;
    auto client = make_client("http://127.0.0.1:" + std::to_string(orv::test::free_port()));
    m_stop_after_sleeps = 2;
    int calls = 0;
    try {
        client->retry_until_success([&] {
            ++calls;
            return client->get_nodes();
        });
        FAIL() << "no exception";
    } catch (const orv::exception& e) {
        EXPECT_STREQ(e.what(), "Stopped");
    }
    EXPECT_EQ(calls, 2);
    EXPECT_THAT(m_sleeps, ElementsAre(10000ms, 10000ms));
    const auto errors = syslog.lines(LOG_ERR);
    EXPECT_EQ(std::count_if(errors.begin(), errors.end(),
                            [](const std::string& line) {
                                return line.rfind("curl_easy_perform failed:", 0) == 0;
                            }),
              2);
}

TEST_F(localserver_impl_test, retry_with_the_stop_flag_already_set_never_calls_the_operation) {
    auto client = make_client(m_local.address());
    m_should_stop = true;
    bool called = false;
    try {
        client->retry_until_success([&] {
            called = true;
            return Json::Value();
        });
        FAIL() << "no exception";
    } catch (const orv::exception& e) {
        EXPECT_STREQ(e.what(), "Stopped");
    }
    EXPECT_FALSE(called);
    EXPECT_TRUE(m_sleeps.empty());
}

// A signal arriving in the middle of the pause must not shorten it. Only a lower
// bound is checked: the pause can never legitimately end early.
TEST(sleep_full_test, signal_does_not_cut_the_pause_short) {
    struct sigaction ignore_alarm {};
    ignore_alarm.sa_handler = [](int) {};
    sigemptyset(&ignore_alarm.sa_mask);
    ignore_alarm.sa_flags = 0; // no SA_RESTART: nanosleep returns EINTR
    struct sigaction previous {};
    ASSERT_EQ(sigaction(SIGALRM, &ignore_alarm, &previous), 0);
    itimerval alarm_in_20ms{};
    alarm_in_20ms.it_value.tv_usec = 20000;
    ASSERT_EQ(setitimer(ITIMER_REAL, &alarm_in_20ms, nullptr), 0);

    const auto start = std::chrono::steady_clock::now();
    orv::sleep_full(150ms);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    sigaction(SIGALRM, &previous, nullptr);
    EXPECT_GE(elapsed, 150ms);
}

} // namespace
