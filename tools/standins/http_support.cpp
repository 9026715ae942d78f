#include "standins/http_support.h"

#include "utils/exceptions.h"
#include "utils/json.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>

namespace orv::standins::detail {

std::int64_t now_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string decode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() &&
                   hex_value(text[i + 1]) >= 0 && hex_value(text[i + 2]) >= 0) {
            out += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::multimap<std::string, std::string> parse_query(const std::string& query) {
    std::multimap<std::string, std::string> result;
    std::size_t pos = 0;
    while (pos <= query.size()) {
        std::size_t end = query.find('&', pos);
        if (end == std::string::npos)
            end = query.size();
        const std::string pair = query.substr(pos, end - pos);
        if (!pair.empty()) {
            const auto equals = pair.find('=');
            if (equals == std::string::npos)
                result.emplace(decode(pair), "");
            else
                result.emplace(decode(pair.substr(0, equals)), decode(pair.substr(equals + 1)));
        }
        pos = end + 1;
    }
    return result;
}

http_record make_record(const httplib::Request& request) {
    http_record record;
    record.time_ms = now_ms();
    record.method = request.method;
    record.path = request.path;
    record.target = request.target.empty() ? request.path : request.target;
    // httplib drops repeated name=value pairs from its parameters; the agent repeats
    // some on purpose, so the query is split here.
    const auto question = record.target.find('?');
    if (question != std::string::npos)
        record.query = parse_query(record.target.substr(question + 1));
    record.content_type = request.get_header_value("Content-Type");
    record.cookie = request.get_header_value("Cookie");
    record.body = request.body;
    if (!request.body.empty()) {
        auto parsed = utils::json_try_parse(request.body);
        if (parsed.ok)
            record.json = std::move(parsed.result);
    }
    return record;
}

namespace {

int port_of(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

} // namespace

bool drop_connection(const httplib::Request& request) {
    // httplib does not hand out the connection's socket: find it among the process's
    // descriptors by its two ports.
    rlimit limit{};
    int max_fd = 1024;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        max_fd = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 65536));
    for (int fd = 3; fd < max_fd; ++fd) {
        sockaddr_storage local{}, peer{};
        socklen_t local_size = sizeof local, peer_size = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &local_size) != 0)
            continue;
        if (port_of(local) != request.local_port)
            continue;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peer_size) != 0)
            continue;
        if (port_of(peer) != request.remote_port)
            continue;
        // Reset rather than a clean close, so that nothing at all reaches the client.
        linger hard{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        shutdown(fd, SHUT_RDWR);
        return true;
    }
    return false;
}

std::string describe(const http_record& record) {
    std::string line = record.method + " " + record.target;
    if (!record.body.empty()) {
        std::string body = record.json.isNull() ? record.body : utils::json_to_string(record.json);
        if (body.size() > 200)
            body = body.substr(0, 200) + "... (" + std::to_string(record.body.size()) + " bytes)";
        line += " " + body;
    }
    line += record.status == 0 ? " -> connection dropped" : " -> " + std::to_string(record.status);
    return line;
}

http_thread::http_thread(httplib::Server& server, const std::string& host, int port) : m_server(server) {
    // httplib's default also sets SO_REUSEPORT, which would let a second server share
    // a port that is already taken instead of failing.
    m_server.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // One request per connection: a worker waiting on an idle kept-alive connection
    // would hold up stop() for seconds, and libcurl silently resends a request once
    // when a reused connection closes without an answer, which would hide a dropped
    // connection from the client.
    m_server.set_keep_alive_max_count(1);
    if (port == 0) {
        m_port = m_server.bind_to_any_port(host);
    } else {
        m_port = m_server.bind_to_port(host, port) ? port : -1;
    }
    if (m_port <= 0)
        ORV_THROW_MSG("cannot listen on " + host + ":" + std::to_string(port));
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    // stop() only takes effect once the accept loop runs: wait for it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!m_server.is_running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

http_thread::~http_thread() { stop(); }

void http_thread::stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_server.stop();
    if (m_thread.joinable())
        m_thread.join();
}

bool http_thread::sleep_for(std::chrono::milliseconds delay) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_wake.wait_for(lock, delay, [this] { return m_stopping; });
}

} // namespace orv::standins::detail
