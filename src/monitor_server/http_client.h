#pragma once

#include "utils/noncopyable.h"

#include <functional>
#include <string>

namespace orv::monitor_server {

// Client of the remote monitor server. Every operation returns once the server
// answered with a 2xx status; the answer body is never read.
class http_client : utils::noncopyable {
public:
    struct login_credentials {
        std::string email;
        std::string password;
        std::string server_uid; // the agent uid
    };

    virtual ~http_client() = default;

    // Opens a session; its cookie is sent with every later request.
    virtual void login(const login_credentials& credentials) = 0;
    // `json` is an object whose member "events" is an array of event objects.
    virtual void send_events(const std::string& json) = 0;
    virtual void send_company_notify(const std::string& json) = 0;
    virtual void send_project_notify(const std::string& json) = 0;
    virtual void send_location_notify(const std::string& json) = 0;
    virtual void send_sublocation_notify(const std::string& json) = 0;
    virtual void send_user_notify(const std::string& json) = 0;
    virtual void send_anchor_notify(const std::string& json) = 0;
    virtual void send_snapshot(const std::string& json) = 0;
    // Reports the host's uptime in whole seconds.
    virtual void ping(int uptime) = 0;
    // Repeats the operation until it completes or the stop flag is set ("Stopped").
    virtual void retry_until_success(const std::function<void()>& operation) = 0;
};

} // namespace orv::monitor_server
