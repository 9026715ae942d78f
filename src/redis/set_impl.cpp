#include "redis/set_impl.h"

#include "redis/context_impl.h"
#include "redis/scan.h"

namespace orv::redis {

set_impl::set_impl(std::string key, context_impl& context)
    : m_key(std::move(key)), m_context(context) {}

bool set_impl::is_member(const std::string& member) const {
    return m_context.execute_command_argv({"SISMEMBER", m_key.c_str(), member.c_str()})
               .to_integer() != 0;
}

int set_impl::add(const std::string& member) {
    return static_cast<int>(
        m_context.execute_command_argv({"SADD", m_key.c_str(), member.c_str()}).to_integer());
}

int set_impl::rem(const std::string& member) {
    return static_cast<int>(
        m_context.execute_command_argv({"SREM", m_key.c_str(), member.c_str()}).to_integer());
}

void set_impl::clear() { m_context.execute_command_argv({"DEL", m_key.c_str()}); }

bool set_impl::for_each_member(members_callback callback) const {
    return detail::scan(m_context, "SSCAN %s %d", m_key,
                        [&](const std::string& member) { return callback(member); });
}

} // namespace orv::redis
