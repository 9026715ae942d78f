#include "agent.h"
#include "globals.h"

#include <csignal>
#include <syslog.h>

namespace {

void end_work(int) { orv::g_should_stop.store(true); }

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGINT, end_work);
    std::signal(SIGTERM, end_work);
    ::openlog("zenk-monitor-agent", 0, LOG_USER);
    ::setlogmask(0xff);
    const int exit_code = orv::agent_main(argc, argv, orv::g_should_stop);
    ::closelog();
    return exit_code;
}
