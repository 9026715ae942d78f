#include "config.h"

#include "config-parser/config.h"
#include "utils/exceptions.h"

#include <istream>
#include <tuple>

namespace orv {

namespace {

const std::string invalid_config_prefix = "Config file is invalid: ";

template <typename T>
std::optional<T> optional_key(const libs::config::config& parsed,
                              std::initializer_list<std::string> path) {
    if (auto found = parsed.get_by_path<T>(path).try_get()) {
        return std::move(*found);
    }
    return std::nullopt;
}

} // namespace

config::config(std::istream& stream, const std::string& file_name) {
    using libs::config::value;
    const auto parsed = libs::config::config::create<libs::config::type::json>(stream);
    config_file_name = file_name;

    system_generate_backtrace =
        optional_key<bool>(*parsed, {"monitor_server", "generate_backtrace"}).value_or(false);
    monitor_server_port = optional_key<int>(*parsed, {"monitor_server", "port"});
    monitor_server_debug_port = optional_key<int>(*parsed, {"monitor_server", "debug_port"});
    monitor_server_debug_dry_run =
        optional_key<bool>(*parsed, {"monitor_server", "debug_dry_run"}).value_or(false);

    // Every required key is queried before anything is reported, so that one
    // error lists all that is missing.
    const auto required =
        parsed->get_by_path<std::string>({"system", "pidfile"}) +
        parsed->get_by_path<std::string>({"system", "uidfile"}) +
        parsed->get_by_path<std::string>({"system", "queuesdbfile"}) +
        parsed->get_by_path<std::string>({"proxy", "address"}) +
        parsed->get_by_path<int>({"proxy", "output_port"}) +
        parsed->get_by_path<int>({"proxy", "input_port"}) +
        parsed->get_by_path<std::string>({"local_server", "protocol"}) +
        parsed->get_by_path<std::string>({"local_server", "address"}) +
        parsed->get_by_path<int>({"local_server", "timeout"}) +
        parsed->get_by_path<std::string>({"monitor_server", "protocol"}) +
        parsed->get_by_path<std::string>({"monitor_server", "address"}) +
        parsed->get_by_path<int>({"monitor_server", "timeout"}) +
        parsed->get_by_path<int>({"monitor_server", "events_package_size"}) +
        parsed->get_by_path<std::string>({"monitor_server", "emailfile"}) +
        parsed->get_by_path<std::string>({"monitor_server", "passwordfile"}) +
        parsed->get_by_path<std::string>({"redis", "host"}) +
        parsed->get_by_path<int>({"redis", "port"}) +
        parsed->get_by_path<std::string>({"redis", "password"}) +
        parsed->get_by_path<int>({"events", "device_low_battery", "set_battery_level"}) +
        parsed->get_by_path<int>({"events", "device_low_battery", "clear_battery_level"}) +
        parsed->get_by_path<value::array>({"modules", "additional_modules"});
    if (!required.ok()) {
        ORV_THROW_MSG(invalid_config_prefix + required.reason());
    }

    value::array additional_modules;
    std::tie(system_pidfile, system_uidfile, system_queuesdbfile, proxy_address, proxy_output_port,
             proxy_input_port, local_server_protocol, local_server_address, local_server_timeout,
             monitor_server_protocol, monitor_server_address, monitor_server_timeout,
             monitor_server_events_package_size, monitor_server_emailfile,
             monitor_server_passwordfile, redis_host, redis_port, redis_password,
             events.device_low_battery.set_battery_level,
             events.device_low_battery.clear_battery_level, additional_modules) = required.value();

    std::size_t position = 0;
    for (const auto& module : additional_modules) {
        auto name = module.as_string();
        if (!name) {
            ORV_THROW_MSG(invalid_config_prefix + "element " + std::to_string(position) +
                          " of the list additional_modules is not a string");
        }
        modules_additional_modules.push_back(std::move(*name));
        ++position;
    }
}

} // namespace orv
