#include "redis/wrappers/optional_int_wrapper.h"

#include "redis/wrappers/int_wrapper.h"

#include <string>

namespace orv::redis {

optional_int_wrapper::optional_int_wrapper(string_wrapper wrapper)
    : m_optional_string_wrapper(std::move(wrapper)) {}

boost::optional<int> optional_int_wrapper::get() const {
    const auto text = m_optional_string_wrapper.get();
    if (!text) {
        return boost::none;
    }
    return int_wrapper::parse(*text);
}

void optional_int_wrapper::set(const boost::optional<int>& value) {
    m_optional_string_wrapper.set(value ? boost::optional<std::string>(std::to_string(*value))
                                        : boost::none);
}

} // namespace orv::redis
