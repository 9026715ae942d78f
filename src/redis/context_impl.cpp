#include "redis/context_impl.h"

#include "redis/cached_hash_impl.h"
#include "redis/cached_set_impl.h"
#include "redis/list_impl.h"
#include "utils/exceptions.h"
#include "utils/scope_guard.h"

#include <hiredis/hiredis.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <ctime>
#include <pthread.h>
#include <thread>

namespace orv::redis {
namespace {

// hiredis writes with write(2): a write to a connection that Redis has reset
// would raise SIGPIPE and end the process. While a command is sent the signal
// is blocked for this thread, and a SIGPIPE raised meanwhile is consumed; the
// write then simply fails and the command reconnects.
class sigpipe_guard {
public:
    sigpipe_guard() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        sigpending(&pending);
        m_was_pending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old_mask);
    }
    ~sigpipe_guard() {
        if (!m_was_pending) {
            sigset_t pending;
            sigemptyset(&pending);
            sigpending(&pending);
            if (sigismember(&pending, SIGPIPE) == 1) {
                const timespec no_wait{0, 0};
                while (sigtimedwait(&m_pipe, nullptr, &no_wait) == -1 && errno == EINTR) {
                }
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_old_mask, nullptr);
    }
    sigpipe_guard(const sigpipe_guard&) = delete;
    sigpipe_guard& operator=(const sigpipe_guard&) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_old_mask;
    bool m_was_pending = false;
};

redisReply* as_reply(void* reply) { return static_cast<redisReply*>(reply); }

} // namespace

void context_impl::context_deleter::operator()(redisContext* context) const { redisFree(context); }

context_impl::context_impl(const std::string& host, int port, unsigned int db_number,
                           const std::string& password, std::atomic<bool>& should_stop)
    : m_host(host), m_port(port), m_db_number(db_number), m_password(password),
      m_should_stop(should_stop) {
    connect();
}

context_impl::~context_impl() = default;

void context_impl::connect() const {
    const timeval timeout{1, 500000};
    std::unique_ptr<redisContext, context_deleter> connection(
        redisConnectWithTimeout(m_host.c_str(), m_port, timeout));
    // The previous connection is freed only now, after the replacement.
    m_context_ptr = std::move(connection);
    if (!m_context_ptr) {
        ORV_THROW_MSG("REDIS: Connection error: can't allocate redis context");
    }
    if (m_context_ptr->err != 0) {
        ORV_THROW_MSG(std::string("REDIS: Connection error: ") + m_context_ptr->errstr);
    }

    // A connection that is not authenticated and on the right database must not
    // carry the commands that are retried after a failed reconnect: they would
    // be refused, or run on database 0. Drop it unless both steps succeed.
    bool prepared = false;
    const auto drop_unprepared = utils::make_scope_guard([&] {
        if (!prepared) {
            m_context_ptr.reset();
        }
    });
    sigpipe_guard guard;
    if (!m_password.empty()) {
        redisReply* raw = as_reply(redisCommand(m_context_ptr.get(), "AUTH %s", m_password.c_str()));
        if (raw == nullptr) {
            ORV_THROW_MSG("REDIS: AUTH command failed - null reply");
        }
        const reply auth(raw);
        if (auth.get_type() != reply_type::STATUS || auth.to_string() != "OK") {
            ORV_THROW_MSG("AUTH failed");
        }
    }

    redisReply* raw = as_reply(redisCommand(m_context_ptr.get(), "SELECT %u", m_db_number));
    if (raw == nullptr) {
        ORV_THROW_MSG("REDIS: SELECT command failed - null reply");
    }
    const reply select(raw);
    if (select.get_type() == reply_type::ERROR) {
        ORV_THROW_MSG("REDIS: SELECT failed: " + select.to_string());
    }
    prepared = true;
}

void context_impl::wait_after_failed_connect() const {
    std::this_thread::sleep_for(s_reconnect_retry_delay);
}

template <typename Send>
reply context_impl::execute_loop(const std::string& command_name, Send send) const {
    for (;;) {
        redisReply* raw = nullptr;
        // A failed reconnect may have left no connection object at all.
        if (m_context_ptr) {
            sigpipe_guard guard;
            raw = as_reply(send(m_context_ptr.get()));
        }
        if (raw != nullptr) {
            reply result(raw);
            if (result.get_type() == reply_type::ERROR) {
                ORV_THROW_MSG("REDIS: Command: " + command_name + ", error: " + result.to_string());
            }
            return result;
        }
        try {
            connect();
        } catch (...) {
            wait_after_failed_connect();
        }
        if (m_should_stop.load()) {
            ORV_THROW_MSG("Stopped");
        }
    }
}

reply context_impl::execute_command_argv(std::vector<const char*> args) const {
    if (args.empty()) {
        // Redis answers nothing at all to an empty command: sending it would
        // block this thread for good.
        ORV_THROW_MSG("REDIS: Command: unknown, error: empty command");
    }
    const std::string name = args.front();
    std::vector<std::size_t> lengths;
    lengths.reserve(args.size());
    for (const char* arg : args) {
        ORV_CHECK(arg != nullptr);
        lengths.push_back(std::char_traits<char>::length(arg));
    }
    return execute_loop(name, [&](redisContext* connection) {
        return redisCommandArgv(connection, static_cast<int>(args.size()), args.data(),
                                lengths.data());
    });
}

reply context_impl::execute_command_format(const char* format, ...) const {
    if (std::string(format).find_first_not_of(' ') == std::string::npos) {
        ORV_THROW_MSG(std::string("REDIS: Command: ") + format + ", error: empty command");
    }
    va_list args;
    va_start(args, format);
    try {
        auto result = execute_loop(format, [&](redisContext* connection) {
            va_list copy;
            va_copy(copy, args);
            void* raw = redisvCommand(connection, format, copy);
            va_end(copy);
            return raw;
        });
        va_end(args);
        return result;
    } catch (...) {
        va_end(args);
        throw;
    }
}

std::string context_impl::get_type(const key& key) const {
    return execute_command_argv({"TYPE", key.as_string().c_str()}).to_string();
}

reply context_impl::flush_db() { return execute_command("FLUSHDB"); }

std::unique_ptr<hash> context_impl::get_hash(const key& key) {
    const auto type = get_type(key);
    if (type != "none" && type != "hash") {
        ORV_THROW_MSG("Invalid type, actual type is: " + type);
    }
    return std::make_unique<cached_hash_impl>(key.as_string(), *this, m_hash_cache);
}

std::unique_ptr<set> context_impl::get_set(const key& key) {
    const auto type = get_type(key);
    if (type != "none" && type != "set") {
        ORV_THROW_MSG("Invalid type, actual type is: " + type);
    }
    return std::make_unique<cached_set_impl>(key.as_string(), *this, m_set_cache);
}

std::unique_ptr<list> context_impl::get_list(const key& key) {
    const auto type = get_type(key);
    if (type != "none" && type != "list") {
        ORV_THROW_MSG("Invalid type, actual type is: " + type);
    }
    return std::make_unique<list_impl>(key.as_string(), *this);
}

bool context_impl::has_value(const key& key) const { return get_type(key) == "string"; }

std::string context_impl::get_value(const key& key) const {
    return execute_command_argv({"GET", key.as_string().c_str()}).to_string();
}

void context_impl::set_value(const key& key, const std::string& value) {
    execute_command_argv({"SET", key.as_string().c_str(), value.c_str()});
}

} // namespace orv::redis
