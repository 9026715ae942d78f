#pragma once

#include <functional>
#include <string>

namespace orv::utils {

// Every line the agent sends to syslog goes through write_syslog. Tests replace
// the sink to read the exact lines; the default calls syslog(priority, "%s", text).
using syslog_sink = std::function<void(int priority, const std::string& text)>;

void write_syslog(int priority, const std::string& text);

// Installs a sink and returns the previous one; an empty sink restores syslog.
syslog_sink set_syslog_sink(syslog_sink sink);

} // namespace orv::utils
