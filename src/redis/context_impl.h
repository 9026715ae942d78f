#pragma once

#include "redis/context.h"

#include <boost/smart_ptr/local_shared_ptr.hpp>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

struct redisContext;

namespace orv::redis {

// Shared contents of the cached handles of one key. The reference counts are
// not atomic: contents, registries and handles belong to the connection's thread.
using hash_contents = std::map<std::string, std::string>;
using hash_contents_ptr = boost::local_shared_ptr<hash_contents>;
using hash_cache_map = std::map<std::string, hash_contents_ptr>;
using set_contents = std::set<std::string>;
using set_contents_ptr = boost::local_shared_ptr<set_contents>;
using set_cache_map = std::map<std::string, set_contents_ptr>;

// The hiredis connection. A command that finds the connection broken
// reconnects and re-sends itself until Redis answers or the stop flag is set.
class context_impl : public context {
public:
    static constexpr std::chrono::seconds s_reconnect_retry_delay{1};

    // Connects (and authenticates, and selects the database); throws when that fails.
    context_impl(const std::string& host, int port, unsigned int db_number,
                 const std::string& password, std::atomic<bool>& should_stop);
    ~context_impl() override;

    reply flush_db() override;
    std::unique_ptr<hash> get_hash(const key& key) override;
    std::unique_ptr<set> get_set(const key& key) override;
    std::unique_ptr<list> get_list(const key& key) override;
    bool has_value(const key& key) const override;
    std::string get_value(const key& key) const override;
    void set_value(const key& key, const std::string& value) override;

    // Sends each argument with its C-string length (no NUL bytes inside).
    reply execute_command_argv(std::vector<const char*> args) const;

    // A printf-style command formatted by hiredis ("HSCAN %s %d"); the arguments
    // must be of the plain C types the format names.
    template <typename... Args>
    reply execute_command(const std::string& format, Args... args) const {
        static_assert(((std::is_arithmetic_v<Args> || std::is_pointer_v<Args>) && ...),
                      "only C strings and numbers can be formatted into a command");
        return execute_command_format(format.c_str(), args...);
    }

protected:
    // Pause after a failed reconnect, before the stop flag is checked and the
    // command is sent again.
    virtual void wait_after_failed_connect() const;

private:
    struct context_deleter {
        void operator()(redisContext* context) const;
    };

    void connect() const;
    reply execute_command_format(const char* format, ...) const;
    // Sends through send() until a reply arrives; reconnects in between.
    template <typename Send>
    reply execute_loop(const std::string& command_name, Send send) const;
    std::string get_type(const key& key) const;

    mutable std::unique_ptr<redisContext, context_deleter> m_context_ptr;
    std::string m_host;
    int m_port;
    unsigned int m_db_number;
    std::string m_password;
    std::atomic<bool>& m_should_stop;
    hash_cache_map m_hash_cache;
    set_cache_map m_set_cache;
};

} // namespace orv::redis
