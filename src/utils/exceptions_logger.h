#pragma once

#include "utils/exceptions.h"
#include "utils/strong_typedef.h"

#include <exception>
#include <string>

namespace orv::utils {

class logger;

// Writes exceptions as error lines to syslog (LOG_ERR), innermost nested first.
class exceptions_logger {
public:
    using log_stacktrace = strong_typedef<bool, struct log_stacktrace_tag>;

    exceptions_logger(logger& owner, log_stacktrace log_stacktrace_flag)
        : m_logger(owner), m_log_stacktrace(log_stacktrace_flag) {}

    // Logs the exception currently being handled.
    void log_exception() const;
    void log_exception(const orv::http_request_unsuccessful_exception& e) const;
    void log_exception(const orv::check_failed_exception& e) const;
    void log_exception(const orv::exception& e) const;
    void log_exception(const std::exception& e) const;

    void try_log_nested(const std::exception& e) const;
    void log_exception_stacktrace(const orv::located_exception& e) const;
    // The one way into syslog: LOG_ERR, then the trace output.
    void log(const std::string& text) const;

private:
    logger& m_logger;
    log_stacktrace m_log_stacktrace;
};

} // namespace orv::utils
