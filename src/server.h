#pragma once

#include "utils/logger.h"
#include "utils/noncopyable.h"
#include "utils/strong_typedef.h"

#include <curl/curl.h>
#include <json/json.h>
#include <zmq.hpp>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

namespace orv {

// One HTTP request at a time over libcurl. Every request of one object shares
// one share handle (cookies, DNS cache, TLS sessions, connections), so a session
// cookie received once is sent with every later request. Optionally mirrors each
// request as JSON to a ZeroMQ debug socket. Not for use from several threads.
class server : utils::noncopyable {
public:
    // Whole-request time limit in seconds.
    using timeout = utils::strong_typedef<std::int64_t, struct server_timeout_tag>;
    using zmq_socket_ptr = std::unique_ptr<zmq::socket_t>;

    server(std::string protocol, std::string address, std::string login, std::string password,
           std::uint32_t port, utils::logger& logger, zmq_socket_ptr zmq_debug_socket,
           bool dry_run, timeout request_timeout);
    virtual ~server();

    // Sends `method` to m_address + path with `data` as a JSON body (none when
    // empty); the answer body is appended to `answer`. Throws orv::exception on a
    // transport error and http_request_unsuccessful_exception on a non-2xx status.
    void perform_request(const std::string& path, std::stringstream& answer,
                         const std::string& data, const std::string& method);
    void curl_get_request(const std::string& path, std::stringstream& answer);
    void curl_post_request(const std::string& path, std::stringstream& answer,
                           const std::string& data);
    void curl_put_request(const std::string& path, std::stringstream& answer,
                          const std::string& data);
    void curl_del_request(const std::string& path, std::stringstream& answer);

    // Parses the whole answer as JSON; `name` only names the request in the error.
    void parse_answer(const std::string& name, std::stringstream& answer, Json::Value& output);

    utils::logger& get_logger() { return m_logger; }

private:
    struct share_deleter {
        void operator()(CURLSH* handle) const { curl_share_cleanup(handle); }
    };

    void log_request(const std::string& url, const std::string& data, const std::string& answer,
                     long http_code, const curl_slist* cookies);

    std::string m_protocol;
    std::string m_address;
    std::string m_login;
    std::string m_password;
    std::uint32_t m_port;
    utils::logger& m_logger;
    std::unique_ptr<CURLSH, share_deleter> m_shared_data;
    zmq_socket_ptr m_zmq_debug_socket;
    bool m_dry_run;
    timeout m_timeout;
};

} // namespace orv
