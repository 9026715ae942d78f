#include "support/redis_server.h"

#include <hiredis/hiredis.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdarg>
#include <memory>
#include <stdexcept>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace orv::test {
namespace {

using context_ptr = std::unique_ptr<redisContext, decltype(&redisFree)>;

context_ptr connect(const std::string& host, int port, const std::string& password) {
    timeval timeout{2, 0};
    context_ptr c(redisConnectWithTimeout(host.c_str(), port, timeout), &redisFree);
    if (!c || c->err) {
        return context_ptr(nullptr, &redisFree);
    }
    if (!password.empty()) {
        auto* reply = static_cast<redisReply*>(redisCommand(c.get(), "AUTH %s", password.c_str()));
        if (reply != nullptr) {
            freeReplyObject(reply);
        }
    }
    return c;
}

std::string reply_text(const redisReply* reply) {
    switch (reply->type) {
    case REDIS_REPLY_STRING:
    case REDIS_REPLY_STATUS:
    case REDIS_REPLY_ERROR:
        return std::string(reply->str, reply->len);
    case REDIS_REPLY_INTEGER:
        return std::to_string(reply->integer);
    case REDIS_REPLY_NIL:
        return "(nil)";
    case REDIS_REPLY_ARRAY: {
        std::string out;
        for (size_t i = 0; i < reply->elements; ++i) {
            if (i != 0) {
                out += "\n";
            }
            out += reply_text(reply->element[i]);
        }
        return out;
    }
    default:
        return "";
    }
}

} // namespace

redis_server::redis_server(std::string password) : m_password(std::move(password)), m_port(free_port()) {
    start();
}

redis_server::~redis_server() { stop(); }

void redis_server::start() {
    if (m_pid > 0) {
        return;
    }
    std::vector<std::string> args = {"redis-server", "--port", std::to_string(m_port),
                                     "--bind", m_host, "--dir", m_dir.path(),
                                     "--save", "", "--appendonly", "no",
                                     "--daemonize", "no", "--loglevel", "warning",
                                     "--logfile", m_dir.file("redis.log")};
    if (!m_password.empty()) {
        args.push_back("--requirepass");
        args.push_back(m_password);
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        // The server must not outlive a test binary that crashes, nor hold its
        // output pipes open (ctest would wait for them to close).
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int null_fd = ::open("/dev/null", O_RDWR);
        if (null_fd >= 0) {
            ::dup2(null_fd, STDIN_FILENO);
            ::dup2(null_fd, STDOUT_FILENO);
            ::dup2(null_fd, STDERR_FILENO);
        }
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ::execvp("redis-server", argv.data());
        ::_exit(127);
    }
    m_pid = pid;
    wait_until_ready();
}

void redis_server::stop() {
    if (m_pid <= 0) {
        return;
    }
    ::kill(m_pid, SIGTERM);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

void redis_server::wait_until_ready() const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            throw std::runtime_error("redis-server exited at start (is it installed?)");
        }
        if (auto c = connect(m_host, m_port, m_password)) {
            auto* reply = static_cast<redisReply*>(redisCommand(c.get(), "PING"));
            const bool ok = reply != nullptr && reply->type == REDIS_REPLY_STATUS;
            if (reply != nullptr) {
                freeReplyObject(reply);
            }
            if (ok) {
                return;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    throw std::runtime_error("redis-server did not answer on port " + std::to_string(m_port));
}

std::string redis_server::command(const char* format, ...) const {
    va_list ap;
    va_start(ap, format);
    auto text = vcommand(0, format, ap);
    va_end(ap);
    return text;
}

std::string redis_server::command_in_db(int db, const char* format, ...) const {
    va_list ap;
    va_start(ap, format);
    auto text = vcommand(db, format, ap);
    va_end(ap);
    return text;
}

std::string redis_server::vcommand(int db, const char* format, va_list ap) const {
    auto c = connect(m_host, m_port, m_password);
    if (!c) {
        throw std::runtime_error("cannot connect to the test redis-server");
    }
    if (db != 0) {
        auto* selected = static_cast<redisReply*>(redisCommand(c.get(), "SELECT %d", db));
        if (selected != nullptr) {
            freeReplyObject(selected);
        }
    }
    auto* reply = static_cast<redisReply*>(redisvCommand(c.get(), format, ap));
    if (reply == nullptr) {
        throw std::runtime_error(std::string("redis command failed: ") + format);
    }
    const auto text = reply_text(reply);
    freeReplyObject(reply);
    return text;
}

void redis_server::flushall() const { command("FLUSHALL"); }

} // namespace orv::test
