#include "standins/site.h"

#include "utils/exceptions.h"
#include "utils/json.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

using namespace orv::standins;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

namespace {

std::set<std::string> strings_of(const Json::Value& list, const char* member) {
    std::set<std::string> values;
    for (const auto& element : list)
        values.insert(element[member].asString());
    return values;
}

// Every reference inside a site points at something the site defines: the agent
// would otherwise fail its initial load (node parameters of unknown nodes) or bind
// nothing (anchors and tags whose MAC has no node).
void expect_consistent(const Json::Value& site) {
    const auto node_macs = strings_of(site["nodes"], "mac_address");
    std::set<std::string> anchor_uids, sublocation_uids;
    for (const auto& anchor : site_anchors(site)) {
        anchor_uids.insert(anchor.uid);
        sublocation_uids.insert(anchor.sublocation_uid);
        EXPECT_TRUE(node_macs.count(anchor.mac)) << "anchor " << anchor.uid << " has no node";
        EXPECT_EQ(anchor.mac.size(), 12u) << anchor.uid;
    }
    EXPECT_EQ(node_macs.size(), site["nodes"].size()) << "repeated node MAC";
    // A bridge with its wired uplink is its own parent; any other parent tells the
    // agent that the uplink is down.
    for (const auto& anchor : site_anchors(site)) {
        if (anchor.type != "BRIDGE")
            continue;
        for (const auto& node : site["nodes"])
            if (node["mac_address"].asString() == anchor.mac) {
                EXPECT_EQ(node["parent_mac_address"].asString(), anchor.mac) << "bridge " << anchor.uid;
            }
    }
    for (const auto& parameters : site["node_parameters"])
        EXPECT_TRUE(node_macs.count(parameters["mac_address"].asString()))
            << "parameters of unknown node " << parameters["mac_address"];
    for (const auto& settings : site["tdoa_settings"])
        for (const auto& master : settings["values"]["masters"])
            EXPECT_TRUE(anchor_uids.count(master["anchor_uid"].asString())) << master;
    for (const auto& trackable : site["trackableObjects"])
        if (trackable["node"]["mac_address"].isString()) {
            EXPECT_TRUE(node_macs.count(trackable["node"]["mac_address"].asString())) << trackable;
        }
}

} // namespace

TEST(site, sample_site_is_complete_and_consistent) {
    const Json::Value site = load_site(sample_site_path());
    const site_summary summary = summarize_site(site);
    EXPECT_GE(summary.companies, 2u);
    EXPECT_GE(summary.projects, 2u);
    EXPECT_GE(summary.sublocations, 2u);
    EXPECT_EQ(summary.anchors, 12u);
    EXPECT_GE(summary.bridges, 2u);
    EXPECT_LT(summary.bridges, summary.anchors);
    EXPECT_GT(summary.trackables, 0u);
    EXPECT_GT(summary.tdoa_settings, 0u);
    EXPECT_GT(summary.tdoa_schedules, 0u);
    EXPECT_GT(summary.network_settings, 0u);
    expect_consistent(site);
}

TEST(site, companies_answer_lists_companies_without_projects_and_snapshot_holds_them) {
    const Json::Value site = load_site(sample_site_path());
    const Json::Value companies = companies_answer(site)["companies"];
    ASSERT_EQ(companies.size(), site["companies"].size());
    for (Json::ArrayIndex i = 0; i < companies.size(); ++i) {
        EXPECT_EQ(companies[i]["uid"], site["companies"][i]["uid"]);
        EXPECT_FALSE(companies[i].isMember("projects"));
        const auto snapshot = snapshot_answer(site, companies[i]["uid"].asString());
        ASSERT_TRUE(snapshot.has_value());
        EXPECT_EQ((*snapshot)["company"], site["companies"][i]);
    }
    EXPECT_FALSE(snapshot_answer(site, "no-such-company").has_value());
    EXPECT_EQ(list_answer(Json::Value{Json::objectValue}, "nodes")["nodes"], Json::Value{Json::arrayValue});
}

