#include "standins/message_proxy.h"

#include "utils/exceptions.h"
#include "utils/json.h"

#include <zmq.hpp>

#include <atomic>
#include <cctype>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

namespace orv::standins {

namespace {

using clock = std::chrono::steady_clock;

const std::string s_request_prefix = "#win 080E000004000E";
constexpr std::size_t s_request_size = 39; // prefix 19, parameter 2, "00", 6, "FFFE", 6

std::int64_t now_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool is_hex(const std::string& text) {
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

int bound_port(zmq::socket_t& socket) {
    const std::string endpoint = socket.get(zmq::sockopt::last_endpoint);
    return std::stoi(endpoint.substr(endpoint.rfind(':') + 1));
}

void stamp(Json::Value& body) {
    if (body.isObject() && !body.isMember("ts")) {
        const std::int64_t ms = now_ms();
        body["ts"] = Json::UInt64(ms / 1000);
        body["ms"] = Json::UInt64(ms % 1000);
    }
}

} // namespace

struct message_proxy::impl {
    // A frame waiting to go out; JSON bodies are stamped when sent.
    struct outgoing {
        std::uint64_t id = 0;
        std::string topic;      // empty for a raw frame
        Json::Value body;
        std::string raw;
    };

    std::string host;
    zmq::context_t context{1};
    zmq::socket_t output{context, zmq::socket_type::xpub};
    zmq::socket_t input{context, zmq::socket_type::pull};
    int output_port = 0;
    int input_port = 0;
    std::thread thread;
    std::atomic<bool> stopping{false};

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::multimap<clock::time_point, outgoing> queue;
    std::set<std::uint64_t> unsent;
    std::uint64_t next_id = 1;
    std::size_t published = 0;
    std::map<std::string, std::size_t> subscriptions;
    std::vector<parameter_request> requests;
    std::optional<std::chrono::milliseconds> answer_delay{std::chrono::milliseconds(0)};
    std::map<std::uint8_t, std::optional<std::chrono::milliseconds>> parameter_delays;
    std::map<std::string, Json::Value> sf_answers;
    Json::Value default_sf;
    std::function<void(const std::string&)> observer;

    // Queues a frame (mutex held); returns its id.
    std::uint64_t enqueue(clock::time_point due, outgoing frame) {
        frame.id = next_id++;
        unsent.insert(frame.id);
        const std::uint64_t id = frame.id;
        queue.emplace(due, std::move(frame));
        return id;
    }

