#include "standins/local_server.h"
#include "standins/site.h"

#include "tools/http_test_client.h"

#include "support/temp_dir.h"
#include "utils/exceptions.h"
#include "utils/json.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace orv::standins;
using namespace std::chrono_literals;
using orv::test::http_test_client;
using ::testing::ElementsAre;

namespace {

class local_server_test : public ::testing::Test {
protected:
    Json::Value site = load_site(sample_site_path());
    local_server server{site};
    http_test_client client;

    std::string url(const std::string& path) const { return server.address() + path; }
    Json::Value get_json(const std::string& path) {
        const auto answer = client.get(url(path));
        EXPECT_EQ(answer.code, CURLE_OK) << path;
        EXPECT_EQ(answer.status, 200) << path;
        return orv::utils::json_parse(answer.body);
    }
};

} // namespace

TEST_F(local_server_test, serves_every_list_at_the_agents_paths) {
    EXPECT_GT(server.port(), 0);
    const std::pair<const char*, const char*> lists[] = {
        {local_server::nodes_path, "nodes"},
        {local_server::tdoa_settings_path, "tdoa_settings"},
        {local_server::tdoa_schedules_path, "tdoa_schedules"},
        {local_server::network_settings_path, "network_settings"},
        {local_server::trackables_path, "trackableObjects"},
    };
    for (const auto& [path, member] : lists) {
        const Json::Value answer = get_json(path);
        EXPECT_EQ(answer[member], site[member]) << path;
        EXPECT_EQ(answer[member].size(), site[member].size());
    }
    const Json::Value companies = get_json(local_server::companies_path)["companies"];
    ASSERT_EQ(companies.size(), 2u);
    for (const auto& company : companies) {
        const Json::Value snapshot = get_json(std::string(local_server::snapshot_path) + company["uid"].asString());
        EXPECT_EQ(snapshot, *snapshot_answer(site, company["uid"].asString()));
        EXPECT_TRUE(snapshot["company"]["projects"].isArray());
    }
}

TEST_F(local_server_test, node_parameters_take_unescaped_bracket_queries) {
    // The agent's own request: no MACs, "hw_info" twice, brackets not escaped.
    const std::string target = "/api/hw_params/?fields[]=hw_info&fields[]=hw_info&fields[]=fw_str&fields[]=sf"
                               "&fields[]=al_bs&fields[]=tdoa_schedule&fields[]=bat";
    const Json::Value all = get_json(target)["node_parameters"];
    EXPECT_EQ(all.size(), site["node_parameters"].size());
    EXPECT_EQ(all, node_parameters_answer(site, {}, {"hw_info", "fw_str", "sf", "al_bs", "tdoa_schedule", "bat"})
                       ["node_parameters"]);

    const Json::Value one = get_json("/api/hw_params/?fields[]=hw_info&mac[]=00A1B2C30009&fields[]=sf")
                                ["node_parameters"];
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0]["sf"]["value"]["addr"], "0000");
    EXPECT_FALSE(one[0].isMember("al_bs"));

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, target);
    EXPECT_EQ(requests[0].path, local_server::node_parameters_path);
    EXPECT_EQ(requests[0].query.count("fields[]"), 7u);
}

TEST_F(local_server_test, unknown_company_and_unknown_paths_are_not_found) {
    for (const char* path : {"/api/private/companies/snapshot/nope", "/api/private/companies", "/api/other/"}) {
        const auto answer = client.get(url(path));
        EXPECT_EQ(answer.status, 404) << path;
    }
    EXPECT_EQ(client.request("PUT", url("/api/private/win_anchors/shm_status/"), "{}").status, 404);
    EXPECT_TRUE(server.shm_status_puts().empty());
}

