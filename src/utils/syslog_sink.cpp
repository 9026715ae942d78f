#include "utils/syslog_sink.h"

#include <mutex>
#include <syslog.h>

namespace orv::utils {
namespace {

std::mutex g_sink_mutex;
syslog_sink g_sink;

} // namespace

void write_syslog(int priority, const std::string& text) {
    syslog_sink sink;
    {
        std::lock_guard<std::mutex> lock(g_sink_mutex);
        sink = g_sink;
    }
    if (sink) {
        sink(priority, text);
    } else {
        ::syslog(priority, "%s", text.c_str());
    }
}

syslog_sink set_syslog_sink(syslog_sink sink) {
    std::lock_guard<std::mutex> lock(g_sink_mutex);
    std::swap(g_sink, sink);
    return sink;
}

} // namespace orv::utils
