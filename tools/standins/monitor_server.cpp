#include "standins/monitor_server.h"

#include "standins/http_support.h"

#include "utils/exceptions.h"
#include "utils/json.h"
#include "utils/uuid.h"

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>

namespace orv::standins {

namespace {

enum class body_kind { login, events, notify, snapshot, ping };

std::optional<body_kind> kind_of(const std::string& path) {
    if (path == monitor_server::login_path)
        return body_kind::login;
    if (path == monitor_server::events_path)
        return body_kind::events;
    if (path == monitor_server::snapshot_path)
        return body_kind::snapshot;
    if (path == monitor_server::ping_path)
        return body_kind::ping;
    for (const char* notify : {monitor_server::companies_notify_path, monitor_server::projects_notify_path,
                               monitor_server::locations_notify_path, monitor_server::sublocations_notify_path,
                               monitor_server::users_notify_path, monitor_server::anchors_notify_path})
        if (path == notify)
            return body_kind::notify;
    return std::nullopt;
}

bool is_json_content_type(const std::string& content_type) {
    return content_type.compare(0, 16, "application/json") == 0;
}

bool is_integer(const std::string& text) {
    std::size_t i = (!text.empty() && text[0] == '-') ? 1 : 0;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

// The value of the session cookie in a Cookie header, empty when absent.
std::string session_of(const std::string& cookie_header) {
    const std::string name = std::string(monitor_server::session_cookie) + "=";
    std::size_t pos = 0;
    while (pos < cookie_header.size()) {
        while (pos < cookie_header.size() && (cookie_header[pos] == ' ' || cookie_header[pos] == ';'))
            ++pos;
        std::size_t end = cookie_header.find(';', pos);
        if (end == std::string::npos)
            end = cookie_header.size();
        if (cookie_header.compare(pos, name.size(), name) == 0)
            return cookie_header.substr(pos + name.size(), end - pos - name.size());
        pos = end;
    }
    return "";
}

} // namespace

struct monitor_server::impl {
    std::string host;
    httplib::Server server;
    std::unique_ptr<detail::http_thread> thread;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::optional<std::pair<std::string, std::string>> credentials;
    std::set<std::string> sessions;
    std::size_t logins = 0;
    std::vector<http_record> records;
    std::vector<scripted_answer> script;
    std::chrono::milliseconds delay{0};
    std::function<void(const std::string&)> observer;
    std::ofstream log;

    void handle(const httplib::Request& request, httplib::Response& response);
    // Judges a request that no script rule took; may open a session.
    void answer(const httplib::Request& request, const http_record& record, httplib::Response& response);
};

void monitor_server::impl::handle(const httplib::Request& request, httplib::Response& response) {
    http_record record = detail::make_record(request);

    std::optional<scripted_answer> scripted;
    std::chrono::milliseconds general_delay;
    {
        std::lock_guard<std::mutex> lock(mutex);
        general_delay = delay;
        for (auto& rule : script) {
            if (rule.times != 0 && (rule.path.empty() || rule.path == request.path)) {
                if (rule.times > 0)
                    --rule.times;
                scripted = rule;
                break;
            }
        }
    }

    bool stopped = general_delay.count() > 0 && !thread->sleep_for(general_delay);
    if (!stopped && scripted && scripted->delay.count() > 0)
        stopped = !thread->sleep_for(scripted->delay);

    const bool drop = !stopped && scripted && scripted->drop_connection;
    if (stopped) {
        response.status = 503;
    } else if (drop) {
        response.status = 0;
    } else if (scripted) {
        response.status = scripted->status;
        response.set_content("{}", "application/json");
    } else {
        answer(request, record, response);
    }
    record.status = response.status;

    // Recorded before the client can see the answer (or the dropped connection), so
    // that whoever waits for the answer finds the record.
    std::function<void(const std::string&)> notify;
    {
        std::lock_guard<std::mutex> lock(mutex);
        records.push_back(record);
        if (log.is_open())
            log << record.to_json_line() << '\n' << std::flush;
        notify = observer;
    }
    changed.notify_all();
    if (notify)
        notify("monitor server: " + detail::describe(record));
    if (drop && !detail::drop_connection(request)) {
        // The socket was not found: the client still sees a failure.
        std::lock_guard<std::mutex> lock(mutex);
        for (auto it = records.rbegin(); it != records.rend(); ++it)
            if (it->time_ms == record.time_ms && it->target == record.target && it->status == 0) {
                it->status = 500;
                break;
            }
    }
    if (response.status == 0)
        response.status = 500; // with the connection gone, httplib's write fails
}

void monitor_server::impl::answer(const httplib::Request& request, const http_record& record,
                                  httplib::Response& response) {
    auto reply = [&](int status, const std::string& message) {
        response.status = status;
        Json::Value body{Json::objectValue};
        body[status / 100 == 2 ? "status" : "error"] = message;
        response.set_content(utils::json_to_string(body), "application/json");
    };

    const auto kind = kind_of(request.path);
    if (!kind)
        return reply(404, "no such resource: " + request.path);
    const bool is_get = *kind == body_kind::ping;
    if (request.method != (is_get ? "GET" : "POST"))
        return reply(405, "method not allowed: " + request.method);

    if (*kind != body_kind::login) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!sessions.count(session_of(record.cookie)))
            return reply(401, "not logged in");
    }

