#pragma once

#include <atomic>

namespace orv {

// Set by the SIGINT/SIGTERM handler; read by the operating modes' stop-flag
// timers and by every module environment (and so by the monitor server worker).
extern std::atomic<bool> g_should_stop;

} // namespace orv
