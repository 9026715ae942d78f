#pragma once

#include "utils/syslog_sink.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace orv::test {

// Replaces the syslog sink while alive and records every line with its priority.
class syslog_capture {
public:
    syslog_capture();
    ~syslog_capture();
    syslog_capture(const syslog_capture&) = delete;
    syslog_capture& operator=(const syslog_capture&) = delete;

    std::vector<std::pair<int, std::string>> entries() const;
    // The texts written at one priority, in order.
    std::vector<std::string> lines(int priority) const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<int, std::string>> m_entries;
    utils::syslog_sink m_previous;
};

} // namespace orv::test
