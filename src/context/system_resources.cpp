#include "context/system_resources.h"

#include <string>

namespace orv::context {

redis::key system_resources::keys::data() { return redis::key("system_resources:data"); }

system_resources::system_resources(redis::context& redis_context)
    : m_data(redis_context.get_hash(keys::data())),
      m_cpu_usage(redis::string_wrapper::from_hash(redis_context, *m_data, redis::key("cpu_usage"))),
      m_ram_usage(redis::string_wrapper::from_hash(redis_context, *m_data, redis::key("ram_usage"))),
      m_disk_usage(redis::string_wrapper::from_hash(redis_context, *m_data, redis::key("disk_usage"))) {}

double system_resources::get_cpu_usage() const { return std::stod(m_cpu_usage.get()); }
void system_resources::set_cpu_usage(double value) { m_cpu_usage.set(std::to_string(value)); }
double system_resources::get_ram_usage() const { return std::stod(m_ram_usage.get()); }
void system_resources::set_ram_usage(double value) { m_ram_usage.set(std::to_string(value)); }
double system_resources::get_disk_usage() const { return std::stod(m_disk_usage.get()); }
void system_resources::set_disk_usage(double value) { m_disk_usage.set(std::to_string(value)); }

void system_resources::remove() { m_data->clear(); }

} // namespace orv::context
