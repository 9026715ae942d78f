#include "redis/wrappers/string_wrapper.h"

namespace orv::redis {

string_wrapper::string_wrapper(context& context, value_getter getter, value_setter setter)
    : m_context(context), m_getter(std::move(getter)), m_setter(std::move(setter)) {}

string_wrapper string_wrapper::from_hash(context& context, hash& hash, const key& field) {
    auto getter = [&hash, field = field.as_string()](redis::context&) {
        auto found = hash.try_get(field);
        if (!found.first) {
            hash.set(field, "");
            return std::string();
        }
        return std::move(found.second);
    };
    auto setter = [&hash, field = field.as_string()](redis::context&, const std::string& value) {
        hash.set(field, value);
    };
    return string_wrapper(context, std::move(getter), std::move(setter));
}

std::string string_wrapper::get() const { return m_getter(m_context); }

void string_wrapper::set(const std::string& value) { m_setter(m_context, value); }

} // namespace orv::redis
