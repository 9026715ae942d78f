#include "server.h"

#include "utils/exceptions.h"
#include "utils/json.h"
#include "utils/scope_guard.h"
#include "utils/timestamp.h"

#include <cstdint>
#include <new>
#include <utility>

namespace orv {

namespace {

// libcurl write callback: appends each block to the answer stream. Must not let
// an exception escape into C code; returning a short count aborts the transfer.
size_t write_to_stream(char* ptr, size_t size, size_t nmemb, void* userdata) {
    const size_t bytes = size * nmemb;
    try {
        static_cast<std::stringstream*>(userdata)->write(ptr, static_cast<std::streamsize>(bytes));
    } catch (...) {
        return 0;
    }
    return bytes;
}

// The text as JSON when it parses, otherwise the raw text as a JSON string.
Json::Value json_or_text(const std::string& text) {
    auto parsed = utils::json_try_parse(text);
    if (parsed.ok) {
        return parsed.result;
    }
    return Json::Value(text);
}

} // namespace

server::server(std::string protocol, std::string address, std::string login,
               std::string password, std::uint32_t port, utils::logger& logger,
               zmq_socket_ptr zmq_debug_socket, bool dry_run, timeout request_timeout)
    : m_protocol(std::move(protocol)),
      m_address(std::move(address)),
      m_login(std::move(login)),
      m_password(std::move(password)),
      m_port(port),
      m_logger(logger),
      m_shared_data(curl_share_init()),
      m_zmq_debug_socket(std::move(zmq_debug_socket)),
      m_dry_run(dry_run),
      m_timeout(request_timeout) {
    CURLSH* share_handle = m_shared_data.get();
    ORV_CHECK(share_handle != NULL);
    curl_share_setopt(share_handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share_handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(share_handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    curl_share_setopt(share_handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
}

server::~server() = default;

void server::perform_request(const std::string& path, std::stringstream& answer,
                             const std::string& data, const std::string& method) {
    CURL* curl_handle = curl_easy_init();
    ORV_CHECK(curl_handle != NULL);
    auto handle_guard = utils::make_scope_guard([curl_handle] { curl_easy_cleanup(curl_handle); });

    curl_slist* headers = nullptr;
    auto headers_guard = utils::make_scope_guard([&headers] { curl_slist_free_all(headers); });

    if (!data.empty()) {
        curl_slist* appended = curl_slist_append(headers, "content-type: application/json");
        ORV_CHECK(appended != NULL);
        headers = appended;
        curl_easy_setopt(curl_handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(data.size()));
        curl_easy_setopt(curl_handle, CURLOPT_POSTFIELDS, data.c_str());
    }

    const std::string url = m_address + path;

    curl_easy_setopt(curl_handle, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl_handle, CURLOPT_CUSTOMREQUEST, method.c_str());
    curl_easy_setopt(curl_handle, CURLOPT_WRITEFUNCTION, &write_to_stream);
    curl_easy_setopt(curl_handle, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl_handle, CURLOPT_TIMEOUT, static_cast<long>(m_timeout.value));
    curl_easy_setopt(curl_handle, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(curl_handle, CURLOPT_FOLLOWLOCATION, 1L);
    // The custom method survives a redirect; without this libcurl would drop the
    // body and send a bodyless POST/PUT to the new location, which a server may
    // accept with 2xx although the data never reached it.
    curl_easy_setopt(curl_handle, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL));
    curl_easy_setopt(curl_handle, CURLOPT_SHARE, m_shared_data.get());
    curl_easy_setopt(curl_handle, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(curl_handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl_handle, CURLOPT_DEFAULT_PROTOCOL, m_protocol.c_str());

    std::string user_password;
    if (!m_login.empty() && !m_password.empty()) {
        user_password = m_login + ":" + m_password;
        curl_easy_setopt(curl_handle, CURLOPT_USERPWD, user_password.c_str());
    }
    if (m_port != 0) {
        curl_easy_setopt(curl_handle, CURLOPT_PORT, static_cast<long>(m_port));
    }

    if (!m_dry_run) {
        const CURLcode result = curl_easy_perform(curl_handle);
        if (result != CURLE_OK) {
            ORV_THROW_MSG(std::string("curl_easy_perform failed:") + curl_easy_strerror(result) +
                          " URL=" + url);
        }
    }

    long http_code = 200;
    curl_slist* cookies = nullptr;
    curl_easy_getinfo(curl_handle, CURLINFO_COOKIELIST, &cookies);
    auto cookies_guard = utils::make_scope_guard([&cookies] { curl_slist_free_all(cookies); });
    if (!m_dry_run) {
        curl_easy_getinfo(curl_handle, CURLINFO_RESPONSE_CODE, &http_code);
    }

    const std::string answer_text = answer.str();
    log_request(url, data, answer_text, http_code, cookies);

    if (http_code < 200 || http_code > 299) {
        ORV_THROW(http_request_unsuccessful_exception(static_cast<int>(http_code), url, method,
                                                      answer_text));
    }
}

void server::curl_get_request(const std::string& path, std::stringstream& answer) {
    perform_request(path, answer, "", "GET");
}

void server::curl_post_request(const std::string& path, std::stringstream& answer,
                               const std::string& data) {
    perform_request(path, answer, data, "POST");
}

void server::curl_put_request(const std::string& path, std::stringstream& answer,
                              const std::string& data) {
    perform_request(path, answer, data, "PUT");
}

void server::curl_del_request(const std::string& path, std::stringstream& answer) {
    perform_request(path, answer, "", "DELETE");
}

void server::parse_answer(const std::string& name, std::stringstream& answer,
                          Json::Value& output) {
    auto parsed = utils::json_try_parse(answer.str());
    if (!parsed.ok) {
        ORV_THROW_MSG("In " + name + ", parse failed with error: " + parsed.error);
    }
    output = std::move(parsed.result);
}

void server::log_request(const std::string& url, const std::string& data,
                         const std::string& answer, long http_code, const curl_slist* cookies) {
    if (!m_zmq_debug_socket) {
        return;
    }

    // Built member by member: the mirror's members keep this order, which a
    // Json::Value object (sorted by name) would not.
    Json::Value cookie_lines(Json::arrayValue);
    for (const curl_slist* item = cookies; item != nullptr; item = item->next) {
        cookie_lines.append(item->data);
    }
    const std::pair<const char*, Json::Value> members[] = {
        {"url", Json::Value(url)},
        {"http_code", Json::Value(static_cast<Json::Int64>(http_code))},
        {"answer", json_or_text(answer)},
        {"data", json_or_text(data)},
        {"cookies", cookie_lines},
        {"client_id", Json::Value(static_cast<Json::UInt64>(reinterpret_cast<std::uintptr_t>(this)))},
        {"base_address", Json::Value(m_address)},
        {"timestamp", Json::Value(utils::timestamp::current_time().to_json_string())},
    };
    std::string text = "{";
    for (const auto& member : members) {
        if (text.size() > 1) {
            text += ',';
        }
        text += utils::json_to_string(Json::Value(member.first));
        text += ':';
        text += utils::json_to_string(member.second);
    }
    text += '}';

    // The terminating NUL goes with the text; EAGAIN (no room) drops the message.
    m_zmq_debug_socket->send(zmq::const_buffer(text.c_str(), text.size() + 1),
                             zmq::send_flags::none);
}

} // namespace orv
