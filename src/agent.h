#pragma once

#include "module_environment.h"
#include "utils/noncopyable.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace orv {

struct config;

namespace context {
class accessor;
}

// Top-level state machine: writes the pid file, then alternates between the
// normal run and the send-to-server-only mode until the stop flag is set.
class application : utils::noncopyable {
public:
    enum class execution_state { WRITE_PID = 0, NORMAL_RUN = 1, SEND_TO_SERVER_ONLY = 2, EXIT = 3 };

    application(config& cfg, std::atomic<bool>& should_stop);

    // Runs the states until EXIT. Returns 0 when the program ended normally and
    // 1 when an exception ended it.
    int run();

    void write_pid(const std::string& pid_file_name);
    int normal_run();
    void send_to_server_only();
    bool should_go_to_normal_mode(module_environment& environment);
    void check_is_uid_changed(const std::string& agent_uid, context::accessor& context);

    execution_state next_state() const { return m_next_state; }

    // Bytes used by the "events" and "updates" queue tables together.
    static std::int64_t queues_size(module_environment& environment);
    // The mode decisions, on a measured size.
    static bool is_queue_too_big(std::int64_t size);
    static bool is_queue_small_enough(std::int64_t size);

private:
    execution_state m_next_state;
    config& m_config;
    std::atomic<bool>& m_should_stop;
    module_environment m_module_environment;
    utils::logger& m_logger;
};

// The program: command line, syslog, libcurl, configuration, application.
// Returns the process exit code.
int agent_main(int argc, char** argv, std::atomic<bool>& should_stop);

} // namespace orv
