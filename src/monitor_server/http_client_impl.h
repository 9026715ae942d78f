#pragma once

#include "monitor_server/http_client.h"
#include "request_retry.h"
#include "server.h"

#include <atomic>

namespace orv::monitor_server {

// The monitor server client over orv::server: one POST (or the ping GET) per
// operation. The retry sleeper can be replaced (tests); it is handed the retry period.
class http_client_impl : public server, public http_client {
public:
    static constexpr const char* req_login = "/api/passport/login";
    static constexpr const char* req_events = "/api/agent/events";
    static constexpr const char* req_companies_notify = "/api/agent/companies/notify";
    static constexpr const char* req_project_notify = "/api/agent/projects/notify";
    static constexpr const char* req_location_notify = "/api/agent/locations/notify";
    static constexpr const char* req_sublocation_notify = "/api/agent/sublocations/notify";
    static constexpr const char* req_user_notify = "/api/agent/users/notify";
    static constexpr const char* req_anchor_notify = "/api/agent/anchors/notify";
    static constexpr const char* req_snapshot = "/api/agent/companies/snapshot";
    static constexpr const char* req_ping = "/api/agent/events/ping?uptime=";

    http_client_impl(std::string protocol, std::string address, std::string login,
                     std::string password, std::uint32_t port, utils::logger& logger,
                     zmq_socket_ptr zmq_debug_socket, bool dry_run, timeout request_timeout,
                     std::atomic<bool>& should_stop, retry_sleeper sleeper = sleep_full);

    void login(const login_credentials& credentials) override;
    void send_events(const std::string& json) override;
    void send_company_notify(const std::string& json) override;
    void send_project_notify(const std::string& json) override;
    void send_location_notify(const std::string& json) override;
    void send_sublocation_notify(const std::string& json) override;
    void send_user_notify(const std::string& json) override;
    void send_anchor_notify(const std::string& json) override;
    void send_snapshot(const std::string& json) override;
    void ping(int uptime) override;
    void retry_until_success(const std::function<void()>& operation) override;

private:
    void post(const std::string& path, const std::string& body);
    void send_notify(const std::string& path, const std::string& body);

    std::atomic<bool>& m_should_stop;
    retry_sleeper m_sleeper;
};

} // namespace orv::monitor_server
