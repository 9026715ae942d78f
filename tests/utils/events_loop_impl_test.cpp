#include "utils/impl/events_loop_impl.h"
#include "utils/impl/timer_impl.h"

#include "mocks/events_loop_mock.h"
#include "support/syslog_capture.h"
#include "utils/exceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zmq.hpp>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <syslog.h>
#include <thread>
#include <unistd.h>

using namespace orv::utils;
using namespace std::chrono_literals;

namespace {

// A non-blocking pipe whose read end is ready once something was written.
class ready_pipe {
public:
    ready_pipe() {
        int fds[2];
        if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe2 failed");
        }
        m_read = fds[0];
        m_write = fds[1];
    }
    ~ready_pipe() {
        ::close(m_read);
        ::close(m_write);
    }
    ready_pipe(const ready_pipe&) = delete;
    ready_pipe& operator=(const ready_pipe&) = delete;

    int fd() const { return m_read; }
    void make_ready() const {
        const char byte = 'x';
        EXPECT_EQ(::write(m_write, &byte, 1), 1);
    }
    void drain() const {
        char buffer[64];
        while (::read(m_read, buffer, sizeof(buffer)) > 0) {
        }
    }

private:
    int m_read = -1;
    int m_write = -1;
};

// Polls a condition until it holds or the deadline passes.
template <typename F>
bool wait_for(F condition, std::chrono::milliseconds deadline = 5000ms) {
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class events_loop_test : public ::testing::Test {
protected:
    logger m_log{logger::verbose{false}, logger::log_stacktrace{false}, logger::log_exceptions{true}};
    events_loop_impl m_loop{m_log};
    std::vector<std::string> m_calls;
};

TEST_F(events_loop_test, throwing_callback_is_logged_and_next_ready_item_served_in_same_pass) {
    orv::test::syslog_capture capture;
    ready_pipe first, second;
    int line = 0;
    // Neither callback drains its pipe: a second pass would call "first" again.
    m_loop.register_fd(first.fd(), [&] {
        m_calls.push_back("first");
        line = __LINE__; ORV_THROW_MSG("callback failed");
    });
    m_loop.register_fd(second.fd(), [&] {
        m_calls.push_back("second");
        m_loop.stop();
    });
    first.make_ready();
    second.make_ready();

    EXPECT_NO_THROW(m_loop.start());
    EXPECT_EQ(m_calls, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(capture.lines(LOG_ERR),
              (std::vector<std::string>{"in " + std::string(__FILE__) + ":" + std::to_string(line),
                                        "callback failed"}));
}

TEST_F(events_loop_test, stop_ends_the_loop_after_the_remaining_ready_items_of_the_pass) {
    ready_pipe a, idle, b, c;
    m_loop.register_fd(a.fd(), [&] { m_calls.push_back("a"); m_loop.stop(); });
    m_loop.register_fd(idle.fd(), [&] { m_calls.push_back("idle"); });
    m_loop.register_fd(b.fd(), [&] { m_calls.push_back("b"); });
    m_loop.register_fd(c.fd(), [&] { m_calls.push_back("c"); });
    a.make_ready();
    b.make_ready();
    c.make_ready();

    m_loop.start();
    EXPECT_EQ(m_calls, (std::vector<std::string>{"a", "b", "c"}));

    // Items persist: the loop can run again.
    m_calls.clear();
    b.drain();
    c.drain();
    m_loop.start();
    EXPECT_EQ(m_calls, (std::vector<std::string>{"a"}));
}

TEST_F(events_loop_test, items_registered_in_a_callback_wait_for_the_next_pass) {
    struct scene {
        events_loop& loop;
        std::vector<std::string>& calls;
        ready_pipe a, late, steady;
        std::vector<std::unique_ptr<ready_pipe>> idle;
    } s{m_loop, m_calls, {}, {}, {}, {}};
    // The callback captures one pointer, so it lives inside its std::function:
    // it must survive the callback vector growing while it runs.
    m_loop.register_fd(s.a.fd(), [ctx = &s] {
        ctx->calls.push_back("a");
        ctx->a.drain();
        for (int i = 0; i < 100; ++i) {
            ctx->idle.push_back(std::make_unique<ready_pipe>());
            ctx->loop.register_fd(ctx->idle.back()->fd(), [ctx] { ctx->calls.push_back("idle"); });
        }
        ctx->loop.register_fd(ctx->late.fd(), [ctx] {
            ctx->calls.push_back("late");
            ctx->loop.stop();
        });
        ctx->calls.push_back("a done");
    });
    m_loop.register_fd(s.steady.fd(), [&] { m_calls.push_back("steady"); });
    s.a.make_ready();
    s.late.make_ready();
    s.steady.make_ready();

    m_loop.start();
    // "late" was ready all along, but only the next poll reports it.
    EXPECT_EQ(m_calls, (std::vector<std::string>{"a", "a done", "steady", "steady", "late"}));
}

TEST_F(events_loop_test, marked_items_are_skipped_at_once_and_removed_before_the_next_poll) {
    ready_pipe marker, marked, closer;
    int closer_calls = 0;
    m_loop.register_fd(marker.fd(), [&] {
        m_calls.push_back("marker");
        marker.drain();
        m_loop.mark_to_delete_fd(marked.fd());
    });
    m_loop.register_fd(marked.fd(), [&] { m_calls.push_back("marked"); });
    m_loop.register_fd(closer.fd(), [&] {
        if (++closer_calls == 2) {
            m_loop.stop();
        }
    });
    marker.make_ready();
    marked.make_ready();
    closer.make_ready();

    // Two passes: "marked" stays readable but is never called again.
    m_loop.start();
    EXPECT_EQ(m_calls, (std::vector<std::string>{"marker"}));
    EXPECT_EQ(closer_calls, 2);
}

TEST_F(events_loop_test, marking_a_descriptor_leaves_sockets_alone) {
    zmq::context_t context;
    zmq::socket_t pull(context, zmq::socket_type::pull);
    pull.bind("inproc://marking");
    zmq::socket_t push(context, zmq::socket_type::push);
    push.connect("inproc://marking");
    push.send(zmq::str_buffer("x"), zmq::send_flags::none);

    int socket_calls = 0;
    m_loop.register_socket(pull.handle(), [&] {
        ++socket_calls;
        zmq::message_t message;
        (void)pull.recv(message, zmq::recv_flags::dontwait);
    });
    ready_pipe fallback;
    m_loop.register_fd(fallback.fd(), [&] { m_loop.stop(); });
    fallback.make_ready();
    // Sockets carry descriptor 0; marking descriptor 0 must not unregister them.
    m_loop.mark_to_delete_fd(0);
    m_loop.start();
    EXPECT_EQ(socket_calls, 1);
}

TEST_F(events_loop_test, poll_failure_leaves_start) {
    std::vector<char> not_a_socket(4096, 0);
    m_loop.register_socket(not_a_socket.data(), [] {});
    try {
        m_loop.start();
        FAIL() << "start() returned";
    } catch (const zmq::error_t& e) {
        EXPECT_EQ(e.num(), ENOTSOCK);
    }
}

std::atomic<int> g_usr1_count{0};
extern "C" void count_usr1(int) { ++g_usr1_count; }

TEST_F(events_loop_test, signal_while_waiting_does_not_end_the_loop) {
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = count_usr1;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
    g_usr1_count = 0;

    ready_pipe started, finish;
    std::atomic<bool> running{false};
    int started_calls = 0;
    bool finished = false;
    m_loop.register_fd(started.fd(), [&] {
        ++started_calls;
        started.drain();
        running = true;
    });
    m_loop.register_fd(finish.fd(), [&] {
        finished = true;
        m_loop.stop();
    });

    const pthread_t loop_thread = ::pthread_self();
    std::thread helper([&] {
        started.make_ready();
        if (wait_for([&] { return running.load(); })) {
            // The loop is idle in its poll now; interrupt it a few times.
            for (int i = 1; i <= 3; ++i) {
                ::pthread_kill(loop_thread, SIGUSR1);
                if (!wait_for([&] { return g_usr1_count.load() >= i; })) {
                    break;
                }
            }
        }
        finish.make_ready();
    });
    m_loop.start();
    helper.join();
    ::sigaction(SIGUSR1, &previous, nullptr);

    EXPECT_EQ(g_usr1_count.load(), 3);
    EXPECT_TRUE(finished);
    // An interrupted poll must not dispatch the previous pass's results again.
    EXPECT_EQ(started_calls, 1);
}

// --- timers ---------------------------------------------------------------

TEST(timer_impl, start_registers_stop_marks_and_destruction_stops) {
    ::testing::StrictMock<orv::test::events_loop_mock> loop;
    int calls = 0;
    auto timer = std::make_unique<timer_impl>(1s, 1s, loop, [&](timestamp) { ++calls; });

    std::vector<events_loop::callback> handlers;
    std::vector<int> registered;
    EXPECT_CALL(loop, register_fd(::testing::_, ::testing::_))
        .Times(2)
        .WillRepeatedly([&](int fd, events_loop::callback cb) {
            registered.push_back(fd);
            handlers.push_back(std::move(cb));
        });
    timer->start();
    ASSERT_EQ(registered.size(), 1u);
    const int fd = registered[0];
    EXPECT_GE(fd, 0);

    // Nothing has expired yet: a wake-up without an expiration calls nothing.
    handlers[0]();
    EXPECT_EQ(calls, 0);

    EXPECT_CALL(loop, mark_to_delete_fd(fd)).Times(2);
    timer->stop();
    timer->start(); // a stopped timer can be started again: a new registration
    EXPECT_EQ(registered, (std::vector<int>{fd, fd}));
    timer.reset(); // running: stops (marks) before closing

    // A stale registration of a destroyed timer calls nothing.
    handlers[1]();
    EXPECT_EQ(calls, 0);
}

TEST(timer_impl, starting_a_running_or_stopping_a_stopped_timer_fails_the_check) {
    logger log{logger::verbose{false}, logger::log_stacktrace{false}, logger::log_exceptions{true}};
    events_loop_impl loop{log};
    const auto stopped = loop.repeat_action(1s, [](timestamp) {}, events_loop::should_run{false});
    try {
        stopped->stop();
        FAIL() << "stop() of a stopped timer";
    } catch (const orv::check_failed_exception& e) {
        EXPECT_EQ(e.get_condition(), "m_running");
        EXPECT_EQ(e.get_function(), "virtual void orv::utils::timer_impl::stop()");
    }
    stopped->start();

    const auto running = loop.repeat_action(1s, [](timestamp) {});
    for (timer* t : {stopped.get(), running.get()}) {
        try {
            t->start();
            FAIL() << "start() of a running timer";
        } catch (const orv::check_failed_exception& e) {
            EXPECT_EQ(e.get_condition(), "! m_running");
            EXPECT_EQ(e.get_function(), "virtual void orv::utils::timer_impl::start()");
            EXPECT_NE(e.get_file().find("timer_impl.cpp"), std::string::npos);
            EXPECT_GT(e.get_line(), 0);
        }
    }
}

// The one test that waits for real expiries (about two seconds).
TEST_F(events_loop_test, repeating_timer_fires_each_period_and_can_destroy_itself) {
    ready_pipe after;
    std::vector<timestamp> fired;
    timer::ptr timer;
    int after_calls = 0;
    m_loop.register_fd(after.fd(), [&] {
        ++after_calls;
        m_loop.stop();
    });
    const auto started = timestamp::current_time();
    timer = m_loop.repeat_action(1s, [&](timestamp now) {
        fired.push_back(now);
        if (fired.size() == 2) {
            timer.reset();
            after.make_ready();
        }
    });

    m_loop.start();
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(timer, nullptr);
    EXPECT_EQ(after_calls, 1);
    // Never immediately: the first call comes a whole period after start.
    EXPECT_GE(fired[0] - started, 900ms);
    EXPECT_GE(fired[1] - fired[0], 900ms);
}

} // namespace
