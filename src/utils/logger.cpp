#include "utils/logger.h"

namespace orv::utils {

logger::logger(verbose verbose_flag, log_stacktrace log_stacktrace_flag,
               log_exceptions log_exceptions_flag)
    : m_verbose(verbose_flag), m_log_stacktrace(log_stacktrace_flag),
      m_log_exceptions(log_exceptions_flag), m_exceptions_logger(*this, log_stacktrace_flag) {}

logger::logger_stream logger::start_line(const char* value) {
    logger_stream stream(m_verbose.value);
    stream << get_indent() << "|  " << value;
    return stream;
}

logger::indent_guard logger::enter_function(const char* name) {
    if (m_verbose.value) {
        std::cout << get_indent() << "|> " << name << std::endl;
    }
    ++m_indent;
    return make_scope_guard([this] { --m_indent; });
}

std::string logger::get_indent() const {
    if (m_indent == 0) {
        return "\n";
    }
    return std::string(static_cast<std::size_t>(m_indent) * 4, ' ');
}

void logger::log_exception() const {
    if (m_log_exceptions.value) {
        m_exceptions_logger.log_exception();
    }
}

void logger::log_exception(const std::string& additional_message) const {
    if (m_log_exceptions.value) {
        m_exceptions_logger.log_exception();
        m_exceptions_logger.log(additional_message);
    }
}

} // namespace orv::utils
