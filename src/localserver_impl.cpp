#include "localserver_impl.h"

#include "utils/json.h"

#include <sstream>
#include <utility>

namespace orv {

localserver_impl::localserver_impl(std::string protocol, std::string address, std::string login,
                                   std::string password, std::uint32_t port,
                                   utils::logger& logger, zmq_socket_ptr zmq_debug_socket,
                                   bool dry_run, timeout request_timeout,
                                   std::atomic<bool>& should_stop, retry_sleeper sleeper)
    : server(std::move(protocol), std::move(address), std::move(login), std::move(password), port,
             logger, std::move(zmq_debug_socket), dry_run, request_timeout),
      m_should_stop(should_stop),
      m_sleeper(std::move(sleeper)) {}

Json::Value localserver_impl::get_json(const std::string& name, const std::string& path) {
    std::stringstream answer;
    curl_get_request(path, answer);
    Json::Value result;
    parse_answer(name, answer, result);
    return result;
}

Json::Value localserver_impl::get_tdoa_settings() {
    return get_json("get_tdoa_settings", "/api/private/tdoa/settings/");
}

Json::Value localserver_impl::get_tdoa_schedules() {
    return get_json("get_tdoa_schedules", "/api/private/tdoa/schedules/");
}

Json::Value localserver_impl::get_nodes() {
    return get_json("get_nodes", "/api/private/nodes/");
}

Json::Value localserver_impl::get_companies() {
    return get_json("get_companies", "/api/private/companies/");
}

Json::Value localserver_impl::get_company_snapshot(const std::string& company_uid) {
    return get_json("get_company_snapshot", "/api/private/companies/snapshot/" + company_uid);
}

Json::Value localserver_impl::get_trackables() {
    return get_json("get_trackables", "/api/private/track_obj/");
}

Json::Value localserver_impl::get_network_settings() {
    return get_json("get_network_settings", "/api/private/network_settings/");
}

Json::Value localserver_impl::get_node_parameters(const std::vector<std::string>& macs,
                                                  const std::vector<std::string>& fields) {
    // "hw_info" is always requested, even when it is also among the fields.
    std::string path = "/api/hw_params/?fields[]=hw_info";
    for (const auto& mac : macs) {
        path += "&mac[]=" + mac;
    }
    for (const auto& field : fields) {
        path += "&fields[]=" + field;
    }
    return get_json("get_node_parameters", path);
}

void localserver_impl::post_shm_status(const std::string& anchor_uid,
                                       const std::vector<std::string>& alarms) {
    try {
        // Each alarm is written as a JSON string, so a quote or backslash in an
        // alarm text cannot break the body.
        std::string body = "{\"alarms\": [";
        bool first = true;
        for (const auto& alarm : alarms) {
            if (!first) {
                body += ',';
            }
            first = false;
            body += utils::json_to_string(Json::Value(alarm));
        }
        body += "]}";

        std::stringstream answer;
        curl_put_request("/api/private/win_anchors/shm_status/" + anchor_uid, answer, body);
    } catch (...) {
        get_logger().log_exception();
    }
}

Json::Value localserver_impl::retry_until_success(const std::function<Json::Value()>& operation) {
    return retry_until_stopped(operation, m_should_stop, get_logger(), m_sleeper);
}

} // namespace orv
