#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace orv {

// The agent's settings, read once at start-up from the JSON configuration file.
struct config {
    struct events_t {
        struct device_low_battery_t {
            int set_battery_level = 0;
            int clear_battery_level = 0;
        };
        device_low_battery_t device_low_battery;
    };

    // Parses and validates the whole file. Throws std::runtime_error
    // "Cannot parse json: ..." for an unreadable stream or invalid JSON, and
    // orv::exception "Config file is invalid: ..." listing every missing or
    // mistyped required key, one per line.
    config(std::istream& stream, const std::string& file_name);

    std::string config_file_name;
    std::string system_queuesdbfile;
    std::string system_uidfile;
    std::string system_pidfile;
    bool system_generate_backtrace = false;
    std::string proxy_address;
    int proxy_output_port = 0;
    int proxy_input_port = 0;
    std::string local_server_protocol;
    std::string local_server_address;
    int local_server_timeout = 0;
    std::string monitor_server_protocol;
    std::string monitor_server_address;
    std::optional<int> monitor_server_port;
    int monitor_server_timeout = 0;
    int monitor_server_events_package_size = 0;
    std::optional<int> monitor_server_debug_port;
    bool monitor_server_debug_dry_run = false;
    std::string monitor_server_emailfile;
    std::string monitor_server_passwordfile;
    std::string redis_host;
    int redis_port = 0;
    std::string redis_password;
    events_t events;
    std::vector<std::string> modules_additional_modules;
};

} // namespace orv
