#pragma once

#include "utils/exceptions_logger.h"
#include "utils/noncopyable.h"
#include "utils/scope_guard.h"
#include "utils/strong_typedef.h"

#include <iostream>
#include <string>

namespace orv::utils {

// Indented trace on standard output (verbose only) and the error channel to
// syslog through which every logged exception is written. Not synchronised:
// each thread uses the logger of its own module environment.
class logger : noncopyable {
public:
    using verbose = strong_typedef<bool, struct verbose_tag>;
    using log_stacktrace = strong_typedef<bool, struct log_stacktrace_tag>;
    using log_exceptions = strong_typedef<bool, struct log_exceptions_tag>;
    using indent_guard = scope_guard_ptr;

    // Ends the line when destroyed; prints only when the logger is verbose.
    class logger_stream {
    public:
        explicit logger_stream(bool print) : m_print(print) {}
        logger_stream(logger_stream&& other) noexcept : m_print(other.m_print) {
            other.m_print = false;
        }
        logger_stream(const logger_stream&) = delete;
        logger_stream& operator=(const logger_stream&) = delete;
        ~logger_stream() {
            if (m_print) {
                std::cout << std::endl;
            }
        }

        template <typename T>
        logger_stream& operator<<(const T& value) {
            if (m_print) {
                std::cout << value;
            }
            return *this;
        }

    private:
        bool m_print;
    };

    logger(verbose verbose_flag, log_stacktrace log_stacktrace_flag,
           log_exceptions log_exceptions_flag);

    logger_stream operator<<(const std::string& value) { return start_line(value.c_str()); }
    logger_stream operator<<(const char* value) { return start_line(value); }

    indent_guard enter_function(const char* name);
    std::string get_indent() const;

    // Both must be called from inside an exception handler.
    void log_exception() const;
    void log_exception(const std::string& additional_message) const;

    bool is_verbose() const { return m_verbose.value; }

private:
    logger_stream start_line(const char* value);

    int m_indent = 0;
    verbose m_verbose;
    log_stacktrace m_log_stacktrace;
    log_exceptions m_log_exceptions;
    exceptions_logger m_exceptions_logger;
};

} // namespace orv::utils
