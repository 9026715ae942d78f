#pragma once

#include "support/temp_dir.h"

#include <cstdarg>
#include <string>
#include <sys/types.h>

namespace orv::test {

// A private redis-server on a free loopback port, persistence off, in its own
// temporary directory. Started by the constructor, stopped by pid on destruction.
class redis_server {
public:
    explicit redis_server(std::string password = "");
    ~redis_server();
    redis_server(const redis_server&) = delete;
    redis_server& operator=(const redis_server&) = delete;

    int port() const { return m_port; }
    const std::string& host() const { return m_host; }
    const std::string& password() const { return m_password; }

    // Stops the server (SIGTERM, then waits for it) and starts it again on the same port.
    void stop();
    void start();
    bool running() const { return m_pid > 0; }

    // Runs one command through a separate connection, returning the reply as text
    // ("(nil)" for a nil reply, elements joined by "\n" for arrays). For test set-up
    // and for reading raw keys.
    std::string command(const char* format, ...) const;
    // The same, in another database (the agent itself uses database 7).
    std::string command_in_db(int db, const char* format, ...) const;
    void flushall() const;

private:
    void wait_until_ready() const;
    std::string vcommand(int db, const char* format, va_list ap) const;

    temp_dir m_dir;
    std::string m_host = "127.0.0.1";
    std::string m_password;
    int m_port;
    pid_t m_pid = -1;
};

} // namespace orv::test
