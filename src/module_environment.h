#pragma once

#include "monitor_server/http_client.h"
#include "server.h"
#include "sqlite/queues_database.h"
#include "utils/badge.h"
#include "utils/logger.h"

#include <zmq.hpp>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace orv {

struct config;
class localserver;

namespace environment {
class filesystem;
class system;
} // namespace environment
namespace redis {
class context;
}
namespace context {
class accessor;
}
namespace utils {
class events_loop;
class message_stream;
} // namespace utils

// Per-thread factory and owner of the agent's infrastructure: one environment is
// one complete, disposable set of connections. Lazily creates what is asked for.
class module_environment {
public:
    using ptr = std::unique_ptr<module_environment>;

    module_environment(config& cfg, std::atomic<bool>& should_stop);
    // The thread copy; only enter_thread() can make one.
    module_environment(const module_environment& other, utils::badge<module_environment>);
    ~module_environment();
    module_environment& operator=(const module_environment&) = delete;

    ptr enter_thread() const;

    const std::string& get_agent_uid() const { return m_agent_uid; }
    const std::string& get_pid_file_name() const { return m_system_pidfile; }
    config& get_config() const { return m_config; }
    const monitor_server::http_client::login_credentials& get_ma_credentials() const {
        return m_ma_credentials;
    }
    int get_number_of_events_in_package() const { return m_number_of_events_in_package; }
    utils::synchronized_value_shared& get_queues_db() const { return m_queues_db; }
    const std::vector<std::string>& get_additional_modules() const { return m_additional_modules; }
    const std::vector<std::string>& get_emergency_modules() const { return m_emergency_modules; }
    zmq::context_t& get_zmq_context() const { return m_zmq_context; }
    std::atomic<bool>& get_should_stop() const { return m_should_stop; }

    utils::logger& get_logger();
    utils::events_loop& get_events_loop();
    redis::context& get_redis_context();
    context::accessor& get_context();
    localserver& get_local_server();
    utils::message_stream& get_message_stream();
    monitor_server::http_client& get_monitor_server_http_client();
    environment::filesystem& get_filesystem();
    environment::system& get_system();

private:
    std::string read_single_line(const std::string& path);

    std::unique_ptr<environment::filesystem> m_filesystem;
    std::atomic<bool>& m_should_stop;
    utils::logger::verbose m_logger_verbose;
    utils::logger::log_stacktrace m_logger_log_stacktrace;
    zmq::context_t& m_zmq_context;
    utils::synchronized_value_shared& m_queues_db;
    std::string m_agent_uid;
    config& m_config;
    std::unique_ptr<utils::logger> m_logger;
    std::unique_ptr<utils::events_loop> m_events_loop;
    std::unique_ptr<redis::context> m_redis_context;
    std::unique_ptr<context::accessor> m_context_accessor;
    std::unique_ptr<localserver> m_localserver;
    std::unique_ptr<utils::message_stream> m_message_stream;
    std::unique_ptr<monitor_server::http_client> m_monitor_server_http_client;
    std::unique_ptr<environment::system> m_system;
    std::string m_system_pidfile;
    std::string m_proxy_address;
    int m_proxy_output_port;
    std::string m_local_server_protocol;
    std::string m_local_server_address;
    server::timeout m_local_server_timeout;
    std::string m_monitor_server_protocol;
    std::string m_monitor_server_address;
    int m_monitor_server_port;
    server::timeout m_monitor_server_timeout;
    int m_number_of_events_in_package;
    std::string m_monitor_server_debug_port;
    bool m_monitor_server_dry_run;
    monitor_server::http_client::login_credentials m_ma_credentials;
    std::string m_redis_host;
    int m_redis_port;
    std::string m_redis_password;
    std::vector<std::string> m_additional_modules;
    std::vector<std::string> m_emergency_modules;
};

// Process-wide objects shared by every environment and thread.
zmq::context_t& process_zmq_context();

} // namespace orv
