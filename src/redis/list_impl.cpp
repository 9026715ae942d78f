#include "redis/list_impl.h"

#include "redis/context_impl.h"

namespace orv::redis {

list_impl::list_impl(std::string key, context_impl& context)
    : m_key(std::move(key)), m_context(context) {}

void list_impl::lpush(const std::string& value) {
    m_context.execute_command_argv({"LPUSH", m_key.c_str(), value.c_str()});
}

void list_impl::rpush(const std::string& value) {
    m_context.execute_command_argv({"RPUSH", m_key.c_str(), value.c_str()});
}

std::string list_impl::lpop() {
    return m_context.execute_command_argv({"LPOP", m_key.c_str()}).to_string();
}

std::string list_impl::rpop() {
    return m_context.execute_command_argv({"RPOP", m_key.c_str()}).to_string();
}

int list_impl::len() {
    return static_cast<int>(m_context.execute_command_argv({"LLEN", m_key.c_str()}).to_integer());
}

std::string list_impl::lindex(int index) {
    const auto text = std::to_string(index);
    return m_context.execute_command_argv({"LINDEX", m_key.c_str(), text.c_str()}).to_string();
}

std::vector<std::string> list_impl::lrange(int start, int stop) {
    const auto start_text = std::to_string(start);
    const auto stop_text = std::to_string(stop);
    const auto values =
        m_context.execute_command_argv({"LRANGE", m_key.c_str(), start_text.c_str(), stop_text.c_str()});
    std::vector<std::string> result;
    values.as_array().for_each_element([&](const reply_element& element) {
        result.push_back(element.to_string());
        return true;
    });
    return result;
}

void list_impl::ltrim(int start, int stop) {
    const auto start_text = std::to_string(start);
    const auto stop_text = std::to_string(stop);
    m_context.execute_command_argv({"LTRIM", m_key.c_str(), start_text.c_str(), stop_text.c_str()});
}

void list_impl::clear() { m_context.execute_command_argv({"DEL", m_key.c_str()}); }

} // namespace orv::redis
