#include "support/syslog_capture.h"

namespace orv::test {

syslog_capture::syslog_capture() {
    m_previous = utils::set_syslog_sink([this](int priority, const std::string& text) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.emplace_back(priority, text);
    });
}

syslog_capture::~syslog_capture() { utils::set_syslog_sink(std::move(m_previous)); }

std::vector<std::pair<int, std::string>> syslog_capture::entries() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries;
}

std::vector<std::string> syslog_capture::lines(int priority) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> result;
    for (const auto& [p, text] : m_entries) {
        if (p == priority) {
            result.push_back(text);
        }
    }
    return result;
}

void syslog_capture::clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
}

} // namespace orv::test
