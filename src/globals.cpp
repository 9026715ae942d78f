#include "globals.h"

namespace orv {

std::atomic<bool> g_should_stop{false};

} // namespace orv
