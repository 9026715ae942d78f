#include "standins/local_server.h"

#include "standins/http_support.h"
#include "standins/site.h"

#include "utils/exceptions.h"
#include "utils/json.h"

#include <condition_variable>
#include <mutex>

namespace orv::standins {

namespace {

bool starts_with(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> params(const httplib::Request& request, const std::string& name) {
    std::vector<std::string> values;
    auto range = request.params.equal_range(name);
    for (auto it = range.first; it != range.second; ++it)
        values.push_back(it->second);
    return values;
}

} // namespace

struct local_server::impl {
    std::string host;
    httplib::Server server;
    std::unique_ptr<detail::http_thread> thread;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    // Replaced whole, never changed in place: requests share it without copying.
    std::shared_ptr<const Json::Value> site;
    std::vector<http_record> records;
    std::vector<shm_status_put> puts;
    std::vector<scripted_answer> script;
    std::chrono::milliseconds delay{0};
    std::function<void(const std::string&)> observer;

    void handle(const httplib::Request& request, httplib::Response& response);
    void answer_from_site(const httplib::Request& request, httplib::Response& response,
                          const Json::Value& current_site);
    void record_put(const httplib::Request& request, const http_record& record);
};

void local_server::impl::handle(const httplib::Request& request, httplib::Response& response) {
    http_record record = detail::make_record(request);

    std::optional<scripted_answer> scripted;
    std::chrono::milliseconds general_delay;
    std::shared_ptr<const Json::Value> current_site;
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
        if (!scripted)
            current_site = site;
    }

    bool stopped = general_delay.count() > 0 && !thread->sleep_for(general_delay);
    if (!stopped && scripted && scripted->delay.count() > 0)
        stopped = !thread->sleep_for(scripted->delay);

    if (stopped) {
        response.status = 503;
    } else if (scripted) {
        response.status = scripted->status;
        if (!scripted->location.empty())
            response.set_header("Location", scripted->location);
        response.set_content(scripted->body, scripted->content_type.c_str());
    } else {
        answer_from_site(request, response, *current_site);
    }
    record.status = response.status;

    std::function<void(const std::string&)> notify;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!scripted && request.method == "PUT" && response.status == 200)
            record_put(request, record);
        records.push_back(record);
        notify = observer;
    }
    changed.notify_all();
    if (notify)
        notify("local server: " + detail::describe(record));
}

void local_server::impl::answer_from_site(const httplib::Request& request, httplib::Response& response,
                                          const Json::Value& current_site) {
    auto json = [&](const Json::Value& value) {
        response.status = 200;
        response.set_content(utils::json_to_string(value), "application/json");
    };
    auto not_found = [&](const std::string& what) {
        response.status = 404;
        Json::Value error{Json::objectValue};
        error["error"] = what;
        response.set_content(utils::json_to_string(error), "application/json");
    };
    const std::string& path = request.path;

    if (request.method == "GET") {
        if (path == companies_path)
            return json(companies_answer(current_site));
        if (starts_with(path, snapshot_path)) {
            const std::string uid = path.substr(std::string(snapshot_path).size());
            if (auto snapshot = snapshot_answer(current_site, uid))
                return json(*snapshot);
            return not_found("unknown company " + uid);
        }
        if (path == nodes_path)
            return json(list_answer(current_site, "nodes"));
        if (path == node_parameters_path)
            return json(node_parameters_answer(current_site, params(request, "mac[]"),
                                               params(request, "fields[]")));
        if (path == tdoa_settings_path)
            return json(list_answer(current_site, "tdoa_settings"));
        if (path == tdoa_schedules_path)
            return json(list_answer(current_site, "tdoa_schedules"));
        if (path == network_settings_path)
            return json(list_answer(current_site, "network_settings"));
        if (path == trackables_path)
            return json(list_answer(current_site, "trackableObjects"));
    } else if (request.method == "PUT" && starts_with(path, shm_status_path) &&
               path.size() > std::string(shm_status_path).size()) {
        response.status = 200;
        response.set_content("{}", "application/json");
        return;
    }
    not_found("no such resource: " + request.method + " " + path);
}

void local_server::impl::record_put(const httplib::Request& request, const http_record& record) {
    shm_status_put put;
    put.anchor_uid = request.path.substr(std::string(shm_status_path).size());
    put.body = record.body;
    put.content_type = record.content_type;
    put.time_ms = record.time_ms;
    const Json::Value& alarms = record.json["alarms"];
    put.valid = record.json.isObject() && alarms.isArray();
    if (put.valid) {
        for (const auto& alarm : alarms) {
            if (!alarm.isString()) {
                put.valid = false;
                put.alarms.clear();
                break;
            }
            put.alarms.push_back(alarm.asString());
        }
    }
    puts.push_back(std::move(put));
}

local_server::local_server(Json::Value site, const std::string& host, int port) : m_impl(new impl) {
    validate_site(site);
    m_impl->host = host;
    m_impl->site = std::make_shared<const Json::Value>(std::move(site));
    detail::route_all_requests(m_impl->server,
                               [this](const httplib::Request& request, httplib::Response& response) {
                                   m_impl->handle(request, response);
                               });
    m_impl->thread = std::make_unique<detail::http_thread>(m_impl->server, host, port);
}

local_server::~local_server() { m_impl->thread->stop(); }

int local_server::port() const { return m_impl->thread->port(); }
const std::string& local_server::host() const { return m_impl->host; }
std::string local_server::address() const { return "http://" + host() + ":" + std::to_string(port()); }

Json::Value local_server::site() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return *m_impl->site;
}

void local_server::set_site(Json::Value site) {
    validate_site(site);
    auto shared = std::make_shared<const Json::Value>(std::move(site));
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->site = std::move(shared);
}

std::vector<local_server::shm_status_put> local_server::shm_status_puts() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->puts;
}

std::optional<std::vector<std::string>> local_server::alarms(const std::string& anchor_uid) const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    for (auto it = m_impl->puts.rbegin(); it != m_impl->puts.rend(); ++it)
        if (it->valid && it->anchor_uid == anchor_uid)
            return it->alarms;
    return std::nullopt;
}

std::vector<http_record> local_server::requests() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->records;
}

std::size_t local_server::request_count() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->records.size();
}

bool local_server::wait_for_requests(std::size_t n, std::chrono::milliseconds timeout,
                                     const std::string& path) const {
    std::unique_lock<std::mutex> lock(m_impl->mutex);
    return m_impl->changed.wait_for(lock, timeout, [&] {
        std::size_t count = 0;
        for (const auto& record : m_impl->records)
            if (path.empty() || record.path == path)
                ++count;
        return count >= n;
    });
}

bool local_server::wait_for_shm_status_puts(std::size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_impl->mutex);
    return m_impl->changed.wait_for(lock, timeout, [&] { return m_impl->puts.size() >= n; });
}

void local_server::clear_records() {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->records.clear();
    m_impl->puts.clear();
}

void local_server::script(scripted_answer answer) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->script.push_back(std::move(answer));
}

void local_server::clear_script() {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->script.clear();
}

void local_server::set_delay(std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->delay = delay;
}

void local_server::set_observer(std::function<void(const std::string&)> observer) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->observer = std::move(observer);
}

} // namespace orv::standins
