#include "redis/wrappers/bool_wrapper.h"

namespace orv::redis {

bool_wrapper::bool_wrapper(string_wrapper wrapper) : m_string_wrapper(std::move(wrapper)) {}

bool bool_wrapper::get() const { return m_string_wrapper.get() == "true"; }

void bool_wrapper::set(bool value) { m_string_wrapper.set(value ? "true" : "false"); }

} // namespace orv::redis
