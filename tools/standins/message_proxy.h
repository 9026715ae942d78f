#pragma once

// Stand-in for the location system's ZeroMQ message proxy.
//
// Output side: a publisher (XPUB, so that subscriptions can be awaited) on which
// notifications go out as single frames "#notify {...}" and "#param_p {...}".
// Input side: a PULL socket that receives the agent's node parameter requests,
// "#win 080E000004000E" + parameter (2 hex digits) + "00" + MAC[0..6) + "FFFE" + MAC[6..12),
// and answers them, after the chosen delay or never, with "#param_p" messages:
//   parameter 20 (sync frame):     {"ts","ms","mac","plist":{"sf":{"addr","sfd"}}}
//   parameter 50 (network reply):  {"ts","ms","mac","plist":{"nwk_rpl":{"mac"}}}
// Other parameters are recorded and not answered.
//
// All sockets live on one internal thread; every public member is thread-safe.

#include <json/json.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orv::standins {

class message_proxy {
public:
    static constexpr std::uint8_t sf_parameter = 20;
    static constexpr std::uint8_t nwk_rpl_parameter = 50;

    // Binds both sockets at once (port 0: a free port); throws orv::exception when a
    // port cannot be bound. Stops in the destructor.
    explicit message_proxy(const std::string& host = "127.0.0.1", int output_port = 0,
                           int input_port = 0);
    ~message_proxy();
    message_proxy(const message_proxy&) = delete;
    message_proxy& operator=(const message_proxy&) = delete;

    const std::string& host() const;
    int output_port() const;
    int input_port() const;
    std::string output_endpoint() const; // "tcp://<host>:<output port>"
    std::string input_endpoint() const;  // "tcp://<host>:<input port>"

    // Subscriptions seen on the output socket (a subscriber's topic, counted per
    // subscribe and uncounted per unsubscribe). Publishing before a subscriber is
    // there loses the message: wait for "#notify" first.
    std::size_t subscriptions(const std::string& topic) const;
    bool wait_for_subscription(const std::string& topic, std::chrono::milliseconds timeout,
                               std::size_t count = 1) const;

    // Publishing. The JSON forms add "ts" and "ms" (current time) when the body has
    // no "ts", then send topic + " " + compact JSON as one frame. Frames are queued and
    // go out in call order on the internal thread; wait_until_published() waits until
    // every frame queued so far has been sent.
    void publish(const std::string& frame);
    void publish_notify(Json::Value body);
    void publish_param_p(Json::Value body);
    bool wait_until_published(std::chrono::milliseconds timeout) const;
    std::size_t published_count() const;

    // A scenario: {"steps": [step, ...]} (or a bare array of steps), each step
    // {"delay_ms": N, one of "notify": {...} | "param_p": {...} | "frame": "raw text"}.
    // delay_ms counts from the previous step. Throws orv::exception for a malformed
    // scenario, before anything is sent.
    void play(const Json::Value& scenario);
    static Json::Value load_scenario(const std::string& path);

    // Node parameter requests received, in arrival order.
    struct parameter_request {
        std::string text;       // the frame as received
        bool valid = false;     // the frame has the form above
        std::uint8_t parameter = 0;
        std::string mac;        // twelve characters, from the request
        std::int64_t time_ms = 0;
    };
    std::vector<parameter_request> requests() const;
    bool wait_for_requests(std::size_t n, std::chrono::milliseconds timeout) const;
    void clear_requests();

    // Answer policy: a delay, or no value to never answer. Default: answer at once.
    void set_answer_delay(std::optional<std::chrono::milliseconds> delay);
    // Policy for one parameter number only (overrides the general one).
    void set_answer_delay(std::uint8_t parameter, std::optional<std::chrono::milliseconds> delay);
    // The "sf" value answered for a MAC; default {"addr": "0001", "sfd": 1}.
    void set_sf_answer(const std::string& mac, Json::Value sf);
    void set_default_sf_answer(Json::Value sf);

    // Receives one readable line per received request and published frame.
    void set_observer(std::function<void(const std::string& line)> observer);

private:
    struct impl;
    std::unique_ptr<impl> m_impl;
};

} // namespace orv::standins
