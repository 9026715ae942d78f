#pragma once

#include "localserver.h"
#include "request_retry.h"
#include "server.h"

#include <atomic>

namespace orv {

// The local server client: one request per operation, answers parsed as JSON.
// The retry sleeper can be replaced (tests); it is handed the retry period.
class localserver_impl : public localserver, public server {
public:
    localserver_impl(std::string protocol, std::string address, std::string login,
                     std::string password, std::uint32_t port, utils::logger& logger,
                     zmq_socket_ptr zmq_debug_socket, bool dry_run, timeout request_timeout,
                     std::atomic<bool>& should_stop, retry_sleeper sleeper = sleep_full);

    Json::Value get_tdoa_settings() override;
    Json::Value get_tdoa_schedules() override;
    Json::Value get_nodes() override;
    Json::Value get_companies() override;
    Json::Value get_company_snapshot(const std::string& company_uid) override;
    Json::Value get_trackables() override;
    Json::Value get_network_settings() override;
    Json::Value get_node_parameters(const std::vector<std::string>& macs,
                                    const std::vector<std::string>& fields) override;
    void post_shm_status(const std::string& anchor_uid,
                         const std::vector<std::string>& alarms) override;
    Json::Value retry_until_success(const std::function<Json::Value()>& operation) override;

private:
    Json::Value get_json(const std::string& name, const std::string& path);

    std::atomic<bool>& m_should_stop;
    retry_sleeper m_sleeper;
};

} // namespace orv
