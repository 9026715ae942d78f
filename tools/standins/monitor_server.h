#pragma once

// Stand-in for the remote monitor server: an HTTP server on loopback that accepts
// the agent's requests, keeps a session and records what it received.
//
//   POST /api/passport/login              {"email","password","server_uid"} -> 200 + session cookie
//   POST /api/agent/events                {"events": [...]}
//   POST /api/agent/companies/notify      notification with "server_uid"
//   POST /api/agent/projects/notify       "
//   POST /api/agent/locations/notify      "
//   POST /api/agent/sublocations/notify   "
//   POST /api/agent/users/notify          "
//   POST /api/agent/anchors/notify        "
//   POST /api/agent/companies/snapshot    {"company": {"server_uid", ...}, ...}
//   GET  /api/agent/events/ping?uptime=N
//
// Every path but login needs the session cookie of a successful login, else 401.
// A POST with a body must carry content-type application/json and a JSON body of
// the shape above, else 415 / 400. Unknown paths: 404. Connections are not kept
// alive (one request each), so that a dropped connection is never resent by libcurl.

#include "standins/http_record.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orv::standins {

class monitor_server {
public:
    static constexpr const char* login_path = "/api/passport/login";
    static constexpr const char* events_path = "/api/agent/events";
    static constexpr const char* companies_notify_path = "/api/agent/companies/notify";
    static constexpr const char* projects_notify_path = "/api/agent/projects/notify";
    static constexpr const char* locations_notify_path = "/api/agent/locations/notify";
    static constexpr const char* sublocations_notify_path = "/api/agent/sublocations/notify";
    static constexpr const char* users_notify_path = "/api/agent/users/notify";
    static constexpr const char* anchors_notify_path = "/api/agent/anchors/notify";
    static constexpr const char* snapshot_path = "/api/agent/companies/snapshot";
    static constexpr const char* ping_path = "/api/agent/events/ping";
    static constexpr const char* session_cookie = "session";

    // Starts listening at once (port 0: a free port); throws orv::exception when the
    // address cannot be bound. With a log path, every request is also appended to
    // that file as one JSON line (http_record::to_json_line). Stops in the destructor.
    explicit monitor_server(const std::string& host = "127.0.0.1", int port = 0,
                            const std::string& log_path = "");
    ~monitor_server();
    monitor_server(const monitor_server&) = delete;
    monitor_server& operator=(const monitor_server&) = delete;

    int port() const;
    const std::string& host() const;
    // "http://<host>:<port>"
    std::string address() const;

    // When set, a login must carry exactly these e-mail and password (else 401).
    // By default any e-mail and password are accepted.
    void set_credentials(const std::string& email, const std::string& password);

    // Requests, in arrival order: every one received, and the accepted ones (2xx).
    // A request whose answer was delayed beyond the client's time-out still counts as
    // accepted, as it would on a real server: the client then sends it again.
    std::vector<http_record> requests() const;
    std::vector<http_record> accepted() const;
    // Accepted requests to one path (compared without the query).
    std::vector<http_record> accepted(const std::string& path) const;
    // All events of the accepted event packages, in order.
    std::vector<Json::Value> accepted_events() const;
    // Wait until at least n requests arrived / were accepted (optionally to one path);
    // false when the time-out passed first.
    bool wait_for_requests(std::size_t n, std::chrono::milliseconds timeout) const;
    bool wait_for_accepted(std::size_t n, std::chrono::milliseconds timeout,
                           const std::string& path = "") const;
    void clear_records();

    // Scripted behaviour. A rule applies to requests whose path equals path, or to
    // every request when path is empty; the first rule that still has uses decides.
    // times < 0: forever. A scripted status is answered without looking at the request
    // (the request is recorded, and is accepted when the status is 2xx).
    struct scripted_answer {
        std::string path;
        int status = 500;
        std::chrono::milliseconds delay{0};
        bool drop_connection = false;  // close the connection without any answer
        int times = 1;
    };
    void script(scripted_answer answer);
    void clear_script();
    // Shortcuts.
    void fail_next(int status, int times = 1, const std::string& path = "");
    void drop_next(int times = 1, const std::string& path = "");
    // Delay before every answer.
    void set_delay(std::chrono::milliseconds delay);
    // Ends every session: the next request without a fresh login gets 401.
    void end_session();
    std::size_t logins() const; // successful logins so far

    // Receives one readable line per request, for the command-line program.
    void set_observer(std::function<void(const std::string& line)> observer);

private:
    struct impl;
    std::unique_ptr<impl> m_impl;
};

} // namespace orv::standins