    void run();
    void receive_subscriptions(std::vector<std::string>& lines);
    void receive_requests(std::vector<std::string>& lines);
    void send_due(std::vector<std::string>& lines);
    parameter_request parse_request(const std::string& text) const;
    void notify(const std::vector<std::string>& lines);
};

message_proxy::parameter_request message_proxy::impl::parse_request(const std::string& text) const {
    parameter_request request;
    request.text = text;
    request.time_ms = now_ms();
    if (text.size() != s_request_size || text.compare(0, s_request_prefix.size(), s_request_prefix) != 0)
        return request;
    const std::string parameter = text.substr(19, 2);
    const std::string mac = text.substr(23, 6) + text.substr(33, 6);
    if (!is_hex(parameter) || text.compare(21, 2, "00") != 0 || text.compare(29, 4, "FFFE") != 0)
        return request;
    request.valid = true;
    request.parameter = static_cast<std::uint8_t>(std::stoul(parameter, nullptr, 16));
    request.mac = mac;
    return request;
}

void message_proxy::impl::receive_subscriptions(std::vector<std::string>& lines) {
    zmq::message_t message;
    while (output.recv(message, zmq::recv_flags::dontwait)) {
        const std::string data = message.to_string();
        if (data.empty())
            continue;
        const std::string topic = data.substr(1);
        std::lock_guard<std::mutex> lock(mutex);
        if (data[0] == 1) {
            ++subscriptions[topic];
            lines.push_back("proxy: subscription to \"" + topic + "\"");
        } else if (data[0] == 0 && subscriptions[topic] > 0) {
            --subscriptions[topic];
            lines.push_back("proxy: unsubscription from \"" + topic + "\"");
        }
    }
    changed.notify_all();
}

void message_proxy::impl::receive_requests(std::vector<std::string>& lines) {
    zmq::message_t message;
    while (input.recv(message, zmq::recv_flags::dontwait)) {
        parameter_request request = parse_request(message.to_string());
        std::lock_guard<std::mutex> lock(mutex);
        requests.push_back(request);
        if (!request.valid) {
            lines.push_back("proxy: received unrecognised request \"" + request.text + "\"");
            continue;
        }
        std::string line = "proxy: received request for parameter " + std::to_string(request.parameter) +
                           " of " + request.mac;
        std::optional<std::chrono::milliseconds> delay = answer_delay;
        if (auto it = parameter_delays.find(request.parameter); it != parameter_delays.end())
            delay = it->second;
        Json::Value plist{Json::objectValue};
        if (request.parameter == sf_parameter) {
            auto it = sf_answers.find(request.mac);
            plist["sf"] = it != sf_answers.end() ? it->second : default_sf;
        } else if (request.parameter == nwk_rpl_parameter) {
            plist["nwk_rpl"]["mac"] = request.mac;
        } else {
            delay.reset();
        }
        if (delay) {
            outgoing answer;
            answer.topic = "#param_p";
            answer.body["mac"] = request.mac;
            answer.body["plist"] = plist;
            enqueue(clock::now() + *delay, std::move(answer));
            line += delay->count() > 0 ? ", answering in " + std::to_string(delay->count()) + " ms"
                                       : ", answering";
        } else {
            line += ", not answering";
        }
        lines.push_back(line);
    }
    changed.notify_all();
}

void message_proxy::impl::send_due(std::vector<std::string>& lines) {
    for (;;) {
        outgoing frame;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (queue.empty() || queue.begin()->first > clock::now())
                return;
            frame = std::move(queue.begin()->second);
            queue.erase(queue.begin());
        }
        std::string text = frame.raw;
        if (!frame.topic.empty()) {
            stamp(frame.body);
            text = frame.topic + " " + utils::json_to_string(frame.body);
        }
        output.send(zmq::buffer(text), zmq::send_flags::none);
        {
            std::lock_guard<std::mutex> lock(mutex);
            unsent.erase(frame.id);
            ++published;
        }
        changed.notify_all();
        lines.push_back("proxy: published " + (text.size() > 300 ? text.substr(0, 300) + "..." : text));
    }
}

void message_proxy::impl::notify(const std::vector<std::string>& lines) {
    if (lines.empty())
        return;
    std::function<void(const std::string&)> copy;
    {
        std::lock_guard<std::mutex> lock(mutex);
        copy = observer;
    }
    if (copy)
        for (const auto& line : lines)
            copy(line);
}

void message_proxy::impl::run() {
    zmq::pollitem_t items[] = {{output.handle(), 0, ZMQ_POLLIN, 0}, {input.handle(), 0, ZMQ_POLLIN, 0}};
    while (!stopping) {
        // Short polls: frames queued by other threads are picked up within a few ms.
        std::chrono::milliseconds timeout{5};
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (!queue.empty()) {
                auto until = std::chrono::duration_cast<std::chrono::milliseconds>(queue.begin()->first -
                                                                                   clock::now());
                timeout = std::max(std::chrono::milliseconds(0), std::min(timeout, until));
            }
        }
        zmq::poll(items, 2, timeout);
        std::vector<std::string> lines;
        if (items[0].revents & ZMQ_POLLIN)
            receive_subscriptions(lines);
        if (items[1].revents & ZMQ_POLLIN)
            receive_requests(lines);
        send_due(lines);
        notify(lines);
    }
}

message_proxy::message_proxy(const std::string& host, int output_port, int input_port) : m_impl(new impl) {
    m_impl->host = host;
    m_impl->default_sf["addr"] = "0001";
    m_impl->default_sf["sfd"] = 1;
    auto endpoint = [&](int port) {
        return "tcp://" + host + ":" + (port == 0 ? std::string("*") : std::to_string(port));
    };
    try {
        m_impl->output.set(zmq::sockopt::linger, 0);
        m_impl->input.set(zmq::sockopt::linger, 0);
        // Pass on every subscription and unsubscription, so that they can be counted.
        m_impl->output.set(zmq::sockopt::xpub_verboser, 1);
        m_impl->output.bind(endpoint(output_port));
        m_impl->input.bind(endpoint(input_port));
        m_impl->output_port = bound_port(m_impl->output);
        m_impl->input_port = bound_port(m_impl->input);
    } catch (const zmq::error_t& e) {
        ORV_THROW_MSG("message proxy cannot bind on " + host + " (output port " + std::to_string(output_port) +
                      ", input port " + std::to_string(input_port) + "): " + e.what());
    }
    m_impl->thread = std::thread([this] { m_impl->run(); });
}

message_proxy::~message_proxy() {
    m_impl->stopping = true;
    m_impl->thread.join();
}

const std::string& message_proxy::host() const { return m_impl->host; }
int message_proxy::output_port() const { return m_impl->output_port; }
int message_proxy::input_port() const { return m_impl->input_port; }
std::string message_proxy::output_endpoint() const {
    return "tcp://" + host() + ":" + std::to_string(output_port());
}
std::string message_proxy::input_endpoint() const {
    return "tcp://" + host() + ":" + std::to_string(input_port());
}

