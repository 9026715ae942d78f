#pragma once

// Stand-in for the location system's local server: a REST API on loopback that
// answers the agent's GET requests from a site description (see site.h) and
// records every alarm list PUT to it.
//
//   orv::standins::local_server server{orv::standins::load_site(path)};  // 127.0.0.1, free port
//   client base address: server.address()  ("http://127.0.0.1:<port>")
//
// Paths served:
//   GET /api/private/companies/                  {"companies": [...]}
//   GET /api/private/companies/snapshot/<uid>    {"company": {...}}  (404 for an unknown uid)
//   GET /api/private/nodes/                      {"nodes": [...]}
//   GET /api/hw_params/?fields[]=..&mac[]=..     {"node_parameters": [...]}
//   GET /api/private/tdoa/settings/              {"tdoa_settings": [...]}
//   GET /api/private/tdoa/schedules/             {"tdoa_schedules": [...]}
//   GET /api/private/network_settings/           {"network_settings": [...]}
//   GET /api/private/track_obj/                  {"trackableObjects": [...]}
//   PUT /api/private/win_anchors/shm_status/<anchor uid>   body {"alarms": [...]}, recorded
// Anything else: 404. Connections are not kept alive (one request each).

#include "standins/http_record.h"

#include <json/json.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orv::standins {

class local_server {
public:
    // Paths, as the agent's client requests them.
    static constexpr const char* companies_path = "/api/private/companies/";
    static constexpr const char* snapshot_path = "/api/private/companies/snapshot/";
    static constexpr const char* nodes_path = "/api/private/nodes/";
    static constexpr const char* node_parameters_path = "/api/hw_params/";
    static constexpr const char* tdoa_settings_path = "/api/private/tdoa/settings/";
    static constexpr const char* tdoa_schedules_path = "/api/private/tdoa/schedules/";
    static constexpr const char* network_settings_path = "/api/private/network_settings/";
    static constexpr const char* trackables_path = "/api/private/track_obj/";
    static constexpr const char* shm_status_path = "/api/private/win_anchors/shm_status/";

    // Starts listening at once (port 0: a free port); throws orv::exception when the
    // address cannot be bound or the site is malformed. Stops in the destructor.
    explicit local_server(Json::Value site, const std::string& host = "127.0.0.1", int port = 0);
    ~local_server();
    local_server(const local_server&) = delete;
    local_server& operator=(const local_server&) = delete;

    int port() const;
    const std::string& host() const;
    // "http://<host>:<port>", the base address for the agent's local server client.
    std::string address() const;

    // The site answered from; may be replaced while running.
    Json::Value site() const;
    void set_site(Json::Value site);

    // One PUT of an anchor's alarm list.
    struct shm_status_put {
        std::string anchor_uid;
        std::string body;                 // exactly as received
        bool valid = false;               // body is {"alarms": [strings...]}
        std::vector<std::string> alarms;  // when valid
        std::string content_type;
        std::int64_t time_ms = 0;
    };
    std::vector<shm_status_put> shm_status_puts() const;
    // The alarm list of the latest valid PUT for an anchor; no value when none arrived.
    std::optional<std::vector<std::string>> alarms(const std::string& anchor_uid) const;

    // Every request, in arrival order (answered or not).
    std::vector<http_record> requests() const;
    std::size_t request_count() const;
    // Waits until at least n requests arrived (optionally only those to path, compared
    // without the query); false when the time-out passed first.
    bool wait_for_requests(std::size_t n, std::chrono::milliseconds timeout,
                           const std::string& path = "") const;
    bool wait_for_shm_status_puts(std::size_t n, std::chrono::milliseconds timeout) const;
    void clear_records();

    // Scripted answers. A rule applies to requests whose path (without the query)
    // equals path, or to every request when path is empty; the first rule that still
    // has uses answers instead of the site. times < 0: forever.
    struct scripted_answer {
        std::string path;
        int status = 200;
        std::string body;                  // sent as is
        std::string content_type = "application/json";
        std::string location;              // Location header, for redirects
        std::chrono::milliseconds delay{0};
        int times = 1;
    };
    void script(scripted_answer answer);
    void clear_script();
    // Delay before every answer (applied before scripted delays).
    void set_delay(std::chrono::milliseconds delay);

    // Receives one readable line per request, for the command-line program.
    void set_observer(std::function<void(const std::string& line)> observer);

private:
    struct impl;
    std::unique_ptr<impl> m_impl;
};

} // namespace orv::standins
