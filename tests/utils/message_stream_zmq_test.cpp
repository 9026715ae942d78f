#include "utils/impl/message_stream_zmq.h"

#include "mocks/events_loop_mock.h"
#include "mocks/message_stream_mock.h"
#include "support/syslog_capture.h"
#include "utils/exceptions.h"
#include "utils/impl/events_loop_impl.h"
#include "utils/json.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <syslog.h>
#include <thread>
#include <unistd.h>

using namespace orv::utils;
using namespace std::chrono_literals;
using ::testing::_;

namespace {

static_assert(!std::is_abstract_v<orv::test::message_stream_mock>);
static_assert(!std::is_abstract_v<orv::test::timer_mock>);

using frame_list = std::vector<std::vector<std::string>>; // messages made of frames

const std::string s_handshake_body = R"({"handshake":true})";
const std::string s_end_body = R"({"end":true})";

// Records every call as "<method> <message>" into a log shared by all observers,
// and ends the loop on the end marker.
class recording_observer : public message_stream::observer {
public:
    recording_observer(std::string name, std::vector<std::string>& log, events_loop& loop,
                       std::atomic<bool>& connected)
        : m_name(std::move(name)), m_log(log), m_loop(loop), m_connected(connected) {}

    void on_notify(const std::string& m, const Json::Value& j) override { record("notify", m, j); }
    void on_param_p(const std::string& m, const Json::Value& j) override { record("param_p", m, j); }
    void on_unknown_type(const std::string& m, const Json::Value& j) override {
        if (m == s_handshake_body) {
            m_connected = true;
        } else if (m == s_end_body) {
            m_loop.stop();
        } else {
            record("unknown", m, j);
        }
    }

private:
    void record(const std::string& method, const std::string& message, const Json::Value& json) {
        // The parsed value must be the message's own.
        EXPECT_EQ(json_to_string(json), json_to_string(json_parse(message)));
        m_log.push_back(m_name + " " + method + " " + message);
    }

    std::string m_name;
    std::vector<std::string>& m_log;
    events_loop& m_loop;
    std::atomic<bool>& m_connected;
};

class message_stream_test : public ::testing::Test {
protected:
    message_stream_test() {
        m_publisher.bind("tcp://127.0.0.1:0");
        m_address = m_publisher.get(zmq::sockopt::last_endpoint);
        int fds[2];
        if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe2 failed");
        }
        m_abort_read = fds[0];
        m_abort_write = fds[1];
        // A way out if the subscriber never connects: the test then fails, not hangs.
        m_loop.register_fd(m_abort_read, [this] { m_loop.stop(); });
    }
    ~message_stream_test() override {
        ::close(m_abort_read);
        ::close(m_abort_write);
    }

    // Runs the loop while a helper thread hand-shakes with the subscriber, then
    // publishes the messages and the end marker.
    void publish_and_run(const frame_list& messages) {
        std::atomic<bool> done{false};
        std::thread publisher([&] {
            const auto deadline = std::chrono::steady_clock::now() + 5s;
            while (!m_connected && std::chrono::steady_clock::now() < deadline) {
                m_publisher.send(zmq::buffer("#handshake " + s_handshake_body), zmq::send_flags::none);
                std::this_thread::sleep_for(5ms);
            }
            if (m_connected) {
                for (const auto& frames : messages) {
                    for (std::size_t i = 0; i < frames.size(); ++i) {
                        m_publisher.send(zmq::buffer(frames[i]), i + 1 < frames.size()
                                                                     ? zmq::send_flags::sndmore
                                                                     : zmq::send_flags::none);
                    }
                }
                m_publisher.send(zmq::buffer("#end" + s_end_body), zmq::send_flags::none);
            } else {
                const char byte = 'x';
                EXPECT_EQ(::write(m_abort_write, &byte, 1), 1);
            }
        });
        m_loop.start();
        publisher.join();
        ASSERT_TRUE(m_connected) << "the subscriber never received the hand-shake";
    }

    logger m_logger{logger::verbose{false}, logger::log_stacktrace{false},
                    logger::log_exceptions{true}};
    events_loop_impl m_loop{m_logger};
    zmq::context_t m_context;
    zmq::socket_t m_publisher{m_context, zmq::socket_type::pub};
    std::string m_address;
    int m_abort_read = -1;
    int m_abort_write = -1;
    std::atomic<bool> m_connected{false};
    std::vector<std::string> m_calls;
};

