#include "utils/logger.h"

#include "core/build_constants.h"
#include "core/exceptions.h"
#include "support/syslog_capture.h"
#include "utils/exceptions.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <stdexcept>
#include <syslog.h>

using orv::utils::logger;

namespace {

using lines = std::vector<std::string>;

logger make_logger(bool stacktrace, bool verbose = false, bool exceptions = true) {
    return logger{logger::verbose{verbose}, logger::log_stacktrace{stacktrace},
                  logger::log_exceptions{exceptions}};
}

// Throws `thrower` and logs what it threw; returns the LOG_ERR lines.
template <typename F>
lines logged(const logger& log, F thrower) {
    orv::test::syslog_capture capture;
    try {
        thrower();
    } catch (...) {
        log.log_exception();
    }
    EXPECT_TRUE(capture.lines(LOG_INFO).empty());
    return capture.lines(LOG_ERR);
}

std::string here(int line) { return "in " + std::string(__FILE__) + ":" + std::to_string(line); }

// Redirects std::cout while alive.
class stdout_capture {
public:
    stdout_capture() : m_previous(std::cout.rdbuf(m_buffer.rdbuf())) {}
    ~stdout_capture() { std::cout.rdbuf(m_previous); }
    std::string text() const { return m_buffer.str(); }

private:
    std::ostringstream m_buffer;
    std::streambuf* m_previous;
};

TEST(exceptions_logger, agent_exception_gives_location_then_message) {
    const auto log = make_logger(false);
    int line = 0;
    const auto got = logged(log, [&] { line = __LINE__; ORV_THROW_MSG("disk is full"); });
    EXPECT_EQ(got, (lines{here(line), "disk is full"}));

    // With stack traces on, the location line is the stored trace (none is ever stored).
    const auto traced = make_logger(true);
    EXPECT_EQ(logged(traced, [] { ORV_THROW_MSG("disk is full"); }),
              (lines{"In:\n", "disk is full"}));
}

TEST(exceptions_logger, check_failure_names_function_and_condition) {
    const auto log = make_logger(false);
    int line = 0;
    const int x = 0;
    const auto got = logged(log, [&] { line = __LINE__; ORV_CHECK(x > 0); });
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], here(line));
    EXPECT_EQ(got[1].rfind("in ", 0), 0u) << got[1];
    EXPECT_NE(got[1].find("exceptions_logger_check_failure_names_function_and_condition"),
              std::string::npos)
        << got[1];
    EXPECT_EQ(got[2], "assertion falied: x > 0");
}

TEST(exceptions_logger, http_failure_gives_request_and_answer) {
    const auto log = make_logger(false);
    int line = 0;
    const auto got = logged(log, [&] {
        line = __LINE__; ORV_THROW(orv::http_request_unsuccessful_exception(
            404, "https://monitor/api/events", "POST", "not here"));
    });
    EXPECT_EQ(got, (lines{here(line), "POST https://monitor/api/events returns code 404",
                          "with answer: not here"}));
}

TEST(exceptions_logger, standard_and_unknown_exceptions) {
    const auto log = make_logger(false);
    EXPECT_EQ(logged(log, [] { throw std::runtime_error("boom"); }),
              (lines{"std::exception::what(): boom"}));
    EXPECT_EQ(logged(log, [] { throw 42; }), (lines{"unknown exception"}));

    // The core family reports its shortened location through what().
    const std::string file = std::string(orv::libs::core::constants::source_directory) + "/src/a";
    EXPECT_EQ(logged(log,
                     [&] {
                         throw orv::libs::core::check_failed_exception(
                             "x > 0", orv::libs::core::source_location(12, file, "void f()"));
                     }),
              (lines{"std::exception::what(): /src/a:12 check failed: x > 0"}));
}

TEST(exceptions_logger, standard_exception_with_stack_traces_is_preceded_by_the_trace) {
    const auto log = make_logger(true);
    const auto got = logged(log, [] { throw std::runtime_error("boom"); });
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].rfind("In catch:\n", 0), 0u);
    EXPECT_GT(got[0].size(), std::string("In catch:\n").size()) << "no frames in the trace";
    EXPECT_EQ(got[1], "std::exception::what(): boom");
}

TEST(exceptions_logger, nested_exceptions_are_logged_innermost_first) {
    const auto log = make_logger(false);
    const auto got = logged(log, [] {
        try {
            try {
                throw std::runtime_error("socket closed");
            } catch (...) {
                orv::exception middle("cannot read reply");
                middle.set_location("reply.cpp", 7);
                std::throw_with_nested(middle);
            }
        } catch (...) {
            orv::check_failed_exception outer("void connect()", "m_ok");
            outer.set_location("context.cpp", 99);
            std::throw_with_nested(outer);
        }
    });
    EXPECT_EQ(got, (lines{"std::exception::what(): socket closed", "in reply.cpp:7",
                          "cannot read reply", "in context.cpp:99", "in void connect()",
                          "assertion falied: m_ok"}));
}

TEST(logger, additional_message_follows_the_exception_and_disabled_logging_is_silent) {
    orv::test::syslog_capture capture;
    const auto log = make_logger(false);
    try {
        throw std::runtime_error("bad body");
    } catch (...) {
        log.log_exception("Node: message: {}");
    }
    EXPECT_EQ(capture.lines(LOG_ERR), (lines{"std::exception::what(): bad body", "Node: message: {}"}));

    capture.clear();
    const auto silent = make_logger(false, false, false);
    try {
        throw std::runtime_error("ignored");
    } catch (...) {
        silent.log_exception();
        silent.log_exception("ignored too");
    }
    EXPECT_TRUE(capture.entries().empty());
}

TEST(logger, verbose_trace_is_indented_per_level) {
    stdout_capture out;
    orv::test::syslog_capture capture;
    auto log = make_logger(false, true);
    log << "top" << " " << 1;
    {
        const auto first = log.enter_function("outer");
        const auto second = log.enter_function("inner");
        log << std::string("deep");
        try {
            throw std::runtime_error("oops");
        } catch (...) {
            log.log_exception();
        }
    }
    log << "back";
    EXPECT_EQ(out.text(), "\n|  top 1\n"
                          "\n|> outer\n"
                          "    |> inner\n"
                          "        |  deep\n"
                          "        |  std::exception::what(): oops\n"
                          "\n|  back\n");
    // Error lines reach syslog whatever the verbosity.
    EXPECT_EQ(capture.lines(LOG_ERR), (lines{"std::exception::what(): oops"}));
}

TEST(logger, quiet_logger_prints_nothing_but_tracks_indent) {
    stdout_capture out;
    auto log = make_logger(false);
    EXPECT_EQ(log.get_indent(), "\n");
    {
        const auto guard = log.enter_function("f");
        log << "hidden";
        EXPECT_EQ(log.get_indent(), "    ");
    }
    EXPECT_EQ(log.get_indent(), "\n");
    EXPECT_EQ(out.text(), "");
}

} // namespace
