#include "monitor_server/http_client_impl.h"

#include "utils/json.h"

#include <sstream>
#include <utility>

namespace orv::monitor_server {

http_client_impl::http_client_impl(std::string protocol, std::string address, std::string login,
                                   std::string password, std::uint32_t port,
                                   utils::logger& logger, zmq_socket_ptr zmq_debug_socket,
                                   bool dry_run, timeout request_timeout,
                                   std::atomic<bool>& should_stop, retry_sleeper sleeper)
    : server(std::move(protocol), std::move(address), std::move(login), std::move(password), port,
             logger, std::move(zmq_debug_socket), dry_run, request_timeout),
      m_should_stop(should_stop),
      m_sleeper(std::move(sleeper)) {}

void http_client_impl::post(const std::string& path, const std::string& body) {
    std::stringstream answer;
    curl_post_request(path, answer, body);
}

void http_client_impl::send_notify(const std::string& path, const std::string& body) {
    post(path, body);
    get_logger() << path;
}

void http_client_impl::login(const login_credentials& credentials) {
    // Members in name order, which is also the order the server expects.
    Json::Value body(Json::objectValue);
    body["email"] = credentials.email;
    body["password"] = credentials.password;
    body["server_uid"] = credentials.server_uid;
    post(req_login, utils::json_to_string(body));
    get_logger() << req_login;
}

void http_client_impl::send_events(const std::string& json) {
    post(req_events, json);
    get_logger() << req_events;
}

void http_client_impl::send_company_notify(const std::string& json) {
    send_notify(req_companies_notify, json);
}

void http_client_impl::send_project_notify(const std::string& json) {
    send_notify(req_project_notify, json);
}

void http_client_impl::send_location_notify(const std::string& json) {
    send_notify(req_location_notify, json);
}

void http_client_impl::send_sublocation_notify(const std::string& json) {
    send_notify(req_sublocation_notify, json);
}

void http_client_impl::send_user_notify(const std::string& json) {
    send_notify(req_user_notify, json);
}

void http_client_impl::send_anchor_notify(const std::string& json) {
    send_notify(req_anchor_notify, json);
}

void http_client_impl::send_snapshot(const std::string& json) {
    get_logger() << "snapshot";
    post(req_snapshot, json);
}

void http_client_impl::ping(int uptime) {
    std::stringstream answer;
    curl_get_request(req_ping + std::to_string(uptime), answer);
}

void http_client_impl::retry_until_success(const std::function<void()>& operation) {
    retry_until_stopped(operation, m_should_stop, get_logger(), m_sleeper);
}

} // namespace orv::monitor_server
