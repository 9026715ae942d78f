#pragma once

// A site description: everything the stand-in local server answers, in one JSON
// document. Format (every list member is optional and defaults to an empty list):
//
// {
//   "name": "sample site",
//   "companies": [ { "uid", "name", "projects": [ { "uid", "name",
//       "locations": [ { "uid", "name", "sublocations": [ { "uid", "name",
//           "win_anchors": [ { "uid", "name", "type", "mac", "responsive" } ] } ] } ] } ] } ],
//   "nodes": [ { "mac_address", "node_id", "uid", "name", "project_uid", "company_uid",
//                "parent_mac_address", "status": { "low_bat" } } ],
//   "node_parameters": [ { "mac_address", "hw_info": { "value": {...} }, "fw_str": {...},
//                          "sf", "al_bs", "tdoa_schedule", "bat", "service_mode" } ],
//   "tdoa_settings": [ { "project_uid", "values": { "autostart", "configured_state",
//                        "active_schedule_uid", "masters": [ { "anchor_uid" } ] } } ],
//   "tdoa_schedules": [ { "uid", "name", "project_uid", "content" } ],
//   "network_settings": [ { "project_uid", "service_mode": { "enabled", "enabled_at", "duration" } } ],
//   "trackableObjects": [ { "uid", "name", "project_uid", "company_uid",
//                           "node": { "mac_address" }, "position": { "sl_id" } } ]
// }
//
// A bridge whose wired uplink works lists its own MAC as "parent_mac_address".
//
// The companies list answer holds each company without its projects; a company
// snapshot answer is { "company": { <the company with its projects> } }.

#include <json/json.h>

#include <optional>
#include <string>
#include <vector>

namespace orv::standins {

// Reads and parses a site file; throws orv::exception naming the file on failure.
Json::Value load_site(const std::string& path);

// The bundled sample site (tools/sites/sample-site.json of the source tree).
std::string sample_site_path();

// Checks the shape the answers are built from; throws orv::exception naming the
// first offending member (for example "companies[0].projects[1].uid is not a string").
void validate_site(const Json::Value& site);

// Answers of the local server built from a site.
Json::Value companies_answer(const Json::Value& site);
// No value for an unknown company uid.
std::optional<Json::Value> snapshot_answer(const Json::Value& site, const std::string& company_uid);
// { member: site[member] } ("nodes", "tdoa_settings", "tdoa_schedules",
// "network_settings", "trackableObjects"); an empty array when the site has none.
Json::Value list_answer(const Json::Value& site, const std::string& member);
// { "node_parameters": [...] }: with MACs given only those nodes; with fields given
// only "mac_address", the fields asked for and "service_mode" (which the location
// system reports with every hardware parameter answer).
Json::Value node_parameters_answer(const Json::Value& site, const std::vector<std::string>& macs,
                                   const std::vector<std::string>& fields);

// Flat views of a site, for tests and for the programs' summaries.
struct anchor_ref {
    std::string uid;
    std::string name;
    std::string type; // "BRIDGE" for bridges
    std::string mac;
    bool responsive = false;
    std::string sublocation_uid;
    std::string location_uid;
    std::string project_uid;
    std::string company_uid;
};
std::vector<anchor_ref> site_anchors(const Json::Value& site);

struct site_summary {
    std::size_t companies = 0, projects = 0, locations = 0, sublocations = 0;
    std::size_t anchors = 0, bridges = 0, nodes = 0, node_parameters = 0, trackables = 0;
    std::size_t tdoa_settings = 0, tdoa_schedules = 0, network_settings = 0;
};
site_summary summarize_site(const Json::Value& site);
std::string to_string(const site_summary& summary);

// A large, deterministic site for benchmarks: the counts are spread evenly over
// companies, projects, locations and sublocations; every anchor has its node (and
// node parameters), every trackable its tag node. Every bridge_every-th anchor is a
// bridge (0: none).
struct site_size {
    int companies = 2;
    int projects_per_company = 2;
    int locations_per_project = 2;
    int sublocations_per_location = 2;
    int anchors = 1000;
    int bridge_every = 10;
    int trackables = 1000;
};
Json::Value generate_site(const site_size& size);

// The MAC address (twelve upper-case hexadecimal digits) that generate_site gives
// to anchor number i, and to the tag of trackable number i.
std::string generated_anchor_mac(int i);
std::string generated_tag_mac(int i);

} // namespace orv::standins
