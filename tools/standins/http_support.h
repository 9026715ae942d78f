#pragma once

// Pieces shared by the HTTP stand-ins (not part of their public interface).

#include "standins/http_record.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace orv::standins::detail {

std::int64_t now_ms();

// Splits and decodes a query ("a=1&b[]=x%20y"), keeping repeated pairs.
std::multimap<std::string, std::string> parse_query(const std::string& query);

// The record of a request as received (status still 0).
http_record make_record(const httplib::Request& request);

// Closes the server side of the request's connection at once, so that the client
// receives no answer at all. Returns false when the socket was not found.
bool drop_connection(const httplib::Request& request);

// A short readable line for the programs' output: "<method> <target> -> <status>".
std::string describe(const http_record& record);

// An httplib server on its own thread, bound before the constructor returns.
// Sends every GET, PUT, POST and DELETE, whatever its path, to one handler.
inline void route_all_requests(httplib::Server& server, const httplib::Server::Handler& handler) {
    server.Get(".*", handler);
    server.Put(".*", handler);
    server.Post(".*", handler);
    server.Delete(".*", handler);
}

class http_thread {
public:
    http_thread(httplib::Server& server, const std::string& host, int port);
    ~http_thread();
    http_thread(const http_thread&) = delete;
    http_thread& operator=(const http_thread&) = delete;

    int port() const { return m_port; }
    // Stops accepting, wakes up delayed answers and joins the thread.
    void stop();
    // Sleeps for the delay unless stop() is called first; false when stopped.
    bool sleep_for(std::chrono::milliseconds delay);

private:
    httplib::Server& m_server;
    int m_port = -1;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
};

} // namespace orv::standins::detail
