#include "redis/wrappers/timestamp_wrapper.h"

namespace orv::redis {

timestamp_wrapper::timestamp_wrapper(string_wrapper wrapper) : m_string_wrapper(std::move(wrapper)) {}

utils::timestamp timestamp_wrapper::get() const {
    return utils::timestamp::deserialize(m_string_wrapper.get());
}

void timestamp_wrapper::set(const utils::timestamp& value) { m_string_wrapper.set(value.serialize()); }

} // namespace orv::redis
