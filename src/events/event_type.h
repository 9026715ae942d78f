#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace orv::events {

// The kinds of events the agent knows. The text form of each kind is its
// enumerator name.
enum event_type : std::int32_t {
    AGENT_HAS_STARTED = 0,
    AGENT_HAS_STOPPED = 1,
    ZMQ_DISCONNECT = 2,
    MODULE_FAILED_EMER = 3,
    MODULE_FAILED_CRITICAL = 4,
    MODULE_INFO = 5,
    HIGH_CPU_USAGE = 6,
    HIGH_RAM_USAGE = 7,
    HIGH_DISK_USAGE = 8,
    SITE_DISCONNECTED = 9,
    NWK_SERVICE_MODE = 10,
    LSB_STARTED = 11,
    LSB_STOPPED = 12,
    LSB_AUTOSTART_DISABLED = 13,
    BATTERY_LEVEL = 14,
    DEVICE_LOW_BATTERY = 15,
    ANCHOR_REBOOT = 16,
    FREQUENT_REBOOT = 17,
    UNRESPONSIVE_NODE = 18,
    TDOA_BIAS_CHANGE = 19,
    TDOA_BIAS_EXCEEDS_THRESHOLD = 20,
    NODE_SYNC_LOST = 21,
    ANCHOR_SYNC_MASTER = 22,
    SCHEDULE_DIFFERS = 23,
    BRIDGE_ETH_DOWN = 24,
    NODE_REPORT = 25,
    BRIDGE_LINK_HIGH_LATENCY = 26,
    _count = 27,
    _unknown = 28,
};

// Text form of a kind; _count, _unknown and any other value throw std::out_of_range.
inline const std::string& to_string(event_type type) {
    static const std::map<event_type, std::string> names = {
        {AGENT_HAS_STARTED, "AGENT_HAS_STARTED"},
        {AGENT_HAS_STOPPED, "AGENT_HAS_STOPPED"},
        {ZMQ_DISCONNECT, "ZMQ_DISCONNECT"},
        {MODULE_FAILED_EMER, "MODULE_FAILED_EMER"},
        {MODULE_FAILED_CRITICAL, "MODULE_FAILED_CRITICAL"},
        {MODULE_INFO, "MODULE_INFO"},
        {HIGH_CPU_USAGE, "HIGH_CPU_USAGE"},
        {HIGH_RAM_USAGE, "HIGH_RAM_USAGE"},
        {HIGH_DISK_USAGE, "HIGH_DISK_USAGE"},
        {SITE_DISCONNECTED, "SITE_DISCONNECTED"},
        {NWK_SERVICE_MODE, "NWK_SERVICE_MODE"},
        {LSB_STARTED, "LSB_STARTED"},
        {LSB_STOPPED, "LSB_STOPPED"},
        {LSB_AUTOSTART_DISABLED, "LSB_AUTOSTART_DISABLED"},
        {BATTERY_LEVEL, "BATTERY_LEVEL"},
        {DEVICE_LOW_BATTERY, "DEVICE_LOW_BATTERY"},
        {ANCHOR_REBOOT, "ANCHOR_REBOOT"},
        {FREQUENT_REBOOT, "FREQUENT_REBOOT"},
        {UNRESPONSIVE_NODE, "UNRESPONSIVE_NODE"},
        {TDOA_BIAS_CHANGE, "TDOA_BIAS_CHANGE"},
        {TDOA_BIAS_EXCEEDS_THRESHOLD, "TDOA_BIAS_EXCEEDS_THRESHOLD"},
        {NODE_SYNC_LOST, "NODE_SYNC_LOST"},
        {ANCHOR_SYNC_MASTER, "ANCHOR_SYNC_MASTER"},
        {SCHEDULE_DIFFERS, "SCHEDULE_DIFFERS"},
        {BRIDGE_ETH_DOWN, "BRIDGE_ETH_DOWN"},
        {NODE_REPORT, "NODE_REPORT"},
        {BRIDGE_LINK_HIGH_LATENCY, "BRIDGE_LINK_HIGH_LATENCY"},
    };
    return names.at(type);
}

} // namespace orv::events
