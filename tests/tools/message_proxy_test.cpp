#include "standins/message_proxy.h"

#include "utils/exceptions.h"
#include "utils/json.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <zmq.hpp>

#include <chrono>
#include <optional>
#include <thread>

using namespace orv::standins;
using namespace std::chrono_literals;
using ::testing::StartsWith;

namespace {

std::int64_t now_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The agent's side: a subscriber on the output port, a pusher on the input port.
class message_proxy_test : public ::testing::Test {
protected:
    void SetUp() override {
        sub.set(zmq::sockopt::rcvtimeo, 5000);
        sub.set(zmq::sockopt::linger, 0);
        push.set(zmq::sockopt::linger, 0);
        sub.connect(proxy.output_endpoint());
        for (const char* topic : {"#notify", "#param_p", "#"})
            sub.set(zmq::sockopt::subscribe, topic);
        push.connect(proxy.input_endpoint());
        ASSERT_TRUE(proxy.wait_for_subscription("#notify", 5s));
        ASSERT_TRUE(proxy.wait_for_subscription("#param_p", 5s));
        ASSERT_TRUE(proxy.wait_for_subscription("#", 5s));
    }

    // The next frame, or no value after five seconds.
    std::optional<std::string> receive() {
        zmq::message_t message;
        if (!sub.recv(message))
            return std::nullopt;
        return message.to_string();
    }
    // The JSON after the topic of the next frame, checking the topic and its blank.
    Json::Value receive_body(const std::string& topic) {
        const auto frame = receive();
        if (!frame) {
            ADD_FAILURE() << "no frame";
            return {};
        }
        EXPECT_THAT(*frame, StartsWith(topic + " {"));
        return orv::utils::json_parse(frame->substr(frame->find('{')));
    }
    void request(const std::string& text) { push.send(zmq::buffer(text), zmq::send_flags::none); }

    message_proxy proxy;
    zmq::context_t context{1};
    zmq::socket_t sub{context, zmq::socket_type::sub};
    zmq::socket_t push{context, zmq::socket_type::push};
};

} // namespace

TEST_F(message_proxy_test, publishes_single_frames_with_topic_and_stamp) {
    Json::Value notify;
    notify["object"] = "WIN";
    notify["mac"] = "0123456789AB";
    const std::int64_t before = now_ms();
    proxy.publish_notify(notify);
    Json::Value stamped;
    stamped["ts"] = 1600000000;
    stamped["ms"] = 5;
    stamped["mac"] = "X";
    proxy.publish_param_p(stamped);
    proxy.publish("#other raw text");

    const Json::Value first = receive_body("#notify");
    EXPECT_EQ(first["object"], "WIN");
    ASSERT_TRUE(first["ts"].isUInt());
    ASSERT_TRUE(first["ms"].isUInt());
    const std::int64_t at = first["ts"].asInt64() * 1000 + first["ms"].asInt64();
    EXPECT_GE(at, before);
    EXPECT_LE(at, now_ms());
    EXPECT_LT(first["ms"].asUInt(), 1000u);

    EXPECT_EQ(receive_body("#param_p"), stamped) << "a given stamp is kept";
    EXPECT_EQ(receive(), std::optional<std::string>("#other raw text"));
    EXPECT_TRUE(proxy.wait_until_published(5s));
    EXPECT_EQ(proxy.published_count(), 3u);
}

TEST_F(message_proxy_test, answers_sync_frame_and_network_reply_requests) {
    Json::Value sf;
    sf["addr"] = "1A2B";
    sf["sfd"] = 7;
    proxy.set_sf_answer("0123456789AB", sf);

    request("#win 080E000004000E1400012345FFFE6789AB");
    const Json::Value sf_answer = receive_body("#param_p");
    EXPECT_EQ(sf_answer["mac"], "0123456789AB");
    EXPECT_EQ(sf_answer["plist"]["sf"], sf);
    EXPECT_TRUE(sf_answer["ts"].isUInt());

    request("#win 080E000004000E1400AABBCCFFFEDDEEFF");
    const Json::Value default_answer = receive_body("#param_p");
    EXPECT_EQ(default_answer["mac"], "AABBCCDDEEFF");
    EXPECT_EQ(default_answer["plist"]["sf"]["addr"], "0001");
    EXPECT_EQ(default_answer["plist"]["sf"]["sfd"], 1);

    request("#win 080E000004000E3200AABBCCFFFEDDEEFF");
    const Json::Value nwk = receive_body("#param_p");
    EXPECT_EQ(nwk["mac"], "AABBCCDDEEFF");
    EXPECT_TRUE(nwk["plist"].isMember("nwk_rpl"));
    EXPECT_FALSE(nwk["plist"].isMember("sf"));

    const auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_TRUE(requests[0].valid);
    EXPECT_EQ(requests[0].parameter, 20);
    EXPECT_EQ(requests[0].mac, "0123456789AB");
    EXPECT_EQ(requests[0].text, "#win 080E000004000E1400012345FFFE6789AB");
    EXPECT_EQ(requests[2].parameter, 50);
}

