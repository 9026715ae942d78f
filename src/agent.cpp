#include "agent.h"

#include "config.h"
#include "constants/constants.h"
#include "context/accessor.h"
#include "context/agent.h"
#include "context/monitor_server.h"
#include "sqlite/calculate_table_size.h"
#include "utils/events_loop.h"
#include "utils/exceptions.h"
#include "utils/syslog_sink.h"
#include "utils/timestamp.h"

#include <boost/format.hpp>
#include <curl/curl.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <getopt.h>
#include <sys/types.h>
#include <syslog.h>
#include <unistd.h>

namespace orv {

application::application(config& cfg, std::atomic<bool>& should_stop)
    : m_next_state(execution_state::WRITE_PID), m_config(cfg), m_should_stop(should_stop),
      m_module_environment(cfg, should_stop), m_logger(m_module_environment.get_logger()) {}

int application::run() {
    try {
        while (m_next_state != execution_state::EXIT) {
            const auto state = m_next_state;
            m_next_state = execution_state::EXIT;
            switch (state) {
            case execution_state::WRITE_PID:
                write_pid(m_module_environment.get_pid_file_name());
                break;
            case execution_state::NORMAL_RUN:
                normal_run();
                break;
            case execution_state::SEND_TO_SERVER_ONLY:
                send_to_server_only();
                break;
            default:
                return 0;
            }
        }
    } catch (...) {
        m_logger.log_exception();
        // A stop request that interrupted a mode is a normal end.
        return m_should_stop.load() ? 0 : 1;
    }
    return 0;
}

void application::write_pid(const std::string& pid_file_name) {
    {
        std::ifstream in(pid_file_name);
        pid_t pid = 0;
        // Only a positive pid names one process: kill() with 0 or a negative
        // value probes process groups (-1: every process we may signal). Our
        // own pid cannot belong to a previous instance: the file is stale.
        if (in && (in >> pid) && pid > 0 && pid != ::getpid()) {
            if (::kill(pid, 0) == 0) {
                ORV_THROW_MSG("Process is running");
            }
            if (errno != ESRCH) {
                ORV_THROW_MSG(std::string("kill(): ") + std::strerror(errno));
            }
        }
    }
    std::ofstream out(pid_file_name, std::ios::trunc);
    if (!out) {
        ORV_THROW_MSG("Error opening pid-file");
    }
    out << ::getpid();
    out.close();
    if (!out) {
        ORV_THROW_MSG("Error opening pid-file");
    }
    m_next_state = execution_state::SEND_TO_SERVER_ONLY;
}

std::int64_t application::queues_size(module_environment& environment) {
    auto& database = environment.get_queues_db();
    return static_cast<std::int64_t>(sqlite::calculate_table_size("events", database).value) +
           static_cast<std::int64_t>(sqlite::calculate_table_size("updates", database).value);
}

bool application::is_queue_too_big(std::int64_t size) {
    return size > constants::queues::queue_upper_bound_size;
}

bool application::is_queue_small_enough(std::int64_t size) {
    return size < constants::queues::queue_lower_bound_size;
}

bool application::should_go_to_normal_mode(module_environment& environment) {
    return is_queue_small_enough(queues_size(environment));
}

void application::check_is_uid_changed(const std::string& agent_uid, context::accessor& context) {
    const auto stored = context.get_monitor_server().get_agent_uid();
    if (!stored.empty() && stored != agent_uid) {
        ORV_THROW_MSG(
            (boost::format("Server uid was changed! old uid: '%1%', new uid: '%2%'.") % stored % agent_uid)
                .str());
    }
}

int application::normal_run() {
    module_environment environment(m_config, m_should_stop);
    auto& events_loop = environment.get_events_loop();
    auto& context = environment.get_context();
    environment.get_local_server();
    environment.get_message_stream();

    context.get_agent().set_start_time(utils::timestamp::current_time());
    const std::string agent_uid = environment.get_agent_uid();
    check_is_uid_changed(agent_uid, context);

    auto stop_timer = events_loop.repeat_action(constants::stop_flag_check_period, [&](utils::timestamp) {
        if (m_should_stop.load()) {
            events_loop.stop();
        }
    });
    auto queue_timer = events_loop.repeat_action(constants::queue_size_check_period, [&](utils::timestamp) {
        if (is_queue_too_big(queues_size(environment))) {
            events_loop.stop();
            m_next_state = execution_state::SEND_TO_SERVER_ONLY;
        }
    });
    events_loop.start();
    return 0;
}

void application::send_to_server_only() {
    module_environment environment(m_config, m_should_stop);
    if (should_go_to_normal_mode(environment)) {
        m_next_state = execution_state::NORMAL_RUN;
        return;
    }
    auto& events_loop = environment.get_events_loop();
    auto stop_timer = events_loop.repeat_action(constants::stop_flag_check_period, [&](utils::timestamp) {
        if (m_should_stop.load()) {
            events_loop.stop();
        }
    });
    auto queue_timer = events_loop.repeat_action(constants::queue_size_check_period, [&](utils::timestamp) {
        if (should_go_to_normal_mode(environment)) {
            m_next_state = execution_state::NORMAL_RUN;
            events_loop.stop();
        }
    });
    events_loop.start();
}

namespace {

std::string format_with_program(const char* format, const char* program) {
    return (boost::format(format) % program).str();
}

} // namespace

int agent_main(int argc, char** argv, std::atomic<bool>& should_stop) {
    using utils::write_syslog;
    write_syslog(LOG_INFO, "Starting zenk-monitor-agent");

    const char* program = argc > 0 ? argv[0] : "zenk-monitor-agent";
    std::string config_file_name;
    optind = 0; // full re-initialisation, so that the parse can run more than once in a process
    int option = 0;
    while ((option = ::getopt(argc, argv, "c:")) != -1) {
        if (option == 'c') {
            config_file_name = optarg;
        } else {
            write_syslog(LOG_INFO, format_with_program("Usage: %1% -c config_file", program));
            return 1;
        }
    }
    if (config_file_name.empty()) {
        write_syslog(LOG_ERR, format_with_program(
                                  "The configuration file is not defined! Usage: %1% -c config_file\n", program));
        return 1;
    }

    const CURLcode curl_code = ::curl_global_init(CURL_GLOBAL_ALL);
    if (curl_code != CURLE_OK) {
        write_syslog(LOG_ERR, format_with_program("curl_global_init: %1% -c config_file\n",
                                                  ::curl_easy_strerror(curl_code)));
        return 1;
    }

    int exit_code = 0;
    try {
        std::ifstream stream(config_file_name);
        config cfg(stream, config_file_name);
        application app(cfg, should_stop);
        exit_code = app.run();
    } catch (...) {
        utils::logger emergency_logger{utils::logger::verbose{false}, utils::logger::log_stacktrace{false},
                                       utils::logger::log_exceptions{true}};
        emergency_logger.log_exception();
        exit_code = should_stop.load() ? 0 : 1;
    }
    ::curl_global_cleanup();
    return exit_code;
}

} // namespace orv
