#include "module_environment.h"

#include "config.h"
#include "constants/constants.h"
#include "context/accessor_impl.h"
#include "environment/filesystem_impl.h"
#include "environment/system_impl.h"
#include "localserver_impl.h"
#include "migrations/controller.h"
#include "monitor_server/http_client_impl.h"
#include "redis/context_impl.h"
#include "utils/exceptions.h"
#include "utils/impl/events_loop_impl.h"
#include "utils/impl/message_stream_zmq.h"

#include <cerrno>
#include <chrono>
#include <thread>
#include <time.h>

namespace orv {
namespace {

// Sleeps the whole duration even when signals interrupt the sleep.
void sleep_fully(std::chrono::seconds duration) {
    timespec remaining{static_cast<time_t>(duration.count()), 0};
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

} // namespace

zmq::context_t& process_zmq_context() {
    static zmq::context_t context = [] {
        zmq::context_t c;
        c.set(zmq::ctxopt::io_threads, 1);
        c.set(zmq::ctxopt::max_sockets, 1023);
        return c;
    }();
    return context;
}

module_environment::module_environment(config& cfg, std::atomic<bool>& should_stop)
    : m_filesystem(std::make_unique<environment::filesystem_impl>()),
      m_should_stop(should_stop),
      m_logger_verbose(false),
      m_logger_log_stacktrace(cfg.system_generate_backtrace),
      m_zmq_context(process_zmq_context()),
      m_queues_db(sqlite::get_queues_database(cfg.system_queuesdbfile)),
      m_agent_uid(read_single_line(cfg.system_uidfile)),
      m_config(cfg),
      m_system_pidfile(cfg.system_pidfile),
      m_proxy_address(cfg.proxy_address),
      m_proxy_output_port(cfg.proxy_output_port),
      m_local_server_protocol(cfg.local_server_protocol),
      m_local_server_address(cfg.local_server_address),
      m_local_server_timeout(cfg.local_server_timeout),
      m_monitor_server_protocol(cfg.monitor_server_protocol),
      m_monitor_server_address(cfg.monitor_server_address),
      m_monitor_server_port(cfg.monitor_server_port.value_or(0)),
      m_monitor_server_timeout(cfg.monitor_server_timeout),
      m_number_of_events_in_package(cfg.monitor_server_events_package_size),
      m_monitor_server_debug_port(cfg.monitor_server_debug_port
                                      ? std::to_string(*cfg.monitor_server_debug_port)
                                      : std::string()),
      m_monitor_server_dry_run(cfg.monitor_server_debug_dry_run),
      m_ma_credentials{read_single_line(cfg.monitor_server_emailfile),
                       read_single_line(cfg.monitor_server_passwordfile), m_agent_uid},
      m_redis_host(cfg.redis_host),
      m_redis_port(cfg.redis_port),
      m_redis_password(cfg.redis_password),
      m_additional_modules(cfg.modules_additional_modules) {
    migrations::controller(get_redis_context(), m_queues_db).migrate();
}

module_environment::module_environment(const module_environment& other,
                                       utils::badge<module_environment>)
    : m_should_stop(other.m_should_stop),
      m_logger_verbose(false),
      m_logger_log_stacktrace(false),
      m_zmq_context(other.m_zmq_context),
      m_queues_db(other.m_queues_db),
      m_agent_uid(other.m_agent_uid),
      m_config(other.m_config),
      m_system_pidfile(other.m_system_pidfile),
      m_proxy_address(other.m_proxy_address),
      m_proxy_output_port(other.m_proxy_output_port),
      m_local_server_protocol(other.m_local_server_protocol),
      m_local_server_address(other.m_local_server_address),
      m_local_server_timeout(other.m_local_server_timeout),
      m_monitor_server_protocol(other.m_monitor_server_protocol),
      m_monitor_server_address(other.m_monitor_server_address),
      m_monitor_server_port(other.m_monitor_server_port),
      m_monitor_server_timeout(other.m_monitor_server_timeout),
      m_number_of_events_in_package(other.m_number_of_events_in_package),
      m_monitor_server_debug_port(other.m_monitor_server_debug_port),
      m_monitor_server_dry_run(other.m_monitor_server_dry_run),
      m_ma_credentials(other.m_ma_credentials),
      m_redis_host(other.m_redis_host),
      m_redis_port(other.m_redis_port),
      m_redis_password(other.m_redis_password),
      m_additional_modules(other.m_additional_modules),
      m_emergency_modules(other.m_emergency_modules) {}

module_environment::~module_environment() = default;

module_environment::ptr module_environment::enter_thread() const {
    return std::make_unique<module_environment>(*this, utils::badge<module_environment>{});
}

std::string module_environment::read_single_line(const std::string& path) {
    auto file = get_filesystem().open_file(path, environment::filesystem::open_mode::read);
    auto line = file->read_line();
    if (!line) {
        ORV_THROW_MSG(path + ": cannot read line");
    }
    return *line;
}

utils::logger& module_environment::get_logger() {
    if (!m_logger) {
        m_logger = std::make_unique<utils::logger>(m_logger_verbose, m_logger_log_stacktrace,
                                                   utils::logger::log_exceptions{true});
    }
    return *m_logger;
}

utils::events_loop& module_environment::get_events_loop() {
    if (!m_events_loop) {
        m_events_loop = std::make_unique<utils::events_loop_impl>(get_logger());
    }
    return *m_events_loop;
}

redis::context& module_environment::get_redis_context() {
    while (!m_redis_context) {
        if (m_should_stop.load()) {
            ORV_THROW_MSG("Stopped");
        }
        try {
            m_redis_context = std::make_unique<redis::context_impl>(
                m_redis_host, m_redis_port, constants::redis_db, m_redis_password, m_should_stop);
        } catch (...) {
            get_logger().log_exception();
            sleep_fully(constants::redis_connect_retry_period);
        }
    }
    return *m_redis_context;
}

context::accessor& module_environment::get_context() {
    if (!m_context_accessor) {
        m_context_accessor = std::make_unique<context::accessor_impl>(get_redis_context(), m_queues_db);
    }
    return *m_context_accessor;
}

localserver& module_environment::get_local_server() {
    if (!m_localserver) {
        m_localserver = std::make_unique<localserver_impl>(
            m_local_server_protocol, m_local_server_address, "", "", 0, get_logger(), nullptr, false,
            m_local_server_timeout, m_should_stop);
    }
    return *m_localserver;
}

utils::message_stream& module_environment::get_message_stream() {
    if (!m_message_stream) {
        m_message_stream = std::make_unique<utils::message_stream_zmq>(
            m_zmq_context, "tcp://" + m_proxy_address + ":" + std::to_string(m_proxy_output_port),
            get_events_loop(), get_logger());
    }
    return *m_message_stream;
}

monitor_server::http_client& module_environment::get_monitor_server_http_client() {
    if (!m_monitor_server_http_client) {
        std::unique_ptr<zmq::socket_t> debug_socket;
        if (!m_monitor_server_debug_port.empty()) {
            debug_socket = std::make_unique<zmq::socket_t>(m_zmq_context, zmq::socket_type::pub);
            debug_socket->bind("tcp://*:" + m_monitor_server_debug_port);
            // Give subscribers time to connect before the first message.
            sleep_fully(std::chrono::seconds(5));
        }
        m_monitor_server_http_client = std::make_unique<monitor_server::http_client_impl>(
            m_monitor_server_protocol, m_monitor_server_address, "", "",
            static_cast<std::uint32_t>(m_monitor_server_port), get_logger(), std::move(debug_socket),
            m_monitor_server_dry_run, m_monitor_server_timeout, m_should_stop);
    }
    return *m_monitor_server_http_client;
}

environment::filesystem& module_environment::get_filesystem() {
    if (!m_filesystem) {
        m_filesystem = std::make_unique<environment::filesystem_impl>();
    }
    return *m_filesystem;
}

environment::system& module_environment::get_system() {
    if (!m_system) {
        m_system = std::make_unique<environment::system_impl>();
    }
    return *m_system;
}

} // namespace orv
