#include "utils/exceptions_logger.h"

#include "utils/logger.h"
#include "utils/stacktrace.h"
#include "utils/syslog_sink.h"

#include <syslog.h>

namespace orv::utils {

void exceptions_logger::log_exception() const {
    try {
        throw;
    } catch (const orv::http_request_unsuccessful_exception& e) {
        log_exception(e);
    } catch (const orv::check_failed_exception& e) {
        log_exception(e);
    } catch (const orv::exception& e) {
        log_exception(e);
    } catch (const std::exception& e) {
        log_exception(e);
    } catch (...) {
        log("unknown exception");
    }
}

void exceptions_logger::log_exception(const orv::http_request_unsuccessful_exception& e) const {
    try_log_nested(e);
    log_exception_stacktrace(e);
    log(e.get_type() + " " + e.get_url() + " returns code " + std::to_string(e.get_http_code()));
    log("with answer: " + e.get_answer());
}

void exceptions_logger::log_exception(const orv::check_failed_exception& e) const {
    try_log_nested(e);
    log_exception_stacktrace(e);
    log("in " + e.get_function());
    log("assertion falied: " + e.get_condition());
}

void exceptions_logger::log_exception(const orv::exception& e) const {
    try_log_nested(e);
    log_exception_stacktrace(e);
    log(e.what());
}

void exceptions_logger::log_exception(const std::exception& e) const {
    try_log_nested(e);
    if (m_log_stacktrace.value) {
        log("In catch:\n" + stacktrace());
    }
    log(std::string("std::exception::what(): ") + e.what());
}

void exceptions_logger::try_log_nested(const std::exception& e) const {
    const auto* nested = dynamic_cast<const std::nested_exception*>(&e);
    if (nested == nullptr || !nested->nested_ptr()) {
        return;
    }
    try {
        nested->rethrow_nested();
    } catch (...) {
        log_exception();
    }
}

void exceptions_logger::log_exception_stacktrace(const orv::located_exception& e) const {
    if (m_log_stacktrace.value) {
        log("In:\n" + e.get_stacktrace());
    } else {
        log("in " + e.get_file() + ":" + std::to_string(e.get_line()));
    }
}

void exceptions_logger::log(const std::string& text) const {
    write_syslog(LOG_ERR, text);
    m_logger << text;
}

} // namespace orv::utils
