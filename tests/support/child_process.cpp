#include "support/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orv::test {

child_process::child_process(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> argv_storage{program};
    argv_storage.insert(argv_storage.end(), args.begin(), args.end());
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        // Dies with the test binary, even when that crashes.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        std::vector<char*> argv;
        for (auto& a : argv_storage) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    m_pid = pid;
}

child_process::~child_process() {
    if (!m_exit_code && m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

void child_process::signal(int signal_number) const { ::kill(m_pid, signal_number); }

std::optional<int> child_process::wait_for_exit(std::chrono::milliseconds timeout) {
    if (m_exit_code) {
        return m_exit_code;
    }
    wait_until(
        [this] {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            return m_exit_code.has_value();
        },
        timeout);
    return m_exit_code;
}

std::string built_program(const std::string& relative_path) {
    const char* dir = std::getenv("ORV_TEST_BINARY_DIR");
    return std::string(dir != nullptr ? dir : ORV_BUILD_DIR) + "/" + relative_path;
}

} // namespace orv::test