TEST_F(message_stream_test, frames_are_dispatched_by_topic_prefix_to_every_observer_in_order) {
    message_stream_zmq stream(m_context, m_address, m_loop, m_logger);
    recording_observer first("1", m_calls, m_loop, m_connected);
    recording_observer second("2", m_calls, m_loop, m_connected);
    stream.add_observer(first);
    stream.add_observer(second);

    publish_and_run({
        {R"(#notify {"a":1})"},
        {R"(#param_p{"b":[2]})"},
        {R"(#node_info {"c":3})"},
        {"#notify"},                     // no body: ignored
        {R"(#notifyX {"d":4})"},         // prefix match only
        {R"(notify {"e":5})"},           // not a "#" topic: never delivered
        {"#notify", R"({"f":6})"},       // frames are not reassembled
        {R"(#param_p: {"g":{"h":"}"}})"},
    });

    EXPECT_EQ(m_calls, (std::vector<std::string>{
                           R"(1 notify {"a":1})",
                           R"(2 notify {"a":1})",
                           R"(1 param_p {"b":[2]})",
                           R"(2 param_p {"b":[2]})",
                           R"(1 unknown {"c":3})",
                           R"(2 unknown {"c":3})",
                           R"(1 notify {"d":4})",
                           R"(2 notify {"d":4})",
                           R"(1 unknown {"f":6})",
                           R"(2 unknown {"f":6})",
                           R"(1 param_p {"g":{"h":"}"}})",
                           R"(2 param_p {"g":{"h":"}"}})",
                       }));
}

TEST_F(message_stream_test, broken_json_is_logged_once_and_later_frames_still_handled) {
    orv::test::syslog_capture capture;
    message_stream_zmq stream(m_context, m_address, m_loop, m_logger);
    recording_observer observer("1", m_calls, m_loop, m_connected);
    stream.add_observer(observer);

    const std::string broken = R"({"a":)";
    publish_and_run({{"#notify " + broken}, {R"(#notify {"ok":1})"}});

    EXPECT_EQ(m_calls, (std::vector<std::string>{R"(1 notify {"ok":1})"}));
    const auto errors = capture.lines(LOG_ERR);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].rfind("in ", 0), 0u);
    EXPECT_NE(errors[0].find("message_stream_zmq.cpp:"), std::string::npos) << errors[0];
    EXPECT_EQ(errors[1], json_try_parse(broken).error);
}

TEST_F(message_stream_test, throwing_observer_is_logged_with_the_body_and_others_still_called) {
    orv::test::syslog_capture capture;
    message_stream_zmq stream(m_context, m_address, m_loop, m_logger);
    ::testing::NiceMock<orv::test::message_stream_observer_mock> failing;
    recording_observer after("2", m_calls, m_loop, m_connected);
    stream.add_observer(failing);
    stream.add_observer(after);
    EXPECT_CALL(failing, on_notify(R"({"a":1})", _)).WillOnce([](const auto&, const auto&) {
        orv::exception e("observer failed");
        e.set_location("observer.cpp", 3);
        throw e;
    });

    publish_and_run({{R"(#notify {"a":1})"}});

    EXPECT_EQ(m_calls, (std::vector<std::string>{R"(2 notify {"a":1})"}));
    EXPECT_EQ(capture.lines(LOG_ERR),
              (std::vector<std::string>{"in observer.cpp:3", "observer failed",
                                        R"(Node: message: {"a":1})"}));
}

TEST(message_stream_zmq, bad_address_throws_and_registers_nothing) {
    logger log{logger::verbose{false}, logger::log_stacktrace{false}, logger::log_exceptions{true}};
    zmq::context_t context;
    ::testing::StrictMock<orv::test::events_loop_mock> loop;
    EXPECT_THROW(message_stream_zmq(context, "not-an-endpoint", loop, log), zmq::error_t);

    EXPECT_CALL(loop, register_socket(::testing::NotNull(), _));
    message_stream_zmq stream(context, "tcp://127.0.0.1:1", loop, log);
}

TEST(message_stream_zmq, topic_table_picks_first_matching_prefix) {
    using observer = message_stream::observer;
    const struct {
        const char* text;
        message_stream_zmq::observer_method method;
    } cases[] = {
        {"#notify {}", &observer::on_notify},
        {"#notify{}", &observer::on_notify},
        {"#param_p {}", &observer::on_param_p},
        {"#param {}", &observer::on_unknown_type},
        {"#notif", &observer::on_unknown_type},
        {"{}", &observer::on_unknown_type},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(message_stream_zmq::get_observer_method(c.text) == c.method) << c.text;
    }
}

} // namespace
