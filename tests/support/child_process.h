#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace orv::test {

// A program started with fork/exec; killed (SIGKILL) and reaped on destruction if still running.
class child_process {
public:
    child_process(const std::string& program, const std::vector<std::string>& args);
    ~child_process();
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    pid_t pid() const { return m_pid; }
    void signal(int signal_number) const;
    // The exit code once the program has ended within `timeout`; nothing if it is still
    // running then. A program ended by a signal gives 128 + the signal number.
    std::optional<int> wait_for_exit(std::chrono::milliseconds timeout);

private:
    pid_t m_pid = -1;
    std::optional<int> m_exit_code;
};

// Polls `condition` every 10 ms until it holds or `timeout` passes; returns its last value.
template <typename Condition>
bool wait_until(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return condition();
        }
        struct timespec pause{0, 10 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    return true;
}

// Path of a program built by this project (e.g. "src/zenk-monitor-agent").
std::string built_program(const std::string& relative_path);

} // namespace orv::test
