#include "utils/timestamp.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <sys/time.h>

namespace orv::utils {
namespace {

std::tm utc_tm(std::time_t seconds) {
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    return tm;
}

// Floor division, so that times before the epoch still split into a whole
// second and 0..999 milliseconds.
std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

} // namespace

timestamp::timestamp(std::time_t seconds, unsigned int ms)
    : m_time_point(milliseconds(static_cast<std::int64_t>(seconds) * 1000 + ms)) {}

timestamp timestamp::from_milliseconds(std::int64_t ms) {
    return timestamp(time_point(milliseconds(ms)));
}

timestamp timestamp::current_time() {
    // Seconds and milliseconds come from one reading of the clock: taking the
    // seconds from a separate time() call could pair a second with the
    // milliseconds of the next one and make time run backwards.
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    return timestamp(static_cast<std::time_t>(tv.tv_sec), static_cast<unsigned int>(tv.tv_usec / 1000));
}

std::time_t timestamp::get_ts() const {
    return static_cast<std::time_t>(floor_div(milliseconds_since_epoch(), 1000));
}

unsigned int timestamp::get_ms() const {
    const auto ms = milliseconds_since_epoch();
    return static_cast<unsigned int>(ms - floor_div(ms, 1000) * 1000);
}

std::string timestamp::to_json_string() const {
    const std::tm tm = utc_tm(get_ts());
    char buffer[64];
    const auto length = std::strftime(buffer, sizeof(buffer), "%Y-%m-%dT%H:%M:%S.", &tm);
    char ms[8];
    std::snprintf(ms, sizeof(ms), "%03u", get_ms());
    return std::string(buffer, length) + ms + "Z";
}

std::string timestamp::to_string() const {
    const std::tm tm = utc_tm(get_ts());
    std::ostringstream out;
    out << "UTC: " << tm.tm_year + 1900 << "-" << tm.tm_mon + 1 << "-" << tm.tm_mday << "T"
        << tm.tm_hour << ":" << tm.tm_min << ":" << tm.tm_sec << "." << get_ms() << "Z"
        << " GMT offset: " << tm.tm_gmtoff << " DST: " << tm.tm_isdst;
    return out.str();
}

std::string timestamp::serialize() const {
    return std::to_string(get_ts()) + " " + std::to_string(get_ms()) + " (" + to_string() + ")";
}

timestamp timestamp::deserialize(const std::string& text) {
    std::istringstream in(text);
    long long seconds = 0;
    long long ms = 0;
    if (!(in >> seconds)) {
        seconds = 0;
    } else if (!(in >> ms)) {
        ms = 0;
    }
    // A stored text whose seconds do not fit in milliseconds is as unreadable as
    // one that holds no number.
    constexpr long long limit = std::numeric_limits<std::int64_t>::max() / 1000 - 1;
    if (seconds > limit || seconds < -limit) {
        seconds = 0;
        ms = 0;
    }
    if (ms > 999999 || ms < -999999) {
        ms = 0;
    }
    return from_milliseconds(seconds * 1000 + ms);
}

boost::optional<timestamp> timestamp::try_parse(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    char separator = 0;
    float seconds = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%c%d:%d:%f", &year, &month, &day, &separator, &hour,
                    &minute, &seconds) != 7) {
        return boost::none;
    }
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    const double whole = std::floor(static_cast<double>(seconds));
    tm.tm_sec = static_cast<int>(whole);
    const auto ms = static_cast<std::int64_t>(std::lround((static_cast<double>(seconds) - whole) * 1000));
    return from_milliseconds(static_cast<std::int64_t>(::timegm(&tm)) * 1000 + ms);
}

} // namespace orv::utils
