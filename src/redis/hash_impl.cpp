#include "redis/hash_impl.h"

#include "redis/context_impl.h"
#include "redis/scan.h"

namespace orv::redis {

hash_impl::hash_impl(std::string key, context_impl& context)
    : m_key(std::move(key)), m_context(context) {}

bool hash_impl::exists(const std::string& field) const {
    return m_context.execute_command_argv({"HEXISTS", m_key.c_str(), field.c_str()}).to_integer() != 0;
}

std::string hash_impl::get(const std::string& field) const {
    return m_context.execute_command_argv({"HGET", m_key.c_str(), field.c_str()}).to_string();
}

std::pair<bool, std::string> hash_impl::try_get(const std::string& field) const {
    const auto value = m_context.execute_command_argv({"HGET", m_key.c_str(), field.c_str()});
    if (value.get_type() == reply_type::NIL) {
        return {false, ""};
    }
    return {true, value.to_string()};
}

bool hash_impl::set(const std::string& field, const std::string& value) {
    return m_context.execute_command_argv({"HSET", m_key.c_str(), field.c_str(), value.c_str()})
               .to_integer() != 0;
}

void hash_impl::del(const std::string& field) {
    m_context.execute_command_argv({"HDEL", m_key.c_str(), field.c_str()});
}

void hash_impl::clear() { m_context.execute_command_argv({"DEL", m_key.c_str()}); }

bool hash_impl::for_each_element(elements_callback callback) const {
    std::string field;
    bool is_value = false;
    return detail::scan(m_context, "HSCAN %s %d", m_key, [&](const std::string& text) {
        if (!is_value) {
            field = text;
            is_value = true;
            return true;
        }
        is_value = false;
        return callback(field, text);
    });
}

} // namespace orv::redis
