#pragma once

#include <string>

namespace orv::utils {

// The calling thread's stack as text (file, line and function per frame, looked
// up with addr2line). Slow: it starts child processes.
std::string stacktrace();

} // namespace orv::utils
