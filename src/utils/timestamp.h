#pragma once

#include <boost/optional.hpp>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>

namespace orv::utils {

// A point in time: signed milliseconds since the Unix epoch (UTC).
class timestamp {
public:
    using milliseconds = std::chrono::milliseconds;
    using time_point = std::chrono::time_point<std::chrono::system_clock, milliseconds>;

    timestamp() = default;
    timestamp(std::time_t seconds, unsigned int ms);
    explicit timestamp(time_point tp) : m_time_point(tp) {}

    static timestamp current_time();
    static timestamp from_milliseconds(std::int64_t ms);

    std::time_t get_ts() const;
    unsigned int get_ms() const;
    std::int64_t milliseconds_since_epoch() const { return m_time_point.time_since_epoch().count(); }

    // 2024-01-02T03:04:05.006Z
    std::string to_json_string() const;
    // UTC: 2024-1-2T3:4:5.6Z GMT offset: 0 DST: 0
    std::string to_string() const;
    // "<seconds> <milliseconds> (<to_string()>)": the form stored in Redis.
    std::string serialize() const;
    // Reads seconds and milliseconds from the start of the text; what fails to read is 0.
    static timestamp deserialize(const std::string& text);
    // "YYYY-MM-DD?hh:mm:ss.fff..." as UTC; no value unless all seven fields read.
    static boost::optional<timestamp> try_parse(const std::string& text);

    friend bool operator==(const timestamp& a, const timestamp& b) { return a.m_time_point == b.m_time_point; }
    friend bool operator!=(const timestamp& a, const timestamp& b) { return a.m_time_point != b.m_time_point; }
    friend bool operator<(const timestamp& a, const timestamp& b) { return a.m_time_point < b.m_time_point; }
    friend bool operator>(const timestamp& a, const timestamp& b) { return a.m_time_point > b.m_time_point; }
    friend bool operator<=(const timestamp& a, const timestamp& b) { return a.m_time_point <= b.m_time_point; }
    friend bool operator>=(const timestamp& a, const timestamp& b) { return a.m_time_point >= b.m_time_point; }

    friend milliseconds operator-(const timestamp& a, const timestamp& b) {
        return a.m_time_point - b.m_time_point;
    }
    template <typename Rep, typename Period>
    friend timestamp operator+(const timestamp& a, std::chrono::duration<Rep, Period> d) {
        return timestamp(a.m_time_point + std::chrono::duration_cast<milliseconds>(d));
    }
    template <typename Rep, typename Period>
    friend timestamp operator-(const timestamp& a, std::chrono::duration<Rep, Period> d) {
        return timestamp(a.m_time_point - std::chrono::duration_cast<milliseconds>(d));
    }

private:
    time_point m_time_point{};
};

} // namespace orv::utils