TEST_F(message_proxy_test, unanswered_and_malformed_requests_are_recorded_only) {
    // Each answered request below proves that the one before it produced nothing:
    // requests are handled in order, and an immediate answer would be published first.
    proxy.set_answer_delay(message_proxy::sf_parameter, std::nullopt);
    const char* silent[] = {
        "#win 080E000004000E1400012345FFFE6789AB", // parameter 20, never answered
        "#win 080E000004000E2100012345FFFE6789AB", // parameter 33, unknown
        "#win 12",                                 // too short
        "#win 080E000004000E1401012345FFFE6789AB", // "01" where "00" belongs
        "#win 080E000004000E1400012345FFFF6789AB", // not "FFFE"
    };
    for (const char* text : silent) {
        request(text);
        request("#win 080E000004000E3200012345FFFE6789AB");
        const Json::Value answer = receive_body("#param_p");
        EXPECT_TRUE(answer["plist"].isMember("nwk_rpl")) << text;
    }
    const auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), 10u);
    EXPECT_TRUE(requests[0].valid);
    EXPECT_TRUE(requests[2].valid);
    EXPECT_EQ(requests[2].parameter, 0x21);
    EXPECT_FALSE(requests[4].valid);
    EXPECT_FALSE(requests[6].valid);
    EXPECT_FALSE(requests[8].valid);
}

TEST_F(message_proxy_test, delayed_answers_follow_immediate_ones) {
    proxy.set_answer_delay(message_proxy::sf_parameter, 300ms);
    const std::int64_t sent = now_ms();
    request("#win 080E000004000E1400012345FFFE6789AB");
    request("#win 080E000004000E3200012345FFFE6789AB");
    EXPECT_TRUE(receive_body("#param_p")["plist"].isMember("nwk_rpl"));
    const Json::Value late = receive_body("#param_p");
    EXPECT_TRUE(late["plist"].isMember("sf"));
    // Stamped when sent, not when asked.
    EXPECT_GE(late["ts"].asInt64() * 1000 + late["ms"].asInt64(), sent + 300);
}

TEST_F(message_proxy_test, plays_a_scenario_in_order) {
    const Json::Value scenario = orv::utils::json_parse(R"({"steps": [
        {"notify": {"object": "COMPANY", "action": "created"}},
        {"delay_ms": 200, "frame": "#notify"},
        {"delay_ms": 0, "param_p": {"mac": "M", "plist": {"bat": {"mv": 1, "pr": 2}}}}]})");
    const std::int64_t start = now_ms();
    proxy.play(scenario);
    EXPECT_EQ(receive_body("#notify")["object"], "COMPANY");
    EXPECT_EQ(receive(), std::optional<std::string>("#notify"));
    EXPECT_GE(now_ms() - start, 200);
    EXPECT_EQ(receive_body("#param_p")["plist"]["bat"]["mv"], 1);
}

TEST_F(message_proxy_test, malformed_scenarios_are_refused_before_sending) {
    const char* scenarios[] = {
        R"({"steps": {}})",
        R"([{"delay_ms": -1, "frame": "x"}])",
        R"([{"frame": "x"}, {"notify": {}, "frame": "y"}])",
        R"([{"frame": "x"}, {"delay_ms": 1}])",
        R"([{"notify": "text"}])",
        R"([{"frame": 5}])",
    };
    for (const char* text : scenarios)
        EXPECT_THROW(proxy.play(orv::utils::json_parse(text)), orv::exception) << text;
    EXPECT_TRUE(proxy.wait_until_published(1s));
    EXPECT_EQ(proxy.published_count(), 0u);
}

TEST_F(message_proxy_test, counts_subscriptions_and_unsubscriptions) {
    EXPECT_EQ(proxy.subscriptions("#notify"), 1u);
    zmq::socket_t second{context, zmq::socket_type::sub};
    second.set(zmq::sockopt::linger, 0);
    second.connect(proxy.output_endpoint());
    second.set(zmq::sockopt::subscribe, "#notify");
    ASSERT_TRUE(proxy.wait_for_subscription("#notify", 5s, 2));
    sub.set(zmq::sockopt::unsubscribe, "#notify");
    second.set(zmq::sockopt::unsubscribe, "#notify");
    // Unsubscriptions arrive like subscriptions; wait for the count to fall.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (proxy.subscriptions("#notify") != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(proxy.subscriptions("#notify"), 0u);
    EXPECT_EQ(proxy.subscriptions("#param_p"), 1u);
}

TEST(message_proxy, reports_ports_and_refuses_taken_ones) {
    message_proxy first;
    EXPECT_GT(first.output_port(), 0);
    EXPECT_GT(first.input_port(), 0);
    EXPECT_NE(first.output_port(), first.input_port());
    EXPECT_EQ(first.output_endpoint(), "tcp://127.0.0.1:" + std::to_string(first.output_port()));
    EXPECT_THROW(message_proxy("127.0.0.1", first.output_port(), 0), orv::exception);
}