std::size_t message_proxy::subscriptions(const std::string& topic) const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    auto it = m_impl->subscriptions.find(topic);
    return it == m_impl->subscriptions.end() ? 0 : it->second;
}

bool message_proxy::wait_for_subscription(const std::string& topic, std::chrono::milliseconds timeout,
                                          std::size_t count) const {
    std::unique_lock<std::mutex> lock(m_impl->mutex);
    return m_impl->changed.wait_for(lock, timeout, [&] {
        auto it = m_impl->subscriptions.find(topic);
        return it != m_impl->subscriptions.end() && it->second >= count;
    });
}

void message_proxy::publish(const std::string& frame) {
    impl::outgoing out;
    out.raw = frame;
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->enqueue(clock::now(), std::move(out));
}

void message_proxy::publish_notify(Json::Value body) {
    impl::outgoing out;
    out.topic = "#notify";
    out.body = std::move(body);
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->enqueue(clock::now(), std::move(out));
}

void message_proxy::publish_param_p(Json::Value body) {
    impl::outgoing out;
    out.topic = "#param_p";
    out.body = std::move(body);
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->enqueue(clock::now(), std::move(out));
}

bool message_proxy::wait_until_published(std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_impl->mutex);
    const std::uint64_t last = m_impl->next_id - 1;
    return m_impl->changed.wait_for(lock, timeout, [&] {
        return m_impl->unsent.empty() || *m_impl->unsent.begin() > last;
    });
}

std::size_t message_proxy::published_count() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->published;
}

void message_proxy::play(const Json::Value& scenario) {
    const Json::Value& steps = scenario.isArray() ? scenario : scenario["steps"];
    if (!steps.isArray())
        ORV_THROW_MSG("scenario: \"steps\" is not an array");
    std::vector<std::pair<std::chrono::milliseconds, impl::outgoing>> frames;
    std::chrono::milliseconds at{0};
    for (Json::ArrayIndex i = 0; i < steps.size(); ++i) {
        const Json::Value& step = steps[i];
        const std::string where = "scenario: step " + std::to_string(i + 1);
        if (!step.isObject())
            ORV_THROW_MSG(where + " is not an object");
        const Json::Value& delay = step["delay_ms"];
        if (!delay.isNull() && !(delay.isIntegral() && delay.asInt64() >= 0))
            ORV_THROW_MSG(where + ": \"delay_ms\" is not a non-negative integer");
        at += std::chrono::milliseconds(delay.isNull() ? 0 : delay.asInt64());
        impl::outgoing out;
        int kinds = 0;
        if (step.isMember("notify")) {
            ++kinds;
            out.topic = "#notify";
            out.body = step["notify"];
        }
        if (step.isMember("param_p")) {
            ++kinds;
            out.topic = "#param_p";
            out.body = step["param_p"];
        }
        if (step.isMember("frame")) {
            ++kinds;
            if (!step["frame"].isString())
                ORV_THROW_MSG(where + ": \"frame\" is not a string");
            out.raw = step["frame"].asString();
        }
        if (kinds != 1)
            ORV_THROW_MSG(where + " needs exactly one of \"notify\", \"param_p\" and \"frame\"");
        if (!out.topic.empty() && !out.body.isObject())
            ORV_THROW_MSG(where + ": the message is not an object");
        frames.emplace_back(at, std::move(out));
    }
    const auto start = clock::now();
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    for (auto& [offset, frame] : frames)
        m_impl->enqueue(start + offset, std::move(frame));
}

Json::Value message_proxy::load_scenario(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        ORV_THROW_MSG("cannot open scenario file " + path);
    std::stringstream text;
    text << in.rdbuf();
    auto parsed = utils::json_try_parse(text.str());
    if (!parsed.ok)
        ORV_THROW_MSG("scenario file " + path + " is not JSON: " + parsed.error);
    return parsed.result;
}

std::vector<message_proxy::parameter_request> message_proxy::requests() const {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    return m_impl->requests;
}

bool message_proxy::wait_for_requests(std::size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_impl->mutex);
    return m_impl->changed.wait_for(lock, timeout, [&] { return m_impl->requests.size() >= n; });
}

void message_proxy::clear_requests() {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->requests.clear();
}

void message_proxy::set_answer_delay(std::optional<std::chrono::milliseconds> delay) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->answer_delay = delay;
}

void message_proxy::set_answer_delay(std::uint8_t parameter, std::optional<std::chrono::milliseconds> delay) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->parameter_delays[parameter] = delay;
}

void message_proxy::set_sf_answer(const std::string& mac, Json::Value sf) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->sf_answers[mac] = std::move(sf);
}

void message_proxy::set_default_sf_answer(Json::Value sf) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->default_sf = std::move(sf);
}

void message_proxy::set_observer(std::function<void(const std::string&)> observer) {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->observer = std::move(observer);
}

} // namespace orv::standins
