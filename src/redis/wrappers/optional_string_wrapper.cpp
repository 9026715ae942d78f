#include "redis/wrappers/optional_string_wrapper.h"

namespace orv::redis {

optional_string_wrapper::optional_string_wrapper(string_wrapper wrapper)
    : m_string_wrapper(std::move(wrapper)) {}

boost::optional<std::string> optional_string_wrapper::get() const {
    std::string text = m_string_wrapper.get();
    if (text.empty()) {
        return boost::none;
    }
    text.pop_back();
    return text;
}

void optional_string_wrapper::set(const boost::optional<std::string>& value) {
    m_string_wrapper.set(value ? *value + " " : std::string());
}

} // namespace orv::redis
