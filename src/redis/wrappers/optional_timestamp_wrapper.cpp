#include "redis/wrappers/optional_timestamp_wrapper.h"

namespace orv::redis {

optional_timestamp_wrapper::optional_timestamp_wrapper(string_wrapper wrapper)
    : m_optional_string_wrapper(std::move(wrapper)) {}

boost::optional<utils::timestamp> optional_timestamp_wrapper::get() const {
    const auto text = m_optional_string_wrapper.get();
    if (!text) {
        return boost::none;
    }
    return utils::timestamp::deserialize(*text);
}

void optional_timestamp_wrapper::set(const boost::optional<utils::timestamp>& value) {
    m_optional_string_wrapper.set(value ? boost::optional<std::string>(value->serialize())
                                        : boost::none);
}

} // namespace orv::redis