    if (!is_get) {
        if (!is_json_content_type(record.content_type))
            return reply(415, "content-type must be application/json");
        if (!record.json.isObject())
            return reply(400, "body is not a JSON object");
    }
    const Json::Value& body = record.json;
    switch (*kind) {
    case body_kind::login: {
        if (!body["email"].isString() || !body["password"].isString() || !body["server_uid"].isString())
            return reply(400, "login needs \"email\", \"password\" and \"server_uid\" strings");
        const std::string id = utils::uuid::generate().to_short_string();
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (credentials && (credentials->first != body["email"].asString() ||
                                credentials->second != body["password"].asString()))
                return reply(401, "wrong e-mail or password");
            sessions.insert(id);
            ++logins;
        }
        response.set_header("Set-Cookie", std::string(session_cookie) + "=" + id + "; Path=/; HttpOnly");
        return reply(200, "logged in");
    }
    case body_kind::events:
        if (!body["events"].isArray())
            return reply(400, "\"events\" is not an array");
        break;
    case body_kind::notify:
        if (!body["server_uid"].isString())
            return reply(400, "\"server_uid\" is not a string");
        break;
    case body_kind::snapshot:
        if (!body["company"].isObject() || !body["company"]["server_uid"].isString())
            return reply(400, "\"company\".\"server_uid\" is not a string");
        break;
    case body_kind::ping:
        if (request.get_param_value_count("uptime") != 1 || !is_integer(request.get_param_value("uptime")))
            return reply(400, "\"uptime\" is not an integer");
        break;
    }
    reply(200, "accepted");
}

monitor_server::monitor_server(const std::string& host, int port, const std::string& log_path)
    : m_impl(new impl) {
    m_impl->host = host;
    if (!log_path.empty()) {
        m_impl->log.open(log_path, std::ios::app);
        if (!m_impl->log)
            ORV_THROW_MSG("cannot open request log " + log_path);
    }
    detail::route_all_requests(m_impl->server,
                               [this](const httplib::Request& request, httplib::Response& response) {
                                   m_impl->handle(request, response);
                               });
    m_impl->thread = std::make_unique<detail::http_thread>(m_impl->server, host, port);
}

monitor_server::~monitor_server() { m_impl->thread->stop(); }

int monitor_server::port() const { return m_impl->thread->port(); }
const std::string& monitor_server::host() const { return m_impl->host; }
std::string monitor_server::address() const { return "http://" + host() + ":" + std::to_string(port()); }

void monitor_server::set_credentials(const std::string& email, const std::string& password) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->credentials = std::make_pair(email, password);
}

std::vector<http_record> monitor_server::requests() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->records;
}

std::vector<http_record> monitor_server::accepted() const { return accepted(""); }

std::vector<http_record> monitor_server::accepted(const std::string& path) const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    std::vector<http_record> result;
    for (const auto& record : m_impl->records)
        if (record.status / 100 == 2 && (path.empty() || record.path == path))
            result.push_back(record);
    return result;
}

std::vector<Json::Value> monitor_server::accepted_events() const {
    std::vector<Json::Value> events;
    for (const auto& record : accepted(events_path))
        for (const auto& event : record.json["events"])
            events.push_back(event);
    return events;
}

bool monitor_server::wait_for_requests(std::size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_impl->mutex);
    return m_impl->changed.wait_for(lock, timeout, [&] { return m_impl->records.size() >= n; });
}

bool monitor_server::wait_for_accepted(std::size_t n, std::chrono::milliseconds timeout,
                                       const std::string& path) const {
    std::unique_lock<std::mutex> lock(m_impl->mutex);
    return m_impl->changed.wait_for(lock, timeout, [&] {
        std::size_t count = 0;
        for (const auto& record : m_impl->records)
            if (record.status / 100 == 2 && (path.empty() || record.path == path))
                ++count;
        return count >= n;
    });
}

void monitor_server::clear_records() {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->records.clear();
}

void monitor_server::script(scripted_answer answer) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->script.push_back(std::move(answer));
}

void monitor_server::clear_script() {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->script.clear();
}

void monitor_server::fail_next(int status, int times, const std::string& path) {
    scripted_answer answer;
    answer.path = path;
    answer.status = status;
    answer.times = times;
    script(answer);
}

void monitor_server::drop_next(int times, const std::string& path) {
    scripted_answer answer;
    answer.path = path;
    answer.drop_connection = true;
    answer.times = times;
    script(answer);
}

void monitor_server::set_delay(std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->delay = delay;
}

void monitor_server::end_session() {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->sessions.clear();
}

std::size_t monitor_server::logins() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->logins;
}

void monitor_server::set_observer(std::function<void(const std::string&)> observer) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->observer = std::move(observer);
}

} // namespace orv::standins