TEST_F(local_server_test, records_alarm_list_puts) {
    const std::string path = local_server::shm_status_path;
    // Exactly what the agent sends, including the blank after the colon.
    EXPECT_EQ(client.request("PUT", url(path + "A1"), R"({"alarms": ["x","y"]})").status, 200);
    EXPECT_EQ(client.request("PUT", url(path + "A2"), R"({"alarms": []})").status, 200);
    EXPECT_EQ(client.request("PUT", url(path + "A1"), R"({"alarms": [1]})").status, 200);
    EXPECT_EQ(client.request("PUT", url(path + "A1"), "not json", "text/plain").status, 200);
    ASSERT_TRUE(server.wait_for_shm_status_puts(4, 5s));

    const auto puts = server.shm_status_puts();
    ASSERT_EQ(puts.size(), 4u);
    EXPECT_EQ(puts[0].anchor_uid, "A1");
    EXPECT_EQ(puts[0].body, R"({"alarms": ["x","y"]})");
    EXPECT_EQ(puts[0].body.size(), 21u);
    EXPECT_EQ(puts[0].content_type, "application/json");
    EXPECT_TRUE(puts[0].valid);
    EXPECT_THAT(puts[0].alarms, ElementsAre("x", "y"));
    EXPECT_TRUE(puts[1].valid);
    EXPECT_TRUE(puts[1].alarms.empty());
    EXPECT_FALSE(puts[2].valid);
    EXPECT_FALSE(puts[3].valid);
    EXPECT_EQ(puts[3].content_type, "text/plain");

    // The latest valid list counts; invalid bodies do not replace it.
    ASSERT_TRUE(server.alarms("A1").has_value());
    EXPECT_THAT(*server.alarms("A1"), ElementsAre("x", "y"));
    ASSERT_TRUE(server.alarms("A2").has_value());
    EXPECT_TRUE(server.alarms("A2")->empty());
    EXPECT_FALSE(server.alarms("A3").has_value());
}

TEST_F(local_server_test, scripted_answers_apply_to_their_path_for_their_count) {
    local_server::scripted_answer empty;
    empty.path = local_server::nodes_path;
    empty.status = 204;
    empty.times = 2;
    server.script(empty);
    local_server::scripted_answer redirect;
    redirect.path = "/old/companies";
    redirect.status = 302;
    redirect.location = local_server::companies_path;
    redirect.times = -1;
    server.script(redirect);

    for (int i = 0; i < 2; ++i) {
        const auto answer = client.get(url(local_server::nodes_path));
        EXPECT_EQ(answer.status, 204);
        EXPECT_EQ(answer.body, "");
    }
    EXPECT_EQ(get_json(local_server::nodes_path)["nodes"], site["nodes"]) << "third request answers normally";
    EXPECT_EQ(get_json(local_server::trackables_path)["trackableObjects"], site["trackableObjects"]);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(get_json("/old/companies")["companies"].size(), 2u) << "redirect followed";

    const auto requests = server.requests();
    std::vector<int> statuses;
    for (const auto& r : requests)
        statuses.push_back(r.status);
    EXPECT_THAT(statuses, ElementsAre(204, 204, 200, 200, 302, 200, 302, 200));

    server.clear_script();
    EXPECT_EQ(client.get(url("/old/companies")).status, 404);
}

TEST_F(local_server_test, site_can_be_replaced_and_requests_awaited) {
    Json::Value smaller = site;
    smaller["companies"].resize(1);
    server.set_site(smaller);
    EXPECT_EQ(get_json(local_server::companies_path)["companies"].size(), 1u);
    EXPECT_TRUE(server.wait_for_requests(1, 1s, local_server::companies_path));
    EXPECT_FALSE(server.wait_for_requests(1, 50ms, local_server::nodes_path));
    EXPECT_THROW(server.set_site(Json::Value{"text"}), orv::exception);
    EXPECT_EQ(get_json(local_server::companies_path)["companies"].size(), 1u);
    server.clear_records();
    EXPECT_EQ(server.request_count(), 0u);
}

TEST(local_server, a_busy_port_is_reported) {
    local_server first{Json::Value{Json::objectValue}};
    EXPECT_THROW(local_server(Json::Value{Json::objectValue}, "127.0.0.1", first.port()), orv::exception);
}
