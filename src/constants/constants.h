#pragma once

#include <chrono>
#include <cstdint>

// Tunable values of the agent, in one place. Rule constants live in nested
// namespaces named after their rule.
namespace orv::constants {

using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

inline constexpr seconds periodic_update_period{1};
inline constexpr seconds time_after_agent_started{300};
inline constexpr seconds time_after_node_anounce{300};
inline constexpr seconds request_retry_period{10};
inline constexpr int redis_db = 7;
inline constexpr std::size_t module_max_uid_size = 22;
inline constexpr int SF_parameter_id = 20;
inline constexpr minutes system_resources_update_period{5};
inline constexpr minutes modules_status_update_period{10};
inline constexpr hours modules_version_update_period{24};

// Pause between two attempts to connect to Redis while building a module environment.
inline constexpr seconds redis_connect_retry_period{5};
// Period of the operating modes' stop-flag and queue-size timers.
inline constexpr seconds stop_flag_check_period{1};
inline constexpr seconds queue_size_check_period{30};

namespace monitor_server {
inline constexpr seconds data_send_period{10};
inline constexpr minutes ping_period{5};
} // namespace monitor_server

namespace queues {
inline constexpr std::int64_t queue_upper_bound_size = 104857600;
inline constexpr std::int64_t queue_lower_bound_size = 99614720;
} // namespace queues

} // namespace orv::constants
