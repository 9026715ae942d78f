#pragma once

#include <exception>
#include <string>

namespace orv {

// Base of the agent's exceptions: remembers where it was thrown.
class located_exception : public std::exception {
public:
    void set_location(const char* file, int line) {
        m_file = file;
        m_line = line;
    }
    const std::string& get_file() const noexcept { return m_file; }
    int get_line() const noexcept { return m_line; }
    void set_stacktrace(const std::string& stacktrace) { m_stacktrace = stacktrace; }
    const std::string& get_stacktrace() const noexcept { return m_stacktrace; }

private:
    std::string m_file;
    int m_line = 0;
    std::string m_stacktrace;
};

class exception : public located_exception {
public:
    explicit exception(std::string message) : m_str_error(std::move(message)) {}
    const char* what() const noexcept override { return m_str_error.c_str(); }

private:
    std::string m_str_error;
};

class check_failed_exception : public located_exception {
public:
    check_failed_exception(std::string function, std::string condition)
        : m_function(std::move(function)), m_condition(std::move(condition)) {}
    const std::string& get_function() const noexcept { return m_function; }
    const std::string& get_condition() const noexcept { return m_condition; }

private:
    std::string m_function;
    std::string m_condition;
};

class http_request_unsuccessful_exception : public located_exception {
public:
    http_request_unsuccessful_exception(int http_code, std::string url, std::string type,
                                        std::string answer)
        : m_http_code(http_code), m_url(std::move(url)), m_type(std::move(type)),
          m_answer(std::move(answer)) {}
    int get_http_code() const noexcept { return m_http_code; }
    const std::string& get_url() const noexcept { return m_url; }
    const std::string& get_type() const noexcept { return m_type; }
    const std::string& get_answer() const noexcept { return m_answer; }

private:
    int m_http_code;
    std::string m_url;
    std::string m_type;
    std::string m_answer;
};

namespace detail {
template <typename E>
[[noreturn]] void throw_located(E exception, const char* file, int line) {
    exception.set_location(file, line);
    throw exception;
}
} // namespace detail

} // namespace orv

// Throws an agent exception stamped with the throw site's file and line.
#define ORV_THROW(...) ::orv::detail::throw_located(__VA_ARGS__, __FILE__, __LINE__)

// Shorthand for the common case of a plain message.
#define ORV_THROW_MSG(message) ORV_THROW(::orv::exception(message))

// Contract check: a failed condition throws check_failed_exception with the
// enclosing function's full signature and the condition's source text.
#define ORV_CHECK(condition)                                                                 \
    do {                                                                                     \
        if (!(condition)) {                                                                  \
            ORV_THROW(::orv::check_failed_exception(__PRETTY_FUNCTION__, #condition));       \
        }                                                                                    \
    } while (false)