TEST(site, node_parameters_answer_filters_by_mac_and_field) {
    const Json::Value site = orv::utils::json_parse(R"({"node_parameters": [
        {"mac_address": "A1", "hw_info": {"value": 1}, "sf": {"value": 2}, "bat": {"value": 3}, "service_mode": {"value": 4}},
        {"mac_address": "B2", "hw_info": {"value": 5}}]})");
    struct case_t {
        std::vector<std::string> macs, fields;
        std::vector<std::string> expected_macs;
        std::vector<std::string> expected_first_members;
    } cases[] = {
        {{}, {}, {"A1", "B2"}, {"bat", "hw_info", "mac_address", "service_mode", "sf"}},
        {{"B2"}, {}, {"B2"}, {"hw_info", "mac_address"}},
        {{}, {"hw_info", "hw_info", "sf"}, {"A1", "B2"}, {"hw_info", "mac_address", "service_mode", "sf"}},
        {{"A1", "C3"}, {"bat"}, {"A1"}, {"bat", "mac_address", "service_mode"}},
    };
    for (const auto& c : cases) {
        const Json::Value answer = node_parameters_answer(site, c.macs, c.fields)["node_parameters"];
        std::vector<std::string> macs;
        for (const auto& element : answer)
            macs.push_back(element["mac_address"].asString());
        EXPECT_EQ(macs, c.expected_macs);
        ASSERT_FALSE(answer.empty());
        EXPECT_EQ(answer[0].getMemberNames(), c.expected_first_members);
        const Json::Value& source = site["node_parameters"][macs[0] == "A1" ? 0 : 1];
        for (const auto& name : c.expected_first_members)
            EXPECT_EQ(answer[0][name], source[name]) << name;
    }
}

TEST(site, malformed_sites_are_rejected_naming_the_member) {
    const std::pair<const char*, const char*> cases[] = {
        {R"([])", "document"},
        {R"({"companies": {}})", "companies"},
        {R"({"companies": [{"name": "x"}]})", "companies[0].uid"},
        {R"({"companies": [{"uid": "c", "projects": [{"uid": "p", "locations": [{"uid": "l",
             "sublocations": [{"uid": "s", "win_anchors": [{"uid": "a"}, {"uid": "a"}]}]}]}]}]})",
         "companies[0].projects[0].locations[0].sublocations[0].win_anchors[1].uid repeats"},
        {R"({"nodes": [{"node_id": 1}]})", "nodes[0].mac_address"},
        {R"({"trackableObjects": 5})", "trackableObjects"},
    };
    for (const auto& [text, message] : cases) {
        try {
            validate_site(orv::utils::json_parse(text));
            ADD_FAILURE() << "accepted " << text;
        } catch (const orv::exception& e) {
            EXPECT_THAT(e.what(), HasSubstr(message)) << text;
        }
    }
    EXPECT_THROW(load_site("/nonexistent/site.json"), orv::exception);
}

TEST(site, generated_site_has_the_asked_size_and_is_consistent) {
    site_size size;
    size.companies = 3;
    size.projects_per_company = 2;
    size.locations_per_project = 2;
    size.sublocations_per_location = 5;
    size.anchors = 2000;
    size.bridge_every = 8;
    size.trackables = 1500;
    const Json::Value site = generate_site(size);
    validate_site(site);
    const site_summary summary = summarize_site(site);
    EXPECT_EQ(summary.companies, 3u);
    EXPECT_EQ(summary.projects, 6u);
    EXPECT_EQ(summary.locations, 12u);
    EXPECT_EQ(summary.sublocations, 60u);
    EXPECT_EQ(summary.anchors, 2000u);
    EXPECT_EQ(summary.bridges, 250u);
    EXPECT_EQ(summary.trackables, 1500u);
    EXPECT_EQ(summary.nodes, 3500u);
    EXPECT_EQ(summary.node_parameters, 3500u);
    EXPECT_EQ(summary.tdoa_settings, 6u);
    EXPECT_EQ(summary.tdoa_schedules, 6u);
    expect_consistent(site);
    EXPECT_EQ(site_anchors(site).front().mac, generated_anchor_mac(0));
    EXPECT_EQ(site["trackableObjects"][0]["node"]["mac_address"].asString(), generated_tag_mac(0));
    EXPECT_NE(generated_anchor_mac(0), generated_tag_mac(0));
    EXPECT_EQ(generate_site(size), site) << "generation must be deterministic";

    size.companies = 0;
    EXPECT_THROW(generate_site(size), orv::exception);
}
